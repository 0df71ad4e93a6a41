// The start and the end of the window's life under the offscreen platform: the settings file read
// at start and written at close, where the window is placed, what the first argument opens, and
// what the user sees after an update check.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QScreen>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <cstdlib>
#include <fstream>
#include <optional>

#include "imageio/image_files.h"
#include "effects/parameter_files.h"
#include "i18n/language_table.h"
#include "support/loopback_server.h"
#include "ui/main_window.h"
#include "ui/parameters_window.h"
#include "ui/session.h"

namespace atelion {
namespace {

using testing_support::HttpResponse;
using testing_support::LoopbackServer;

constexpr int kWaitMs = 20000;  // a generous limit so a lost signal fails instead of hanging

QRect AvailableArea() { return QGuiApplication::primaryScreen()->availableGeometry(); }

QRect BoundsRect(const WindowBounds& bounds) { return QRect(bounds.left, bounds.top, bounds.width, bounds.height); }

// A main window with a session over a settings file in a folder of its own; what the session
// tells or asks the user is recorded instead of shown.
class SessionFixture : public testing::Test {
 protected:
  std::filesystem::path SettingsPath() const { return std::filesystem::path(folder_.path().toStdString()) / "Atelion.ini"; }
  std::filesystem::path FilePath(const std::string& name) const {
    return std::filesystem::path(folder_.path().toStdString()) / name;
  }

  void Start(const QString& argument = {}) {
    SessionOptions options;
    options.argument = argument;
    options.automaticUpdateCheck = false;
    options.settingsPath = SettingsPath();
    session_.emplace(window_, options);
    webPictureHandled_.emplace(&*session_, &Session::webPictureHandled);
    session_->SetDialogs({
        [this](const QString& message) { messages_.push_back(message.toStdString()); },
        [this](const QString& question) {
          questions_.push_back(question.toStdString());
          return answer_;
        },
        [this](const QUrl& address) { opened_.push_back(address.toString().toStdString()); },
    });
    QSignalSpy started(&*session_, &Session::started);
    ASSERT_TRUE(started.wait(kWaitMs));
  }

