#include "support/test_files.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <stdexcept>

extern char** environ;

namespace atelion::testing_support {

namespace fs = std::filesystem;

TempFolder::TempFolder() {
  std::string pattern = (fs::temp_directory_path() / "atelion-test-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

TempFolder::~TempFolder() {
  std::error_code ignored;
  fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ignored);
  fs::remove_all(path_, ignored);
}

std::vector<std::string> TempFolder::Entries() const {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(path_)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

void WriteBytes(const fs::path& path, const Bytes& bytes) {
  std::ofstream file(path, std::ios::binary);
  file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

Bytes ReadBytes(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(file), {});
}

ProgramRun RunProgram(const std::string& program, const std::vector<std::string>& arguments,
                      const std::vector<std::string>& extraEnvironment) {
  int pipeEnds[2];
  if (::pipe(pipeEnds) != 0) throw std::runtime_error("pipe failed");
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
  posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDERR_FILENO);
  posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);

  std::vector<std::string> argumentCopies = {program};
  argumentCopies.insert(argumentCopies.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& a : argumentCopies) argv.push_back(a.data());
  argv.push_back(nullptr);
  // The programs must never need a display, nor read or write the user's own settings.
  std::vector<std::string> replaced = {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "XDG_CONFIG_HOME"};
  for (const std::string& entry : extraEnvironment) replaced.push_back(entry.substr(0, entry.find('=')));
  auto isReplaced = [&replaced](const char* entry) {
    const char* equals = std::strchr(entry, '=');
    const std::string name(entry, equals != nullptr ? equals : entry + std::strlen(entry));
    return std::find(replaced.begin(), replaced.end(), name) != replaced.end();
  };
  std::vector<std::string> environment;
  for (char** e = environ; *e != nullptr; ++e) {
    if (!isReplaced(*e)) environment.emplace_back(*e);
  }
  const bool configGiven = std::any_of(extraEnvironment.begin(), extraEnvironment.end(),
                                      [](const std::string& entry) { return entry.rfind("XDG_CONFIG_HOME=", 0) == 0; });
  if (!configGiven) {
    environment.push_back("XDG_CONFIG_HOME=" + (fs::temp_directory_path() / "atelion-test-no-config").string());
  }
  // The programs name styles in the user's language: they see English unless a test gives a locale.
  const bool localeGiven = std::any_of(extraEnvironment.begin(), extraEnvironment.end(), [](const std::string& entry) {
    return entry.rfind("LC_ALL=", 0) == 0 || entry.rfind("LC_MESSAGES=", 0) == 0 || entry.rfind("LANG=", 0) == 0;
  });
  if (!localeGiven) {
    std::erase_if(environment, [](const std::string& entry) {
      return entry.rfind("LC_ALL=", 0) == 0 || entry.rfind("LC_MESSAGES=", 0) == 0 || entry.rfind("LANG=", 0) == 0;
    });
    environment.push_back("LANG=C.UTF-8");
  }
  environment.insert(environment.end(), extraEnvironment.begin(), extraEnvironment.end());
  std::vector<char*> envp;
  for (std::string& e : environment) envp.push_back(e.data());
  envp.push_back(nullptr);

  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  ::close(pipeEnds[1]);
  ProgramRun run;
  if (spawned != 0) {
    ::close(pipeEnds[0]);
    run.output = "could not start " + program;
    return run;
  }
  // A program that hangs (waiting on a pipe, say) is killed once the time is up, so that the
  // test fails instead of waiting for ever.
  const auto deadline = std::chrono::steady_clock::now() + kProgramTimeLimit;
  char buffer[4096];
  while (true) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    pollfd output{pipeEnds[0], POLLIN, 0};
    const int ready = left.count() > 0 ? ::poll(&output, 1, static_cast<int>(left.count())) : 0;
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) {
      ::kill(pid, SIGKILL);
      run.output += "\n[killed: still running after " + std::to_string(kProgramTimeLimit.count()) + " s]";
      break;
    }
    const ssize_t n = ::read(pipeEnds[0], buffer, sizeof buffer);
    if (n <= 0) break;
    run.output.append(buffer, static_cast<std::size_t>(n));
  }
  ::close(pipeEnds[0]);
  int status = 0;
  ::waitpid(pid, &status, 0);
  run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  return run;
}

}  // namespace atelion::testing_support
