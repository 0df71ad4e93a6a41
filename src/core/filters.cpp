// The shared pixel filters. Soften, BoxBlur3, Sharpen3 and LocalContrast keep running
// column sums and MedianSmooth a sliding histogram instead of re-summing every window (LocalSharpen5
// must re-read its window: it sees its own output). tests/core/filters_test.cpp compares each fast
// filter with a direct transcription of the described arithmetic on random pictures.
#include "core/filters.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <vector>

#include "core/worker_pool.h"

namespace atelion {

namespace {

std::uint8_t Clamp255(std::int64_t value) { return static_cast<std::uint8_t>(std::clamp<std::int64_t>(value, 0, 255)); }

// A 256-entry table for filters whose new channel value depends on the old one alone.
using ChannelTable = std::array<std::uint8_t, 256>;

void ApplyChannelTable(Bitmap24& picture, const ChannelTable& table) {
  ForEachRowBand(picture.Height(), 64, [&](int first, int end) {
    for (int y = first; y < end; ++y) {
      std::uint8_t* row = picture.Row(y);
      for (std::size_t i = 0; i < picture.RowBytes(); ++i) row[i] = table[row[i]];
    }
  });
}

// Calls writeRow(above, here, below, out, sums) for every inner row y = 1..H−2, where above, here
// and below hold the values rows y−1, y and y+1 had before the call, out is row y and sums a
// scratch row of RowBytes() counts. The rows are split into bands worked side by side on the
// shared pool; each band keeps two rows as copies (row y+1 is still unwritten when row y is
// computed), and the row above and below each band is copied before any band writes.
template <class WriteRow>
void ForEachInnerRow(Bitmap24& picture, WriteRow&& writeRow) {
  const int height = picture.Height();
  if (height < 3 || picture.Width() < 3) return;
  const std::size_t rowBytes = picture.RowBytes();
  const int inner = height - 2;
  const int bands = std::clamp(inner / 64, 1, WorkerPool::Shared().Concurrency());
  auto bandFirst = [&](int band) { return 1 + static_cast<int>(static_cast<std::int64_t>(inner) * band / bands); };
  std::vector<std::vector<std::uint8_t>> edges(2 * static_cast<std::size_t>(bands));
  for (int band = 0; band < bands; ++band) {
    const std::uint8_t* above = picture.Row(bandFirst(band) - 1);
    const std::uint8_t* below = picture.Row(bandFirst(band + 1));
    edges[2 * static_cast<std::size_t>(band)].assign(above, above + rowBytes);
    edges[2 * static_cast<std::size_t>(band) + 1].assign(below, below + rowBytes);
  }
  WorkerPool::Shared().Run(bands, [&](int band) {
    const int first = bandFirst(band), end = bandFirst(band + 1);
    std::vector<std::uint8_t> above = edges[2 * static_cast<std::size_t>(band)];
    std::vector<std::uint8_t> here(picture.Row(first), picture.Row(first) + rowBytes);
    std::vector<std::uint16_t> sums(rowBytes);
    for (int y = first; y < end; ++y) {
      const std::uint8_t* below = y + 1 == end ? edges[2 * static_cast<std::size_t>(band) + 1].data() : picture.Row(y + 1);
      writeRow(above.data(), here.data(), below, picture.Row(y), sums.data());
      std::swap(above, here);
      std::memcpy(here.data(), below, rowBytes);
    }
  });
}

// Per byte position of a row, the sum of the three rows' values: the column part of a 3 × 3 sum.
void SumColumns3(const std::uint8_t* above, const std::uint8_t* here, const std::uint8_t* below, std::size_t count,
                 std::uint16_t* sums) {
  for (std::size_t i = 0; i < count; ++i) sums[i] = static_cast<std::uint16_t>(above[i] + here[i] + below[i]);
}

// The 3 × 3 sum of channel byte i (= 3x + c) of an inner pixel, from the column sums.
inline int Window3Sum(const std::uint16_t* columnSums, std::size_t i) {
  return columnSums[i - 3] + columnSums[i] + columnSums[i + 3];
}

}  // namespace

MeanColour ComputeMeanColour(const Bitmap24& picture) {
  if (picture.Empty()) return {0, 0, 0};
  std::int64_t sums[3] = {0, 0, 0};  // blue, green, red
  for (int y = 0; y < picture.Height(); ++y) {
    const std::uint8_t* row = picture.Row(y);
    for (int x = 0; x < picture.Width(); ++x)
      for (int c = 0; c < 3; ++c) sums[c] += row[3 * x + c];
  }
  const std::int64_t count = static_cast<std::int64_t>(picture.Width()) * picture.Height();
  return {sums[2] / count, sums[1] / count, sums[0] / count};
}

void Soften(Bitmap24& picture) {
  const int width = picture.Width();
  const int height = picture.Height();
  if (picture.Empty()) return;
  const std::size_t rowBytes = picture.RowBytes();

  // The border rules read only border pixels, which the inner pass never writes; keep their old values now.
  const std::vector<std::uint8_t> oldTop(picture.Row(0), picture.Row(0) + rowBytes);
  const std::vector<std::uint8_t> oldBottom(picture.Row(height - 1), picture.Row(height - 1) + rowBytes);
  std::vector<std::uint8_t> oldLeft(static_cast<std::size_t>(height) * 3), oldRight(oldLeft.size());
  for (int y = 0; y < height; ++y) {
    std::memcpy(&oldLeft[3 * static_cast<std::size_t>(y)], picture.Row(y), 3);
    std::memcpy(&oldRight[3 * static_cast<std::size_t>(y)], picture.Row(y) + 3 * (width - 1), 3);
  }

  ForEachInnerRow(picture, [&](const std::uint8_t* above, const std::uint8_t* here, const std::uint8_t* below,
                               std::uint8_t* out, std::uint16_t* columnSums) {
    SumColumns3(above, here, below, rowBytes, columnSums);
    for (std::size_t i = 3; i < rowBytes - 3; ++i) {
      const int mean = Window3Sum(columnSums, i) / 9;
      out[i] = static_cast<std::uint8_t>((mean + here[i]) >> 1);
    }
  });

  // Bottom row, then top row: the plain 3-tap mean along the row (one row when H = 1).
  auto softenRow = [&](const std::vector<std::uint8_t>& old, std::uint8_t* out) {
    for (std::size_t i = 3; i + 3 < rowBytes; ++i) out[i] = static_cast<std::uint8_t>((old[i - 3] + old[i] + old[i + 3]) / 3);
  };
  softenRow(oldBottom, picture.Row(height - 1));
  softenRow(oldTop, picture.Row(0));

  // Left and right columns: the 3-tap mean along the column (one column when W = 1).
  auto softenColumn = [&](const std::vector<std::uint8_t>& old, int x) {
    for (int y = 1; y <= height - 2; ++y) {
      std::uint8_t* out = picture.Row(y) + 3 * x;
      const std::size_t i = 3 * static_cast<std::size_t>(y);
      for (int c = 0; c < 3; ++c) out[c] = static_cast<std::uint8_t>((old[i - 3 + c] + old[i + c] + old[i + 3 + c]) / 3);
    }
  };
  softenColumn(oldLeft, 0);
  softenColumn(oldRight, width - 1);
}

void BoxBlur3(Bitmap24& picture) {
  const std::size_t rowBytes = picture.RowBytes();
  ForEachInnerRow(picture, [&](const std::uint8_t* above, const std::uint8_t* here, const std::uint8_t* below,
                               std::uint8_t* out, std::uint16_t* columnSums) {
    SumColumns3(above, here, below, rowBytes, columnSums);
    for (std::size_t i = 3; i < rowBytes - 3; ++i) out[i] = static_cast<std::uint8_t>(Window3Sum(columnSums, i) / 9);
  });
}

void Sharpen3(Bitmap24& picture) {
  const std::size_t rowBytes = picture.RowBytes();
  ForEachInnerRow(picture, [&](const std::uint8_t* above, const std::uint8_t* here, const std::uint8_t* below,
                               std::uint8_t* out, std::uint16_t* columnSums) {
    SumColumns3(above, here, below, rowBytes, columnSums);
    for (std::size_t i = 3; i < rowBytes - 3; ++i) {
      const int value = here[i];
      const int neighbours = Window3Sum(columnSums, i) - value;
      const int t = std::max(0, 5 * value - (neighbours >> 3));
      out[i] = static_cast<std::uint8_t>(t < 1024 ? t >> 2 : 255);
    }
  });
}

void PivotContrast(Bitmap24& picture, int pivot, int amount) {
  ChannelTable table;
  for (int v = 0; v < 256; ++v)
    table[v] = Clamp255(v + (static_cast<std::int64_t>(v - pivot) * amount) / 100);
  ApplyChannelTable(picture, table);
}

void AdjustBrightness(Bitmap24& picture, int amount) {
  ChannelTable table;
  for (int v = 0; v < 256; ++v) {
    const std::int64_t change = amount <= 0 ? (static_cast<std::int64_t>(amount) * v) / 100
                                            : (static_cast<std::int64_t>(amount) * (255 - v)) / 100;
    table[v] = Clamp255(v + change);
  }
  ApplyChannelTable(picture, table);
}

void AdjustSaturation(Bitmap24& picture, int amount, RunContext& context) {
  for (int y = 0; y < picture.Height(); ++y) {
    std::uint8_t* row = picture.Row(y);
    for (int x = 0; x < picture.Width(); ++x) {
      std::uint8_t* pixel = row + 3 * x;
      const int grey = (pixel[0] + pixel[1] + pixel[2]) / 3;
      for (int c = 0; c < 3; ++c)
        pixel[c] = Clamp255(pixel[c] + (static_cast<std::int64_t>(pixel[c] - grey) * amount) / 100);
    }
    if (context.CheckAbort()) return;
  }
}

namespace {

// The padded picture of LocalContrast, one row at a time: (W + 18) pixels wide, white, with the picture
// drawn at (0, 0), (9, 0), (0, 9) and (9, 9) in that order, so the last draw covering a pixel wins.
// Building the rows on demand keeps the exact result of the four draws for any picture size
// (also narrower or lower than 9) without holding the whole padded picture. `rowOf(y)` gives the
// picture's row y as it was before the filter wrote anything.
template <class RowOf>
void BuildPaddedRow(int width, int height, std::size_t rowBytes, const RowOf& rowOf, int paddedY, std::uint8_t* out) {
  constexpr int kShift = 9;
  std::memset(out, 0xFF, static_cast<std::size_t>(width + 2 * kShift) * 3);
  const int drawOffsets[4][2] = {{0, 0}, {kShift, 0}, {0, kShift}, {kShift, kShift}};
  // The two lower draws cover the same columns as the two upper ones: where they reach this row,
  // the upper draws would be overwritten and their row is not read at all.
  const bool lowerDrawn = paddedY - kShift >= 0 && paddedY - kShift < height;
  for (const auto& [left, top] : drawOffsets) {
    if (top == 0 && lowerDrawn) continue;
    const int sourceY = paddedY - top;
    if (sourceY < 0 || sourceY >= height) continue;
    std::memcpy(out + 3 * left, rowOf(sourceY), rowBytes);
  }
}

constexpr int kContrastWindow = 9;
// Window of pixel (x, y): padded columns x + 5 .. x + 13, padded rows y + 5 .. y + 13, which hold
// the picture's rows y − 4 .. y + 4 (and rows 5 .. 8 near the top).
constexpr int kContrastWindowStart = 5;
constexpr int kContrastReach = 4;

// LocalContrast on the rows first .. end − 1 (at most H − 2). A row of the picture is read into the
// window before the row is written, so the band's own rows come straight from the picture; rows
// outside the band come through `rowOf`.
template <class RowOf>
void LocalContrastRows(Bitmap24& picture, int first, int end, int amount, const MeanColour& sourceMean,
                       const RowOf& rowOf, const std::function<void(int)>& pump) {
  const int width = picture.Width();
  const int height = picture.Height();
  const std::size_t rowBytes = picture.RowBytes();
  const std::size_t paddedRowBytes = static_cast<std::size_t>(width + 18) * 3;
  const std::int64_t means[3] = {sourceMean.blue, sourceMean.green, sourceMean.red};

  // The padded rows inside the current window, kept because the picture rows they came from are
  // overwritten before the window slides past them.
  std::vector<std::vector<std::uint8_t>> windowRows(kContrastWindow, std::vector<std::uint8_t>(paddedRowBytes));
  auto windowRow = [&](int paddedY) -> std::vector<std::uint8_t>& { return windowRows[paddedY % kContrastWindow]; };

  // Per padded column and channel, the sum over the window's nine rows.
  std::vector<int> columnSums(paddedRowBytes, 0);
  for (int paddedY = first + kContrastWindowStart; paddedY < first + kContrastWindowStart + kContrastWindow; ++paddedY) {
    std::vector<std::uint8_t>& row = windowRow(paddedY);
    BuildPaddedRow(width, height, rowBytes, rowOf, paddedY, row.data());
    for (std::size_t i = 0; i < paddedRowBytes; ++i) columnSums[i] += row[i];
  }

  for (int y = first; y < end; ++y) {
    std::uint8_t* out = picture.Row(y);
    int windowSums[3] = {0, 0, 0};
    for (int column = kContrastWindowStart; column < kContrastWindowStart + kContrastWindow; ++column)
      for (int c = 0; c < 3; ++c) windowSums[c] += columnSums[3 * column + c];
    for (int x = 0; x <= width - 2; ++x) {
      if (x > 0) {
        for (int c = 0; c < 3; ++c)
          windowSums[c] += columnSums[3 * (x + kContrastWindowStart + kContrastWindow - 1) + c] -
                           columnSums[3 * (x + kContrastWindowStart - 1) + c];
      }
      for (int c = 0; c < 3; ++c) {
        const int own = out[3 * x + c];
        const int local = (windowSums[c] - own) / 80;
        const std::int64_t blend = (means[c] + 2 * local) / 3;
        out[3 * x + c] = Clamp255(own + (static_cast<std::int64_t>(amount) * (own - blend)) / 100);
      }
    }
    if (y + 1 < end) {
      // Slide the window one row down: drop padded row y + 5, add padded row y + 14, whose picture
      // rows (y + 5 and y + 14) are below the rows written so far.
      std::vector<std::uint8_t>& row = windowRow(y + kContrastWindowStart);  // the dropped row's slot
      for (std::size_t i = 0; i < paddedRowBytes; ++i) columnSums[i] -= row[i];
      BuildPaddedRow(width, height, rowBytes, rowOf, y + kContrastWindowStart + kContrastWindow, row.data());
      for (std::size_t i = 0; i < paddedRowBytes; ++i) columnSums[i] += row[i];
    }
    pump(y);
  }
}

}  // namespace

void LocalContrast(Bitmap24& picture, int amount, const MeanColour& sourceMean, RunContext* context) {
  const int width = picture.Width();
  const int height = picture.Height();
  if (width < 2 || height < 2) return;
  const int rows = height - 1;  // the last row keeps its values
  const std::size_t rowBytes = picture.RowBytes();
  // Only the pumping of the abort check, every 25 rows: LocalContrast runs to the end once started.
  const std::function<void(int)> pump = [&](int y) {
    if ((y + kContrastWindowStart) % 25 == 0 && context && context->Processing) (void)context->CheckAbort();
  };

  // Bands of rows side by side. A band reads up to four rows past each of its ends, which the
  // neighbouring bands write: those rows are copied before any band starts.
  const int bands = std::clamp(rows / 64, 1, WorkerPool::Shared().Concurrency());
  if (bands == 1) {
    LocalContrastRows(picture, 0, rows, amount, sourceMean, [&](int y) { return picture.Row(y); }, pump);
    return;
  }
  auto bandFirst = [&](int band) { return static_cast<int>(static_cast<std::int64_t>(rows) * band / bands); };
  // Rows bandFirst(b) − 4 .. bandFirst(b) + 3 around every inner band boundary b.
  std::vector<std::vector<std::uint8_t>> boundaryRows(static_cast<std::size_t>(bands));
  for (int band = 1; band < bands; ++band) {
    std::vector<std::uint8_t>& copy = boundaryRows[static_cast<std::size_t>(band)];
    copy.resize(2 * kContrastReach * rowBytes);
    for (int k = 0; k < 2 * kContrastReach; ++k) {
      std::memcpy(copy.data() + k * rowBytes, picture.Row(bandFirst(band) - kContrastReach + k), rowBytes);
    }
  }
  WorkerPool::Shared().Run(bands, [&](int band) {
    const int first = bandFirst(band), end = bandFirst(band + 1);
    const auto rowOf = [&](int y) -> const std::uint8_t* {
      if (y < first) {
        return boundaryRows[static_cast<std::size_t>(band)].data() + (y - first + kContrastReach) * rowBytes;
      }
      if (y >= end && band + 1 < bands) {
        return boundaryRows[static_cast<std::size_t>(band) + 1].data() + (y - end + kContrastReach) * rowBytes;
      }
      return picture.Row(y);
    };
    LocalContrastRows(picture, first, end, amount, sourceMean, rowOf, [](int) {});
  });
  // The bands' pumps, on the calling thread and as many as one band would have made.
  for (int y = 0; y < rows; ++y) pump(y);
}

namespace {

// Rounded-up reciprocals ⌈2^32 / d⌉ for the divisors of RGBToHLS240 (1..510).
constexpr auto kReciprocals = [] {
  std::array<std::uint64_t, 511> reciprocals{};
  for (std::uint64_t d = 1; d < reciprocals.size(); ++d) reciprocals[d] = ((std::uint64_t{1} << 32) + d - 1) / d;
  return reciprocals;
}();

// n div d by a multiplication, exact for n · d < 2^32 (the rounding error n · (⌈2^32/d⌉ − 2^32/d) / 2^32
// stays below 1/d). RGBToHLS240 divides numbers below 61456 by 1..510 and would otherwise spend most
// of its time in four hardware divisions per colour.
inline int DivideSmall(int n, int d) { return static_cast<int>((static_cast<std::uint64_t>(n) * kReciprocals[d]) >> 32); }

}  // namespace

Hls240 RGBToHLS240(int red, int green, int blue) {
  const int maximum = std::max({red, green, blue});
  const int minimum = std::min({red, green, blue});
  const int total = maximum + minimum;
  const int lightness = (total * 240 + 255) / 510;
  if (maximum == minimum) return {160, lightness, 0};
  const int range = maximum - minimum;
  const int saturation = lightness <= 120 ? DivideSmall(range * 240 + total / 2, total)
                                          : DivideSmall(range * 240 + (510 - total) / 2, 510 - total);
  auto distance = [&](int channel) { return DivideSmall((maximum - channel) * 40 + range / 2, range); };
  const int redDistance = distance(red);
  const int greenDistance = distance(green);
  const int blueDistance = distance(blue);
  int hue;
  if (red == maximum) hue = blueDistance - greenDistance;
  else if (green == maximum) hue = 80 + redDistance - blueDistance;
  else hue = 160 + greenDistance - redDistance;
  if (hue < 0) hue += 240;
  if (hue > 240) hue -= 240;
  return {hue, lightness, saturation};
}

Rgb240 HLSToRGB240(int hue, int saturation, int lightness) {
  if (saturation == 0) {
    const int grey = (lightness * 255) / 240;
    return {grey, grey, grey};
  }
  const int high = lightness <= 120 ? (lightness * (saturation + 240) + 120) / 240
                                    : lightness + saturation - (lightness * saturation + 120) / 240;
  const int low = 2 * lightness - high;
  // "div" truncates toward zero: high − low is negative for lightness above 240 (ColouriseDrawing).
  auto channel = [&](int t) {
    if (t < 0) t += 240;
    else if (t > 240) t -= 240;
    int v;
    if (t < 40) v = low + ((high - low) * t + 20) / 40;
    else if (t < 120) v = high;
    else if (t < 160) v = low + ((high - low) * (160 - t) + 20) / 40;
    else v = low;
    return (v * 255 + 120) / 240;
  };
  return {channel(hue + 80), channel(hue), channel(hue - 80)};
}

namespace {

// The new saturation and lightness of ColourVibrance depend on the old ones and on whether the hue is
// green to cyan (81..139, three fifths of the boost); computed once per call with the described
// double-precision arithmetic instead of once per pixel.
struct VibranceTables {
  std::array<int, 241> saturation[2];  // [green to cyan][old saturation]
  std::array<int, 241> lightness;

