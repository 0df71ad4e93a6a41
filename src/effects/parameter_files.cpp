// Parameter files: writing the line layout safely and reading it back with the tolerant rules
// that old, short and cut-off files depend on.
#include "effects/parameter_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <fstream>
#include <system_error>

#include "imageio/file_replace.h"
#include "imageio/image_files.h"
#include "imageio/user_files.h"

namespace atelion {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kLineEnd = "\r\n";

// A parameter file is a few kilobytes; anything far beyond is not one, and is not read into memory.
constexpr std::uintmax_t kMaxParameterFileBytes = 16u << 20;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

bool HasLineBreak(std::string_view text) { return text.find_first_of("\r\n") != std::string_view::npos; }

int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// ---- Writing ----

std::string ParameterFileText(const ParameterFile& file) {
  std::string text;
  auto line = [&text](std::string_view content) { text.append(content).append(kLineEnd); };
  for (int effectId = 0; effectId < kEffectCount; ++effectId) {
    text.append("[").append(std::to_string(effectId)).append("]").append(kLineEnd);
    for (int value : file.sets[effectId]) line(std::to_string(value));
  }
  line(std::to_string(file.catalogueIndex));
  line(kCustomBrushesHeader);
  for (const std::string& brush : file.customBrushes) line(brush);
  line(kFileNamesHeader);
  line(file.sourceFileName);
  line(file.resultFileName);
  return text;
}

// ---- Reading ----

// The whole file, or an error: "File not found" exactly for a missing file, so that the caller
// can show that text as it is; otherwise the path and the reason.
Status ReadWholeFile(const fs::path& path, std::string& text) {
  const FileContents file = ReadUserFile(path, kMaxParameterFileBytes, "parameter file");
  if (file.problem == FileProblem::Missing) return Status::Error(std::string(kFileNotFoundMessage));
  if (!file) return Status::Error("Cannot read " + path.string() + ": " + file.reason);
  text.assign(file.bytes.begin(), file.bytes.end());
  return Status::Ok();
}

// Hands out the lines of a text one at a time, LF or CR LF ended (a last line may lack its end).
class LineReader {
 public:
  explicit LineReader(std::string_view text) : text_(text) {}

  bool AtEnd() const { return position_ >= text_.size(); }

  /// The next line, or none at the end of the text.
  std::optional<std::string_view> Next() {
    if (AtEnd()) return std::nullopt;
    const std::size_t end = std::min(text_.find('\n', position_), text_.size());
    std::string_view line = text_.substr(position_, end - position_);
    position_ = end + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return line;
  }

  /// Reads the next line into `line`; at the end of the text `line` keeps its previous text,
  /// which is how a cut-off file repeats its last line for everything after it.
  void ReadInto(std::string& line) {
    if (auto next = Next()) line.assign(*next);
  }

