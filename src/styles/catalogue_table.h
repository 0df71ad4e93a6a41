// The catalogue's constant table: every style's number, list place, name, full-size method,
// slider rows and extra controls, with the invariants the compiler checks. Included by the
// catalogue and by the style list, which the compiler checks against this table.
#pragma once

#include <array>

#include "styles/catalogue.h"

namespace atelion {

/// Language lines of the slider row labels, as the catalogue and the styles' parameter structs
/// name them.
namespace row_label {
inline constexpr int kEdgeThreshold = 43, kEdgeIntensity = 44, kColorIntensity = 45, kDarkenLighten = 46,
              kLevelOfContrast = 47, kStrokeLength = 48, kColorBlending = 49, kStrengthOfEffect = 50,
              kPrecisionOfPaintbrush = 51, kSizeOfPaintbrush = 52, kContrastEnhancement = 53,
              kImageSimplification = 54, kBrushstrokesIntensity = 55, kLevelOfAbstraction = 56,
              kNumberOfSquares = 57, kMinimumSquareSize = 58, kMaximumSquareSize = 59,
              kNumberOfCircles = 60, kMinimumRadius = 61, kMaximumRadius = 62,
              kBlendingIntensity = 63, kMinimumBrushSize = 64, kMaximumBrushSize = 65,
              kNumberOfBrushstrokes = 66, kBrushstrokePrecision = 67, kMinimumStrokeSize = 68,
              kMaximumStrokeSize = 69, kNumberOfIterations = 70, kFilterPrecision = 71,
              kBlurStrength = 72, kOldPaperDefects = 73, kSepiaColoring = 74, kVivifyPhoto = 102,
              kLuminosity = 159, kContrast = 160, kSaturation = 161, kBlurSharpen = 162,
              kLevelOfDetails = 200, kMultiplication = 228, kAngle = 231;

}  // namespace row_label

namespace catalogue_table {

// ---- Building blocks of the table -----------------------------------------------------

// Range and tick spacing of each slot unless a style overrides it. Rows 1 and 2 get ticks
// every 5 when a style is selected; rows 3 to 5 keep the widget's spacing.
constexpr std::array<int, kSlotCount> kStandardMaximum = {255, 255, 100, 255, 255};
constexpr std::array<int, kSlotCount> kStandardTickInterval = {5, 5, 0, 0, 0};

struct Row {
  int labelLine = kNoLine;
  int factoryDefault = 0;
  bool visible = true;
  bool ownRange = false;
  int minimum = 0;
  int maximum = 0;
  int tickInterval = 0;
};

constexpr Row Shown(int labelLine, int factoryDefault) { return {labelLine, factoryDefault}; }
// A hidden row: most have neither label nor value; one keeps both.
constexpr Row Hidden(int labelLine = kNoLine, int factoryDefault = 0) {
  return {labelLine, factoryDefault, false};
}
constexpr Row Ranged(int labelLine, int factoryDefault, int minimum, int maximum, int tickInterval) {
  return {labelLine, factoryDefault, true, true, minimum, maximum, tickInterval};
}

constexpr std::array<SliderDescription, kSlotCount> Rows(Row r1, Row r2, Row r3, Row r4, Row r5) {
  const std::array<Row, kSlotCount> rows = {r1, r2, r3, r4, r5};
  std::array<SliderDescription, kSlotCount> sliders{};
  for (int slot = 0; slot < kSlotCount; ++slot) {
    const Row& row = rows[slot];
    SliderDescription& slider = sliders[slot];
    slider.labelLine = row.labelLine;
    slider.visible = row.visible;
    slider.factoryDefault = row.factoryDefault;
    slider.minimum = row.ownRange ? row.minimum : 0;
    slider.maximum = row.ownRange ? row.maximum : kStandardMaximum[slot];
    slider.tickInterval = row.ownRange ? row.tickInterval : kStandardTickInterval[slot];
  }
  return sliders;
}

constexpr NameDescription Named(int line) { return {line}; }
constexpr NameDescription LastCharacterReplaced(int line, std::string_view by) {
  return {line, NameDerivation::ReplaceLastCharacter, 0, by};
}
constexpr NameDescription EveryCharacterReplaced(int line, char character, std::string_view by) {
  return {line, NameDerivation::ReplaceEveryCharacter, character, by};
}
constexpr NameDescription Appended(int line, std::string_view text) {
  return {line, NameDerivation::Append, 0, text};
}

constexpr ExtraControls kNoExtras{};
constexpr ExtraControls kMinimumBelowMaximum{.minimumNotAboveMaximum = true};
constexpr ExtraControls kButtonBrushesOverPrevious{.customBrush = CustomBrushButtons::Button6And7,
                                                   .dontEraseBackground = true};
constexpr ExtraControls kOverPrevious{.dontEraseBackground = true};
constexpr ExtraControls kMaxOnRow2{.maxSlot = kSlotTrackBar2};

using enum EffectGroup;
using enum FullSizeMethod;
using namespace row_label;

// clang-format off
inline constexpr std::array<EffectDescription, kEffectCount> kEffectTable = {{
  {0, 1, Pencil, 0, Named(82), ProcessPencilSketch,
   Rows(Shown(kEdgeThreshold, 20), Shown(kEdgeIntensity, 100), Shown(kColorIntensity, 80),
        Shown(kDarkenLighten, 160), Shown(kLevelOfContrast, 25)), kNoExtras},
  {1, 2, Pencil, 1, Named(83), ProcessSobelFilter,
   Rows(Shown(kEdgeThreshold, 7), Shown(kEdgeIntensity, 127), Shown(kStrokeLength, 30),
        Shown(kDarkenLighten, 127), Hidden()), kNoExtras},
  {2, 3, Pencil, 2, Named(84), ProcessColourSobel,
   Rows(Shown(kEdgeThreshold, 10), Shown(kEdgeIntensity, 200), Shown(kStrokeLength, 20),
        Shown(kDarkenLighten, 50), Shown(kColorIntensity, 50)), kNoExtras},
  {3, 8, PenAndInk, 0, Named(87), ProcessPenandInkSketch,
   Rows(Shown(kEdgeThreshold, 50), Shown(kEdgeIntensity, 50), Hidden(kColorIntensity, 90),
        Shown(kDarkenLighten, 110), Hidden()), kNoExtras},
  {4, 11, Painting, 0, Named(89), ProcessPainting,
   Rows(Shown(kColorBlending, 90), Shown(kEdgeIntensity, 110), Shown(kStrengthOfEffect, 25),
        Shown(kDarkenLighten, 140), Shown(kBrushstrokesIntensity, 50)), kNoExtras},
  {5, 12, Painting, 1, Named(90), ProcessPainting2,
   Rows(Shown(kStrokeLength, 135), Shown(kNumberOfBrushstrokes, 80), Shown(kLevelOfAbstraction, 25),
        Shown(kColorIntensity, 135), Shown(kBrushstrokesIntensity, 135)), kNoExtras},
  {6, 13, Painting, 2, Named(91), ProcessPainting3,
   Rows(Shown(kColorBlending, 35), Ranged(kSizeOfPaintbrush, 5, 1, 10, 1), Shown(kStrengthOfEffect, 30),
        Shown(kDarkenLighten, 140), Hidden()), kNoExtras},
  {7, 14, Painting, 3, Named(92), ProcessPainting4,
   Rows(Shown(kMinimumBrushSize, 20), Shown(kMaximumBrushSize, 80), Shown(kNumberOfBrushstrokes, 25),
        Shown(kBlendingIntensity, 0), Shown(kBrushstrokePrecision, 30)), kButtonBrushesOverPrevious},
  {8, 15, Painting, 4, Named(93), ProcessRegionGrowing,
   Rows(Shown(kStrengthOfEffect, 200), Shown(kImageSimplification, 10), Shown(kColorIntensity, 60),
        Shown(kDarkenLighten, 160), Shown(kBrushstrokesIntensity, 70)), kNoExtras},
  {9, 16, Painting, 5, Named(94), ProcessRegionGrowing,
   Rows(Shown(kStrengthOfEffect, 200), Shown(kImageSimplification, 10), Shown(kColorIntensity, 60),
        Shown(kDarkenLighten, 140), Shown(kBrushstrokesIntensity, 50)), kNoExtras},
  {10, 23, Stylized, 0, Named(97), ProcessColouredSquares,
   Rows(Shown(kLevelOfAbstraction, 65), Shown(kNumberOfSquares, 100), Shown(kColorIntensity, 55),
        Shown(kMinimumSquareSize, 15), Shown(kMaximumSquareSize, 180)), kMinimumBelowMaximum},
  {11, 24, Stylized, 1, Named(98), ProcessColouredCircles,
   Rows(Shown(kLevelOfAbstraction, 65), Shown(kNumberOfCircles, 100), Shown(kColorIntensity, 55),
        Shown(kMinimumRadius, 15), Shown(kMaximumRadius, 180)), kMinimumBelowMaximum},
  {12, 32, Miscellaneous, 0, Named(102), ProcessVivify,
   Rows(Shown(kEdgeThreshold, 35), Shown(kEdgeIntensity, 100), Shown(kColorIntensity, 55),
        Shown(kDarkenLighten, 128), Shown(kLevelOfContrast, 20)), kNoExtras},
  {13, 34, Miscellaneous, 2, Named(104), ProcessAlphaBlend,
   Rows(Shown(kBlendingIntensity, 127), Shown(kMultiplication, 0), Shown(kDarkenLighten, 50),
        Hidden(), Hidden()), kNoExtras},
  {14, 36, NoEffect, 0, Named(106), ProcessNoFilter,
   Rows(Shown(kLuminosity, 128), Shown(kContrast, 128), Shown(kSaturation, 50),
        Shown(kBlurSharpen, 128), Shown(kVivifyPhoto, 0)), kNoExtras},
  {15, 17, Painting, 6, Named(95), ProcessRandomStrokes,
   Rows(Shown(kMinimumBrushSize, 10), Shown(kMaximumBrushSize, 200), Shown(kNumberOfBrushstrokes, 50),
        Shown(kEdgeIntensity, 30), Shown(kBrushstrokePrecision, 190)),
   {.doubleCheckBoxSlot = kSlotTrackBar2, .maxSlot = kSlotTrackBar5,
    .customBrush = CustomBrushButtons::SkinButton1And2}},
  {16, 4, Pencil, 3, Named(85), ProcessPencilStrokes,
   Rows(Shown(kMinimumStrokeSize, 0), Shown(kMaximumStrokeSize, 200), Shown(kNumberOfIterations, 20),
        Shown(kEdgeIntensity, 100), Shown(kFilterPrecision, 200)), kNoExtras},
  {17, 25, Stylized, 2, Named(99), ProcessCartoonify,
   Rows(Shown(kStrengthOfEffect, 225), Shown(kImageSimplification, 70), Shown(kDarkenLighten, 55),
        Shown(kEdgeIntensity, 220), Shown(kColorIntensity, 127)), kNoExtras},
  {18, 26, Stylized, 3, Named(100), ProcessColourInk,
   Rows(Shown(kColorBlending, 30), Shown(kEdgeIntensity, 30), Shown(kStrengthOfEffect, 10),
        Shown(kDarkenLighten, 127), Hidden()), kNoExtras},
  {19, 33, Miscellaneous, 1, Named(103), ProcessSepia,
   Rows(Shown(kStrengthOfEffect, 255), Shown(kBlurStrength, 127), Shown(kOldPaperDefects, 50),
        Shown(kSepiaColoring, 220), Shown(kDarkenLighten, 140)), kNoExtras},
  {20, 18, Painting, 7, Named(199), ProcessExpressivePainting,
   Rows(Shown(kMaximumBrushSize, 50), Shown(kNumberOfBrushstrokes, 25), Shown(kBrushstrokePrecision, 70),
        Shown(kLevelOfContrast, 85), Shown(kLevelOfDetails, 215)),
   {.customBrush = CustomBrushButtons::SkinButton1And2}},
  {21, 9, PenAndInk, 1, LastCharacterReplaced(87, "2"), ProcessPenAndInkSketch2,
   Rows(Shown(kLevelOfDetails, 40), Shown(kDarkenLighten, 160), Shown(kImageSimplification, 40),
        Hidden(), Hidden()), kNoExtras},
  {22, 27, Stylized, 4, Named(206), ProcessRandomPolygons,
   Rows(Shown(kLevelOfAbstraction, 100), Shown(kNumberOfIterations, 80), Shown(kLevelOfContrast, 30),
        Shown(kMinimumRadius, 25), Shown(kMaximumRadius, 130)), kMaxOnRow2},
  {23, 5, Pencil, 4, LastCharacterReplaced(82, "4"), ProcessNewPencilSketch,
   Rows(Shown(kEdgeThreshold, 20), Shown(kNumberOfIterations, 100), Shown(kStrokeLength, 25),
        Shown(kLevelOfAbstraction, 10), Shown(kColorIntensity, 140)), kNoExtras},
  {24, 6, Pencil, 5, LastCharacterReplaced(82, "5"), ProcessPencilSketch5,
   Rows(Shown(kNumberOfIterations, 180), Shown(kStrokeLength, 180), Shown(kBlendingIntensity, 40),
        Shown(kContrastEnhancement, 50), Shown(kColorIntensity, 0)), kNoExtras},
  {25, 28, Stylized, 5, Appended(206, " 2"), ProcessShadedTriangles,
   Rows(Shown(kLevelOfAbstraction, 130), Shown(kNumberOfIterations, 100), Shown(kLevelOfContrast, 10),
        Shown(kMinimumRadius, 15), Shown(kMaximumRadius, 180)), kMaxOnRow2},
  {26, 29, Stylized, 6, Named(230), ProcessHalfToneLines,
   Rows(Shown(kLevelOfAbstraction, 12), Ranged(kAngle, 45, 0, 360, 7), Shown(kColorIntensity, 100),
        Hidden(), Hidden()), kNoExtras},
  {27, 19, Painting, 8, EveryCharacterReplaced(89, '1', "9"), ProcessPainting9,
   Rows(Shown(kNumberOfIterations, 7), Shown(kSizeOfPaintbrush, 170), Shown(kPrecisionOfPaintbrush, 90),
        Shown(kEdgeIntensity, 127), Shown(kDarkenLighten, 10)), kOverPrevious},
  {28, 20, Painting, 9, EveryCharacterReplaced(95, '7', "10"), ProcessPainting10,
   Rows(Shown(kMinimumBrushSize, 50), Shown(kNumberOfIterations, 50), Shown(kLevelOfAbstraction, 50),
        Shown(kStrengthOfEffect, 130), Shown(kSaturation, 130)),
   {.doubleCheckBoxSlot = kSlotTrackBar1, .customBrush = CustomBrushButtons::Button6And7}},
  {29, 30, Stylized, 7, Named(237), ProcessAbstract,
   Rows(Shown(kMaximumRadius, 150), Shown(kNumberOfIterations, 15), Shown(kColorIntensity, 55),
        Shown(kDarkenLighten, 127), Shown(kLevelOfContrast, 127)), kNoExtras},
  {30, 21, Painting, 10, EveryCharacterReplaced(95, '7', "11"), ProcessPainting11,
   Rows(Shown(kMinimumBrushSize, 10), Shown(kMaximumBrushSize, 100), Shown(kNumberOfBrushstrokes, 20),
        Shown(kBlendingIntensity, 0), Shown(kLevelOfAbstraction, 127)), kButtonBrushesOverPrevious},
  {31, 37, Pencil, 6, LastCharacterReplaced(82, "6"), ProcessPencilSketch6,
   Rows(Shown(kMinimumStrokeSize, 5), Shown(kMaximumStrokeSize, 50), Shown(kNumberOfIterations, 30),
        Shown(kColorIntensity, 0), Shown(kFilterPrecision, 30)), kOverPrevious},
}};

inline constexpr std::array<GroupDescription, kGroupCount> kGroupTable = {{
  {Pencil, "ListBox2", 81, 0},
  {PenAndInk, "ListBox3", 86, 7},
  {Painting, "ListBox4", 88, 10},
  {Stylized, "ListBox5", 96, 22},
  {Miscellaneous, "ListBox6", 101, 31},
  {NoEffect, "ListBox7", 105, 35},
}};
// clang-format on

// ---- Checks on the table, made by the compiler ------------------------------------------

constexpr bool EveryEntrySitsAtItsEffectId() {
  for (int id = 0; id < kEffectCount; ++id) {
    if (kEffectTable[id].effectId != id) return false;
  }
  return true;
}

constexpr bool CatalogueRowsAreDistinctAndNoHeaders() {
  for (const EffectDescription& effect : kEffectTable) {
    if (effect.catalogueIndex < 0 || effect.catalogueIndex >= kCatalogueRowCount) return false;
    for (const GroupDescription& group : kGroupTable) {
      if (effect.catalogueIndex == group.headerCatalogueIndex) return false;
    }
    for (const EffectDescription& other : kEffectTable) {
      if (&other != &effect && other.catalogueIndex == effect.catalogueIndex) return false;
    }
  }
  return true;
}

// Each group list holds items 0..n−1 without gaps or duplicates.
constexpr bool GroupItemsAreContiguous() {
  for (const GroupDescription& group : kGroupTable) {
    int count = 0;
    for (const EffectDescription& effect : kEffectTable) count += effect.group == group.group ? 1 : 0;
    for (int item = 0; item < count; ++item) {
      int holders = 0;
      for (const EffectDescription& effect : kEffectTable) {
        holders += (effect.group == group.group && effect.listItem == item) ? 1 : 0;
      }
      if (holders != 1) return false;
    }
  }
  return true;
}

constexpr bool DefaultsLieInsideRanges() {
  for (const EffectDescription& effect : kEffectTable) {
    for (const SliderDescription& slider : effect.sliders) {
      if (slider.minimum > slider.maximum) return false;
      if (slider.factoryDefault < slider.minimum || slider.factoryDefault > slider.maximum) return false;
    }
  }
  return true;
}

constexpr bool ExtraRowsAreVisibleRows() {
  for (const EffectDescription& effect : kEffectTable) {
    for (const int slot : {effect.extras.doubleCheckBoxSlot, effect.extras.maxSlot}) {
      if (slot != -1 && (slot < 0 || slot >= kSlotCount || !effect.sliders[slot].visible)) return false;
    }
  }
  return true;
}

static_assert(EveryEntrySitsAtItsEffectId());
static_assert(CatalogueRowsAreDistinctAndNoHeaders());
static_assert(GroupItemsAreContiguous());
static_assert(DefaultsLieInsideRanges());
static_assert(ExtraRowsAreVisibleRows());

}  // namespace catalogue_table

}  // namespace atelion
