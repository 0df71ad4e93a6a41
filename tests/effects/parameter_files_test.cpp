#include "effects/parameter_files.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/resource.h>

#include <algorithm>
#include <csignal>
#include <fstream>
#include <functional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "imageio/image_files.h"
#include "support/test_files.h"

namespace atelion {
namespace {

namespace fs = std::filesystem;

using testing_support::TempFolder;

void WriteText(const fs::path& path, const std::string& text) {
  std::ofstream file(path, std::ios::binary);
  file << text;
}

std::string ReadText(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

// Splits CR LF ended text into its lines; fails the test on any other line end.
std::vector<std::string> CrLfLines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find("\r\n", start);
    if (end == std::string::npos) {
      ADD_FAILURE() << "text after the last CR LF: " << text.substr(start);
      break;
    }
    const std::string line = text.substr(start, end - start);
    EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos) << "lone CR or LF in line " << lines.size();
    lines.push_back(line);
    start = end + 2;
  }
  return lines;
}

std::string JoinLines(const std::vector<std::string>& lines, std::size_t count, const char* ending = "\r\n") {
  std::string text;
  for (std::size_t i = 0; i < count; ++i) text += lines[i] + ending;
  return text;
}

// Values unlike any factory default, some negative, so that every set tells where it came from.
ParameterFile DistinctFile() {
  ParameterFile file;
  for (int effectId = 0; effectId < kEffectCount; ++effectId) {
    for (int slot = 0; slot < kSlotCount; ++slot) {
      const int magnitude = effectId * 10 + slot + 1;
      file.sets[effectId][slot] = slot % 2 == 1 ? -magnitude : magnitude;
    }
  }
  file.catalogueIndex = 23;
  file.sourceFileName = "/photos/harbour at dusk.jpg";
  file.resultFileName = "/photos/harbour at dusk_Atelion.jpg";
  return file;
}

// The state a load starts from: the factory defaults, row 1, one brush and both names set.
ParameterFile CurrentState() {
  ParameterFile state = ParameterFile::FromTables(ParameterTables(), kStartCatalogueIndex);
  state.customBrushes = {"/brushes/previous.png"};
  state.sourceFileName = "/open/source.jpg";
  state.resultFileName = "/open/result.jpg";
  return state;
}

void ExpectSameFile(const ParameterFile& actual, const ParameterFile& expected) {
  for (int effectId = 0; effectId < kEffectCount; ++effectId) {
    EXPECT_EQ(actual.sets[effectId], expected.sets[effectId]) << "set " << effectId;
  }
  EXPECT_EQ(actual.catalogueIndex, expected.catalogueIndex);
  EXPECT_EQ(actual.customBrushes, expected.customBrushes);
  EXPECT_EQ(actual.sourceFileName, expected.sourceFileName);
  EXPECT_EQ(actual.resultFileName, expected.resultFileName);
}

// Two small pictures saved as PNG, usable as custom brushes.
class WithBrushPictures : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(SaveImageFile(Bitmap24(6, 4, MakeColour(200, 30, 10)), firstBrush, ImageFormat::Png));
    ASSERT_TRUE(SaveImageFile(Bitmap24(3, 5, MakeColour(0, 90, 250)), secondBrush, ImageFormat::Png));
  }

  TempFolder folder;
  const std::string firstBrush = (folder / "first brush.png").string();
  const std::string secondBrush = (folder / "second brush.png").string();
};

// ---- Names and numbers ----

TEST(ParameterFiles, ExtensionIsAppendedUnlessTheNameEndsInExactlyAtp) {
  const std::pair<const char*, const char*> cases[] = {
      {"Params.atp", "Params.atp"},
      {"Params", "Params.atp"},
      {"x.ATP", "x.ATP.atp"},
      {"x.Atp", "x.Atp.atp"},
      {"x.atp.txt", "x.atp.txt.atp"},
      {"/home/me/styles.v2", "/home/me/styles.v2.atp"},
      {"atp", "atp.atp"},
      {".atp", ".atp"},
      {"", ".atp"},
  };
  for (const auto& [name, expected] : cases) EXPECT_EQ(EnsureParameterExtension(name), expected) << name;
}

