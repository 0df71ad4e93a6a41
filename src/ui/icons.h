// The toolbar's icons, drawn by our own painter code in the colours of the dark theme, each with
// a muted variant for its disabled state.
#pragma once

#include <QIcon>

namespace atelion {

enum class ToolIcon {
  Open,        ///< a folder
  Save,        ///< an arrow down into a tray
  Undo,        ///< a curved arrow turning back
  Redo,        ///< a curved arrow turning forward
  Swap,        ///< two arrows passing each other
  Parameters,  ///< three slider rows
  Cancel,      ///< a stop sign
};

/// The icon of a toolbar command at the usual toolbar size (and twice that for dense screens).
QIcon DrawToolIcon(ToolIcon icon);

}  // namespace atelion
