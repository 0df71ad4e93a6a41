// The drawing-parameters window on its own under the offscreen platform: what it keeps of the
// settings file, the live preview's scheduling, worker and crop, the style's extra controls and
// the parameter-file menu.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <filesystem>

#include "imageio/image_files.h"
#include "document/settings_file.h"
#include "effects/preview.h"
#include "finishing/texture.h"
#include "support/picture_checksum.h"
#include "ui/live_preview.h"
#include "ui/main_window.h"
#include "ui/parameters_window.h"
#include "styles/painting/custom_brushes.h"
#include "ui/preview_box.h"
#include "ui/texture_knob.h"

namespace atelion {
namespace {

using testing_support::Fnv1a;
using testing_support::SyntheticPhoto;

constexpr int kWaitMs = 60000;  // generous, so a stuck preview fails instead of hanging
constexpr int kPencilSketch = 0;
constexpr int kVivify = 12;
constexpr int kPainting7 = 15;
constexpr int kEmergence = 22;

bool SamePixels(const Bitmap24& a, const Bitmap24& b) {
  return a.Width() == b.Width() && a.Height() == b.Height() && Fnv1a(a) == Fnv1a(b);
}

// The box picture the window should end up with: the style run on the crop without the window.
Bitmap24 ExpectedBox(const ParametersWindow& window, const Bitmap24& source) {
  const LivePreview& preview = *window.Preview();
  PreviewInput input{PreviewCrop(source, preview.CropOrigin(), preview.CropSize()), window.CurrentStyleSettings(),
                     window.CurrentFinishingSettings()};
  input.style.sourceMean = ComputeMeanColour(source);
  if (input.finishing.texture.enabled) {
    Bitmap24 sheet;
    EXPECT_TRUE(LoadTextureSheet(sheet));
    input.finishing.textureTile = SelectTextureTile(sheet, input.finishing.texture.tileIndex);
  }
  RunContext context;
  return ShowInBox(RunStylePreview(input, context).picture, preview.Zoom());
}

void SendMouse(QWidget* widget, QEvent::Type type, Qt::MouseButton button, QPoint at) {
  const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
  QMouseEvent event(type, QPointF(at), widget->mapToGlobal(QPointF(at)), button, held, Qt::NoModifier);
  QApplication::sendEvent(widget, &event);
}

class LivePreviewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window.SetPictures(source, source);
    window.setFloating(true);
    window.show();
    // Showing the window schedules the first preview; let it finish so each test starts idle.
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window.Preview()->PreviewTimer()->isActive() &&
                                             !window.Preview()->Computing(); }, kWaitMs));
  }

  Bitmap24 source = SyntheticPhoto(500, 340);
  ParametersWindow window;
};

TEST_F(LivePreviewTest, SliderMoveDebouncesThenShowsTheStylesPreviewOfTheCrop) {
  ASSERT_TRUE(window.SelectEffect(kVivify));
  LivePreview* preview = window.Preview();
  EXPECT_EQ(preview->PreviewTimer()->interval(), LivePreview::kStyleSelectionDelay);
  QSignalSpy shown(preview, &LivePreview::previewShown);
  QSignalSpy debounced(preview->SliderTimer(), &QTimer::timeout);

  window.Slider(0)->setValue(window.Slider(0)->value() + 40);
  EXPECT_FALSE(preview->PreviewTimer()->isActive());  // the debounce comes first
  EXPECT_TRUE(preview->SliderTimer()->isActive());
  EXPECT_EQ(preview->SliderTimer()->interval(), LivePreview::kSliderDebounce);
  ASSERT_TRUE(debounced.wait(kWaitMs));
  EXPECT_FALSE(preview->SliderTimer()->isActive());
  EXPECT_EQ(preview->PreviewTimer()->interval(), LivePreview::kSliderDebounce);

  ASSERT_TRUE(QTest::qWaitFor([&] { return shown.count() >= 1; }, kWaitMs));
  EXPECT_FALSE(window.Box()->Working());
  EXPECT_TRUE(SamePixels(window.Box()->Picture(), ExpectedBox(window, source)));
}

