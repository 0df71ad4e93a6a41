// The user's brushes made ready for the brush styles. The stroke brushes of Painting 4 are
// stretched to one frame; optimising turns each so that its dense part fills that frame best,
// which keeps a slanted brush from painting thin marks.
#include "styles/painting/custom_brushes.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "imageio/resource_pictures.h"
#include "styles/painting/brush_pictures.h"

namespace atelion {
namespace {

// A row or column whose alpha adds up to more than this counts as part of the brush.
constexpr int kDenseLineAlpha = 2499;
constexpr int kDenseAlpha = 200;
constexpr int kBrushCell = 256;
constexpr int kSheetColumns = 8;

int RowAlpha(const Bitmap32& picture, int y) {
  const std::uint8_t* row = picture.Row(y);
  int sum = 0;
  for (int x = 0; x < picture.Width(); ++x) sum += row[4 * x + 3];
  return sum;
}

int ColumnAlpha(const Bitmap32& picture, int x) {
  int sum = 0;
  for (int y = 0; y < picture.Height(); ++y) sum += picture.Row(y)[4 * x + 3];
  return sum;
}

// The first dense line scanning from `from` towards `to` (inclusive) that is not `from` itself;
// `from` when only it, or none, is dense.
template <class LineAlpha>
int FirstDenseLine(int from, int to, LineAlpha alpha) {
  const int step = to >= from ? 1 : -1;
  int found = from;
  for (int i = from;; i += step) {
    if (alpha(i) > kDenseLineAlpha) {
      found = i;
      if (i != from) break;
    }
    if (i == to) break;
  }
  return found;
}

// Copies `picture` into `into` with its top-left corner at (left, top), all four bytes.
void CopyInto(const Bitmap32& picture, Bitmap32& into, int left, int top) {
  for (int y = 0; y < picture.Height(); ++y) {
    const int Y = top + y;
    if (Y < 0 || Y >= into.Height()) continue;
    const int x0 = std::max(0, -left), x1 = std::min(picture.Width(), into.Width() - left);
    if (x1 <= x0) continue;
    std::memcpy(into.Row(Y) + 4 * (left + x0), picture.Row(y) + 4 * x0, 4 * static_cast<std::size_t>(x1 - x0));
  }
}

}  // namespace

Bitmap24 SquareCustomBrush(const Bitmap24& picture) {
  const int width = picture.Width(), height = picture.Height();
  const int side = std::max(1, std::max(width, height) * 142 / 100);
  Bitmap24 square(side, side, 0xFFFFFF);
  const int left = (side - width) / 2, top = (side - height) / 2;
  for (int y = 0; y < height; ++y) {
    const int Y = top + y;
    if (Y < 0 || Y >= side) continue;
    const int x0 = std::max(0, -left), x1 = std::min(width, side - left);
    if (x1 <= x0) continue;
    std::memcpy(square.Row(Y) + 3 * (left + x0), picture.Row(y) + 3 * x0, 3 * static_cast<std::size_t>(x1 - x0));
  }
  return square;
}

Bitmap32 StretchStrokeBrush(const Bitmap32& picture) {
  Bitmap32 brush(kStrokeBrushWidth, kStrokeBrushHeight, 0);
  ResampleNearest32(picture, brush);
  return brush;
}

Bitmap32 TrimBrush(const Bitmap32& picture) {
  const int W = picture.Width(), H = picture.Height();
  if (W < 1 || H < 1) return picture;
  const int top = FirstDenseLine(0, H / 2, [&](int y) { return RowAlpha(picture, y); });
  const int bottom = FirstDenseLine(H - 1, H / 2, [&](int y) { return RowAlpha(picture, y); });
  const int left = FirstDenseLine(0, W / 2, [&](int x) { return ColumnAlpha(picture, x); });
  const int right = FirstDenseLine(W - 1, W / 2, [&](int x) { return ColumnAlpha(picture, x); });
  const int width = right - left, height = bottom - top;
  if (width < 1 || height < 1) return picture;
  Bitmap32 trimmed(width, height, 0);
  for (int y = 0; y < height; ++y) {
    std::memcpy(trimmed.Row(y), picture.Row(y + top) + 4 * left, 4 * static_cast<std::size_t>(width));
  }
  return trimmed;
}

int CountDensePixels(const Bitmap32& picture) {
  int count = 0;
  for (int y = 0; y < picture.Height(); ++y) {
    const std::uint8_t* row = picture.Row(y);
    for (int x = 0; x < picture.Width(); ++x) count += row[4 * x + 3] > kDenseAlpha ? 1 : 0;
  }
  return count;
}

int OptimizeStrokeBrush(Bitmap32& brush, const std::atomic<bool>* stop,
                        const std::function<void(const BrushTrial&)>& trial) {
  int bestAngle = 0;
  int bestCount = 0;
  Bitmap32 turned;
  for (int angle = 0; angle < 180; angle += 2) {
    if (stop != nullptr && stop->load()) break;
    RotateBitmap32(brush, turned, angle);
    const Bitmap32 stretched = StretchStrokeBrush(TrimBrush(turned));
    const int count = CountDensePixels(stretched);
    if (trial) trial({.angle = angle, .stretched = &stretched});
    if (count > bestCount) {
      bestCount = count;
      bestAngle = angle;
    }
  }
  RotateBitmap32(brush, turned, bestAngle);
  brush = StretchStrokeBrush(TrimBrush(turned));
  return bestAngle;
}

CustomBrushSheetPicture BuildCustomBrushSheet(std::span<const Bitmap32> pictures) {
  const int n = static_cast<int>(std::min<std::size_t>(pictures.size(), 100000));
  const int rows = n < kLargestBrushSheetCount ? n / kSheetColumns + 1 : kLargestBrushSheetCount / kSheetColumns;
  CustomBrushSheetPicture result;
  result.sheet = Bitmap32(kSheetColumns * kBrushCell, rows * kBrushCell, 0);
  result.count = std::min(n, kLargestBrushSheetCount);
  for (int i = 0; i < result.count; ++i) {
    const Bitmap32& B = pictures[static_cast<std::size_t>(i)];
    const int W = B.Width(), H = B.Height();
    if (W < 1 || H < 1) continue;
    // Fitted by the longer side: the taller picture is scaled by its height, the others by width.
    const double f = static_cast<double>(H) * kBrushCell / W > kBrushCell ? H / static_cast<double>(kBrushCell)
                                                                          : W / static_cast<double>(kBrushCell);
    const int fittedWidth = std::clamp(static_cast<int>(std::nearbyint(W / f)), 1, kBrushCell);
    const int fittedHeight = std::clamp(static_cast<int>(std::nearbyint(H / f)), 1, kBrushCell);
    Bitmap32 fitted(fittedWidth, fittedHeight, 0);
    ResampleNearest32(B, fitted);
    const int column = i % kSheetColumns, row = i / kSheetColumns;
    CopyInto(fitted, result.sheet, kBrushCell * column + (kBrushCell - fittedWidth) / 2,
             kBrushCell * row + (kBrushCell - fittedHeight) / 2);
  }
  return result;
}

Status LoadTransparentBrush(const std::filesystem::path& path, Bitmap32& brush) {
  return ReadTransparentPng(path, "brush picture", brush);
}

void UserBrushes::ApplyTo(StyleSettings& settings) const {
  settings.customBrushInUse = stamp != nullptr;
  settings.customBrush = stamp.get();
  settings.customStrokeBrushes = strokeBrushes != nullptr && !strokeBrushes->empty() ? strokeBrushes.get() : nullptr;
  settings.paintBrush3D = paintBrush3D.get();
  settings.customBrushSheet = sheet != nullptr ? &sheet->sheet : nullptr;
  settings.customBrushCount = sheet != nullptr ? sheet->count : 0;
}

}  // namespace atelion
