// The list of all 32 styles, one entry each, in the order of their style numbers. The pipeline,
// the live preview, the windows, both command lines, the benchmarks and the tests find a style
// here; the compiler checks the list against the catalogue.
#pragma once

#include <span>

#include "styles/style.h"

namespace atelion {

/// Every style's entry, indexed by `EffectId`.
std::span<const StyleEntry, kEffectCount> StyleList();

/// The entry of a style, or null for a value that is not an `EffectId`.
const StyleEntry* FindStyle(int effectId);

/// The style's algorithm is part of this build.
bool StyleAvailable(int effectId);
/// The style has a live preview in this build (the others preview as white).
bool StyleHasPreview(int effectId);

}  // namespace atelion
