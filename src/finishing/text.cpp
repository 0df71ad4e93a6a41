// Text on a finished picture. The text is smoothed by supersampling: the block under it is
// doubled, the text is drawn on that at twice the size, and each 2 × 2 block is averaged back.
// Its place comes from one of nine anchors (kept out of a frame's margin) or a free position.
#include "finishing/text.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

#include "finishing/text_placement.h"

namespace atelion {
namespace {

constexpr std::array<const char*, kTextPositionCount> kPositionNames = {
    "User defined position", "Top left", "Top middle",   "Top right",   "Middle left",
    "Center",                "Middle right", "Bottom left", "Bottom middle", "Bottom right"};

struct StyleWord {
  const char* word;
  bool TextSettings::*flag;
};
constexpr std::array<StyleWord, 4> kStyleWords = {{{"Bold", &TextSettings::bold},
                                                  {"Italic", &TextSettings::italic},
                                                  {"Underline", &TextSettings::underline},
                                                  {"Strikeout", &TextSettings::strikeout}}};

}  // namespace

std::string TextPositionName(int entry) {
  if (entry < 0 || entry >= kTextPositionCount) return {};
  return kPositionNames[entry];
}

std::string FontStyleWords(const TextSettings& settings) {
  std::string line;
  for (const StyleWord& style : kStyleWords) {
    if (settings.*style.flag) line += std::string(style.word) + " ";
  }
  return line;
}

void ReadFontStyleWords(const std::string& line, TextSettings& settings) {
  for (const StyleWord& style : kStyleWords) settings.*style.flag = line.find(style.word) != std::string::npos;
}

double FontPixelSize(double points) { return points * 96.0 / 72.0; }

Status OpenTextFont(const TextSettings& settings, TextFont& font) {
  const int size = std::clamp(settings.fontSize, kMinFontSize, kMaxFontSize);
  FontRequest request{settings.fontName, FontPixelSize(size), settings.bold, settings.italic};
  if (Status status = Font::Open(request, font.regular); !status) return status;
  request.pixelSize *= 2;
  if (Status status = Font::Open(request, font.doubled); !status) return status;
  font.colour = settings.colour;
  font.underline = settings.underline;
  font.strikeout = settings.strikeout;
  return Status::Ok();
}

void WriteAntiAlias(Bitmap24& picture, int x, int y, std::string_view text, const TextFont& font) {
  const int w = font.regular.TextWidth(text) + 10;
  const int h = font.regular.Height();
  // Only the part of the block inside the picture is ever written back, and each small pixel
  // depends on its own 2 × 2 big pixels only, so the work is limited to that part.
  const int firstColumn = std::max(0, -x);
  const int endColumn = std::min(w, picture.Width() - x);
  const int firstRow = std::max(0, -y);
  const int endRow = std::min(h, picture.Height() - y);
  if (firstColumn >= endColumn || firstRow >= endRow) return;

  // A trailing blank is room after the text and stays at the right end: shaped with the text,
  // it would move to the left end of a right-to-left line and push the text out of its block.
  std::string_view line = text;
  int room = 0;
  if (line.ends_with(' ')) {
    line.remove_suffix(1);
    room = font.doubled.TextWidth(" ");
  }
  // The text's top-left on the doubled block is (−2, 0).
  constexpr int kTextLeft = -2;
  // Only the doubled pixels under the visible part are drawn: a line far wider than the picture
  // costs no more memory than the picture itself.
  const Rect visible{2 * firstColumn - kTextLeft, 2 * firstRow, 2 * endColumn - kTextLeft, 2 * endRow};
  const TextMask mask = font.doubled.Render(line, font.underline, font.strikeout, room, visible);
  const std::array<int, 3> ink = {BlueOf(font.colour), GreenOf(font.colour), RedOf(font.colour)};
  std::vector<std::uint8_t> bigRow0(6 * static_cast<std::size_t>(endColumn - firstColumn));
  std::vector<std::uint8_t> bigRow1(bigRow0.size());
  for (int j = firstRow; j < endRow; ++j) {
    std::uint8_t* row = picture.Row(y + j);
    // The two doubled rows of small row j, with the text laid over the stretched background.
    for (int half = 0; half < 2; ++half) {
      std::vector<std::uint8_t>& big = half == 0 ? bigRow0 : bigRow1;
      const int bigY = 2 * j + half;
      for (int i = firstColumn; i < endColumn; ++i) {
        const std::uint8_t* background = row + 3 * (x + i);
        for (int side = 0; side < 2; ++side) {
          const int bigX = 2 * i + side;
          const int cover = mask.At(bigX - kTextLeft, bigY);
          std::uint8_t* out = big.data() + 3 * (2 * (i - firstColumn) + side);
          for (int c = 0; c < 3; ++c) {
            out[c] = static_cast<std::uint8_t>((ink[c] * cover + background[c] * (255 - cover) + 127) / 255);
          }
        }
      }
    }
    for (int i = firstColumn; i < endColumn; ++i) {
      const std::size_t at = 3 * 2 * static_cast<std::size_t>(i - firstColumn);
      for (int c = 0; c < 3; ++c) {
        row[3 * (x + i) + c] = static_cast<std::uint8_t>(
            (bigRow0[at + c] + bigRow0[at + 3 + c] + bigRow1[at + c] + bigRow1[at + 3 + c]) >> 2);
      }
    }
  }
}

Point PlaceText(const TextSettings& settings, const TextMeasures& measures, int width, int height,
                int sourceWidth, int sourceHeight, bool framed) {
  const int e = framed ? (width - sourceWidth) / 2 : 0;
  const int f = framed ? (height - sourceHeight) / 2 : 0;
  const int left = e + 3;
  const int middle = (width - measures.width) / 2;
  const int right = width - e - measures.widthForRight - 3;
  const int top = f + 3;
  const int centre = (height - measures.height) / 2;
  const int bottom = height - f - measures.height + 3;
  Point p{std::max(settings.x, 0), std::max(settings.y, 0)};
  switch (settings.positionEntry) {
    case kTextTopLeft: p = {left, top}; break;
    case kTextTopMiddle: p = {middle, top}; break;
    case kTextTopRight: p = {right, top}; break;
    case kTextMiddleLeft: p = {left, centre}; break;
    case kTextCenter: p = {middle, centre}; break;
    case kTextMiddleRight: p = {right, centre}; break;
    case kTextBottomLeft: p = {left, bottom}; break;
    case kTextBottomMiddle: p = {middle, bottom}; break;
    case kTextBottomRight: p = {right, bottom}; break;
    default: break;  // user-defined: the stored position
  }
  // The position bars cannot go beyond their ranges. Widths reach kMaxLineWidth, so one and a
  // half of them is computed in 64 bits.
  const auto barStart = [](int size) { return static_cast<int>(-(std::int64_t{size} * 150 / 100)); };
  p.x = std::clamp(p.x, barStart(measures.width), std::max(width, barStart(measures.width)));
  p.y = std::clamp(p.y, barStart(measures.height), std::max(height, barStart(measures.height)));
  return p;
}

TextOutcome ApplyText(Bitmap24& picture, const TextSettings& settings, int sourceWidth, int sourceHeight,
                      bool framed) {
  TextOutcome outcome;
  TextFont font;
  outcome.status = OpenTextFont(settings, font);
  if (!outcome.status) return outcome;
  outcome.fontFamily = font.regular.Family();
  if (font.regular.FellBack()) {
    outcome.notice = "The font \"" + settings.fontName + "\" is not installed; the text is drawn with \"" +
                     font.regular.Family() + "\".";
  }

  const TextMeasures measures = MeasureText(settings, font);
  outcome.position = PlaceText(settings, measures, picture.Width(), picture.Height(), sourceWidth, sourceHeight,
                               framed);

  // The drawn string ends in a blank, so an italic slant at the end stays inside the block.
  const std::string drawn = settings.text + " ";
  const int left = outcome.position.x - 1;
  const int top = outcome.position.y - 5;
  outcome.block = Rect{left, top, left + font.regular.TextWidth(drawn) + 50, top + font.regular.Height() + 20};
  // The background the opacity lets through, kept for the part of the block on the picture only.
  const Rect kept{std::max(outcome.block.left, 0), std::max(outcome.block.top, 0),
                  std::min(outcome.block.right, picture.Width()), std::min(outcome.block.bottom, picture.Height())};
  Bitmap24 background(std::max(kept.right - kept.left, 0), std::max(kept.bottom - kept.top, 0));
  CopyRect(background, 0, 0, picture, kept);

  if (settings.shadow) {
    font.colour = 0x000000;
    WriteAntiAlias(picture, left + 1, top + 1, drawn, font);
    font.colour = settings.colour;
  }
  WriteAntiAlias(picture, left, top, drawn, font);

  const int p = std::clamp(settings.opacity, kMinTextOpacity, kMaxTextOpacity);
  if (p < kMaxTextOpacity) {
    for (int j = kept.top; j < kept.bottom; ++j) {
      std::uint8_t* row = picture.Row(j);
      const std::uint8_t* saved = background.Row(j - kept.top);
      for (int i = kept.left; i < kept.right; ++i) {
        for (int c = 0; c < 3; ++c) {
          const int k = 3 * i + c;
          row[k] = static_cast<std::uint8_t>((p * row[k] + (255 - p) * saved[3 * (i - kept.left) + c]) / 255);
        }
      }
    }
  }
  return outcome;
}

}  // namespace atelion