  QTemporaryDir folder_;
  MainWindow window_;
  std::optional<Session> session_;
  std::optional<QSignalSpy> webPictureHandled_;
  std::vector<std::string> messages_;
  std::vector<std::string> questions_;
  std::vector<std::string> opened_;
  bool answer_ = true;
};

using SessionSettings = SessionFixture;

TEST_F(SessionSettings, ValuesReadAtStartAreWrittenBackWhenTheWindowCloses) {
  Settings stored;
  stored.window = {10, 20, 780, 400};
  stored.lastOpenFolder = "/photos/holiday";
  stored.textureTileIndex = 4;
  stored.textureListIndex = 2;
  stored.autoUpdateCheck = false;
  stored.saveParametersInFilename = true;
  ASSERT_TRUE(SaveIniFile(SettingsPath(), stored));

  Start();
  EXPECT_EQ(window_.StoredSettings().lastOpenFolder, "/photos/holiday");
  EXPECT_TRUE(window_.StoredSettings().saveParametersInFilename);
  EXPECT_EQ(window_.geometry(), BoundsRect(stored.window));
  EXPECT_GE(window_.minimumWidth(), kMinWindowWidth);
  EXPECT_GE(window_.minimumHeight(), kMinWindowHeight);

  window_.setGeometry(5, 15, 790, 300);
  window_.StoredSettings().lastOpenFolder = "/photos/garden";
  window_.close();
  const Settings written = LoadIniFile(SettingsPath());
  EXPECT_EQ(written.window, (WindowBounds{5, 15, 790, 300}));
  EXPECT_EQ(written.lastOpenFolder, "/photos/garden");
  // The texture values went into the parameters window and came back out of it.
  EXPECT_EQ(written.textureTileIndex, 4);
  EXPECT_EQ(written.textureListIndex, 2);
  EXPECT_FALSE(written.autoUpdateCheck);
  EXPECT_TRUE(written.saveParametersInFilename);
}

TEST_F(SessionSettings, AMaximizedWindowStartsAndIsWrittenMaximized) {
  Settings stored;
  stored.window = {0, 0, -1, -1};
  ASSERT_TRUE(SaveIniFile(SettingsPath(), stored));
  Start();
  EXPECT_TRUE(window_.isMaximized());
  window_.close();
  EXPECT_TRUE(LoadIniFile(SettingsPath()).window.Maximized());
}

TEST_F(SessionSettings, BoundsFromALargerMonitorAreFittedOntoTheScreen) {
  const QRect area = AvailableArea();
  Settings stored;
  stored.window = {-300, area.bottom() + 900, area.width() + 2000, area.height() + 1000};
  ASSERT_TRUE(SaveIniFile(SettingsPath(), stored));
  Start();
  // The whole window, frame included, lies on the screen and fills it.
  const QRect frame = window_.frameGeometry();
  EXPECT_TRUE(area.contains(frame)) << frame.x() << "," << frame.y() << " " << frame.width() << "x" << frame.height();
  EXPECT_EQ(frame.size(), area.size());
}

TEST_F(SessionSettings, WithoutAFileTheWindowTakesMostOfTheScreenCentred) {
  Start();
  const QRect area = AvailableArea();
  const QRect bounds = window_.geometry();
  EXPECT_EQ(bounds.width(), std::max(area.width() * 95 / 100, kMinWindowWidth));
  EXPECT_LE(std::abs(bounds.center().x() - area.center().x()), 1);
  EXPECT_LE(std::abs(bounds.center().y() - area.center().y()), 1);
  // Nothing is written before the window closes.
  EXPECT_FALSE(std::filesystem::exists(SettingsPath()));
}

// The language a start shows: a stored one wins; at the very first start ("void") the user's
// locale chooses, and Slovenian, never chosen automatically, gives English.
class SessionLanguage : public SessionFixture {
 protected:
  void SetUp() override {
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
      if (const char* value = std::getenv(name)) saved_.emplace_back(name, value);
      unsetenv(name);
    }
  }
  void TearDown() override {
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) unsetenv(name);
    for (const auto& [name, value] : saved_) setenv(name.c_str(), value.c_str(), 1);
    window_.ApplyLanguage("English");
  }
  std::string Checked() {
    for (QAction* entry : window_.findChildren<QAction*>()) {
      if (entry->objectName().startsWith("language") && entry->isCheckable() && entry->isChecked()) return entry->text().toStdString();
    }
    return {};
  }
  std::vector<std::pair<std::string, std::string>> saved_;
};

TEST_F(SessionLanguage, AFirstStartInASpanishLocaleShowsSpanish) {
  setenv("LANG", "es_ES.UTF-8", 1);
  Start();
  EXPECT_EQ(window_.StoredSettings().language, "Spanish");
  EXPECT_EQ(Checked(), "Español");
  window_.close();
  EXPECT_EQ(LoadIniFile(SettingsPath()).language, "Spanish");
}

TEST_F(SessionLanguage, SlovenianIsNeverChosenFromTheLocale) {
  setenv("LC_MESSAGES", "sl_SI.UTF-8", 1);
  setenv("LANG", "es_ES.UTF-8", 1);
  Start();
  EXPECT_EQ(window_.StoredSettings().language, "English");
  EXPECT_EQ(Checked(), "English");
}

TEST_F(SessionLanguage, AStoredLanguageWinsOverTheLocale) {
  Settings stored;
  stored.language = "French";
  ASSERT_TRUE(SaveIniFile(SettingsPath(), stored));
  setenv("LANG", "es_ES.UTF-8", 1);
  Start();
  EXPECT_EQ(window_.StoredSettings().language, "French");
  EXPECT_EQ(Checked(), "Français");
}

