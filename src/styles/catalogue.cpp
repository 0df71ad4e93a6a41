// The style catalogue as one constant table, the parameter tables built from it and the
// selection rules of the style lists.
#include "styles/catalogue.h"

#include <algorithm>
#include <charconv>
#include <stdexcept>

#include "i18n/language_table.h"
#include "styles/catalogue_table.h"

namespace atelion {
namespace {

using catalogue_table::kEffectTable;
using catalogue_table::kGroupTable;

// ---- Helpers ------------------------------------------------------------------------------

LineLookup CurrentLanguageLines() {
  return [](int line) { return Text(line); };
}

bool IsSlot(int slot) { return slot >= 0 && slot < kSlotCount; }

const EffectDescription* EffectAtCatalogueIndex(int catalogueIndex) {
  for (const EffectDescription& effect : kEffectTable) {
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

std::span<const EffectDescription, kEffectCount> Effects() { return kEffectTable; }

const EffectDescription& DescribeEffect(int effectId) {
  if (!IsEffectId(effectId)) throw std::out_of_range("no drawing style " + std::to_string(effectId));
  return kEffectTable[effectId];
}

const SliderDescription& DescribeSlider(int effectId, int slot) {
  if (!IsSlot(slot)) throw std::out_of_range("no slider slot " + std::to_string(slot));
  return DescribeEffect(effectId).sliders[slot];
}

std::span<const GroupDescription, kGroupCount> Groups() { return kGroupTable; }

const GroupDescription& DescribeGroup(EffectGroup group) { return kGroupTable.at(static_cast<int>(group)); }

int GroupItemCount(EffectGroup group) {
  return static_cast<int>(std::count_if(kEffectTable.begin(), kEffectTable.end(),
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
  const NameDescription& name = kEffectTable[effectId].name;
  return DeriveName(name, lookup(name.line));
}

std::string SliderLabel(int effectId, int slot) { return SliderLabel(effectId, slot, CurrentLanguageLines()); }

std::string SliderLabel(int effectId, int slot, const LineLookup& lookup) {
  if (!IsEffectId(effectId) || !IsSlot(slot)) return {};
  const int line = kEffectTable[effectId].sliders[slot].labelLine;
  return line == kNoLine ? std::string() : std::string(lookup(line));
}

std::string CatalogueRowText(int catalogueIndex) { return CatalogueRowText(catalogueIndex, CurrentLanguageLines()); }

std::string CatalogueRowText(int catalogueIndex, const LineLookup& lookup) {
  if (const EffectDescription* effect = EffectAtCatalogueIndex(catalogueIndex)) {
    return EffectName(effect->effectId, lookup);
  }
  for (const GroupDescription& group : kGroupTable) {
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
  if (kEffectTable[effectId].extras.minimumNotAboveMaximum && sizeRowMoved &&
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
  return IsEffectId(effectId) ? kEffectTable[effectId].catalogueIndex : -1;
}

int CatalogueIndexForListItem(ListPosition position) {
  for (const EffectDescription& effect : kEffectTable) {
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
  for (const GroupDescription& group : kGroupTable) {
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
  for (const GroupDescription& group : kGroupTable) {
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
