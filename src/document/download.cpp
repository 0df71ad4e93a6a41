// Fetching a picture from a web address with libcurl: a GET into memory, following a few redirects,
// limited in size and time and to http and https, then recognised and decoded like a file.
#include <curl/curl.h>

#include <mutex>
#include <new>

#include "document/image_files.h"

namespace atelion {

namespace {

struct Transfer {
  std::vector<std::uint8_t> body;
  std::size_t maxBytes = 0;
  bool tooLarge = false;
  bool outOfMemory = false;
};

// Collects the body; returning less than offered makes libcurl abort the transfer.
std::size_t CollectBody(char* data, std::size_t size, std::size_t count, void* userData) {
  auto* transfer = static_cast<Transfer*>(userData);
  const std::size_t bytes = size * count;
  if (bytes > transfer->maxBytes - transfer->body.size()) {
    transfer->tooLarge = true;
    return 0;
  }
  try {
    transfer->body.insert(transfer->body.end(), data, data + bytes);
  } catch (const std::bad_alloc&) {
    transfer->outOfMemory = true;
    return 0;
  }
  return bytes;
}

struct CurlHandle {
  CURL* curl = curl_easy_init();
  ~CurlHandle() {
    if (curl != nullptr) curl_easy_cleanup(curl);
  }
};

void InitialiseCurlOnce() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

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
  InitialiseCurlOnce();
  CurlHandle handle;
  CURL* curl = handle.curl;
  if (curl == nullptr) return fail("the web client could not start");

  Transfer transfer;
  transfer.maxBytes = limits.maxBytes;
  char errorText[CURL_ERROR_SIZE] = "";
  curl_easy_setopt(curl, CURLOPT_URL, address.c_str());
  curl_easy_setopt(curl, CURLOPT_HTTPGET, 1L);
  curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(curl, CURLOPT_MAXREDIRS, static_cast<long>(limits.maxRedirects));
  curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, static_cast<long>(limits.connectTimeoutSeconds));
  curl_easy_setopt(curl, CURLOPT_TIMEOUT, static_cast<long>(limits.totalTimeoutSeconds));
  // A stated length above the cap stops the transfer before any of the body arrives.
  curl_easy_setopt(curl, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(limits.maxBytes));
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(curl, CURLOPT_USERAGENT, "Atelion");
  curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, errorText);
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, CollectBody);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &transfer);

  const CURLcode code = curl_easy_perform(curl);
  if (transfer.tooLarge || code == CURLE_FILESIZE_EXCEEDED) {
    return fail("the picture is larger than " + SizeText(limits.maxBytes));
  }
  if (transfer.outOfMemory) return fail("out of memory");
  if (code != CURLE_OK) return fail(errorText[0] != '\0' ? errorText : curl_easy_strerror(code));

  long httpStatus = 0;
  curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &httpStatus);
  if (httpStatus >= 400) return fail("the server answered with HTTP status " + std::to_string(httpStatus));

  return DecodeImage(transfer.body, address);
}

}  // namespace atelion
