// The user's brushes and Painting 4's strokes in the windows, offscreen: "Load custom brush"
// gives each brush style its kind of brush and the next run paints with it, "Reset brush" takes it
// back; Painting 4's brush window loads, stretches and optimises; after a Painting 4 run the HD
// pictogram repaints the strokes larger as one history step (a stop keeps what was painted) and
// the SVG file holds one polygon per stroke.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QXmlStreamReader>
#include <cmath>

#include "core/geometry.h"
#include "document/image_view.h"
#include "imageio/image_files.h"
#include "styles/catalogue.h"
#include "styles/painting/custom_brushes.h"
#include "ui/custom_brush_window.h"
#include "ui/hd_painting_window.h"
#include "ui/main_window.h"
#include "ui/parameters_window.h"

namespace atelion {
namespace {

constexpr int kRunWaitMs = 120000;

// A photograph-like picture with soft colour areas and some edges.
Bitmap24 Scene(int width, int height) {
  Bitmap24 picture(width, height);
  for (int y = 0; y < height; ++y) {
    std::uint8_t* row = picture.Row(y);
    for (int x = 0; x < width; ++x) {
      const double dx = x - width * 0.4, dy = y - height * 0.55;
      const bool disc = dx * dx + dy * dy < width * height * 0.06;
      row[3 * x + 0] = static_cast<std::uint8_t>(disc ? 40 : 200 - y * 120 / height);
      row[3 * x + 1] = static_cast<std::uint8_t>(disc ? 90 + x * 60 / width : 150 + x * 80 / width);
      row[3 * x + 2] = static_cast<std::uint8_t>(disc ? 210 : 90 + (x / 13 % 2) * 30);
    }
  }
  return picture;
}

// A flat bristle brush drawn here: dark streaks along its length with soft, ragged ends, on a
// transparent ground, turned by `slant` degrees.
QImage BristleBrush(int width, int height, double slant) {
  QImage brush(width, height, QImage::Format_ARGB32);
  brush.fill(Qt::transparent);
  QPainter painter(&brush);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.translate(width / 2.0, height / 2.0);
  painter.rotate(slant);
  const double length = width * 0.8, thickness = height * 0.5;
  unsigned state = 12345u;
  for (int bristle = 0; bristle < 40; ++bristle) {
    state = state * 1664525u + 1013904223u;
    const double jitter = (state >> 8) % 1000 / 1000.0;
    const double y = -thickness / 2 + thickness * (bristle + jitter) / 40.0;
    const double start = -length / 2 + jitter * length * 0.1, end = length / 2 - (1 - jitter) * length * 0.12;
    QColor ink(30, 30, 30, 150 + static_cast<int>(jitter * 100));
    painter.setPen(QPen(ink, thickness / 28.0, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(start, y), QPointF(end, y));
  }
  return brush;
}

// An opaque stamp for Paintings 7 and 8: a dark four-pointed star on white.
QImage StarStamp(int side) {
  QImage stamp(side, side, QImage::Format_RGB32);
  stamp.fill(Qt::white);
  QPainter painter(&stamp);
  painter.setRenderHint(QPainter::Antialiasing);
  QPainterPath star;
  const double c = side / 2.0;
  star.moveTo(c, 0);
  star.lineTo(c + side * 0.12, c - side * 0.12);
  star.lineTo(side, c);
  star.lineTo(c + side * 0.12, c + side * 0.12);
  star.lineTo(c, side);
  star.lineTo(c - side * 0.12, c + side * 0.12);
  star.lineTo(0, c);
  star.lineTo(c - side * 0.12, c - side * 0.12);
  star.closeSubpath();
  painter.fillPath(star, QColor(20, 20, 20));
  return stamp;
}

bool SamePixels(const Bitmap24& a, const Bitmap24& b) { return a == b; }

class BrushWindowsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(folder.isValid());
    ASSERT_TRUE(BristleBrush(300, 120, 0).save(Path("flat.png")));
    ASSERT_TRUE(BristleBrush(300, 300, 35).save(Path("slanted.png")));
    ASSERT_TRUE(StarStamp(90).save(Path("star.png")));
    window.SetSourcePicture(Scene(96, 72), "scene.png");
    window.Parameters()->SetBrushFileChooser([this](const QString&, const QString&, const QString&, bool many) {
      ++dialogs;
      return many ? chosenMany : chosenMany.mid(0, 1);
    });
  }