 private:
  std::string_view text_;
  std::size_t position_ = 0;
};

bool IsSetHeader(std::string_view line) { return !line.empty() && line.front() == '['; }

bool IsWholeNumber(std::string_view line) { return ReadParameterInteger(line).has_value(); }

// How a parameter file begins in the layout SaveParameterFile writes: with the header of set 0,
// "[0]" (any line starting with "[" is read as a set header), or, in a file that holds no set,
// with the catalogue row, a number. Anything else (an empty file, a picture, zeros, text) is not
// a parameter file, and reading it with the tolerant rules would quietly select style row 0.
bool BeginsAsCurrentLayout(std::string_view text) {
  const std::optional<std::string_view> first = LineReader(text).Next();
  return first && (IsSetHeader(*first) || IsWholeNumber(*first));
}

// How a file of the older layout begins: a caption, then the first value of set 0 on the second line.
bool BeginsAsOlderLayout(std::string_view text) {
  LineReader reader(text);
  return reader.Next() && IsWholeNumber(reader.Next().value_or(""));
}

Status NotAParameterFile(const fs::path& path, std::string_view expected) {
  return Status::Error("Cannot read " + path.string() + ": this is not a parameter file (its first line should be " +
                       std::string(expected) + ")");
}

// A brush picture is checked from its header (format, size within the limits, a file long enough for
// that size) rather than decoded: the list only keeps the names, and a parameter file may name
// many large pictures.
Status CheckBrushPictureHeader(const std::string& path) { return ProbeImageFile(fs::path(path)).status; }

// The current-layout reading rules; `into` is changed only here, after the file was read whole.
void ReadCurrentLayout(std::string_view text, ParameterFile& into, const BrushPictureCheck& check,
                       ParameterFileLoad& result) {
  LineReader reader(text);
  std::string line = "0";
  int setsRead = 0;
  for (int effectId = 0; effectId < kEffectCount; ++effectId) {
    reader.ReadInto(line);
    // An empty line or one without "[" ends the sets and is itself the catalogue row.
    if (!IsSetHeader(line)) break;
    for (int& value : into.sets[effectId]) {
      reader.ReadInto(line);
      value = ParseParameterInteger(line, 0);
    }
    ++setsRead;
  }
  result.setsRead = setsRead;
  if (setsRead == kEffectCount) reader.ReadInto(line);
  into.catalogueIndex = ParseParameterInteger(line, 0);

  reader.ReadInto(line);
  if (line == kCustomBrushesHeader) {
    result.brushSectionFound = true;
    into.customBrushes.clear();
    const BrushPictureCheck& brushCheck = check ? check : BrushPictureCheck(CheckBrushPictureHeader);
    while (auto next = reader.Next()) {
      line.assign(*next);
      if (line == kFileNamesHeader) break;
      if (std::all_of(line.begin(), line.end(), IsBlank)) continue;
      // A brush that cannot be read is reported and skipped rather than ending the whole load.
      const Status readable = brushCheck(line);
      if (readable) {
        into.customBrushes.push_back(line);
      } else {
        result.unreadableBrushes.push_back(line);
        result.unreadableBrushReasons.push_back(readable.message());
      }
    }
  }

  into.sourceFileName.clear();
  into.resultFileName.clear();
  if (line == kFileNamesHeader) {
    result.fileNamesFound = true;
    // A name missing at the end of the file is empty, not a repeat of the line before it, so
    // that a cut file cannot name the source picture as the result too.
    if (auto source = reader.Next()) into.sourceFileName.assign(*source);
    if (auto resultName = reader.Next()) into.resultFileName.assign(*resultName);
  }
}

}  // namespace

// ---- ParameterFile ----

ParameterFile ParameterFile::FromTables(const ParameterTables& tables, int catalogueIndex) {
  ParameterFile file;
  for (int effectId = 0; effectId < kEffectCount; ++effectId) file.sets[effectId] = tables.Current(effectId);
  file.catalogueIndex = catalogueIndex;
  return file;
}

void ParameterFile::ApplyTo(ParameterTables& tables) const {
  for (int effectId = 0; effectId < kEffectCount; ++effectId) tables.Current(effectId) = sets[effectId];
}

std::optional<int> ParameterFile::SelectedCatalogueIndex() const {
  if (catalogueIndex < 0 || catalogueIndex >= kCatalogueRowCount) return std::nullopt;
  return catalogueIndex;
}

// ---- Names and numbers ----

std::string EnsureParameterExtension(std::string name) {
  if (!name.ends_with(kParameterFileExtension)) name.append(kParameterFileExtension);
  return name;
}

bool IsParameterFileArgument(std::string_view argument) {
  if (argument.size() < kParameterFileExtension.size()) return false;
  const std::string_view ending = argument.substr(argument.size() - kParameterFileExtension.size());
  return std::equal(ending.begin(), ending.end(), kParameterFileExtension.begin(), [](char a, char b) {
    return (a >= 'A' && a <= 'Z' ? static_cast<char>(a - 'A' + 'a') : a) == b;
  });
}

