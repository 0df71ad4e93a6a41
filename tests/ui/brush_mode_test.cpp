// The manual brush in the main window under the offscreen platform: "Manual brush" switches the
// mode, a drag with the left button paints the chosen style onto the drawing (tinted while
// dragging, computed on the worker after release), each stroke is one undo step, the other button
// pans, every style can be painted, and Esc or closing the brush window ends the mode.
#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QWheelEvent>
#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>
#include <QTest>
#include <QToolButton>

#include "styles/catalogue.h"
#include "tools/manual_brush.h"
#include "ui/brush_mode.h"
#include "ui/brush_window.h"
#include "ui/main_window.h"
#include "ui/parameters_window.h"
#include "ui/picture_panel.h"

namespace atelion {
namespace {

constexpr int kStrokeWaitMs = 60000;

// A picture with detail in both directions, so every style has edges to draw.
Bitmap24 Checked(int width, int height) {
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

// The panel position of picture pixel (x, y) at the panel's zoom.
QPoint PanelPoint(const PicturePanel& panel, int x, int y) {
  const ImagePlacement& placement = panel.Placement();
  return {placement.left + x * panel.Zoom() / 100, placement.top + y * panel.Zoom() / 100};
}

struct BrushFixture {
  MainWindow window;
  PicturePanel* panel = nullptr;
  BrushMode* brush = nullptr;

  explicit BrushFixture(int width = 200, int height = 150) {
    window.SetSourceAndResult(Checked(width, height), "checked.png");
    // The drawing differs from the photograph, so a style painted from the photograph shows.
    window.CurrentDocument().ResultPicture = Bitmap24(width, height, MakeColour(60, 150, 200));
    window.show();
    (void)QTest::qWaitForWindowExposed(&window);
    window.SetZoom(100);
    panel = window.findChild<PicturePanel*>("resultPanel");
    brush = window.ManualBrush();
    window.Parameters()->show();
    QTest::mouseClick(window.Parameters()->ManualBrushButton(), Qt::LeftButton);
  }

  // A left-button drag over picture pixels from `from` to `to`, then a wait for the stroke.
  bool Stroke(QPoint from, QPoint to) {
    QSignalSpy applied(brush, &BrushMode::strokeApplied);
    const QPoint a = PanelPoint(*panel, from.x(), from.y()), b = PanelPoint(*panel, to.x(), to.y());
    QTest::mousePress(panel, Qt::LeftButton, {}, a);
    for (int step = 1; step <= 4; ++step) QTest::mouseMove(panel, a + (b - a) * step / 4);
    QTest::mouseRelease(panel, Qt::LeftButton, {}, b);
    return applied.wait(kStrokeWaitMs) || applied.count() == 1;
  }
};

TEST(BrushModeTest, AStrokePaintsOnlyTheBrushedSpotAsOneUndoStep) {
  BrushFixture fixture;
  MainWindow& window = fixture.window;
  ASSERT_TRUE(fixture.brush->Active());
  EXPECT_FALSE(window.Parameters()->isVisible());
  EXPECT_TRUE(fixture.brush->Window()->isVisible());
  EXPECT_TRUE(fixture.brush->Action()->isChecked());
  ASSERT_TRUE(window.Parameters()->SelectEffect(kPencilSketch2EffectId));
  fixture.brush->Window()->SetSize(21);
  Document& document = window.CurrentDocument();
  const Bitmap24 before = document.ResultPicture;
  const int position = document.History().Position();

  // While dragging, the spot under the brush is tinted pink on the panel only.
  const QPoint a = PanelPoint(*fixture.panel, 60, 70), b = PanelPoint(*fixture.panel, 120, 70);
  QTest::mousePress(fixture.panel, Qt::LeftButton, {}, a);
  QTest::mouseMove(fixture.panel, (a + b) / 2);
  const QColor tinted = fixture.panel->Image().pixelColor(90, 70);
  EXPECT_GE(tinted.red(), 150);
  EXPECT_LE(tinted.green(), 10);
  EXPECT_EQ(document.ResultPicture, before);
  QSignalSpy applied(fixture.brush, &BrushMode::strokeApplied);
  QTest::mouseMove(fixture.panel, b);
  QTest::mouseRelease(fixture.panel, Qt::LeftButton, {}, b);
  ASSERT_TRUE(applied.wait(kStrokeWaitMs));

  const Bitmap24 painted = document.ResultPicture;
  EXPECT_EQ(document.History().Position(), position + 1);
  int changedNear = 0;
  for (int y = 0; y < 150; ++y) {
    for (int x = 0; x < 200; ++x) {
      const bool far = x < 60 - 22 || x > 120 + 22 || y < 70 - 22 || y > 70 + 22;
      if (far) {
        ASSERT_EQ(painted.Pixel(x, y), before.Pixel(x, y)) << x << "," << y;
      } else if (painted.Pixel(x, y) != before.Pixel(x, y)) {
        ++changedNear;
      }
    }
  }
  EXPECT_GT(changedNear, 1000);
  // The panel shows the drawing, no longer tinted.
  EXPECT_EQ(ToBitmap24(fixture.panel->Image()), painted);

  // A second stroke, a second step; undo takes them back one at a time, to the very bytes.
  ASSERT_TRUE(fixture.Stroke({100, 20}, {100, 120}));
  EXPECT_EQ(document.History().Position(), position + 2);
  window.Undo();
  EXPECT_EQ(document.ResultPicture, painted);
  window.Undo();
  EXPECT_EQ(document.ResultPicture, before);

  // Esc ends the mode: the parameters window comes back, the brush window goes.
  QTest::keyClick(&window, Qt::Key_Escape);
  EXPECT_FALSE(fixture.brush->Active());
  EXPECT_TRUE(window.Parameters()->isVisible());
  EXPECT_FALSE(fixture.brush->Window()->isVisible());
  EXPECT_FALSE(fixture.brush->Action()->isChecked());
}

TEST(BrushModeTest, TheFirstBrushHidesThePaintingFourPictograms) {
  MainWindow window;
  window.SetSourceAndResult(Checked(120, 90), "checked.png");
  window.show();
  (void)QTest::qWaitForWindowExposed(&window);
  ParametersWindow* parameters = window.Parameters();
  parameters->show();
  // As after a Painting 4 run: the HD painting and SVG pictograms are out.
  parameters->ShowStrokePictograms(true);
  ASSERT_NE(parameters->HdButton(), nullptr);
  ASSERT_FALSE(parameters->HdButton()->isHidden());
  QTest::mouseClick(parameters->ManualBrushButton(), Qt::LeftButton);
  ASSERT_TRUE(window.ManualBrush()->Active());
  EXPECT_TRUE(parameters->HdButton()->isHidden());
  EXPECT_TRUE(parameters->SvgButton()->isHidden());
}

TEST(BrushModeTest, EveryStyleCanBePaintedInTheWindow) {
  BrushFixture fixture(120, 90);
  MainWindow& window = fixture.window;
  fixture.brush->Window()->SetSize(15);
  for (int effectId = 0; effectId < kEffectCount; ++effectId) {
    SCOPED_TRACE(EffectName(effectId));
    ASSERT_TRUE(window.Parameters()->SelectEffect(effectId));
    const Bitmap24 before = window.CurrentDocument().ResultPicture;
    const int position = window.CurrentDocument().History().Position();
    const int y = 20 + (effectId % 5) * 12;
    ASSERT_TRUE(fixture.Stroke({30, y}, {90, y}));
    EXPECT_EQ(window.CurrentDocument().History().Position(), position + 1);
    EXPECT_NE(window.CurrentDocument().ResultPicture, before);
  }
}

TEST(BrushModeTest, PaintsTheRightSpotAtAnyZoomAndTheOtherButtonPans) {
  BrushFixture fixture(400, 300);
  MainWindow& window = fixture.window;
  ASSERT_TRUE(window.Parameters()->SelectEffect(kVivifyEffectId));
  window.SetZoom(200);
  ASSERT_EQ(fixture.panel->Zoom(), 200);
  fixture.brush->Window()->SetSize(11);
  const Bitmap24 before = window.CurrentDocument().ResultPicture;

  // The right button pans the pictures and paints nothing.
  const ImagePlacement start = fixture.panel->Placement();
  const QPoint grip(fixture.panel->width() / 2, fixture.panel->height() / 2);
  QTest::mousePress(fixture.panel, Qt::RightButton, {}, grip);
  QTest::mouseMove(fixture.panel, grip + QPoint(-40, -30));
  QTest::mouseRelease(fixture.panel, Qt::RightButton, {}, grip + QPoint(-40, -30));
  EXPECT_NE(fixture.panel->Placement(), start);
  EXPECT_EQ(window.CurrentDocument().ResultPicture, before);

  // A click in the middle of the panel paints the picture pixel under it.
  const Point target = fixture.panel->PictureAt(grip);
  ASSERT_TRUE(target.x > 20 && target.y > 20 && target.x < 380 && target.y < 280);
  QSignalSpy applied(fixture.brush, &BrushMode::strokeApplied);
  QTest::mouseClick(fixture.panel, Qt::LeftButton, {}, grip);
  ASSERT_TRUE(applied.wait(kStrokeWaitMs));
  const Bitmap24& painted = window.CurrentDocument().ResultPicture;
  EXPECT_NE(painted.Pixel(target.x, target.y), before.Pixel(target.x, target.y));
  EXPECT_EQ(painted.Pixel(target.x + 30, target.y), before.Pixel(target.x + 30, target.y));
  EXPECT_EQ(painted.Pixel(target.x, target.y - 30), before.Pixel(target.x, target.y - 30));

  // Dragging near the panel's right edge moves the pictures left, so the stroke can go on.
  const ImagePlacement beforeScroll = fixture.panel->Placement();
  ASSERT_GT(beforeScroll.left + beforeScroll.width, fixture.panel->width());
  const QPoint edge(fixture.panel->width() - 5, grip.y());
  QTest::mousePress(fixture.panel, Qt::LeftButton, {}, grip);
  QTest::mouseMove(fixture.panel, edge);
  QTest::mouseMove(fixture.panel, edge + QPoint(-1, 0));
  EXPECT_LT(fixture.panel->Placement().left, beforeScroll.left);
  QTest::mouseRelease(fixture.panel, Qt::LeftButton, {}, edge);
  ASSERT_TRUE(applied.wait(kStrokeWaitMs));
}

TEST(BrushModeTest, TheBrushWindowSetsTheBrushAndClosingItEndsTheMode) {
  BrushFixture fixture;
  BrushWindow* brushWindow = fixture.brush->Window();
  EXPECT_EQ(brushWindow->windowTitle(), "Retouch brush");
  EXPECT_EQ(brushWindow->SizeSlider()->minimum(), 5);
  EXPECT_EQ(brushWindow->SizeSlider()->maximum(), 199);
  EXPECT_EQ(brushWindow->SizeSlider()->value(), 99);
  EXPECT_EQ(brushWindow->IntensitySlider()->minimum(), 5);
  EXPECT_EQ(brushWindow->IntensitySlider()->maximum(), 100);
  EXPECT_EQ(brushWindow->PreviewLabel()->pixmap().size(), QSize(200, 200));

  // The cursor follows the brush size, the zoom and "X 2".
  EXPECT_EQ(fixture.brush->CursorSide(), BrushCursorSide(100, {.size = 99}));
  EXPECT_EQ(fixture.panel->cursor().pixmap().width(), fixture.brush->CursorSide());
  brushWindow->DoubleBox()->setChecked(true);
  EXPECT_EQ(fixture.brush->CursorSide(), BrushCursorSide(100, {.size = 99, .doubled = true}));
  fixture.window.SetZoom(50);
  QTest::mouseMove(fixture.panel, QPoint(10, 10));
  EXPECT_EQ(fixture.brush->CursorSide(), BrushCursorSide(50, {.size = 99, .doubled = true}));

  // The wheel over the window: up makes the brush smaller, down larger, within 5 … 199.
  for (const auto& [notches, size] : {std::pair{1, 94}, std::pair{-3, 109}, std::pair{40, 5}, std::pair{-60, 199}}) {
    QWheelEvent wheel(QPointF(20, 20), brushWindow->mapToGlobal(QPointF(20, 20)), {}, {0, notches * 120},
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(brushWindow, &wheel);
    EXPECT_EQ(brushWindow->SizeSlider()->value(), size);
  }

  brushWindow->close();
  EXPECT_FALSE(fixture.brush->Active());
  EXPECT_TRUE(fixture.window.Parameters()->isVisible());
  EXPECT_TRUE(fixture.panel->cursor().pixmap().isNull());
  // The toolbar's command switches it on again.
  fixture.brush->Action()->trigger();
  EXPECT_TRUE(fixture.brush->Active());
}

}  // namespace
}  // namespace atelion
