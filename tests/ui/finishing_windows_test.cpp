// The frame and text windows in the running program (offscreen): the text goes to an anchor or
// to where it is dragged on the drawing, OK keeps it as one history step and Cancel or Esc leave
// the drawing as it was; the frame window's preview follows its settings, and its OK frames the
// next run.
#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTest>
#include <QToolButton>

#include "document/settings_file.h"
#include "finishing/frame_preview.h"
#include "support/synthetic_photos.h"
#include "ui/frame_window.h"
#include "ui/main_window.h"
#include "ui/parameters_window.h"
#include "ui/picture_panel.h"
#include "ui/text_window.h"

namespace atelion {
namespace {

constexpr Colour kGround = 0x404040;
constexpr int kWaitMs = 20000;

class FinishingWindowsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window.SetSourceAndResult(Bitmap24(240, 160, kGround), "plain.png");
    window.resize(1200, 700);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    window.SetZoom(100);
    TextSettings text;
    text.text = "HI";
    text.fontSize = 24;
    text.shadow = false;
    text.colour = 0xFFFFFF;
    text.positionEntry = kTextTopLeft;
    window.Parameters()->SetTextSettings(text);
  }

  TextWindow* OpenText() {
    window.ShowTextWindow();
    TextWindow* text = window.TextTool();
    EXPECT_NE(text, nullptr);
    EXPECT_TRUE(text->isVisible());
    EXPECT_TRUE(text->Pending());
    return text;
  }

  // Pixels of the drawing in `area` that the white text has made bright.
  int BrightPixels(const Rect& area) const {
    const Bitmap24& result = const_cast<MainWindow&>(window).CurrentDocument().ResultPicture;
    int bright = 0;
    for (int y = area.top; y < area.bottom; ++y) {
      for (int x = area.left; x < area.right; ++x) {
        const Colour c = result.Pixel(x, y);
        if (RedOf(c) > 200 && GreenOf(c) > 200 && BlueOf(c) > 200) ++bright;
      }
    }
    return bright;
  }

  // Where picture pixel `p` of the drawing lies on its panel.
  QPoint OnPanel(Point p) {
    const ImagePlacement& placement = window.ResultPanel()->Placement();
    const int zoom = window.ResultPanel()->Zoom();
    return QPoint(placement.left + p.x * zoom / 100, placement.top + p.y * zoom / 100);
  }

  // The settings as the settings file keeps them when the program closes now.
  Settings StoredThroughTheSettingsFile() {
    Settings settings;
    window.Parameters()->CollectSettings(settings);
    return SettingsFromText(SettingsFileText(settings));
  }

  const Bitmap24& Result() { return window.CurrentDocument().ResultPicture; }
  int HistoryPosition() { return window.CurrentDocument().History().Position(); }

  MainWindow window;
};

TEST_F(FinishingWindowsTest, TheTextGoesToItsAnchorAndCancelLeavesTheDrawingAsItWas) {
  const Bitmap24 before = Result();
  const int steps = HistoryPosition();
  TextWindow* text = OpenText();
  const Rect topLeft{0, 0, 120, 80};
  const Rect bottomRight{120, 80, 240, 160};
  EXPECT_EQ(text->TextPosition(), (Point{3, 3}));
  EXPECT_GT(BrightPixels(topLeft), 20);
  EXPECT_EQ(BrightPixels(bottomRight), 0);
  EXPECT_FALSE(window.Parameters()->DrawButton()->isEnabled()) << "no run while the text is placed";

  text->PositionList()->setCurrentIndex(kTextBottomRight);
  EXPECT_GT(text->TextPosition().x, 120);
  EXPECT_GT(text->TextPosition().y, 80);
  EXPECT_GT(BrightPixels(bottomRight), 20);
  EXPECT_EQ(BrightPixels(topLeft), 0) << "the picture under the old place is put back";
  EXPECT_EQ(text->XBox()->value(), text->TextPosition().x);

  // Typing changes the line at once, in any script.
  QTest::keyClick(text->TextEdit(), Qt::Key_End);
  QTest::keyClicks(text->TextEdit(), "!");
  EXPECT_EQ(text->CurrentSettings().text, "HI!");
  text->TextEdit()->setText(QString::fromUtf8("\u0633\u0644\u0627\u0645 HI"));
  EXPECT_GT(BrightPixels(bottomRight), 20);

  QTest::mouseClick(text->CancelButton(), Qt::LeftButton);
  EXPECT_FALSE(text->isVisible());
  EXPECT_FALSE(text->Pending());
  EXPECT_EQ(Result(), before);
  EXPECT_EQ(HistoryPosition(), steps);
  EXPECT_TRUE(window.Parameters()->DrawButton()->isEnabled());
  EXPECT_EQ(window.Parameters()->CurrentFinishingSettings().text.text, "HI") << "Cancel keeps the old settings";
}

