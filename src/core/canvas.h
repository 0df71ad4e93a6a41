// Canvas drawing on pictures: rectangles, lines, ellipses, polygons, copies and stretched copies,
// the surface flood fill and the alpha drawing of brush pictures. Every operation is aliased,
// integer-exact and deterministic, clips to the picture and accepts coordinates far outside it.
#pragma once

#include <optional>
#include <span>

#include "core/bitmap24.h"

namespace atelion {

/// A pixel position; x grows to the right, y downwards.
struct Point {
  int x = 0;
  int y = 0;
  bool operator==(const Point&) const = default;
};

/// A rectangle covering the pixels left ≤ x < right and top ≤ y < bottom (right and bottom excluded).
struct Rect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  bool operator==(const Rect&) const = default;
};

/// The line-drawing pen. Widths below 1 count as 1.
struct Pen {
  Colour colour = 0;
  int width = 1;
};

/// Fills the pixels of `rect`; an empty or inverted rectangle draws nothing.
void FillRect(Bitmap24& picture, const Rect& rect, Colour colour);

/// Draws the one-pixel outline of `rect`: rows `top` and `bottom` − 1 and columns `left` and
/// `right` − 1, each over the rectangle's extent, so both corners of every side are included.
/// An empty or inverted rectangle draws nothing.
void FrameRect(Bitmap24& picture, const Rect& rect, Colour colour);

/// A rectangle filled with `brush` (when given) and outlined with `pen` (when given).
/// The corners are put in order first. The brush fills `rect`. A pen of width w strokes a band
/// w pixels thick centred on the one-pixel outline: it extends w div 2 pixels outwards from
/// the left and top outline and (w − 1) div 2 pixels outwards from the right and bottom one,
/// so width 1 gives exactly FrameRect.
void DrawRectangle(Bitmap24& picture, Rect rect, const std::optional<Pen>& pen, const std::optional<Colour>& brush);

/// Copies the pixels of `sourceRect` of `source` 1:1 to `destination` with the rectangle's
/// top-left corner at (x, y). Clips to both pictures; the two may be the same picture.
void CopyRect(Bitmap24& destination, int x, int y, const Bitmap24& source, const Rect& sourceRect);

/// Draws the whole of `source` with its top-left corner at (x, y).
void DrawPicture(Bitmap24& destination, int x, int y, const Bitmap24& source);

/// Copies `sourceRect` of `source` into `destinationRect` of `destination`, scaling each axis
/// on its own. Along an axis that is enlarged (or kept), destination index i takes source index
/// i · sourceSize div destinationSize (nearest neighbour). Along an axis that is shrunk, source
/// index j goes to destination index j · destinationSize div sourceSize, and all source pixels
/// that land on one destination pixel are combined by a bitwise AND of their bytes (so a black
/// pixel merged with white gives black). Source pixels outside `source` take no part; a
/// destination pixel none of whose source pixels lies inside `source` is left unchanged.
/// Empty or inverted rectangles draw nothing (no mirroring).
void StretchCopy(Bitmap24& destination, const Rect& destinationRect, const Bitmap24& source, const Rect& sourceRect);

/// Draws the whole of `source` stretched into `destinationRect` (the rules of StretchCopy).
void StretchDraw(Bitmap24& destination, const Rect& destinationRect, const Bitmap24& source);

/// A straight line from `from` to `to`.
/// Width 1: the integer line whose pixel at step i (0 ≤ i < n, n = the larger of |Δx| and |Δy|)
/// lies i steps along the longer axis and round(i · shorter / longer) along the other, halves
/// rounded away from `from`; the end point `to` is not drawn, so a zero-length line draws nothing.
/// Wider pens: a round dab of diameter w (the filled ellipse inscribed in a w × w square whose
/// top-left is w div 2 left and above the centre; widths 2 and 3 give a full square) is stamped at
/// every point of that centre line, end point included, which gives round ends.
void DrawLine(Bitmap24& picture, Point from, Point to, const Pen& pen);

/// Lines through consecutive points (MoveTo the first, LineTo each next one). With a 1-pixel
/// pen the very last point is not drawn, as for single lines.
void DrawPolyline(Bitmap24& picture, std::span<const Point> points, const Pen& pen);

/// The current-point form of line drawing: MoveTo sets the point, LineTo draws a line from it
/// with DrawLine and makes its end the new current point.
class PenCursor {
 public:
  PenCursor(Bitmap24& picture, const Pen& pen) : picture_(picture), pen_(pen) {}

  void MoveTo(int x, int y) { position_ = {x, y}; }
  void LineTo(int x, int y);
  Point Position() const { return position_; }
  void SetPen(const Pen& pen) { pen_ = pen; }

 private:
  Bitmap24& picture_;
  Pen pen_;
  Point position_;
};

/// The ellipse inscribed in `rect` (right and bottom excluded), filled with `brush` (when given)
/// and outlined with `pen` (when given); the corners are put in order first.
/// Filled area: the pixels whose centres lie inside or on the ellipse through the rectangle's
/// outer edges; besides, the middle row (two rows for an even height) spans the full width and
/// every row holds its centre pixel (two for an even width), so even a thin ellipse touches all
/// four sides of its rectangle. One-pixel outline: the pixels of the filled area that have a horizontal or
/// vertical neighbour outside it. Outline of width w ≥ 2: the filled area of `rect` grown by
/// w div 2 on every side minus the filled area of that rectangle shrunk by w on every side
/// (centred on the edge, w pixels thick). Only rows and columns inside the picture are visited.
/// Coordinates are limited to ±2^30 before drawing so that the exact 128-bit arithmetic cannot
/// overflow; the visible part of such an ellipse is unaffected in practice.
void DrawEllipse(Bitmap24& picture, Rect rect, const std::optional<Pen>& pen, const std::optional<Colour>& brush);

/// A closed polygon, filled with `brush` (when given) by the alternate (even-odd) rule and then
/// outlined with `pen` (when given) by lines from each point to the next and from the last
/// back to the first. A pixel is filled when its centre lies inside; a centre exactly on a
/// left-hand edge counts as inside, on a right-hand edge as outside. Exact integer arithmetic.
void DrawPolygon(Bitmap24& picture, std::span<const Point> points, const std::optional<Pen>& pen,
                 const std::optional<Colour>& brush);

/// The surface flood fill: every pixel reachable from (x, y) through horizontally or vertically
/// adjacent pixels of exactly the colour at (x, y) takes `fill`. Nothing happens when (x, y) is
/// outside the picture or already has the colour `fill`.
void FloodFill(Bitmap24& picture, int x, int y, Colour fill);

/// Draws a brush picture with straight (not premultiplied) alpha over `picture`, its top-left
/// corner at (x, y). Each channel becomes (s · a + d · (255 − a) + 127) div 255, with s the brush
/// colour, or the `tint` colour for every pixel when given (brush pictures are black with the
/// mark's shape in the alpha channel), d the picture's channel and a the brush alpha.
void DrawAlphaOver(Bitmap24& picture, int x, int y, const Bitmap32& brush, const std::optional<Colour>& tint = {});

/// As DrawAlphaOver for a brush whose colour bytes are already multiplied by its alpha:
/// each channel becomes min(255, s + (d · (255 − a) + 127) div 255).
void DrawPremultipliedOver(Bitmap24& picture, int x, int y, const Bitmap32& brush);

}  // namespace atelion