TEST(WindowBoundsFitting, EachAxisShrinksToTheAreaAndSlidesOntoIt) {
  const QRect area(100, 50, 1600, 900);
  struct Case {
    WindowBounds stored;
    WindowBounds expected;
  };
  const Case cases[] = {
      {{200, 100, 1000, 600}, {200, 100, 1000, 600}},    // already on the area
      {{1500, 800, 1000, 600}, {700, 350, 1000, 600}},   // hangs over the right and bottom edges
      {{-900, -40, 1000, 600}, {100, 50, 1000, 600}},    // left of and above the area
      {{0, 0, 4000, 3000}, {100, 50, 1600, 900}},        // from a larger monitor
      {{300, 200, 100, 50}, {300, 200, kMinWindowWidth, kMinWindowHeight}},  // below the minimum
      {{0, 0, -1, -1}, {0, 0, -1, -1}},                  // maximized stays maximized
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FitWindowBounds(c.stored, area), c.expected)
        << c.stored.left << "," << c.stored.top << " " << c.stored.width << "x" << c.stored.height;
  }
  // A screen narrower than the minimum keeps the minimum, at the area's left edge.
  EXPECT_EQ(FitWindowBounds({50, 0, 900, 300}, QRect(0, 0, 640, 480)), (WindowBounds{0, 0, kMinWindowWidth, 300}));
}

TEST(StartupArguments, AreRecognisedByPrefixAndExtensionInAnyCase) {
  const std::pair<const char*, StartupArgument> cases[] = {
      {"", StartupArgument::None},
      {"-silent", StartupArgument::Silent},
      {"-SILENT", StartupArgument::Ignored},
      {"http://pictures.test/cat.jpg", StartupArgument::WebAddress},
      {"HTTP://pictures.test/cat", StartupArgument::WebAddress},
      {"https://pictures.test/cat.jpg", StartupArgument::Image},  // not a web address: by its extension
      {"/photos/Cat.JPEG", StartupArgument::Image},
      {"cat.jpg", StartupArgument::Image},
      {"cat.Png", StartupArgument::Image},
      {"cat.bmp", StartupArgument::Image},
      {"cat.gif", StartupArgument::Image},
      {"styles.ATP", StartupArgument::ParameterFile},
      {"notes.txt", StartupArgument::Ignored},
      {"jpg", StartupArgument::Ignored},
  };
  for (const auto& [argument, expected] : cases) {
    EXPECT_EQ(ClassifyStartupArgument(argument), expected) << argument;
  }
}

using SessionArguments = SessionFixture;

Bitmap24 Pattern(int width, int height) {
  Bitmap24 picture(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) picture.SetPixel(x, y, MakeColour(x * 20, y * 30, (x + y) * 10));
  }
  return picture;
}

TEST_F(SessionArguments, AnImageArgumentIsOpenedOnce) {
  const std::filesystem::path photo = FilePath("photo.png");
  ASSERT_TRUE(SaveImageFile(Pattern(12, 9), photo, ImageFormat::Png));
  // The steps one opening records, counted on a window of its own.
  MainWindow reference;
  const int before = reference.CurrentDocument().History().Position();
  ASSERT_TRUE(reference.OpenPicture(QString::fromStdString(photo.string())));
  const int stepsOfOneOpening = reference.CurrentDocument().History().Position() - before;

  Start(QString::fromStdString(photo.string()));
  QApplication::processEvents();
  EXPECT_EQ(window_.CurrentDocument().History().Position(), before + stepsOfOneOpening);
  EXPECT_TRUE(window_.CurrentDocument().SourcePicture == Pattern(12, 9));
  EXPECT_TRUE(messages_.empty());
}

TEST_F(SessionArguments, AMissingParameterFileIsReported) {
  Start(QString::fromStdString(FilePath("gone.atp").string()));
  EXPECT_EQ(messages_, std::vector<std::string>{"File not found"});
}