  QString Path(const QString& name) const { return QDir(folder.path()).filePath(name); }

  RunOutcome DrawAndWait() {
    // Painting 11 draws from the run's generator as it stands: the same seed for every run here.
    window.Context().Rng.RandomSeed = 4242;
    QSignalSpy finished(&window, &MainWindow::runFinished);
    QTest::mouseClick(window.Parameters()->DrawButton(), Qt::LeftButton);
    EXPECT_TRUE(finished.wait(kRunWaitMs));
    return finished.isEmpty() ? RunOutcome::Waiting : finished.first().first().value<RunOutcome>();
  }

  Bitmap24 Draw() {
    EXPECT_EQ(DrawAndWait(), RunOutcome::Finished);
    return window.CurrentDocument().ResultPicture;
  }

  // Fewer, larger marks than the factory values, so the runs here stay short.
  void QuickSliders(int effectId) {
    if (effectId == kPainting4EffectId) window.Parameters()->Slider(kSlotTrackBar5)->setValue(8);
  }

  QTemporaryDir folder;
  MainWindow window;
  QStringList chosenMany;
  int dialogs = 0;
};

// Each brush style takes its own kind of brush; the next run paints with it and differs from one
// with the shipped brush; "Reset brush" brings the shipped brush's picture back exactly.
TEST_F(BrushWindowsTest, LoadingACustomBrushChangesTheNextRunAndResetTakesItBack) {
  struct Case {
    const char* name;
    int effectId;
    const char* file;
    std::function<bool(const UserBrushes&)> loaded;
  } const cases[] = {
      {"Painting 7", kPainting7EffectId, "star.png", [](const UserBrushes& b) { return b.stamp != nullptr; }},
      {"Painting 8", kPainting8EffectId, "star.png", [](const UserBrushes& b) { return b.stamp != nullptr; }},
      {"Painting 10", kPainting10EffectId, "flat.png", [](const UserBrushes& b) { return b.paintBrush3D != nullptr; }},
      {"Painting 11", kPainting11EffectId, "flat.png", [](const UserBrushes& b) { return b.sheet != nullptr; }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(window.Parameters()->SelectEffect(c.effectId));
    QuickSliders(c.effectId);
    const Bitmap24 shipped = Draw();
    window.Undo();
    chosenMany = {Path(c.file), Path("slanted.png")};
    window.Parameters()->LoadBrushButton()->click();
    ASSERT_TRUE(c.loaded(window.Parameters()->Brushes()));
    const Bitmap24 custom = Draw();
    EXPECT_EQ(custom.Width(), shipped.Width());
    EXPECT_FALSE(SamePixels(custom, shipped));
    window.Undo();
    window.Parameters()->ResetBrushButton()->click();
    EXPECT_FALSE(c.loaded(window.Parameters()->Brushes()));
    // Painting 7 sharpens the photograph itself, and Painting 11 is not seeded: only the others
    // can be painted again from the same photograph alike.
    if (c.effectId == kPainting10EffectId) {
      EXPECT_TRUE(SamePixels(Draw(), shipped));
      window.Undo();
    }
  }
  // The folder of the last brush is kept for the next start.
  Settings stored;
  window.Parameters()->CollectSettings(stored);
  EXPECT_EQ(QDir(QString::fromStdString(stored.lastBrushFolder)), QDir(folder.path()));
}

TEST_F(BrushWindowsTest, Painting7StampIsTheLoadedPictureOnAWhiteSquare) {
  ASSERT_TRUE(window.Parameters()->SelectEffect(kPainting7EffectId));
  ASSERT_TRUE(window.Parameters()->LoadCustomBrush(Path("star.png").toStdString()));
  const Bitmap24& stamp = *window.Parameters()->Brushes().stamp;
  EXPECT_EQ(stamp.Width(), 90 * 142 / 100);
  EXPECT_EQ(stamp.Height(), stamp.Width());
  EXPECT_EQ(stamp.Pixel(0, 0), 0xFFFFFFu);
  EXPECT_EQ(stamp.Pixel(stamp.Width() / 2, stamp.Height() / 2), 0x141414u);
  // An unreadable file changes nothing.
  EXPECT_FALSE(window.Parameters()->LoadCustomBrush(Path("missing.png").toStdString()));
  EXPECT_EQ(window.Parameters()->Brushes().stamp->Width(), 127);
}

// Painting 11: cancelling its dialog puts the shipped sheets back; more files than a row fill more.
TEST_F(BrushWindowsTest, Painting11SheetFollowsTheChosenFiles) {
  ASSERT_TRUE(window.Parameters()->SelectEffect(kPainting11EffectId));
  chosenMany = {};
  for (int i = 0; i < 9; ++i) chosenMany << Path(i % 2 ? "flat.png" : "slanted.png");
  window.Parameters()->LoadBrushButton()->click();
  const auto& sheet = window.Parameters()->Brushes().sheet;
  ASSERT_NE(sheet, nullptr);
  EXPECT_EQ(sheet->count, 9);
  EXPECT_EQ(sheet->sheet.Height(), 512);
  chosenMany = {};
  window.Parameters()->LoadBrushButton()->click();
  EXPECT_EQ(window.Parameters()->Brushes().sheet, nullptr);
}

// Painting 4's brush window: the chosen pictures are stretched to 512 × 256 and, when the user
// says yes, turned to fill their frame; the next run paints with them.
TEST_F(BrushWindowsTest, BrushWindowLoadsAndOptimisesPainting4Brushes) {
  ASSERT_TRUE(window.Parameters()->SelectEffect(kPainting4EffectId));
  QuickSliders(kPainting4EffectId);
  const Bitmap24 shipped = Draw();
  window.Undo();

  struct Case {
    bool optimise;
  } const cases[] = {{false}, {true}};
  std::vector<int> dense;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.optimise);
    chosenMany = {Path("slanted.png"), Path("flat.png")};
    window.Parameters()->LoadBrushButton()->click();
    CustomBrushWindow* brushWindow = window.Parameters()->BrushWindow();
    ASSERT_NE(brushWindow, nullptr);
    int asked = 0;
    brushWindow->SetOptimizeQuestion([&](int count) {
      asked = count;
      return c.optimise;
    });
    QTRY_VERIFY_WITH_TIMEOUT(!brushWindow->isVisible(), 30000);
    EXPECT_EQ(asked, 2);
    const UserBrushes& brushes = window.Parameters()->Brushes();
    ASSERT_NE(brushes.strokeBrushes, nullptr);
    ASSERT_EQ(brushes.strokeBrushes->size(), 2u);
    for (const Bitmap32& brush : *brushes.strokeBrushes) {
      EXPECT_EQ(brush.Width(), kStrokeBrushWidth);
      EXPECT_EQ(brush.Height(), kStrokeBrushHeight);
    }
    EXPECT_EQ(brushes.strokeBrushPaths.size(), 2u);
    EXPECT_EQ(brushWindow->Counter()->text(), "2/2");
    dense.push_back(CountDensePixels(brushes.strokeBrushes->front()));
  }
  // The slanted brush, turned upright, fills far more of its frame.
  EXPECT_GT(dense[1], dense[0] * 3 / 2);

