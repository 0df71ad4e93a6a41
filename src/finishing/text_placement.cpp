// The free placement of text: measured in the text font, grabbed where it is pressed, moved with
// the pointer and kept on the picture.
#include "finishing/text_placement.h"

#include <algorithm>
#include <cstdint>
#include <string>

namespace atelion {

TextPositionLimits TextPositionRange(int width, int height) {
  return {0, std::max(width, 0), 0, std::max(height, 0)};
}

TextMeasures MeasureText(const TextSettings& settings, const TextFont& font) {
  const bool onlyItalic = settings.italic && !settings.bold && !settings.underline && !settings.strikeout;
  return {.width = font.regular.TextWidth(settings.text),
          .widthForRight = font.regular.TextWidth(onlyItalic ? settings.text + " " : settings.text),
          .height = font.regular.Height()};
}

Point TextDragStart(Point position, const Rect& block, Point press) {
  const bool inside = press.x >= block.left && press.x < block.right && press.y >= block.top && press.y < block.bottom;
  return inside ? position : press;
}

Point DraggedTextPosition(Point start, Point grab, Point pointer, const TextPositionLimits& limits) {
  const std::int64_t x = std::int64_t{start.x} + pointer.x - grab.x;
  const std::int64_t y = std::int64_t{start.y} + pointer.y - grab.y;
  return {static_cast<int>(std::clamp<std::int64_t>(x, limits.minX, limits.maxX)),
          static_cast<int>(std::clamp<std::int64_t>(y, limits.minY, limits.maxY))};
}

}  // namespace atelion
