// The batch and script windows under the offscreen platform: a batch converts its list on the
// worker thread while the window stays responsive and leaves existing results alone; a cancel
// closes the window; a script's steps become history steps of the main window; scripts are saved
// and loaded as ".ats" files, a malformed one with the line of its fault.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QListWidget>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include "core/filters.h"
#include "support/synthetic_photos.h"
#include "ui/batch_window.h"
#include "ui/main_window.h"
#include "ui/parameters_window.h"
#include "ui/script_window.h"

namespace atelion {
namespace {

class AutomationWindowsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(folder.isValid());
    window.SetSourcePicture(testing_support::SyntheticPhoto(120, 80), "photo.png");
    window.resize(1200, 700);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  }
  QString Path(const QString& name) const { return folder.filePath(name); }
  QString WritePhoto(const QString& name, int width, int height) {
    const QString path = Path(name);
    EXPECT_TRUE(SaveImageFile(testing_support::SyntheticPhoto(width, height), path.toStdString(),
                              FormatFromExtension(path.toStdString())));
    return path;
  }

  QTemporaryDir folder;
  MainWindow window;
};

TEST_F(AutomationWindowsTest, ABatchConvertsItsListWhileTheWindowAnswers) {
  window.Parameters()->SelectEffect(kVivifyEffectId);
  window.ShowBatchWindow();
  BatchWindow* batch = window.Batch();
  ASSERT_NE(batch, nullptr);
  QDir(folder.path()).mkdir("out");
  batch->AddFiles({WritePhoto("beach.JPG", 300, 200), WritePhoto("scan.bmp", 300, 200), WritePhoto("logo.png", 300, 200)});
  EXPECT_EQ(batch->OutputFolder(), folder.path()) << "the first photograph's folder";
  batch->SetOutputFolder(Path("out"));
  QFile existing(Path("out/scan_Atelion.bmp"));
  ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
  existing.write("keep");
  existing.close();

  QSignalSpy finished(batch, &BatchWindow::finished);
  batch->Process();
  EXPECT_TRUE(window.Running());
  EXPECT_TRUE(batch->Processing());
  ASSERT_TRUE(finished.wait(60000));
  EXPECT_FALSE(window.Running());
  const auto summary = finished.front().front().value<BatchSummary>();
  EXPECT_EQ(summary.written, 2);
  EXPECT_EQ(summary.skipped, 1);
  EXPECT_EQ(LoadImageFile(Path("out/beach_Atelion.JPG").toStdString()).format, ImageFormat::Jpeg);
  EXPECT_EQ(LoadImageFile(Path("out/logo_Atelion.png").toStdString()).format, ImageFormat::Png);
  QFile kept(Path("out/scan_Atelion.bmp"));
  ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
  EXPECT_EQ(kept.readAll(), QByteArray("keep"));
  EXPECT_FALSE(batch->isVisible()) << "the window closes when the batch is done";
}

TEST_F(AutomationWindowsTest, CancelStopsTheBatchAndClosesTheWindowASecondLater) {
  window.Parameters()->SelectEffect(kPainting7EffectId);
  window.ShowBatchWindow();
  BatchWindow* batch = window.Batch();
  QStringList files;
  for (int i = 0; i < 4; ++i) files.append(WritePhoto(QString("p%1.png").arg(i), 1200, 900));
  batch->AddFiles(files);
  QSignalSpy finished(batch, &BatchWindow::finished);
  batch->Process();
  ASSERT_TRUE(window.Running());
  batch->Cancel();
  EXPECT_EQ(batch->List()->count(), 0);
  ASSERT_TRUE(finished.wait(30000));
  EXPECT_TRUE(finished.front().front().value<BatchSummary>().cancelled);
  EXPECT_LT(finished.front().front().value<BatchSummary>().written, 4);
  EXPECT_TRUE(QTest::qWaitFor([&] { return !batch->isVisible(); }, 3000));
}

