// The update check: one short GET with libcurl that keeps the first ten bytes of the answer.
#include "document/update_check.h"

#include <curl/curl.h>

#include <cctype>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <vector>

namespace atelion {

namespace {

// The version file holds a version and perhaps a line end; anything longer is not read.
constexpr std::size_t kMaxAnswerBytes = 10;
constexpr std::size_t kComparedLength = 4;
// A version ends at the first blank or line end.
constexpr const char* kLineEndOrBlank = " \t\r\n";

struct Answer {
  std::string text;
  bool complete = false;  ///< enough bytes arrived and the transfer was stopped on purpose
};

std::size_t CollectAnswer(char* data, std::size_t size, std::size_t count, void* userData) {
  auto* answer = static_cast<Answer*>(userData);
  const std::size_t bytes = size * count;
  const std::size_t wanted = kMaxAnswerBytes - answer->text.size();
  if (bytes < wanted) {
    answer->text.append(data, bytes);
    return bytes;
  }
  // Enough read: returning less than offered makes libcurl stop the transfer.
  answer->text.append(data, wanted);
  answer->complete = true;
  return bytes == wanted ? bytes : 0;
}

std::vector<int> VersionNumbers(std::string_view version) {
  std::vector<int> numbers(1, 0);
  for (const char c : version) {
    if (c == '.') {
      numbers.push_back(0);
    } else {
      numbers.back() = numbers.back() * 10 + (c - '0');
    }
  }
  // "0.1." and "0.1" name the same version.
  while (numbers.size() > 1 && numbers.back() == 0) numbers.pop_back();
  return numbers;
}

UpdateCheckResult Failure(std::string reason) {
  UpdateCheckResult result;
  result.outcome = UpdateCheckResult::Outcome::Failed;
  result.reason = std::move(reason);
  return result;
}

}  // namespace

std::string_view ProgramVersion() { return ATELION_VERSION; }

std::string UpdateBaseAddress() {
  const char* configured = std::getenv(kUpdateAddressVariable);
  std::string address = configured != nullptr && configured[0] != '\0' ? configured : std::string(kProductWebSite);
  while (!address.empty() && address.back() == '/') address.pop_back();
  return address;
}

std::string DownloadPageAddress(std::string_view baseAddress) {
  return std::string(baseAddress) + std::string(kDownloadPagePath);
}

std::string ComparedVersion(std::string_view text) {
  const std::size_t end = text.find_first_of(kLineEndOrBlank);
  const std::string_view word = text.substr(0, end);
  if (word.size() < kComparedLength || !std::isdigit(static_cast<unsigned char>(word[0]))) return {};
  for (const char c : word) {
    if (c != '.' && !std::isdigit(static_cast<unsigned char>(c))) return {};
  }
  return std::string(word.substr(0, kComparedLength));
}

bool IsNewerVersion(std::string_view offered, std::string_view ours) {
  return VersionNumbers(offered) > VersionNumbers(ours);
}

UpdateCheckResult CheckForUpdate(std::string_view baseAddress, std::string_view ourVersion,
                                 const UpdateCheckLimits& limits) {
  static std::once_flag curlInitialised;
  std::call_once(curlInitialised, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
  const std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> handle(curl_easy_init(), curl_easy_cleanup);
  if (!handle) return Failure("the web client could not start");
  CURL* curl = handle.get();

  const std::string address = std::string(baseAddress) + "/" + std::string(kVersionFileName);
  Answer answer;
  char errorText[CURL_ERROR_SIZE] = "";
  curl_easy_setopt(curl, CURLOPT_URL, address.c_str());
  curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 3L);
  curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, static_cast<long>(limits.connectTimeoutSeconds));
  curl_easy_setopt(curl, CURLOPT_TIMEOUT, static_cast<long>(limits.totalTimeoutSeconds));
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(curl, CURLOPT_USERAGENT, "atelion");
  curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, errorText);
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, CollectAnswer);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &answer);

  const CURLcode code = curl_easy_perform(curl);
  if (code != CURLE_OK && !(code == CURLE_WRITE_ERROR && answer.complete)) {
    return Failure(errorText[0] != '\0' ? errorText : curl_easy_strerror(code));
  }
  long httpStatus = 0;
  curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &httpStatus);
  if (httpStatus >= 400) return Failure("the server answered with HTTP status " + std::to_string(httpStatus));

  const std::string offered = ComparedVersion(answer.text);
  if (offered.empty()) return Failure("the answer is not a version");
  UpdateCheckResult result;
  result.version = answer.text.substr(0, answer.text.find_first_of(kLineEndOrBlank));
  result.outcome = IsNewerVersion(offered, ourVersion.substr(0, kComparedLength)) ? UpdateCheckResult::Outcome::Newer
                                                                         : UpdateCheckResult::Outcome::UpToDate;
  return result;
}

}  // namespace atelion