TEST_F(SessionArguments, AParameterFileGivesItsValuesToTheParametersWindow) {
  ParameterFile file = ParameterFile::FromTables(window_.Parameters()->Parameters(), kStartCatalogueIndex);
  const int effectId = kPencilSketch1EffectId;
  const int changed = file.sets[effectId][1] + 7;
  file.sets[effectId][1] = changed;
  const std::filesystem::path path = FilePath("styles.atp");
  ASSERT_TRUE(SaveParameterFile(path, file));
  Start(QString::fromStdString(path.string()));
  EXPECT_EQ(window_.Parameters()->Parameters().Current(effectId)[1], changed);
  EXPECT_TRUE(messages_.empty());
}

TEST_F(SessionArguments, AParameterFileOfTheOlderLayoutGivesSlotsOneToFour) {
  // Groups of five lines: a style caption, then slots 1 to 4 of that style; slot 5 stays.
  const int effectId = kPencilSketch1EffectId;
  const ParameterSet before = window_.Parameters()->Parameters().Current(effectId);
  ParameterSet expected = before;
  std::string text = "Pencil sketch 1\r\n";
  for (int slot = 0; slot < 4; ++slot) {
    const SliderDescription& description = DescribeSlider(effectId, slot);
    expected[slot] = before[slot] == description.minimum ? description.maximum : description.minimum;
    text += std::to_string(expected[slot]) + "\r\n";
  }
  const std::filesystem::path path = FilePath("old.atp");
  std::ofstream(path, std::ios::binary) << text;
  Start(QString::fromStdString(path.string()));
  EXPECT_EQ(window_.Parameters()->Parameters().Current(effectId), expected);
  EXPECT_TRUE(messages_.empty());
}

TEST_F(SessionArguments, AWebAddressBecomesSourceAndResult) {
  testing_support::BypassProxies();
  const Bitmap24 picture = Pattern(7, 5);
  std::vector<std::uint8_t> png;
  ASSERT_TRUE(EncodeImage(picture, ImageFormat::Png, kDefaultDpi, png));
  LoopbackServer server({{"/cat.png", HttpResponse("200 OK", "", std::string(png.begin(), png.end()))}});

  Start(QString::fromStdString(server.Address("/cat.png")));
  QSignalSpy& handled = *webPictureHandled_;
  ASSERT_TRUE(!handled.empty() || handled.wait(kWaitMs));
  EXPECT_TRUE(handled.front().front().toBool());
  const Document& document = window_.CurrentDocument();
  EXPECT_TRUE(document.SourcePicture == picture);
  EXPECT_TRUE(document.ResultPicture == picture);
  EXPECT_EQ(document.SourceDisplayName, "Atelion image");
  EXPECT_EQ(server.Requests().size(), 1u);  // fetched once
  EXPECT_TRUE(messages_.empty());
}

TEST_F(SessionArguments, AWebAddressThatFailsIsReportedAndChangesNothing) {
  testing_support::BypassProxies();
  LoopbackServer server({});
  const int before = window_.CurrentDocument().History().Position();
  Start(QString::fromStdString(server.Address("/missing.png")));
  QSignalSpy& handled = *webPictureHandled_;
  ASSERT_TRUE(!handled.empty() || handled.wait(kWaitMs));
  EXPECT_FALSE(handled.front().front().toBool());
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_NE(messages_[0].find("404"), std::string::npos) << messages_[0];
  EXPECT_EQ(window_.CurrentDocument().History().Position(), before);
}

TEST(UpdateCheckDecision, AutomaticChecksRunOnOneStartInFourAndOnlyWhenAllowed) {
  int drawn = 0;
  for (std::uint32_t millisecond = 0; millisecond < 1000; ++millisecond) {
    RandomGenerator random;
    random.RandomSeed = millisecond;
    drawn += DrawsAutomaticUpdateCheck(true, random) ? 1 : 0;
    RandomGenerator same;
    same.RandomSeed = millisecond;
    EXPECT_FALSE(DrawsAutomaticUpdateCheck(false, same));
  }
  EXPECT_GT(drawn, 200);
  EXPECT_LT(drawn, 300);
}

using SessionUpdateCheck = SessionFixture;

