// The source modifications and resize windows under the offscreen platform: "Apply changes" and
// the vibrance button change the photograph as one history step that undo takes back to the very
// bytes; the preview follows the sliders and the dragged part; the resize window resizes both
// pictures from what is typed, one undo step each, and refuses sizes no picture may have.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>
#include <QTest>
#include <QToolButton>

#include "core/filters.h"
#include "core/geometry.h"
#include "document/source_modifications.h"
#include "i18n/language_table.h"
#include "ui/interface_texts.h"
#include "support/synthetic_photos.h"
#include "ui/main_window.h"
#include "ui/parameters_window.h"
#include "ui/resize_window.h"
#include "ui/source_modifications_window.h"

namespace atelion {
namespace {

constexpr int kWaitMs = 20000;

class SourceToolsWindowsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window.SetSourcePicture(testing_support::NoisySyntheticPhoto(400, 300), "photo.png");
    window.resize(1200, 700);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  }
  SourceModificationsWindow* OpenModifications() {
    window.ShowSourceModifications();
    SourceModificationsWindow* modifications = window.SourceModifications();
    EXPECT_NE(modifications, nullptr);
    EXPECT_TRUE(modifications->isVisible());
    return modifications;
  }
  ResizeWindow* OpenResize() {
    window.ShowResizeWindow();
    ResizeWindow* resize = window.ResizeSource();
    EXPECT_NE(resize, nullptr);
    EXPECT_TRUE(resize->isVisible());
    return resize;
  }
  Document& document() { return window.CurrentDocument(); }
  // What the preview must show: the part at `origin` with `settings` applied.
  Bitmap24 ExpectedPreview(Point origin, const SourceModificationSettings& settings) {
    Bitmap24 part = ModificationPreviewPart(document().SourcePicture, origin);
    RunContext context;
    EXPECT_TRUE(ModifyPicture(part, settings, document().SourceMeanColour, context));
    return part;
  }

  MainWindow window;
};

TEST_F(SourceToolsWindowsTest, ApplyChangesRecordsOneStepAndUndoGivesTheBytesBack) {
  const Bitmap24 original = document().SourcePicture;
  const Bitmap24 result = document().ResultPicture;
  const MeanColour mean = document().SourceMeanColour;
  const int before = document().History().Position();
  SourceModificationsWindow* modifications = OpenModifications();
  EXPECT_FALSE(window.Parameters()->isVisible()) << "the drawing-parameters window gives way";

  // The luminosity by keyboard (two page steps), the others by hand.
  modifications->Slider(0)->setFocus();
  QTest::keyClick(modifications->Slider(0), Qt::Key_PageUp);
  QTest::keyClick(modifications->Slider(0), Qt::Key_PageUp);
  modifications->Slider(2)->setValue(-30);
  modifications->Slider(3)->setValue(-4);
  modifications->Slider(4)->setValue(2);
  const SourceModificationSettings settings{20, 0, -30, -4, 2};
  ASSERT_EQ(modifications->Settings(), settings);
  EXPECT_EQ(modifications->LastChangedSlider(), 5);
  EXPECT_EQ(modifications->findChild<QLabel*>("modifyLuminosityValue")->text(), "20");

  QSignalSpy applied(modifications, &SourceModificationsWindow::applied);
  QTest::mouseClick(modifications->findChild<QPushButton*>("modifyApply"), Qt::LeftButton);
  EXPECT_TRUE(window.Running()) << "the photograph is changed on the worker thread";
  ASSERT_TRUE(applied.wait(kWaitMs));
  EXPECT_FALSE(window.Running());

  Bitmap24 expected = original;
  RunContext context;
  ASSERT_TRUE(ModifyPicture(expected, settings, mean, context));
  EXPECT_EQ(document().SourcePicture, expected);
  EXPECT_EQ(document().ResultPicture, result);
  EXPECT_EQ(document().History().Position(), before + 1) << "exactly one history step";
  EXPECT_FALSE(modifications->isVisible());
  EXPECT_TRUE(window.Parameters()->isVisible()) << "and comes back when the window closes";

  window.Undo();
  EXPECT_EQ(document().SourcePicture, original);
  EXPECT_EQ(document().History().Position(), before);
}

