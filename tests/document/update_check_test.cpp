// The update check against a local web server: what each kind of answer gives, that only the
// first bytes are read, and that every failure is reported as a failure.
#include <gtest/gtest.h>

#include <cstdlib>

#include "document/update_check.h"
#include "support/loopback_server.h"

namespace atelion {
namespace {

using testing_support::HttpResponse;
using testing_support::LoopbackServer;
using Outcome = UpdateCheckResult::Outcome;

constexpr std::string_view kOurVersion = "0.1.0";

class UpdateCheck : public testing::Test {
 protected:
  static void SetUpTestSuite() { testing_support::BypassProxies(); }
};

struct AnswerCase {
  const char* name;
  std::string response;
  Outcome expected;
  const char* expectedVersion;  // for Newer and UpToDate
};

TEST_F(UpdateCheck, EachAnswerOfTheWebSiteGivesItsOutcome) {
  const AnswerCase cases[] = {
      {"newer", HttpResponse("200 OK", "", "0.2.0\r\n"), Outcome::Newer, "0.2.0"},
      {"same", HttpResponse("200 OK", "", "0.1.0\n"), Outcome::UpToDate, "0.1.0"},
      {"older than ours", HttpResponse("200 OK", "", "0.0.9"), Outcome::UpToDate, "0.0.9"},
      {"minor number past nine", HttpResponse("200 OK", "", "0.10.0"), Outcome::Newer, "0.10.0"},
      // Only ten bytes are read: the rest of a long answer does not matter.
      {"long answer", HttpResponse("200 OK", "", "0.2.0\n" + std::string(1 << 20, 'x')), Outcome::Newer, "0.2.0"},
      {"two bytes", HttpResponse("200 OK", "", "0."), Outcome::Failed, ""},
      {"empty", HttpResponse("200 OK", "", ""), Outcome::Failed, ""},
      {"garbage", HttpResponse("200 OK", "Content-Type: text/html\r\n", "<html>moved</html>"), Outcome::Failed, ""},
      {"version with letters", HttpResponse("200 OK", "", "0.2a"), Outcome::Failed, ""},
      // An error page whose body happens to read like a version is still an error.
      {"not found", HttpResponse("404 Not Found", "", "0.2.0"), Outcome::Failed, ""},
      {"server error", HttpResponse("503 Service Unavailable", "", "9.9.9"), Outcome::Failed, ""},
  };
  for (const AnswerCase& answer : cases) {
    SCOPED_TRACE(answer.name);
    LoopbackServer server({{"/currentversion.txt", answer.response}});
    const UpdateCheckResult result = CheckForUpdate(server.Address(""), kOurVersion);
    EXPECT_EQ(result.outcome, answer.expected) << result.reason;
    if (answer.expected == Outcome::Failed) {
      EXPECT_FALSE(result.reason.empty());
    } else {
      EXPECT_EQ(result.version, answer.expectedVersion);
    }
  }
}

TEST_F(UpdateCheck, AsksForTheVersionFileAsAtelion) {
  LoopbackServer server({{"/updates/currentversion.txt", HttpResponse("200 OK", "", "0.1.0")}});
  EXPECT_EQ(CheckForUpdate(server.Address("/updates"), kOurVersion).outcome, Outcome::UpToDate);
  const std::vector<std::string> requests = server.Requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].rfind("GET /updates/currentversion.txt ", 0), 0u) << requests[0];
  EXPECT_NE(requests[0].find("\r\nUser-Agent: atelion\r\n"), std::string::npos) << requests[0];
}

TEST_F(UpdateCheck, NoServerIsAFailureNotAVersion) {
  const UpdateCheckResult result = CheckForUpdate(LoopbackServer::RefusingAddress(""), kOurVersion);
  EXPECT_EQ(result.outcome, Outcome::Failed);
  EXPECT_FALSE(result.reason.empty());
}

TEST(UpdateVersions, FourCharactersOfAVersionAreCompared) {
  EXPECT_EQ(ComparedVersion("3.98"), "3.98");
  EXPECT_EQ(ComparedVersion("0.1.0\r\n"), "0.1.");
  EXPECT_EQ(ComparedVersion("12.3.4"), "12.3");
  for (const char* notAVersion : {"", "0.1", "0.1\n0.2", " 0.1.0", "v0.1.0", "0.1-beta", "<html>"}) {
    EXPECT_EQ(ComparedVersion(notAVersion), "") << notAVersion;
  }
  EXPECT_TRUE(IsNewerVersion("3.99", "3.98"));
  EXPECT_TRUE(IsNewerVersion("0.10", "0.9."));
  EXPECT_TRUE(IsNewerVersion("1.0.", "0.99"));
  EXPECT_FALSE(IsNewerVersion("0.1.", "0.1."));
  EXPECT_FALSE(IsNewerVersion("0.1.", "0.1"));
  EXPECT_FALSE(IsNewerVersion("0.0.", "0.1."));
  // Our own version is one the check can compare.
  EXPECT_NE(ComparedVersion(ProgramVersion()), "");
}

TEST(UpdateVersions, TheWebSiteCanBeReplacedFromTheEnvironment) {
  ::unsetenv(kUpdateAddressVariable);
  EXPECT_EQ(UpdateBaseAddress(), BuiltInUpdateAddress());
  EXPECT_EQ(BuiltInUpdateAddress(), "") << "a build from source asks no web site";
  ::setenv(kUpdateAddressVariable, "", 1);
  EXPECT_EQ(UpdateBaseAddress(), BuiltInUpdateAddress());
  ::setenv(kUpdateAddressVariable, "http://mirror.test/atelion/", 1);
  EXPECT_EQ(UpdateBaseAddress(), "http://mirror.test/atelion");
  EXPECT_EQ(DownloadPageAddress(UpdateBaseAddress()), "http://mirror.test/atelion/download-atelion/");
  ::unsetenv(kUpdateAddressVariable);
}

}  // namespace
}  // namespace atelion