  explicit VibranceTables(int amount) {
    for (int greenToCyan = 0; greenToCyan < 2; ++greenToCyan) {
      const int boost = greenToCyan ? (amount * 3) / 5 : amount;
      for (int s = 0; s <= 240; ++s) {
        if (s <= 5) {
          saturation[greenToCyan][s] = s;
          continue;
        }
        const double lift = (static_cast<double>(120 - std::abs(s - 120)) / 120.0) * (boost / 100.0);
        // nearbyint rounds half to even in the default rounding mode, as the description requires.
        saturation[greenToCyan][s] = std::min(240, static_cast<int>(std::nearbyint(s * (1.0 + lift))));
      }
    }
    // A lift of up to 4 percent for dark colours.
    for (int l = 0; l <= 240; ++l) lightness[l] = l > 10 ? std::min(240, (l * ((255 - l) / 50 + 100)) / 100) : l;
  }
};

}  // namespace

void LocalContrastOverRepeatedEdges(Bitmap24& picture, int amount, const MeanColour& sourceMean,
                                    RunContext* context) {
  // The window reaches 4 pixels; one more keeps the row and column LocalContrast leaves alone outside.
  constexpr int kGrowth = 5;
  const int width = picture.Width(), height = picture.Height();
  if (width < 2 || height < 2) return;
  Bitmap24 grown(width + 2 * kGrowth, height + 2 * kGrowth);
  for (int y = 0; y < grown.Height(); ++y) {
    const std::uint8_t* in = picture.Row(std::clamp(y - kGrowth, 0, height - 1));
    std::uint8_t* out = grown.Row(y);
    for (int x = 0; x < grown.Width(); ++x) {
      const int column = std::clamp(x - kGrowth, 0, width - 1);
      std::memcpy(out + 3 * x, in + 3 * column, 3);
    }
  }
  LocalContrast(grown, amount, sourceMean, context);
  for (int y = 0; y < height; ++y) std::memcpy(picture.Row(y), grown.Row(y + kGrowth) + 3 * kGrowth, picture.RowBytes());
}

void ColourVibrance(const Bitmap24& source, Bitmap24& target, int amount) {
  if (&target != &source) target.Resize(source.Width(), source.Height());
  const VibranceTables tables(amount);
  for (int y = 0; y < source.Height(); ++y) {
    const std::uint8_t* in = source.Row(y);
    std::uint8_t* out = target.Row(y);
    for (int x = 0; x < source.Width(); ++x) {
      const std::uint8_t* pixel = in + 3 * x;
      const Hls240 hls = RGBToHLS240(pixel[2], pixel[1], pixel[0]);
      const bool greenToCyan = hls.hue >= 81 && hls.hue <= 139;
      const Rgb240 rgb = HLSToRGB240(hls.hue, tables.saturation[greenToCyan][hls.saturation], tables.lightness[hls.lightness]);
      // Within 0..255 for amounts of −100 and more; the clamp only keeps wilder amounts inside a byte.
      out[3 * x] = Clamp255(rgb.blue);
      out[3 * x + 1] = Clamp255(rgb.green);
      out[3 * x + 2] = Clamp255(rgb.red);
    }
  }
}

void ToneAdjust(const Bitmap24& source, Bitmap24& target, const ToneSettings& settings, const MeanColour& sourceMean,
                RunContext& context) {
  if (&target != &source) target = source;
  if (settings.luminosity != 128) AdjustBrightness(target, settings.luminosity - 127);
  if (settings.contrast != 128) {
    if (settings.contrast < 127) PivotContrast(target, 127, settings.contrast - 127);
    else LocalContrast(target, 2 * settings.contrast - 254, sourceMean, &context);
  }
  if (settings.saturation != 50) AdjustSaturation(target, 2 * settings.saturation - 100, context);
  if (settings.blurSharpen != 128) {
    const int passes = (settings.blurSharpen - 127) / 20;
    for (int k = 0; k < passes; ++k) Sharpen3(target);
    // Blurring: the passes k = passes .. −1 are box blurs while k ≤ −4, softenings from −3 on.
    for (int k = passes; k < 0; ++k) {
      if (k <= -4) BoxBlur3(target);
      else Soften(target);
    }
  }
  if (settings.vivify > 0) ColourVibrance(target, target, settings.vivify);
}

void AutoContrast(Bitmap24& picture, float exponent) {
  if (picture.Empty()) return;
  std::uint32_t counts[3][256] = {};
  for (int y = 0; y < picture.Height(); ++y) {
    const std::uint8_t* row = picture.Row(y);
    for (int x = 0; x < picture.Width(); ++x)
      for (int c = 0; c < 3; ++c) ++counts[c][row[3 * x + c]];
  }
  ChannelTable tables[3];
  for (int c = 0; c < 3; ++c) {
    // Weights and running sums in single precision, added in value order as described.
    float cumulative[256];
    float running = 0.0f;
    for (int v = 0; v < 256; ++v) {
      const float weight = counts[c][v] == 0 ? 0.0f : static_cast<float>(std::pow(static_cast<double>(counts[c][v]),
                                                                                  static_cast<double>(exponent)));
      running += weight;
      cumulative[v] = running;
    }
    const float sum = cumulative[255];
    for (int v = 0; v < 256; ++v) tables[c][v] = static_cast<std::uint8_t>(v);
    if (!(sum > 0.0f) || !std::isfinite(sum)) continue;  // only for absurd exponents: leave the channel
    for (int v = 0; v < 256; ++v) {
      // The description's Trunc((255 / sum) · cum(v)) rounds 255 / sum first, so the highest value
      // present (cum = sum) can land on 254.999… and truncate to 254. Dividing last is exact enough:
      // 255 · cum is exact in double (24 + 8 bits), the division is correctly rounded, and for single-
      // precision cum ≤ sum the quotient never rounds across an integer. So cum = sum gives exactly 255
      // and every other value gets the truncation of the true quotient.
      tables[c][v] = static_cast<std::uint8_t>(std::trunc(255.0 * cumulative[v] / sum));
    }
  }
  for (int y = 0; y < picture.Height(); ++y) {
    std::uint8_t* row = picture.Row(y);
    for (int x = 0; x < picture.Width(); ++x)
      for (int c = 0; c < 3; ++c) row[3 * x + c] = tables[c][row[3 * x + c]];
  }
}

void LocalSharpen5(const Bitmap24& source, Bitmap24& target, int strength) {
  if (strength >= 256) return;
  if (&target != &source) target.Resize(source.Width(), source.Height());
  const int width = source.Width();
  const int height = source.Height();
  const int divisor = 256 - strength;
  // When source and target are one picture, rows y − 2 and y − 1 and pixels x − 2 and x − 1 of row y
  // are already sharpened here: the callers rely on that, so no copy is taken.
  for (int y = 2; y <= height - 3; ++y) {
    const std::uint8_t* rows[5];
    for (int j = -2; j <= 2; ++j) rows[j + 2] = source.Row(y + j);
    std::uint8_t* out = target.Row(y);
    for (int x = 2; x <= width - 3; ++x) {
      int means[3];
      for (int c = 0; c < 3; ++c) {
        int sum = 0;
        for (int j = -2; j <= 2; ++j)
          for (int i = -2; i <= 2; ++i)
            if (i != 0 && i != j) sum += rows[j + 2][3 * (x + i) + c];
        means[c] = sum / 24;  // 16 samples, but the mean is taken over 24 as described
      }
      const std::uint8_t* own = rows[2] + 3 * x;
      const int contrast = std::abs(own[0] + own[1] + own[2] - means[0] - means[1] - means[2]) / 3;
      int values[3];
      for (int c = 0; c < 3; ++c) values[c] = own[c] + ((own[c] - means[c]) * contrast) / divisor;
      for (int c = 0; c < 3; ++c) out[3 * x + c] = Clamp255(values[c]);
    }
  }
}

namespace {

// A 256-bucket histogram of one channel with a remembered position for rank queries (Huang's
// median filter): neighbouring windows have nearby medians, so the search moves only a few buckets.
class ChannelHistogram {
 public:
  void Clear() {
    counts_.fill(0);
    position_ = 0;
    below_ = 0;
  }
  // Branch-free: whether a sample lies below the position is unpredictable in a photograph.
  void Add(int value) {
    ++counts_[value];
    below_ += value < position_;
  }
  void Remove(int value) {
    --counts_[value];
    below_ -= value < position_;
  }
  /// The value at 0-based position `rank` of the sorted samples; rank must be below the sample count.
  int ValueAtRank(int rank) {
    while (below_ > rank) {
      --position_;
      below_ -= counts_[position_];
    }
    while (below_ + static_cast<int>(counts_[position_]) <= rank) {
      below_ += counts_[position_];
      ++position_;
    }
    return position_;
  }