TEST_F(LivePreviewTest, OptionsDragAndZoomLetTheDelayGrowUpToTheirCaps) {
  LivePreview* preview = window.Preview();
  struct Case {
    const char* what;
    std::function<void(int)> step;
    int increment;
    int cap;
  };
  const std::vector<Case> cases = {
      {"option pictogram", [&](int) { window.SoftenButton()->toggle(); }, 100, 500},
      {"zoom slider", [&](int i) { window.ZoomSlider()->setValue(26 + i); }, 100, 700},
      {"drag on the box", [&](int i) { preview->DragTo(QPoint(100 + i, 100)); }, 100, 500},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    preview->PreviewTimer()->stop();
    if (std::string(c.what) == "drag on the box") preview->BeginDrag(QPoint(100, 100));
    for (int i = 0; i < 9; ++i) {
      c.step(i);
      EXPECT_EQ(preview->PreviewTimer()->interval(), std::min((i + 1) * c.increment, c.cap));
    }
  }
  // Releasing the drag adds 200 ms on top, up to 700 ms.
  preview->EndDrag();
  EXPECT_EQ(preview->PreviewTimer()->interval(), 700);
}

TEST_F(LivePreviewTest, AChangeWhileAPreviewComputesAbortsItAndTheNewOneIsShown) {
  ASSERT_TRUE(window.SelectEffect(kEmergence));
  window.ZoomSlider()->setValue(100);  // the widest crop, so the preview is still computing below
  LivePreview* preview = window.Preview();
  QSignalSpy started(preview, &LivePreview::previewStarted);
  QSignalSpy shown(preview, &LivePreview::previewShown);
  preview->SchedulePreview(0);
  ASSERT_TRUE(started.wait(kWaitMs));
  ASSERT_TRUE(preview->Computing());

  window.Slider(1)->setValue(window.Slider(1)->value() - 30);
  ASSERT_TRUE(QTest::qWaitFor([&] { return shown.count() >= 1; }, kWaitMs));
  // The first preview was dropped: only the one with the new value reached the box.
  EXPECT_EQ(started.count(), 2);
  EXPECT_EQ(shown.count(), 1);
  EXPECT_TRUE(SamePixels(window.Box()->Picture(), ExpectedBox(window, source)));
}

TEST_F(LivePreviewTest, TextureChangesRetextureTheShownPreviewWithoutRunningTheStyleAgain) {
  ASSERT_TRUE(window.SelectEffect(kVivify));
  LivePreview* preview = window.Preview();
  QSignalSpy started(preview, &LivePreview::previewStarted);
  QSignalSpy shown(preview, &LivePreview::previewShown);
  window.TextureButton()->toggle();
  ASSERT_TRUE(QTest::qWaitFor([&] { return shown.count() >= 1 && !preview->PreviewTimer()->isActive(); }, kWaitMs));
  EXPECT_TRUE(SamePixels(window.Box()->Picture(), ExpectedBox(window, source)));
  const int runs = started.count();

  auto* strength = window.findChild<QSpinBox*>("textureStrength");
  auto* tile = window.findChild<QSpinBox*>("textureTile");
  ASSERT_NE(strength, nullptr);
  ASSERT_NE(tile, nullptr);
  strength->setValue(70);
  tile->setValue(4);
  ASSERT_TRUE(QTest::qWaitFor([&] { return shown.count() >= 2; }, kWaitMs));
  EXPECT_EQ(started.count(), runs);
  EXPECT_TRUE(SamePixels(window.Box()->Picture(), ExpectedBox(window, source)));
}

TEST_F(LivePreviewTest, TurningTheKnobSetsTheStrengthAndRetexturesWithoutAStyleRun) {
  ASSERT_TRUE(window.SelectEffect(kVivify));
  LivePreview* preview = window.Preview();
  QSignalSpy started(preview, &LivePreview::previewStarted);
  QSignalSpy shown(preview, &LivePreview::previewShown);
  window.TextureButton()->toggle();
  ASSERT_TRUE(QTest::qWaitFor([&] { return shown.count() >= 1 && !preview->PreviewTimer()->isActive(); }, kWaitMs));
  const int runs = started.count();
  TextureKnob* knob = window.Knob();
  ASSERT_TRUE(knob->isEnabled());
  // Dragging the pointer round the knob: up reads 25, right 50, down 75 (the knob is 64 wide).
  struct Case {
    QPoint at;
    int strength;
  };
  for (const Case& c : {Case{{32, 4}, 25}, Case{{60, 32}, 50}, Case{{32, 60}, 75}}) {
    SCOPED_TRACE(c.strength);
    const int shownBefore = shown.count();
    SendMouse(knob, QEvent::MouseButtonPress, Qt::LeftButton, {40, 40});
    SendMouse(knob, QEvent::MouseMove, Qt::LeftButton, c.at);
    SendMouse(knob, QEvent::MouseButtonRelease, Qt::LeftButton, c.at);
    EXPECT_EQ(knob->Value(), c.strength);
    EXPECT_EQ(window.CurrentFinishingSettings().texture.strength, c.strength);
    ASSERT_TRUE(QTest::qWaitFor([&] { return shown.count() > shownBefore; }, kWaitMs));
    EXPECT_TRUE(SamePixels(window.Box()->Picture(), ExpectedBox(window, source)));
  }
  // The arrow keys turn it by one; a strength typed in the field turns the knob.
  knob->setFocus();
  QTest::keyClick(knob, Qt::Key_Right);
  EXPECT_EQ(window.CurrentFinishingSettings().texture.strength, 76);
  window.findChild<QSpinBox*>("textureStrength")->setValue(10);
  EXPECT_EQ(knob->Value(), 10);
  EXPECT_EQ(KnobStrength(knob->Angle()), 10);
  // Choosing a tile from the tile pictures' menu re-textures with that tile.
  const int shownBefore = shown.count();
  auto* tileEntry = window.findChild<QAction*>("textureTile6");
  ASSERT_NE(tileEntry, nullptr);
  tileEntry->trigger();
  EXPECT_EQ(window.CurrentFinishingSettings().texture.tileIndex, 6);
  ASSERT_TRUE(QTest::qWaitFor([&] { return shown.count() > shownBefore; }, kWaitMs));
  EXPECT_TRUE(SamePixels(window.Box()->Picture(), ExpectedBox(window, source)));
  EXPECT_EQ(started.count(), runs);
}