TEST_F(AutomationWindowsTest, AScriptsStepsBecomeHistoryStepsThatUndoTakesBack) {
  window.ShowScriptWindow();
  ScriptWindow* script = window.Script();
  ASSERT_NE(script, nullptr);
  ScriptGrid grid;
  grid.SetCell(ScriptGrid::kCodeColumn, 1, std::to_string(script_action::kStoreLeft));
  grid.SetCell(ScriptGrid::kCodeColumn, 2, std::to_string(script_action::kInvert));
  grid.SetCell(ScriptGrid::kCodeColumn, 3, std::to_string(script_action::kRetrieveToRight));
  script->SetGrid(grid);
  const Bitmap24 photo = window.CurrentDocument().SourcePicture;
  const Bitmap24 drawing = window.CurrentDocument().ResultPicture;
  const int before = window.CurrentDocument().History().Position();

  QSignalSpy finished(script, &ScriptWindow::scriptFinished);
  ASSERT_TRUE(script->Run());
  ASSERT_TRUE(finished.wait(30000));
  EXPECT_EQ(finished.front().front().value<ScriptOutcome>(), ScriptOutcome::Finished);
  const Document& document = window.CurrentDocument();
  EXPECT_EQ(document.SourcePicture, photo) << "the photograph comes back at the end";
  EXPECT_EQ(document.ResultPicture, photo) << "the stored photograph went to the right";
  // invert: 2 steps, retrieve: 1, the photograph back: 1
  EXPECT_EQ(document.History().Position(), before + 4);
  window.Undo();  // the photograph's return
  window.Undo();  // the retrieve: the inverted drawing is back on the right
  Bitmap24 inverted = drawing;
  InvertColours(inverted);
  EXPECT_EQ(document.ResultPicture, inverted);
}

TEST_F(AutomationWindowsTest, ScriptsAreSavedAndLoadedAndAMalformedOneSaysWhere) {
  window.ShowScriptWindow();
  ScriptWindow* script = window.Script();
  QStringList told;
  script->SetDialogs([](const QString&) { return true; }, [&told](const QString& text) { told.append(text); },
                     [](const QString&, int proposal) { return std::optional<int>(proposal); });
  EXPECT_EQ(script->Table()->rowCount(), 49) << "the default script's 50 rows, the header apart";
  EXPECT_EQ(script->Table()->item(0, 0)->text(), "Pencil sketch 1");
  ASSERT_TRUE(script->SaveScript(Path("default.ats")));
  QFile saved(Path("default.ats"));
  ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
  EXPECT_EQ(saved.readAll().count('\n'), 352);

  script->NewScript();
  EXPECT_EQ(script->Table()->item(0, 0)->text(), "");
  script->FillLine(1, script_action::kResizeLeft);
  EXPECT_EQ(script->Grid().Cell(1, 1), "120") << "the photograph's width is proposed";
  EXPECT_EQ(script->Grid().Cell(ScriptGrid::kCodeColumn, 1), "101");
  window.Parameters()->SelectEffect(kVivifyEffectId);
  script->AddCurrentEffect(2);
  EXPECT_EQ(script->Grid().Cell(ScriptGrid::kCodeColumn, 2), std::to_string(kVivifyEffectId));
  EXPECT_EQ(script->Grid().Cell(1, 2), std::to_string(FactoryDefaults(kVivifyEffectId)[0]));

  ASSERT_TRUE(script->LoadScript(Path("default.ats")));
  EXPECT_EQ(script->Grid(), DefaultScript());
  QFile bad(Path("bad.ats"));
  ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
  bad.write("7\r\n2\r\n\r\nSome style\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\nnine\r\n");
  bad.close();
  ASSERT_TRUE(script->LoadScript(Path("bad.ats")));
  ASSERT_FALSE(told.isEmpty());
  EXPECT_TRUE(told.back().contains("line 16")) << told.back().toStdString();
}

}  // namespace
}  // namespace atelion