 private:
  std::array<std::uint32_t, 256> counts_{};
  int position_ = 0;  // a bucket
  int below_ = 0;     // samples in buckets below position_
};

}  // namespace

Bitmap24 MedianSmooth(const Bitmap24& picture, int size, RunContext& context) {
  const int width = picture.Width();
  const int height = picture.Height();
  Bitmap24 result(width, height, 0xFFFFFF);
  const int radius = std::max(0, size / 2);
  ChannelHistogram histograms[3];

  auto addRow = [&](int y, int left, int right, bool add) {
    const std::uint8_t* row = picture.Row(y);
    for (int x = left; x <= right; ++x)
      for (int c = 0; c < 3; ++c) {
        if (add) histograms[c].Add(row[3 * x + c]);
        else histograms[c].Remove(row[3 * x + c]);
      }
  };

  // Column by column as described (the abort check sits at each column start); within a column the
  // window slides down by one row, adding its new bottom row and dropping its old top row.
  for (int x = 0; x < width; ++x) {
    if (context.CheckAbort()) return result;
    const int left = std::max(0, x - radius);
    const int right = std::min(width - 1, x + radius);
    const int windowWidth = right - left + 1;
    for (ChannelHistogram& histogram : histograms) histogram.Clear();
    for (int y = 0; y <= std::min(height - 1, radius); ++y) addRow(y, left, right, true);
    for (int y = 0; y < height; ++y) {
      if (y > 0) {
        if (y + radius < height) addRow(y + radius, left, right, true);
        if (y - radius - 1 >= 0) addRow(y - radius - 1, left, right, false);
      }
      const int windowHeight = std::min(height - 1, y + radius) - std::max(0, y - radius) + 1;
      const int samples = windowWidth * windowHeight;
      std::uint8_t* out = result.Row(y) + 3 * x;
      for (int c = 0; c < 3; ++c) {
        if (samples % 2 == 1) {
          out[c] = static_cast<std::uint8_t>(histograms[c].ValueAtRank(samples / 2));
        } else {
          const int lower = histograms[c].ValueAtRank(samples / 2 - 1);
          const int upper = histograms[c].ValueAtRank(samples / 2);
          out[c] = static_cast<std::uint8_t>((lower + upper) / 2);
        }
      }
    }
  }
  return result;
}

void InvertColours(Bitmap24& picture) {
  for (int y = 0; y < picture.Height(); ++y) {
    std::uint8_t* row = picture.Row(y);
    for (std::size_t i = 0; i < picture.RowBytes(); ++i) row[i] = static_cast<std::uint8_t>(255 - row[i]);
  }
}

void ColouriseDrawing(const Bitmap24& photo, Bitmap24& drawing) {
  Bitmap24 work(photo.Width(), photo.Height());
  for (int y = 0; y < photo.Height(); ++y) {
    const std::uint8_t* in = photo.Row(y);
    const std::uint8_t* grey = y < drawing.Height() ? drawing.Row(y) : nullptr;
    std::uint8_t* out = work.Row(y);
    for (int x = 0; x < photo.Width(); ++x) {
      const std::uint8_t* pixel = in + 3 * x;
      const Hls240 hls = RGBToHLS240(pixel[2], pixel[1], pixel[0]);
      const int lightness = (grey && x < drawing.Width()) ? grey[3 * x + 2] : 255;
      const int saturation = (hls.saturation * (255 - lightness)) / 255;
      // The drawing's 0..255 goes in as lightness although the scale ends at 240: light strokes
      // overshoot and are limited to 255 (never below 0 for these inputs; the clamp only states it).
      const Rgb240 rgb = HLSToRGB240(hls.hue, saturation, lightness);
      out[3 * x] = Clamp255(rgb.blue);
      out[3 * x + 1] = Clamp255(rgb.green);
      out[3 * x + 2] = Clamp255(rgb.red);
    }
  }
  drawing = std::move(work);
}

}  // namespace atelion