int ParseParameterInteger(std::string_view text, int fallback) { return ReadParameterInteger(text).value_or(fallback); }

std::optional<int> ReadParameterInteger(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  bool negative = false;
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  int base = 10;
  if (text.starts_with('$')) {
    base = 16;
    text.remove_prefix(1);
  } else if (text.starts_with("0x") || text.starts_with("0X")) {
    base = 16;
    text.remove_prefix(2);
  }
  if (text.empty()) return std::nullopt;

  // Decimal may reach 2^31 (for the most negative number); hexadecimal may use all 32 bits.
  const std::uint64_t limit = base == 16 ? 0xFFFF'FFFFu : (negative ? 0x8000'0000u : 0x7FFF'FFFFu);
  std::uint64_t magnitude = 0;
  for (char c : text) {
    const int digit = base == 16 ? HexDigitValue(c) : (c >= '0' && c <= '9' ? c - '0' : -1);
    if (digit < 0) return std::nullopt;
    magnitude = magnitude * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(digit);
    if (magnitude > limit) return std::nullopt;
  }
  // The 32 bits as a two's-complement number, negated when a minus sign was given.
  std::uint32_t bits = static_cast<std::uint32_t>(magnitude);
  if (negative) bits = 0u - bits;
  return static_cast<std::int32_t>(bits);
}

// ---- Saving and loading ----

Status SaveParameterFile(const fs::path& path, const ParameterFile& file) {
  const auto hasLineBreak = [](const std::string& text) { return HasLineBreak(text); };
  if (std::any_of(file.customBrushes.begin(), file.customBrushes.end(), hasLineBreak)) {
    return Status::Error("Cannot save " + path.string() + ": a custom brush path contains a line break");
  }
  if (HasLineBreak(file.sourceFileName) || HasLineBreak(file.resultFileName)) {
    return Status::Error("Cannot save " + path.string() + ": a file name contains a line break");
  }
  return ReplaceFileContents(path, ParameterFileText(file));
}

ParameterFileLoad LoadParameterFile(const fs::path& path, ParameterFile& into, const BrushPictureCheck& check) {
  ParameterFileLoad result;
  result.path = path.string();
  std::string text;
  result.status = ReadWholeFile(path, text);
  if (!result.status) return result;
  if (!BeginsAsCurrentLayout(text)) {
    result.status = NotAParameterFile(path, "\"[0]\"");
    return result;
  }
  ReadCurrentLayout(text, into, check, result);
  return result;
}

StartupParameterLoad LoadStartupParameterFile(const fs::path& path, ParameterFile& into,
                                              const BrushPictureCheck& check) {
  StartupParameterLoad result;
  result.path = path.string();
  std::string text;
  result.status = ReadWholeFile(path, text);
  if (!result.status) return result;
  if (!BeginsAsCurrentLayout(text) && !BeginsAsOlderLayout(text)) {
    result.status = NotAParameterFile(path, "\"[0]\", or a style's caption with its first value on the next line");
    return result;
  }

  LineReader reader(text);
  if (IsSetHeader(reader.Next().value_or(""))) {
    result.currentLayout = true;
    result.current.path = result.path;
    ReadCurrentLayout(text, into, check, result.current);
    return result;
  }

  // Older layout. Slots 1 to 4 are TrackBar1, TrackBar2, TrackBar5 and TrackBar3; TrackBar4
  // (slot 5) is not in these files.
  constexpr int kOlderLayoutSlots = 4;
  reader = LineReader(text);
  for (int row = 0; row < kCatalogueRowCount && !reader.AtEnd(); ++row) {
    result.captions.emplace_back(*reader.Next());
    for (int slot = 0; slot < kOlderLayoutSlots; ++slot) {
      const auto value = reader.Next();
      if (!value) break;
      // Rows beyond the 32 styles have captions but no parameter set.
      if (row < kEffectCount) into.sets[row][slot] = ParseParameterInteger(*value, 0);
    }
  }
  return result;
}

}  // namespace atelion