TEST_F(LivePreviewTest, ZoomEndsGiveTheCropSidesAroundTheSameCentre) {
  LivePreview* preview = window.Preview();
  preview->SetCropOrigin({150, 60});
  window.ZoomSlider()->setValue(100);
  EXPECT_EQ(preview->CropSize(), 880);
  EXPECT_EQ(preview->CropOrigin(), (Point{150 - 330, 60 - 330}));
  window.ZoomSlider()->setValue(25);
  EXPECT_EQ(preview->CropSize(), 220);
  EXPECT_EQ(preview->CropOrigin(), (Point{150, 60}));
}

TEST_F(LivePreviewTest, DraggingTheBoxMovesTheCropAndShowsItRaw) {
  LivePreview* preview = window.Preview();
  window.ZoomSlider()->setValue(75);  // Z = 50: each box pixel is two source pixels
  preview->SetCropOrigin({100, 100});
  QSignalSpy shown(preview, &LivePreview::previewShown);
  SendMouse(window.Box(), QEvent::MouseButtonPress, Qt::LeftButton, {50, 50});
  SendMouse(window.Box(), QEvent::MouseMove, Qt::LeftButton, {60, 45});
  EXPECT_EQ(preview->CropOrigin(), (Point{100 - 20, 100 + 10}));
  SendMouse(window.Box(), QEvent::MouseMove, Qt::LeftButton, {61, 45});
  EXPECT_EQ(preview->CropOrigin(), (Point{80 - 2, 110}));
  Bitmap24 raw(kPreviewBoxSide, kPreviewBoxSide);
  StretchDraw(raw, {0, 0, kPreviewBoxSide, kPreviewBoxSide}, PreviewCrop(source, preview->CropOrigin(), 440));
  EXPECT_TRUE(SamePixels(window.Box()->Picture(), raw));
  SendMouse(window.Box(), QEvent::MouseButtonRelease, Qt::LeftButton, {61, 45});
  ASSERT_TRUE(QTest::qWaitFor([&] { return shown.count() >= 1; }, kWaitMs));
  EXPECT_TRUE(SamePixels(window.Box()->Picture(), ExpectedBox(window, source)));
}

TEST_F(LivePreviewTest, NoPreviewStartsDuringAFullSizeRunAndOneFollowsIt) {
  LivePreview* preview = window.Preview();
  QSignalSpy started(preview, &LivePreview::previewStarted);
  QSignalSpy shown(preview, &LivePreview::previewShown);
  window.SetRunning(true);
  EXPECT_FALSE(window.DrawButton()->isEnabled());
  preview->SchedulePreview(0);
  window.Slider(0)->setValue(window.Slider(0)->value() + 5);
  ASSERT_TRUE(QTest::qWaitFor([&] { return !preview->PreviewTimer()->isActive() &&
                                           !preview->SliderTimer()->isActive(); }, kWaitMs));
  QTest::qWait(50);
  EXPECT_EQ(started.count(), 0);
  window.SetRunning(false);
  ASSERT_TRUE(QTest::qWaitFor([&] { return shown.count() >= 1; }, kWaitMs));
  EXPECT_TRUE(SamePixels(window.Box()->Picture(), ExpectedBox(window, source)));
}

