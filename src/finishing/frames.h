// Frames laid around a finished drawing: the margin canvas with its edge outlines, the lined
// frame, the inner shadow of the picture frames, the three-panel triptych and the border painted
// with brush strokes, and the chain that applies the chosen frame style to a result.
#pragma once

#include <array>
#include <filesystem>
#include <string>

#include "core/bitmap24.h"
#include "core/canvas.h"
#include "core/filters.h"
#include "core/run_context.h"
#include "core/status.h"

namespace atelion {

/// The entries of the frame list, in list order.
enum class FrameStyle : int {
  Simple = 0,              ///< a plain margin
  Lined = 1,               ///< a margin with a thin line
  Realistic = 2,           ///< the margin inside a photographed frame
  Coloured = 3,            ///< the margin inside a frame tinted by colour offsets
  HorizontalTriptych = 4,  ///< three panels cut from the picture
  Brushstrokes = 5,        ///< a margin painted with strokes that fade into the picture
  Custom = 6,              ///< the margin inside a transparent picture frame
};
inline constexpr int kFrameStyleCount = 7;

/// Range and default of one numeric frame setting: the one place each is described.
struct FrameSettingRange {
  int minimum;
  int maximum;
  int defaultValue;
  constexpr bool Contains(int value) const { return value >= minimum && value <= maximum; }
  constexpr int Clamp(int value) const { return value < minimum ? minimum : (value > maximum ? maximum : value); }
};

/// The list entry; the lined frame when the settings file names none.
inline constexpr FrameSettingRange kFrameEntryRange{0, kFrameStyleCount - 1, static_cast<int>(FrameStyle::Lined)};
/// Margin width in pixels, half of it on each side.
inline constexpr FrameSettingRange kFrameMarginRange{0, 5000, 150};
/// Picture of the realistic frame.
inline constexpr FrameSettingRange kRealisticFrameRange{1, 12, 1};
/// Picture of the coloured frame.
inline constexpr FrameSettingRange kColouredFrameRange{1, 5, 1};
/// Red, green and blue offsets added to the coloured frame's picture.
inline constexpr FrameSettingRange kFrameColourOffsetRange{-255, 255, 0};
/// Gap between the panels of the triptych.
inline constexpr FrameSettingRange kPanelSpacingRange{0, 500, 75};
/// A number the settings file keeps for the frame window although no operation reads it.
inline constexpr FrameSettingRange kUnusedFrameNumberRange{1, 5, 1};

/// The settings of the frame window, stored in the settings file's frame section.
struct FrameSettings {
  int entry = kFrameEntryRange.defaultValue;  ///< a `FrameStyle` value
  Colour frameFillColor = 0x000000;           ///< margin, ground of the painted border and the triptych
  Colour frameLineColor = 0xFFFFFF;           ///< the line of the lined frame
  int margin = kFrameMarginRange.defaultValue;
  int realisticFrame = kRealisticFrameRange.defaultValue;
  int colouredFrame = kColouredFrameRange.defaultValue;
  int unusedFrameNumber = kUnusedFrameNumberRange.defaultValue;
  int redOffset = kFrameColourOffsetRange.defaultValue;
  int greenOffset = kFrameColourOffsetRange.defaultValue;
  int blueOffset = kFrameColourOffsetRange.defaultValue;
  int panelSpacing = kPanelSpacingRange.defaultValue;
  bool autofit = true;          ///< custom frame: fit the picture to the frame's transparent opening
  bool useDefaultFrame = true;  ///< custom frame: the built-in frame chosen by the picture's shape
  std::filesystem::path customFramePath;  ///< custom frame: the user's PNG file when not the built-in one

