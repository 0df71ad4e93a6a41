// The small pictures of the drawing-parameters window, drawn by our own code in the window's dark
// theme: light strokes on a dark tile, with a warm accent and a tick for a switched-on option.
#pragma once

#include <QIcon>

namespace atelion {

enum class Pictogram { ZoomIn, ZoomOut, Soften, Frame, Texture, Text };

/// The pictogram as an icon; toggle buttons show the "on" variant (accent colour and a tick)
/// while checked.
QIcon PictogramIcon(Pictogram kind);

}  // namespace atelion
