#include "bench_photos.h"

#include <cstdio>
#include <cstdlib>
#include <map>

#include "imageio/image_files.h"

namespace atelion::bench {

namespace {
std::string photoFolder = "build/photos";
}

void SetPhotoFolder(const std::string& folder) { photoFolder = folder; }

const Bitmap24& Photo(int megapixels) {
  static std::map<int, Bitmap24> cache;
  auto found = cache.find(megapixels);
  if (found != cache.end()) return found->second;
  const std::string path = photoFolder + "/photo-" + std::to_string(megapixels) + "mp.jpg";
  LoadedImage loaded = LoadImageFile(path);
  if (!loaded.status) {
    std::fprintf(stderr, "%s\n(make the photographs with ../shared/bench/photos.sh DIR)\n",
                 loaded.status.message().c_str());
    std::exit(2);
  }
  return cache.emplace(megapixels, std::move(loaded.picture)).first->second;
}

}  // namespace atelion::bench
