// The manual brush: the user paints the chosen style onto parts of the drawing. A stroke lowers a
// per-pixel strength map (`BrushMap`) through a soft round mask; on release the style is computed
// once for the rectangle around the marked pixels, from the matching part of the photograph, and
// blended into the drawing with each pixel's strength. GUI-free: the window only routes the mouse
// here and runs `ProcessManualBrush` off its thread.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "core/bitmap24.h"
#include "core/canvas.h"
#include "core/run_context.h"
#include "core/status.h"
#include "document/document.h"
#include "styles/style.h"

namespace atelion {

/// The brush shape picture: 200 × 200, dark where the brush acts, white around it.
inline constexpr int kBrushShapeSide = 200;
/// The brush window's sliders.
inline constexpr int kMinBrushSize = 5;
inline constexpr int kMaxBrushSize = 199;
inline constexpr int kStartBrushSize = 99;
inline constexpr int kMinBrushIntensity = 5;
inline constexpr int kMaxBrushIntensity = 100;
/// How far the marked rectangle is widened on every side (within the picture).
inline constexpr int kMarkedMargin = 10;

/// A soft round brush: black in the middle, fading smoothly to white at the edge of a circle that
/// nearly fills the square; white outside it.
Bitmap24 GenerateBrushShape();
/// The brush shape, made once.
const Bitmap24& BrushShape();

/// What the brush window sets.
struct BrushSettings {
  int size = kStartBrushSize;            ///< 5 … 199
  int intensity = kMaxBrushIntensity;    ///< 5 … 100 percent
  bool doubled = false;                  ///< "X 2"
};

/// The side of the brush mask: the size rounded up to even, or twice the size with "X 2" (at most
/// 398).
int BrushMaskSide(const BrushSettings& brush);
/// The mask of a stroke: the shape resampled to the mask side.
Bitmap24 BuildBrushMask(const Bitmap24& shape, const BrushSettings& brush);
/// The brush window's 200 × 200 preview: white, with the shape smoothly resampled to size × size
/// and lightened by the intensity (each channel v becomes (i · v) div 100 + ((100 − i) · 255) div
/// 100) drawn in the middle. "X 2" does not change it.
Bitmap24 BrushPreviewPicture(const Bitmap24& shape, const BrushSettings& brush);
/// The side of the brush cursor at `zoom` percent: a + 1 with a = (zoom · size) div 120, at least
/// 16 and at most 250, doubled with "X 2".
int BrushCursorSide(int zoom, const BrushSettings& brush);

/// The strength an entry of the map takes under a mask pixel of red value `maskRed`:
/// (intensity · maskRed) div 100 + ((100 − intensity) · 255) div 100.
int BrushStrength(int maskRed, int intensity);

/// One byte per pixel of the drawing, 255 = untouched, 0 = the style at full strength.
class BrushMap {
 public:
  BrushMap() = default;
  BrushMap(int width, int height) : width_(width), height_(height), entries_(Count(width, height), 255) {}

  int Width() const { return width_; }
  int Height() const { return height_; }
  bool Contains(int x, int y) const { return x >= 0 && y >= 0 && x < width_ && y < height_; }
  std::uint8_t At(int x, int y) const { return entries_[Index(x, y)]; }
  /// The entry at (x, y) := min(entry, value); nothing outside the map.
  void Lower(int x, int y, int value);
  /// Every entry back to 255.
  void Reset();
  /// The rectangle of the entries below 255, widened by `margin` on every side as far as the map
  /// reaches (right and bottom excluded); none when nothing is marked.
  std::optional<Rect> MarkedRectangle(int margin = kMarkedMargin) const;
  /// The entries of `rect` (which must lie inside the map) as a map of their own.
  BrushMap Part(const Rect& rect) const;

