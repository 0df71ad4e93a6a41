// The catalogue of the 32 drawing styles: for each style its number, its place in the
// group lists, how its name is made from the language table, the method that runs it at
// full size, the five sliders with labels, ranges and factory defaults, and its extra
// controls. This table is the only description of a style's parameters: the parameters
// window, parameter files, the command line and the tests all read it.
//
// Also here: the parameter tables (current values and factory defaults of every style)
// and the selection logic that turns a list item into a style.
#pragma once

#include <array>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "core/bitmap24.h"

namespace atelion {

/// Number of styles; an `EffectId` is 0..kEffectCount − 1.
inline constexpr int kEffectCount = 32;
/// Sliders per style, and values per `ParameterSet`.
inline constexpr int kSlotCount = 5;
/// Rows of the hidden all-styles list; a `CatalogueIndex` is 0..kCatalogueRowCount − 1.
inline constexpr int kCatalogueRowCount = 40;

/// Slot indices of a `ParameterSet`, i.e. rows 1..5 of the parameter panel from the top.
/// The slider names are not in row order; every reader and writer uses this order.
inline constexpr int kSlotTrackBar1 = 0;
inline constexpr int kSlotTrackBar2 = 1;
inline constexpr int kSlotTrackBar5 = 2;
inline constexpr int kSlotTrackBar3 = 3;
inline constexpr int kSlotTrackBar4 = 4;

/// The style numbers, named after the styles.
inline constexpr int kPencilSketch1EffectId = 0;
inline constexpr int kPencilSketch2EffectId = 1;     // "Pencil sketch 2 (b&w)"
inline constexpr int kPencilSketch3EffectId = 2;     // "Pencil sketch 3 (color)"
inline constexpr int kPenAndInkSketch1EffectId = 3;
inline constexpr int kPainting1EffectId = 4;         // "Painting 1 (watercolor)"
inline constexpr int kPainting2EffectId = 5;
inline constexpr int kPainting3EffectId = 6;
inline constexpr int kPainting4EffectId = 7;
inline constexpr int kPainting5EffectId = 8;
inline constexpr int kPainting6EffectId = 9;
inline constexpr int kPixelationEffectId = 10;
inline constexpr int kColouredDotsEffectId = 11;
inline constexpr int kVivifyEffectId = 12;           // "Vivify photo"
inline constexpr int kMergeEffectId = 13;            // "Merge source and result images"
inline constexpr int kNoEffectId = 14;               // "Frame, texture and text only"
inline constexpr int kPainting7EffectId = 15;
inline constexpr int kOilPastelEffectId = 16;        // "Oil pastel sketch (color)"
inline constexpr int kCartoon1EffectId = 17;
inline constexpr int kCartoon2EffectId = 18;
inline constexpr int kVintagePhotoEffectId = 19;
inline constexpr int kPainting8EffectId = 20;        // "Painting 8 (expressive brushstrokes)"
inline constexpr int kPenAndInkSketch2EffectId = 21;
inline constexpr int kEmergenceEffectId = 22;
inline constexpr int kPencilSketch4EffectId = 23;
inline constexpr int kPencilSketch5EffectId = 24;
inline constexpr int kEmergence2EffectId = 25;
inline constexpr int kLinearHalftoningEffectId = 26;
inline constexpr int kPainting9EffectId = 27;
inline constexpr int kPainting10EffectId = 28;
inline constexpr int kAbstractEffectId = 29;
inline constexpr int kPainting11EffectId = 30;
inline constexpr int kPencilSketch6EffectId = 31;

/// Catalogue rows the selection logic refers to by name.
inline constexpr int kMergeCatalogueIndex = 34;
inline constexpr int kNoEffectCatalogueIndex = 36;
inline constexpr int kStartCatalogueIndex = 1;       // Pencil sketch 1, selected at start

/// Marks "no language line" (a hidden row without a stored label).
inline constexpr int kNoLine = -1;

/// Language lines and fixed texts of the extra controls.
inline constexpr int kLoadCustomBrushLine = 176;     // "Load custom brush"
inline constexpr int kResetBrushLine = 177;          // "Reset brush"
inline constexpr int kDontEraseBackgroundLine = 241; // "Don't erase background"
inline constexpr std::string_view kDoubleCheckBoxText = "x 2";
/// Shown in a row's value label when the user asked for the largest setting; the styles
/// that offer it read the label and give this text its own meaning.
inline constexpr std::string_view kMaxValueText = "MAX";
/// Appended to the list entry of the last group selection.
inline constexpr std::string_view kSelectedItemMark = " \u221A";

/// The six collapsible groups of the style lists, in display order.
enum class EffectGroup { Pencil, PenAndInk, Painting, Stylized, Miscellaneous, NoEffect };
inline constexpr int kGroupCount = 6;

/// The method that runs a style at full size. Two styles may share one (Painting 5 and 6).
enum class FullSizeMethod {
  ProcessPencilSketch,
  ProcessSobelFilter,
  ProcessColourSobel,
  ProcessPenandInkSketch,
  ProcessPainting,
  ProcessPainting2,
  ProcessPainting3,
  ProcessPainting4,
  ProcessRegionGrowing,
  ProcessColouredSquares,
  ProcessColouredCircles,
  ProcessVivify,
  ProcessAlphaBlend,
  ProcessNoFilter,
  ProcessRandomStrokes,
  ProcessPencilStrokes,
  ProcessCartoonify,
  ProcessColourInk,
  ProcessSepia,
  ProcessExpressivePainting,
  ProcessPenAndInkSketch2,
  ProcessRandomPolygons,
  ProcessNewPencilSketch,
  ProcessPencilSketch5,
  ProcessShadedTriangles,
  ProcessHalfToneLines,
  ProcessPainting9,
  ProcessPainting10,
  ProcessAbstract,
  ProcessPainting11,
  ProcessPencilSketch6,
};

/// How a style's name is made from its language line. Derived names are built from the
/// translated line, so they follow the language.
enum class NameDerivation {
  AsStored,               // the line itself
  ReplaceLastCharacter,   // the line without its last character, then `text`
  ReplaceEveryCharacter,  // every `character` of the line replaced by `text`
  Append,                 // the line followed by `text`
};

struct NameDescription {
  int line = kNoLine;
  NameDerivation derivation = NameDerivation::AsStored;
  char character = 0;
  std::string_view text{};
};

/// One row of the parameter panel for one style.
struct SliderDescription {
  /// Language line of the row label, or kNoLine. A hidden row may still keep a label.
  int labelLine = kNoLine;
  bool visible = true;
  int minimum = 0;
  int maximum = 255;
  int factoryDefault = 0;
  /// Distance between tick marks; 0 leaves the widget's own spacing.
  int tickInterval = 0;
};

enum class CustomBrushButtons {
  None,
  Button6And7,          // `Button6` "Load custom brush", `Button7` "Reset brush"
  SkinButton1And2,      // `spSkinButton1` "Load custom brush", `spSkinButton2` "Reset brush"
};

/// Controls a style adds to the parameter panel; all are hidden for other styles.
struct ExtraControls {
  /// Slot of the row with an "x 2" check box beside it, or −1 (`CheckBox6` beside row 2
  /// for Painting 7, `CheckBox8` beside row 1 for Painting 10).
  int doubleCheckBoxSlot = -1;
  /// Slot of the row whose value label can be clicked to set the slider to its maximum
  /// and show "MAX", or −1.
  int maxSlot = -1;
  CustomBrushButtons customBrush = CustomBrushButtons::None;
  /// "Don't erase background" is enabled: the style may paint over the previous result.
  bool dontEraseBackground = false;
  /// Rows 4 and 5 are a minimum and a maximum size: the minimum never exceeds the maximum.
  bool minimumNotAboveMaximum = false;
};

struct EffectDescription {
  int effectId = 0;
  int catalogueIndex = 0;
  EffectGroup group = EffectGroup::Pencil;
  int listItem = 0;
  NameDescription name;
  FullSizeMethod method = FullSizeMethod::ProcessNoFilter;
  /// In slot order: TrackBar1, TrackBar2, TrackBar5, TrackBar3, TrackBar4.
  std::array<SliderDescription, kSlotCount> sliders;
  ExtraControls extras;
};

struct GroupDescription {
  EffectGroup group = EffectGroup::Pencil;
  std::string_view listName;  // "ListBox2" .. "ListBox7"
  int headerLine = kNoLine;
  int headerCatalogueIndex = 0;
};

/// An item of one group list.
struct ListPosition {
  EffectGroup group = EffectGroup::Pencil;
  int item = 0;
  bool operator==(const ListPosition&) const = default;
};

/// Fetches a language line; the default is the current language (`Text`).
using LineLookup = std::function<std::string_view(int line)>;

// ---- The catalogue ---------------------------------------------------------------------

bool IsEffectId(int effectId);
/// The whole catalogue, indexed by `EffectId`.
std::span<const EffectDescription, kEffectCount> Effects();
/// Throws std::out_of_range for a value that is not an `EffectId`.
const EffectDescription& DescribeEffect(int effectId);
const SliderDescription& DescribeSlider(int effectId, int slot);

std::span<const GroupDescription, kGroupCount> Groups();
const GroupDescription& DescribeGroup(EffectGroup group);
/// Number of styles in a group list.
int GroupItemCount(EffectGroup group);

// ---- Names and labels --------------------------------------------------------------------

/// Applies a name derivation to a language line. "Last character" is a whole UTF-8 character.
std::string DeriveName(const NameDescription& name, std::string_view line);

/// The display name of a style in the current language (empty for a value that is not an `EffectId`).
std::string EffectName(int effectId);
std::string EffectName(int effectId, const LineLookup& lookup);

/// A row label exactly as the language line stores it, trailing blanks included; empty for
/// a hidden row without a stored label.
std::string SliderLabel(int effectId, int slot);
std::string SliderLabel(int effectId, int slot, const LineLookup& lookup);

/// The text of a row of the hidden all-styles list: the style name, the group header for
/// header rows, empty for the unused rows 38 and 39.
std::string CatalogueRowText(int catalogueIndex);
std::string CatalogueRowText(int catalogueIndex, const LineLookup& lookup);

// ---- Parameter sets ---------------------------------------------------------------------

/// The five slider values of one style, in slot order.
using ParameterSet = std::array<int, kSlotCount>;

/// Limits a value to the range of a style's slider, as the slider itself would.
int ClampToSlider(int effectId, int slot, int value);

/// The factory defaults of one style, from the catalogue.
ParameterSet FactoryDefaults(int effectId);

/// Current values and factory defaults of all 32 styles. Current values are not validated
/// against the slider ranges (parameter files may store anything); only slider moves clamp.
class ParameterTables {
 public:
  /// Factory defaults filled in and copied to the current values.
  ParameterTables();

