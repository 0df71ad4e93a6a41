// What the frame window shows: which controls each frame style offers, how the list names an
// entry with its frame number, and the 200 × 200 preview of the top-left corner of the framed
// picture (or of the whole framed picture for the triptych and the custom frame).
#pragma once

#include <string>

#include "core/bitmap24.h"
#include "core/run_context.h"
#include "finishing/frames.h"

namespace atelion {

/// Side of the frame window's preview box.
inline constexpr int kFramePreviewSide = 200;
/// The preview's ground where the framed picture leaves the box uncovered.
inline constexpr Colour kFramePreviewGrey = 0x808080;
/// A fill colour whose integer exceeds this shows the triptych on grey instead of white.
inline constexpr Colour kTriptychGreyGroundAbove = 10647999;
/// The painted border is previewed only below this margin; wider strips stay plain.
inline constexpr int kPaintedPreviewMarginLimit = 350;

/// The controls a frame style shows in the frame window (the fill colour and the margin always).
struct FrameStyleControls {
  bool lineColour = false;       ///< the line colour and the button that swaps the two colours
  bool realisticNumber = false;  ///< which of the twelve realistic frames
  bool colouredNumber = false;   ///< which of the five coloured frames
  bool colourOffsets = false;    ///< the red, green and blue offsets of the coloured frame
  bool panelSpacing = false;     ///< the gap between the triptych's panels
  bool customPicture = false;    ///< the custom frame picture and "Autofit"
  bool operator==(const FrameStyleControls&) const = default;
};

/// The controls of list entry `entry` (a `FrameStyle` value); none beyond the two for entries
/// outside the list.
FrameStyleControls ControlsOfFrameStyle(int entry);

/// The text of a list entry as the window shows it, in the current language and without the
/// line's trailing blanks; the realistic and coloured frames carry their number
/// ("Realistic frame 3").
std::string FrameEntryText(int entry, const FrameSettings& settings);

/// The ground of the custom frame's preview: a checkerboard of two greys, the usual sign of a
/// transparent area.
Bitmap24 FramePreviewBackground();

/// The frame window's preview of `settings` on `source` (the photograph at its natural size):
///   - simple and lined frames, and the painted border: the top-left corner at full scale, the
///     margin in the fill colour (and the line); the painted border paints its top and left strips
///     on the box itself when the margin is below kPaintedPreviewMarginLimit;
///   - realistic and coloured frames: the frame picture stretched to 700 × 700 with its inner
///     corner found along row and column 180, the margin and the photograph inside it;
///   - triptych: the whole three-panel picture shrunk into a centred band;
///   - custom frame: the whole custom-framed picture shrunk to fit, over FramePreviewBackground().
/// Two black outlines close the box. `customFrame` is the frame picture the custom frame uses
/// (nullptr: the built-in one for the photograph's shape). Stops early, leaving what it drew,
/// when the context is aborted.
Bitmap24 RenderFramePreview(const Bitmap24& source, const FrameSettings& settings, const Bitmap32* customFrame,
                            RunContext& context);

}  // namespace atelion