  const Bitmap24 custom = Draw();
  EXPECT_FALSE(SamePixels(custom, shipped));
  window.Undo();
  window.Parameters()->ResetBrushButton()->click();
  EXPECT_EQ(window.Parameters()->Brushes().strokeBrushes, nullptr);
  EXPECT_TRUE(SamePixels(Draw(), shipped));

  // Nothing chosen: the window closes and the brushes stay as they were.
  chosenMany = {};
  window.Parameters()->LoadBrushButton()->click();
  QTRY_VERIFY(!window.Parameters()->BrushWindow()->isVisible());
  EXPECT_EQ(window.Parameters()->Brushes().strokeBrushes, nullptr);
}

class StrokeProductsTest : public BrushWindowsTest {
 protected:
  void PaintStrokes() {
    ASSERT_TRUE(window.Parameters()->SelectEffect(kPainting4EffectId));
    QuickSliders(kPainting4EffectId);
    EXPECT_FALSE(window.Parameters()->HdButton()->isVisibleTo(window.Parameters()));
    ASSERT_EQ(DrawAndWait(), RunOutcome::Finished);
    ASSERT_FALSE(window.Strokes().strokes.empty());
  }

  // Clicks the HD pictogram, sets the scale and presses OK.
  HdPaintingWindow* StartReplay(int percent) {
    window.Parameters()->HdButton()->click();
    HdPaintingWindow* hd = window.HdPainting();
    EXPECT_NE(hd, nullptr);
    if (hd == nullptr) return nullptr;
    EXPECT_TRUE(hd->isVisible());
    hd->Scale()->setValue(percent);
    hd->OkButton()->click();
    return hd;
  }
};

