// The style catalogue as one constant table, the parameter tables built from it and the
// selection rules of the style lists.
#include "effects/catalogue.h"

#include <algorithm>
#include <charconv>
#include <stdexcept>

#include "i18n/language_table.h"

namespace atelion {
namespace {

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

// Language lines of the row labels.
constexpr int kEdgeThreshold = 43, kEdgeIntensity = 44, kColorIntensity = 45, kDarkenLighten = 46,
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

// clang-format off
constexpr std::array<EffectDescription, kEffectCount> kEffects = {{
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

constexpr std::array<GroupDescription, kGroupCount> kGroups = {{
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
    if (kEffects[id].effectId != id) return false;
  }
  return true;
}

constexpr bool CatalogueRowsAreDistinctAndNoHeaders() {
  for (const EffectDescription& effect : kEffects) {
    if (effect.catalogueIndex < 0 || effect.catalogueIndex >= kCatalogueRowCount) return false;
    for (const GroupDescription& group : kGroups) {
      if (effect.catalogueIndex == group.headerCatalogueIndex) return false;
    }
    for (const EffectDescription& other : kEffects) {
      if (&other != &effect && other.catalogueIndex == effect.catalogueIndex) return false;
    }
  }
  return true;
}

// Each group list holds items 0..n−1 without gaps or duplicates.
constexpr bool GroupItemsAreContiguous() {
  for (const GroupDescription& group : kGroups) {
    int count = 0;
    for (const EffectDescription& effect : kEffects) count += effect.group == group.group ? 1 : 0;
    for (int item = 0; item < count; ++item) {
      int holders = 0;
      for (const EffectDescription& effect : kEffects) {
        holders += (effect.group == group.group && effect.listItem == item) ? 1 : 0;
      }
      if (holders != 1) return false;
    }
  }
  return true;
}

constexpr bool DefaultsLieInsideRanges() {
  for (const EffectDescription& effect : kEffects) {
    for (const SliderDescription& slider : effect.sliders) {
      if (slider.minimum > slider.maximum) return false;
      if (slider.factoryDefault < slider.minimum || slider.factoryDefault > slider.maximum) return false;
    }
  }
  return true;
}

constexpr bool ExtraRowsAreVisibleRows() {
  for (const EffectDescription& effect : kEffects) {
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

// ---- Helpers ------------------------------------------------------------------------------

LineLookup CurrentLanguageLines() {
  return [](int line) { return Text(line); };
}

bool IsSlot(int slot) { return slot >= 0 && slot < kSlotCount; }

const EffectDescription* EffectAtCatalogueIndex(int catalogueIndex) {
  for (const EffectDescription& effect : kEffects) {
    if (effect.catalogueIndex == catalogueIndex) return &effect;
  }
  return nullptr;
}

// Length of `text` without its last UTF-8 character (a lead byte and its continuation bytes).
std::size_t LengthWithoutLastCharacter(std::string_view text) {
  if (text.empty()) return 0;
  std::size_t end = text.size() - 1;
  while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
  return end;
}

}  // namespace

// ---- The catalogue -------------------------------------------------------------------------

bool IsEffectId(int effectId) { return effectId >= 0 && effectId < kEffectCount; }

std::span<const EffectDescription, kEffectCount> Effects() { return kEffects; }

const EffectDescription& DescribeEffect(int effectId) {
  if (!IsEffectId(effectId)) throw std::out_of_range("no drawing style " + std::to_string(effectId));
  return kEffects[effectId];
}

const SliderDescription& DescribeSlider(int effectId, int slot) {
  if (!IsSlot(slot)) throw std::out_of_range("no slider slot " + std::to_string(slot));
  return DescribeEffect(effectId).sliders[slot];
}

std::span<const GroupDescription, kGroupCount> Groups() { return kGroups; }

const GroupDescription& DescribeGroup(EffectGroup group) { return kGroups.at(static_cast<int>(group)); }

int GroupItemCount(EffectGroup group) {
  return static_cast<int>(std::count_if(kEffects.begin(), kEffects.end(),
                                        [group](const EffectDescription& e) { return e.group == group; }));
}

// ---- Names and labels ------------------------------------------------------------------------

std::string DeriveName(const NameDescription& name, std::string_view line) {
  switch (name.derivation) {
    case NameDerivation::AsStored:
      return std::string(line);
    case NameDerivation::ReplaceLastCharacter: {
      std::string result(line.substr(0, LengthWithoutLastCharacter(line)));
      result += name.text;
      return result;
    }
    case NameDerivation::ReplaceEveryCharacter: {
      std::string result;
      for (const char c : line) {
        if (c == name.character) {
          result += name.text;
        } else {
          result += c;
        }
      }
      return result;
    }
    case NameDerivation::Append:
      return std::string(line) + std::string(name.text);
  }
  return std::string(line);
}

std::string EffectName(int effectId) { return EffectName(effectId, CurrentLanguageLines()); }

std::string EffectName(int effectId, const LineLookup& lookup) {
  if (!IsEffectId(effectId)) return {};
  const NameDescription& name = kEffects[effectId].name;
  return DeriveName(name, lookup(name.line));
}

std::string SliderLabel(int effectId, int slot) { return SliderLabel(effectId, slot, CurrentLanguageLines()); }

std::string SliderLabel(int effectId, int slot, const LineLookup& lookup) {
  if (!IsEffectId(effectId) || !IsSlot(slot)) return {};
  const int line = kEffects[effectId].sliders[slot].labelLine;
  return line == kNoLine ? std::string() : std::string(lookup(line));
}

std::string CatalogueRowText(int catalogueIndex) { return CatalogueRowText(catalogueIndex, CurrentLanguageLines()); }

std::string CatalogueRowText(int catalogueIndex, const LineLookup& lookup) {
  if (const EffectDescription* effect = EffectAtCatalogueIndex(catalogueIndex)) {
    return EffectName(effect->effectId, lookup);
  }
  for (const GroupDescription& group : kGroups) {
    if (group.headerCatalogueIndex == catalogueIndex) return std::string(lookup(group.headerLine));
  }
  return {};
}

// ---- Parameter sets ----------------------------------------------------------------------------

int ClampToSlider(int effectId, int slot, int value) {
  const SliderDescription& slider = DescribeSlider(effectId, slot);
  return std::clamp(value, slider.minimum, slider.maximum);
}

ParameterSet FactoryDefaults(int effectId) {
  ParameterSet values{};
  const EffectDescription& effect = DescribeEffect(effectId);
  for (int slot = 0; slot < kSlotCount; ++slot) values[slot] = effect.sliders[slot].factoryDefault;
  return values;
}

ParameterTables::ParameterTables() {
  for (int id = 0; id < kEffectCount; ++id) factoryDefaults_[id] = FactoryDefaults(id);
  ResetParameters();
}

void ParameterTables::ResetParameters() { current_ = factoryDefaults_; }

const ParameterSet& ParameterTables::Current(int effectId) const { return current_.at(effectId); }

ParameterSet& ParameterTables::Current(int effectId) { return current_.at(effectId); }

const ParameterSet& ParameterTables::FactoryDefault(int effectId) const { return factoryDefaults_.at(effectId); }

void ParameterTables::StoreSliderPosition(int effectId, int slot, int position) {
  ParameterSet& values = current_.at(effectId);
  values[slot] = ClampToSlider(effectId, slot, position);
  const bool sizeRowMoved = slot == kSlotTrackBar3 || slot == kSlotTrackBar4;
  if (kEffects[effectId].extras.minimumNotAboveMaximum && sizeRowMoved &&
      values[kSlotTrackBar4] < values[kSlotTrackBar3]) {
    values[kSlotTrackBar3] = values[kSlotTrackBar4];
  }
}

// ---- Selection ---------------------------------------------------------------------------------

int EffectIdForCatalogueIndex(int catalogueIndex) {
  const EffectDescription* effect = EffectAtCatalogueIndex(catalogueIndex);
  return effect != nullptr ? effect->effectId : kNoEffectId;
}

int CatalogueIndexForEffectId(int effectId) {
  return IsEffectId(effectId) ? kEffects[effectId].catalogueIndex : -1;
}

int CatalogueIndexForListItem(ListPosition position) {
  for (const EffectDescription& effect : kEffects) {
    if (effect.group == position.group && effect.listItem == position.item) return effect.catalogueIndex;
  }
  return -1;
}

std::optional<ListPosition> ListPositionForCatalogueIndex(int catalogueIndex) {
  if (const EffectDescription* effect = EffectAtCatalogueIndex(catalogueIndex)) {
    return ListPosition{effect->group, effect->listItem};
  }
  return std::nullopt;
}

std::string GroupSelectionText(ListPosition position) {
  return std::string(DescribeGroup(position.group).listName) + " " + std::to_string(position.item);
}

std::optional<ListPosition> ParseGroupSelection(std::string_view text) {
  const std::size_t blank = text.find(' ');
  if (blank == std::string_view::npos) return std::nullopt;
  const std::string_view listName = text.substr(0, blank);
  const std::string_view number = text.substr(blank + 1);
  for (const GroupDescription& group : kGroups) {
    if (group.listName != listName) continue;
    int item = -1;
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), item);
    if (error != std::errc() || end != number.data() + number.size()) return std::nullopt;
    if (item < 0 || item >= GroupItemCount(group.group)) return std::nullopt;
    return ListPosition{group.group, item};
  }
  return std::nullopt;
}

int SampleIndex(ListPosition position) {
  int offset = 0;
  for (const GroupDescription& group : kGroups) {
    if (group.group == position.group) break;
    offset += GroupItemCount(group.group);
  }
  return offset + position.item;
}

bool MergeAvailable(const Bitmap24& source, const Bitmap24& result) {
  return source.Width() == result.Width() && source.Height() == result.Height();
}

std::optional<int> ResolveSelection(int requestedCatalogueIndex, SelectionRoute route, bool mergeAvailable) {
  if (requestedCatalogueIndex != kMergeCatalogueIndex || mergeAvailable) return requestedCatalogueIndex;
  switch (route) {
    case SelectionRoute::GroupListClick:
      return std::nullopt;
    case SelectionRoute::MoveUp:
      return kMergeCatalogueIndex - 1;
    case SelectionRoute::CatalogueList:
    case SelectionRoute::MoveDown:
      return kNoEffectCatalogueIndex;
  }
  return kNoEffectCatalogueIndex;
}

int MoveCatalogueSelection(int currentCatalogueIndex, int step, bool mergeAvailable) {
  const int target = std::clamp(currentCatalogueIndex + step, 0, kCatalogueRowCount - 1);
  const SelectionRoute route = step < 0 ? SelectionRoute::MoveUp : SelectionRoute::MoveDown;
  return *ResolveSelection(target, route, mergeAvailable);
}

}  // namespace atelion
