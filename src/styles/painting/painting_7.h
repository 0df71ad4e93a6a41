// Painting 7: brush strokes at random angles and places, from large brushes down to small
// ones, each kept only when it brings the painting closer to the photograph.
#pragma once

#include "core/bitmap24.h"
#include "core/run_context.h"
#include "styles/catalogue_table.h"
#include "styles/style.h"

namespace atelion {

/// The five sliders of the style as the stroke engine reads them.
struct RandomStrokesParameters {
  int minimumSize = 0;    ///< "Minimum brush size"
  int maximumSize = 0;    ///< "Maximum brush size"
  int strokeCount = 0;    ///< "Number of brushstrokes", 0..100
  int edgeIntensity = 0;  ///< "Edge intensity": contour darkening at the end
  int precision = 0;      ///< "Brushstroke precision", 0..255

  static constexpr std::array<int, kSlotCount> kRowLabels = {
      row_label::kMinimumBrushSize, row_label::kMaximumBrushSize, row_label::kNumberOfBrushstrokes,
      row_label::kEdgeIntensity, row_label::kBrushstrokePrecision};
};

/// Reads the sliders in slot order; a minimum size above the maximum is lowered to it.
RandomStrokesParameters RandomStrokesParametersFrom(const ParameterSet& sliders);

/// How a caller uses the stroke engine.
struct StrokeEngineOptions {
  /// Opens with a phase in which almost every stroke is kept: Painting 7 itself. Other callers,
  /// such as the painted frame, go without it.
  bool openingPhase = true;
  /// The colour the painting starts from.
  Colour ground = 0xFFFFFF;
};

/// Paints `source` stroke by stroke into `result`. Before painting, `source` is sharpened in place
/// with `LocalContrast` at strength 10 (full-size runs keep that sharpening in the document's
/// source). `result` takes the source's size, is filled with `options.ground` and fully
/// repainted; at the end its contours are darkened by `edgeIntensity` where the painting still
/// differs from the source or where the edge stroke layer is dark.
///
/// Sizes: the brush starts at `maximumSize` + 6 (about twice that with `settings.doubled`) and
/// shrinks by 10 % per size step until it would fall below `minimumSize` + 5. `strokeCount`
/// (0..100) sets the stroke budget, tripled while row 3 shows "MAX"; `precision` (0..255) sets
/// how much a stroke must improve the painting and how far the painting must differ from the
/// photograph where a stroke starts. Sizes are taken as at least 0 and at most 255.
///
/// Also reads: `settings.preview`, `settings.doubled`, `settings.customBrushInUse` and
/// `settings.customBrush`, `settings.sourceMean`, the soften and texture settings (which the edge
/// stroke layer carries), and the run context's `ProgressSuppressed` flag: when set, no edge
/// layer is drawn and no progress is shown, and a preview run does nothing at all.
///
/// The random generator is reset to 1969, so equal inputs give equal pictures. The abort flag
/// is looked at before every stroke; an aborted painting keeps its strokes and gets no contour
/// darkening.
void RandomStrokePainting(Bitmap24& source, Bitmap24& result, const RandomStrokesParameters& parameters,
                          const StrokeEngineOptions& options, const StyleSettings& settings,
                          const SurfaceSettings& surface, RunContext& context);

/// "Painting 7 (brushstrokes)" at full size: paints the document's source (which keeps the
/// sharpening) into the result panel's picture, which becomes the drawing. The sliders given
/// back show a minimum size lowered to the maximum.
StyleOutput ProcessRandomStrokes(Bitmap24& source, Bitmap24& shown, const StyleSettings& settings,
                                 const SurfaceSettings& surface, RunContext& context);

/// The live preview of "Painting 7" on a crop: the same slider rule, then the painting of a copy
/// of the crop (the crop itself is not sharpened), before soften and texture.
StyleOutput PreviewRandomStrokes(const Bitmap24& crop, const StyleSettings& settings, const SurfaceSettings& surface,
                                 RunContext& context);

inline constexpr StyleEntry kRandomStrokesStyle{.effectId = kPainting7EffectId,
                                                .method = FullSizeMethod::ProcessRandomStrokes,
                                                .rowLabels = RandomStrokesParameters::kRowLabels,
                                                .fullSize = ProcessRandomStrokes,
                                                .preview = PreviewRandomStrokes,
                                                .paintsOnGroundColour = true,
                                                .seeded = true};

}  // namespace atelion