TEST(ParameterFiles, StartArgumentIsAParameterFileInAnyCase) {
  const std::pair<const char*, bool> cases[] = {
      {"/home/me/Params.atp", true}, {"PARAMS.ATP", true}, {"x.aTp", true},   {".atp", true},
      {"photo.jpg", false},          {"atp", false},       {"x.atp.jpg", false}, {"", false},
  };
  for (const auto& [argument, expected] : cases) EXPECT_EQ(IsParameterFileArgument(argument), expected) << argument;
}

TEST(ParameterFiles, NumbersAreReadLeniently) {
  const std::pair<const char*, int> cases[] = {
      {"0", 0},
      {"25", 25},
      {"-7", -7},
      {"+7", 7},
      {"007", 7},
      {"  42 ", 42},
      {"\t42", 42},
      {"2147483647", 2147483647},
      {"-2147483648", -2147483647 - 1},
      {"$1F", 31},
      {"0x1f", 31},
      {"0X1F", 31},
      {"-$10", -16},
      {"$FFFFFFFF", -1},
      {"$80000000", -2147483647 - 1},
      // Not numbers: the fallback.
      {"", 99},
      {"   ", 99},
      {"-", 99},
      {"$", 99},
      {"0x", 99},
      {"2147483648", 99},
      {"-2147483649", 99},
      {"$100000000", 99},
      {"12abc", 99},
      {"1 2", 99},
      {"1.5", 99},
      {"1e3", 99},
      {"--1", 99},
      {"[3]", 99},
      {"abc", 99},
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(ParseParameterInteger(text, 99), expected) << '"' << text << '"';
}

// ---- Saving ----

TEST(ParameterFiles, SavedFileHasOneLinePerItemEndedByCrLf) {
  TempFolder folder;
  const std::vector<std::vector<std::string>> brushLists = {
      {}, {"/b/one.png"}, {"/b/one.png", "/b/two two.png", "C:\\old\\three.png"}};
  for (const auto& brushes : brushLists) {
    ParameterFile file = DistinctFile();
    file.customBrushes = brushes;
    const fs::path path = folder / "Params.atp";
    ASSERT_TRUE(SaveParameterFile(path, file));
    const std::vector<std::string> lines = CrLfLines(ReadText(path));
    const std::size_t n = brushes.size();
    ASSERT_EQ(lines.size(), 197 + n);
    for (int effectId = 0; effectId < kEffectCount; ++effectId) {
      EXPECT_EQ(lines[6 * effectId], std::string("[").append(std::to_string(effectId)).append("]"));
      for (int slot = 0; slot < kSlotCount; ++slot) {
        EXPECT_EQ(lines[6 * effectId + 1 + slot], std::to_string(file.sets[effectId][slot]));
      }
    }
    EXPECT_EQ(lines[192], "23");
    EXPECT_EQ(lines[193], "[Custom brushes - Painting 4]");
    for (std::size_t i = 0; i < n; ++i) EXPECT_EQ(lines[194 + i], brushes[i]);
    EXPECT_EQ(lines[194 + n], "[Source and result filenames]");
    EXPECT_EQ(lines[195 + n], "/photos/harbour at dusk.jpg");
    EXPECT_EQ(lines[196 + n], "/photos/harbour at dusk_Atelion.jpg");
    EXPECT_EQ(folder.Entries(), std::vector<std::string>{"Params.atp"});  // no temporary file left
  }
}

TEST(ParameterFiles, EmptyFileNamesAreWrittenAsEmptyLines) {
  TempFolder folder;
  ParameterFile file = DistinctFile();
  file.sourceFileName.clear();
  file.resultFileName.clear();
  ASSERT_TRUE(SaveParameterFile(folder / "p.atp", file));
  const std::vector<std::string> lines = CrLfLines(ReadText(folder / "p.atp"));
  ASSERT_EQ(lines.size(), 197u);
  EXPECT_EQ(lines[194], "[Source and result filenames]");
  EXPECT_EQ(lines[195], "");
  EXPECT_EQ(lines[196], "");
}

class SaveFailure : public testing::Test {
 protected:
  TempFolder folder;
  const fs::path target = folder / "Params.atp";
  const std::string oldContent = "the previous parameters\r\n";

  void ExpectOldFileKept(const Status& status) {
    EXPECT_FALSE(status);
    EXPECT_NE(status.message().find(target.string()), std::string::npos) << status.message();
    EXPECT_EQ(ReadText(target), oldContent);
    EXPECT_EQ(folder.Entries(), std::vector<std::string>{"Params.atp"});
  }
};

TEST_F(SaveFailure, WriteErrorLeavesTheOldFileUnchanged) {
  WriteText(target, oldContent);
  // A file size limit below the size of a parameter file makes the write fail half-way, as a
  // full disk would.
  struct rlimit previous {};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &previous), 0);
  struct rlimit small = previous;
  small.rlim_cur = 200;
  auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  const Status status = SaveParameterFile(target, DistinctFile());
  setrlimit(RLIMIT_FSIZE, &previous);
  std::signal(SIGXFSZ, previousHandler);
  ExpectOldFileKept(status);
}

