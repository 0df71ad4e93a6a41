// One GET request over http or https with libcurl, the way every fetch of the program makes it:
// only those two protocols (also after a redirect), a bounded number of redirects, connect and
// total timeouts, no signals, and the body handed to the caller piece by piece.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace atelion {

struct WebGetOptions {
  int maxRedirects = 3;
  int connectTimeoutSeconds = 10;
  int totalTimeoutSeconds = 30;
  /// A stated length above this stops the transfer before the body arrives; 0 = no limit.
  std::int64_t maxFileSize = 0;
  const char* userAgent = "Atelion";
};

struct WebGetResult {
  bool completed = false;           ///< the whole answer was received
  bool stoppedByReceiver = false;   ///< the receiver took less than it was offered
  bool fileTooLarge = false;        ///< the stated length exceeded `maxFileSize`
  long httpStatus = 0;
  std::string error;                ///< what went wrong when neither completed nor stopped
};

/// Receives a piece of the body; returning fewer bytes than offered stops the transfer.
using WebBodyReceiver = std::function<std::size_t(const char* data, std::size_t bytes)>;

WebGetResult WebGet(const std::string& address, const WebGetOptions& options, const WebBodyReceiver& receive);

}  // namespace atelion
