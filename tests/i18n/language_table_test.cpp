#include "i18n/language_table.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "core/resources.h"
#include "i18n/languages.h"

namespace atelion {
namespace {

// ---------------------------------------------------------------------------------------------
// The shipped English table

TEST(EnglishTable, ShippedFileHoldsExactly244LfLinesWithoutByteOrderMark) {
  const auto path = FindResource("i18n/English.txt");
  ASSERT_FALSE(path.empty());
  std::ifstream file(path, std::ios::binary);
  const std::string content{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  ASSERT_FALSE(content.empty());
  EXPECT_FALSE(content.starts_with("\xEF\xBB\xBF"));
  EXPECT_EQ(content.find('\r'), std::string::npos);
  EXPECT_EQ(content.back(), '\n');
  // A 245th line would be dropped silently by the reader, so count the raw line ends.
  EXPECT_EQ(std::count(content.begin(), content.end(), '\n'), LanguageTable::kLineCount);
}

TEST(EnglishTable, EveryLineIsPresentAndNotEmpty) {
  const LanguageTable& english = LanguageTable::English();
  EXPECT_EQ(english.Identifier(), "English");
  EXPECT_EQ(english.TranslatedLineCount(), LanguageTable::kLineCount);
  for (int i = 0; i < LanguageTable::kLineCount; ++i) EXPECT_FALSE(english.Line(i).empty()) << "line " << i;
  EXPECT_EQ(english.Line(-1), "");
  EXPECT_EQ(english.Line(LanguageTable::kLineCount), "");
}

TEST(EnglishTable, QuotedLinesKeepTheirIndexAndExactText) {
  struct Case {
    int line;
    const char* text;
  };
  const Case cases[] = {
      {0, "File"},
      {1, "Open a picture"},
      {2, "Save the drawing as…"},
      {30, "zoom –"},
      {41, "Go to Atelion homepage"},
      {49, "Color blending "},  // the trailing space belongs to the text
      {86, "Pen && Ink sketch effects"},
      {114, "Atelion parameter files (*.atp)|*.atp"},
      {123, "Realistic frame "},
      {124, "Colored frame"},
      {134, "User-defined position "},
      {137, "Cancel"},  // after the two donation lines
      {166, "A file with this name already exists. Do you wish to overwrite it?"},
      {167, "Do you wish to crop the image?"},
      {168, "Do you really wish to stop the process?"},
      {181, "Atelion is up to date"},
      {190, "Orientation"},  // after the seven donation lines
      {225, "Are you sure you wish to start a new script?"},
      {238, "Slovenian translation"},
      {243, "Stop next effect after X%"},
  };
  const LanguageTable& english = LanguageTable::English();
  for (const Case& c : cases) EXPECT_EQ(english.Line(c.line), c.text) << "line " << c.line;
}

TEST(EnglishTable, WebSiteQuestionsNameTheSiteOfLine40) {
  const LanguageTable& english = LanguageTable::English();
  const std::string_view address = english.Line(40);
  const std::string_view host = address.substr(address.find("://") + 3);
  EXPECT_NE(english.Line(25).find(host), std::string_view::npos);
  EXPECT_TRUE(english.Line(25).ends_with("?"));
  // The version number and " ?" are appended to line 182 when it is shown.
  EXPECT_FALSE(english.Line(182).ends_with("?"));
}

// ---------------------------------------------------------------------------------------------
// Reading other tables

class TableFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = std::filesystem::temp_directory_path() /
              ("atelion-language-" + std::to_string(::getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(folder_);
  }
  void TearDown() override { std::filesystem::remove_all(folder_); }

  std::filesystem::path Write(const std::string& name, const std::string& bytes) {
    const auto path = folder_ / name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }

  std::filesystem::path folder_;
};

TEST_F(TableFileTest, ShorterTableFallsBackToEnglishLineByLine) {
  LanguageTable table;
  ASSERT_TRUE(LanguageTable::Load(Write("French.txt", "Fichier\nOuvrir une image\n"), table));
  EXPECT_EQ(table.Identifier(), "French");
  EXPECT_EQ(table.TranslatedLineCount(), 2);
  EXPECT_EQ(table.Line(0), "Fichier");
  EXPECT_EQ(table.Line(1), "Ouvrir une image");
  EXPECT_EQ(table.Line(2), LanguageTable::English().Line(2));
  EXPECT_EQ(table.Line(243), LanguageTable::English().Line(243));
  EXPECT_EQ(table.Line(244), "");
}

TEST_F(TableFileTest, LineEndsByteOrderMarkAndBlankLines) {
  struct Case {
    const char* name;
    std::string bytes;
    std::vector<std::string> expected;  // lines 0, 1, 2 after reading
  };
  const std::string english2(LanguageTable::English().Line(2));
  const std::string english1(LanguageTable::English().Line(1));
  const Case cases[] = {
      {"CrLf", "Datei\r\nBild öffnen\r\nZeichnung speichern\r\n", {"Datei", "Bild öffnen", "Zeichnung speichern"}},
      {"Bom", "\xEF\xBB\xBF" "Datei\nBild öffnen\n", {"Datei", "Bild öffnen", english2}},
      {"BomCrLf", "\xEF\xBB\xBF" "Datei\r\nBild öffnen\r\n", {"Datei", "Bild öffnen", english2}},
      {"NoFinalNewline", "Datei\nBild öffnen", {"Datei", "Bild öffnen", english2}},
      {"BlankLineKeepsIndex", "Datei\n\nZeichnung speichern\n", {"Datei", english1, "Zeichnung speichern"}},
      {"TrailingSpacesKept", "Datei \r\nBild öffnen  \n", {"Datei ", "Bild öffnen  ", english2}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    LanguageTable table;
    const Status status = LanguageTable::Load(Write(std::string(c.name) + ".txt", c.bytes), table);
    ASSERT_TRUE(status) << status.message();
    for (int i = 0; i < 3; ++i) EXPECT_EQ(table.Line(i), c.expected[i]) << "line " << i;
  }
}

TEST_F(TableFileTest, LinesAfterThe244thAreIgnored) {
  std::string bytes;
  for (int i = 0; i < 250; ++i) bytes += "Line " + std::to_string(i) + "\n";
  LanguageTable table;
  ASSERT_TRUE(LanguageTable::Load(Write("Long.txt", bytes), table));
  EXPECT_EQ(table.TranslatedLineCount(), LanguageTable::kLineCount);
  EXPECT_EQ(table.Line(243), "Line 243");
  EXPECT_EQ(table.Line(244), "");
}

TEST_F(TableFileTest, UnreadableTablesAreRejectedWithTheirReason) {
  struct Case {
    const char* name;
    std::string bytes;
    const char* reason;
  };
  const Case cases[] = {
      {"Empty.txt", "", "holds no text"},
      {"OnlyBlankLines.txt", "\r\n\n\n", "holds no text"},
      {"Latin1.txt", "Datei\nBild \xF6" "ffnen\n", "Line 1"},
      {"Overlong.txt", "\xC0\xAF\n", "not valid UTF-8"},
      {"Surrogate.txt", "ok\nok\n\xED\xA0\x80\n", "Line 2"},
      {"CutOff.txt", "Datei\xE2\x80", "not valid UTF-8"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    LanguageTable table;
    ASSERT_TRUE(LanguageTable::Load(Write("Before.txt", "Vorher\n"), table));
    const Status status = LanguageTable::Load(Write(c.name, c.bytes), table);
    ASSERT_FALSE(status);
    EXPECT_NE(status.message().find(c.reason), std::string::npos) << status.message();
    EXPECT_NE(status.message().find(c.name), std::string::npos) << status.message();
    EXPECT_EQ(table.Line(0), "Vorher");  // a failed load leaves the table as it was
  }
  LanguageTable table;
  const Status missing = LanguageTable::Load(folder_ / "Missing.txt", table);
  ASSERT_FALSE(missing);
  EXPECT_NE(missing.message().find("Missing.txt"), std::string::npos);
}

TEST(ShippedTables, EnglishLoadsAndUnknownIdentifiersAreRefused) {
  LanguageTable table;
  ASSERT_TRUE(LanguageTable::LoadShipped("English", table));
  EXPECT_EQ(table, LanguageTable::English());
  for (const char* identifier : {"void", "english", "../English", ""}) {
    EXPECT_FALSE(LanguageTable::LoadShipped(identifier, table)) << identifier;
  }
}

// The 25 other tables: whole, in the English order, keeping what the program builds on, and
// translated rather than copied.
TEST(ShippedTables, EveryLanguageIsWholeKeepsWhatTheProgramNeedsAndIsTranslated) {
  const LanguageTable& english = LanguageTable::English();
  // Kept wherever the English line has them: the address the program opens, the filter the file
  // dialogs read, the escaped ampersand of a menu entry, the product's name.
  constexpr std::string_view kKept[] = {"https://www.atelion.example", "(*.atp)|*.atp", "&&", "Atelion"};
  for (const InterfaceLanguage& language : InterfaceLanguages()) {
    if (language.identifier == "English") continue;
    SCOPED_TRACE(std::string(language.identifier));
    LanguageTable table;
    ASSERT_TRUE(LanguageTable::LoadShipped(language.identifier, table));
    EXPECT_EQ(table.TranslatedLineCount(), LanguageTable::kLineCount);
    int copied = 0;
    for (int line = 0; line < LanguageTable::kLineCount; ++line) {
      for (std::string_view kept : kKept) {
        if (english.Line(line).find(kept) != std::string_view::npos) {
          EXPECT_NE(table.Line(line).find(kept), std::string_view::npos) << "line " << line << " lost " << kept;
        }
      }
      if (table.Line(line) == english.Line(line)) ++copied;
    }
    // Only words that read the same in the language stay ("Texture", "Script", "zoom +", ...).
    EXPECT_LE(copied, 16);
  }
}

// ---------------------------------------------------------------------------------------------
// The current language

TEST_F(TableFileTest, TextFollowsTheCurrentLanguageAndEarlierTextsStayValid) {
  SetCurrentLanguage(LanguageTable::English());
  EXPECT_EQ(Text(168), "Do you really wish to stop the process?");

  std::string bytes;
  for (int i = 0; i < 169; ++i) bytes += i == 168 ? "Voulez-vous vraiment arrêter le traitement ?\n" : "x\n";
  LanguageTable french;
  ASSERT_TRUE(LanguageTable::Load(Write("French.txt", bytes), french));

  const std::string_view englishQuestion = Text(168);
  SetCurrentLanguage(french);
  EXPECT_EQ(CurrentLanguage().Identifier(), "French");
  const std::string_view frenchQuestion = Text(168);
  EXPECT_EQ(frenchQuestion, "Voulez-vous vraiment arrêter le traitement ?");
  EXPECT_EQ(Text(200), LanguageTable::English().Line(200));

  french = LanguageTable();  // the caller's copy may go away
  SetCurrentLanguage(LanguageTable::English());
  EXPECT_EQ(Text(168), "Do you really wish to stop the process?");
  EXPECT_EQ(englishQuestion, "Do you really wish to stop the process?");
  EXPECT_EQ(frenchQuestion, "Voulez-vous vraiment arrêter le traitement ?");
}

TEST_F(TableFileTest, ReadersSeeOneWholeLanguageWhileAnotherThreadSwitches) {
  LanguageTable german;
  ASSERT_TRUE(LanguageTable::Load(Write("German.txt", "Datei\n"), german));
  SetCurrentLanguage(LanguageTable::English());

  std::thread switcher([&german] {
    for (int i = 0; i < 2000; ++i) SetCurrentLanguage(i % 2 == 0 ? german : LanguageTable::English());
    SetCurrentLanguage(LanguageTable::English());
  });
  int unexpected = 0;
  for (int i = 0; i < 20000; ++i) {
    const std::string_view text = Text(0);
    if (text != "Datei" && text != "File") ++unexpected;
  }
  switcher.join();
  EXPECT_EQ(unexpected, 0);
  EXPECT_EQ(Text(0), "File");
}

// ---------------------------------------------------------------------------------------------
// Languages and the first-start choice

TEST(InterfaceLanguages, TwentySixDistinctLanguagesEachWithAMenuName) {
  const auto languages = InterfaceLanguages();
  ASSERT_EQ(languages.size(), 26u);
  std::set<std::string_view> identifiers, menuNames;
  for (const InterfaceLanguage& language : languages) {
    identifiers.insert(language.identifier);
    menuNames.insert(language.menuName);
    EXPECT_TRUE(IsKnownLanguage(language.identifier));
    EXPECT_EQ(MenuNameOf(language.identifier), language.menuName);
    EXPECT_EQ(IsRightToLeft(language.identifier), language.identifier == "Arab") << language.identifier;
  }
  EXPECT_EQ(identifiers.size(), 26u);
  EXPECT_EQ(menuNames.size(), 26u);
  EXPECT_FALSE(IsKnownLanguage(kNoLanguageChosen));
  EXPECT_EQ(MenuNameOf("Klingon"), "");
  EXPECT_EQ(LanguageTableFile("French"), std::filesystem::path("i18n/French.txt"));
}

TEST(DefaultLanguage, FromWindowsLocaleIdentifier) {
  struct Case {
    int lcid;
    const char* language;
    const char* menuName;
  };
  const Case cases[] = {
      {3082, "Spanish", "Español"},   {8202, "Spanish", "Español"},  {1036, "French", "Français"},
      {5132, "French", "Français"},   {2055, "German", "Deutsch"},   {2064, "Italian", "Italiano"},
      {2073, "Russian", "Русский"},   {1025, "Arab", "العربية"},     {9217, "Arab", "العربية"},
      {2077, "Swedish", "Svenska"},   {2052, "Chinese", "中文"},      {1028, "Chinese", "中文"},
      {3098, "Serbian", "Serbian"},   {2070, "Portuguese", "Português"}, {1042, "Hangul", "한국어/조선말"},
      {1027, "Catalan", "Català"},    {1078, "Afrikaans", "Afrikaans"},
      {1060, "English", "English"},  // Slovenian is never chosen automatically
      {1033, "English", "English"},   {6156, "English", "English"},  // French (Monaco) is not in the list
      {0, "English", "English"},      {-1, "English", "English"},    {99999, "English", "English"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DefaultLanguageFromLcid(c.lcid), c.language) << c.lcid;
    EXPECT_EQ(MenuNameOf(DefaultLanguageFromLcid(c.lcid)), c.menuName) << c.lcid;
  }
}

TEST(DefaultLanguage, FromPosixLocale) {
  struct Case {
    const char* locale;
    const char* language;
  };
  const Case cases[] = {
      {"fr_CA.UTF-8", "French"},   {"fr", "French"},          {"pt_BR", "Portuguese"},   {"pt_PT.UTF-8", "Portuguese"},
      {"zh_TW", "Chinese"},        {"zh_CN.GB18030", "Chinese"}, {"ar_EG", "Arab"},       {"ko_KR.eucKR", "Hangul"},
      {"sr_RS@latin", "Serbian"},  {"ca_ES@valencia", "Catalan"}, {"el_GR.UTF-8", "Greek"}, {"es-MX", "Spanish"},
      {"DE_de", "German"},         {"nl_BE", "Dutch"},         {"sv_FI", "Swedish"},      {"ja_JP.UTF-8", "Japanese"},
      {"sl_SI", "English"},        {"sl_SI.UTF-8", "English"}, {"en_US.UTF-8", "English"}, {"nb_NO", "English"},
      {"frr_DE", "English"},  // North Frisian, not French
      {"C", "English"},            {"C.UTF-8", "English"},     {"POSIX", "English"},      {"", "English"},
  };
  for (const Case& c : cases) EXPECT_EQ(DefaultLanguageFromLocale(c.locale), c.language) << '"' << c.locale << '"';
}

TEST(DefaultLanguage, UserLocaleFollowsThePosixPriority) {
  struct Saved {
    const char* name;
    std::optional<std::string> value;
  };
  std::vector<Saved> saved;
  for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* value = std::getenv(name);
    saved.push_back({name, value ? std::optional<std::string>(value) : std::nullopt});
  }

  ::setenv("LANG", "de_DE.UTF-8", 1);
  ::setenv("LC_MESSAGES", "", 1);  // set but empty: skipped
  ::unsetenv("LC_ALL");
  EXPECT_EQ(UserMessagesLocale(), "de_DE.UTF-8");
  ::setenv("LC_MESSAGES", "fr_FR", 1);
  EXPECT_EQ(UserMessagesLocale(), "fr_FR");
  ::setenv("LC_ALL", "ja_JP", 1);
  EXPECT_EQ(UserMessagesLocale(), "ja_JP");

  for (const Saved& s : saved) {
    if (s.value) {
      ::setenv(s.name, s.value->c_str(), 1);
    } else {
      ::unsetenv(s.name);
    }
  }
}

}  // namespace
}  // namespace atelion
