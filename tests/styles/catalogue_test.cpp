#include "styles/catalogue.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "i18n/language_table.h"
#include "i18n/languages.h"

namespace atelion {
namespace {

// The style list as the parameters window presents it, written out independently of the
// catalogue so that a slip in either shows up: English names and labels, language lines,
// factory defaults, list places and full-size methods.
struct ExpectedRow {
  int line;
  const char* label;
  int factoryDefault;
  bool visible = true;
};

const ExpectedRow kHiddenRow{kNoLine, "", 0, false};

struct ExpectedStyle {
  int effectId;
  int catalogueIndex;
  const char* groupSelection;
  int nameLine;
  const char* name;
  FullSizeMethod method;
  ExpectedRow rows[kSlotCount];
};

using enum FullSizeMethod;

const ExpectedStyle kExpectedStyles[] = {
    {0, 1, "ListBox2 0", 82, "Pencil sketch 1", ProcessPencilSketch,
     {{43, "Edge threshold", 20}, {44, "Edge intensity", 100}, {45, "Color intensity", 80},
      {46, "Darken/Lighten", 160}, {47, "Level of contrast", 25}}},
    {1, 2, "ListBox2 1", 83, "Pencil sketch 2 (b&w)", ProcessSobelFilter,
     {{43, "Edge threshold", 7}, {44, "Edge intensity", 127}, {48, "Stroke length", 30},
      {46, "Darken/Lighten", 127}, kHiddenRow}},
    {2, 3, "ListBox2 2", 84, "Pencil sketch 3 (color)", ProcessColourSobel,
     {{43, "Edge threshold", 10}, {44, "Edge intensity", 200}, {48, "Stroke length", 20},
      {46, "Darken/Lighten", 50}, {45, "Color intensity", 50}}},
    {3, 8, "ListBox3 0", 87, "Pen & Ink sketch 1", ProcessPenandInkSketch,
     {{43, "Edge threshold", 50}, {44, "Edge intensity", 50}, {45, "Color intensity", 90, false},
      {46, "Darken/Lighten", 110}, kHiddenRow}},
    {4, 11, "ListBox4 0", 89, "Painting 1 (watercolor)", ProcessPainting,
     {{49, "Color blending ", 90}, {44, "Edge intensity", 110}, {50, "Strength of effect", 25},
      {46, "Darken/Lighten", 140}, {55, "Brushstrokes intensity", 50}}},
    {5, 12, "ListBox4 1", 90, "Painting 2 (brushstrokes)", ProcessPainting2,
     {{48, "Stroke length", 135}, {66, "Number of brushstrokes", 80}, {56, "Level of abstraction", 25},
      {45, "Color intensity", 135}, {55, "Brushstrokes intensity", 135}}},
    {6, 13, "ListBox4 2", 91, "Painting 3 (median + bilateral filter)", ProcessPainting3,
     {{49, "Color blending ", 35}, {52, "Size of paintbrush", 5}, {50, "Strength of effect", 30},
      {46, "Darken/Lighten", 140}, kHiddenRow}},
    {7, 14, "ListBox4 3", 92, "Painting 4 (brushstrokes)", ProcessPainting4,
     {{64, "Minimum brush size", 20}, {65, "Maximum brush size", 80}, {66, "Number of brushstrokes", 25},
      {63, "Blending intensity", 0}, {67, "Brushstroke precision", 30}}},
    {8, 15, "ListBox4 4", 93, "Painting 5 (watercolor)", ProcessRegionGrowing,
     {{50, "Strength of effect", 200}, {54, "Image simplification", 10}, {45, "Color intensity", 60},
      {46, "Darken/Lighten", 160}, {55, "Brushstrokes intensity", 70}}},
    {9, 16, "ListBox4 5", 94, "Painting 6 (oil painting)", ProcessRegionGrowing,
     {{50, "Strength of effect", 200}, {54, "Image simplification", 10}, {45, "Color intensity", 60},
      {46, "Darken/Lighten", 140}, {55, "Brushstrokes intensity", 50}}},
    {10, 23, "ListBox5 0", 97, "Pixelation", ProcessColouredSquares,
     {{56, "Level of abstraction", 65}, {57, "Number of squares", 100}, {45, "Color intensity", 55},
      {58, "Minimum square size", 15}, {59, "Maximum square size", 180}}},
    {11, 24, "ListBox5 1", 98, "Colored dots", ProcessColouredCircles,
     {{56, "Level of abstraction", 65}, {60, "Number of circles", 100}, {45, "Color intensity", 55},
      {61, "Minimum radius", 15}, {62, "Maximum radius", 180}}},
    {12, 32, "ListBox6 0", 102, "Vivify photo", ProcessVivify,
     {{43, "Edge threshold", 35}, {44, "Edge intensity", 100}, {45, "Color intensity", 55},
      {46, "Darken/Lighten", 128}, {47, "Level of contrast", 20}}},
    {13, 34, "ListBox6 2", 104, "Merge source and result images", ProcessAlphaBlend,
     {{63, "Blending intensity", 127}, {228, "Multiplication", 0}, {46, "Darken/Lighten", 50}, kHiddenRow,
      kHiddenRow}},
    {14, 36, "ListBox7 0", 106, "Frame, texture and text only", ProcessNoFilter,
     {{159, "Luminosity ", 128}, {160, "Contrast ", 128}, {161, "Saturation", 50},
      {162, "Blur/Sharpen ", 128}, {102, "Vivify photo", 0}}},
    {15, 17, "ListBox4 6", 95, "Painting 7 (brushstrokes)", ProcessRandomStrokes,
     {{64, "Minimum brush size", 10}, {65, "Maximum brush size", 200}, {66, "Number of brushstrokes", 50},
      {44, "Edge intensity", 30}, {67, "Brushstroke precision", 190}}},
    {16, 4, "ListBox2 3", 85, "Oil pastel sketch (color)", ProcessPencilStrokes,
     {{68, "Minimum stroke size", 0}, {69, "Maximum stroke size", 200}, {70, "Number of iterations", 20},
      {44, "Edge intensity", 100}, {71, "Filter precision", 200}}},
    {17, 25, "ListBox5 2", 99, "Cartoon 1", ProcessCartoonify,
     {{50, "Strength of effect", 225}, {54, "Image simplification", 70}, {46, "Darken/Lighten", 55},
      {44, "Edge intensity", 220}, {45, "Color intensity", 127}}},
    {18, 26, "ListBox5 3", 100, "Cartoon 2", ProcessColourInk,
     {{49, "Color blending ", 30}, {44, "Edge intensity", 30}, {50, "Strength of effect", 10},
      {46, "Darken/Lighten", 127}, kHiddenRow}},
    {19, 33, "ListBox6 1", 103, "Vintage photo", ProcessSepia,
     {{50, "Strength of effect", 255}, {72, "Blur strength", 127}, {73, "Old paper defects", 50},
      {74, "Sepia coloring", 220}, {46, "Darken/Lighten", 140}}},
    {20, 18, "ListBox4 7", 199, "Painting 8 (expressive brushstrokes)", ProcessExpressivePainting,
     {{65, "Maximum brush size", 50}, {66, "Number of brushstrokes", 25}, {67, "Brushstroke precision", 70},
      {47, "Level of contrast", 85}, {200, "Level of details", 215}}},
    {21, 9, "ListBox3 1", 87, "Pen & Ink sketch 2", ProcessPenAndInkSketch2,
     {{200, "Level of details", 40}, {46, "Darken/Lighten", 160}, {54, "Image simplification", 40}, kHiddenRow,
      kHiddenRow}},
    {22, 27, "ListBox5 4", 206, "Emergence", ProcessRandomPolygons,
     {{56, "Level of abstraction", 100}, {70, "Number of iterations", 80}, {47, "Level of contrast", 30},
      {61, "Minimum radius", 25}, {62, "Maximum radius", 130}}},
    {23, 5, "ListBox2 4", 82, "Pencil sketch 4", ProcessNewPencilSketch,
     {{43, "Edge threshold", 20}, {70, "Number of iterations", 100}, {48, "Stroke length", 25},
      {56, "Level of abstraction", 10}, {45, "Color intensity", 140}}},
    {24, 6, "ListBox2 5", 82, "Pencil sketch 5", ProcessPencilSketch5,
     {{70, "Number of iterations", 180}, {48, "Stroke length", 180}, {63, "Blending intensity", 40},
      {53, "Contrast enhancement ", 50}, {45, "Color intensity", 0}}},
    {25, 28, "ListBox5 5", 206, "Emergence 2", ProcessShadedTriangles,
     {{56, "Level of abstraction", 130}, {70, "Number of iterations", 100}, {47, "Level of contrast", 10},
      {61, "Minimum radius", 15}, {62, "Maximum radius", 180}}},
    {26, 29, "ListBox5 6", 230, "Linear halftoning", ProcessHalfToneLines,
     {{56, "Level of abstraction", 12}, {231, "Angle", 45}, {45, "Color intensity", 100}, kHiddenRow,
      kHiddenRow}},
    {27, 19, "ListBox4 8", 89, "Painting 9 (watercolor)", ProcessPainting9,
     {{70, "Number of iterations", 7}, {52, "Size of paintbrush", 170}, {51, "Precision of paintbrush", 90},
      {44, "Edge intensity", 127}, {46, "Darken/Lighten", 10}}},
    {28, 20, "ListBox4 9", 95, "Painting 10 (brushstrokes)", ProcessPainting10,
     {{64, "Minimum brush size", 50}, {70, "Number of iterations", 50}, {56, "Level of abstraction", 50},
      {50, "Strength of effect", 130}, {161, "Saturation", 130}}},
    {29, 30, "ListBox5 7", 237, "Abstract", ProcessAbstract,
     {{62, "Maximum radius", 150}, {70, "Number of iterations", 15}, {45, "Color intensity", 55},
      {46, "Darken/Lighten", 127}, {47, "Level of contrast", 127}}},
    {30, 21, "ListBox4 10", 95, "Painting 11 (brushstrokes)", ProcessPainting11,
     {{64, "Minimum brush size", 10}, {65, "Maximum brush size", 100}, {66, "Number of brushstrokes", 20},
      {63, "Blending intensity", 0}, {56, "Level of abstraction", 127}}},
    {31, 37, "ListBox2 6", 82, "Pencil sketch 6", ProcessPencilSketch6,
     {{68, "Minimum stroke size", 5}, {69, "Maximum stroke size", 50}, {70, "Number of iterations", 30},
      {45, "Color intensity", 0}, {71, "Filter precision", 30}}},
};
static_assert(std::size(kExpectedStyles) == kEffectCount);

// Styles whose name is derived from another style's line.
bool IsDerivedName(int effectId) {
  for (const int derived : {21, 23, 24, 25, 27, 28, 30, 31}) {
    if (effectId == derived) return true;
  }
  return false;
}

// An English line source made of the quoted texts above, the way the language table stores
// them (derived names come from the line of the style they are derived from).
std::map<int, std::string> EnglishLinesFromExpectations() {
  std::map<int, std::string> lines = {{81, "Pencil sketch effects"}, {86, "Pen && Ink sketch effects"},
                                      {88, "Painting effects"},      {96, "Stylized effects"},
                                      {101, "Miscellaneous effects"}, {105, "No effect"}};
  auto add = [&lines](int line, const std::string& text) {
    const auto [where, inserted] = lines.emplace(line, text);
    EXPECT_EQ(where->second, text) << "two different texts for line " << line << " in the expectations";
  };
  for (const ExpectedStyle& style : kExpectedStyles) {
    if (!IsDerivedName(style.effectId)) add(style.nameLine, style.name);
    for (const ExpectedRow& row : style.rows) {
      if (row.line != kNoLine) add(row.line, row.label);
    }
  }
  return lines;
}

LineLookup LookupIn(const std::map<int, std::string>& lines) {
  return [&lines](int line) -> std::string_view {
    const auto found = lines.find(line);
    return found == lines.end() ? std::string_view() : std::string_view(found->second);
  };
}

// ---- The catalogue table ------------------------------------------------------------------

TEST(Catalogue, EveryStyleMatchesTheStyleList) {
  const std::map<int, std::string> english = EnglishLinesFromExpectations();
  const LineLookup lookup = LookupIn(english);
  for (const ExpectedStyle& expected : kExpectedStyles) {
    SCOPED_TRACE("EffectId " + std::to_string(expected.effectId));
    const EffectDescription& effect = DescribeEffect(expected.effectId);
    EXPECT_EQ(effect.effectId, expected.effectId);
    EXPECT_EQ(effect.catalogueIndex, expected.catalogueIndex);
    EXPECT_EQ(GroupSelectionText({effect.group, effect.listItem}), expected.groupSelection);
    EXPECT_EQ(effect.name.line, expected.nameLine);
    EXPECT_EQ(effect.method, expected.method);
    EXPECT_EQ(EffectName(expected.effectId, lookup), expected.name);
    for (int slot = 0; slot < kSlotCount; ++slot) {
      SCOPED_TRACE("slot " + std::to_string(slot));
      const ExpectedRow& row = expected.rows[slot];
      const SliderDescription& slider = effect.sliders[slot];
      EXPECT_EQ(slider.labelLine, row.line);
      EXPECT_EQ(slider.visible, row.visible);
      EXPECT_EQ(slider.factoryDefault, row.factoryDefault);
      EXPECT_EQ(SliderLabel(expected.effectId, slot, lookup), row.label);
    }
  }
}

TEST(Catalogue, SliderRangesAreTheSlotRangesExceptTwoStyles) {
  struct Exception {
    int effectId, slot, minimum, maximum;
  };
  const Exception exceptions[] = {{6, kSlotTrackBar2, 1, 10}, {26, kSlotTrackBar2, 0, 360}};
  // Slot order TrackBar1, TrackBar2, TrackBar5, TrackBar3, TrackBar4.
  const int slotMaximum[kSlotCount] = {255, 255, 100, 255, 255};
  for (int id = 0; id < kEffectCount; ++id) {
    for (int slot = 0; slot < kSlotCount; ++slot) {
      int minimum = 0, maximum = slotMaximum[slot];
      for (const Exception& exception : exceptions) {
        if (exception.effectId == id && exception.slot == slot) {
          minimum = exception.minimum;
          maximum = exception.maximum;
        }
      }
      const SliderDescription& slider = DescribeSlider(id, slot);
      EXPECT_EQ(slider.minimum, minimum) << "EffectId " << id << " slot " << slot;
      EXPECT_EQ(slider.maximum, maximum) << "EffectId " << id << " slot " << slot;
      EXPECT_GE(slider.factoryDefault, slider.minimum) << "EffectId " << id << " slot " << slot;
      EXPECT_LE(slider.factoryDefault, slider.maximum) << "EffectId " << id << " slot " << slot;
    }
  }
  // Painting 3's paintbrush row ticks every 1, the halftone angle every 7, the others every 5.
  EXPECT_EQ(DescribeSlider(kPainting3EffectId, kSlotTrackBar2).tickInterval, 1);
  EXPECT_EQ(DescribeSlider(kLinearHalftoningEffectId, kSlotTrackBar2).tickInterval, 7);
  EXPECT_EQ(DescribeSlider(kPainting3EffectId, kSlotTrackBar1).tickInterval, 5);
  EXPECT_EQ(DescribeSlider(kPencilSketch1EffectId, kSlotTrackBar2).tickInterval, 5);
}

TEST(Catalogue, ExtraControlsBelongToTheirStyles) {
  for (int id = 0; id < kEffectCount; ++id) {
    SCOPED_TRACE("EffectId " + std::to_string(id));
    const ExtraControls& extras = DescribeEffect(id).extras;
    const CustomBrushButtons brush = (id == 7 || id == 28 || id == 30) ? CustomBrushButtons::Button6And7
                                     : (id == 15 || id == 20)          ? CustomBrushButtons::SkinButton1And2
                                                                       : CustomBrushButtons::None;
    EXPECT_EQ(extras.customBrush, brush);
    EXPECT_EQ(extras.doubleCheckBoxSlot, id == 15 ? kSlotTrackBar2 : id == 28 ? kSlotTrackBar1 : -1);
    EXPECT_EQ(extras.maxSlot, id == 15 ? kSlotTrackBar5 : (id == 22 || id == 25) ? kSlotTrackBar2 : -1);
    EXPECT_EQ(extras.dontEraseBackground, id == 7 || id == 27 || id == 30 || id == 31);
    EXPECT_EQ(extras.minimumNotAboveMaximum, id == 10 || id == 11);
  }
  // "MAX" sets the slider to its top: 100 on row 3 for Painting 7, 255 on row 2 for Emergence.
  EXPECT_EQ(DescribeSlider(kPainting7EffectId, DescribeEffect(kPainting7EffectId).extras.maxSlot).maximum, 100);
  EXPECT_EQ(DescribeSlider(kEmergenceEffectId, DescribeEffect(kEmergenceEffectId).extras.maxSlot).maximum, 255);
}

// ---- Selection ----------------------------------------------------------------------------

TEST(Selection, EveryCatalogueRowGivesItsStyle) {
  // Row → EffectId; headers (0, 7, 10, 22, 31, 35) and the unused rows 38, 39 give 14.
  const int expected[kCatalogueRowCount] = {
      14, 0,  1,  2,  16, 23, 24, 14, 3,  21,  // 0..9
      14, 4,  5,  6,  7,  8,  9,  15, 20, 27,  // 10..19
      28, 30, 14, 10, 11, 17, 18, 22, 25, 26,  // 20..29
      29, 14, 12, 19, 13, 14, 14, 31, 14, 14,  // 30..39
  };
  for (int row = 0; row < kCatalogueRowCount; ++row) {
    EXPECT_EQ(EffectIdForCatalogueIndex(row), expected[row]) << "CatalogueIndex " << row;
  }
  for (const int outside : {-1, 40, 1000}) EXPECT_EQ(EffectIdForCatalogueIndex(outside), kNoEffectId);
  for (int id = 0; id < kEffectCount; ++id) {
    EXPECT_EQ(EffectIdForCatalogueIndex(CatalogueIndexForEffectId(id)), id);
  }
  EXPECT_EQ(CatalogueIndexForEffectId(kEffectCount), -1);
}

TEST(Selection, GroupListItemsMapToCatalogueRows) {
  struct Group {
    EffectGroup group;
    int itemCount;
    int firstRow;
    int sampleOffset;
  };
  const Group groups[] = {{EffectGroup::Pencil, 7, 1, 0},    {EffectGroup::PenAndInk, 2, 8, 7},
                          {EffectGroup::Painting, 11, 11, 9}, {EffectGroup::Stylized, 8, 23, 20},
                          {EffectGroup::Miscellaneous, 3, 32, 28}, {EffectGroup::NoEffect, 1, 36, 31}};
  for (const Group& group : groups) {
    EXPECT_EQ(GroupItemCount(group.group), group.itemCount);
    for (int item = 0; item < group.itemCount; ++item) {
      // The seventh pencil item sits behind the no-effect row, not after the sixth.
      const int row = (group.group == EffectGroup::Pencil && item == 6) ? 37 : group.firstRow + item;
      const ListPosition position{group.group, item};
      EXPECT_EQ(CatalogueIndexForListItem(position), row);
      EXPECT_EQ(ListPositionForCatalogueIndex(row), position);
      EXPECT_EQ(SampleIndex(position), group.sampleOffset + item);
    }
    EXPECT_EQ(CatalogueIndexForListItem({group.group, group.itemCount}), -1);
    EXPECT_EQ(CatalogueIndexForListItem({group.group, -1}), -1);
  }
  EXPECT_EQ(EffectIdForCatalogueIndex(CatalogueIndexForListItem({EffectGroup::Pencil, 6})), 31);
  for (const int unlisted : {0, 7, 10, 22, 31, 35, 38, 39}) {
    EXPECT_FALSE(ListPositionForCatalogueIndex(unlisted).has_value()) << unlisted;
  }
}

TEST(Selection, LastGroupSelectionText) {
  EXPECT_EQ(GroupSelectionText({EffectGroup::Pencil, 0}), "ListBox2 0");
  EXPECT_EQ(GroupSelectionText({EffectGroup::Painting, 10}), "ListBox4 10");
  struct Case {
    const char* text;
    std::optional<ListPosition> position;
  };
  const Case cases[] = {
      {"ListBox2 0", ListPosition{EffectGroup::Pencil, 0}},
      {"ListBox4 10", ListPosition{EffectGroup::Painting, 10}},
      {"ListBox7 0", ListPosition{EffectGroup::NoEffect, 0}},
      {"ListBox4 11", std::nullopt},  // past the end of the list
      {"ListBox7 1", std::nullopt},
      {"ListBox1 0", std::nullopt},  // the hidden list is no group
      {"ListBox2", std::nullopt},
      {"ListBox2 ", std::nullopt},
      {"ListBox2 x", std::nullopt},
      {"ListBox2 1x", std::nullopt},
      {"ListBox2 -1", std::nullopt},
      {"", std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(ParseGroupSelection(c.text), c.position) << '"' << c.text << '"';
}

TEST(Selection, MergeIsRefusedWhileSourceAndResultDifferInSize) {
  const Bitmap24 source(40, 30);
  EXPECT_TRUE(MergeAvailable(source, Bitmap24(40, 30, 0)));
  EXPECT_FALSE(MergeAvailable(source, Bitmap24(41, 30)));
  EXPECT_FALSE(MergeAvailable(source, Bitmap24(40, 29)));

  struct Case {
    SelectionRoute route;
    std::optional<int> whenRefused;
  };
  const Case cases[] = {
      {SelectionRoute::GroupListClick, std::nullopt},  // the click does nothing
      {SelectionRoute::CatalogueList, kNoEffectCatalogueIndex},
      {SelectionRoute::MoveUp, 33},
      {SelectionRoute::MoveDown, kNoEffectCatalogueIndex},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ResolveSelection(kMergeCatalogueIndex, c.route, false), c.whenRefused);
    EXPECT_EQ(ResolveSelection(kMergeCatalogueIndex, c.route, true), kMergeCatalogueIndex);
    // Every other row, the no-effect rows included, is unaffected by the sizes.
    for (int row = 0; row < kCatalogueRowCount; ++row) {
      if (row != kMergeCatalogueIndex) {
        EXPECT_EQ(ResolveSelection(row, c.route, false), row);
      }
    }
  }
}

TEST(Selection, ArrowKeysStepThroughTheHiddenList) {
  struct Case {
    int from, step;
    bool mergeAvailable;
    int to;
  };
  const Case cases[] = {
      {1, +1, false, 2},   {2, -1, false, 1},
      {33, +1, true, 34},  {35, -1, true, 34},
      {33, +1, false, 36},  // jumps over the merge row and the header behind it
      {35, -1, false, 33},
      {0, -1, true, 0},    {39, +1, true, 39},  // stays inside the list
      {-1, +1, true, 0},                         // nothing selected yet
  };
  for (const Case& c : cases) {
    EXPECT_EQ(MoveCatalogueSelection(c.from, c.step, c.mergeAvailable), c.to)
        << c.from << " step " << c.step << (c.mergeAvailable ? " same size" : " sizes differ");
  }
}

// ---- Parameter tables ---------------------------------------------------------------------

TEST(ParameterTables, StartAtTheFactoryDefaultsAndResetRestoresEveryStyle) {
  ParameterTables tables;
  for (const ExpectedStyle& style : kExpectedStyles) {
    for (int slot = 0; slot < kSlotCount; ++slot) {
      EXPECT_EQ(tables.Current(style.effectId)[slot], style.rows[slot].factoryDefault)
          << "EffectId " << style.effectId << " slot " << slot;
      EXPECT_EQ(tables.FactoryDefault(style.effectId)[slot], style.rows[slot].factoryDefault);
    }
  }
  // Change several styles through the sliders and others directly (as a parameter file would).
  tables.StoreSliderPosition(0, kSlotTrackBar1, 3);
  tables.StoreSliderPosition(6, kSlotTrackBar2, 9);
  tables.StoreSliderPosition(31, kSlotTrackBar4, 1);
  for (int id = 0; id < kEffectCount; id += 3) tables.Current(id) = {-5, 999, 7, 7, 7};
  tables.ResetParameters();
  for (int id = 0; id < kEffectCount; ++id) {
    EXPECT_EQ(tables.Current(id), FactoryDefaults(id)) << "EffectId " << id;
    EXPECT_EQ(tables.FactoryDefault(id), FactoryDefaults(id)) << "EffectId " << id;
  }
  EXPECT_THROW(tables.Current(kEffectCount), std::out_of_range);
  EXPECT_THROW(DescribeEffect(-1), std::out_of_range);
}

TEST(ParameterTables, SliderMovesAreClampedToTheStylesRange) {
  struct Case {
    int effectId, slot, position, stored;
  };
  const Case cases[] = {
      {0, kSlotTrackBar1, 300, 255},  {0, kSlotTrackBar1, -4, 0},    {0, kSlotTrackBar2, 300, 255},
      {0, kSlotTrackBar5, 101, 100},  {0, kSlotTrackBar5, 100, 100}, {0, kSlotTrackBar4, 255, 255},
      {6, kSlotTrackBar2, 0, 1},      {6, kSlotTrackBar2, 11, 10},   {6, kSlotTrackBar2, 7, 7},
      {26, kSlotTrackBar2, 300, 300}, {26, kSlotTrackBar2, 361, 360}, {13, kSlotTrackBar3, 77, 77},
  };
  for (const Case& c : cases) {
    ParameterTables tables;
    tables.StoreSliderPosition(c.effectId, c.slot, c.position);
    EXPECT_EQ(tables.Current(c.effectId)[c.slot], c.stored)
        << "EffectId " << c.effectId << " slot " << c.slot << " position " << c.position;
    EXPECT_EQ(ClampToSlider(c.effectId, c.slot, c.position), c.stored);
  }
}

TEST(ParameterTables, MinimumSizeNeverExceedsMaximumForPixelationAndColoredDots) {
  struct Case {
    int effectId;
    int slot, position;
    int minimum, maximum;  // rows 4 and 5 afterwards; both start at 15 and 180
  };
  const Case cases[] = {
      {10, kSlotTrackBar3, 200, 180, 180},  // dragging the minimum above the maximum snaps back
      {11, kSlotTrackBar3, 200, 180, 180},
      {10, kSlotTrackBar4, 10, 10, 10},  // dragging the maximum below the minimum pulls it along
      {11, kSlotTrackBar4, 10, 10, 10},
      {10, kSlotTrackBar3, 180, 180, 180},  // equal is allowed
      {10, kSlotTrackBar4, 100, 15, 100},
      {22, kSlotTrackBar3, 200, 200, 130},  // Emergence's radii have no such rule (max starts at 130)
      {7, kSlotTrackBar3, 250, 250, 30},    // neither have Painting 4's rows 4 and 5
  };
  for (const Case& c : cases) {
    ParameterTables tables;
    tables.StoreSliderPosition(c.effectId, c.slot, c.position);
    const ParameterSet& values = tables.Current(c.effectId);
    EXPECT_EQ(values[kSlotTrackBar3], c.minimum) << "EffectId " << c.effectId << " slot " << c.slot;
    EXPECT_EQ(values[kSlotTrackBar4], c.maximum) << "EffectId " << c.effectId << " slot " << c.slot;
  }
  // Only a move of the size rows applies the rule; values from a parameter file stay as loaded.
  ParameterTables tables;
  tables.Current(kPixelationEffectId) = {65, 100, 55, 200, 50};
  tables.StoreSliderPosition(10, kSlotTrackBar1, 70);
  EXPECT_EQ(tables.Current(kPixelationEffectId)[kSlotTrackBar3], 200);
  tables.StoreSliderPosition(10, kSlotTrackBar4, 60);
  EXPECT_EQ(tables.Current(kPixelationEffectId)[kSlotTrackBar3], 60);
}

// ---- Names --------------------------------------------------------------------------------

TEST(Names, DerivationsWorkOnAnyLanguage) {
  struct Case {
    NameDescription name;
    const char* line;
    const char* derived;
  };
  const Case cases[] = {
      {{82, NameDerivation::AsStored}, "Bleistiftskizze 1", "Bleistiftskizze 1"},
      {{82, NameDerivation::ReplaceLastCharacter, 0, "4"}, "Bleistiftskizze 1", "Bleistiftskizze 4"},
      // The last character is a whole UTF-8 character, not its last byte.
      {{82, NameDerivation::ReplaceLastCharacter, 0, "5"}, "Esquisse \xE2\x91\xA0", "Esquisse 5"},
      {{87, NameDerivation::ReplaceLastCharacter, 0, "2"}, "Plume \xC3\xA9", "Plume 2"},
      {{87, NameDerivation::ReplaceLastCharacter, 0, "2"}, "", "2"},
      {{89, NameDerivation::ReplaceEveryCharacter, '1', "9"}, "Malerei 1 (1x)", "Malerei 9 (9x)"},
      {{95, NameDerivation::ReplaceEveryCharacter, '7', "10"}, "7 Peinture 7", "10 Peinture 10"},
      {{95, NameDerivation::ReplaceEveryCharacter, '7', "11"}, "Peinture (pinceau)", "Peinture (pinceau)"},
      {{206, NameDerivation::Append, 0, " 2"}, "\xC3\x89mergence", "\xC3\x89mergence 2"},
  };
  for (const Case& c : cases) EXPECT_EQ(DeriveName(c.name, c.line), c.derived) << c.line;

  // The catalogue derives its names from the translated lines, not from English ones.
  const std::map<int, std::string> german = {{82, "Bleistiftskizze 1"}, {87, "Feder & Tinte 1"},
                                             {89, "Malerei 1 (Aquarell)"}, {95, "Malerei 7 (Pinsel)"},
                                             {206, "Entstehung"}};
  const LineLookup lookup = LookupIn(german);
  EXPECT_EQ(EffectName(kPencilSketch6EffectId, lookup), "Bleistiftskizze 6");
  EXPECT_EQ(EffectName(kPenAndInkSketch2EffectId, lookup), "Feder & Tinte 2");
  EXPECT_EQ(EffectName(kPainting9EffectId, lookup), "Malerei 9 (Aquarell)");
  EXPECT_EQ(EffectName(kPainting11EffectId, lookup), "Malerei 11 (Pinsel)");
  EXPECT_EQ(EffectName(kEmergence2EffectId, lookup), "Entstehung 2");
  EXPECT_EQ(EffectName(kEffectCount, lookup), "");
  EXPECT_EQ(SliderLabel(kPencilSketch1EffectId, kSlotCount, lookup), "");
}

TEST(Names, EnglishTableGivesTheListedNamesAndLabels) {
  const LanguageTable& english = LanguageTable::English();
  const LineLookup lookup = [&english](int line) { return english.Line(line); };
  for (const ExpectedStyle& expected : kExpectedStyles) {
    SCOPED_TRACE("EffectId " + std::to_string(expected.effectId));
    EXPECT_EQ(EffectName(expected.effectId, lookup), expected.name);
    // Until another language is applied the current one is English.
    EXPECT_EQ(EffectName(expected.effectId), expected.name);
    for (int slot = 0; slot < kSlotCount; ++slot) {
      EXPECT_EQ(SliderLabel(expected.effectId, slot, lookup), expected.rows[slot].label) << "slot " << slot;
    }
  }
  EXPECT_EQ(std::string(english.Line(kLoadCustomBrushLine)), "Load custom brush");
  EXPECT_EQ(std::string(english.Line(kResetBrushLine)), "Reset brush");
  EXPECT_EQ(std::string(english.Line(kDontEraseBackgroundLine)), "Don't erase background");
}

TEST(Names, HiddenListRowsShowNamesAndHeaders) {
  const std::map<int, std::string> english = EnglishLinesFromExpectations();
  const LineLookup lookup = LookupIn(english);
  struct Case {
    int row;
    const char* text;
  };
  const Case cases[] = {
      {0, "Pencil sketch effects"}, {5, "Pencil sketch 4"},   {7, "Pen && Ink sketch effects"},
      {9, "Pen & Ink sketch 2"},    {10, "Painting effects"}, {19, "Painting 9 (watercolor)"},
      {21, "Painting 11 (brushstrokes)"}, {22, "Stylized effects"}, {28, "Emergence 2"},
      {31, "Miscellaneous effects"}, {34, "Merge source and result images"}, {35, "No effect"},
      {37, "Pencil sketch 6"},      {38, ""},                 {39, ""},
  };
  for (const Case& c : cases) EXPECT_EQ(CatalogueRowText(c.row, lookup), c.text) << "row " << c.row;
}

}  // namespace
}  // namespace atelion

namespace atelion {
namespace {

// Some style names are built from another style's line ("Pencil sketch 1" gives "Pencil sketch 4",
// the "1" of "Painting 1" becomes "9"): in every language the 32 names must come out different.
TEST(StyleNames, EveryLanguageGivesThirtyTwoDistinctNames) {
  for (const InterfaceLanguage& language : InterfaceLanguages()) {
    SCOPED_TRACE(std::string(language.identifier));
    LanguageTable table;
    ASSERT_TRUE(LanguageTable::LoadShipped(language.identifier, table));
    const LineLookup lookup = [&table](int line) { return table.Line(line); };
    std::set<std::string> names;
    for (const EffectDescription& effect : Effects()) {
      const std::string name = EffectName(effect.effectId, lookup);
      EXPECT_FALSE(name.empty()) << effect.effectId;
      EXPECT_TRUE(names.insert(name).second) << "style " << effect.effectId << " repeats " << name;
    }
  }
}

}  // namespace
}  // namespace atelion
