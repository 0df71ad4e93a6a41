#include "document/settings_file.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <optional>
#include <string_view>
#include <system_error>

#include "imageio/file_replace.h"
#include "imageio/user_files.h"

namespace atelion {

namespace fs = std::filesystem;

namespace {

constexpr const char* kSkinHeader = "[Skin number]";
constexpr const char* kWindowHeader = "[Main window size and position]";
constexpr const char* kLanguageHeader = "[Language]";
constexpr const char* kDirectoriesHeader = "[Directories]";
constexpr const char* kFramesHeader = "[Frames]";
constexpr const char* kTextHeader = "[Text]";
constexpr const char* kTextureHeader = "[Texture]";
constexpr const char* kUpdateHeader = "[Update]";
constexpr const char* kPreviewHeader = "[Preview]";
constexpr const char* kFilenameHeader = "[SaveParametersInFilename]";

constexpr int kTextureTileCount = 10;
// Far above any settings file the program writes (a few kilobytes).
constexpr std::uintmax_t kMaxSettingsFileBytes = 1u << 20;
constexpr int kTextureListCount = 3;
constexpr Colour kLargestColour = 0xFFFFFF;
// Font size taken when the stored size line is not a number.
constexpr int kUnreadableFontSize = 20;

// A stored text must stay on its one line.
std::string OneLine(std::string text) {
  std::replace_if(text.begin(), text.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
  return text;
}

std::string TrueFalse(bool value) { return value ? "True" : "False"; }

// The signed decimal number a line holds (blanks around it allowed), if it holds nothing else.
std::optional<int> ParseNumber(const std::string& line) {
  std::size_t first = line.find_first_not_of(" \t");
  std::size_t last = line.find_last_not_of(" \t");
  if (first == std::string::npos) return std::nullopt;
  const char* begin = line.data() + first;
  const char* end = line.data() + last + 1;
  if (*begin == '+' && end - begin > 1 && begin[1] != '-') ++begin;
  int value = 0;
  const auto [rest, error] = std::from_chars(begin, end, value);
  if (error != std::errc() || rest != end || begin == end) return std::nullopt;
  return value;
}

// A colour line: 0x00BBGGRR, limited to 24 bits.
Colour ParseColour(const std::string& line, Colour fallback) {
  const std::optional<int> value = ParseNumber(line);
  if (!value) return fallback;
  return static_cast<Colour>(std::clamp<long long>(*value, 0, kLargestColour));
}

// Hands out the lines of the file's text one at a time, without their line ends (LF or CR LF).
class LineReader {
 public:
  explicit LineReader(std::string_view text) : text_(text) {}

  std::optional<std::string> Next() {
    if (position_ >= text_.size()) return std::nullopt;
    std::size_t end = text_.find('\n', position_);
    if (end == std::string_view::npos) end = text_.size();
    std::string line(text_.substr(position_, end - position_));
    position_ = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return line;
  }

  // True when the next line is exactly `header`.
  bool Header(const char* header) {
    const std::optional<std::string> line = Next();
    return line && *line == header;
  }

 private:
  std::string_view text_;
  std::size_t position_ = 0;
};

// Reads the sections in their order; returns at the first header that differs or at the end of
// the file, keeping what was read.
void ReadSections(LineReader& reader, Settings& settings) {
  std::optional<std::string> line;
  auto number = [&](int fallback) { return (line = reader.Next()) ? ParseNumber(*line).value_or(fallback) : fallback; };

  if (!reader.Header(kSkinHeader) || !(line = reader.Next())) return;
  if (*line == "1" || *line == "2" || *line == "3" || *line == "4") settings.skinNumber = *line->data() - '0';

  if (!reader.Header(kWindowHeader)) return;
  {
    WindowBounds& window = settings.window;
    if (!(line = reader.Next())) return;
    window.left = ParseNumber(*line).value_or(0);
    if (!(line = reader.Next())) return;
    window.top = ParseNumber(*line).value_or(0);
    if (!(line = reader.Next())) return;
    const int width = ParseNumber(*line).value_or(1024);
    if (width == -1) {
      window.width = window.height = -1;
      // The height line is read and has no effect on a maximized window.
      if (!(line = reader.Next())) return;
    } else {
      window.width = std::max(width, kMinWindowWidth);
      if (!(line = reader.Next())) return;
      window.height = std::max(ParseNumber(*line).value_or(800), kMinWindowHeight);
    }
  }

  if (!reader.Header(kLanguageHeader) || !(line = reader.Next())) return;
  settings.language = *line;

  if (!reader.Header(kDirectoriesHeader) || !(line = reader.Next())) return;
  settings.lastOpenFolder = *line;
  if (!(line = reader.Next())) return;
  settings.lastBrushFolder = *line;

  if (!reader.Header(kFramesHeader)) return;
  {
    // Values are gathered first, so a file cut inside the section leaves the frame at its defaults
    // only for the values that are missing, then limited to their ranges together.
    FrameSettings& frame = settings.frame;
    const FrameSettings defaults;
    int* const numbers[] = {&frame.entry, &frame.realisticFrame, &frame.colouredFrame, &frame.unusedFrameNumber,
                            &frame.redOffset, &frame.greenOffset, &frame.blueOffset};
    const int fallbacks[] = {defaults.entry, defaults.realisticFrame, defaults.colouredFrame,
                             defaults.unusedFrameNumber, defaults.redOffset, defaults.greenOffset, defaults.blueOffset};
    bool complete = true;
    for (std::size_t i = 0; i < std::size(numbers) && complete; ++i) {
      *numbers[i] = number(fallbacks[i]);
      complete = line.has_value();
    }
    if (complete && (line = reader.Next())) frame.frameFillColor = ParseColour(*line, defaults.frameFillColor);
    if (line && (line = reader.Next())) frame.frameLineColor = ParseColour(*line, defaults.frameLineColor);
    if (line) frame.margin = number(defaults.margin);
    if (line) frame.panelSpacing = number(defaults.panelSpacing);
    frame = ClampFrameSettings(frame);
    // "Checked" or "Unchecked": read and ignored, a run adds a frame only when asked to.
    if (!line || !(line = reader.Next())) return;
  }

  if (!reader.Header(kTextHeader) || !(line = reader.Next())) return;
  {
    TextSettings& text = settings.text;
    const TextSettings defaults;
    text.text = *line;
    // −1 (or any negative number) stands for "none stored".
    const int entry = number(-1);
    text.positionEntry = entry < 0 ? defaults.positionEntry : std::min(entry, kTextPositionCount - 1);
    if (!line) return;
    text.x = std::max(number(-1), -1);
    if (!line) return;
    text.y = std::max(number(-1), -1);
    if (!line || !(line = reader.Next())) return;
    if (!line->empty()) text.fontName = *line;
    const int size = number(kUnreadableFontSize);
    text.fontSize = size <= 0 ? defaults.fontSize : std::min(size, kMaxFontSize);
    if (!line || !(line = reader.Next())) return;
    ReadFontStyleWords(*line, text);
    if (!(line = reader.Next())) return;
    const std::optional<int> colour = ParseNumber(*line);
    text.colour = (!colour || *colour < 0) ? defaults.colour : static_cast<Colour>(std::min<long long>(*colour, kLargestColour));
  }

  if (!reader.Header(kTextureHeader)) return;
  settings.textureTileIndex = std::clamp(number(-1), -1, kTextureTileCount - 1);
  if (!line) return;
  settings.textureListIndex = std::clamp(number(-1), -1, kTextureListCount - 1);
  if (!line) return;

  if (!reader.Header(kUpdateHeader) || !(line = reader.Next())) return;
  settings.autoUpdateCheck = *line == "True";
  if (!reader.Header(kPreviewHeader) || !(line = reader.Next())) return;
  settings.previewSetting = *line == "True";
  if (!reader.Header(kFilenameHeader) || !(line = reader.Next())) return;
  settings.saveParametersInFilename = *line == "True";
}

}  // namespace

std::string SettingsFileText(const Settings& settings) {
  std::string text;
  auto put = [&text](const std::string& line) { text += OneLine(line) + "\r\n"; };
  auto putNumber = [&put](long long value) { put(std::to_string(value)); };

  put(kSkinHeader);
  putNumber(std::clamp(settings.skinNumber, 1, 4));
  put(kWindowHeader);
  if (settings.window.Maximized()) {
    for (int value : {0, 0, -1, -1}) putNumber(value);
  } else {
    for (int value : {settings.window.left, settings.window.top, settings.window.width, settings.window.height}) {
      putNumber(value);
    }
  }
  put(kLanguageHeader);
  put(settings.language);
  put(kDirectoriesHeader);
  put(settings.lastOpenFolder);
  put(settings.lastBrushFolder);

  const FrameSettings& frame = settings.frame;
  put(kFramesHeader);
  for (int value : {frame.entry, frame.realisticFrame, frame.colouredFrame, frame.unusedFrameNumber, frame.redOffset,
                    frame.greenOffset, frame.blueOffset}) {
    putNumber(value);
  }
  putNumber(frame.frameFillColor);
  putNumber(frame.frameLineColor);
  putNumber(frame.margin);
  putNumber(frame.panelSpacing);
  put(settings.addFrame ? "Checked" : "Unchecked");

  const TextSettings& words = settings.text;
  put(kTextHeader);
  put(words.text);
  putNumber(words.positionEntry);
  putNumber(words.x);
  putNumber(words.y);
  put(words.fontName);
  putNumber(words.fontSize);
  put(FontStyleWords(words));
  putNumber(words.colour);

  put(kTextureHeader);
  putNumber(settings.textureTileIndex);
  putNumber(settings.textureListIndex);
  put(kUpdateHeader);
  put(TrueFalse(settings.autoUpdateCheck));
  put(kPreviewHeader);
  put(TrueFalse(settings.previewSetting));
  put(kFilenameHeader);
  put(TrueFalse(settings.saveParametersInFilename));
  return text;
}

Status SaveIniFile(const fs::path& path, const Settings& settings) {
  if (path.has_parent_path()) {
    std::error_code error;
    fs::create_directories(path.parent_path(), error);
    if (error) return Status::Error("Cannot save " + path.string() + ": " + error.message());
  }
  return ReplaceFileContents(path, SettingsFileText(settings));
}

Settings LoadIniFile(const fs::path& path, const WindowBounds& defaultBounds) {
  Settings settings;
  settings.window = defaultBounds;
  // A settings file that cannot be had (missing, a pipe, a device, far too large) leaves the defaults.
  const FileContents file = ReadUserFile(path, kMaxSettingsFileBytes, "settings file");
  if (!file) return settings;
  const std::string_view text(reinterpret_cast<const char*>(file.bytes.data()), file.bytes.size());
  LineReader reader(text);
  ReadSections(reader, settings);
  return settings;
}

Settings SettingsFromText(std::string_view text, const WindowBounds& defaultBounds) {
  Settings settings;
  settings.window = defaultBounds;
  LineReader reader(text);
  ReadSections(reader, settings);
  return settings;
}

fs::path SettingsFilePath(const char* xdgConfigHome, const char* home) {
  fs::path folder;
  if (xdgConfigHome != nullptr && *xdgConfigHome != '\0' && fs::path(xdgConfigHome).is_absolute()) {
    folder = xdgConfigHome;
  } else {
    folder = fs::path(home != nullptr ? home : "") / ".config";
  }
  return folder / "Atelion" / "Atelion.ini";
}

fs::path SettingsFilePath() { return SettingsFilePath(std::getenv("XDG_CONFIG_HOME"), std::getenv("HOME")); }

}  // namespace atelion