TEST_F(SaveFailure, NameWithALineBreakIsRefusedBeforeWriting) {
  WriteText(target, oldContent);
  ParameterFile brushBreak = DistinctFile();
  brushBreak.customBrushes = {"/b/one.png", "/b/two\n[Source and result filenames]"};
  ExpectOldFileKept(SaveParameterFile(target, brushBreak));
  ParameterFile nameBreak = DistinctFile();
  nameBreak.resultFileName = "result\r.jpg";
  ExpectOldFileKept(SaveParameterFile(target, nameBreak));
}

TEST_F(SaveFailure, MissingFolderIsReported) {
  const fs::path inMissingFolder = folder / "no such folder" / "Params.atp";
  const Status status = SaveParameterFile(inMissingFolder, DistinctFile());
  EXPECT_FALSE(status);
  EXPECT_NE(status.message().find(inMissingFolder.string()), std::string::npos) << status.message();
  EXPECT_TRUE(folder.Entries().empty());
}

// ---- Loading ----

TEST_F(WithBrushPictures, SaveThenLoadRestoresEverything) {
  ParameterFile saved = DistinctFile();
  saved.customBrushes = {firstBrush, secondBrush};
  const fs::path path = folder / "Params.atp";
  ASSERT_TRUE(SaveParameterFile(path, saved));

  ParameterFile loaded = CurrentState();
  const ParameterFileLoad result = LoadParameterFile(path, loaded);
  ASSERT_TRUE(result.status) << result.status.message();
  ExpectSameFile(loaded, saved);
  EXPECT_EQ(result.setsRead, kEffectCount);
  EXPECT_TRUE(result.brushSectionFound);
  EXPECT_TRUE(result.fileNamesFound);
  EXPECT_TRUE(result.unreadableBrushes.empty());
  EXPECT_TRUE(result.CustomBrushLoaded(loaded));
  EXPECT_TRUE(result.AskToOptimiseBrushes(loaded));

  // The same file with LF endings reads the same.
  const fs::path lfPath = folder / "lf.atp";
  std::string text = ReadText(path);
  text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
  WriteText(lfPath, text);
  ParameterFile fromLf = CurrentState();
  ASSERT_TRUE(LoadParameterFile(lfPath, fromLf).status);
  ExpectSameFile(fromLf, saved);
}

