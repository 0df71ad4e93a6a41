// Painting 8 (expressive brushstrokes) and its stroke engine, the brush-stamp painting that the
// watercolour painting also uses for its contour strokes.
#pragma once

#include "core/bitmap24.h"
#include "core/run_context.h"
#include "styles/catalogue_table.h"
#include "styles/style.h"

namespace atelion {

/// The largest brush side and stroke count per block the stroke engine accepts.
inline constexpr int kMaxStampSize = 256;
inline constexpr int kMaxStrokesPerBlock = 2500;

/// The brush picture the stroke engine stamps: a copy of the custom brush when one is in use
/// (`settings.customBrush`, or the shipped default custom brush when that is null), otherwise
/// the 250 × 250 cell (1, 2) of the brush sheet for `brushChoice` 1 and cell (1, 7) for any other.
Bitmap24 StampBrushPicture(int brushChoice, const StyleSettings& settings);

/// Which progress the stroke engine reports: the phases of the style that calls it.
enum class StampProgress {
  None,
  /// Painting 8: phases 2·choice − 1 and 2·choice of 4, and intermediate pictures in the preview.
  ExpressivePainting,
  /// The watercolour painting's contour strokes: phase 3 of 4.
  WatercolourContours,
};

/// What the stroke engine reads of the calling style besides the brush.
struct StampOptions {
  int precision = 0;  ///< how well a stroke must fit (the caller's "Brushstroke precision")
  int pause = 0;      ///< the pause after a very good stroke (the caller's row 2 slider)
  StampProgress progress = StampProgress::None;
};

/// Paints brush strokes coloured from `source` onto `destination` in place (both the same size).
/// The brush picture is turned to ten orientations 18 degrees apart; at candidate pixels every
/// orientation is tried with the mean source colour under it, and the best-fitting one is laid at
/// once when it fits well enough. Then, block by block of `size` × `size` pixels, up to
/// `perBlock` + 1 of the best-fitting strokes are laid again on top, the best last.
///   size        brush side in pixels; an odd size is raised by one. Outside 1..256 nothing happens.
///   perBlock    strokes per block of the second phase, at most 2500 (larger values are limited).
///   spread      range of the random candidate draw: the larger, the more candidates.
///   brushChoice 1 or 2: the built-in brush picture and the progress phase.
/// Reads the custom brush and `preview` of `settings`. Sets the random seed to 1969, so equal
/// inputs give equal pictures. Checks `AbortRequested` before anything (returning without touching
/// the picture), at every candidate pixel and after every block; a stopped run keeps the strokes
/// laid so far.
void BrushStampPainting(const Bitmap24& source, Bitmap24& destination, int size, int perBlock, int spread,
                        int brushChoice, const StampOptions& options, const StyleSettings& settings,
                        RunContext& context);

/// The five sliders of Painting 8.
struct ExpressivePaintingParameters {
  int maximumBrushSize = 0;  ///< "Maximum brush size": the large brush is this div 4 + 15 pixels
  int strokeCount = 0;       ///< "Number of brushstrokes": candidates, and the pause after a good stroke
  int precision = 0;         ///< "Brushstroke precision": how well a stroke must fit
  int contrast = 0;          ///< "Level of contrast": sharpening before and after
  int details = 0;           ///< "Level of details": the second pass with a smaller brush; 0 skips it

  static constexpr std::array<int, kSlotCount> kRowLabels = {
      row_label::kMaximumBrushSize, row_label::kNumberOfBrushstrokes, row_label::kBrushstrokePrecision,
      row_label::kLevelOfContrast, row_label::kLevelOfDetails};
};

/// Reads the sliders in slot order.
ExpressivePaintingParameters ExpressivePaintingParametersFrom(const ParameterSet& sliders);

/// "Painting 8 (expressive brushstrokes)": sharpens `source` in place (the document's own
/// source, so the sharpening stays), paints `destination` (a copy of the source on entry) with a
/// large brush and, when "Level of details" is above 0, a second pass with a smaller one, and
/// sharpens the painting. In a preview the intermediate paintings go to `ShowPreviewProgress`.
void ExpressivePainting(Bitmap24& source, Bitmap24& destination, const StyleSettings& settings, RunContext& context);

/// The live preview: the painting of a copy of the crop, before soften and texture.
StyleOutput PreviewExpressivePainting(const Bitmap24& crop, const StyleSettings& settings,
                                      const SurfaceSettings& surface, RunContext& context);

/// The full-size drawing: the document's source is sharpened and painted from, into the result
/// panel's picture, which becomes the drawing.
StyleOutput ProcessExpressivePainting(Bitmap24& source, Bitmap24& shown, const StyleSettings& settings,
                                      const SurfaceSettings& surface, RunContext& context);

inline constexpr StyleEntry kExpressivePaintingStyle{.effectId = kPainting8EffectId,
                                                     .method = FullSizeMethod::ProcessExpressivePainting,
                                                     .rowLabels = ExpressivePaintingParameters::kRowLabels,
                                                     .fullSize = ProcessExpressivePainting,
                                                     .preview = PreviewExpressivePainting,
                                                     .seeded = true};

}  // namespace atelion
