// The main window's direct commands under the offscreen platform: quarter turns, invert and
// automatic contrast from their keys, a crop drawn with the mouse, the clipboard both ways, the
// print window printing to PDF, the full-screen view and the zoom buttons.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QScreen>
#include <QRadioButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include "document/full_screen.h"
#include "document/source_edits.h"
#include "ui/full_screen_view.h"
#include "ui/main_window.h"
#include "ui/picture_panel.h"
#include "ui/print_window.h"

namespace atelion {
namespace {

Bitmap24 Pattern(int width, int height) {
  Bitmap24 picture(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) picture.SetPixel(x, y, MakeColour(x * 255 / width, y * 255 / height, (x + y) % 7 * 30));
  }
  return picture;
}

class WindowCommandsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window.SetSourcePicture(Pattern(120, 80), "pattern.png");
    window.resize(1200, 700);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  }
  Document& document() { return window.CurrentDocument(); }
  PicturePanel* SourcePanel() { return window.findChild<PicturePanel*>("sourcePanel"); }
  PicturePanel* ResultPanel() { return window.findChild<PicturePanel*>("resultPanel"); }

  MainWindow window;
};

TEST_F(WindowCommandsTest, KeysTurnInvertAndSharpenWithOneUndoableStepEach) {
  const Bitmap24 source = document().SourcePicture;
  const int resultHeight = document().ResultPicture.Height();
  const int before = document().History().Position();
  QTest::keyClick(&window, Qt::Key_R);
  EXPECT_EQ(document().SourcePicture.Width(), 80);
  EXPECT_EQ(document().ResultPicture.Width(), resultHeight);
  QTest::keyClick(&window, Qt::Key_L);
  EXPECT_EQ(document().SourcePicture, source);
  QTest::keyClick(&window, Qt::Key_I, Qt::ControlModifier);
  EXPECT_EQ(document().SourcePicture.Pixel(0, 0), 0xFFFFFFu - source.Pixel(0, 0));
  QTest::keyClick(&window, Qt::Key_A, Qt::ControlModifier);
  EXPECT_EQ(document().History().Position(), before + 2 + 2 + 2 + 1);
  window.Undo();
  EXPECT_EQ(document().SourcePicture.Width(), 120);
  EXPECT_NE(document().SourcePicture.Pixel(0, 0), source.Pixel(0, 0)) << "undo went back to the inverted photograph";
  while (document().History().Position() > before) window.Undo();
  EXPECT_EQ(document().SourcePicture, source) << "every edit undone gives back the very pixels";
}