TEST_F(FinishingWindowsTest, TheTextGoesWhereItIsDraggedAndOkKeepsItAsOneHistoryStep) {
  const Bitmap24 before = Result();
  const int steps = HistoryPosition();
  TextWindow* text = OpenText();
  QWidget* panel = window.ResultPanel();

  // A click beside the text puts it there.
  QTest::mouseClick(panel, Qt::LeftButton, {}, OnPanel({200, 20}));
  QTRY_COMPARE(text->TextPosition(), (Point{200, 20}));
  EXPECT_EQ(text->PositionList()->currentIndex(), kTextUserDefined);

  // Dragged by the text itself: it moves with the pointer.
  text->PositionList()->setCurrentIndex(kTextTopLeft);
  ASSERT_EQ(text->TextPosition(), (Point{3, 3}));
  QTest::mousePress(panel, Qt::LeftButton, {}, OnPanel({10, 12}));
  QTest::mouseMove(panel, OnPanel({60, 50}));
  QTest::mouseMove(panel, OnPanel({110, 92}));
  QTest::mouseRelease(panel, Qt::LeftButton, {}, OnPanel({110, 92}));
  QTRY_COMPARE(text->TextPosition(), (Point{103, 83}));
  EXPECT_EQ(text->PositionList()->currentIndex(), kTextUserDefined);
  EXPECT_EQ(text->XBox()->value(), 103);
  EXPECT_EQ(text->YBox()->value(), 83);
  EXPECT_GT(BrightPixels(Rect{100, 80, 200, 160}), 20);
  EXPECT_EQ(BrightPixels(Rect{0, 0, 90, 70}), 0);
  EXPECT_EQ(BrightPixels(Rect{190, 0, 240, 70}), 0);
  const Bitmap24 placed = Result();

  // Enter is OK.
  QTest::keyClick(text->TextEdit(), Qt::Key_Return);
  EXPECT_FALSE(text->isVisible());
  EXPECT_EQ(Result(), placed);
  EXPECT_EQ(HistoryPosition(), steps + 1);
  const TextSettings kept = window.Parameters()->CurrentFinishingSettings().text;
  EXPECT_EQ(kept.positionEntry, kTextUserDefined);
  EXPECT_EQ(kept.x, 103);
  EXPECT_EQ(kept.y, 83);
  const Settings stored = StoredThroughTheSettingsFile();
  EXPECT_EQ(stored.text.text, "HI");
  EXPECT_EQ(stored.text.positionEntry, kTextUserDefined);
  EXPECT_EQ(stored.text.x, 103);
  EXPECT_EQ(stored.text.y, 83);
  EXPECT_EQ(stored.text.fontSize, 24);
  EXPECT_TRUE(window.Parameters()->DrawButton()->isEnabled());

  window.Undo();
  EXPECT_EQ(Result(), before);
}

TEST_F(FinishingWindowsTest, EscClosesTheTextWindowWithoutKeepingTheText) {
  const Bitmap24 before = Result();
  const int steps = HistoryPosition();
  TextWindow* text = OpenText();
  text->OpacitySlider()->setValue(128);
  text->ShadowBox()->setChecked(true);
  EXPECT_NE(Result(), before);
  QTest::keyClick(text->TextEdit(), Qt::Key_Escape);
  EXPECT_FALSE(text->isVisible());
  EXPECT_EQ(Result(), before);
  EXPECT_EQ(HistoryPosition(), steps);
}