  /// "Reset parameters": the factory defaults replace the current values of every style.
  void ResetParameters();

  const ParameterSet& Current(int effectId) const;
  /// Direct access for readers of stored parameters.
  ParameterSet& Current(int effectId);
  const ParameterSet& FactoryDefault(int effectId) const;

  /// A slider of `effectId` moved to `position`: the value is clamped to the slider's range
  /// and stored. For styles whose rows 4 and 5 are a minimum and a maximum, a move of either
  /// that leaves the maximum below the minimum pulls the minimum down to the maximum.
  void StoreSliderPosition(int effectId, int slot, int position);

 private:
  std::array<ParameterSet, kEffectCount> current_{};
  std::array<ParameterSet, kEffectCount> factoryDefaults_{};
};

// ---- Selection --------------------------------------------------------------------------

/// The style of a catalogue row; headers, unused and unknown rows give the no-effect style.
int EffectIdForCatalogueIndex(int catalogueIndex);
/// The catalogue row of a style, or −1 for a value that is not an `EffectId`.
int CatalogueIndexForEffectId(int effectId);

/// The catalogue row of a group list item, or −1 when the list has no such item.
int CatalogueIndexForListItem(ListPosition position);
/// The group list item that shows a catalogue row; none for headers and unused rows.
std::optional<ListPosition> ListPositionForCatalogueIndex(int catalogueIndex);

/// The last group selection as stored: list name, one blank, item index ("ListBox2 0").
std::string GroupSelectionText(ListPosition position);
/// Reads a last group selection; none when the text names no list or the item is not a
/// whole number within the list.
std::optional<ListPosition> ParseGroupSelection(std::string_view text);

/// Index of a style's sample picture: the number of styles in the earlier groups plus the item.
int SampleIndex(ListPosition position);

/// The merge style needs a result of the same width and height as the source.
bool MergeAvailable(const Bitmap24& source, const Bitmap24& result);

/// How a selection is being made.
enum class SelectionRoute {
  GroupListClick,  // a click on an item of a group list
  CatalogueList,   // the hidden all-styles list set directly (parameter file, window shown)
  MoveUp,          // Up arrow: the hidden list moved one row up
  MoveDown,        // Down arrow: the hidden list moved one row down
};

/// The catalogue row a request ends on. Only the merge style is ever refused, and only while
/// source and result differ in size: a group-list click is ignored (none), a move up lands on
/// the row above it, any other route falls back to "Frame, texture and text only".
std::optional<int> ResolveSelection(int requestedCatalogueIndex, SelectionRoute route,
                                    bool mergeAvailable);

/// Up (step −1) or Down (step +1) in the hidden all-styles list from `currentCatalogueIndex`
/// (−1 when nothing is selected), staying within its rows, then resolved as above.
int MoveCatalogueSelection(int currentCatalogueIndex, int step, bool mergeAvailable);

}  // namespace atelion