TEST_F(StrokeProductsTest, HdRepaintsTheStrokesLargerAsOneHistoryStep) {
  PaintStrokes();
  EXPECT_TRUE(window.Parameters()->HdButton()->isVisibleTo(window.Parameters()));
  EXPECT_TRUE(window.Parameters()->SvgButton()->isVisibleTo(window.Parameters()));
  Document& document = window.CurrentDocument();
  const Bitmap24 painted = document.ResultPicture;
  const int position = document.History().Position();

  HdPaintingWindow* hd = StartReplay(250);
  ASSERT_NE(hd, nullptr);
  EXPECT_EQ(hd->PercentLabel()->text(), "250 %");
  EXPECT_EQ(hd->WidthLabel()->text(), "240");
  EXPECT_EQ(hd->HeightLabel()->text(), "180");
  QTRY_VERIFY_WITH_TIMEOUT(!window.Running(), kRunWaitMs);
  EXPECT_FALSE(hd->isVisible());
  EXPECT_EQ(document.ResultPicture.Width(), 240);
  EXPECT_EQ(document.ResultPicture.Height(), 180);
  EXPECT_EQ(document.History().Position(), position + 1);
  // The larger painting is the same painting: scaled back down it stays close to the run's.
  Bitmap24 reduced(painted.Width(), painted.Height());
  Resample(document.ResultPicture, reduced);
  std::int64_t difference = 0;
  for (int y = 0; y < reduced.Height(); ++y) {
    for (int x = 0; x < 3 * reduced.Width(); ++x) difference += std::abs(reduced.Row(y)[x] - painted.Row(y)[x]);
  }
  EXPECT_LT(difference / (3 * reduced.Width() * reduced.Height()), 40);
  // The strokes stay: another size can be had, and one undo brings the run's picture back.
  EXPECT_FALSE(window.Strokes().strokes.empty());
  window.Undo();
  EXPECT_TRUE(SamePixels(document.ResultPicture, painted));
}

TEST_F(StrokeProductsTest, HdScaleIsHeldWithinTheLargestSide) {
  PaintStrokes();
  window.Parameters()->HdButton()->click();
  HdPaintingWindow* hd = window.HdPainting();
  ASSERT_NE(hd, nullptr);
  struct Case {
    int width, height, asked, held;
  } const cases[] = {{4000, 100, 900, 500},    {100, 4000, 1000, 500},  {96, 72, 1000, 1000},
                     {1500, 700, 1000, 1000}, {1999, 10, 1000, 1000}, {4000, 3000, 1000, 456}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.width << " x " << c.height);
    hd->SetSourceSize(c.width, c.height);
    hd->Scale()->setValue(c.asked);
    EXPECT_EQ(hd->Percent(), c.held);
    EXPECT_LE(static_cast<long long>(hd->Percent()) * c.width / 100, 20000);
    EXPECT_LE(static_cast<long long>(hd->Percent()) * c.height / 100, 20000);
    EXPECT_EQ(hd->WidthLabel()->text().toLongLong(), static_cast<long long>(c.held) * c.width / 100);
  }
  hd->Scale()->setValue(300);
  QTest::keyClick(hd, Qt::Key_Right);
  EXPECT_EQ(hd->Percent(), 301);
  QTest::keyClick(hd, Qt::Key_Escape);
  EXPECT_FALSE(hd->isVisible());
}

