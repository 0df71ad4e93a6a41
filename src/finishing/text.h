// One line of text written onto a finished picture: any installed font, size, style and colour,
// an optional dark drop shadow, an opacity, and a place among nine anchors or a free position.
// The text is smoothed by drawing it at twice the size on a doubled copy of the background and
// averaging 2 × 2 blocks.
#pragma once

#include <string>
#include <string_view>

#include "core/bitmap24.h"
#include "core/canvas.h"
#include "core/status.h"
#include "finishing/font_engine.h"

namespace atelion {

/// The anchors of the position list, in list order.
enum TextPositionEntry : int {
  kTextUserDefined = 0,
  kTextTopLeft = 1,
  kTextTopMiddle = 2,
  kTextTopRight = 3,
  kTextMiddleLeft = 4,
  kTextCenter = 5,
  kTextMiddleRight = 6,
  kTextBottomLeft = 7,
  kTextBottomMiddle = 8,
  kTextBottomRight = 9,
};
inline constexpr int kTextPositionCount = 10;

inline constexpr int kMinFontSize = 1;
inline constexpr int kMaxFontSize = 500;
inline constexpr int kMinTextOpacity = 0;
inline constexpr int kMaxTextOpacity = 255;

/// The settings of the text window, with the defaults the program starts with.
struct TextSettings {
  std::string text = "Atelion";                ///< one line, UTF-8
  int positionEntry = kTextBottomRight;        ///< 0..9, see TextPositionEntry
  int x = -1;                                  ///< free position; negative: none stored (0 is used)
  int y = -1;
  std::string fontName = kDefaultFontFamily;
  int fontSize = 12;                           ///< points, kMinFontSize..kMaxFontSize
  bool bold = false;
  bool italic = false;
  bool underline = false;
  bool strikeout = false;
  Colour colour = 0xFFFFFF;                    ///< 0x00BBGGRR; white when none is stored
  bool shadow = true;                          ///< black copy one pixel right and down, under the text
  int opacity = kMaxTextOpacity;               ///< 255 opaque … 0 invisible
};

/// The English text of a position entry ("Top left", …); empty for numbers outside 0..9.
std::string TextPositionName(int entry);

/// The stored style line: "Bold ", "Italic ", "Underline ", "Strikeout " for the styles that are set.
std::string FontStyleWords(const TextSettings& settings);
/// Sets each style whose word the stored style line contains, clearing the others.
void ReadFontStyleWords(const std::string& line, TextSettings& settings);

/// Em size in pixels of a font size in points, on the 96-dpi screen the sizes are chosen for.
double FontPixelSize(double points);

/// The drawing font of the picture: the text font opened at its size (for measuring) and at twice
/// its size (for smoothed drawing), with the colour and the line decorations.
struct TextFont {
  Font regular;
  Font doubled;
  Colour colour = 0xFFFFFF;
  bool underline = false;
  bool strikeout = false;
};

/// Opens the text font of the settings. A family that is not installed falls back to the
/// default sans font (see Font::FellBack); fails only when no font can be opened.
Status OpenTextFont(const TextSettings& settings, TextFont& font);

/// Draws `text` smoothed onto `picture` with the top-left of its block at (x, y): the block of
/// (text width + 10) × text height is doubled, the text is drawn on it at twice the size with its
/// top-left at (−2, 0), and 2 × 2 blocks are averaged back. Parts outside the picture are dropped.
/// A trailing blank is room at the right end of the line, also when the text reads right to left.
void WriteAntiAlias(Bitmap24& picture, int x, int y, std::string_view text, const TextFont& font);

/// The sizes the anchors depend on, measured in the text font.
struct TextMeasures {
  int width = 0;          ///< of the text
  int widthForRight = 0;  ///< of the text followed by a blank when the style is only italic, else of the text
  int height = 0;         ///< of the text
};

/// Where the text goes in a finished picture of W × H made from a source of Ws × Hs. With a
/// frame, the anchors at the edges keep out of its margin ((W − Ws) div 2, (H − Hs) div 2).
/// The position then stays within the ranges the position bars offer:
/// x in −(width · 150 div 100) … W and y in −(height · 150 div 100) … H.
Point PlaceText(const TextSettings& settings, const TextMeasures& measures, int width, int height,
                int sourceWidth, int sourceHeight, bool framed);

/// What laying the text on a picture did.
struct TextOutcome {
  Status status = Status::Ok();  ///< an error only when no font could be opened; nothing is drawn then
  std::string fontFamily;        ///< the family the text was drawn with
  /// Set when the stored family is not installed: says which font replaced it.
  std::string notice;
  Point position;                ///< the x and y the anchor gave
  Rect block;                    ///< the block of the picture that the text may change
};

/// The text step of the finishing chain: places the text, draws the shadow (when on) and the text
/// smoothed at (x − 1, y − 5), then lets the saved background show through by 255 − opacity
/// within the block (text width + 50) × (text height + 20), where the text is the settings' text
/// followed by a blank. `sourceWidth` × `sourceHeight` and `framed` give the frame margin.
TextOutcome ApplyText(Bitmap24& picture, const TextSettings& settings, int sourceWidth, int sourceHeight,
                      bool framed);

}  // namespace atelion
