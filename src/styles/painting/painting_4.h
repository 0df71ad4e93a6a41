// Painting 4: a greedy search for brushstrokes. A small flat-colour model of the canvas is
// compared with a small copy of the photograph; for every stroke many random turned rectangles
// are tried on the model and the one that lowers the colour error most is kept, painted flat into
// the model and as a textured brush mark onto the real canvas. The model grows from a seventh of
// the picture to full size while the strokes become shorter and thinner.
#pragma once

#include <filesystem>
#include <span>
#include <string>
#include <vector>

#include "core/bitmap24.h"
#include "core/canvas.h"
#include "core/run_context.h"
#include "core/status.h"
#include "styles/catalogue_table.h"
#include "styles/painting/stroke_history.h"
#include "styles/style.h"

namespace atelion {

/// The five sliders of the style.
struct SearchedStrokesParameters {
  int minimumSize = 20;  ///< "Minimum brush size": shortest stroke at full size
  int maximumSize = 80;  ///< "Maximum brush size": longest stroke at full size
  int levels = 25;       ///< "Number of brushstrokes", 0..100: number of levels of the search
  int blending = 0;      ///< "Blending intensity", 0..255: transparency of the marks and polygons
  int precision = 30;    ///< "Brushstroke precision", 0..255: candidates tried per stroke

  static constexpr std::array<int, kSlotCount> kRowLabels = {
      row_label::kMinimumBrushSize, row_label::kMaximumBrushSize, row_label::kNumberOfBrushstrokes,
      row_label::kBlendingIntensity, row_label::kBrushstrokePrecision};
};

/// Reads the sliders in slot order, each clamped to its slider's range.
SearchedStrokesParameters SearchedStrokesParametersFrom(const ParameterSet& sliders);

/// The box `StrokeRectangle` gives back, corners included.
struct StrokeBox {
  int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
  bool operator==(const StrokeBox&) const = default;
};

/// The four corners of the length × width rectangle centred on (cx, cy), turned clockwise on the
/// screen by `angle` degrees, each coordinate rounded to the nearest integer (halves to even).
std::array<Point, 4> StrokeCorners(double cx, double cy, double length, double width, double angle);

/// Draws the filled turned rectangle (outline included) in `colour` and gives back an
/// axis-aligned box around it: half extents round(w·|sin| + L·|cos|) shr 1 and
/// round(w·|cos| + L·|sin|) shr 1 about the rounded centre.
StrokeBox StrokeRectangle(double cx, double cy, double length, double width, double angle, Bitmap24& picture,
                          Colour colour);

/// Lays one textured mark of `brush` (a transparent picture, dark marks on light, the stroke along
/// its width): the brush scaled by nearest neighbour to floor(length) × floor(width), its alpha
/// weakened by `blending` (0..255), turned by floor(angle) degrees, tinted so that its dark parts
/// take the colour (red, green, blue) and light parts go towards black, then blended onto the
/// canvas centred on (floor(cx), floor(cy)). Marks of no pixels draw nothing.
void TexturedStroke(double cx, double cy, double length, double width, double angle, Bitmap24& canvas, int red,
                    int green, int blue, const Bitmap32& brush, int blending);

/// The shipped brush `variant` (0..3) when `customBrushes` is empty, else the user's brush
/// number `variant` of that set (taken modulo the set's size).
const Bitmap32& StrokeBrush(std::span<const Bitmap32> customBrushes, int variant);

/// How a caller runs the search.
struct StrokeSearchOptions {
  bool preview = false;         ///< live preview: progress goes to the preview display
  bool eraseBackground = true;  ///< paint on the ground colour, else over `startPicture`
  Colour ground = 0xFFFFFF;
  int startScale = 7;           ///< d0: the model starts at 1/d0 of the picture
  /// The user's brush set; empty means the four shipped brushes.
  std::span<const Bitmap32> customBrushes{};
};

/// What a search leaves besides the picture.
struct StrokeSearchResult {
  std::vector<StrokeRecord> strokes;  ///< in the order they were accepted
  bool stopped = false;               ///< the abort flag ended the search
};

/// The search. `source` is the picture painted from (the whole photograph, or the preview crop);
/// S and C are the source and canvas models, of equal size (C is painted in place). `shown` is
/// the picture the user watches, of the source's size: it takes the canvas at the refresh points
/// and at the end (not after a stop, when it keeps what was last shown); when not erasing, it is
/// also the painting the strokes go over. The random generator is reset to 1969.
StrokeSearchResult StrokeSearchPainting(const Bitmap24& source, Bitmap24& S, Bitmap24& C,
                                        const SearchedStrokesParameters& parameters,
                                        const StrokeSearchOptions& options, Bitmap24& shown, RunContext& context);

/// One SVG polygon element for a stroke given in picture pixels.
std::string SvgStrokePolygon(double cx, double cy, double length, double width, double angle, Colour colour,
                             int blending);

/// The polygon lines of a list of strokes, each scaled by its own scale.
std::vector<std::string> SvgStrokeLines(std::span<const StrokeRecord> strokes, int blending);

/// Writes an SVG file of `width` × `height` holding one polygon per stroke.
Status WriteStrokeSvg(const std::filesystem::path& path, std::span<const StrokeRecord> strokes, int width, int height,
                      int blending);

/// Neither side of a repainted picture exceeds this.
inline constexpr int kLargestReplaySide = 20000;

/// The largest percentage at most `percent` (taken within 100..1000) that keeps both sides of a
/// width × height picture within kLargestReplaySide and its pixels within ImageLimits::kMaxPixels;
/// below 100 only for a picture already larger.
int ReplayPercentLimit(int width, int height, int percent);

/// Repaints `strokes` on the ground colour at `factor` times the size of the width × height
/// picture they were found on: the first tenth at half that size, then the picture is enlarged
/// and the rest drawn at full size. Variants the brush set lacks are drawn again at random.
/// The abort flag stops it between strokes; the picture holds what was drawn at the size reached.
Bitmap24 ReplayStrokes(std::span<const StrokeRecord> strokes, int width, int height, double factor, Colour ground,
                       int blending, std::span<const Bitmap32> customBrushes, RunContext& context);

/// "Painting 4 (brushstrokes)" at full size. Records its strokes in `settings.strokeHistory`
/// when one is given.
StyleOutput ProcessSearchedStrokes(Bitmap24& source, Bitmap24& shown, const StyleSettings& settings,
                                   const SurfaceSettings& surface, RunContext& context);

/// The live preview on a seventh of the crop; a minimum size above the maximum is lowered to it.
StyleOutput PreviewSearchedStrokes(const Bitmap24& crop, const StyleSettings& settings,
                                   const SurfaceSettings& surface, RunContext& context);

inline constexpr StyleEntry kSearchedStrokesStyle{.effectId = kPainting4EffectId,
                                                  .method = FullSizeMethod::ProcessPainting4,
                                                  .rowLabels = SearchedStrokesParameters::kRowLabels,
                                                  .fullSize = ProcessSearchedStrokes,
                                                  .preview = PreviewSearchedStrokes,
                                                  .paintsOnGroundColour = true,
                                                  .seeded = true};

}  // namespace atelion
