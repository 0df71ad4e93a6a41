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
  Copy,        ///< two sheets, one over the other
  Paste,       ///< a sheet on a clipboard
  Crop,        ///< two crossing corner brackets
  Print,       ///< a printer with a sheet coming out
  ZoomOut,     ///< a magnifier with a minus
  ZoomActual,  ///< a magnifier with "1:1"
  ZoomIn,      ///< a magnifier with a plus
  About,       ///< a letter i in a circle
  Help,        ///< a question mark in a circle
};

/// The icon of a toolbar command at the usual toolbar size (and twice that for dense screens).
QIcon DrawToolIcon(ToolIcon icon);

}  // namespace atelion
