// The update check: one short GET with libcurl that keeps the first ten bytes of the answer.
#include "document/update_check.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <vector>

#include "document/web_client.h"

namespace atelion {

namespace {

// The version file holds a version and perhaps a line end; anything longer is not read.
constexpr std::size_t kMaxAnswerBytes = 10;
constexpr std::size_t kComparedLength = 4;
// A version ends at the first blank or line end.
constexpr const char* kLineEndOrBlank = " \t\r\n";

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

std::string_view BuiltInUpdateAddress() { return ATELION_UPDATE_SITE; }

std::string UpdateBaseAddress() {
  const char* configured = std::getenv(kUpdateAddressVariable);
  std::string address =
      configured != nullptr && configured[0] != '\0' ? configured : std::string(BuiltInUpdateAddress());
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
  const std::string address = std::string(baseAddress) + "/" + std::string(kVersionFileName);
  std::string answer;
  WebGetOptions options;
  options.connectTimeoutSeconds = limits.connectTimeoutSeconds;
  options.totalTimeoutSeconds = limits.totalTimeoutSeconds;
  options.userAgent = "atelion";
  const WebGetResult got = WebGet(address, options, [&answer](const char* data, std::size_t bytes) {
    // Enough read: taking less than offered stops the transfer.
    const std::size_t taken = std::min(bytes, kMaxAnswerBytes - answer.size());
    answer.append(data, taken);
    return answer.size() == kMaxAnswerBytes && taken < bytes ? taken : bytes;
  });
  if (!got.completed && !got.stoppedByReceiver) return Failure(got.error);
  if (got.httpStatus >= 400) return Failure("the server answered with HTTP status " + std::to_string(got.httpStatus));

  const std::string offered = ComparedVersion(answer);
  if (offered.empty()) return Failure("the answer is not a version");
  UpdateCheckResult result;
  result.version = answer.substr(0, answer.find_first_of(kLineEndOrBlank));
  result.outcome = IsNewerVersion(offered, ourVersion.substr(0, kComparedLength)) ? UpdateCheckResult::Outcome::Newer
                                                                         : UpdateCheckResult::Outcome::UpToDate;
  return result;
}

}  // namespace atelion
