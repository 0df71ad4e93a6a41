// Painting 11: real brush marks from sheets of transparent brush pictures, tinted with the
// photograph's colour, tried from a large size down to the smallest where the painting differs
// most from the photograph, and kept only when they bring it clearly closer.
#pragma once

#include "core/bitmap24.h"
#include "core/run_context.h"
#include "styles/catalogue_table.h"
#include "styles/style.h"

namespace atelion {

/// The five sliders of the style.
struct AlphaBrushParameters {
  int minimumSize = 0;   ///< "Minimum brush size": smallest mark 2·min(a, b) + 5 pixels
  int maximumSize = 0;   ///< "Maximum brush size": largest mark 2·b + 5 pixels
  int strokeCount = 0;   ///< "Number of brushstrokes", 0..100: marks tried per size step
  int blending = 0;      ///< "Blending intensity": lowers the marks' opacity
  int abstraction = 0;   ///< "Level of abstraction": fewer candidate points, more varied sheets

  static constexpr std::array<int, kSlotCount> kRowLabels = {
      row_label::kMinimumBrushSize, row_label::kMaximumBrushSize, row_label::kNumberOfBrushstrokes,
      row_label::kBlendingIntensity, row_label::kLevelOfAbstraction};
};

/// Reads the sliders in slot order, each limited to its range.
AlphaBrushParameters AlphaBrushParametersFrom(const ParameterSet& sliders);

/// A user's own sheet of transparent brushes (cells of 256 × 256, 8 to a row) and how many
/// brushes it holds. Owned by the caller.
struct CustomBrushSheet {
  const Bitmap32* sheet = nullptr;
  int count = 0;
};

/// Paints `S` into `D` (which must have S's size) with marks of the shipped brush sheets, or of
/// `custom` when one is given (null: the shipped sheets). `D` is first filled with
/// `settings.paperColour` when `settings.eraseBackground` is set or in a preview; otherwise the
/// marks go over what `D` holds.
///
/// 1001 size steps run from about twice the largest size down to the smallest, the size halving
/// every hundred steps; at each step one brush picture is cut from a sheet, scaled, made more
/// transparent by `blending`, turned by a random angle, and tried at points where painting and
/// photograph (and the contour layer) differ most. A mark is laid when it lowers the colour
/// distance under it by at least a fifth of its area. Marks never exceed 512 pixels nor half the
/// picture; a picture too small to hold a mark of one pixel stays as it is.
///
/// Draws from the run context's generator as it stands (not reseeded). The abort flag is looked at
/// after every trial; the marks laid so far remain.
void AlphaBrushPainting(const Bitmap24& S, Bitmap24& D, const AlphaBrushParameters& parameters,
                        const StyleSettings& settings, const SurfaceSettings& surface, RunContext& context,
                        const CustomBrushSheet* custom = nullptr);

/// "Painting 11 (brushstrokes)" at full size: paints over the result panel's picture (the source,
/// or with "Don't erase background" the previous result scaled to the source's size).
StyleOutput ProcessPainting11(Bitmap24& source, Bitmap24& shown, const StyleSettings& settings,
                              const SurfaceSettings& surface, RunContext& context);

/// The live preview on a crop, on the ground colour.
StyleOutput PreviewPainting11(const Bitmap24& crop, const StyleSettings& settings, const SurfaceSettings& surface,
                              RunContext& context);

inline constexpr StyleEntry kAlphaBrushStyle{.effectId = kPainting11EffectId,
                                             .method = FullSizeMethod::ProcessPainting11,
                                             .rowLabels = AlphaBrushParameters::kRowLabels,
                                             .fullSize = ProcessPainting11,
                                             .preview = PreviewPainting11,
                                             .paintsOnGroundColour = true,
                                             .seeded = false};

}  // namespace atelion