TEST_F(LivePreviewTest, RightClickChoosesTheGroundColourOnlyForStylesThatHaveOne) {
  int asked = 0;
  window.SetColourChooser([&](QColor) {
    ++asked;
    return std::optional<QColor>(QColor(10, 20, 30));
  });
  for (const int effectId : {kPencilSketch, kPainting7}) {
    ASSERT_TRUE(window.SelectEffect(effectId));
    SendMouse(window.Box(), QEvent::MouseButtonPress, Qt::RightButton, {20, 20});
    SendMouse(window.Box(), QEvent::MouseButtonRelease, Qt::RightButton, {20, 20});
  }
  EXPECT_EQ(asked, 1);
  EXPECT_EQ(window.CurrentStyleSettings().paperColour, MakeColour(10, 20, 30));
}

TEST(ParametersWindowControlsTest, ExtraControlsFollowTheStyle) {
  ParametersWindow window;
  struct Case {
    int effectId;
    bool doubled, brushButtons, dontErase;
  };
  for (const Case& c : {Case{kPencilSketch, false, false, false}, Case{kPainting7, true, true, false},
                        Case{20, false, true, false}, Case{kEmergence, false, false, false}}) {
    SCOPED_TRACE(c.effectId);
    ASSERT_TRUE(window.SelectEffect(c.effectId));
    EXPECT_EQ(!window.DoubleBox()->isHidden(), c.doubled);
    EXPECT_EQ(!window.LoadBrushButton()->isHidden(), c.brushButtons);
    EXPECT_EQ(!window.ResetBrushButton()->isHidden(), c.brushButtons);
    EXPECT_EQ(!window.DontEraseBox()->isHidden(), c.dontErase);
  }
}

TEST(ParametersWindowControlsTest, MaxLabelSetsTheSliderToItsEndUntilTheSliderMoves) {
  ParametersWindow window;
  struct Case {
    int effectId;
    int slot;
  };
  for (const Case& c : {Case{kPainting7, 2}, Case{kEmergence, 1}}) {
    SCOPED_TRACE(c.effectId);
    ASSERT_TRUE(window.SelectEffect(c.effectId));
    SendMouse(window.ValueLabel(c.slot), QEvent::MouseButtonPress, Qt::LeftButton, {2, 2});
    EXPECT_EQ(window.ValueLabel(c.slot)->text(), "MAX");
    EXPECT_EQ(window.Slider(c.slot)->value(), window.Slider(c.slot)->maximum());
    EXPECT_TRUE(window.CurrentStyleSettings().maxShown[c.slot]);
    window.Slider(c.slot)->setValue(window.Slider(c.slot)->maximum() - 1);
    EXPECT_EQ(window.ValueLabel(c.slot)->text(), QString::number(window.Slider(c.slot)->maximum() - 1));
    EXPECT_FALSE(window.CurrentStyleSettings().maxShown[c.slot]);
  }
  // Other styles' value labels do nothing when clicked.
  ASSERT_TRUE(window.SelectEffect(kPencilSketch));
  const QString before = window.ValueLabel(2)->text();
  SendMouse(window.ValueLabel(2), QEvent::MouseButtonPress, Qt::LeftButton, {2, 2});
  EXPECT_EQ(window.ValueLabel(2)->text(), before);
}

TEST(ParametersWindowControlsTest, OptionPictogramsSetTheFinishingOptions) {
  ParametersWindow window;
  window.SoftenButton()->toggle();
  window.FrameButton()->toggle();
  window.TextButton()->toggle();
  FinishingSettings finishing = window.CurrentFinishingSettings();
  EXPECT_TRUE(finishing.softenEdges);
  EXPECT_TRUE(finishing.addFrame);
  EXPECT_TRUE(finishing.addText);
  EXPECT_FALSE(finishing.texture.enabled);
  window.TextureButton()->toggle();
  EXPECT_TRUE(window.CurrentFinishingSettings().texture.enabled);
  Settings settings;
  window.CollectSettings(settings);
  EXPECT_TRUE(settings.addFrame);
}

