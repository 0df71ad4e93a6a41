#include "i18n/language_table.h"

#include <atomic>
#include <fstream>
#include <iterator>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <system_error>

#include "core/resources.h"
#include "i18n/languages.h"

namespace atelion {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

std::string Quoted(std::string_view text) {
  std::string quoted;
  quoted.reserve(text.size() + 2);
  quoted.append(1, '"').append(text).append(1, '"');
  return quoted;
}

std::string Quoted(const std::filesystem::path& path) { return Quoted(std::string_view(path.native())); }

// True when `text` is well-formed UTF-8: no stray continuation bytes, no overlong forms,
// no surrogates, nothing above U+10FFFF.
bool IsValidUtf8(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size()) {
    const auto lead = static_cast<unsigned char>(text[i]);
    int continuationBytes = 0;
    unsigned char lowest = 0x80, highest = 0xBF;  // allowed range of the first continuation byte
    if (lead < 0x80) {
      ++i;
      continue;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
      continuationBytes = 1;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      continuationBytes = 2;
      if (lead == 0xE0) lowest = 0xA0;   // overlong
      if (lead == 0xED) highest = 0x9F;  // surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      continuationBytes = 3;
      if (lead == 0xF0) lowest = 0x90;   // overlong
      if (lead == 0xF4) highest = 0x8F;  // above U+10FFFF
    } else {
      return false;
    }
    if (i + continuationBytes >= text.size()) return false;  // cut off at the end
    for (int k = 1; k <= continuationBytes; ++k) {
      const auto byte = static_cast<unsigned char>(text[i + k]);
      const unsigned char low = k == 1 ? lowest : 0x80;
      const unsigned char high = k == 1 ? highest : 0xBF;
      if (byte < low || byte > high) return false;
    }
    i += continuationBytes + 1;
  }
  return true;
}

// Reads the lines of a table file, at most kLineCount of them, without their line ends.
// Empty lines are kept (as empty strings) so that every line keeps its index.
Status ReadTableLines(const std::filesystem::path& path, std::vector<std::string>& lines) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) {
    return Status::Error("The language table " + Quoted(path) + " does not exist.");
  }
  std::ifstream file(path, std::ios::binary);
  if (!file) return Status::Error("The language table " + Quoted(path) + " cannot be opened.");
  const std::string content{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  if (file.bad()) return Status::Error("The language table " + Quoted(path) + " cannot be read.");

  std::string_view rest = content;
  if (rest.starts_with(kByteOrderMark)) rest.remove_prefix(kByteOrderMark.size());

  lines.clear();
  while (!rest.empty() && static_cast<int>(lines.size()) < LanguageTable::kLineCount) {
    const std::size_t end = rest.find('\n');
    std::string_view line = rest.substr(0, end);
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    if (line.ends_with('\r')) line.remove_suffix(1);
    if (!IsValidUtf8(line)) {
      return Status::Error("Line " + std::to_string(lines.size()) + " of the language table " + Quoted(path) +
                           " is not valid UTF-8 text.");
    }
    lines.emplace_back(line);
  }
  return Status::Ok();
}

// The process-wide current language. Tables are never destroyed once they have been current,
// so a text returned by `Text` stays readable even while another thread switches language.
struct CurrentLanguageState {
  std::mutex mutex;
  std::vector<std::unique_ptr<const LanguageTable>> kept;
  std::atomic<const LanguageTable*> current{nullptr};
};

CurrentLanguageState& CurrentState() {
  static CurrentLanguageState state;
  return state;
}

}  // namespace

// Builds the English table without the English fallback: it is the fallback, so a missing or
// incomplete file means the program was not installed correctly.
LanguageTable LanguageTable::ReadEnglish() {
  const std::filesystem::path relative = "i18n/English.txt";
  const std::filesystem::path path = FindResource(relative);
  if (path.empty()) {
    throw std::runtime_error("Atelion is not installed correctly: the English language table " + Quoted(relative) +
                             " is missing from the resources folder.");
  }
  LanguageTable english;
  if (const Status status = ReadTableLines(path, english.lines_); !status) {
    throw std::runtime_error("Atelion is not installed correctly: " + status.message());
  }
  if (static_cast<int>(english.lines_.size()) != kLineCount) {
    throw std::runtime_error("Atelion is not installed correctly: the English language table " + Quoted(path) +
                             " holds " + std::to_string(english.lines_.size()) + " lines instead of " +
                             std::to_string(kLineCount) + ".");
  }
  for (std::size_t i = 0; i < english.lines_.size(); ++i) {
    if (english.lines_[i].empty()) {
      throw std::runtime_error("Atelion is not installed correctly: line " + std::to_string(i) +
                               " of the English language table " + Quoted(path) + " is empty.");
    }
  }
  english.identifier_ = "English";
  english.translatedLineCount_ = kLineCount;
  return english;
}

const LanguageTable& LanguageTable::English() {
  static const LanguageTable english = ReadEnglish();
  return english;
}

Status LanguageTable::Load(const std::filesystem::path& path, LanguageTable& table) {
  std::vector<std::string> lines;
  if (const Status status = ReadTableLines(path, lines); !status) return status;

  const LanguageTable& english = English();
  LanguageTable loaded;
  loaded.identifier_ = path.stem().string();
  loaded.lines_.resize(kLineCount);
  for (int i = 0; i < kLineCount; ++i) {
    const bool translated = i < static_cast<int>(lines.size()) && !lines[i].empty();
    loaded.lines_[i] = translated ? std::move(lines[i]) : english.lines_[i];
    if (translated) ++loaded.translatedLineCount_;
  }
  if (loaded.translatedLineCount_ == 0) {
    return Status::Error("The language table " + Quoted(path) + " holds no text.");
  }
  table = std::move(loaded);
  return Status::Ok();
}

Status LanguageTable::LoadShipped(std::string_view identifier, LanguageTable& table) {
  // The identifier comes from the settings file: only known languages name a file.
  if (!IsKnownLanguage(identifier)) {
    return Status::Error(Quoted(identifier) + " is not an interface language.");
  }
  if (identifier == "English") {
    table = English();
    return Status::Ok();
  }
  const std::filesystem::path relative = LanguageTableFile(identifier);
  const std::filesystem::path path = FindResource(relative);
  if (path.empty()) {
    return Status::Error("No language table is installed for " + std::string(identifier) + " (" + Quoted(relative) +
                         " is missing).");
  }
  return Load(path, table);
}

std::string_view LanguageTable::Line(int index) const {
  if (index < 0 || index >= kLineCount) return {};
  if (index < static_cast<int>(lines_.size())) return lines_[index];
  return English().Line(index);
}

void SetCurrentLanguage(const LanguageTable& table) {
  CurrentLanguageState& state = CurrentState();
  const LanguageTable& english = LanguageTable::English();
  if (table == english) {
    state.current.store(&english, std::memory_order_release);
    return;
  }
  std::lock_guard lock(state.mutex);
  for (const auto& kept : state.kept) {
    if (*kept == table) {
      state.current.store(kept.get(), std::memory_order_release);
      return;
    }
  }
  state.kept.push_back(std::make_unique<const LanguageTable>(table));
  state.current.store(state.kept.back().get(), std::memory_order_release);
}

const LanguageTable& CurrentLanguage() {
  const LanguageTable* current = CurrentState().current.load(std::memory_order_acquire);
  return current != nullptr ? *current : LanguageTable::English();
}

std::string_view Text(int line) { return CurrentLanguage().Line(line); }

}  // namespace atelion
