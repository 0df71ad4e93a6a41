// Temporary folders, file bytes and running the project's programs, for tests.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace atelion::testing_support {

using Bytes = std::vector<std::uint8_t>;

/// A fresh folder under the system's temporary folder, removed with everything in it.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }
  const std::filesystem::path& path() const { return path_; }
  /// The names of the folder's entries, sorted.
  std::vector<std::string> Entries() const;

 private:
  std::filesystem::path path_;
};

void WriteBytes(const std::filesystem::path& path, const Bytes& bytes);
Bytes ReadBytes(const std::filesystem::path& path);

struct ProgramRun {
  int exitCode = -1;
  std::string output;  ///< standard output and standard error together
};

/// How long a program run by a test may take before it is killed as hung.
inline constexpr std::chrono::seconds kProgramTimeLimit{120};

/// Runs a program with arguments (no shell), with no display available, and waits for it (at
/// most kProgramTimeLimit: a program still running then is killed, and the output says so).
/// `extraEnvironment` holds "NAME=value" entries that are added or replace inherited ones. The
/// program never sees the user's settings: XDG_CONFIG_HOME points to a folder that does not exist
/// unless `extraEnvironment` sets it.
ProgramRun RunProgram(const std::string& program, const std::vector<std::string>& arguments,
                      const std::vector<std::string>& extraEnvironment = {});

/// Paths of the programs built with the tests.
inline std::string CliProgram() { return ATELION_CLI_PATH; }
inline std::string DesktopProgram() { return ATELION_PROGRAM_PATH; }

}  // namespace atelion::testing_support