TEST(ParameterFiles, LoadedSetsReachTheParameterTables) {
  TempFolder folder;
  const ParameterFile saved = DistinctFile();
  ASSERT_TRUE(SaveParameterFile(folder / "p.atp", saved));
  ParameterTables tables;
  ParameterFile loaded = ParameterFile::FromTables(tables, kStartCatalogueIndex);
  ASSERT_TRUE(LoadParameterFile(folder / "p.atp", loaded).status);
  loaded.ApplyTo(tables);
  for (int effectId = 0; effectId < kEffectCount; ++effectId) {
    EXPECT_EQ(tables.Current(effectId), saved.sets[effectId]) << effectId;
    EXPECT_EQ(tables.FactoryDefault(effectId), FactoryDefaults(effectId)) << effectId;
  }
}

TEST(ParameterFiles, FileWithoutSetHeadersChangesNoSetAndSelectsItsFirstLine) {
  TempFolder folder;
  const struct {
    const char* text;
    int catalogueIndex;
    bool validRow;
  } cases[] = {
      {"0\r\n", 0, true},
      {"17\r\n", 17, true},
      {"39", 39, true},
      {"12\r\n[0]\r\n1\r\n2\r\n3\r\n4\r\n5\r\n", 12, true},  // no set is read after the row
      {" $1F \r\n", 31, true},
      {"40\r\n", 40, false},
      {"-1\r\n", -1, false},
      {"100000\n", 100000, false},
  };
  for (const auto& c : cases) {
    const fs::path path = folder / "p.atp";
    WriteText(path, c.text);
    const ParameterFile before = CurrentState();
    ParameterFile loaded = before;
    const ParameterFileLoad result = LoadParameterFile(path, loaded);
    ASSERT_TRUE(result.status) << c.text;
    EXPECT_EQ(result.setsRead, 0) << c.text;
    EXPECT_EQ(loaded.sets, before.sets) << c.text;
    EXPECT_EQ(loaded.catalogueIndex, c.catalogueIndex) << c.text;
    EXPECT_EQ(loaded.SelectedCatalogueIndex().has_value(), c.validRow) << c.text;
    if (c.validRow) {
      EXPECT_EQ(loaded.SelectedCatalogueIndex(), c.catalogueIndex) << c.text;
    }
    // Without the brush section the brush list stays; without the name section the names are empty.
    EXPECT_FALSE(result.brushSectionFound) << c.text;
    EXPECT_EQ(loaded.customBrushes, before.customBrushes) << c.text;
    EXPECT_FALSE(result.fileNamesFound) << c.text;
    EXPECT_EQ(loaded.sourceFileName, "") << c.text;
    EXPECT_EQ(loaded.resultFileName, "") << c.text;
  }
}

