// The drawing-parameters window in the main window on a low screen: everything a user needs at
// once is in sight without scrolling and stays where it is whatever style is chosen; and the
// window of every style's example, where a click or the keyboard chooses a style.
#include <gtest/gtest.h>

#include <QApplication>
#include <QListWidget>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSlider>
#include <QTest>
#include <QToolButton>
#include <vector>

#include "effects/style_samples.h"
#include "styles/catalogue.h"
#include "styles/style_list.h"
#include "support/synthetic_photos.h"
#include "ui/main_window.h"
#include "ui/parameters_window.h"
#include "ui/preview_box.h"
#include "ui/style_samples_window.h"
#include "ui/texture_knob.h"

namespace atelion {
namespace {

using testing_support::SyntheticPhoto;

// A 1366 × 768 screen less a 40-pixel task bar and a 30-pixel title bar.
constexpr int kScreenWidth = 1366;
constexpr int kClientHeight = 768 - 40 - 30;

// Where a control lies in the main window.
QRect PlaceIn(const QWidget& window, const QWidget* control) {
  return QRect(control->mapTo(&window, QPoint(0, 0)), control->size());
}

struct Places {
  std::vector<QRect> rects;
  bool operator==(const Places&) const = default;
};

class ParametersLayoutTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window.resize(kScreenWidth, kClientHeight);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QApplication::processEvents();
    ASSERT_EQ(window.size(), QSize(kScreenWidth, kClientHeight));
  }

  ParametersWindow& Parameters() { return *window.Parameters(); }

  // The preview, the five sliders and "Draw!" (the controls that must not move).
  std::vector<const QWidget*> FixedControls() {
    std::vector<const QWidget*> controls = {Parameters().Box(), Parameters().DrawButton(),
                                            Parameters().ZoomSlider(), Parameters().Knob()};
    for (int slot = 0; slot < kSlotCount; ++slot) controls.push_back(Parameters().Slider(slot));
    return controls;
  }
  Places PlacesOf(const std::vector<const QWidget*>& controls) {
    Places places;
    for (const QWidget* control : controls) places.rects.push_back(PlaceIn(window, control));
    return places;
  }

  MainWindow window;
};

TEST_F(ParametersLayoutTest, ListSlidersPreviewAndDrawAreInSightTogetherAndStayPutForEveryStyle) {
  auto* scroller = Parameters().findChild<QScrollArea*>("parametersScroller");
  ASSERT_NE(scroller, nullptr);
  const QRect screen(0, 0, kScreenWidth, kClientHeight);
  const Places first = PlacesOf(FixedControls());
  // Styles that show more or fewer rows, "x 2", "MAX", brush buttons, another slider range and
  // the longest list (the paintings).
  for (const int effectId : {kPencilSketch1EffectId, kPainting7EffectId, kPainting3EffectId, kPainting4EffectId,
                             kPenAndInkSketch2EffectId, kLinearHalftoningEffectId, kPainting10EffectId,
                             kEmergenceEffectId, kNoEffectId, kPainting11EffectId}) {
    SCOPED_TRACE(effectId);
    if (!StyleAvailable(effectId)) continue;
    ASSERT_TRUE(Parameters().SelectEffect(effectId));
    QApplication::processEvents();
    EXPECT_EQ(scroller->verticalScrollBar()->maximum(), 0) << "the panel scrolls";
    const QRect visible(scroller->viewport()->mapTo(&window, QPoint(0, 0)), scroller->viewport()->size());
    std::vector<const QWidget*> inSight = FixedControls();
    const auto position = ListPositionForCatalogueIndex(CatalogueIndexForEffectId(effectId));
    ASSERT_TRUE(position);
    const QListWidget* list = Parameters().GroupList(static_cast<int>(position->group));
    inSight.push_back(list);
    for (const QWidget* control : inSight) {
      SCOPED_TRACE(control->objectName().toStdString());
      // A row the style does not use is hidden but keeps its room.
      const bool hiddenRow = qobject_cast<const QSlider*>(control) != nullptr && control != Parameters().ZoomSlider();
      if (!hiddenRow) ASSERT_TRUE(control->isVisible());
      const QRect place = PlaceIn(window, control);
      EXPECT_TRUE(screen.contains(place)) << place.x() << "," << place.y() << " " << place.width() << "x" << place.height();
      EXPECT_TRUE(visible.contains(place));
    }
    // The open list shows every style of its group without a scroll bar.
    EXPECT_EQ(list->verticalScrollBar()->maximum(), 0);
    EXPECT_EQ(PlacesOf(FixedControls()), first) << "a control moved or changed its size";
  }
}

