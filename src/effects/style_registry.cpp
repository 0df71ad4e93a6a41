// Which full-size method runs each style. A style appears here once its algorithm exists.
#include "effects/run_pipeline.h"

// Style headers, one per line.
#include "styles/painting/painting_7.h"
#include "styles/painting/painting_8.h"
#include "styles/sketch/pencil_sketch_1.h"
#include "styles/stylized/emergence.h"
#include "styles/stylized/vivify.h"

namespace atelion {

FullSizeRunner FindFullSizeRunner(int effectId) {
  if (!IsEffectId(effectId)) return nullptr;
  switch (DescribeEffect(effectId).method) {
    case FullSizeMethod::ProcessNoFilter: return ProcessNoFilter;
    // Styles, one case per line.
    case FullSizeMethod::ProcessExpressivePainting: return ProcessExpressivePainting;
    case FullSizeMethod::ProcessPencilSketch: return ProcessPencilSketch;
    case FullSizeMethod::ProcessRandomStrokes: return ProcessRandomStrokes;
    case FullSizeMethod::ProcessRandomPolygons: return ProcessRandomPolygons;
    case FullSizeMethod::ProcessVivify: return ProcessVivify;
    default: return nullptr;
  }
}

bool StyleAvailable(int effectId) { return FindFullSizeRunner(effectId) != nullptr; }

}  // namespace atelion
