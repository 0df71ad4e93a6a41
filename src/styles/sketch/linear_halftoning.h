// Linear halftoning: the photograph as an engraving-like screen of parallel lines whose thickness
// follows the local darkness, at a chosen angle. The picture is framed by a 25-pixel margin,
// turned, covered cell by cell with short line segments that swell and thin smoothly, turned back,
// cut to its size, softened and sharpened.
#pragma once

#include "core/bitmap24.h"
#include "core/run_context.h"
#include "styles/catalogue_table.h"
#include "styles/style.h"

namespace atelion {

/// The three sliders of the style, limited to their ranges.
struct LinearHalftoningParameters {
  int abstraction;      ///< "Level of abstraction": cell size abstraction div 2 + 4 (4 .. 131 pixels)
  int angle;            ///< "Angle", 0..360 degrees
  int colourIntensity;  ///< "Color intensity", 0..100: grey lines at 0, the photograph's colours at 100

  static constexpr std::array<int, kSlotCount> kRowLabels = {
      row_label::kLevelOfAbstraction, row_label::kAngle, row_label::kColorIntensity, kNoLine, kNoLine};
};

/// Reads the parameters from slider values in slot order.
LinearHalftoningParameters LinearHalftoningParametersFrom(const ParameterSet& sliders);

/// `destination` becomes `source` turned by `angle` degrees (clockwise on the screen for a positive
/// angle) onto a canvas that holds the whole turned picture, nearest pixel, white where no source
/// pixel maps. Rows are written from the bottom up; the abort flag is looked at before every row
/// and a stop leaves the rows not reached as the resized destination held them. Every 50th row
/// lets the shell handle its events and, outside the preview, reports progress (phase 1 of 3 for a
/// positive angle, phase 3 of 3 otherwise).
void RotateExpanded(const Bitmap24& source, Bitmap24& destination, int angle, const StyleSettings& settings,
                    RunContext& context);

/// Draws the line screen of `source` (the turned picture) into `destination`, a white picture of
/// the same size: cells of n × n pixels, each drawn as n vertical segments centred n + n div 2 rows
/// below the cell's top, whose thickness moves towards the cell's darkness a step at a time, in a
/// colour mixed from the photograph and grey by "Color intensity", with blended edge pixels. A
/// cell wider than what is left of the picture reads the last column again where it reaches past
/// the right edge. Outside the preview progress is reported as phase 2 of 3; no stop test.
void HalfToneLines(const Bitmap24& source, Bitmap24& destination, const StyleSettings& settings,
                   RunContext& context);

/// The whole chain on `picture`: framed by the 25-pixel margin, turned, screened, turned back and
/// cut to its size, softened and sharpened `sharpenings` times (twice for the drawing and its
/// preview, once for the manual brush). `fullSize` adds the progress reports of a full-size run.
/// `release`, when given, is `picture` itself, let go as soon as its framed copy is made.
Bitmap24 HalftoneLineScreen(const Bitmap24& picture, const StyleSettings& settings, RunContext& context, bool fullSize,
                            int sharpenings, Bitmap24* release = nullptr);

/// The live preview on a crop: the same chain as the full-size drawing, before soften and texture.
StyleOutput PreviewHalfToneLines(const Bitmap24& crop, const StyleSettings& settings, const SurfaceSettings& surface,
                                 RunContext& context);

/// The full-size drawing: the line screen of the source at the chosen angle, cut to the source's
/// size, softened and sharpened twice.
StyleOutput ProcessHalfToneLines(Bitmap24& source, Bitmap24& shown, const StyleSettings& settings,
                                 const SurfaceSettings& surface, RunContext& context);

inline constexpr StyleEntry kLinearHalftoningStyle{.effectId = kLinearHalftoningEffectId,
                                                   .method = FullSizeMethod::ProcessHalfToneLines,
                                                   .rowLabels = LinearHalftoningParameters::kRowLabels,
                                                   .fullSize = ProcessHalfToneLines,
                                                   .preview = PreviewHalfToneLines,
                                                   .seeded = true};

}  // namespace atelion