TEST_F(ParametersLayoutTest, HeadersOpenOneGroupAtATime) {
  ASSERT_TRUE(Parameters().SelectEffect(kPencilSketch1EffectId));
  QTest::mouseClick(Parameters().GroupHeader(2), Qt::LeftButton);
  for (int group = 0; group < kGroupCount; ++group) {
    EXPECT_EQ(!Parameters().GroupList(group)->isHidden(), group == 2) << group;
  }
  // A second click closes it; choosing a style elsewhere opens the style's group.
  QTest::mouseClick(Parameters().GroupHeader(2), Qt::LeftButton);
  EXPECT_TRUE(Parameters().GroupList(2)->isHidden());
  ASSERT_TRUE(Parameters().SelectEffect(kPixelationEffectId));
  EXPECT_FALSE(Parameters().GroupList(3)->isHidden());
}

TEST(StyleSamplesWindowTest, AClickOrTheKeyboardChoosesTheStyleAndTheMergeWaitsForEqualSizes) {
  ParametersWindow window;
  const Bitmap24 photo = SyntheticPhoto(300, 200);
  window.SetPictures(photo, photo);
  window.ShowSamplesWindow();
  StyleSamplesWindow* samples = window.SamplesWindow();
  ASSERT_NE(samples, nullptr);
  ASSERT_TRUE(QTest::qWaitForWindowExposed(samples));
  // Every style built here has its example from the build.
  for (int effectId = 0; effectId < kEffectCount; ++effectId) {
    ASSERT_NE(samples->Tile(effectId), nullptr);
    EXPECT_EQ(samples->Tile(effectId)->isEnabled(), StyleAvailable(effectId)) << effectId;
  }
  ASSERT_TRUE(samples->Tile(kPainting7EffectId)->isEnabled());
  QTest::mouseClick(samples->Tile(kPainting7EffectId), Qt::LeftButton);
  EXPECT_EQ(window.CurrentEffect(), kPainting7EffectId);
  EXPECT_FALSE(samples->isVisible());

  // Opened again, the chosen style has the focus; Right goes to the next example in list order
  // (Painting 8) and Enter chooses it.
  window.ShowSamplesWindow();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(samples));
  EXPECT_TRUE(samples->Tile(kPainting7EffectId)->isChecked());
  EXPECT_EQ(samples->focusWidget(), samples->Tile(kPainting7EffectId));
  QTest::keyClick(samples->Tile(kPainting7EffectId), Qt::Key_Right);
  const int next = EffectForStyleSample(StyleSampleIndex(kPainting7EffectId) + 1);
  EXPECT_EQ(samples->focusWidget(), samples->Tile(next));
  QTest::keyClick(samples->Tile(next), Qt::Key_Return);
  EXPECT_EQ(window.CurrentEffect(), next);

  // Down goes to the row below in the same column, or the nearest one.
  window.ShowSamplesWindow();
  QTest::keyClick(samples->Tile(next), Qt::Key_Down);
  QWidget* below = samples->focusWidget();
  ASSERT_NE(below, nullptr);
  ASSERT_NE(below, samples->Tile(next));
  EXPECT_GT(below->mapTo(samples, QPoint(0, 0)).y(), samples->Tile(next)->mapTo(samples, QPoint(0, 0)).y());
  QTest::keyClick(below, Qt::Key_Escape);
  EXPECT_FALSE(samples->isVisible());
  EXPECT_EQ(window.CurrentEffect(), next);

  // The merge of source and result is not chosen while the two pictures differ in size.
  window.SetPictures(photo, SyntheticPhoto(200, 200));
  window.ShowSamplesWindow();
  QTest::mouseClick(samples->Tile(kMergeEffectId), Qt::LeftButton);
  EXPECT_EQ(window.CurrentEffect(), next);
  window.SetPictures(photo, photo);
  window.ShowSamplesWindow();
  QTest::mouseClick(samples->Tile(kMergeEffectId), Qt::LeftButton);
  EXPECT_EQ(window.CurrentEffect(), kMergeEffectId);
}

