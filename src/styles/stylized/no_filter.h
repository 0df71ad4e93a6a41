// "Frame, texture and text only": no drawing, only the photograph's tone set by five sliders
// (luminosity, contrast, saturation, blur or sharpen, vivify), then the usual finishing.
#pragma once

#include "core/filters.h"
#include "styles/catalogue_table.h"
#include "styles/style.h"

namespace atelion {

/// The tone adjustment of the five sliders, in slot order.
ToneSettings ToneSettingsFrom(const ParameterSet& sliders);

inline constexpr std::array<int, kSlotCount> kToneRowLabels = {
    row_label::kLuminosity, row_label::kContrast, row_label::kSaturation, row_label::kBlurSharpen,
    row_label::kVivifyPhoto};

/// The full-size run: the tone-adjusted source, or in the script's final finishing pass the
/// source as it is.
StyleOutput ProcessNoFilter(Bitmap24& source, Bitmap24& shown, const StyleSettings& settings,
                            const SurfaceSettings& surface, RunContext& context);

/// The live preview: the tone adjustment comes after soften and texture here, so the untextured
/// copy keeps the crop as it was.
StyleOutput PreviewNoFilter(const Bitmap24& crop, const StyleSettings& settings, const SurfaceSettings& surface,
                            RunContext& context);

inline constexpr StyleEntry kNoFilterStyle{.effectId = kNoEffectId,
                                           .method = FullSizeMethod::ProcessNoFilter,
                                           .rowLabels = kToneRowLabels,
                                           .fullSize = ProcessNoFilter,
                                           .preview = PreviewNoFilter,
                                           .seeded = true};

}  // namespace atelion
