#include "document/resize_fields.h"

#include <algorithm>
#include <limits>
#include <utility>

namespace atelion {
namespace {

constexpr int kUnreadable = 100;  // what a field counts as when its text cannot be read
constexpr std::int64_t kInt32Max = std::numeric_limits<std::int32_t>::max();
constexpr std::int64_t kInt32Min = std::numeric_limits<std::int32_t>::min();

ResizeField PixelsField(ResizeAxis axis) { return axis == ResizeAxis::Width ? ResizeField::Width : ResizeField::Height; }
ResizeField PercentField(ResizeAxis axis) {
  return axis == ResizeAxis::Width ? ResizeField::WidthPercent : ResizeField::HeightPercent;
}
ResizeAxis AxisOf(ResizeField field) {
  return field == ResizeField::Width || field == ResizeField::WidthPercent ? ResizeAxis::Width : ResizeAxis::Height;
}
// The width leads (2) when a width field or slider changed, the height (1) otherwise.
int Leading(ResizeAxis axis) { return axis == ResizeAxis::Width ? 2 : 1; }

// The arithmetic is 32-bit; a product that would leave that range (only extreme proportions get
// there) is held at its end instead of wrapping round to a meaningless size.
int To32(std::int64_t value) { return static_cast<int>(std::clamp(value, kInt32Min, kInt32Max)); }

}  // namespace

bool IsResizeNumber(std::string_view text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

int ResizeFieldValue(std::string_view text, int fallback) {
  if (text.empty() || !IsResizeNumber(text)) return fallback;
  std::int64_t value = 0;
  for (const char digit : text) {
    value = std::min(value * 10 + (digit - '0'), kInt32Max);
  }
  return static_cast<int>(value);
}

ResizeFields::ResizeFields() {
  texts_ = {"0", "0", "100", "100"};
  positions_ = {1, 1};
  maxima_ = {10000, 10000};
}

void ResizeFields::Activate(PictureSize present) {
  present_ = {std::max(1, present.width), std::max(1, present.height)};
  for (const ResizeAxis axis : {ResizeAxis::Width, ResizeAxis::Height}) {
    maxima_[static_cast<int>(axis)] = To32(std::int64_t{kMaxFactor} * PresentSide(axis));
    TextOf(PixelsField(axis)) = std::to_string(PresentSide(axis));
    TextOf(PercentField(axis)) = "100";
    SetSlider(axis, PresentSide(axis));
  }
  desktopSize_ = false;
  keepRatio_ = true;
}

void ResizeFields::SetSlider(ResizeAxis axis, std::int64_t position) {
  positions_[static_cast<int>(axis)] = To32(std::clamp<std::int64_t>(position, SliderMinimum(), SliderMaximum(axis)));
}

void ResizeFields::KeyUp(ResizeField field, std::string text) {
  TextOf(field) = std::move(text);
  const ResizeAxis axis = AxisOf(field);
  if (field == PixelsField(axis)) {
    PixelsKeyUp(axis);
  } else {
    PercentKeyUp(axis);
  }
  Synchronize(Leading(axis));
  desktopSize_ = false;
}

void ResizeFields::PixelsKeyUp(ResizeAxis axis) {
  std::string& pixels = TextOf(PixelsField(axis));
  const int side = PresentSide(axis);
  if (!IsResizeNumber(pixels)) {
    pixels = std::to_string(side);
    SetSlider(axis, side);
    TextOf(PercentField(axis)) = "100";
  }
  if (pixels.empty()) pixels.assign(1, '0');
  const int cap = To32(std::int64_t{kMaxFactor} * side);
  if (ResizeFieldValue(pixels, kUnreadable) > cap) pixels = std::to_string(cap);
  const int value = ResizeFieldValue(pixels, 0);
  SetSlider(axis, value);
  TextOf(PercentField(axis)) = std::to_string(To32(std::int64_t{value} * 100 / side));
}

void ResizeFields::PercentKeyUp(ResizeAxis axis) {
  std::string& percent = TextOf(PercentField(axis));
  const int side = PresentSide(axis);
  if (!IsResizeNumber(percent)) {
    TextOf(PixelsField(axis)) = std::to_string(side);
    SetSlider(axis, side);
    percent = "100";
  }
  if (percent.empty()) percent.assign(1, '0');
  if (ResizeFieldValue(percent, 0) > kMaxPercent) percent = std::to_string(kMaxPercent);
  SetSlider(axis, std::int64_t{side} * ResizeFieldValue(percent, 0) / 100);
  TextOf(PixelsField(axis)) = std::to_string(SliderPosition(axis));
}

void ResizeFields::SliderMoved(ResizeAxis axis, int position) {
  SetSlider(axis, position);
  TextOf(PixelsField(axis)) = std::to_string(SliderPosition(axis));
  TextOf(PercentField(axis)) = std::to_string(To32(std::int64_t{SliderPosition(axis)} * 100 / PresentSide(axis)));
  Synchronize(Leading(axis));
  desktopSize_ = false;
}

void ResizeFields::SetKeepRatio(bool ticked) {
  keepRatio_ = ticked;
  if (!ticked) return;
  Synchronize(2);
  desktopSize_ = false;
}

void ResizeFields::SetDesktopSize(bool ticked, PictureSize desktop) {
  desktopSize_ = ticked;
  if (!ticked) return;
  keepRatio_ = false;
  TextOf(ResizeField::Width) = std::to_string(desktop.width);
  TextOf(ResizeField::Height) = std::to_string(desktop.height);
  SetSlider(ResizeAxis::Width, desktop.width);
  SetSlider(ResizeAxis::Height, desktop.height);
  TextOf(ResizeField::WidthPercent) = std::to_string(To32(std::int64_t{desktop.width} * 100 / present_.width));
  TextOf(ResizeField::HeightPercent) = std::to_string(To32(std::int64_t{desktop.height} * 100 / present_.height));
}

void ResizeFields::Synchronize(int leading) {
  if (!keepRatio_) return;
  const std::int64_t width = present_.width;
  const std::int64_t height = present_.height;
  if (leading == 1) {
    const std::int64_t thousandths = std::int64_t{ResizeFieldValue(Text(ResizeField::Height), kUnreadable)} * 1000 / height;
    TextOf(ResizeField::Width) = std::to_string(To32(thousandths * width / 1000));
    TextOf(ResizeField::WidthPercent) = Text(ResizeField::HeightPercent);
  } else {
    const std::int64_t thousandths = std::int64_t{ResizeFieldValue(Text(ResizeField::Width), kUnreadable)} * 1000 / width;
    TextOf(ResizeField::Height) = std::to_string(To32(thousandths * height / 1000));
    TextOf(ResizeField::HeightPercent) = Text(ResizeField::WidthPercent);
  }
  SetSlider(ResizeAxis::Width, ResizeFieldValue(Text(ResizeField::Width), 0));
  SetSlider(ResizeAxis::Height, ResizeFieldValue(Text(ResizeField::Height), 0));
}

PictureSize ResizeFields::Accept() {
  if (!IsResizeNumber(Text(ResizeField::Width)) || !IsResizeNumber(Text(ResizeField::Height))) {
    TextOf(ResizeField::Width) = std::to_string(present_.width);
    TextOf(ResizeField::Height) = std::to_string(present_.height);
  }
  return {ResizeFieldValue(Text(ResizeField::Width), kUnreadable), ResizeFieldValue(Text(ResizeField::Height), kUnreadable)};
}

}  // namespace atelion