TEST(StyleSamplePopupTest, RestingOnAStyleShowsItsExampleBesideTheWindowUntilThePointerLeaves) {
  ParametersWindow window;
  const Bitmap24 photo = SyntheticPhoto(300, 200);
  window.SetPictures(photo, photo);
  window.setFloating(true);
  window.move(600, 100);
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  QListWidget* pencils = window.GroupList(0);
  ASSERT_FALSE(pencils->isHidden());
  const int item = 2;
  const QRect itemRect = pencils->visualItemRect(pencils->item(item));
  QTest::mouseMove(pencils->viewport(), itemRect.center());
  const int effectId = pencils->item(item)->data(Qt::UserRole).toInt();
  ASSERT_TRUE(QTest::qWaitFor([&] { return window.SamplePopup()->ShownEffect() == effectId; }, 2000));
  const QRect popup = window.SamplePopup()->geometry();
  EXPECT_EQ(popup.size(), QSize(kStyleSampleSide + 6, kStyleSampleSide + 6));
  EXPECT_EQ(popup.right() + 1, window.mapToGlobal(QPoint(0, 0)).x());
  EXPECT_NEAR(popup.center().y(), pencils->viewport()->mapToGlobal(itemRect.center()).y(), 1);
  QEvent leave(QEvent::Leave);
  QApplication::sendEvent(pencils->viewport(), &leave);
  EXPECT_EQ(window.SamplePopup()->ShownEffect(), -1);
}

TEST(ParametersKeysTest, UpAndDownGoThroughTheStylesAndLeftAndRightMoveTheSlider) {
  ParametersWindow window;
  const Bitmap24 photo = SyntheticPhoto(300, 200);
  const Bitmap24 otherSize = SyntheticPhoto(200, 200);
  struct Case {
    const char* what;
    int from;
    Qt::Key key;
    bool sameSizes;
    int to;
  };
  const Case cases[] = {
      {"the first style has none before it", kPencilSketch1EffectId, Qt::Key_Up, true, kPencilSketch1EffectId},
      {"the next style, past a group header", kPencilSketch5EffectId, Qt::Key_Down, true, kPenAndInkSketch1EffectId},
      {"back over the header", kPenAndInkSketch1EffectId, Qt::Key_Up, true, kPencilSketch5EffectId},
      {"up onto the merge", kNoEffectId, Qt::Key_Up, true, kMergeEffectId},
      {"up past a merge that cannot be chosen", kNoEffectId, Qt::Key_Up, false, kVintagePhotoEffectId},
      {"down past a merge that cannot be chosen", kVintagePhotoEffectId, Qt::Key_Down, false, kNoEffectId},
      {"the last row (Pencil sketch 6) has none after it", kPencilSketch6EffectId, Qt::Key_Down, true,
       kPencilSketch6EffectId},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    window.SetPictures(photo, c.sameSizes ? photo : otherSize);
    if (!StyleAvailable(c.from) || !StyleAvailable(c.to)) continue;
    ASSERT_TRUE(window.SelectEffect(c.from));
    QTest::keyClick(window.Slider(0), c.key);
    EXPECT_EQ(window.CurrentEffect(), c.to);
  }
  // Up and Down on a list do the same; the arrows across move the slider by one.
  window.SetPictures(photo, photo);
  ASSERT_TRUE(window.SelectEffect(kPencilSketch1EffectId));
  QTest::keyClick(window.GroupList(0), Qt::Key_Down);
  EXPECT_EQ(window.CurrentEffect(), kPencilSketch2EffectId);
  const int before = window.Slider(0)->value();
  QTest::keyClick(window.Slider(0), Qt::Key_Right);
  EXPECT_EQ(window.Slider(0)->value(), before + 1);
  EXPECT_EQ(window.Parameters().Current(kPencilSketch2EffectId)[0], before + 1);
  QTest::keyClick(window.Slider(0), Qt::Key_Left);
  EXPECT_EQ(window.Slider(0)->value(), before);
}

}  // namespace
}  // namespace atelion
