// The example pictures of the styles: one 195 × 195 picture per style, drawn at build time from the
// built-in sample photograph, shown when the pointer rests on a style and in the window that
// offers every style by its picture.
#pragma once

#include <optional>
#include <string>

#include "core/bitmap24.h"
#include "core/run_context.h"

namespace atelion {

/// Side of an example picture in pixels.
inline constexpr int kStyleSampleSide = 195;

/// Where the examples are numbered: the pencil list's items first, then the pen and ink,
/// painting, stylized, miscellaneous and "no effect" lists in their order (offsets 0, 7, 9, 20,
/// 28 and 31). −1 for a value that is not an `EffectId`.
int StyleSampleIndex(int effectId);
/// The style of example `index` (0..31), or −1 outside that range.
int EffectForStyleSample(int index);

/// The example's path in the resources folder ("samples/style_sample_NN.png", NN = the sample
/// index in two digits).
std::string StyleSamplePath(int effectId);

/// What every example is drawn from: the photograph scaled to 195 pixels high and cut to a square
/// that holds the tree, the house and the jetty of the built-in sample (a picture narrower than
/// the square is centred on white).
Bitmap24 StyleSampleScene(const Bitmap24& photo);

/// Draws the example of `effectId` from `scene` with the style's factory values, the generator
/// reset to the styles' seed first so every build draws the same pictures. `drawing` is the
/// result the merge of source and result blends with (a drawing of the same scene). Nothing for a
/// style not built in this build or a run that did not finish.
std::optional<Bitmap24> RenderStyleSample(const Bitmap24& scene, const Bitmap24& drawing, int effectId);

}  // namespace atelion
