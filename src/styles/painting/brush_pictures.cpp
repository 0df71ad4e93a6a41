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

// A whole pixel read as one 32-bit word.
using Pixel32 = std::uint32_t __attribute__((may_alias));

// One turned row: pixel i comes from the source pixel whose centre the turn maps it to (the
// column products precomputed, the row's products given), transparent black where that lies
// outside the source. Written without branches so that whole rows go through the vector unit
// (the processor's own kind is picked when the program starts); the same pixels as the turn of
// any other picture.
[[gnu::target_clones("avx2", "default")]] void TurnRow32(int count, const double* __restrict columnCos,
                                                        const double* __restrict columnSin,
                                                        double rySin, double ryCos, int halfWidth, int halfHeight,
                                                        int width, int height, const Pixel32* __restrict source,
                                                        Pixel32* __restrict out) {
  for (int i = 0; i < count; ++i) {
    // Halves of a pixel rounded to even, then (t − 1) / 2 truncated toward zero.
    const int sx = (static_cast<int>(RoundHalfEven(columnCos[i] - rySin)) - 1) / 2 + halfWidth;
    const int sy = (static_cast<int>(RoundHalfEven(columnSin[i] + ryCos)) - 1) / 2 + halfHeight;
    const unsigned inside = static_cast<unsigned>(static_cast<unsigned>(sx) < static_cast<unsigned>(width)) &
                            static_cast<unsigned>(static_cast<unsigned>(sy) < static_cast<unsigned>(height));
    const std::uint32_t pixel = source[(sy * width + sx) * static_cast<int>(inside)];
    out[i] = pixel & (0u - inside);
  }
}

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

namespace {

// S turned by `angle` into `out`: turnedWidth × turnedHeight pixels (the enlarged turn's size) row
// after row. The turn's own arithmetic (as TurnGeometry does it), row by row in the vector unit;
// pixels that fall outside S are transparent black.
void TurnInto(const Bitmap32& S, int angle, int turnedWidth, int turnedHeight, std::uint8_t* out) {
  const int width = S.Width(), height = S.Height();
  const int halfWidth = width / 2, halfHeight = height / 2;
  const double theta = -angle * std::numbers::pi / 180.0;
  const double sn = std::sin(theta), cs = std::cos(theta);
  const int offsetX = (turnedWidth - width) / 2, offsetY = (turnedHeight - height) / 2;
  std::vector<double> columnCos(static_cast<std::size_t>(turnedWidth)), columnSin(columnCos.size());
  for (int i = 0; i < turnedWidth; ++i) {
    const double rx = 2.0 * (i - offsetX - halfWidth) + 1.0;
    columnCos[static_cast<std::size_t>(i)] = rx * cs;
    columnSin[static_cast<std::size_t>(i)] = rx * sn;
  }
  const auto* source = reinterpret_cast<const Pixel32*>(S.Row(0));
  for (int y = 0; y < turnedHeight; ++y) {
    const double ry = 2.0 * (y - offsetY - halfHeight) + 1.0;
    TurnRow32(turnedWidth, columnCos.data(), columnSin.data(), ry * sn, ry * cs, halfWidth, halfHeight, width, height,
              source, reinterpret_cast<Pixel32*>(out + static_cast<std::size_t>(y) * turnedWidth * kPixelBytes));
  }
}

}  // namespace

void RotateBitmap32(const Bitmap32& S, Bitmap32& D, int angle) {
  if (&S == &D) {
    const Bitmap32 source = S;
    RotateBitmap32(source, D, angle);
    return;
  }
  const TurnGeometry turn(S.Width(), S.Height(), angle, true);
  D = Bitmap32(turn.TurnedWidth(), turn.TurnedHeight());
  if (S.Empty() || D.Empty()) return;
  TurnInto(S, angle, D.Width(), D.Height(), D.Row(0));
}

void RotateBitmap32(const Bitmap32& S, TurnedBrush& turned, int angle) {
  const TurnGeometry turn(S.Width(), S.Height(), angle, true);
  turned.width = turn.TurnedWidth();
  turned.height = turn.TurnedHeight();
  // Every pixel is written: the storage only grows.
  turned.pixels.resize(static_cast<std::size_t>(turned.width) * static_cast<std::size_t>(turned.height) * kPixelBytes);
  if (S.Empty() || turned.pixels.empty()) return;
  TurnInto(S, angle, turned.width, turned.height, turned.pixels.data());
}

}  // namespace atelion