TEST_F(SourceToolsWindowsTest, VibranceAndApplyWithoutChangesEachRecordOneStep) {
  const Bitmap24 original = document().SourcePicture;
  const int before = document().History().Position();
  SourceModificationsWindow* modifications = OpenModifications();
  QSignalSpy applied(modifications, &SourceModificationsWindow::applied);
  QTest::mouseClick(modifications->findChild<QToolButton*>("modifyVibrance"), Qt::LeftButton);
  ASSERT_TRUE(applied.wait(kWaitMs));
  Bitmap24 lifted = original;
  ColourVibrance(lifted, lifted, 55);
  EXPECT_EQ(document().SourcePicture, lifted);
  EXPECT_EQ(document().History().Position(), before + 1);
  EXPECT_FALSE(modifications->isVisible());

  // No slider moved: the photograph stays, the step is still recorded.
  modifications = OpenModifications();
  EXPECT_EQ(modifications->LastChangedSlider(), 0);
  QTest::keyClick(modifications, Qt::Key_Return);
  EXPECT_EQ(applied.count(), 2);
  EXPECT_EQ(document().SourcePicture, lifted);
  EXPECT_EQ(document().History().Position(), before + 2);

  // Esc closes the window and changes nothing.
  modifications = OpenModifications();
  modifications->Slider(1)->setValue(60);
  QTest::keyClick(modifications, Qt::Key_Escape);
  EXPECT_FALSE(modifications->isVisible());
  EXPECT_EQ(document().SourcePicture, lifted);
  EXPECT_EQ(document().History().Position(), before + 2);
  EXPECT_TRUE(window.Parameters()->isVisible());
}

TEST_F(SourceToolsWindowsTest, ThePreviewFollowsTheSlidersAndTheDraggedPart) {
  SourceModificationsWindow* modifications = OpenModifications();
  EXPECT_EQ(modifications->PreviewOrigin(), (Point{110, 0}));
  EXPECT_EQ(modifications->PreviewPicture(), ModificationPreviewPart(document().SourcePicture, {110, 0}))
      << "the plain part before any slider moved";

  // Several quick changes: only the newest settings reach the box.
  QSignalSpy shown(modifications, &SourceModificationsWindow::previewShown);
  modifications->Slider(1)->setValue(-50);
  modifications->Slider(1)->setValue(40);
  modifications->Slider(3)->setValue(3);
  ASSERT_TRUE(shown.wait(kWaitMs));
  EXPECT_EQ(modifications->PreviewPicture(), ExpectedPreview({110, 0}, {0, 40, 0, 3, 0}));

  // Dragging pushes the photograph along under the box; on release the settings follow.
  ModificationPreviewBox* box = modifications->Box();
  QTest::mousePress(box, Qt::LeftButton, {}, QPoint(100, 100));
  QTest::mouseMove(box, QPoint(60, 80));
  EXPECT_EQ(modifications->PreviewOrigin(), (Point{150, 20}));
  EXPECT_EQ(modifications->PreviewPicture(), ModificationPreviewPart(document().SourcePicture, {150, 20}))
      << "the plain part while dragging";
  QTest::mouseRelease(box, Qt::LeftButton, {}, QPoint(60, 80));
  shown.clear();
  ASSERT_TRUE(shown.wait(kWaitMs));
  EXPECT_EQ(modifications->PreviewPicture(), ExpectedPreview({150, 20}, {0, 40, 0, 3, 0}));

  // The arrow keys move the part too, never past the photograph's edge.
  box->setFocus();
  for (int press = 0; press < 30; ++press) QTest::keyPress(box, Qt::Key_Down);
  QTest::keyRelease(box, Qt::Key_Down);
  EXPECT_EQ(modifications->PreviewOrigin(), (Point{150, 150}));
  shown.clear();
  ASSERT_TRUE(shown.wait(kWaitMs));
  EXPECT_EQ(modifications->PreviewPicture(), ExpectedPreview({150, 150}, {0, 40, 0, 3, 0}));

  // "Reset values" puts every slider back; the preview is the plain part again.
  QTest::mouseClick(modifications->findChild<QPushButton*>("modifyReset"), Qt::LeftButton);
  EXPECT_EQ(modifications->Settings(), SourceModificationSettings{});
  shown.clear();
  ASSERT_TRUE(shown.wait(kWaitMs));
  EXPECT_EQ(modifications->PreviewPicture(), ModificationPreviewPart(document().SourcePicture, {150, 150}));
  modifications->close();
}

