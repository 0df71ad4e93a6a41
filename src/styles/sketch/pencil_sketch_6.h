// Pencil sketch 6: a grey pencil drawing built stroke by stroke by trial and error. Each stroke is a
// short straight line along the local contour (or one of two hatching directions where the picture
// is flat), kept only when it brings the drawing closer to a grey version of the photograph along
// its own path; strong contours are darkened at the end and the photograph's colours can be
// blended in.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "core/bitmap24.h"
#include "core/canvas.h"
#include "core/run_context.h"
#include "styles/catalogue_table.h"
#include "styles/style.h"

namespace atelion {

/// The five sliders of the style, limited to their ranges.
struct PencilSketch6Parameters {
  int minimumSize = 0;      ///< "Minimum stroke size"
  int maximumSize = 0;      ///< "Maximum stroke size": the longest stroke is 5 pixels more
  int iterations = 0;       ///< "Number of iterations", 0..100: number of placement passes
  int colourIntensity = 0;  ///< "Color intensity": colour blended in at the end, 0 none
  int precision = 0;        ///< "Filter precision": candidates tried per stroke

  static constexpr std::array<int, kSlotCount> kRowLabels = {
      row_label::kMinimumStrokeSize, row_label::kMaximumStrokeSize, row_label::kNumberOfIterations,
      row_label::kColorIntensity, row_label::kFilterPrecision};
};

/// Reads the parameters from slider values in slot order, each limited to its slider's range.
PencilSketch6Parameters PencilSketch6ParametersFrom(const ParameterSet& sliders);

/// The pixels of the integer line from (x1, y1) to (x2, y2), both ends included, in order from
/// (x1, y1): max(|x2 − x1|, |y2 − y1|) + 1 points.
std::vector<Point> LinePoints(int x1, int y1, int x2, int y2);

/// The grey of every pixel of a picture, row by row (the grey target of the drawing).
struct GreyPlane {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> values;
  int At(int x, int y) const { return values[static_cast<std::size_t>(y) * width + x]; }
};

/// Walks `points` in order, summing |D red − target| into e and |candidate − target| into b, where
/// `candidate` holds the red the candidate stroke gives each point; stops as soon as b > e after a
/// point. Returns b − e: negative when the candidate is closer to the target than D all along.
std::int64_t StrokeGain(const Bitmap24& D, std::span<const std::uint8_t> candidate, const GreyPlane& target,
                        std::span<const Point> points);

/// Draws into `D` (the size of `S`) from `S`, read only. D is first filled with
/// `settings.paperColour` when `settings.eraseBackground` is set or `preview` is true; otherwise
/// the strokes go over D's content. The number of placement passes follows the share of the
/// whole source (`settings.sourceWidth` × `sourceHeight`, the picture's own size when 0) that S
/// covers, so a preview crop gets as many strokes per pixel as the full picture. Pictures narrower
/// or lower than 3 pixels get no strokes. Draws from `context.Rng` without resetting it. The abort
/// flag is looked at every 200 tries and at every display refresh; an aborted drawing keeps its
/// strokes and gets neither contour darkening nor colour.
void PencilSketch6(const Bitmap24& S, Bitmap24& D, const PencilSketch6Parameters& parameters,
                   const StyleSettings& settings, bool preview, RunContext& context);

/// The live preview on a crop: the drawing on fresh paper, before soften and texture.
StyleOutput PreviewPencilSketch6(const Bitmap24& crop, const StyleSettings& settings, const SurfaceSettings& surface,
                                 RunContext& context);

/// The full-size drawing, straight into the result panel's picture: on a copy of the source when
/// the background is erased or the result's size differs, otherwise over the previous result
/// (the paper colour then fills it only when the background is erased).
StyleOutput ProcessPencilSketch6(Bitmap24& source, Bitmap24& shown, const StyleSettings& settings,
                                 const SurfaceSettings& surface, RunContext& context);

inline constexpr StyleEntry kPencilSketch6Style{.effectId = kPencilSketch6EffectId,
                                                .method = FullSizeMethod::ProcessPencilSketch6,
                                                .rowLabels = PencilSketch6Parameters::kRowLabels,
                                                .fullSize = ProcessPencilSketch6,
                                                .preview = PreviewPencilSketch6,
                                                .paintsOnGroundColour = true};

}  // namespace atelion
