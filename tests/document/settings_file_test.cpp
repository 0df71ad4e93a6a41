#include "document/settings_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <string>
#include <vector>

#include "imageio/image_files.h"
#include "document/silent_conversion.h"
#include "support/test_files.h"
#include "support/picture_checksum.h"

namespace atelion {
namespace {

namespace fs = std::filesystem;
using testing_support::DesktopProgram;
using testing_support::ReadBytes;
using testing_support::RunProgram;
using testing_support::TempFolder;

// Every value away from its default.
Settings Unusual() {
  Settings settings;
  settings.skinNumber = 1;
  settings.window = {12, -30, 1500, 900};
  settings.language = "Deutsch";
  settings.lastOpenFolder = "/home/ann/Pictures/summer 2025";
  settings.lastBrushFolder = "/home/ann/brushes";
  FrameSettings& frame = settings.frame;
  frame.entry = static_cast<int>(FrameStyle::Coloured);
  frame.realisticFrame = 7;
  frame.colouredFrame = 4;
  frame.unusedFrameNumber = 3;
  frame.redOffset = -200;
  frame.greenOffset = 15;
  frame.blueOffset = 255;
  frame.frameFillColor = 0x123456;
  frame.frameLineColor = 0x00FF80;
  frame.margin = 4321;
  frame.panelSpacing = 0;
  settings.addFrame = true;
  TextSettings& text = settings.text;
  text.text = "Été à Montréal";
  text.positionEntry = kTextUserDefined;
  text.x = 250;
  text.y = 0;
  text.fontName = "DejaVu Serif";
  text.fontSize = 48;
  text.italic = true;
  text.strikeout = true;
  text.colour = 0x0000FF;
  settings.textureTileIndex = 6;
  settings.textureListIndex = 2;
  settings.autoUpdateCheck = false;
  settings.previewSetting = false;
  settings.saveParametersInFilename = true;
  return settings;
}

// Compares every value the file keeps.
void ExpectSameStoredValues(const Settings& actual, const Settings& expected) {
  EXPECT_EQ(actual.skinNumber, expected.skinNumber);
  EXPECT_EQ(actual.window, expected.window);
  EXPECT_EQ(actual.language, expected.language);
  EXPECT_EQ(actual.lastOpenFolder, expected.lastOpenFolder);
  EXPECT_EQ(actual.lastBrushFolder, expected.lastBrushFolder);
  EXPECT_EQ(actual.frame, expected.frame);
  EXPECT_EQ(actual.text.text, expected.text.text);
  EXPECT_EQ(actual.text.positionEntry, expected.text.positionEntry);
  EXPECT_EQ(actual.text.x, expected.text.x);
  EXPECT_EQ(actual.text.y, expected.text.y);
  EXPECT_EQ(actual.text.fontName, expected.text.fontName);
  EXPECT_EQ(actual.text.fontSize, expected.text.fontSize);
  EXPECT_EQ(FontStyleWords(actual.text), FontStyleWords(expected.text));
  EXPECT_EQ(actual.text.colour, expected.text.colour);
  EXPECT_EQ(actual.textureTileIndex, expected.textureTileIndex);
  EXPECT_EQ(actual.textureListIndex, expected.textureListIndex);
  EXPECT_EQ(actual.autoUpdateCheck, expected.autoUpdateCheck);
  EXPECT_EQ(actual.previewSetting, expected.previewSetting);
  EXPECT_EQ(actual.saveParametersInFilename, expected.saveParametersInFilename);
}

std::vector<std::string> SplitCrLf(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
    lines.push_back(text.substr(start, end - start));
  }
  EXPECT_EQ(start, text.size()) << "text after the last line end";
  return lines;
}

// Writes lines 1..count of `lines` (1-based) with CR LF ends.
void WriteLines(const fs::path& path, const std::vector<std::string>& lines, std::size_t count) {
  std::ofstream file(path, std::ios::binary);
  for (std::size_t i = 0; i < count && i < lines.size(); ++i) file << lines[i] << "\r\n";
}

const WindowBounds kMonitorBounds{48, 27, 1824, 1026};

TEST(SettingsFile, RoundTripKeepsEveryStoredValue) {
  TempFolder folder;
  const fs::path path = folder / "nested" / "Atelion" / "Atelion.ini";
  const Settings written = Unusual();
  ASSERT_TRUE(SaveIniFile(path, written));
  const Settings read = LoadIniFile(path, kMonitorBounds);
  ExpectSameStoredValues(read, written);
  // "Add a frame" is written for reference; a start never switches it on.
  EXPECT_FALSE(read.addFrame);

  Settings maximized = written;
  maximized.window = {5, 5, -1, -1};
  ASSERT_TRUE(SaveIniFile(path, maximized));
  EXPECT_EQ(LoadIniFile(path, kMonitorBounds).window, (WindowBounds{0, 0, -1, -1}));
}

TEST(SettingsFile, WritesTheLayoutLineByLineWithCrLf) {
  TempFolder folder;
  Settings settings = Unusual();
  settings.window = {0, 0, -1, -1};
  settings.text.italic = true;
  settings.text.underline = true;
  settings.text.strikeout = false;
  settings.text.text = "two\r\nlines";
  ASSERT_TRUE(SaveIniFile(folder / "Atelion.ini", settings));
  const testing_support::Bytes bytes = ReadBytes(folder / "Atelion.ini");
  const std::vector<std::string> lines = SplitCrLf(std::string(bytes.begin(), bytes.end()));
  ASSERT_EQ(lines.size(), static_cast<std::size_t>(kSettingsLineCount));
  const std::vector<std::string> expected = {
      "[Skin number]", "1",
      "[Main window size and position]", "0", "0", "-1", "-1",
      "[Language]", "Deutsch",
      "[Directories]", "/home/ann/Pictures/summer 2025", "/home/ann/brushes",
      "[Frames]", "3", "7", "4", "3", "-200", "15", "255", "1193046", "65408", "4321", "0", "Checked",
      "[Text]", "two  lines", "0", "250", "0", "DejaVu Serif", "48", "Italic Underline ", "255",
      "[Texture]", "6", "2",
      "[Update]", "False",
      "[Preview]", "False",
      "[SaveParametersInFilename]", "True"};
  EXPECT_EQ(lines, expected);
}

TEST(SettingsFile, MissingFileGivesTheDefaults) {
  TempFolder folder;
  const Settings read = LoadIniFile(folder / "none" / "Atelion.ini", kMonitorBounds);
  Settings expected;
  expected.window = kMonitorBounds;
  ExpectSameStoredValues(read, expected);
  // A settings "file" that is a pipe nobody writes to, a folder or an endless device gives the
  // defaults at once instead of hanging the start or filling the memory.
  ASSERT_EQ(::mkfifo((folder / "pipe.ini").c_str(), 0600), 0);
  std::filesystem::create_directory(folder / "folder.ini");
  std::filesystem::create_symlink("/dev/zero", folder / "zeros.ini");
  for (const char* name : {"pipe.ini", "folder.ini", "zeros.ini"}) {
    ExpectSameStoredValues(LoadIniFile(folder / name, kMonitorBounds), expected);
  }
  EXPECT_EQ(read.skinNumber, 3);
  EXPECT_EQ(read.language, "void");
  EXPECT_EQ(read.frame.entry, static_cast<int>(FrameStyle::Lined));
  EXPECT_EQ(read.frame.frameLineColor, 0xFFFFFFu);
  EXPECT_EQ(read.textureTileIndex, -1);
  EXPECT_TRUE(read.autoUpdateCheck);
  EXPECT_TRUE(read.previewSetting);
  EXPECT_FALSE(read.saveParametersInFilename);
}

TEST(SettingsFile, ReadingStopsAtTheEndOrAtAWrongHeaderKeepingWhatCameBefore) {
  TempFolder folder;
  const Settings stored = Unusual();
  const std::vector<std::string> lines = SplitCrLf(SettingsFileText(stored));
  ASSERT_EQ(lines.size(), static_cast<std::size_t>(kSettingsLineCount));

  // Cut after "[Frames]", or a header spelled differently at that place.
  std::vector<std::string> wrongHeader = lines;
  wrongHeader[12] = "[frames]";
  struct Case {
    const char* name;
    std::vector<std::string> lines;
    std::size_t count;
  };
  const Case cases[] = {{"cut after [Frames]", lines, 13}, {"wrong [Frames] header", wrongHeader, lines.size()}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WriteLines(folder / "Atelion.ini", c.lines, c.count);
    const Settings read = LoadIniFile(folder / "Atelion.ini", kMonitorBounds);
    Settings expected;
    expected.skinNumber = stored.skinNumber;
    expected.window = stored.window;
    expected.language = stored.language;
    expected.lastOpenFolder = stored.lastOpenFolder;
    expected.lastBrushFolder = stored.lastBrushFolder;
    ExpectSameStoredValues(read, expected);
  }

  // Cut after the language identifier: language restored, folders empty, the rest at defaults.
  WriteLines(folder / "Atelion.ini", lines, 9);
  Settings expected;
  expected.skinNumber = stored.skinNumber;
  expected.window = stored.window;
  expected.language = stored.language;
  ExpectSameStoredValues(LoadIniFile(folder / "Atelion.ini", kMonitorBounds), expected);

  // Cut inside the frame section: the values present are kept, the missing ones are defaults.
  WriteLines(folder / "Atelion.ini", lines, 16);
  const FrameSettings frame = LoadIniFile(folder / "Atelion.ini", kMonitorBounds).frame;
  FrameSettings expectedFrame;
  expectedFrame.entry = stored.frame.entry;
  expectedFrame.realisticFrame = stored.frame.realisticFrame;
  expectedFrame.colouredFrame = stored.frame.colouredFrame;
  EXPECT_EQ(frame, expectedFrame);
}

TEST(SettingsFile, TextReadsAsTheFileWithThatText) {
  TempFolder folder;
  const std::vector<std::string> lines = SplitCrLf(SettingsFileText(Unusual()));
  // Every cut of a complete file, from nothing to all of it.
  std::string text;
  for (std::size_t count = 0; count <= lines.size(); ++count) {
    SCOPED_TRACE(count);
    if (count > 0) text += lines[count - 1] + "\r\n";
    WriteLines(folder / "Atelion.ini", lines, count);
    ExpectSameStoredValues(SettingsFromText(text, kMonitorBounds), LoadIniFile(folder / "Atelion.ini", kMonitorBounds));
  }
}

TEST(SettingsFile, UnreadableValuesTakeDefaultsAndOthersAreLimitedToTheirRanges) {
  TempFolder folder;
  std::vector<std::string> lines = SplitCrLf(SettingsFileText(Unusual()));
  // Line numbers from 1, as in the file.
  const std::pair<int, const char*> edits[] = {
      {2, "7"},      {4, "left"},  {5, "-40"},    {6, "300"},   {7, "tall"},   {14, "frame"}, {15, "99"},
      {16, "0"},     {18, "-300"}, {19, "12x"},   {21, "black"}, {22, ""},     {23, "99999"}, {24, "-3"},
      {28, "11"},    {29, "-7"},   {30, "y"},     {31, ""},     {32, "huge"},  {34, "-1"},    {36, "42"},
      {37, "light"}, {39, "True"}, {41, "true"},  {43, "yes"}};
  for (const auto& [line, value] : edits) lines[line - 1] = value;
  WriteLines(folder / "Atelion.ini", lines, lines.size());
  const Settings read = LoadIniFile(folder / "Atelion.ini", kMonitorBounds);

  EXPECT_EQ(read.skinNumber, 3);
  EXPECT_EQ(read.window, (WindowBounds{0, -40, kMinWindowWidth, 800}));
  const FrameSettings& frame = read.frame;
  EXPECT_EQ(frame.entry, static_cast<int>(FrameStyle::Lined));
  EXPECT_EQ(frame.realisticFrame, 12);
  EXPECT_EQ(frame.colouredFrame, 1);
  EXPECT_EQ(frame.redOffset, -255);
  EXPECT_EQ(frame.greenOffset, 0);
  EXPECT_EQ(frame.blueOffset, 255);
  EXPECT_EQ(frame.frameFillColor, 0x000000u);
  EXPECT_EQ(frame.frameLineColor, 0xFFFFFFu);
  EXPECT_EQ(frame.margin, 5000);
  EXPECT_EQ(frame.panelSpacing, 0);
  const TextSettings& text = read.text;
  EXPECT_EQ(text.positionEntry, kTextBottomRight);
  EXPECT_EQ(text.x, -1);
  EXPECT_EQ(text.y, -1);
  EXPECT_EQ(text.fontName, TextSettings{}.fontName);
  EXPECT_EQ(text.fontSize, 20);
  EXPECT_EQ(text.colour, 0xFFFFFFu);
  EXPECT_EQ(read.textureTileIndex, 9);
  EXPECT_EQ(read.textureListIndex, -1);
  EXPECT_TRUE(read.autoUpdateCheck);
  EXPECT_FALSE(read.previewSetting);
  EXPECT_FALSE(read.saveParametersInFilename);
}

TEST(SettingsFile, PathFollowsTheConfigurationFolder) {
  const struct {
    const char* xdg;
    const char* home;
    const char* expected;
  } cases[] = {
      {"/tmp/cfg", "/home/ann", "/tmp/cfg/Atelion/Atelion.ini"},
      {nullptr, "/home/ann", "/home/ann/.config/Atelion/Atelion.ini"},
      {"", "/home/ann", "/home/ann/.config/Atelion/Atelion.ini"},
      {"relative/cfg", "/home/ann", "/home/ann/.config/Atelion/Atelion.ini"},
  };
  for (const auto& c : cases) EXPECT_EQ(SettingsFilePath(c.xdg, c.home), fs::path(c.expected)) << c.expected;
}

TEST(SilentSettings, FrameTextAndTileComeFromTheStoredSettings) {
  Settings stored = Unusual();
  std::string error;
  const std::vector<std::string> withoutTile = {"in.jpg", "out", "14", "128", "128", "50", "128", "0", "n", "y", "y"};
  auto request = ParseSilentArguments(withoutTile, stored, error);
  ASSERT_TRUE(request) << error;
  EXPECT_TRUE(request->job.finishing.addFrame);
  EXPECT_EQ(request->job.finishing.frame, stored.frame);
  EXPECT_EQ(request->job.finishing.text.text, stored.text.text);
  EXPECT_FALSE(request->job.finishing.addText);
  EXPECT_EQ(request->job.finishing.texture.tileIndex, 6);

  std::vector<std::string> withTile = withoutTile;
  withTile.push_back("2");
  request = ParseSilentArguments(withTile, stored, error);
  ASSERT_TRUE(request) << error;
  EXPECT_EQ(request->job.finishing.texture.tileIndex, 1);

  stored.textureTileIndex = -1;
  request = ParseSilentArguments(withoutTile, stored, error);
  ASSERT_TRUE(request) << error;
  EXPECT_EQ(request->job.finishing.texture.tileIndex, 0);
}

Bitmap24 Photo(int width, int height) { return testing_support::SyntheticPhoto(width, height); }

TEST(SilentSettings, TheProgramFramesWithTheStoredFrameAndNeverWritesTheFile) {
  TempFolder folder;
  ASSERT_TRUE(SaveImageFile(Photo(64, 48), folder / "in.jpg", ImageFormat::Jpeg, 96));
  const fs::path settingsPath = SettingsFilePath((folder / "config").c_str(), "/nonexistent-home");
  Settings stored;
  stored.frame.entry = static_cast<int>(FrameStyle::Lined);
  stored.frame.margin = 40;
  stored.frame.frameFillColor = 0x0000FF;  // red
  ASSERT_TRUE(SaveIniFile(settingsPath, stored));
  const testing_support::Bytes storedBytes = ReadBytes(settingsPath);

  struct Case {
    const char* name;
    std::string config;
    int margin;
    Colour fill;
  };
  const Case cases[] = {{"stored lined frame", (folder / "config").string(), 40, 0x0000FF},
                        {"no settings file", (folder / "empty-config").string(), kFrameMarginRange.defaultValue, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const fs::path out = folder / "out.jpg";
    fs::remove(out);
    const auto run = RunProgram(DesktopProgram(),
                                {"-silent", (folder / "in.jpg").string(), out.string(), "14", "128", "128", "50",
                                 "128", "0", "n", "y", "n"},
                                {"XDG_CONFIG_HOME=" + c.config});
    ASSERT_EQ(run.exitCode, 0) << run.output;
    const LoadedImage result = LoadImageFile(out);
    ASSERT_TRUE(result.status) << result.status.message();
    EXPECT_EQ(result.picture.Width(), 64 + c.margin);
    EXPECT_EQ(result.picture.Height(), 48 + c.margin);
    // The fill colour shows in the margin's corner (allowing for the JPEG's losses).
    const Colour corner = result.picture.Pixel(2, 2);
    EXPECT_NEAR(RedOf(corner), RedOf(c.fill), 40);
    EXPECT_NEAR(GreenOf(corner), GreenOf(c.fill), 40);
    EXPECT_NEAR(BlueOf(corner), BlueOf(c.fill), 40);
  }
  EXPECT_EQ(ReadBytes(settingsPath), storedBytes);
  EXPECT_FALSE(fs::exists(folder / "empty-config"));
}

}  // namespace
}  // namespace atelion