TEST_F(SourceToolsWindowsTest, APhotographSmallerThanThePreviewIsShownWhole) {
  window.SetSourcePicture(testing_support::NoisySyntheticPhoto(90, 60), "small.png");
  SourceModificationsWindow* modifications = OpenModifications();
  EXPECT_EQ(modifications->PreviewOrigin(), (Point{0, 0}));
  QSignalSpy shown(modifications, &SourceModificationsWindow::previewShown);
  modifications->Slider(3)->setValue(-5);
  ASSERT_TRUE(shown.wait(kWaitMs));
  EXPECT_EQ(modifications->PreviewPicture(), ExpectedPreview({0, 0}, {0, 0, 0, -5, 0}));
  EXPECT_EQ(modifications->Box()->Picture().size(), QSize(90, 60));
  modifications->close();
}

TEST_F(SourceToolsWindowsTest, ResizeThroughTheWindowResizesBothPicturesAndUndoBringsThemBack) {
  const Bitmap24 source = document().SourcePicture;
  const Bitmap24 result = document().ResultPicture;
  const int before = document().History().Position();
  ResizeWindow* resize = OpenResize();
  EXPECT_FALSE(window.Parameters()->isVisible());
  QLineEdit* percent = resize->Field(ResizeField::WidthPercent);
  EXPECT_EQ(resize->Field(ResizeField::Width)->text(), "400");
  EXPECT_EQ(resize->Field(ResizeField::Height)->text(), "300");
  EXPECT_EQ(resize->focusWidget(), percent);
  EXPECT_EQ(percent->selectedText(), "100") << "typing replaces the percentage";

  QSignalSpy resized(resize, &ResizeWindow::resized);
  QTest::keyClicks(percent, "50");
  EXPECT_EQ(resize->Field(ResizeField::Width)->text(), "200");
  EXPECT_EQ(resize->Field(ResizeField::Height)->text(), "150");
  EXPECT_EQ(resize->Field(ResizeField::HeightPercent)->text(), "50");
  EXPECT_EQ(resize->Slider(ResizeAxis::Height)->value(), 150);
  QTest::keyClick(percent, Qt::Key_Return);
  EXPECT_TRUE(window.Running()) << "the pictures are resampled on the worker thread";
  ASSERT_TRUE(resized.wait(kWaitMs));
  EXPECT_FALSE(resize->isVisible());
  EXPECT_TRUE(window.Parameters()->isVisible());

  Bitmap24 expectedSource(200, 150);
  Resample(source, expectedSource);
  Bitmap24 expectedResult(200, 150);
  Resample(result, expectedResult);
  EXPECT_EQ(document().SourcePicture, expectedSource);
  EXPECT_EQ(document().ResultPicture, expectedResult);
  EXPECT_EQ(document().History().Position(), before + 2) << "the photograph's step, then the drawing's";
  EXPECT_EQ(window.Zoom(), 100);

  window.Undo();
  EXPECT_EQ(document().ResultPicture, result) << "one undo brings the drawing back";
  window.Undo();
  EXPECT_EQ(document().SourcePicture, source) << "the next the photograph";
}

TEST_F(SourceToolsWindowsTest, ResizeFieldsAnswerTypingAndRefuseWhatNoPictureMayBe) {
  const Bitmap24 source = document().SourcePicture;
  const int before = document().History().Position();
  ResizeWindow* resize = OpenResize();
  QLineEdit* width = resize->Field(ResizeField::Width);
  width->selectAll();
  QTest::keyClicks(width, "8x");
  EXPECT_EQ(width->text(), "400") << "letters put back the present width";
  EXPECT_EQ(resize->Field(ResizeField::WidthPercent)->text(), "100");

  // Without the ratio, the height stays where it is.
  QTest::mouseClick(resize->KeepRatioBox(), Qt::LeftButton);
  EXPECT_FALSE(resize->KeepRatioBox()->isChecked());
  width->selectAll();
  QTest::keyClicks(width, "1000");
  EXPECT_EQ(width->text(), "1000");
  EXPECT_EQ(resize->Field(ResizeField::Height)->text(), "300");
  width->selectAll();
  QTest::keyClicks(width, "5000");
  EXPECT_EQ(width->text(), "1200") << "three times the present width at most";

  // "Desktop size" takes the whole desktop, however large; OK refuses a size no picture may have.
  resize->SetDesktopSource([] { return PictureSize{40000, 1080}; });
  QStringList messages;
  resize->SetMessenger([&messages](const QString& message) { messages.append(message); });
  QTest::mouseClick(resize->DesktopSizeBox(), Qt::LeftButton);
  EXPECT_EQ(width->text(), "40000");
  EXPECT_EQ(resize->Field(ResizeField::WidthPercent)->text(), "10000");
  EXPECT_FALSE(resize->KeepRatioBox()->isChecked());
  QTest::mouseClick(resize->OkButton(), Qt::LeftButton);
  for (int wait = 0; wait < 400 && messages.isEmpty(); ++wait) QTest::qWait(50);
  ASSERT_EQ(messages.size(), 1);
  EXPECT_TRUE(messages.front().contains("larger than a picture can be")) << messages.front().toStdString();
  EXPECT_TRUE(resize->isVisible()) << "the user may correct the size";
  EXPECT_EQ(document().SourcePicture, source);

  // Esc leaves everything as it was.
  QTest::keyClick(width, Qt::Key_Escape);
  EXPECT_FALSE(resize->isVisible());
  EXPECT_EQ(document().SourcePicture, source);
  EXPECT_EQ(document().History().Position(), before);

  // Opened again, the fields start from the present size.
  resize = OpenResize();
  EXPECT_EQ(width->text(), "400");
  EXPECT_TRUE(resize->KeepRatioBox()->isChecked());
  EXPECT_FALSE(resize->DesktopSizeBox()->isChecked());
  resize->close();
}

