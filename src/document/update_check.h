// The check for a newer version of the program: fetches the short text file "currentversion.txt"
// from the product's web site and compares the version it names with ours. The check never
// shows anything; the desktop shell decides what to ask or say from the outcome.
#pragma once

#include <string>
#include <string_view>

namespace atelion {

/// The web site this build asks, set when it is built (CMake's ATELION_UPDATE_ADDRESS); empty in a
/// build from source, which then checks nothing unless the environment names a site.
std::string_view BuiltInUpdateAddress();
/// The environment variable that replaces the web site (tests, mirrors, a company's own server).
inline constexpr const char* kUpdateAddressVariable = "ATELION_UPDATE_ADDRESS";
/// The file on the web site that holds the latest version, and the page that offers it.
inline constexpr std::string_view kVersionFileName = "currentversion.txt";
inline constexpr std::string_view kDownloadPagePath = "/download-atelion/";

/// What the menu's check says when no web site is configured, and when the site cannot be reached.
inline constexpr std::string_view kUpdatesNotConfiguredMessage = "Update checks are not configured for this build.";
inline constexpr std::string_view kUpdateServerUnreachableMessage = "Could not reach the update server.";

/// The program's own version ("major.minor.patch", from the build).
std::string_view ProgramVersion();

/// The web site to ask: the value of ATELION_UPDATE_ADDRESS when it is set and not empty, else
/// the build's own; a trailing "/" is dropped. Empty when neither names one: update checks are
/// then not configured.
std::string UpdateBaseAddress();
/// The address of the download page on that web site.
std::string DownloadPageAddress(std::string_view baseAddress);

/// The four characters of a version that the check compares ("0.1." for "0.1.0", "3.98" for
/// "3.98"), or empty when `text` does not begin with a version: a digit, then digits and dots
/// only, at least four characters before the first blank or line end.
std::string ComparedVersion(std::string_view text);

struct UpdateCheckResult {
  enum class Outcome {
    Newer,     ///< the web site offers a later version than ours
    UpToDate,  ///< the same version, or an older one (a build ahead of the web site)
    Failed,    ///< no answer, an HTTP error, or an answer that is not a version
  };
  Outcome outcome = Outcome::Failed;
  std::string version;  ///< the version the web site names ("0.2.0"), for Newer and UpToDate
  std::string reason;   ///< why the check failed, for Failed
};

/// Whether `offered` is a later version than `ours`; both are four-character versions as
/// `ComparedVersion` gives them, compared number by number between the dots.
bool IsNewerVersion(std::string_view offered, std::string_view ours);

/// How long the check may take: it runs at start-up and must never keep anyone waiting.
struct UpdateCheckLimits {
  int connectTimeoutSeconds = 5;
  int totalTimeoutSeconds = 10;
};

/// Fetches `baseAddress` + "/currentversion.txt" (user agent "atelion", at most 10 bytes read)
/// and compares the version it holds with `ourVersion`.
UpdateCheckResult CheckForUpdate(std::string_view baseAddress, std::string_view ourVersion,
                                 const UpdateCheckLimits& limits = {});

}  // namespace atelion
