// The desktop windows under the offscreen platform: the parameters window follows the catalogue
// when the style changes, "Draw!" runs on the worker thread and records one history step, undo,
// redo and swap bring the pictures back, a run stops at the stop-percentage marker or on Esc and
// keeps what it drew, and the view follows its zoom field, divider keys and panning.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <map>

#include "imageio/image_files.h"
#include "document/image_view.h"
#include "styles/catalogue.h"
#include "effects/run_pipeline.h"
#include "ui/live_preview.h"
#include "ui/main_window.h"
#include "ui/panel_area.h"
#include "ui/parameters_window.h"
#include "ui/picture_panel.h"
#include "ui/status_panel.h"

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

TEST(MainWindowStartTest, OpensOnTheSamplePhotographAndItsDrawingAsTheFirstTwoSteps) {
  MainWindow window;
  const Document& document = window.CurrentDocument();
  EXPECT_EQ(document.SourceDisplayName, "lakeside.png");
  EXPECT_EQ(document.ResultPicture.Width(), document.SourcePicture.Width());
  EXPECT_EQ(document.ResultPicture.Height(), document.SourcePicture.Height());
  EXPECT_FALSE(SamePixels(document.ResultPicture, document.SourcePicture));
  EXPECT_EQ(document.History().Position(), 2);
  EXPECT_FALSE(document.UndoEnabled());
  EXPECT_EQ(document.ResultStyleName, "");
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

// A photograph over 2 MP opens with the preview at its widest zoom, a smaller one at 1:1; the
// title names the photograph and the version.
TEST_F(MainWindowTest, APhotographOpensWithTheZoomThatShowsItsDetail) {
  QSlider* zoom = window.Parameters()->ZoomSlider();
  window.SetSourceAndResult(Gradient(1800, 1200), "wide.png");
  EXPECT_EQ(zoom->value(), zoom->maximum()) << "2.16 MP: the widest zoom";
  EXPECT_EQ(window.windowTitle(), "wide.png - Atelion " + MainWindow::ProgramVersionText());
  window.SetSourceAndResult(Gradient(1200, 900), "small.png");
  EXPECT_EQ(zoom->value(), zoom->minimum()) << "1.08 MP: 1:1";
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
  window.SetCancelQuestion([&questions](const QString&) {
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

// ---- Runs that stop early, the stop-percentage marker and the run menu ----

// A style that fixes its seed, reports its progress in small steps and takes long enough on a
// 600 × 400 picture that a stop can reach it: Painting 8 where it is built, else the first style.
int SlowSeededStyle() {
  for (int effectId : AvailableStyles()) {
    if (EffectName(effectId).rfind("Painting 8", 0) == 0) return effectId;
  }
  return AvailableStyles().front();
}

class MainWindowRunTest : public MainWindowTest {
 protected:
  void SetUp() override {
    window.SetSourcePicture(Gradient(600, 400), "large.png");
    ASSERT_TRUE(window.Parameters()->SelectEffect(SlowSeededStyle()));
    window.resize(1200, 700);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  }

  StatusPanel* Status() { return window.findChild<StatusPanel*>("statusPanel"); }

  // Drags the stop marker from where it is to `x` on the status panel.
  void DragMarkerTo(int x) {
    StatusPanel* panel = Status();
    const QPoint grip = panel->MarkerRect().center();
    QTest::mousePress(panel, Qt::LeftButton, {}, grip);
    QTest::mouseMove(panel, QPoint(x, grip.y()));
    QTest::mouseRelease(panel, Qt::LeftButton, {}, QPoint(x, grip.y()));
  }
  // The leftmost place on the panel at which the marker reads `percent`.
  void SetMarker(int percent) {
    const int width = Status()->width();
    for (int x = 0; x < width; ++x) {
      DragMarkerTo(x);
      if (Status()->StopPercentage() == percent) return;
    }
    FAIL() << "the marker never read " << percent;
  }

  QStringList VisibleMenuEntries() {
    QStringList entries;
    for (QAction* entry : window.menuBar()->actions()) {
      if (entry->isVisible()) entries << entry->text();
    }
    return entries;
  }
};

TEST_F(MainWindowRunTest, TheShownWindowPreviewsAndPreviewsAgainAfterARun) {
  LivePreview* preview = window.Parameters()->Preview();
  QSignalSpy shown(preview, &LivePreview::previewShown);
  ASSERT_TRUE(shown.wait(5000));
  const Bitmap24 first = preview->PreviewPicture();
  EXPECT_GT(first.Width(), 0);

  // A preview still waiting when a run starts, or asked for by a slider moved during the run,
  // is made once the run is over.
  for (const bool moveDuringRun : {false, true}) {
    SCOPED_TRACE(moveDuringRun ? "slider moved during the run" : "preview waiting when the run starts");
    preview->SchedulePreview(400);
    QSignalSpy finished(&window, &MainWindow::runFinished);
    ASSERT_TRUE(window.StartDrawing());
    if (moveDuringRun) window.Parameters()->Slider(0)->setValue(window.Parameters()->Slider(0)->value() + 1);
    ASSERT_TRUE(finished.wait(kRunWaitMs));
    shown.clear();
    EXPECT_TRUE(shown.wait(5000));
  }
}

TEST_F(MainWindowRunTest, DrawWhileAPreviewComputesStopsThePreviewAndThenRuns) {
  LivePreview* preview = window.Parameters()->Preview();
  preview->SetZoom(25);  // the widest crop, so the preview is still computing when "Draw!" comes
  QSignalSpy started(preview, &LivePreview::previewStarted);
  preview->SchedulePreview(0);
  ASSERT_TRUE(started.wait(5000));
  ASSERT_TRUE(preview->Computing());

  const int positionBefore = window.CurrentDocument().History().Position();
  QSignalSpy finished(&window, &MainWindow::runFinished);
  EXPECT_TRUE(window.StartDrawing());
  ASSERT_TRUE(finished.wait(kRunWaitMs));
  EXPECT_EQ(finished.count(), 1);
  EXPECT_EQ(finished.first().first().value<RunOutcome>(), RunOutcome::Finished);
  EXPECT_EQ(window.CurrentDocument().History().Position(), positionBefore + 1);
  EXPECT_EQ(window.CurrentDocument().ResultStyleName, EffectName(SlowSeededStyle()));
}

TEST_F(MainWindowRunTest, DraggingTheMarkerSetsTheStopPercentage) {
  StatusPanel* panel = Status();
  const int width = panel->width();
  ASSERT_GT(width, 200);
  // Past the right end the marker reads 100, which never stops a run.
  DragMarkerTo(width + 40);
  EXPECT_EQ(panel->StopPercentage(), 100);
  EXPECT_LT(panel->MarkerRect().center().x(), width);
  // Halfway along it reads half.
  DragMarkerTo(width / 2);
  EXPECT_NEAR(panel->StopPercentage(), 50, 1);
  // Past the left end it stays on the panel and reads next to nothing, never less.
  DragMarkerTo(-60);
  EXPECT_GE(panel->MarkerRect().left(), -5);
  EXPECT_GE(panel->StopPercentage(), 0);
  EXPECT_LT(panel->StopPercentage(), 5);
  // Moving the pointer without taking hold of the marker changes nothing.
  const int before = panel->StopPercentage();
  QTest::mousePress(panel, Qt::LeftButton, {}, QPoint(width / 2, 10));
  QTest::mouseMove(panel, QPoint(width - 30, 10));
  QTest::mouseRelease(panel, Qt::LeftButton, {}, QPoint(width - 30, 10));
  EXPECT_EQ(panel->StopPercentage(), before);
}

TEST_F(MainWindowRunTest, StopMarkerStopsTheRunAndKeepsWhatWasDrawn) {
  Document& document = window.CurrentDocument();
  ASSERT_EQ(DrawAndWait(), RunOutcome::Finished);
  const Bitmap24 finished = document.ResultPicture;
  window.Undo();
  const int positionBefore = document.History().Position();

  SetMarker(30);
  int questions = 0;
  QString shownAtQuestion;
  window.SetCancelQuestion([&](const QString&) {
    ++questions;
    shownAtQuestion = Status()->PercentText();
    return true;
  });
  EXPECT_EQ(DrawAndWait(), RunOutcome::Aborted);
  EXPECT_EQ(questions, 1);
  // The question came once the shown percentage reached the marker, well before the end.
  ASSERT_TRUE(shownAtQuestion.endsWith('%'));
  const int shown = shownAtQuestion.chopped(1).toInt();
  EXPECT_GE(shown, 30);
  EXPECT_LT(shown, 100);

  // What was drawn so far is the result, recorded as one step, without the rest of the run.
  EXPECT_EQ(document.History().Position(), positionBefore + 1);
  EXPECT_EQ(document.History().KindAt(positionBefore + 1), HistoryKind::Result);
  EXPECT_EQ(document.ResultPicture.Width(), 600);
  EXPECT_EQ(document.ResultPicture.Height(), 400);
  EXPECT_FALSE(SamePixels(document.ResultPicture, finished));
  EXPECT_EQ(document.ResultStyleName, window.Parameters()->StyleNameText().toStdString());
  // The marker stays where the user put it.
  EXPECT_EQ(Status()->StopPercentage(), 30);
  EXPECT_FALSE(Status()->Running());
}

TEST_F(MainWindowRunTest, DecliningTheStopQuestionPutsTheMarkerBackAndTheRunFinishes) {
  const int positionBefore = window.CurrentDocument().History().Position();
  SetMarker(30);
  int questions = 0;
  window.SetCancelQuestion([&](const QString&) {
    ++questions;
    return false;
  });
  EXPECT_EQ(DrawAndWait(), RunOutcome::Finished);
  EXPECT_EQ(questions, 1);
  EXPECT_EQ(Status()->StopPercentage(), 100);
  EXPECT_EQ(window.CurrentDocument().History().Position(), positionBefore + 1);

  // With the marker back at 100 the next run is not stopped.
  EXPECT_EQ(DrawAndWait(), RunOutcome::Finished);
  EXPECT_EQ(questions, 1);
}

TEST_F(MainWindowRunTest, CancelDuringARunKeepsWhatWasDrawnAndTheRunMenuComesAndGoes) {
  Document& document = window.CurrentDocument();
  const QStringList normalMenus = VisibleMenuEntries();
  const int positionBefore = document.History().Position();
  const Bitmap24 resultBefore = document.ResultPicture;
  int questions = 0;
  window.SetCancelQuestion([&](const QString&) {
    ++questions;
    return true;
  });
  QSignalSpy finished(&window, &MainWindow::runFinished);
  ASSERT_TRUE(window.StartDrawing());
  // Only the run menu while the style runs: cancel, and saving the picture in progress.
  EXPECT_EQ(VisibleMenuEntries().size(), 2);
  EXPECT_FALSE(VisibleMenuEntries().contains(normalMenus.front()));
  ASSERT_TRUE(QTest::qWaitFor([&] { return Status()->PercentText() != "0%" || !finished.isEmpty(); }, kRunWaitMs));
  ASSERT_TRUE(finished.isEmpty()) << "the run ended before it could be cancelled";
  QTest::keyClick(&window, Qt::Key_Escape);
  EXPECT_EQ(questions, 1);
  ASSERT_TRUE(finished.wait(kRunWaitMs));
  EXPECT_EQ(finished.first().first().value<RunOutcome>(), RunOutcome::Aborted);
  EXPECT_EQ(document.History().Position(), positionBefore + 1);
  EXPECT_EQ(document.ResultPicture.Width(), 600);
  EXPECT_FALSE(SamePixels(document.ResultPicture, resultBefore));
  EXPECT_EQ(VisibleMenuEntries(), normalMenus);
  EXPECT_TRUE(window.Parameters()->isVisible());
}

// Nothing is drawn behind the stop question: the run waits until it is answered, then goes on.
TEST_F(MainWindowRunTest, TheStopQuestionHoldsTheRunWhileItIsOpen) {
  QSignalSpy finished(&window, &MainWindow::runFinished);
  bool held = false;
  window.SetCancelQuestion([&](const QString&) {
    QTest::qWait(100);  // the run reaches its next check and waits there
    const int bar = Status()->BarWidth();
    QTest::qWait(400);
    held = Status()->BarWidth() == bar && finished.isEmpty();
    return false;
  });
  ASSERT_TRUE(window.StartDrawing());
  QTest::qWait(50);
  window.RequestCancel();
  EXPECT_TRUE(held);
  ASSERT_TRUE(finished.wait(kRunWaitMs));
  EXPECT_EQ(finished.first().first().value<RunOutcome>(), RunOutcome::Finished);
}

// What the run draws with cannot change under it, so the saved name records what was drawn.
TEST_F(MainWindowRunTest, StylesAndSlidersRestDuringARun) {
  ParametersWindow* parameters = window.Parameters();
  QSignalSpy finished(&window, &MainWindow::runFinished);
  ASSERT_TRUE(window.StartDrawing());
  EXPECT_FALSE(parameters->Slider(0)->isEnabled());
  EXPECT_FALSE(parameters->Menu()->isEnabled());
  const int effect = parameters->CurrentEffect();
  ASSERT_TRUE(finished.wait(kRunWaitMs));
  EXPECT_EQ(parameters->CurrentEffect(), effect);
  EXPECT_TRUE(parameters->Slider(0)->isEnabled());
  EXPECT_TRUE(parameters->Menu()->isEnabled());
}

TEST_F(MainWindowRunTest, EndTogglesLongFilenamesButNotDuringARun) {
  window.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  Settings& settings = window.StoredSettings();
  const bool before = settings.saveParametersInFilename;
  auto* message = window.findChild<QLabel*>("noticePopup");
  ASSERT_NE(message, nullptr);
  for (int press = 1; press <= 2; ++press) {
    QTest::keyClick(&window, Qt::Key_End);
    const bool on = press % 2 == 1 ? !before : before;
    EXPECT_EQ(settings.saveParametersInFilename, on);
    EXPECT_EQ(message->text(), on ? "Long filenames ON" : "Long filenames OFF");
    EXPECT_TRUE(message->isVisible());
  }

  QSignalSpy finished(&window, &MainWindow::runFinished);
  ASSERT_TRUE(window.StartDrawing());
  QTest::keyClick(&window, Qt::Key_End);
  EXPECT_EQ(settings.saveParametersInFilename, before);
  ASSERT_TRUE(finished.wait(kRunWaitMs));
}

TEST_F(MainWindowRunTest, ToolbarFollowsTheHistoryAndTheRun) {
  window.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  auto* toolBar = window.findChild<QToolBar*>("toolBar");
  ASSERT_NE(toolBar, nullptr);
  std::map<QString, QAction*> tools;
  for (QAction* action : toolBar->actions()) {
    if (action->isSeparator() || action->text().isEmpty()) continue;
    EXPECT_FALSE(action->icon().isNull()) << action->text().toStdString();
    tools[action->text()] = action;
  }
  QAction* undo = tools.at("Undo");
  QAction* redo = tools.at("Redo");
  QAction* cancel = tools.at("Interrupt process");  // the menu shows its key, Esc, beside it
  // The picture set up by the fixture is a third step: undo is offered, redo is not.
  EXPECT_TRUE(undo->isEnabled());
  EXPECT_FALSE(redo->isEnabled());
  EXPECT_FALSE(cancel->isEnabled());
  QTest::keyClick(&window, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_FALSE(undo->isEnabled());
  EXPECT_TRUE(redo->isEnabled());
  QTest::keyClick(&window, Qt::Key_Y, Qt::ControlModifier);
  EXPECT_TRUE(undo->isEnabled());
  EXPECT_FALSE(redo->isEnabled());

  // During a run only the cancel command is offered.
  QSignalSpy finished(&window, &MainWindow::runFinished);
  ASSERT_TRUE(window.StartDrawing());
  for (const auto& [text, action] : tools) EXPECT_EQ(action->isEnabled(), action == cancel) << text.toStdString();
  ASSERT_TRUE(finished.wait(kRunWaitMs));
  EXPECT_FALSE(cancel->isEnabled());
  EXPECT_TRUE(tools.at("Open a picture")->isEnabled());
  EXPECT_TRUE(undo->isEnabled());
}

// ---- Swap ----

TEST_F(MainWindowTest, PicturesNamedInAParameterFileBecomeSourceAndResult) {
  QTemporaryDir folder;
  const Bitmap24 source = Gradient(40, 30);
  Bitmap24 result(40, 30, 0x204080);
  const std::string sourcePath = folder.filePath("photo.png").toStdString();
  const std::string resultPath = folder.filePath("drawing.png").toStdString();
  ASSERT_TRUE(SaveImageFile(source, sourcePath, ImageFormat::Png, 300));
  ASSERT_TRUE(SaveImageFile(result, resultPath, ImageFormat::Png, 300));

  emit window.Parameters()->imagesNamedInParameters(QString::fromStdString(sourcePath),
                                                    QString::fromStdString(resultPath));
  const Document& document = window.CurrentDocument();
  EXPECT_TRUE(SamePixels(document.SourcePicture, source));
  // The result comes back from its history snapshot, which is a JPEG: close, not identical.
  ASSERT_EQ(document.ResultPicture.Width(), 40);
  ASSERT_EQ(document.ResultPicture.Height(), 30);
  for (const Point at : {Point{0, 0}, Point{20, 15}, Point{39, 29}}) {
    const Colour pixel = document.ResultPicture.Pixel(at.x, at.y);
    for (int shift : {0, 8, 16}) {
      EXPECT_NEAR((pixel >> shift) & 0xFF, (0x204080 >> shift) & 0xFF, 4) << "at " << at.x << "," << at.y;
    }
  }
  EXPECT_EQ(document.SourceDisplayName, "photo.png");
}

TEST_F(MainWindowTest, SwapRecordsTwoStepsAndUndoBringsBothPicturesBack) {
  Document& document = window.CurrentDocument();
  const Bitmap24 sourceBefore = document.SourcePicture;
  const Bitmap24 resultBefore = document.ResultPicture;
  ASSERT_NE(sourceBefore.Width(), resultBefore.Width());
  const int positionBefore = document.History().Position();

  QAction* swap = nullptr;
  for (QAction* action : window.findChildren<QAction*>()) {
    if (action->text() == "Swap left and right images") swap = action;
  }
  ASSERT_NE(swap, nullptr);
  swap->trigger();
  EXPECT_EQ(document.History().Position(), positionBefore + 2);
  EXPECT_EQ(document.History().KindAt(positionBefore + 1), HistoryKind::Source);
  EXPECT_EQ(document.History().KindAt(positionBefore + 2), HistoryKind::Result);
  EXPECT_TRUE(SamePixels(document.SourcePicture, resultBefore));
  EXPECT_TRUE(SamePixels(document.ResultPicture, sourceBefore));
  EXPECT_TRUE(document.ResultStyleName.empty());
  const PictureSize swappedSource{document.SourcePicture.Width(), document.SourcePicture.Height()};
  EXPECT_EQ(window.Parameters()->PreviewCropOrigin(), PreviewCropOrigin(swappedSource, kPreviewResetLimitAfterRedo));

  // Undo steps back over the result, then over the source: both come back as they were, apart
  // from what the snapshots' compression changed.
  window.Undo();
  EXPECT_EQ(document.ResultPicture.Width(), resultBefore.Width());
  EXPECT_EQ(document.SourcePicture.Width(), resultBefore.Width());
  window.Undo();
  EXPECT_EQ(document.History().Position(), positionBefore);
  EXPECT_EQ(document.SourcePicture.Width(), sourceBefore.Width());
  EXPECT_EQ(document.SourcePicture.Height(), sourceBefore.Height());
  EXPECT_EQ(document.ResultPicture.Width(), resultBefore.Width());
  const PictureSize restoredSource{document.SourcePicture.Width(), document.SourcePicture.Height()};
  EXPECT_EQ(window.Parameters()->PreviewCropOrigin(), PreviewCropOrigin(restoredSource, kPreviewResetLimitAfterUndo));
  EXPECT_TRUE(document.RedoEnabled());
}

// ---- The view: zoom field, wheel, divider and panning ----

class MainWindowViewTest : public MainWindowTest {
 protected:
  void SetUp() override {
    MainWindowTest::SetUp();
    window.resize(1200, 700);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    source = window.findChild<PicturePanel*>("sourcePanel");
    result = window.findChild<PicturePanel*>("resultPanel");
    area = window.findChild<PanelArea*>("panelArea");
    ASSERT_NE(source, nullptr);
    ASSERT_NE(result, nullptr);
    ASSERT_NE(area, nullptr);
  }

  void ExpectBothPanelsAtZoom(int zoom) {
    for (PicturePanel* panel : {source, result}) {
      const PictureSize drawn = ZoomedSize(panel->NaturalSize(), zoom);
      EXPECT_EQ(panel->Placement().width, drawn.width);
      EXPECT_EQ(panel->Placement().height, drawn.height);
    }
  }

  PicturePanel* source = nullptr;
  PicturePanel* result = nullptr;
  PanelArea* area = nullptr;
};

TEST_F(MainWindowViewTest, ZoomFieldTakesFiveToAThousandAndTheWheelStepsByTwo) {
  auto* button = window.findChild<QToolButton*>("zoomButton");
  auto* field = window.findChild<QLineEdit*>("zoomEdit");
  ASSERT_NE(button, nullptr);
  ASSERT_NE(field, nullptr);
  window.SetZoom(100);
  struct Typed {
    const char* text;
    int zoom;  // the zoom afterwards
  };
  const Typed typed[] = {{"5", 5}, {"1000", 1000}, {"4", 1000}, {"250", 250}, {"1001", 250}, {"abc", 250}, {" 60 ", 60}};
  for (const Typed& entry : typed) {
    SCOPED_TRACE(entry.text);
    QTest::mouseClick(button, Qt::LeftButton);
    ASSERT_TRUE(field->isVisible());
    field->selectAll();
    QTest::keyClicks(field, entry.text);
    QTest::keyClick(field, Qt::Key_Return);
    EXPECT_EQ(window.Zoom(), entry.zoom);
    EXPECT_FALSE(field->isVisible());
    EXPECT_EQ(button->text().toStdString(), ZoomText(entry.zoom));
    ExpectBothPanelsAtZoom(entry.zoom);
  }

  // Esc closes the field and leaves the zoom, and does not count as a cancel.
  QTest::mouseClick(button, Qt::LeftButton);
  field->selectAll();
  QTest::keyClicks(field, "300");
  QTest::keyClick(field, Qt::Key_Escape);
  EXPECT_FALSE(field->isVisible());
  EXPECT_EQ(window.Zoom(), 60);

  // One notch up, then three down, over either panel.
  const auto turnWheel = [](QWidget* panel, int notches) {
    QWheelEvent wheel(QPointF(20, 20), panel->mapToGlobal(QPointF(20, 20)), QPoint(),
                      QPoint(0, notches * QWheelEvent::DefaultDeltasPerStep), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(panel, &wheel);
  };
  turnWheel(source, 1);
  EXPECT_EQ(window.Zoom(), 62);
  turnWheel(result, -3);
  EXPECT_EQ(window.Zoom(), 56);
  ExpectBothPanelsAtZoom(56);
  window.SetZoom(6);
  turnWheel(source, -1);
  turnWheel(source, -1);
  EXPECT_EQ(window.Zoom(), kMinZoom);
}

TEST_F(MainWindowViewTest, DividerKeysAndHandlePlaceThePanels) {
  const int width = area->width();
  struct KeyCase {
    Qt::Key key;
    DividerKey divider;
  };
  const KeyCase keys[] = {{Qt::Key_Right, DividerKey::Right}, {Qt::Key_Up, DividerKey::Middle},
                          {Qt::Key_Left, DividerKey::Left},   {Qt::Key_Down, DividerKey::Middle},
                          {Qt::Key_Right, DividerKey::Right}, {Qt::Key_Space, DividerKey::Middle}};
  for (const KeyCase& entry : keys) {
    SCOPED_TRACE(entry.key);
    QTest::keyClick(area, entry.key);
    const DividerLayout expected = LayOutDivider(width, SplitOffsetForKey(entry.divider, width));
    EXPECT_EQ(area->SplitOffset(), expected.splitOffset);
    EXPECT_EQ(source->x(), 0);
    EXPECT_EQ(source->y(), kPanelGapBelowToolbar);
    EXPECT_EQ(source->width(), expected.leftPanelWidth);
    EXPECT_EQ(result->x(), expected.rightPanelLeft);
    EXPECT_EQ(result->width(), expected.rightPanelWidth);
    EXPECT_EQ(area->Handle()->x(), expected.handleLeft);
    // The pictures are centred in their panels' new sizes.
    for (PicturePanel* panel : {source, result}) {
      const ImagePlacement placed = panel->Placement();
      EXPECT_EQ(placed, CentredPlacement({placed.width, placed.height}, panel->PanelSize()));
    }
  }

  // A key's move is traced by a guide line stepping across the way, which then goes away.
  QWidget* guide = area->findChild<QWidget*>("dividerGuide");
  ASSERT_NE(guide, nullptr);
  QTRY_VERIFY_WITH_TIMEOUT(guide->isHidden(), 2000);
  const int middle = area->Handle()->x();
  QTest::keyClick(area, Qt::Key_Left);
  QTRY_VERIFY_WITH_TIMEOUT(guide->isVisible(), 2000);
  // Left gives the result panel the area: the divider went from the middle to the left edge.
  EXPECT_LT(guide->x(), middle);
  EXPECT_GT(guide->x(), area->Handle()->x());
  QTRY_VERIFY_WITH_TIMEOUT(guide->isHidden(), 2000);
  QTest::keyClick(area, Qt::Key_Space);
  QTRY_VERIFY_WITH_TIMEOUT(guide->isHidden(), 2000);

  // Releasing the handle 120 pixels left of where it was taken moves the divider there.
  QWidget* handle = area->Handle();
  const int handleLeft = handle->x();
  QTest::mousePress(handle, Qt::LeftButton, {}, QPoint(3, 40));
  QTest::mouseMove(handle, QPoint(-120, 40));
  QTest::mouseRelease(handle, Qt::LeftButton, {}, QPoint(-120, 40));
  EXPECT_EQ(area->SplitOffset(), SplitOffsetAfterRelease(width, handleLeft, -120));
  EXPECT_GT(area->SplitOffset(), 0);
  EXPECT_EQ(source->width(), LayOutDivider(width, area->SplitOffset()).leftPanelWidth);
  // A double-click makes the release put it back in the middle.
  QTest::mouseDClick(area->Handle(), Qt::LeftButton, {}, QPoint(3, 40));
  QTest::mouseRelease(area->Handle(), Qt::LeftButton, {}, QPoint(3, 40));
  EXPECT_EQ(area->SplitOffset(), 0);
}

TEST_F(MainWindowViewTest, DraggingPansBothPicturesAndAQuickReleaseGlides) {
  // At 400 % the result is far larger than its panel and the source smaller than its own.
  window.SetZoom(400);
  const ImagePlacement sourceBefore = source->Placement();
  const ImagePlacement resultBefore = result->Placement();
  ASSERT_GT(resultBefore.width, result->width());
  const QPoint start(result->width() / 2, result->height() / 2);
  QTest::mousePress(result, Qt::LeftButton, {}, start);
  QTest::mouseMove(result, start + QPoint(-10, -8));
  QTest::mouseMove(result, start + QPoint(-30, -24));
  EXPECT_EQ(result->Placement().left, resultBefore.left - 30);
  EXPECT_EQ(result->Placement().top, resultBefore.top - 24);
  EXPECT_EQ(source->Placement(), PanImage(sourceBefore, {-30, -24}, source->PanelSize()));

  // The last move was 20 by 16 pixels: fast enough in both directions for a glide, which carries
  // the pictures on in the same direction and then comes to rest.
  QTest::mouseRelease(result, Qt::LeftButton, {}, start + QPoint(-30, -24));
  const ImagePlacement released = result->Placement();
  ASSERT_TRUE(QTest::qWaitFor([&] { return result->Placement().left < released.left - 20; }, 5000));
  QTest::qWait(3000);
  const ImagePlacement rested = result->Placement();
  QTest::qWait(300);
  EXPECT_EQ(result->Placement(), rested);
  EXPECT_LT(rested.top, released.top);
}

}  // namespace
}  // namespace atelion
