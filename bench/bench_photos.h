// The benchmark photographs, loaded once and shared by every benchmark.
#pragma once

#include <string>

#include "core/bitmap24.h"

namespace atelion::bench {

void SetPhotoFolder(const std::string& folder);
/// The 2 MP (1600 × 1200) or 12 MP (4000 × 3000) photograph; aborts the benchmark run
/// with a message when it cannot be read.
const Bitmap24& Photo(int megapixels);

}  // namespace atelion::bench