TEST_F(SessionUpdateCheck, WhatTheUserSeesFollowsTheAnswerAndWhoAsked) {
  testing_support::BypassProxies();
  const std::string newer = std::string(Text(182)) + " 9.9.9 ?";
  struct Case {
    const char* name;
    std::optional<std::string> versionFile;  // none: no server at all
    UpdateCheckTrigger trigger;
    bool answer;
    UpdateReaction reaction;
    std::vector<std::string> questions;
    std::vector<std::string> messages;
    bool opensDownloadPage;
  };
  const Case cases[] = {
      {"newer, OK", "9.9.9\n", UpdateCheckTrigger::Automatic, true, UpdateReaction::AskToDownload, {newer}, {}, true},
      {"newer, cancel", "9.9.9\n", UpdateCheckTrigger::Menu, false, UpdateReaction::AskToDownload, {newer}, {}, false},
      {"same, automatic", std::string(ProgramVersion()), UpdateCheckTrigger::Automatic, true, UpdateReaction::Nothing,
       {}, {}, false},
      {"same, menu", std::string(ProgramVersion()), UpdateCheckTrigger::Menu, true, UpdateReaction::SayUpToDate, {},
       {std::string(Text(181))}, false},
      {"no server, automatic", std::nullopt, UpdateCheckTrigger::Automatic, true, UpdateReaction::Nothing, {}, {}, false},
      {"garbage, automatic", "<html>", UpdateCheckTrigger::Automatic, true, UpdateReaction::Nothing, {}, {}, false},
  };
  Start();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::optional<LoopbackServer> server;
    std::string base = LoopbackServer::RefusingAddress("/site");
    if (c.versionFile) {
      server.emplace(std::map<std::string, std::string>{
          {"/site/currentversion.txt", HttpResponse("200 OK", "", *c.versionFile)}});
      base = server->Address("/site");
    }
    ::setenv(kUpdateAddressVariable, base.c_str(), 1);
    questions_.clear(), messages_.clear(), opened_.clear();
    answer_ = c.answer;
    QSignalSpy finished(&*session_, &Session::updateCheckFinished);
    session_->CheckForUpdate(c.trigger);
    ASSERT_TRUE(finished.wait(kWaitMs));
    EXPECT_EQ(finished.front().front().value<UpdateReaction>(), c.reaction);
    EXPECT_EQ(questions_, c.questions);
    EXPECT_EQ(messages_, c.messages);
    EXPECT_EQ(opened_, c.opensDownloadPage ? std::vector<std::string>{base + "/download-atelion/"}
                                           : std::vector<std::string>{});
  }
  // A failed check asked for from the window's menu says so.
  ::setenv(kUpdateAddressVariable, LoopbackServer::RefusingAddress("").c_str(), 1);
  messages_.clear();
  QSignalSpy finished(&*session_, &Session::updateCheckFinished);
  QAction* menuEntry = nullptr;
  for (QAction* action : window_.findChildren<QAction*>()) {
    if (action->text() == QString::fromUtf8(Text(180).data(), static_cast<qsizetype>(Text(180).size()))) {
      menuEntry = action;
    }
  }
  ASSERT_NE(menuEntry, nullptr);
  menuEntry->trigger();
  ASSERT_TRUE(finished.wait(kWaitMs));
  EXPECT_EQ(finished.front().front().value<UpdateReaction>(), UpdateReaction::SayCheckFailed);
  EXPECT_EQ(messages_, std::vector<std::string>{std::string(kUpdateServerUnreachableMessage)});

  // A build that names no web site checks nothing, and the menu says so.
  ::unsetenv(kUpdateAddressVariable);
  messages_.clear();
  QSignalSpy unconfigured(&*session_, &Session::updateCheckFinished);
  menuEntry->trigger();
  ASSERT_EQ(unconfigured.count(), 1);
  EXPECT_EQ(unconfigured.front().front().value<UpdateReaction>(), UpdateReaction::Nothing);
  EXPECT_EQ(messages_, std::vector<std::string>{std::string(kUpdatesNotConfiguredMessage)});
}

}  // namespace
}  // namespace atelion