// A stop during the repainting keeps the picture painted so far, at the size it had reached, as
// one history step.
TEST_F(StrokeProductsTest, CancellingTheRepaintingKeepsAPartialPicture) {
  window.SetSourcePicture(Scene(240, 180), "scene.png");
  ASSERT_TRUE(window.Parameters()->SelectEffect(kPainting4EffectId));
  ASSERT_EQ(DrawAndWait(), RunOutcome::Finished);
  const std::size_t strokes = window.Strokes().strokes.size();
  ASSERT_GT(strokes, 100u);
  Document& document = window.CurrentDocument();
  const int position = document.History().Position();
  HdPaintingWindow* hd = StartReplay(1000);
  ASSERT_NE(hd, nullptr);
  ASSERT_TRUE(window.Running());
  hd->CancelButton()->click();
  QTRY_VERIFY_WITH_TIMEOUT(!window.Running(), kRunWaitMs);
  EXPECT_EQ(document.History().Position(), position + 1);
  const Bitmap24& partial = document.ResultPicture;
  // Stopped within the first tenth the picture is still at half the size.
  EXPECT_EQ(partial.Width(), 1200);
  EXPECT_EQ(partial.Height(), 900);
  // At least the stroke under way when the stop came was painted.
  int painted = 0;
  for (int y = 0; y < partial.Height(); y += 3) {
    for (int x = 0; x < partial.Width(); x += 3) painted += partial.Pixel(x, y) != 0xFFFFFF ? 1 : 0;
  }
  EXPECT_GT(painted, 0);
  EXPECT_FALSE(hd->isVisible());
}

TEST_F(StrokeProductsTest, SvgHoldsOnePolygonPerStroke) {
  PaintStrokes();
  const QString path = Path("strokes.svg");
  ASSERT_TRUE(window.SaveStrokeSvg(path.toStdString()));
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  QXmlStreamReader xml(&file);
  int polygons = 0;
  QString width, height, namespaceUri;
  while (!xml.atEnd()) {
    if (xml.readNext() != QXmlStreamReader::StartElement) continue;
    if (xml.name() == QStringLiteral("svg")) {
      width = xml.attributes().value("width").toString();
      height = xml.attributes().value("height").toString();
      namespaceUri = xml.namespaceUri().toString();
    } else if (xml.name() == QStringLiteral("polygon")) {
      ++polygons;
      EXPECT_EQ(xml.attributes().value("points").toString().split(',').size(), 8);
    }
  }
  EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
  EXPECT_EQ(polygons, static_cast<int>(window.Strokes().strokes.size()));
  EXPECT_EQ(width, "96");
  EXPECT_EQ(height, "72");
  EXPECT_EQ(namespaceUri, "http://www.w3.org/2000/svg");
}

// The pictograms go with the strokes: a slider other than the blending or an edit of the
// photograph hides them, and a new picture empties the strokes as well.
TEST_F(StrokeProductsTest, PictogramsHideWithASliderAndANewPicture) {
  PaintStrokes();
  ParametersWindow* parameters = window.Parameters();
  parameters->Slider(kSlotTrackBar3)->setValue(parameters->Slider(kSlotTrackBar3)->value() + 5);
  EXPECT_TRUE(parameters->HdButton()->isVisibleTo(parameters));
  parameters->Slider(kSlotTrackBar4)->setValue(parameters->Slider(kSlotTrackBar4)->value() + 5);
  EXPECT_FALSE(parameters->HdButton()->isVisibleTo(parameters));
  EXPECT_FALSE(parameters->SvgButton()->isVisibleTo(parameters));
  EXPECT_FALSE(window.Strokes().strokes.empty());

  ASSERT_EQ(DrawAndWait(), RunOutcome::Finished);
  EXPECT_TRUE(parameters->HdButton()->isVisibleTo(parameters));
  window.RotateRight();
  EXPECT_FALSE(parameters->HdButton()->isVisibleTo(parameters));

  ASSERT_EQ(DrawAndWait(), RunOutcome::Finished);
  EXPECT_TRUE(parameters->HdButton()->isVisibleTo(parameters));
  window.SetSourcePicture(Scene(50, 40), "other.png");
  EXPECT_FALSE(parameters->HdButton()->isVisibleTo(parameters));
  EXPECT_TRUE(window.Strokes().strokes.empty());
  window.ShowHdPainting();
  EXPECT_TRUE(window.HdPainting() == nullptr || !window.HdPainting()->isVisible());
}

}  // namespace
}  // namespace atelion
