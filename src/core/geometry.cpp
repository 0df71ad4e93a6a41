// Resampling, quarter turns and sheet cells of 24-bit pictures.
// Resample is the workhorse: brush scaling inside stroke loops calls it for every stroke, so its
// loops use only fixed-point additions, shifts and four multiplications per channel.
#include "core/geometry.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

namespace atelion {

namespace {

constexpr int kChannels = Bitmap24::kBytesPerPixel;

// Positions in Resample carry 15 fraction bits: one source pixel is 32768.
constexpr int kFractionBits = 15;
constexpr std::uint32_t kOne = 1u << kFractionBits;
constexpr std::uint32_t kFractionMask = kOne - 1;

// Quarter turns move pixels in square tiles so that both the rows read and the columns written
// stay in cache; a plain row-by-row walk strides through the whole destination per source row.
constexpr int kTurnTile = 64;

// The fixed-point step from one destination pixel to the next: (sourceSize − 1)/destinationSize
// of a source pixel. Computed in 64 bits so that very wide sources cannot overflow the shift;
// for every size below 65537 this is the same number as the 32-bit signed division.
std::uint64_t FixedStep(int sourceSize, int destinationSize) {
  return static_cast<std::uint64_t>((static_cast<std::int64_t>(sourceSize - 1) << kFractionBits) / destinationSize);
}

std::uint8_t RoundToByte(float value) {
  const float rounded = std::nearbyint(value);  // half to even under the default rounding mode
  return static_cast<std::uint8_t>(std::clamp(rounded, 0.0f, 255.0f));
}

// Where one destination column or row of ResampleSmooth samples the source.
struct SmoothSample {
  int first = 0;
  int second = 0;
  float fraction = 0.0f;
};

// Samples for destination positions 0..count−1: position / scale in single precision, with the
// scale (count / (sourceSize − 1)) computed in double and kept in single precision. A source of
// a single pixel in this direction has no second sample to blend with: it repeats its only one.
std::vector<SmoothSample> SmoothSamples(int sourceSize, int count) {
  std::vector<SmoothSample> samples(static_cast<std::size_t>(count));
  if (sourceSize < 2) return samples;
  const float scale = static_cast<float>(static_cast<double>(count) / (sourceSize - 1));
  for (int i = 0; i < count; ++i) {
    const float position = static_cast<float>(i) / scale;
    const int whole = static_cast<int>(position);  // truncation; position is never negative
    SmoothSample& sample = samples[static_cast<std::size_t>(i)];
    sample.fraction = position - static_cast<float>(whole);
    // Single-precision rounding could in principle land on the last pixel; repeat it then.
    sample.first = std::min(whole, sourceSize - 1);
    sample.second = std::min(whole + 1, sourceSize - 1);
  }
  return samples;
}

}  // namespace

void Resample(const Bitmap24& S, Bitmap24& D) {
  const int sourceWidth = S.Width();
  const int sourceHeight = S.Height();
  const int width = D.Width();
  const int height = D.Height();
  // A destination without pixels would make the step divide by zero, and an empty source has
  // nothing to sample: leave D as it is.
  if (width <= 0 || height <= 0 || S.Empty()) return;
  if (&S == &D) {
    const Bitmap24 source = S;
    Resample(source, D);
    return;
  }

  const std::uint64_t stepX = FixedStep(sourceWidth, width);
  const std::uint64_t stepY = FixedStep(sourceHeight, height);
  // With a step of (size − 1)/size, x0 + 1 and y0 + 1 stay inside any source of at least two
  // pixels in that direction. A one-column source always has fx = 0, so its right-hand samples
  // weigh nothing and are taken from the same column instead of reading past the row.
  const int rightOffset = sourceWidth > 1 ? kChannels : 0;

  std::uint64_t positionY = 0;
  for (int r = 0; r < height; ++r, positionY += stepY) {
    const int y0 = static_cast<int>(positionY >> kFractionBits);
    // Only a one-row source reaches this test's limit: its lower row is its upper row.
    const bool lastRow = (positionY >> 16) >= static_cast<std::uint64_t>(sourceHeight - 1);
    const int y1 = lastRow ? y0 : y0 + 1;
    const std::uint32_t fy = static_cast<std::uint32_t>(positionY) & kFractionMask;
    const std::uint32_t upperWeight = kOne - fy;
    const std::uint8_t* upper = S.Row(y0);
    const std::uint8_t* lower = S.Row(y1);
    std::uint8_t* out = D.Row(r);

    std::uint64_t positionX = 0;
    for (int c = 0; c < width; ++c, positionX += stepX) {
      const std::size_t x0 = static_cast<std::size_t>(positionX >> kFractionBits);
      const std::uint32_t fx = static_cast<std::uint32_t>(positionX) & kFractionMask;
      // The four weights add up to exactly 32768.
      const std::uint32_t wur = (fx * upperWeight) >> kFractionBits;
      const std::uint32_t wul = upperWeight - wur;
      const std::uint32_t wlr = (fx * fy) >> kFractionBits;
      const std::uint32_t wll = fy - wlr;
      const std::uint8_t* ul = upper + kChannels * x0;
      const std::uint8_t* ll = lower + kChannels * x0;
      const std::uint8_t* ur = ul + rightOffset;
      const std::uint8_t* lr = ll + rightOffset;
      std::uint8_t* pixel = out + kChannels * static_cast<std::size_t>(c);
      for (int ch = 0; ch < kChannels; ++ch) {
        pixel[ch] = static_cast<std::uint8_t>((ul[ch] * wul + ur[ch] * wur + ll[ch] * wll + lr[ch] * wlr) >>
                                              kFractionBits);
      }
    }
  }
}

void ResampleSmooth(const Bitmap24& S, Bitmap24& D) {
  if (D.Empty() || S.Empty()) return;
  if (&S == &D) {
    const Bitmap24 source = S;
    ResampleSmooth(source, D);
    return;
  }
  const std::vector<SmoothSample> columns = SmoothSamples(S.Width(), D.Width());
  const std::vector<SmoothSample> rows = SmoothSamples(S.Height(), D.Height());

  for (int r = 0; r < D.Height(); ++r) {
    const SmoothSample& sy = rows[static_cast<std::size_t>(r)];
    const std::uint8_t* upper = S.Row(sy.first);
    const std::uint8_t* lower = S.Row(sy.second);
    std::uint8_t* out = D.Row(r);
    for (int c = 0; c < D.Width(); ++c) {
      const SmoothSample& sx = columns[static_cast<std::size_t>(c)];
      const float wul = (1.0f - sx.fraction) * (1.0f - sy.fraction);
      const float wur = sx.fraction * (1.0f - sy.fraction);
      const float wll = (1.0f - sx.fraction) * sy.fraction;
      const float wlr = sx.fraction * sy.fraction;
      const std::uint8_t* ul = upper + kChannels * sx.first;
      const std::uint8_t* ur = upper + kChannels * sx.second;
      const std::uint8_t* ll = lower + kChannels * sx.first;
      const std::uint8_t* lr = lower + kChannels * sx.second;
      for (int ch = 0; ch < kChannels; ++ch) {
        const float sum = static_cast<float>(ul[ch]) * wul + static_cast<float>(ur[ch]) * wur +
                          static_cast<float>(ll[ch]) * wll + static_cast<float>(lr[ch]) * wlr;
        out[kChannels * c + ch] = RoundToByte(sum);
      }
    }
  }
}

void RotateQuarterInto(int direction, const Bitmap24& S, Bitmap24& D) {
  if (&S == &D) {
    const Bitmap24 source = S;
    RotateQuarterInto(direction, source, D);
    return;
  }
  const int width = S.Width();
  const int height = S.Height();
  if (D.Width() != height || D.Height() != width) D = Bitmap24(height, width);
  const bool clockwise = direction >= 1;

  for (int tileY = 0; tileY < height; tileY += kTurnTile) {
    const int endY = std::min(tileY + kTurnTile, height);
    for (int tileX = 0; tileX < width; tileX += kTurnTile) {
      const int endX = std::min(tileX + kTurnTile, width);
      for (int y = tileY; y < endY; ++y) {
        const std::uint8_t* source = S.Row(y);
        // Clockwise, source row y becomes destination column H − 1 − y, read top to bottom;
        // counter-clockwise it becomes column y, read bottom to top.
        const int column = clockwise ? height - 1 - y : y;
        for (int x = tileX; x < endX; ++x) {
          const int destinationRow = clockwise ? x : width - 1 - x;
          std::memcpy(D.Row(destinationRow) + kChannels * static_cast<std::size_t>(column),
                      source + kChannels * static_cast<std::size_t>(x), kChannels);
        }
      }
    }
  }
}

void RotateQuarter(Bitmap24& B, int angle) {
  Bitmap24 turned;
  RotateQuarterInto(angle == 90 ? 1 : 0, B, turned);
  B = std::move(turned);
}

void CopySheetCell(const Bitmap24& sheet, Bitmap24& D, int cellWidth, int cellHeight, int column, int row) {
  if (&sheet == &D) {
    const Bitmap24 work = sheet;
    CopySheetCell(work, D, cellWidth, cellHeight, column, row);
    return;
  }
  // The cell's top-left corner in the sheet, in 64 bits so that far-off cells cannot overflow.
  const std::int64_t left = static_cast<std::int64_t>(column) * cellWidth;
  const std::int64_t top = static_cast<std::int64_t>(row) * cellHeight;
  // Only the part of the cell inside both the sheet and D is copied: a cell reaching past the
  // sheet's edge, or a destination smaller than the cell, must not be read or written outside.
  const std::int64_t firstX = std::max<std::int64_t>(0, -left);
  const std::int64_t endX = std::min<std::int64_t>({cellWidth, D.Width(), sheet.Width() - left});
  const std::int64_t firstY = std::max<std::int64_t>(0, -top);
  const std::int64_t endY = std::min<std::int64_t>({cellHeight, D.Height(), sheet.Height() - top});
  if (firstX >= endX || firstY >= endY) return;

  const std::size_t bytes = static_cast<std::size_t>(endX - firstX) * kChannels;
  for (std::int64_t y = firstY; y < endY; ++y) {
    std::memcpy(D.Row(static_cast<int>(y)) + kChannels * firstX,
                sheet.Row(static_cast<int>(top + y)) + kChannels * (left + firstX), bytes);
  }
}

}  // namespace atelion
