// Vintage photo: the photograph as an old print, with a dark vignette towards the corners
// (full-size runs only), a soft blur, blotches from an old-paper texture, a sepia tone blended
// with the photograph's own colours, a mix between sepia and plain grey and a brightness shift.
#pragma once

#include "core/bitmap24.h"
#include "core/run_context.h"
#include "styles/catalogue_table.h"
#include "styles/style.h"

namespace atelion {

/// The five sliders of the style, limited to their ranges.
struct VintagePhotoParameters {
  int strength;       ///< "Strength of effect": share of the sepia tone against the colours
  int blur;           ///< "Blur strength": number and softness of the blur passes
  int paperDefects;   ///< "Old paper defects": depth of the paper's blotches, 50 as painted
  int sepia;          ///< "Sepia coloring": share of the toned picture against plain grey
  int darkenLighten;  ///< "Darken/Lighten": brightness offset from 127

  static constexpr std::array<int, kSlotCount> kRowLabels = {
      row_label::kStrengthOfEffect, row_label::kBlurStrength, row_label::kOldPaperDefects, row_label::kSepiaColoring,
      row_label::kDarkenLighten};
};

/// Reads the parameters from slider values in slot order.
VintagePhotoParameters VintagePhotoParametersFrom(const ParameterSet& sliders);

/// Darkens `image` in place towards its corners: a mask of ellipse outlines two pixels wide, the
/// first inscribed in the picture in white, each further one a pixel larger on every side and
/// darker, black from 10/16 of the way on; each channel becomes channel · mask div 256.
void Vignette(Bitmap24& image);

/// The blur of the vintage photo: `passes` passes in place, each pixel the weighted mean of its
/// neighbours (as they stand, the ones above and to the left already updated) and `centreWeight`
/// times itself; edge pixels use their five neighbours, corners stay.
void VintageBlur(Bitmap24& image, int centreWeight, int passes, RunContext* context = nullptr, bool report = false);

/// Draws `source` (changed in place by the vignette, outside the preview, and the blur) into
/// `destination` (resized to the source's size). `paper` is the old-paper picture; its top-left
/// 56 × 63 pixels are tiled over the photograph.
void VintagePhoto(Bitmap24& source, Bitmap24& destination, const Bitmap24& paper, const StyleSettings& settings,
                  RunContext& context);

/// The live preview's run on a crop: no vignette.
StyleOutput PreviewVintagePhoto(const Bitmap24& crop, const StyleSettings& settings, const SurfaceSettings& surface,
                                RunContext& context);

/// The full-size drawing, from a copy of the source.
StyleOutput ProcessSepia(Bitmap24& source, Bitmap24& shown, const StyleSettings& settings,
                         const SurfaceSettings& surface, RunContext& context);

inline constexpr StyleEntry kVintagePhotoStyle{.effectId = kVintagePhotoEffectId,
                                               .method = FullSizeMethod::ProcessSepia,
                                               .rowLabels = VintagePhotoParameters::kRowLabels,
                                               .fullSize = ProcessSepia,
                                               .preview = PreviewVintagePhoto,
                                               .seeded = true};

}  // namespace atelion
