// Which full-size method runs each style. A style appears here once its algorithm exists.
#include "effects/run_pipeline.h"

// Style headers, one per line.

namespace atelion {

FullSizeRunner FindFullSizeRunner(int effectId) {
  if (!IsEffectId(effectId)) return nullptr;
  switch (DescribeEffect(effectId).method) {
    case FullSizeMethod::ProcessNoFilter: return ProcessNoFilter;
    // Styles, one case per line.
    default: return nullptr;
  }
}

bool StyleAvailable(int effectId) { return FindFullSizeRunner(effectId) != nullptr; }

}  // namespace atelion
