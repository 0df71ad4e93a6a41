// The font engine behind text on pictures: finds an installed font by family and style,
// shapes one line of UTF-8 text (script and direction detected, mixed right-to-left text put in
// reading order) and renders it as an anti-aliased 8-bit coverage mask with its metrics.
// The font libraries stay behind this interface; nothing else in the library sees them.
#pragma once

#include <algorithm>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/canvas.h"
#include "core/status.h"

namespace atelion {

/// What to look for: a family name ("DejaVu Sans", or a generic name such as "sans-serif"),
/// the em size in pixels and the style. A family that is not installed falls back to the
/// default sans font; a style the family lacks is made by slanting or thickening the outlines.
struct FontRequest {
  std::string family;
  double pixelSize = 16.0;
  bool bold = false;
  bool italic = false;
};

/// One positioned glyph of a shaped line. Distances are in 1/64 pixel; glyphs are listed in
/// visual order from left to right.
struct ShapedGlyph {
  int face = 0;                ///< which of the font's faces draws it (0: the requested font)
  std::uint32_t glyphId = 0;   ///< glyph index in that face; 0 is the missing-glyph box
  std::uint32_t cluster = 0;   ///< byte offset in the UTF-8 text of the characters it draws
  int xAdvance = 0;
  int xOffset = 0;
  int yOffset = 0;             ///< upwards
  bool rightToLeft = false;    ///< part of a right-to-left run
};

/// Line widths beyond this many pixels count as this many: far wider than any picture, and small
/// enough that the positions computed from a width stay within an int.
inline constexpr int kMaxLineWidth = 1 << 28;

struct ShapedLine {
  std::vector<ShapedGlyph> glyphs;
  std::int64_t advance = 0;  ///< sum of the advances, 1/64 pixel (a long line overflows 32 bits)
  /// Width of the line in whole pixels (the advance rounded), at most kMaxLineWidth.
  int Width() const { return static_cast<int>(std::min<std::int64_t>((advance + 32) >> 6, kMaxLineWidth)); }
};

/// An 8-bit coverage mask of a rendered line (0 = background, 255 = fully covered), with the
/// line box it belongs to: the pen starts at x = 0, the box's top is y = 0 and the baseline is at
/// y = ascent. The mask may reach beyond the box where glyphs overhang; its pixel (0, 0) lies at
/// (left, top) in box coordinates.
struct TextMask {
  int width = 0;
  int height = 0;
  int left = 0;
  int top = 0;
  std::vector<std::uint8_t> coverage;  ///< width × height, row by row
  int advance = 0;  ///< line width in pixels
  int ascent = 0;
  int descent = 0;

  /// Coverage at box coordinates (x, y); 0 outside the mask.
  int At(int x, int y) const {
    const int i = x - left;
    const int j = y - top;
    if (i < 0 || j < 0 || i >= width || j >= height) return 0;
    return coverage[static_cast<std::size_t>(j) * width + i];
  }
};

/// A font opened at one size. Characters the requested font lacks (say, Arabic in a Latin-only
/// family) are drawn with another installed font that has them, at the same size and style.
/// One Font must not be used from two threads at once.
class Font {
 public:
  Font();
  ~Font();
  Font(Font&&) noexcept;
  Font& operator=(Font&&) noexcept;

  /// Finds and opens the font. Fails only when no usable font is installed at all, or the
  /// size is not positive.
  static Status Open(const FontRequest& request, Font& font);

  bool IsOpen() const { return impl_ != nullptr; }
  const FontRequest& Request() const;
  /// The family actually used for the requested font.
  const std::string& Family() const;
  /// The font file behind Family().
  const std::string& FileName() const;
  /// The requested family was not installed and Family() replaced it.
  bool FellBack() const;
  /// Bold or italic were made from the regular outlines because the family has no such face.
  bool SyntheticBold() const;
  bool SyntheticItalic() const;

  /// Line metrics in whole pixels; Height() = Ascent() + Descent().
  int Ascent() const;
  int Descent() const;
  int Height() const;

  /// Shapes one line (no line breaks) in visual order.
  ShapedLine Shape(std::string_view utf8) const;
  /// Width of a line in pixels.
  int TextWidth(std::string_view utf8) const { return Shape(utf8).Width(); }
  /// Renders one line, anti-aliased, with optional underline and strikeout across its width.
  /// `roomAfter` pixels of empty line are added at the right end; the decorations run across them.
  ///
  /// With a `window` (in line box coordinates) only what falls inside it is drawn: the mask is
  /// exactly the window, and glyphs wholly outside it are not rendered. Its coverage is the same as
  /// the whole line's there, and the memory and work of the drawing stay proportional to the
  /// window however long the line is.
  TextMask Render(std::string_view utf8, bool underline = false, bool strikeout = false, int roomAfter = 0,
                  const std::optional<Rect>& window = std::nullopt) const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

/// The family used when none is given, and the one a missing family falls back to.
inline constexpr const char* kDefaultFontFamily = "DejaVu Sans";

}  // namespace atelion
