// Moving a line of text about a picture by hand: the ranges of the free position, the measures
// the anchors are computed from, and how a press and a drag on the picture move the text.
#pragma once

#include "core/canvas.h"
#include "finishing/text.h"

namespace atelion {

/// The range of a free position set by hand on a width × height picture: 0 … width and
/// 0 … height. (A stored negative position means that none was set, so the text cannot be put
/// beyond the left or top edge by hand; the anchors may still place a text wider than the
/// picture partly outside it.)
struct TextPositionLimits {
  int minX = 0;
  int maxX = 0;
  int minY = 0;
  int maxY = 0;
  bool operator==(const TextPositionLimits&) const = default;
};
TextPositionLimits TextPositionRange(int width, int height);

/// The sizes the anchors depend on, measured in `font`: the text's width, its width for the
/// right-hand anchors (with a trailing blank when the style is only italic) and the line height.
TextMeasures MeasureText(const TextSettings& settings, const TextFont& font);

/// A press at `press` (picture pixels) while the text sits at `position` and covers `block`:
/// inside the block the text is taken where it is; elsewhere it jumps so that its position is
/// the press. Returns the position the drag starts from.
Point TextDragStart(Point position, const Rect& block, Point press);

/// The text's position while it is dragged: it started at `start` with the pointer at `grab`,
/// and moves with the pointer, now at `pointer`, within `limits`.
Point DraggedTextPosition(Point start, Point grab, Point pointer, const TextPositionLimits& limits);

}  // namespace atelion
