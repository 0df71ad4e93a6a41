// The adjustments of the photograph before a style is applied: luminosity, contrast, saturation,
// blur or sharpening and a median simplification, each set on a slider. The same chain of filters
// runs on the small preview of a part of the photograph and, when the user applies it, on the
// whole photograph, so the preview shows what the photograph will look like.
#pragma once

#include <vector>

#include "core/bitmap24.h"
#include "core/canvas.h"
#include "core/filters.h"
#include "core/run_context.h"
#include "core/status.h"
#include "document/document.h"
#include "document/image_view.h"

namespace atelion {

/// The five slider positions of the source modifications, 0 = no change.
struct SourceModificationSettings {
  int luminosity = 0;      ///< −100..100
  int contrast = 0;        ///< −100..100
  int saturation = 0;      ///< −100..100
  int blurSharpen = 0;     ///< −5..5: blur below 0, sharpen above
  int simplification = 0;  ///< 0..9: median window of this + 2

  bool operator==(const SourceModificationSettings&) const = default;
};

/// The range of each slider.
struct SliderRange {
  int minimum, maximum;
};
inline constexpr SliderRange kLuminosityRange{-100, 100};
inline constexpr SliderRange kContrastRange{-100, 100};
inline constexpr SliderRange kSaturationRange{-100, 100};
inline constexpr SliderRange kBlurSharpenRange{-5, 5};
inline constexpr SliderRange kSimplificationRange{0, 9};

/// The side of the square preview of a part of the photograph.
inline constexpr int kModificationPreviewSide = 150;
/// Where the preview part starts when the window opens (kept within the photograph).
inline constexpr Point kModificationPreviewStart{110, 0};

/// One filter of the chain, with the amount it is called with.
struct ModificationStep {
  enum class Filter { Median, Brightness, PivotContrast, LocalContrast, Saturation, Sharpen, BoxBlur, Soften };
  Filter filter;
  int amount = 0;  ///< median: window size; contrasts, brightness, saturation: amount; others: unused

  bool operator==(const ModificationStep&) const = default;
};

/// The filters `settings` call for, in the order they run: the median first (only when the
/// simplification is above 0), then brightness, contrast (a pull towards grey 127 below 0, local
/// contrast of twice the amount from 0 on — 0 included, which changes nothing), saturation, and
/// last the blur or sharpening: n > 0 sharpens n times; n < 0 makes |n| passes from n up to −1,
/// box blurs for the passes below −3 and softenings for the rest (−5: two box blurs, three
/// softenings).
std::vector<ModificationStep> PlanSourceModifications(const SourceModificationSettings& settings);

/// Runs one filter of the chain on `picture` in place (see ModifyPicture for `sourceMean`).
/// False when the median was stopped by `context.AbortRequested` (the picture is then part-way).
bool ApplyModificationStep(Bitmap24& picture, const ModificationStep& step, const MeanColour& sourceMean,
                           RunContext& context);

/// Runs the chain on `picture` in place. `sourceMean` is the mean colour of the whole photograph,
/// so the preview of a part is contrasted as the whole will be. Stops early, leaving the picture
/// part-way, when `context.AbortRequested` is set; false then.
bool ModifyPicture(Bitmap24& picture, const SourceModificationSettings& settings, const MeanColour& sourceMean,
                   RunContext& context);

/// The adjusted photograph replaces the document's source and is recorded as one history step.
Status RecordModifiedSource(Document& document, Bitmap24 picture);

/// The top-left corner of the preview part moved to `wanted`, kept within 0..width − 150 and
/// 0..height − 150 (0 on an axis where the photograph is smaller than the preview).
Point ClampModificationPreviewOrigin(Point wanted, PictureSize source);

/// The plain part of `source` the preview shows: 150 × 150 pixels from `origin` (clamped as above),
/// or the whole photograph on an axis where it is smaller.
Bitmap24 ModificationPreviewPart(const Bitmap24& source, Point origin);

}  // namespace atelion