TEST_F(WindowCommandsTest, ACropDrawnOnThePhotographAsksAndKeepsTheSelection) {
  window.SetZoom(100);
  PicturePanel* panel = SourcePanel();
  panel->Centre();
  const ImagePlacement placed = panel->Placement();
  const QPoint from(placed.left + 10, placed.top + 5);
  const QPoint to(placed.left + 40, placed.top + 25);
  QStringList asked;
  bool answer = false;
  window.SetCropQuestion([&](const QString& question) {
    asked << question;
    return answer;
  });
  for (bool crop : {false, true}) {
    answer = crop;
    window.StartCrop();
    ASSERT_TRUE(window.CropArmed());
    QTest::keyClick(&window, Qt::Key_R);
    EXPECT_EQ(document().SourcePicture.Width(), 120) << "no turn while a crop is armed";
    QTest::mousePress(panel, Qt::LeftButton, Qt::NoModifier, from);
    QTest::mouseMove(panel, to);
    QMouseEvent move(QEvent::MouseMove, to, panel->mapToGlobal(to), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(panel, &move);
    QTest::mouseRelease(panel, Qt::LeftButton, Qt::NoModifier, to);
    EXPECT_FALSE(window.CropArmed());
  }
  ASSERT_EQ(asked.size(), 2);
  EXPECT_EQ(asked.front().toStdString(), "Do you wish to crop the image?");
  EXPECT_EQ(document().SourceSize, (PictureSize{31, 21}));
}

TEST_F(WindowCommandsTest, TheDrawingGoesToTheClipboardAndAPastedPictureBecomesThePhotograph) {
  window.CopyDrawing();
  const QImage copied = QGuiApplication::clipboard()->image();
  ASSERT_FALSE(copied.isNull()) << "the offscreen clipboard keeps images within the program";
  EXPECT_EQ(ToBitmap24(copied), document().ResultPicture);

  const Bitmap24 pasted = Pattern(50, 30);
  QGuiApplication::clipboard()->setImage(ToQImage(pasted));
  window.PastePicture();
  EXPECT_EQ(document().SourcePicture, pasted);
  EXPECT_EQ(document().SourceDisplayName, std::string(kPastedImageName));
  EXPECT_EQ(document().ResultPicture, pasted) << "a picture of another size replaces the drawing too";
}

TEST_F(WindowCommandsTest, ThePrintWindowPrintsTheDrawingOnAPdfPage) {
  QTemporaryDir folder;
  const QString path = folder.filePath("page.pdf");
  window.ShowPrintWindow();
  PrintWindow* print = window.PrintPreview();
  ASSERT_NE(print, nullptr);
  print->PrintToPdf(path);
  // A wide drawing (the sample, 600 × 400) turns the page to landscape; "Full page" fills it.
  ASSERT_NE(print->findChild<QRadioButton*>("landscape"), nullptr);
  EXPECT_TRUE(print->findChild<QRadioButton*>("landscape")->isChecked());
  print->findChild<QRadioButton*>("fullPage")->setChecked(true);
  const PrintedPage page = print->Page();
  EXPECT_GT(page.width, page.height);
  const PictureSize drawing{document().ResultPicture.Width(), document().ResultPicture.Height()};
  EXPECT_EQ(print->Placement().scale, FullPageScale(page, drawing));
  ASSERT_TRUE(print->PrintPage());
  QFile pdf(path);
  ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
  const QByteArray bytes = pdf.readAll();
  EXPECT_TRUE(bytes.startsWith("%PDF"));
  EXPECT_TRUE(bytes.contains("/Subtype /Image")) << "the drawing is on the page";
  // The page's media box is landscape, in points.
  const int box = bytes.indexOf("/MediaBox");
  ASSERT_GE(box, 0);
  const QList<QByteArray> numbers = bytes.mid(box, 60).split('[').value(1).split(']').value(0).simplified().split(' ');
  ASSERT_EQ(numbers.size(), 4);
  EXPECT_GT(numbers[2].toDouble(), numbers[3].toDouble());
  print->close();
}

TEST_F(WindowCommandsTest, ADoubleClickShowsThePictureFullScreenUntilAKey) {
  QTest::mouseDClick(ResultPanel(), Qt::LeftButton, Qt::NoModifier, ResultPanel()->rect().center());
  FullScreenView* view = window.FullScreen();
  ASSERT_NE(view, nullptr);
  EXPECT_TRUE(view->isVisible());
  const QRect screen = view->screen()->geometry();
  const PlacedRect expected = FullScreenPlacement({screen.width(), screen.height()}, {120, 80});
  EXPECT_EQ(view->PictureRect(), QRect(expected.left, expected.top, expected.width, expected.height));
  QTest::keyClick(view, Qt::Key_Space);
  EXPECT_FALSE(view->isVisible());
}

TEST_F(WindowCommandsTest, ZoomButtonsStepWhileHeldAndJumpOnARightClick) {
  window.SetZoom(100);
  auto* zoomIn = window.findChild<QToolButton*>("mainZoomInButton");
  auto* zoomOut = window.findChild<QToolButton*>("mainZoomOutButton");
  ASSERT_NE(zoomIn, nullptr);
  ASSERT_NE(zoomOut, nullptr);
  QTest::mousePress(zoomIn, Qt::LeftButton);
  QTest::qWait(120);
  QTest::mouseRelease(zoomIn, Qt::LeftButton);
  EXPECT_GT(window.Zoom(), 103);
  window.SetZoom(250);
  emit zoomOut->customContextMenuRequested(QPoint(2, 2));
  EXPECT_EQ(window.Zoom(), 150);
}

}  // namespace
}  // namespace atelion
