// The desktop windows under the offscreen platform: the parameters window follows the catalogue
// when the style changes, "Draw!" runs on the worker thread and records one history step, undo
// and redo bring the pictures back, and Esc asks before a run is stopped.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>
#include <QTest>

#include "effects/catalogue.h"
#include "effects/run_pipeline.h"
#include "ui/main_window.h"
#include "ui/parameters_window.h"

namespace atelion {
namespace {

constexpr int kRunWaitMs = 60000;  // a generous limit so a stuck run fails instead of hanging

// A picture with detail in both directions, so every style has edges to draw.
Bitmap24 Gradient(int width, int height) {
  Bitmap24 picture(width, height);
  for (int y = 0; y < height; ++y) {
    std::uint8_t* row = picture.Row(y);
    for (int x = 0; x < width; ++x) {
      row[3 * x + 0] = static_cast<std::uint8_t>(x * 255 / width);
      row[3 * x + 1] = static_cast<std::uint8_t>(y * 255 / height);
      row[3 * x + 2] = static_cast<std::uint8_t>(((x / 8 + y / 8) % 2) * 200);
    }
  }
  return picture;
}

bool SamePixels(const Bitmap24& a, const Bitmap24& b) {
  if (a.Width() != b.Width() || a.Height() != b.Height()) return false;
  for (int y = 0; y < a.Height(); ++y) {
    if (!std::equal(a.Row(y), a.Row(y) + 3 * a.Width(), b.Row(y))) return false;
  }
  return true;
}

std::vector<int> AvailableStyles() {
  std::vector<int> styles;
  for (const EffectDescription& effect : Effects()) {
    if (StyleAvailable(effect.effectId)) styles.push_back(effect.effectId);
  }
  return styles;
}

TEST(ParametersWindowTest, SwitchingStylesRelabelsSlidersAndRanges) {
  ParametersWindow window;
  const std::vector<int> styles = AvailableStyles();
  ASSERT_GE(styles.size(), 2u);
  // Visit every available style twice in a row-changing order, so each switch comes from another style.
  for (int pass = 0; pass < 2; ++pass) {
    for (int effectId : styles) {
      SCOPED_TRACE("style " + std::to_string(effectId));
      ASSERT_TRUE(window.SelectEffect(effectId));
      EXPECT_EQ(window.CurrentEffect(), effectId);
      EXPECT_EQ(window.StyleNameText().toStdString(), EffectName(effectId));
      for (int slot = 0; slot < kSlotCount; ++slot) {
        const SliderDescription& description = DescribeSlider(effectId, slot);
        EXPECT_EQ(window.SliderLabel(slot)->text(), QString::fromStdString(SliderLabel(effectId, slot)).trimmed());
        EXPECT_EQ(window.Slider(slot)->minimum(), description.minimum);
        EXPECT_EQ(window.Slider(slot)->maximum(), description.maximum);
        EXPECT_EQ(window.Slider(slot)->isHidden(), !description.visible);
        EXPECT_EQ(window.Slider(slot)->value(), window.Parameters().Current(effectId)[slot]);
        EXPECT_EQ(window.ValueLabel(slot)->text(), QString::number(window.Slider(slot)->value()));
      }
    }
  }
}

TEST(ParametersWindowTest, SliderValuesStayWithTheirStyleAndStylesNotBuiltAreRefused) {
  ParametersWindow window;
  const std::vector<int> styles = AvailableStyles();
  ASSERT_GE(styles.size(), 2u);
  const int first = styles[0];
  const int second = styles[1];
  ASSERT_TRUE(window.SelectEffect(first));
  QSlider* slider = window.Slider(0);
  const int moved = slider->minimum() + (slider->maximum() - slider->minimum()) / 3;
  ASSERT_NE(moved, FactoryDefaults(first)[0]);
  slider->setValue(moved);
  EXPECT_EQ(window.CurrentStyleSettings().sliders[0], moved);

  ASSERT_TRUE(window.SelectEffect(second));
  EXPECT_EQ(window.CurrentStyleSettings().sliders, window.Parameters().Current(second));
  ASSERT_TRUE(window.SelectEffect(first));
  EXPECT_EQ(window.Slider(0)->value(), moved);

  for (const EffectDescription& effect : Effects()) {
    if (StyleAvailable(effect.effectId)) continue;
    EXPECT_FALSE(window.SelectEffect(effect.effectId)) << effect.effectId;
    EXPECT_EQ(window.CurrentEffect(), first);
  }
}

class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window.SetSourcePicture(Gradient(64, 48), "gradient.png");
    ASSERT_TRUE(window.Parameters()->SelectEffect(AvailableStyles().front()));
  }

