#include "tools/manual_brush.h"

#include <algorithm>
#include <cmath>

#include "core/geometry.h"
#include "styles/catalogue.h"
#include "styles/style_list.h"

namespace atelion {
namespace {

// The brush shape's profile: full strength inside this fraction of the radius, fading to nothing
// at the rim.
constexpr double kSolidCore = 0.25;
constexpr double kRim = 0.98;
// Mask pixels whose red is below this are tinted while dragging.
constexpr int kTintBelow = 250;

}  // namespace

Bitmap24 GenerateBrushShape() {
  Bitmap24 shape(kBrushShapeSide, kBrushShapeSide, 0xFFFFFF);
  const double centre = (kBrushShapeSide - 1) / 2.0;
  const double radius = kBrushShapeSide / 2.0;
  for (int y = 0; y < kBrushShapeSide; ++y) {
    std::uint8_t* row = shape.Row(y);
    for (int x = 0; x < kBrushShapeSide; ++x) {
      const double r = std::hypot(x - centre, y - centre) / radius;
      double v = 1.0;
      if (r <= kSolidCore) {
        v = 0.0;
      } else if (r < kRim) {
        const double t = (r - kSolidCore) / (kRim - kSolidCore);
        v = t * t * (3.0 - 2.0 * t);  // smooth from the core to the rim
      }
      const auto grey = static_cast<std::uint8_t>(std::lround(255.0 * v));
      row[3 * x] = row[3 * x + 1] = row[3 * x + 2] = grey;
    }
  }
  return shape;
}

const Bitmap24& BrushShape() {
  static const Bitmap24 shape = GenerateBrushShape();
  return shape;
}

int BrushMaskSide(const BrushSettings& brush) {
  const int size = std::clamp(brush.size, kMinBrushSize, kMaxBrushSize);
  // Doubled, the side is twice the size (already even), so the largest mask is 398 pixels.
  return brush.doubled ? 2 * size : size + size % 2;
}

Bitmap24 BuildBrushMask(const Bitmap24& shape, const BrushSettings& brush) {
  const int side = BrushMaskSide(brush);
  Bitmap24 mask(side, side);
  Resample(shape, mask);
  return mask;
}

Bitmap24 BrushPreviewPicture(const Bitmap24& shape, const BrushSettings& brush) {
  const int size = std::clamp(brush.size, kMinBrushSize, kMaxBrushSize);
  const int i = std::clamp(brush.intensity, kMinBrushIntensity, kMaxBrushIntensity);
  Bitmap24 B(size, size);
  ResampleSmooth(shape, B);
  for (int y = 0; y < size; ++y) {
    std::uint8_t* row = B.Row(y);
    for (int x = 0; x < 3 * size; ++x) row[x] = static_cast<std::uint8_t>((i * row[x]) / 100 + ((100 - i) * 255) / 100);
  }
  Bitmap24 preview(kBrushShapeSide, kBrushShapeSide, 0xFFFFFF);
  DrawPicture(preview, kBrushShapeSide / 2 - size / 2, kBrushShapeSide / 2 - size / 2, B);
  return preview;
}

int BrushCursorSide(int zoom, const BrushSettings& brush) {
  const int size = std::clamp(brush.size, kMinBrushSize, kMaxBrushSize);
  int a = std::clamp(static_cast<int>((static_cast<std::int64_t>(std::max(zoom, 0)) * size) / 120), 16, 250);
  if (brush.doubled) a *= 2;
  return a + 1;
}

int BrushStrength(int maskRed, int intensity) {
  const int i = std::clamp(intensity, kMinBrushIntensity, kMaxBrushIntensity);
  return (i * maskRed) / 100 + ((100 - i) * 255) / 100;
}

void BrushMap::Lower(int x, int y, int value) {
  if (!Contains(x, y)) return;
  std::uint8_t& entry = entries_[Index(x, y)];
  entry = static_cast<std::uint8_t>(std::min<int>(entry, std::clamp(value, 0, 255)));
  if (entry == 255) return;
  if (markedRight_ < markedLeft_) {
    markedLeft_ = markedRight_ = x;
    markedTop_ = markedBottom_ = y;
    return;
  }
  markedLeft_ = std::min(markedLeft_, x);
  markedRight_ = std::max(markedRight_, x);
  markedTop_ = std::min(markedTop_, y);
  markedBottom_ = std::max(markedBottom_, y);
}

void BrushMap::Reset() {
  std::fill(entries_.begin(), entries_.end(), std::uint8_t{255});
  markedLeft_ = markedTop_ = 0;
  markedRight_ = markedBottom_ = -1;
}

std::optional<Rect> BrushMap::MarkedRectangle(int margin) const {
  if (markedRight_ < markedLeft_) return std::nullopt;
  // The last marked row and column are inside; the rectangle excludes its right and bottom edges,
  // so one more is added before the margin.
  return Rect{std::max(0, markedLeft_ - margin), std::max(0, markedTop_ - margin),
              std::min(width_, markedRight_ + 1 + margin), std::min(height_, markedBottom_ + 1 + margin)};
}

BrushMap BrushMap::Part(const Rect& rect) const {
  BrushMap part(rect.right - rect.left, rect.bottom - rect.top);
  for (int y = 0; y < part.height_; ++y) {
    const std::uint8_t* from = entries_.data() + Index(rect.left, rect.top + y);
    std::copy(from, from + part.width_, part.entries_.data() + part.Index(0, y));
    for (int x = 0; x < part.width_; ++x) {
      if (from[x] < 255) part.Lower(x, y, from[x]);  // the part's own bounds
    }
  }
  return part;
}

void StampBrush(Bitmap24& P, int left, int top, const Bitmap24& mask, int intensity, BrushMap& map) {
  const int width = std::min(P.Width(), mask.Width());
  const int height = std::min(P.Height(), mask.Height());
  for (int r = 0; r < height; ++r) {
    const std::uint8_t* m = mask.Row(r);
    std::uint8_t* p = P.Row(r);
    for (int u = 0; u < width; ++u) {
      const int mB = m[3 * u], mG = m[3 * u + 1], mR = m[3 * u + 2];
      if (mR < kTintBelow) {
        p[3 * u + 2] = static_cast<std::uint8_t>(std::max<int>(p[3 * u + 2], 150 - mR));
        p[3 * u + 1] = static_cast<std::uint8_t>(std::min<int>(p[3 * u + 1], 3 * mG));
        p[3 * u] = static_cast<std::uint8_t>(std::max<int>(p[3 * u], 150 - mB));
      }
      map.Lower(left + u, top + r, BrushStrength(mR, intensity));
    }
  }
}

Rect StampAt(Bitmap24& shown, int x, int y, const Bitmap24& mask, int intensity, BrushMap& map) {
  const int w = mask.Width(), h = mask.Height();
  const int left = x - w / 2, top = y - h / 2;
  Bitmap24 P(w, h);
  // The area under the mask; the part outside the picture is never drawn back.
  CopyRect(P, 0, 0, shown, {left, top, left + w, top + h});
  StampBrush(P, left, top, mask, intensity, map);
  const Rect changed{std::max(0, left), std::max(0, top), std::min(shown.Width(), left + w),
                     std::min(shown.Height(), top + h)};
  if (changed.left >= changed.right || changed.top >= changed.bottom) return {};
  CopyRect(shown, changed.left, changed.top, P,
           {changed.left - left, changed.top - top, changed.right - left, changed.bottom - top});
  return changed;
}

void BlendStroke(Bitmap24& R, const Bitmap24& T, const BrushMap& map) {
  const int width = std::min({R.Width(), T.Width(), map.Width()});
  const int height = std::min({R.Height(), T.Height(), map.Height()});
  for (int j = 0; j < height; ++j) {
    std::uint8_t* r = R.Row(j);
    const std::uint8_t* t = T.Row(j);
    for (int i = 0; i < width; ++i) {
      const int b = map.At(i, j);
      for (int c = 0; c < 3; ++c) {
        r[3 * i + c] = static_cast<std::uint8_t>((t[3 * i + c] * (255 - b) + r[3 * i + c] * b) / 255);
      }
    }
  }
}

Point PictureOffset(int resultWidth, int resultHeight, int sourceWidth, int sourceHeight, Point framedPictureOffset,
                    int frameMargin) {
  if (framedPictureOffset.x != 0 || framedPictureOffset.y != 0) {
    return {frameMargin / 2 + framedPictureOffset.x, frameMargin / 2 + framedPictureOffset.y};
  }
  if (resultWidth > sourceWidth && resultHeight > sourceHeight) {
    return {(resultWidth - sourceWidth) / 2, (resultHeight - sourceHeight) / 2};
  }
  return {0, 0};
}

std::optional<StrokeParts> CutStrokeParts(const Bitmap24& source, const Bitmap24& resultBefore, const BrushMap& map,
                                          Point offset, int effectId) {
  const std::optional<Rect> marked = map.MarkedRectangle();
  if (!marked) return std::nullopt;
  // The map has the drawing's size; a drawing that changed size since cannot take this stroke.
  const Rect rect{marked->left, marked->top, std::min(marked->right, resultBefore.Width()),
                  std::min(marked->bottom, resultBefore.Height())};
  if (rect.left >= rect.right || rect.top >= rect.bottom) return std::nullopt;
  const int width = rect.right - rect.left, height = rect.bottom - rect.top;
  StrokeParts parts{.rect = rect, .R = Bitmap24(width, height), .map = map.Part(rect)};
  CopyRect(parts.R, 0, 0, resultBefore, rect);
  // The photograph's part; where the rectangle reaches past the photograph (over a frame) the
  // drawing's own pixels stand in, so nothing is read outside a picture.
  parts.S = parts.R;
  const Rect inSource{std::max(rect.left - offset.x, 0), std::max(rect.top - offset.y, 0),
                      std::min(rect.right - offset.x, source.Width()), std::min(rect.bottom - offset.y, source.Height())};
  if (inSource.left < inSource.right && inSource.top < inSource.bottom) {
    CopyRect(parts.S, inSource.left - (rect.left - offset.x), inSource.top - (rect.top - offset.y), source, inSource);
  }
  parts.T = effectId == kMergeEffectId ? parts.R : parts.S;
  return parts;
}

bool ProcessManualBrush(int effectId, Bitmap24& S, Bitmap24& T, const StyleSettings& settings,
                        const SurfaceSettings& surface, RunContext& context) {
  const StyleEntry* style = FindStyle(effectId);
  if (style == nullptr || style->manualBrush == nullptr) return false;
  const int width = S.Width(), height = S.Height();
  StyleSettings brushSettings = settings;
  brushSettings.effectId = effectId;
  brushSettings.manualBrushMode = true;
  brushSettings.preview = false;
  style->manualBrush(S, T, brushSettings, surface, context);
  // The blend reads T at every pixel of the part.
  if (T.Width() != width || T.Height() != height) T.Resize(width, height);
  return true;
}

bool ComputeStroke(StrokeParts& parts, int effectId, const StyleSettings& settings, const SurfaceSettings& surface,
                   RunContext& context) {
  if (!ProcessManualBrush(effectId, parts.S, parts.T, settings, surface, context)) return false;
  BlendStroke(parts.R, parts.T, parts.map);
  return true;
}

Status CommitStroke(Document& document, const StrokeParts& parts, std::string_view styleName) {
  Bitmap24& result = document.ResultPicture;
  if (parts.rect.right > result.Width() || parts.rect.bottom > result.Height()) {
    return Status::Error("the drawing changed size during the stroke");
  }
  DrawPicture(result, parts.rect.left, parts.rect.top, parts.R);
  return document.SaveToHistory(HistoryKind::Result, styleName);
}

void ManualBrushStroke::Begin(const Bitmap24& result, const Bitmap24& shape, const BrushSettings& brush) {
  brush_ = brush;
  before_ = result;
  mask_ = BuildBrushMask(shape, brush);
  map_ = BrushMap(result.Width(), result.Height());
  active_ = true;
}

Rect ManualBrushStroke::Stamp(Bitmap24& shown, int x, int y, double pressure) {
  if (!active_) return {};
  const double p = std::clamp(pressure, 0.0, 1.0);
  const int intensity = std::max(kMinBrushIntensity, static_cast<int>(std::lround(brush_.intensity * p)));
  return StampAt(shown, x, y, mask_, intensity, map_);
}

std::optional<StrokeParts> ManualBrushStroke::Finish(const Bitmap24& source, Point offset, int effectId,
                                                     Bitmap24& resultBefore) {
  if (!active_) return std::nullopt;
  std::optional<StrokeParts> parts = CutStrokeParts(source, before_, map_, offset, effectId);
  resultBefore = std::move(before_);
  Cancel();
  return parts;
}

void ManualBrushStroke::Cancel() {
  active_ = false;
  before_ = Bitmap24();
  mask_ = Bitmap24();
  map_ = BrushMap();
}

}  // namespace atelion
