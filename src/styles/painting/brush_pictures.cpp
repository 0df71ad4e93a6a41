// Brush pictures with transparency: the shipped marks are black with their shape in alpha, so
// every operation here moves whole blue-green-red-alpha pixels and never blends them.
#include "styles/painting/brush_pictures.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <numbers>
#include <vector>

#include "core/rotate_bitmap.h"
#include "core/rounding.h"

namespace atelion {

namespace {

constexpr int kPixelBytes = Bitmap32::kBytesPerPixel;

}  // namespace

void CopySheetCell32(const Bitmap32& sheet, Bitmap32& D, int cellWidth, int cellHeight, int column, int row) {
  if (cellWidth < 0 || cellHeight < 0) return;
  if (&sheet == &D) {
    const Bitmap32 work = sheet;
    CopySheetCell32(work, D, cellWidth, cellHeight, column, row);
    return;
  }
  D.Resize(cellWidth + 1, cellHeight + 1);

  // Inclusive ranges: the cell plus the first row and column of the next cell, cut to the sheet.
  // A cell wholly outside the sheet gives an empty range. The range never holds more than
  // cellSize + 1 entries, so it always fits in D.
  const std::int64_t firstRow = std::max<std::int64_t>(0, static_cast<std::int64_t>(cellHeight) * row);
  const std::int64_t lastRow =
      std::min<std::int64_t>(sheet.Height() - 1, static_cast<std::int64_t>(cellHeight) * (row + 1));
  const std::int64_t firstColumn = std::max<std::int64_t>(0, static_cast<std::int64_t>(cellWidth) * column);
  const std::int64_t lastColumn =
      std::min<std::int64_t>(sheet.Width() - 1, static_cast<std::int64_t>(cellWidth) * (column + 1));
  if (firstRow > lastRow || firstColumn > lastColumn) return;

  const std::size_t bytes = static_cast<std::size_t>(lastColumn - firstColumn + 1) * kPixelBytes;
  for (std::int64_t r = firstRow; r <= lastRow; ++r) {
    std::memcpy(D.Row(static_cast<int>(r - firstRow)), sheet.Row(static_cast<int>(r)) + kPixelBytes * firstColumn,
                bytes);
  }
}

void ResampleNearest32(const Bitmap32& S, Bitmap32& D) {
  if (D.Empty() || S.Empty()) return;
  if (&S == &D) return;  // same picture, same size: nothing moves
  const double scaleX = static_cast<double>(S.Width()) / D.Width();
  const double scaleY = static_cast<double>(S.Height()) / D.Height();

  // floor(x · scale) is below the source size for every x inside D; the clamp only guards
  // against a product rounded up onto the edge.
  std::vector<std::size_t> sourceOffset(static_cast<std::size_t>(D.Width()));
  for (int x = 0; x < D.Width(); ++x) {
    const int sx = std::min(static_cast<int>(std::floor(x * scaleX)), S.Width() - 1);
    sourceOffset[static_cast<std::size_t>(x)] = static_cast<std::size_t>(sx) * kPixelBytes;
  }
  for (int y = 0; y < D.Height(); ++y) {
    const int sy = std::min(static_cast<int>(std::floor(y * scaleY)), S.Height() - 1);
    const std::uint8_t* source = S.Row(sy);
    std::uint8_t* out = D.Row(y);
    for (int x = 0; x < D.Width(); ++x) {
      std::memcpy(out + kPixelBytes * static_cast<std::size_t>(x), source + sourceOffset[static_cast<std::size_t>(x)],
                  kPixelBytes);
    }
  }
}

void RotateBitmap32(const Bitmap32& S, Bitmap32& D, int angle) {
  if (&S == &D) {
    const Bitmap32 source = S;
    RotateBitmap32(source, D, angle);
    return;
  }
  const TurnGeometry turn(S.Width(), S.Height(), angle, true);
  D = Bitmap32(turn.TurnedWidth(), turn.TurnedHeight());
  // Pixels that fall outside S are transparent black.
  constexpr std::uint8_t kTransparent[4] = {0, 0, 0, 0};
  for (int y = 0; y < turn.TurnedHeight(); ++y) turn.TurnRow(S, D, y, kTransparent);
}

}  // namespace atelion
