// Compiled against the include root of the styles layer, this must fail: the run pipeline lies in
// a layer above the styles, so a style cannot include it.
#include "effects/run_pipeline.h"