TEST_F(FinishingWindowsTest, ADrawingReplacedWhileTheTextIsPlacedIsLeftAlone) {
  TextWindow* text = OpenText();
  // A script's step puts a new drawing in the document while the window is open.
  const Bitmap24 replacement(240, 160, 0x805020);
  window.RecordScriptStep(HistoryKind::Result, replacement, "script");
  const int steps = HistoryPosition();
  QTest::keyClicks(text->TextEdit(), "X");
  EXPECT_FALSE(text->isVisible());
  EXPECT_EQ(Result(), replacement) << "no piece of the old drawing is put back onto the new one";
  EXPECT_EQ(HistoryPosition(), steps);
  EXPECT_TRUE(window.Parameters()->DrawButton()->isEnabled());
}

TEST_F(FinishingWindowsTest, TheFramePreviewFollowsTheSettingsAndOkFramesTheNextRun) {
  window.SetSourceAndResult(testing_support::SyntheticPhoto(240, 160), "photo.png");
  ASSERT_TRUE(window.Parameters()->SelectEffect(kNoEffectId));
  window.ShowFrameWindow();
  FrameWindow* frame = window.FrameTool();
  ASSERT_NE(frame, nullptr);
  EXPECT_TRUE(frame->isVisible());
  EXPECT_TRUE(window.Parameters()->FrameButton()->isChecked());
  QSignalSpy shown(frame, &FrameWindow::previewShown);
  ASSERT_TRUE(shown.wait(kWaitMs)) << "the preview appears by itself";

  const Colour red = MakeColour(200, 30, 20);
  frame->SetColourChooser([](QColor) { return QColor(200, 30, 20); });
  frame->StyleList()->setCurrentIndex(static_cast<int>(FrameStyle::Simple));
  frame->MarginBox()->setValue(40);
  QTest::mouseClick(frame->FillColourButton(), Qt::LeftButton);
  EXPECT_EQ(frame->CurrentSettings().frameFillColor, red);
  QTRY_VERIFY_WITH_TIMEOUT(frame->PreviewPicture().Pixel(5, 100) == red && !frame->PreviewComputing(), kWaitMs);
  RunContext context;
  EXPECT_EQ(frame->PreviewPicture(),
            RenderFramePreview(window.CurrentDocument().SourcePicture, frame->CurrentSettings(), nullptr, context));

  QTest::mouseClick(frame->OkButton(), Qt::LeftButton);
  EXPECT_FALSE(frame->isVisible());
  // What OK keeps goes into the settings file.
  const Settings stored = StoredThroughTheSettingsFile();
  EXPECT_EQ(stored.frame.entry, static_cast<int>(FrameStyle::Simple));
  EXPECT_EQ(stored.frame.margin, 40);
  EXPECT_EQ(stored.frame.frameFillColor, red);
  QSignalSpy finished(&window, &MainWindow::runFinished);
  ASSERT_TRUE(window.StartDrawing());
  ASSERT_TRUE(finished.wait(kWaitMs));
  EXPECT_EQ(Result().Width(), 280);
  EXPECT_EQ(Result().Height(), 200);
  for (const Point p : {Point{0, 0}, Point{19, 100}, Point{279, 199}, Point{21, 21}}) {
    EXPECT_EQ(Result().Pixel(p.x, p.y), red) << p.x << "," << p.y;
  }

  // Cancel leaves the settings the runs use as they were.
  window.ShowFrameWindow();
  frame->MarginBox()->setValue(100);
  QTest::keyClick(frame->MarginBox(), Qt::Key_Escape);
  EXPECT_FALSE(frame->isVisible());
  EXPECT_EQ(window.Parameters()->CurrentFinishingSettings().frame.margin, 40);
}