 private:
  static std::size_t Count(int width, int height) {
    return width > 0 && height > 0 ? static_cast<std::size_t>(width) * static_cast<std::size_t>(height) : 0;
  }
  std::size_t Index(int x, int y) const { return static_cast<std::size_t>(y) * width_ + x; }
  // The bounds of the entries below 255 (entries only fall until a reset), so that the marked
  // rectangle needs no scan of the whole map; empty while right < left.
  int markedLeft_ = 0, markedTop_ = 0, markedRight_ = -1, markedBottom_ = -1;
  int width_ = 0;
  int height_ = 0;
  std::vector<std::uint8_t> entries_;
};

/// One stamp of the mask with its top-left corner at (left, top) of the drawing. `P` holds the
/// drawing's area under the mask (the mask's size): where the mask's red is below 250 it is tinted
/// pink. Every mask pixel inside `map` lowers its entry to the pixel's strength at `intensity`.
void StampBrush(Bitmap24& P, int left, int top, const Bitmap24& mask, int intensity, BrushMap& map);

/// A stamp centred at (x, y) on the shown drawing: copies the area under the mask, stamps it and
/// draws it back (only inside the picture). Gives the rectangle of the picture that changed (empty
/// when the mask lies wholly outside).
Rect StampAt(Bitmap24& shown, int x, int y, const Bitmap24& mask, int intensity, BrushMap& map);

/// The blend of a stroke: every pixel of `R` (the drawing's part under the stroke's rectangle)
/// becomes (T · (255 − b) + R · b) div 255 channel by channel, b the entry of `map` (the map's part
/// of the same rectangle). `T` is the style's drawing of that part, of R's size.
void BlendStroke(Bitmap24& R, const Bitmap24& T, const BrushMap& map);

/// Where the photograph lies in the drawing: (0, 0), or centred when a frame made the drawing larger
/// than the photograph in both directions, or after the half margin and the framed picture's offset
/// when a picture frame placed it off centre.
Point PictureOffset(int resultWidth, int resultHeight, int sourceWidth, int sourceHeight, Point framedPictureOffset = {},
                    int frameMargin = 0);

/// The pictures a stroke's style run works on.
struct StrokeParts {
  Rect rect;   ///< the marked rectangle in the drawing
  Bitmap24 S;  ///< the photograph's part (the drawing's own pixels where it reaches past the photograph)
  Bitmap24 T;  ///< the style's starting output: a copy of S, or the drawing's part for the merge
  Bitmap24 R;  ///< the drawing's part before the stroke
  BrushMap map;  ///< the map's part of the rectangle
};
/// Cuts the parts of a finished stroke out of the photograph (shifted by `offset`), the drawing
/// as it was before the stroke, and the map. None when nothing is marked.
std::optional<StrokeParts> CutStrokeParts(const Bitmap24& source, const Bitmap24& resultBefore, const BrushMap& map,
                                          Point offset, int effectId);

/// Runs style `effectId`'s brush branch on S into T; afterwards T has S's size. False when the
/// style has no branch (T then stays a copy of what it was).
bool ProcessManualBrush(int effectId, Bitmap24& S, Bitmap24& T, const StyleSettings& settings,
                        const SurfaceSettings& surface, RunContext& context);

/// The whole computation of a stroke's parts: the style run and the blend; `parts.R` becomes the
/// blended part to draw at `parts.rect`.
bool ComputeStroke(StrokeParts& parts, int effectId, const StyleSettings& settings, const SurfaceSettings& surface,
                   RunContext& context);

/// Draws a computed stroke (`parts.R` at `parts.rect`) onto the document's drawing and records the
/// drawing as one history step labelled `styleName`; nothing when the drawing no longer holds the
/// rectangle (it changed size meanwhile).
Status CommitStroke(Document& document, const StrokeParts& parts, std::string_view styleName);

/// One stroke from press to release, on the UI's thread: the drawing before the stroke, the map
/// and the mask. The stamps tint the shown drawing; `Finish` gives back what the style run needs.
class ManualBrushStroke {
 public:
  /// The button went down: keeps a copy of the drawing, a fresh map of its size and the mask.
  void Begin(const Bitmap24& result, const Bitmap24& shape, const BrushSettings& brush);
  bool Active() const { return active_; }
  /// A stamp at (x, y) in picture pixels onto `shown` (the drawing as shown, tinted); `pressure`
  /// (0 … 1, 1 without a pen) scales the intensity, never below the smallest intensity.
  Rect Stamp(Bitmap24& shown, int x, int y, double pressure = 1.0);
  /// The button went up: the drawing as it was before the stroke (to restore the shown picture)
  /// and the parts of the stroke, then the stroke is over.
  std::optional<StrokeParts> Finish(const Bitmap24& source, Point offset, int effectId, Bitmap24& resultBefore);
  /// Drops the stroke without computing it.
  void Cancel();
  const BrushMap& Map() const { return map_; }

 private:
  bool active_ = false;
  BrushSettings brush_;
  Bitmap24 before_;
  Bitmap24 mask_;
  BrushMap map_;
};

}  // namespace atelion
