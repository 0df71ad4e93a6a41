#include "document/web_client.h"

#include <curl/curl.h>

#include <memory>
#include <mutex>

namespace atelion {
namespace {

struct Receiving {
  const WebBodyReceiver* receive = nullptr;
  bool stopped = false;
};

std::size_t ForwardBody(char* data, std::size_t size, std::size_t count, void* userData) {
  auto* receiving = static_cast<Receiving*>(userData);
  const std::size_t bytes = size * count;
  const std::size_t taken = (*receiving->receive)(data, bytes);
  if (taken < bytes) receiving->stopped = true;
  return taken;
}

}  // namespace

WebGetResult WebGet(const std::string& address, const WebGetOptions& options, const WebBodyReceiver& receive) {
  static std::once_flag curlInitialised;
  std::call_once(curlInitialised, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
  WebGetResult result;
  const std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> handle(curl_easy_init(), curl_easy_cleanup);
  if (!handle) {
    result.error = "the web client could not start";
    return result;
  }
  CURL* curl = handle.get();
  Receiving receiving{&receive};
  char errorText[CURL_ERROR_SIZE] = "";
  curl_easy_setopt(curl, CURLOPT_URL, address.c_str());
  curl_easy_setopt(curl, CURLOPT_HTTPGET, 1L);
  curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(curl, CURLOPT_MAXREDIRS, static_cast<long>(options.maxRedirects));
  curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, static_cast<long>(options.connectTimeoutSeconds));
  curl_easy_setopt(curl, CURLOPT_TIMEOUT, static_cast<long>(options.totalTimeoutSeconds));
  if (options.maxFileSize > 0) {
    curl_easy_setopt(curl, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(options.maxFileSize));
  }
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(curl, CURLOPT_USERAGENT, options.userAgent);
  curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, errorText);
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, ForwardBody);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &receiving);

  const CURLcode code = curl_easy_perform(curl);
  curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &result.httpStatus);
  result.completed = code == CURLE_OK;
  result.stoppedByReceiver = receiving.stopped && code == CURLE_WRITE_ERROR;
  result.fileTooLarge = code == CURLE_FILESIZE_EXCEEDED;
  if (!result.completed && !result.stoppedByReceiver) {
    result.error = errorText[0] != '\0' ? errorText : curl_easy_strerror(code);
  }
  return result;
}

}  // namespace atelion