TEST_F(FinishingWindowsTest, ANewerFramePreviewSupersedesTheOneComputing) {
  window.SetSourceAndResult(testing_support::SyntheticPhoto(240, 160), "photo.png");
  window.ShowFrameWindow();
  FrameWindow* frame = window.FrameTool();
  frame->StyleList()->setCurrentIndex(static_cast<int>(FrameStyle::Brushstrokes));
  frame->MarginBox()->setValue(30);
  QTRY_VERIFY_WITH_TIMEOUT(frame->PreviewComputing(), kWaitMs);
  // Changed while the painted border computes: the box shows only the newest settings.
  frame->MarginBox()->setValue(80);
  frame->PreviewTimer()->setInterval(0);
  QTRY_VERIFY_WITH_TIMEOUT(!frame->PreviewComputing() && !frame->PreviewTimer()->isActive() &&
                               frame->PreviewPicture().Pixel(150, 150) != 0u,
                           kWaitMs);
  RunContext context;
  EXPECT_EQ(frame->PreviewPicture(),
            RenderFramePreview(window.CurrentDocument().SourcePicture, frame->CurrentSettings(), nullptr, context));
  EXPECT_EQ(frame->CurrentSettings().margin, 80);
  // Enter is OK.
  QTest::keyClick(frame->MarginBox(), Qt::Key_Return);
  EXPECT_FALSE(frame->isVisible());
  EXPECT_EQ(window.Parameters()->CurrentFinishingSettings().frame.entry, static_cast<int>(FrameStyle::Brushstrokes));
}

// The names of the controls Tab reaches from `first`, in order, once round the window.
QStringList TabOrder(QWidget* first) {
  QStringList names;
  QWidget* widget = first;
  do {
    if (widget->isVisible() && widget->isEnabled() && (widget->focusPolicy() & Qt::TabFocus) &&
        widget->focusProxy() == nullptr) {
      names << widget->objectName();
    }
    widget = widget->nextInFocusChain();
  } while (widget != first && names.size() < 40);
  return names;
}

TEST_F(FinishingWindowsTest, TabWalksBothWindowsFromTopToBottom) {
  TextWindow* text = OpenText();
  EXPECT_EQ(TabOrder(text->TextEdit()).mid(0, 10),
            QStringList({"textEdit", "fontButton", "colourButton", "shadowBox", "opacitySlider", "positionList",
                         "xBox", "yBox", "okButton", "cancelButton"}));
  text->reject();

  window.ShowFrameWindow();
  FrameWindow* frame = window.FrameTool();
  frame->StyleList()->setCurrentIndex(static_cast<int>(FrameStyle::Lined));
  EXPECT_EQ(TabOrder(frame->StyleList()).mid(0, 7),
            QStringList({"ListOfFrames", "fillColourButton", "lineColourButton", "swapColoursButton", "marginBox",
                         "okButton", "cancelButton"}));
  frame->reject();
}

TEST_F(FinishingWindowsTest, ThePictogramsAndTheAddTextCommandOpenTheWindows) {
  QTest::mouseClick(window.Parameters()->TextButton(), Qt::LeftButton);
  EXPECT_TRUE(window.Parameters()->TextButton()->isChecked());
  ASSERT_NE(window.TextTool(), nullptr);
  EXPECT_TRUE(window.TextTool()->isVisible());
  window.TextTool()->reject();
  QAction* addText = window.findChild<QAction*>("addTextAction");
  ASSERT_NE(addText, nullptr);
  addText->trigger();
  EXPECT_TRUE(window.TextTool()->isVisible());
  window.TextTool()->reject();

  QTest::mouseClick(window.Parameters()->FrameButton(), Qt::LeftButton);
  ASSERT_NE(window.FrameTool(), nullptr);
  EXPECT_TRUE(window.FrameTool()->isVisible());
  window.FrameTool()->reject();
  // Turning the frame off does not open the window.
  QTest::mouseClick(window.Parameters()->FrameButton(), Qt::LeftButton);
  EXPECT_FALSE(window.Parameters()->FrameButton()->isChecked());
  EXPECT_FALSE(window.FrameTool()->isVisible());
}

}  // namespace
}  // namespace atelion
