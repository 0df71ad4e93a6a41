// Fetching a picture from a web address.
#pragma once

#include <cstddef>
#include <string>

#include "imageio/image_files.h"

namespace atelion {

/// How much a download may take before it is abandoned.
struct DownloadLimits {
  std::size_t maxBytes = 64u << 20;  // far above any photograph worth turning into a drawing
  int maxRedirects = 5;
  int connectTimeoutSeconds = 15;
  int totalTimeoutSeconds = 60;
};

/// Fetches a picture from an http or https address and decodes it. Checks the HTTP status,
/// caps the size and times out; an unknown format gives "Unrecognized file format!".
LoadedImage DownloadImage(const std::string& address, const DownloadLimits& limits = {});

}  // namespace atelion