  bool operator==(const FrameSettings&) const = default;
};

/// Every number limited to its range; a negative entry selects the first entry, one past the
/// list the last.
FrameSettings ClampFrameSettings(FrameSettings settings);

/// The text of a frame list entry in the current language ("Simple frame ", …, trailing blanks
/// included); empty outside the list.
std::string FrameStyleName(int entry);

/// The margin the chain lays: the setting when a frame is added and the style is not the
/// triptych (which makes its own margin), otherwise 0.
int FrameMargin(bool addFrame, const FrameSettings& settings);

/// The margin canvas: (sourceWidth + margin) × (sourceHeight + margin) filled with `fill`, with the
/// sourceWidth × sourceHeight block centred in `result` copied unscaled at (margin div 2, margin div 2).
/// Centring the block drops a frame that an earlier run left around the result.
Bitmap24 MarginCanvas(const Bitmap24& result, int sourceWidth, int sourceHeight, int margin, Colour fill);

/// Two one-pixel outlines in `fill` over the outermost two rows and columns of the picture that
/// sits at (margin div 2, margin div 2) on `canvas`.
void DrawEdgeOutlines(Bitmap24& canvas, int margin, Colour fill);

/// The line of the lined frame: a one-pixel outline (margin − 5) div 2 pixels in from the canvas edge.
void DrawFrameLine(Bitmap24& canvas, int margin, Colour line);

/// Darkens the top and left edges by 80 at the edge, 8 less per pixel inwards over 10 pixels,
/// split along the diagonal at the corner, then smooths the top-left 10 × 10 corner with a 3 × 3 mean.
void InnerShadow(Bitmap24& picture);

/// Replaces the picture by three panels side by side: the picture's width is cut in thirds
/// (columns beyond three thirds and the last row are dropped), the panels stand `panelSpacing`
/// apart on a canvas of `fill` with margin div 2 around them, and each gets a shadow on its top
/// and left edges.
void HorizontalTriptych(Bitmap24& picture, int margin, int panelSpacing, Colour fill);

/// Paints the four edge strips of a picture that already has its margin with brush strokes on a
/// ground of `fill`, fading into the picture over 20 steps. Strips are 2 · (margin div 2) pixels
/// wide, at least 10. Reproducible: the stroke engine seeds the generator itself. `sourceMean` is
/// the mean colour of the whole source, which the engine's sharpening reads. Marks the run
/// `Processing` with `ProgressSuppressed` while it works and gives both back at the end; stops
/// between strips when the run is aborted.
void PaintedBorder(Bitmap24& picture, int margin, Colour fill, const MeanColour& sourceMean, RunContext& context);

/// The painted border as the frame window previews it on the top-left corner of a framed picture:
/// only the top and left strips, as long as the corner, the picture going on past the corner's
/// right and bottom edges. Same strokes and blending as `PaintedBorder`.
void PaintedBorderCorner(Bitmap24& corner, int margin, Colour fill, const MeanColour& sourceMean, RunContext& context);

/// The parts of the four strips (top, bottom, left, right) that `PaintedBorder` gives the stroke
/// engine on a width × height picture with its margin: each strip as far as it lies within 126
/// pixels (its largest brush) of the picture's own block and of the lines it blends in. Farther
/// out the strokes would only repeat the plain fill, so the margin there keeps it; the work then
/// grows with the picture, not with the margin. Up to a margin of 252 the parts are the whole
/// strips.
std::array<Rect, 4> PaintedStripAreas(int width, int height, int margin);

/// What the decoration reports back.
struct FrameOutcome {
  /// Fails only when the user's custom frame picture cannot be read; the result then keeps its
  /// margin without the frame picture.
  Status status = Status::Ok();
  /// Where the picture lies inside a custom-framed result, (0, 0) for the other styles.
  Point framedPictureOffset;
};

/// The decoration of the chosen style on a result that already has its margin canvas: the
/// painted border, the triptych or the frame picture. `source` is the picture the result was
/// drawn from (its shape and mean colour are read).
FrameOutcome DecorateFrame(Bitmap24& result, const Bitmap24& source, const FrameSettings& settings,
                           RunContext& context);

/// The steps of the frame chain before the decoration: the inner shadow of the picture frames,
/// the margin canvas (also without a frame, when it only brings the result back to the source's
/// size), the edge outlines and the line, and the second inner shadow on the margin's outer edge.
void LayFrameMargin(Bitmap24& result, int sourceWidth, int sourceHeight, bool addFrame, const FrameSettings& settings);

/// The whole frame chain on a result drawn from `source`: `LayFrameMargin` to the source's size,
/// then `DecorateFrame` when a frame is added.
FrameOutcome ApplyFrameChain(Bitmap24& result, const Bitmap24& source, bool addFrame, const FrameSettings& settings,
                             RunContext& context);

/// What the frame chain reads of the picture a result was drawn from, for a caller that has
/// released that picture: its size, and its mean colour, which only the painted border reads.
struct FrameSourceFacts {
  int width = 0;
  int height = 0;
  MeanColour mean{};
};

/// Whether the chain reads the source's mean colour (the painted border), so a caller that
/// releases the source measures it first only when it is needed.
bool FrameReadsSourceMean(bool addFrame, const FrameSettings& settings);

/// The same chain from the source's facts alone; it draws exactly what the overload above draws
/// from the source they were taken from.
FrameOutcome ApplyFrameChain(Bitmap24& result, const FrameSourceFacts& source, bool addFrame,
                             const FrameSettings& settings, RunContext& context);

}  // namespace atelion