// Esc while the whole photograph is being adjusted asks the stop question; a confirmed stop
// leaves the photograph and the history as they were.
TEST_F(SourceToolsWindowsTest, AStoppedApplyChangesNothing) {
  window.SetSourcePicture(testing_support::NoisySyntheticPhoto(3000, 2000), "large.png");
  const Bitmap24 original = document().SourcePicture;
  const int before = document().History().Position();
  QStringList questions;
  window.SetCancelQuestion([&questions](const QString& question) {
    questions.append(question);
    return true;
  });
  SourceModificationsWindow* modifications = OpenModifications();
  modifications->Slider(4)->setValue(9);
  QTest::mouseClick(modifications->findChild<QPushButton*>("modifyApply"), Qt::LeftButton);
  ASSERT_TRUE(modifications->Applying());
  QTest::keyClick(modifications, Qt::Key_Escape);
  ASSERT_EQ(questions.size(), 1);
  EXPECT_EQ(questions.front(), LanguageLine(168));
  for (int wait = 0; wait < 600 && window.Running(); ++wait) QTest::qWait(50);
  ASSERT_FALSE(window.Running());
  EXPECT_FALSE(modifications->isVisible());
  EXPECT_EQ(document().SourcePicture, original);
  EXPECT_EQ(document().History().Position(), before);
}

QString ShippedLine(std::string_view identifier, int line) {
  LanguageTable table;
  EXPECT_TRUE(LanguageTable::LoadShipped(identifier, table));
  const std::string_view text = table.Line(line);
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())).trimmed();
}

// Every text of both windows comes from the language table, and follows a change of language.
TEST_F(SourceToolsWindowsTest, BothWindowsSpeakTheChosenLanguage) {
  SourceModificationsWindow* modifications = OpenModifications();
  ResizeWindow* resize = OpenResize();
  EXPECT_EQ(resize->OkButton()->text(), "OK");
  for (const char* language : {"Hangul", "German"}) {
    SCOPED_TRACE(language);
    ASSERT_TRUE(ApplyInterfaceLanguage(language));
    EXPECT_EQ(modifications->windowTitle(), ShippedLine(language, 158));
    EXPECT_EQ(modifications->findChild<QPushButton*>("modifyApply")->text(), ShippedLine(language, 165));
    EXPECT_EQ(modifications->findChild<QPushButton*>("modifyReset")->text(), ShippedLine(language, 164));
    EXPECT_EQ(modifications->findChild<QToolButton*>("modifyVibrance")->toolTip(), ShippedLine(language, 242));
    EXPECT_EQ(resize->windowTitle(), ShippedLine(language, 153));
    EXPECT_EQ(resize->KeepRatioBox()->text(), ShippedLine(language, 156));
    EXPECT_EQ(resize->DesktopSizeBox()->text(), ShippedLine(language, 157));
    EXPECT_EQ(resize->findChild<QPushButton*>("resizeCancel")->text(), ShippedLine(language, 137));
  }
  ASSERT_TRUE(ApplyInterfaceLanguage("Hangul"));
  EXPECT_EQ(resize->OkButton()->text(), QString::fromUtf8("확인"));
  ASSERT_TRUE(ApplyInterfaceLanguage("English"));
  EXPECT_EQ(resize->OkButton()->text(), "OK");
  resize->close();
  modifications->close();
}

}  // namespace
}  // namespace atelion
