// The fields of the resize window and the rules that tie them together: the new width and height
// in pixels and in percent of the photograph's present size, a slider for each, "Keep image ratio"
// and "Desktop size". Every rule runs after a key is released in a field, a slider is moved or a
// box is ticked, exactly as the window shows it, so the window itself only copies texts in and out.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "document/image_view.h"

namespace atelion {

/// The four text fields of the resize window.
enum class ResizeField {
  Width = 0,          ///< width in pixels
  Height = 1,         ///< height in pixels
  WidthPercent = 2,   ///< width in percent of the present width
  HeightPercent = 3,  ///< height in percent of the present height
};

/// The two sliders.
enum class ResizeAxis { Width = 0, Height = 1 };

/// A text is a number when every character is a digit 0–9; the empty text counts as one.
bool IsResizeNumber(std::string_view text);
/// A field's text read as a decimal integer; `fallback` when it is empty or holds anything but
/// digits. A number too large for 32 bits reads as the largest 32-bit integer, so it is larger
/// than any limit it is compared with.
int ResizeFieldValue(std::string_view text, int fallback);

class ResizeFields {
 public:
  /// Percentages and sliders reach at most this multiple of the present size.
  static constexpr int kMaxFactor = 3;
  static constexpr int kMaxPercent = 100 * kMaxFactor;

  ResizeFields();

  /// The window became active over a photograph of `present` pixels: the sliders reach three
  /// times that size, the fields show it at 100 %, "Keep image ratio" is ticked and "Desktop size"
  /// is not. A side below 1 pixel counts as 1, so no rule divides by zero.
  void Activate(PictureSize present);

  /// A key was released in `field`, which now holds `text`: the field's rules run (text that is
  /// not a number puts back the present size, empty text becomes "0", values are cut to three
  /// times the present size or 300 %, the slider and the other unit follow, then the other
  /// dimension when the ratio is kept) and "Desktop size" is unticked.
  void KeyUp(ResizeField field, std::string text);
  /// The user moved a slider to `position` (held within its range): the pixel and percent fields
  /// of its dimension follow, then the other dimension when the ratio is kept.
  void SliderMoved(ResizeAxis axis, int position);
  /// "Keep image ratio" ticked or unticked; ticking it brings the height in line with the width.
  void SetKeepRatio(bool ticked);
  /// "Desktop size" ticked or unticked; ticking it unticks "Keep image ratio" and sets both sides to
  /// those of `desktop` (which may be more than three times the present size), percentages following.
  void SetDesktopSize(bool ticked, PictureSize desktop);

  /// The size OK resizes to: the present size when either pixel field is not a number (the fields
  /// show it then), otherwise their values.
  PictureSize Accept();

  /// Brings the other dimension in line with the leading one when the ratio is kept (1: the
  /// height leads, 2: the width leads), in thousandths of the present proportion: a 1024 × 768
  /// photograph given the width 800 gets the height ((800 · 1000) div 1024) · 768 div 1000 = 599.
  void Synchronize(int leading);

  const std::string& Text(ResizeField field) const { return texts_[static_cast<int>(field)]; }
  int SliderPosition(ResizeAxis axis) const { return positions_[static_cast<int>(axis)]; }
  int SliderMinimum() const { return 1; }
  int SliderMaximum(ResizeAxis axis) const { return maxima_[static_cast<int>(axis)]; }
  bool KeepRatio() const { return keepRatio_; }
  bool DesktopSize() const { return desktopSize_; }
  PictureSize Present() const { return present_; }

 private:
  std::string& TextOf(ResizeField field) { return texts_[static_cast<int>(field)]; }
  void SetSlider(ResizeAxis axis, std::int64_t position);
  int PresentSide(ResizeAxis axis) const { return axis == ResizeAxis::Width ? present_.width : present_.height; }
  void PixelsKeyUp(ResizeAxis axis);
  void PercentKeyUp(ResizeAxis axis);

  PictureSize present_{1, 1};
  std::array<std::string, 4> texts_;
  std::array<int, 2> positions_{};
  std::array<int, 2> maxima_{};
  bool keepRatio_ = true;
  bool desktopSize_ = false;
};

}  // namespace atelion