// Files that begin neither with a set header nor with a catalogue row are no parameter files at
// all: they are refused, named, and change nothing, where the tolerant reading would have
// selected style row 0 without a word. The start-up reader also takes the older layout, whose
// second line is a number.
TEST(ParameterFiles, AFileThatIsNoParameterFileIsRefused) {
  TempFolder folder;
  constexpr char kPngStart[] = "\x89PNG\r\n\x1a\n\0\0\0\rIHDR\0\0\0\x04\0\0\0\x04\x08\x02";
  const std::string png(kPngStart, sizeof kPngStart - 1);
  const struct {
    const char* name;
    std::string text;
    bool olderLayout;  ///< read by the start-up reader as the older layout
  } cases[] = {
      {"empty", "", false},
      {"zeros", std::string(4096, '\0'), false},
      {"zero lines", std::string("\0\0\n\0\0\n\0", 7), false},
      {"a picture", png, false},
      {"a blank line", "\r\n", false},
      {"blanks", "   \n\t\n", false},
      {"a word", "Pencil sketch\r\n", false},
      {"prose", "Dear diary,\ntoday I drew a cat.\n", false},
      {"a number and a word", "12 apples\n[0]\n", false},
      {"a caption and its values", "Pencil sketch\r\n40\r\n20\r\n", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const fs::path path = folder / "p.atp";
    WriteText(path, c.text);
    const ParameterFile before = CurrentState();
    ParameterFile loaded = before;
    const ParameterFileLoad result = LoadParameterFile(path, loaded);
    EXPECT_FALSE(result.status);
    EXPECT_NE(result.status.message().find(path.string()), std::string::npos) << result.status.message();
    EXPECT_NE(result.status.message().find("not a parameter file"), std::string::npos) << result.status.message();
    ExpectSameFile(loaded, before);

    ParameterFile atStart = before;
    const StartupParameterLoad startup = LoadStartupParameterFile(path, atStart);
    EXPECT_EQ(static_cast<bool>(startup.status), c.olderLayout) << startup.status.message();
    if (!c.olderLayout) {
      EXPECT_NE(startup.status.message().find("not a parameter file"), std::string::npos) << startup.status.message();
      ExpectSameFile(atStart, before);
    }
  }
}

TEST(ParameterFiles, OlderFileWithFewerSetsKeepsTheRest) {
  TempFolder folder;
  const fs::path path = folder / "old.atp";
  WriteText(path,
            "[0]\r\n1\r\n2\r\n3\r\n4\r\n5\r\n"
            "[whatever]\r\n6\r\n7\r\n8\r\n9\r\n10\r\n"
            "12\r\n"
            "[Custom brushes - Painting 4]\r\n"
            "[Source and result filenames]\r\n"
            "/in.jpg\r\n"
            "/out.jpg\r\n");
  const ParameterFile before = CurrentState();
  ParameterFile loaded = before;
  const ParameterFileLoad result = LoadParameterFile(path, loaded);
  ASSERT_TRUE(result.status);
  EXPECT_EQ(result.setsRead, 2);
  EXPECT_EQ(loaded.sets[0], (ParameterSet{1, 2, 3, 4, 5}));
  EXPECT_EQ(loaded.sets[1], (ParameterSet{6, 7, 8, 9, 10}));  // the number in the header is not read
  for (int effectId = 2; effectId < kEffectCount; ++effectId) EXPECT_EQ(loaded.sets[effectId], before.sets[effectId]);
  EXPECT_EQ(loaded.catalogueIndex, 12);
  EXPECT_EQ(loaded.sourceFileName, "/in.jpg");
  EXPECT_EQ(loaded.resultFileName, "/out.jpg");
}

TEST(ParameterFiles, ValuesThatAreNotNumbersBecomeZero) {
  TempFolder folder;
  const fs::path path = folder / "p.atp";
  WriteText(path, "[0]\r\nabc\r\n 5 \r\n\r\n$1F\r\n12abc\r\n[1]\r\n-3\r\n1.5\r\nx\r\n+4\r\n--\r\nrow\r\n");
  ParameterFile loaded = CurrentState();
  ASSERT_TRUE(LoadParameterFile(path, loaded).status);
  EXPECT_EQ(loaded.sets[0], (ParameterSet{0, 5, 0, 31, 0}));
  EXPECT_EQ(loaded.sets[1], (ParameterSet{-3, 0, 0, 4, 0}));
  EXPECT_EQ(loaded.catalogueIndex, 0);
}

// A file cut short: every read past the end repeats the last line that was read.
TEST(ParameterFiles, TruncatedFileRepeatsItsLastLine) {
  TempFolder folder;
  const ParameterFile saved = DistinctFile();  // set e, slot s holds ±(10e + s + 1)
  ASSERT_TRUE(SaveParameterFile(folder / "whole.atp", saved));
  const std::vector<std::string> lines = CrLfLines(ReadText(folder / "whole.atp"));
  ASSERT_EQ(lines.size(), 197u);

  using Expect = std::function<void(ParameterFile&)>;
  const auto fromFile = [&](ParameterFile& expected, int setCount) {
    for (int effectId = 0; effectId < setCount; ++effectId) expected.sets[effectId] = saved.sets[effectId];
  };
  const struct {
    const char* name;
    std::string text;
    int setsRead;
    bool brushSection;
    Expect expect;
  } cases[] = {
      {"cut after two values of set 5", JoinLines(lines, 33), 6, false,
       [&](ParameterFile& e) {
         fromFile(e, 5);
         e.sets[5] = {51, -52, -52, -52, -52};  // sets 6..31 as they were
         e.catalogueIndex = -52;
         e.customBrushes = {"/brushes/previous.png"};
       }},
      {"cut inside a value line of set 5", JoinLines(lines, 32) + "-5", 6, false,
       [&](ParameterFile& e) {
         fromFile(e, 5);
         e.sets[5] = {51, -5, -5, -5, -5};
         e.catalogueIndex = -5;
         e.customBrushes = {"/brushes/previous.png"};
       }},
      // The repeated header reads as a header again and again: every later set becomes 0
      // and so does the catalogue row.
      {"cut right after the header of set 5", JoinLines(lines, 31), 32, false,
       [&](ParameterFile& e) {
         fromFile(e, 5);
         for (int effectId = 5; effectId < kEffectCount; ++effectId) e.sets[effectId] = {0, 0, 0, 0, 0};
         e.catalogueIndex = 0;
         e.customBrushes = {"/brushes/previous.png"};
       }},
      {"cut after the last set", JoinLines(lines, 192), 32, false,
       [&](ParameterFile& e) {
         fromFile(e, 32);
         e.catalogueIndex = 315;  // the last value, which is no row of the list
         e.customBrushes = {"/brushes/previous.png"};
       }},
      {"cut after the brush header", JoinLines(lines, 194), 32, true,
       [&](ParameterFile& e) {
         fromFile(e, 32);
         e.catalogueIndex = 23;
         e.customBrushes = {};
       }},
      {"cut after the source name", JoinLines(lines, 196), 32, true,
       [&](ParameterFile& e) {
         fromFile(e, 32);
         e.catalogueIndex = 23;
         e.customBrushes = {};
         e.sourceFileName = saved.sourceFileName;  // the missing result name stays empty
       }},
  };
  for (const auto& c : cases) {
    const fs::path path = folder / "cut.atp";
    WriteText(path, c.text);
    const ParameterFile before = CurrentState();
    ParameterFile expected = before;
    expected.sourceFileName.clear();
    expected.resultFileName.clear();
    c.expect(expected);

    ParameterFile loaded = before;
    const ParameterFileLoad result = LoadParameterFile(path, loaded);
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(result.status);
    EXPECT_EQ(result.setsRead, c.setsRead);
    EXPECT_EQ(result.brushSectionFound, c.brushSection);
    ExpectSameFile(loaded, expected);
  }
}

TEST_F(WithBrushPictures, FileWithoutBrushesClearsTheBrushList) {
  ASSERT_TRUE(SaveParameterFile(folder / "p.atp", DistinctFile()));
  ParameterFile loaded = CurrentState();
  loaded.customBrushes = {firstBrush, secondBrush};
  const ParameterFileLoad result = LoadParameterFile(folder / "p.atp", loaded);
  ASSERT_TRUE(result.status);
  EXPECT_TRUE(result.brushSectionFound);
  EXPECT_TRUE(loaded.customBrushes.empty());
  EXPECT_FALSE(result.CustomBrushLoaded(loaded));
  EXPECT_FALSE(result.AskToOptimiseBrushes(loaded));
  EXPECT_EQ(loaded.sourceFileName, "/photos/harbour at dusk.jpg");
}

TEST_F(WithBrushPictures, UnreadableBrushIsReportedAndTheRestStillLoad) {
  const std::string missing = (folder / "gone.png").string();
  const std::string notAPicture = (folder / "notes.png").string();
  WriteText(notAPicture, "not a picture at all");
  ParameterFile saved = DistinctFile();
  saved.customBrushes = {firstBrush, missing, notAPicture, secondBrush};
  ASSERT_TRUE(SaveParameterFile(folder / "p.atp", saved));

  ParameterFile loaded = CurrentState();
  const ParameterFileLoad result = LoadParameterFile(folder / "p.atp", loaded);
  ASSERT_TRUE(result.status);
  EXPECT_EQ(loaded.customBrushes, (std::vector<std::string>{firstBrush, secondBrush}));
  EXPECT_EQ(result.unreadableBrushes, (std::vector<std::string>{missing, notAPicture}));
  ASSERT_EQ(result.unreadableBrushReasons.size(), 2u);
  EXPECT_NE(result.unreadableBrushReasons[0].find(missing), std::string::npos) << result.unreadableBrushReasons[0];
  EXPECT_NE(result.unreadableBrushReasons[1].find(notAPicture), std::string::npos) << result.unreadableBrushReasons[1];
  EXPECT_TRUE(result.AskToOptimiseBrushes(loaded));
  // Everything after the brushes is still read.
  EXPECT_EQ(loaded.sourceFileName, saved.sourceFileName);
  EXPECT_EQ(loaded.resultFileName, saved.resultFileName);
  EXPECT_EQ(loaded.sets, saved.sets);
}

TEST_F(WithBrushPictures, OneReadableBrushAsksNoQuestion) {
  ParameterFile saved = DistinctFile();
  saved.customBrushes = {(folder / "gone.png").string(), secondBrush};
  ASSERT_TRUE(SaveParameterFile(folder / "p.atp", saved));
  ParameterFile loaded = CurrentState();
  const ParameterFileLoad result = LoadParameterFile(folder / "p.atp", loaded);
  ASSERT_TRUE(result.status);
  EXPECT_EQ(loaded.customBrushes, std::vector<std::string>{secondBrush});
  EXPECT_TRUE(result.CustomBrushLoaded(loaded));
  EXPECT_FALSE(result.AskToOptimiseBrushes(loaded));
}

TEST(ParameterFiles, BrushCheckCanBeSuppliedByTheCaller) {
  TempFolder folder;
  WriteText(folder / "p.atp", "3\r\n[Custom brushes - Painting 4]\r\n/a.png\r\n\r\n/b.png\r\n");
  std::vector<std::string> asked;
  const BrushPictureCheck check = [&](const std::string& path) {
    asked.push_back(path);
    return path == "/a.png" ? Status::Error("/a.png: broken") : Status::Ok();
  };
  ParameterFile loaded = CurrentState();
  const ParameterFileLoad result = LoadParameterFile(folder / "p.atp", loaded, check);
  ASSERT_TRUE(result.status);
  EXPECT_EQ(asked, (std::vector<std::string>{"/a.png", "/b.png"}));  // the blank line names no picture
  EXPECT_EQ(loaded.customBrushes, std::vector<std::string>{"/b.png"});
  EXPECT_EQ(result.unreadableBrushes, std::vector<std::string>{"/a.png"});
  EXPECT_EQ(result.unreadableBrushReasons, std::vector<std::string>{"/a.png: broken"});
  EXPECT_FALSE(result.fileNamesFound);  // the brush section ran to the end of the file
}

TEST(ParameterFiles, FileThatCannotBeReadLeavesTheStateAlone) {
  TempFolder folder;
  fs::create_directory(folder / "folder.atp");
  const struct {
    fs::path path;
    bool missing;
  } cases[] = {{folder / "absent.atp", true}, {folder / "folder.atp", false}};
  for (const auto& c : cases) {
    const ParameterFile before = CurrentState();
    ParameterFile loaded = before;
    const ParameterFileLoad result = LoadParameterFile(c.path, loaded);
    EXPECT_FALSE(result.status) << c.path;
    EXPECT_EQ(result.path, c.path.string());
    if (c.missing) {
      EXPECT_EQ(result.status.message(), "File not found");
    } else {
      EXPECT_NE(result.status.message().find(c.path.string()), std::string::npos) << result.status.message();
    }
    ExpectSameFile(loaded, before);

    ParameterFile atStart = before;
    const StartupParameterLoad startup = LoadStartupParameterFile(c.path, atStart);
    EXPECT_FALSE(startup.status) << c.path;
    if (c.missing) {
      EXPECT_EQ(startup.status.message(), "File not found");
    }
    ExpectSameFile(atStart, before);
  }
}

// ---- Reading at start-up ----

TEST(ParameterFiles, StartupReaderTakesCaptionsAndFourSlots) {
  TempFolder folder;
  WriteText(folder / "old.atp", "Sketch A\r\n1\r\n2\r\n3\r\n4\r\nSketch B\r\nx\r\n-6\r\n");
  const ParameterFile before = CurrentState();
  ParameterFile loaded = before;
  const StartupParameterLoad result = LoadStartupParameterFile(folder / "old.atp", loaded);
  ASSERT_TRUE(result.status);
  EXPECT_FALSE(result.currentLayout);
  EXPECT_EQ(result.captions, (std::vector<std::string>{"Sketch A", "Sketch B"}));
  EXPECT_EQ(loaded.sets[0], (ParameterSet{1, 2, 3, 4, before.sets[0][4]}));
  // The second group ends early: the lines it has are read, the missing ones change nothing.
  EXPECT_EQ(loaded.sets[1], (ParameterSet{0, -6, before.sets[1][2], before.sets[1][3], before.sets[1][4]}));
  for (int effectId = 2; effectId < kEffectCount; ++effectId) EXPECT_EQ(loaded.sets[effectId], before.sets[effectId]);
  EXPECT_EQ(loaded.catalogueIndex, before.catalogueIndex);
  EXPECT_EQ(loaded.customBrushes, before.customBrushes);
}

TEST(ParameterFiles, StartupReaderStopsAtTheLastCatalogueRow) {
  TempFolder folder;
  std::string text;
  for (int line = 0; line < 300; ++line) text += (line % 5 == 0 ? "caption " : "") + std::to_string(line) + "\r\n";
  WriteText(folder / "long.atp", text);
  const ParameterFile before = CurrentState();
  ParameterFile loaded = before;
  const StartupParameterLoad result = LoadStartupParameterFile(folder / "long.atp", loaded);
  ASSERT_TRUE(result.status);
  ASSERT_EQ(result.captions.size(), static_cast<std::size_t>(kCatalogueRowCount));
  for (int row = 0; row < kCatalogueRowCount; ++row) {
    EXPECT_EQ(result.captions[row], "caption " + std::to_string(5 * row));
  }
  for (int effectId = 0; effectId < kEffectCount; ++effectId) {
    const int first = 5 * effectId + 1;
    EXPECT_EQ(loaded.sets[effectId], (ParameterSet{first, first + 1, first + 2, first + 3, before.sets[effectId][4]}))
        << effectId;
  }
}

TEST_F(WithBrushPictures, StartupReaderReadsTheSavedLayoutAsALoadDoes) {
  ParameterFile saved = DistinctFile();
  saved.customBrushes = {firstBrush, (folder / "gone.png").string()};
  ASSERT_TRUE(SaveParameterFile(folder / "p.atp", saved));

  ParameterFile byLoad = CurrentState();
  const ParameterFileLoad load = LoadParameterFile(folder / "p.atp", byLoad);
  ParameterFile atStart = CurrentState();
  const StartupParameterLoad startup = LoadStartupParameterFile(folder / "p.atp", atStart);
  ASSERT_TRUE(load.status);
  ASSERT_TRUE(startup.status);
  EXPECT_TRUE(startup.currentLayout);
  EXPECT_TRUE(startup.captions.empty());
  ExpectSameFile(atStart, byLoad);
  ExpectSameFile(atStart, [&] {
    ParameterFile expected = saved;
    expected.customBrushes = {firstBrush};
    return expected;
  }());
  EXPECT_EQ(startup.current.setsRead, load.setsRead);
  EXPECT_EQ(startup.current.unreadableBrushes, load.unreadableBrushes);
  EXPECT_EQ(startup.current.path, (folder / "p.atp").string());
}

}  // namespace
}  // namespace atelion