TEST(ParametersWindowControlsTest, CustomBrushIsKeptForTheRunAndAnUnreadableOneChangesNothing) {
  ParametersWindow window;
  ASSERT_TRUE(window.SelectEffect(kPainting7));
  const std::filesystem::path folder = std::filesystem::temp_directory_path() / "atelion-parameters-window-brush";
  std::filesystem::create_directories(folder);
  const Bitmap24 brush = SyntheticPhoto(40, 30);
  ASSERT_TRUE(SaveImageFile(brush, folder / "brush.png", ImageFormat::Png, 96));
  ASSERT_TRUE(window.LoadCustomBrush(folder / "brush.png"));
  StyleSettings style = window.CurrentStyleSettings();
  ASSERT_TRUE(style.customBrushInUse);
  ASSERT_NE(style.customBrush, nullptr);
  // The stamp is the picture centred on a white square, so a turned stamp keeps its corners.
  EXPECT_TRUE(SamePixels(*style.customBrush, SquareCustomBrush(brush)));

  EXPECT_FALSE(window.LoadCustomBrush(folder / "missing.png"));
  EXPECT_TRUE(window.CurrentStyleSettings().customBrushInUse);
  window.ResetCustomBrush();
  style = window.CurrentStyleSettings();
  EXPECT_FALSE(style.customBrushInUse);
  EXPECT_EQ(style.customBrush, nullptr);
  std::filesystem::remove_all(folder);
}

TEST(ParametersWindowMenuTest, SavedParametersComeBackAfterResetAndAnotherStyle) {
  const std::filesystem::path folder = std::filesystem::temp_directory_path() / "atelion-parameters-window-menu";
  std::filesystem::create_directories(folder);
  ParametersWindow window;
  ASSERT_TRUE(window.SelectEffect(kVivify));
  window.Slider(0)->setValue(77);
  window.Slider(4)->setValue(3);
  ASSERT_TRUE(window.SaveParameters(folder / "mine"));  // ".atp" is added
  ASSERT_TRUE(std::filesystem::exists(folder / "mine.atp"));

  window.ResetParameters();
  EXPECT_EQ(window.Slider(0)->value(), window.Parameters().FactoryDefault(kVivify)[0]);
  ASSERT_TRUE(window.SelectEffect(kPencilSketch));
  ASSERT_TRUE(window.LoadParameters(folder / "mine.atp"));
  EXPECT_EQ(window.CurrentEffect(), kVivify);
  EXPECT_EQ(window.Slider(0)->value(), 77);
  EXPECT_EQ(window.Slider(4)->value(), 3);
  EXPECT_EQ(window.ValueLabel(0)->text(), "77");

  const Status missing = window.LoadParameters(folder / "none.atp");
  EXPECT_FALSE(missing);
  EXPECT_EQ(window.Slider(0)->value(), 77);
  std::filesystem::remove_all(folder);
}

TEST(ParametersWindowMenuTest, AllThreeEntriesFitTheNarrowestWindow) {
  ApplyDarkTheme();
  ParametersWindow window;
  window.resize(window.minimumWidth(), 700);
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  const QList<QAction*> entries = window.Menu()->actions();
  ASSERT_EQ(entries.size(), 3);
  for (QAction* entry : entries) {
    SCOPED_TRACE(entry->text().toStdString());
    const QRect place = window.Menu()->actionGeometry(entry);
    EXPECT_FALSE(place.isEmpty());
    EXPECT_LE(place.right(), window.Menu()->width());
  }
}

TEST(ParametersWindowSettingsTest, StoredTextureFrameAndTextComeBackAsTheyWereApplied) {
  struct Case {
    int tileIndex;
    int listIndex;
  };
  for (const Case& stored : {Case{-1, -1}, Case{0, 0}, Case{7, 2}, Case{9, 1}}) {
    Settings settings;
    settings.textureTileIndex = stored.tileIndex;
    settings.textureListIndex = stored.listIndex;
    settings.frame.margin = 37;
    settings.frame.frameFillColor = 0x123456;
    settings.text.text = "Harbour at dusk";
    settings.text.fontSize = 19;
    settings.text.bold = true;
    ParametersWindow window;
    window.ApplySettings(settings);

    Settings collected;
    window.CollectSettings(collected);
    SCOPED_TRACE(stored.tileIndex);
    EXPECT_EQ(collected.textureTileIndex, stored.tileIndex);
    EXPECT_EQ(collected.textureListIndex, stored.listIndex);
    EXPECT_EQ(collected.frame, settings.frame);
    EXPECT_EQ(collected.text.text, settings.text.text);
    EXPECT_EQ(collected.text.fontSize, settings.text.fontSize);
    EXPECT_TRUE(collected.text.bold);
    EXPECT_FALSE(collected.addFrame);

    // A run reads the same frame and text and the chosen tile (tile 0 while none is set).
    const FinishingSettings finishing = window.CurrentFinishingSettings();
    EXPECT_EQ(finishing.frame, settings.frame);
    EXPECT_EQ(finishing.text.text, settings.text.text);
    EXPECT_EQ(finishing.texture.tileIndex, std::max(stored.tileIndex, 0));
  }
}

}  // namespace
}  // namespace atelion