  // Presses "Draw!" and waits for the run to come back to the window.
  RunOutcome DrawAndWait() {
    QSignalSpy finished(&window, &MainWindow::runFinished);
    QTest::mouseClick(window.Parameters()->DrawButton(), Qt::LeftButton);
    EXPECT_TRUE(window.Running());
    EXPECT_TRUE(finished.wait(kRunWaitMs));
    EXPECT_EQ(finished.count(), 1);
    EXPECT_FALSE(window.Running());
    return finished.isEmpty() ? RunOutcome::Waiting : finished.first().first().value<RunOutcome>();
  }

  MainWindow window;
};

TEST_F(MainWindowTest, DrawRecordsOneResultStepAndUndoRedoRestoreIt) {
  Document& document = window.CurrentDocument();
  const int positionBefore = document.History().Position();
  const Bitmap24 resultBefore = document.ResultPicture;
  ASSERT_NE(resultBefore.Width(), 64);  // the start drawing has the sample's size

  EXPECT_EQ(DrawAndWait(), RunOutcome::Finished);
  EXPECT_EQ(document.History().Position(), positionBefore + 1);
  EXPECT_EQ(document.History().KindAt(positionBefore + 1), HistoryKind::Result);
  EXPECT_EQ(document.ResultPicture.Width(), 64);
  EXPECT_EQ(document.ResultPicture.Height(), 48);
  EXPECT_FALSE(SamePixels(document.ResultPicture, document.SourcePicture));
  const std::string styleName = window.Parameters()->StyleNameText().toStdString();
  EXPECT_EQ(document.ResultStyleName, styleName);
  EXPECT_TRUE(document.UndoEnabled());

  window.Undo();
  EXPECT_EQ(document.History().Position(), positionBefore);
  EXPECT_EQ(document.ResultPicture.Width(), resultBefore.Width());
  EXPECT_EQ(document.ResultPicture.Height(), resultBefore.Height());
  EXPECT_EQ(document.ResultStyleName, "");
  EXPECT_TRUE(document.RedoEnabled());

  window.Redo();
  EXPECT_EQ(document.History().Position(), positionBefore + 1);
  EXPECT_EQ(document.ResultPicture.Width(), 64);
  EXPECT_EQ(document.ResultStyleName, styleName);
}

TEST_F(MainWindowTest, SecondDrawWhileRunningStartsNothing) {
  window.SetSourcePicture(Gradient(600, 400), "large.png");
  const int positionBefore = window.CurrentDocument().History().Position();
  QSignalSpy finished(&window, &MainWindow::runFinished);
  ASSERT_TRUE(window.StartDrawing());
  // The run cannot come back before the event loop runs again, so this request meets it running.
  EXPECT_FALSE(window.StartDrawing());
  ASSERT_TRUE(finished.wait(kRunWaitMs));
  QTest::qWait(50);
  EXPECT_EQ(finished.count(), 1);
  EXPECT_EQ(finished.first().first().value<RunOutcome>(), RunOutcome::Finished);
  EXPECT_EQ(window.CurrentDocument().History().Position(), positionBefore + 1);
}

TEST_F(MainWindowTest, EscAsksAndADeclinedStopLetsTheRunFinish) {
  window.SetSourcePicture(Gradient(600, 400), "large.png");
  window.show();
  window.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  int questions = 0;
  window.SetCancelQuestion([&questions] {
    ++questions;
    return false;
  });
  const int positionBefore = window.CurrentDocument().History().Position();
  QSignalSpy finished(&window, &MainWindow::runFinished);
  ASSERT_TRUE(window.StartDrawing());
  QTest::keyClick(&window, Qt::Key_Escape);
  EXPECT_EQ(questions, 1);
  ASSERT_TRUE(finished.wait(kRunWaitMs));
  EXPECT_EQ(finished.first().first().value<RunOutcome>(), RunOutcome::Finished);
  EXPECT_EQ(window.CurrentDocument().History().Position(), positionBefore + 1);

  // Without a run, Esc has nothing to stop and asks nothing.
  QTest::keyClick(&window, Qt::Key_Escape);
  EXPECT_EQ(questions, 1);
}

}  // namespace
}  // namespace atelion

int main(int argc, char** argv) {
  // The windows are tested without any display.
  qputenv("QT_QPA_PLATFORM", "offscreen");
  qputenv("ATELION_NO_DIALOGS", "1");
  QApplication application(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
