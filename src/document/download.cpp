// Fetching a picture from a web address with libcurl: a GET into memory, following a few redirects,
// limited in size and time and to http and https, then recognised and decoded like a file.
#include "document/download.h"

#include <new>

#include "document/web_client.h"

namespace atelion {

namespace {

std::string SizeText(std::size_t bytes) {
  constexpr std::size_t kMebibyte = 1024 * 1024;
  if (bytes >= kMebibyte && bytes % kMebibyte == 0) return std::to_string(bytes / kMebibyte) + " MiB";
  return std::to_string(bytes) + " bytes";
}

}  // namespace

LoadedImage DownloadImage(const std::string& address, const DownloadLimits& limits) {
  LoadedImage result;
  auto fail = [&result, &address](const std::string& reason) {
    result.status = Status::Error("Cannot download " + address + ": " + reason);
    return result;
  };
  std::vector<std::uint8_t> body;
  bool tooLarge = false;
  bool outOfMemory = false;
  WebGetOptions options;
  options.maxRedirects = limits.maxRedirects;
  options.connectTimeoutSeconds = limits.connectTimeoutSeconds;
  options.totalTimeoutSeconds = limits.totalTimeoutSeconds;
  options.maxFileSize = static_cast<std::int64_t>(limits.maxBytes);
  const WebGetResult got = WebGet(address, options, [&](const char* data, std::size_t bytes) -> std::size_t {
    if (bytes > limits.maxBytes - body.size()) {
      tooLarge = true;
      return 0;
    }
    try {
      body.insert(body.end(), data, data + bytes);
    } catch (const std::bad_alloc&) {
      outOfMemory = true;
      return 0;
    }
    return bytes;
  });
  if (tooLarge || got.fileTooLarge) return fail("the picture is larger than " + SizeText(limits.maxBytes));
  if (outOfMemory) return fail("out of memory");
  if (!got.completed) return fail(got.error);
  if (got.httpStatus >= 400) return fail("the server answered with HTTP status " + std::to_string(got.httpStatus));

  return DecodeImage(body, address);
}

}  // namespace atelion
