// Painting 10: a shaded round brush dragged along short straight strokes laid across the local
// edge; each dab mixes the colour of the stroke's start with a lighter copy by the brush's
// transparency and lands only as strongly as it agrees with the photograph, so strokes stop at
// edges. Large strokes first fill the white canvas; sizes shrink level by level.
#pragma once

#include "core/bitmap24.h"
#include "core/run_context.h"
#include "styles/catalogue_table.h"
#include "styles/style.h"

namespace atelion {

/// The five sliders of the style.
struct ShadedBrushParameters {
  int minimumSize = 0;   ///< "Minimum brush size": the last level is 4·a
  int iterations = 0;    ///< "Number of iterations": first level and attempts per step
  int abstraction = 0;   ///< "Level of abstraction", 0..100: only edges stronger than about 10·c
  int strength = 0;      ///< "Strength of effect": brush opacity and tolerance
  int saturation = 0;    ///< "Saturation": 128 leaves the colours as they are

  static constexpr std::array<int, kSlotCount> kRowLabels = {
      row_label::kMinimumBrushSize, row_label::kNumberOfIterations, row_label::kLevelOfAbstraction,
      row_label::kStrengthOfEffect, row_label::kSaturation};
};

/// Reads the sliders in slot order, each limited to its range.
ShadedBrushParameters ShadedBrushParametersFrom(const ParameterSet& sliders);

/// What differs between the full-size painting and its preview form, and the brush in use.
struct ShadedBrushOptions {
  bool doubled = false;   ///< the "x 2" box: strokes three times (preview: two times) as long and wide
  bool preview = false;   ///< the preview form: the start point is not clamped, previews are shown
  /// The brush picture in use (`PaintBrush3D`), owned by the caller; null: the shipped brush.
  const Bitmap32* brush = nullptr;
};

/// Paints S into D (D takes S's size and starts white). S's saturation is changed in place first.
/// The random generator is reset to 69006, so equal inputs give equal pictures. A stop request is
/// seen at the start of each step of an even level; the strokes made so far remain and the final
/// sharpening is skipped. Returns false when stopped.
bool ShadedBrushPainting(Bitmap24& S, Bitmap24& D, const ShadedBrushParameters& parameters,
                         const ShadedBrushOptions& options, RunContext& context);

/// The same painting in its preview form (`options.preview` forced on).
bool ShadedBrushPaintingPreview(Bitmap24& S, Bitmap24& D, const ShadedBrushParameters& parameters,
                                ShadedBrushOptions options, RunContext& context);

/// "Painting 10 (brushstrokes)" at full size.
StyleOutput ProcessPainting10(Bitmap24& source, Bitmap24& shown, const StyleSettings& settings,
                              const SurfaceSettings& surface, RunContext& context);

/// The live preview on a crop.
StyleOutput PreviewPainting10(const Bitmap24& crop, const StyleSettings& settings, const SurfaceSettings& surface,
                              RunContext& context);

inline constexpr StyleEntry kShadedBrushStyle{.effectId = kPainting10EffectId,
                                              .method = FullSizeMethod::ProcessPainting10,
                                              .rowLabels = ShadedBrushParameters::kRowLabels,
                                              .fullSize = ProcessPainting10,
                                              .preview = PreviewPainting10,
                                              .seeded = true};

}  // namespace atelion
