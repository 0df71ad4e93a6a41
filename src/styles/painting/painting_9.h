// Painting 9: the picture painted with many irregular blobs of flat colour, like dabs of gouache.
// Each blob takes the colour of a seed pixel and spreads along 150 rays until the colour
// difference to the photograph has used up the ray's budget, so it fills a region of like colour
// and stops at contours; it is grained with the watercolour paper and mixed in with a weight that
// fades away from the seed.
#pragma once

#include "core/bitmap24.h"
#include "core/run_context.h"
#include "styles/catalogue_table.h"
#include "styles/style.h"

namespace atelion {

/// The five sliders of the style, limited to their ranges.
struct BlobPaintingParameters {
  int iterations = 0;     ///< I, "Number of iterations": 75 · I + 1 rounds of blobs
  int brushSize = 0;      ///< Z, "Size of paintbrush": the larger, the cheaper a ray step
  int precision = 0;      ///< P, "Precision of paintbrush", 0..100: how much a seed must differ
  int edgeIntensity = 0;  ///< G, "Edge intensity": the contour darkening; 0 switches it off
  int lighten = 0;        ///< L, "Darken/Lighten": lightening when painting over an earlier result

  static constexpr std::array<int, kSlotCount> kRowLabels = {
      row_label::kNumberOfIterations, row_label::kSizeOfPaintbrush, row_label::kPrecisionOfPaintbrush,
      row_label::kEdgeIntensity, row_label::kDarkenLighten};
};

/// Reads the parameters from slider values in slot order.
BlobPaintingParameters BlobPaintingParametersFrom(const ParameterSet& sliders);

/// The farthest a blob's ray reaches from its seed, in pixels. On a flat area of a white canvas
/// a ray's budget never runs out, and without this limit a ray would cross the whole picture,
/// every blob there covering it all.
inline constexpr int kMaxBlobRay = 1024;

/// Paints blobs taken from `source` onto `canvas` (the same size) in place. With
/// `settings.eraseBackground` the canvas is made white first, and at the end pixels of the last
/// column and row that blobs left bare white take the paint of the nearest painted pixel inside
/// (at most 8 pixels in); otherwise
/// the blobs go over what the canvas holds, and the result is lightened by `lighten` at the end. The contour layer (the edge
/// stroke layer of the source, threshold 50 − G div 8) darkens the picture by G. The random
/// generator is reset to 1969, so equal inputs give equal pictures. The abort flag is looked at
/// after every blob: an aborted painting keeps its blobs and gets neither lightening nor contours.
/// Reads `preview`, `manualBrushMode` and the soften and texture settings (which the edge stroke
/// layer carries).
void BlobPainting(const Bitmap24& source, Bitmap24& canvas, const BlobPaintingParameters& parameters,
                  const StyleSettings& settings, const SurfaceSettings& surface, RunContext& context);

/// The full-size drawing: the result panel's picture is the canvas (white unless "Don't erase
/// background" is checked, then the earlier result over the source).
StyleOutput ProcessBlobPainting(Bitmap24& source, Bitmap24& shown, const StyleSettings& settings,
                                const SurfaceSettings& surface, RunContext& context);

/// The live preview's run on a crop, before soften and texture. Painting over an earlier result,
/// the crop itself stands for it.
StyleOutput PreviewBlobPainting(const Bitmap24& crop, const StyleSettings& settings, const SurfaceSettings& surface,
                                RunContext& context);

inline constexpr StyleEntry kBlobPaintingStyle{.effectId = kPainting9EffectId,
                                               .method = FullSizeMethod::ProcessPainting9,
                                               .rowLabels = BlobPaintingParameters::kRowLabels,
                                               .fullSize = ProcessBlobPainting,
                                               .preview = PreviewBlobPainting,
                                               .seeded = true};

}  // namespace atelion
