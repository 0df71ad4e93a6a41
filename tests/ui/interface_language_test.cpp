// The interface language under the offscreen platform: choosing a language from the Language menu
// relabels every open window at once and leaves the pictures alone, Arabic turns the window right
// to left, and a table that cannot be read changes nothing.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include "i18n/language_table.h"
#include "styles/catalogue.h"
#include "ui/interface_texts.h"
#include "ui/main_window.h"
#include "ui/parameters_window.h"

namespace atelion {
namespace {

constexpr int kRunWaitMs = 60000;

Bitmap24 Stripes(int width, int height) {
  Bitmap24 picture(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) picture.SetPixel(x, y, MakeColour(x * 255 / width, (x / 6 % 2) * 200, y * 255 / height));
  }
  return picture;
}

QString ShippedLine(std::string_view identifier, int line) {
  LanguageTable table;
  EXPECT_TRUE(LanguageTable::LoadShipped(identifier, table));
  const std::string_view text = table.Line(line);
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())).trimmed();
}

class InterfaceLanguageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window.SetSourcePicture(Stripes(600, 400), "stripes.png");
    window.show();
  }
  // The other tests of this program see English again.
  void TearDown() override { ApplyInterfaceLanguage("English"); }

  QAction* LanguageEntry(const QString& identifier) { return window.findChild<QAction*>("language" + identifier); }
  QString FirstMenuTitle() { return window.menuBar()->actions().front()->text(); }

  MainWindow window;
};

TEST_F(InterfaceLanguageTest, ChoosingSpanishRelabelsEveryWindowAndKeepsThePictures) {
  const int historyBefore = window.CurrentDocument().History().Position();
  const Bitmap24 resultBefore = window.CurrentDocument().ResultPicture;
  QAction* spanish = LanguageEntry("Spanish");
  ASSERT_NE(spanish, nullptr);
  EXPECT_EQ(spanish->text(), "Español");
  EXPECT_TRUE(LanguageEntry("English")->isChecked());

  spanish->trigger();
  EXPECT_TRUE(spanish->isChecked());
  EXPECT_FALSE(LanguageEntry("English")->isChecked());
  EXPECT_EQ(window.StoredSettings().language, "Spanish");
  EXPECT_EQ(FirstMenuTitle(), ShippedLine("Spanish", 0));
  EXPECT_EQ(window.Parameters()->windowTitle(), ShippedLine("Spanish", 42));
  EXPECT_EQ(window.Parameters()->DrawButton()->text(), ShippedLine("Spanish", 80));
  const int effectId = window.Parameters()->CurrentEffect();
  EXPECT_EQ(window.Parameters()->StyleNameText().toStdString(), EffectName(effectId));
  EXPECT_EQ(window.Parameters()->SliderLabel(0)->text(), QString::fromStdString(SliderLabel(effectId, 0)).trimmed());
  EXPECT_NE(EffectName(effectId), EffectName(effectId, [](int line) { return LanguageTable::English().Line(line); }));
  // The language menu keeps every language under its own name.
  EXPECT_EQ(LanguageEntry("German")->text(), "Deutsch");

  EXPECT_EQ(window.CurrentDocument().History().Position(), historyBefore);
  EXPECT_EQ(window.CurrentDocument().ResultPicture.Width(), resultBefore.Width());

  // The stop question comes in the language now shown.
  QString asked;
  window.SetCancelQuestion([&asked](const QString& question) {
    asked = question;
    return false;
  });
  QSignalSpy finished(&window, &MainWindow::runFinished);
  ASSERT_TRUE(window.StartDrawing());
  window.RequestCancel();
  EXPECT_EQ(asked, ShippedLine("Spanish", 168));
  ASSERT_TRUE(finished.wait(kRunWaitMs));

  LanguageEntry("English")->trigger();
  EXPECT_EQ(FirstMenuTitle(), "File");
  EXPECT_EQ(window.Parameters()->DrawButton()->text(), "Draw!");
}

TEST_F(InterfaceLanguageTest, ArabicTurnsTheWindowRightToLeftAndBackAgain) {
  EXPECT_EQ(window.layoutDirection(), Qt::LeftToRight);
  LanguageEntry("Arab")->trigger();
  EXPECT_EQ(window.layoutDirection(), Qt::RightToLeft);
  EXPECT_EQ(window.menuBar()->layoutDirection(), Qt::RightToLeft);
  EXPECT_EQ(FirstMenuTitle(), ShippedLine("Arab", 0));
  LanguageEntry("French")->trigger();
  EXPECT_EQ(window.layoutDirection(), Qt::LeftToRight);
  EXPECT_EQ(window.menuBar()->layoutDirection(), Qt::LeftToRight);
  EXPECT_EQ(FirstMenuTitle(), "Fichier");
}

TEST_F(InterfaceLanguageTest, TheParametersMenuStaysWholeInALongerLanguage) {
  auto* menu = window.Parameters()->findChild<QMenuBar*>("parametersMenu");
  ASSERT_NE(menu, nullptr);
  LanguageEntry("Russian")->trigger();
  EXPECT_GE(window.Parameters()->minimumWidth(), menu->sizeHint().width());
}

TEST_F(InterfaceLanguageTest, ALanguageWithoutATableChangesNothing) {
  LanguageEntry("German")->trigger();
  EXPECT_FALSE(window.ApplyLanguage("Klingon"));
  EXPECT_EQ(CurrentInterfaceLanguage(), "German");
  EXPECT_TRUE(LanguageEntry("German")->isChecked());
  EXPECT_EQ(window.StoredSettings().language, "German");
  EXPECT_EQ(FirstMenuTitle(), "Datei");
}

}  // namespace
}  // namespace atelion
