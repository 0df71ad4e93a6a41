// Pixelation and Colored dots: on a white canvas, one pass per tile size from the largest down to
// the smallest throws tiles at random centres. A tile is laid, in the photograph's mean colour
// around its centre, where the painting there differs from the photograph by more than the
// photograph's own spread plus the level of abstraction, or where the canvas is still almost
// white. The two styles differ only in the tile: a square, or a dot with a darker outline.
#include "styles/stylized/coloured_tiles.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#endif

#include "core/canvas.h"
#include "core/filters.h"
#include "styles/catalogue.h"

namespace atelion {

namespace {

enum class TileShape { Square, Circle };

using Parameters = ColouredTilesParameters;

constexpr int kNeutralColourIntensity = 50;
// A tile must miss the photograph by more than the photograph's own spread plus this.
constexpr int kSpreadAllowance = 15;
// Where the painting's mean is above this in every channel the canvas is still (almost) white.
constexpr int kAlmostWhite = 250;
constexpr int kOutlineDarkening = 10;
constexpr std::int64_t kMostTilesPerPass = 100000;
// The preview throws three times as many tiles on passes with fewer than this.
constexpr std::int64_t kPreviewTripledBelow = 5000;
// While tiles are thrown in a full-size run the shell's events are handled this often: a pass
// throws up to 100001 tiles, far too many for a pump after each.
constexpr std::chrono::milliseconds kPumpInterval{4};

// The widest window: tile size 255 div 5 + 3, half of it on either side of the centre.
constexpr int kWidestWindow = 2 * ((255 / 5 + 3) / 2) + 1;

// Room before the byte masks and the mean colour run: the last 16- or 32-byte block of a row run
// ends at the run's last byte and may start before the run.
constexpr int kLead = 32;

// The bytes of each channel over a row of pixels: 255 at the channel's bytes, 0 elsewhere, so a
// channel's sum over a run of pixels is a sum over the run's bytes, masked, a block at a time.
// Byte j of a run (j ≥ −kLead) has its masks at kLead + j.
struct ChannelMasks {
  static constexpr int kLength = kLead + 3 * 64;
  static_assert(kLength >= kLead + 3 * kWidestWindow);
  alignas(16) std::array<std::array<std::uint8_t, kLength>, 3> masks{};
  constexpr ChannelMasks() {
    for (int t = 0; t < kLength; ++t) masks[(t - kLead + 3 * kLead) % 3][t] = 0xFF;
  }
};
constexpr ChannelMasks kChannelMasks;

using ChannelSums = std::array<std::int64_t, 3>;

// What the second look at a window finds.
struct WindowComparison {
  std::int64_t spread = 0;    // Σ |photograph − its mean colour|
  std::int64_t mismatch = 0;  // Σ |photograph − painting|
  std::int64_t painted = 0;   // Σ painting, all channels
};

#if defined(__SSE2__)
// 16 zero bytes, then 16 bytes of 255: the 16 bytes from kTailMasks + k keep the last k bytes of a
// block.
alignas(16) constexpr std::array<std::uint8_t, 32> kTailMasks = {
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
    255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255};

inline __m128i Load(const std::uint8_t* bytes) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes)); }
// Σ |a − b| over 16 bytes, as two 64-bit halves.
inline __m128i SumOfDifferences(__m128i a, __m128i b) { return _mm_sad_epu8(a, b); }
inline std::int64_t Total(__m128i halves) {
  return _mm_cvtsi128_si64(halves) + _mm_cvtsi128_si64(_mm_unpackhi_epi64(halves, halves));
}

// Calls block(offset, keep) for the 16-byte blocks covering a run of `bytes` bytes: whole blocks
// from the run's start, then one block ending at the run's last byte whose `keep` mask drops the
// bytes already counted (or lying before the run). Needs 16 readable bytes before the run's end.
template <typename Block>
inline void ForEachBlock(int bytes, Block block) {
  const __m128i all = _mm_set1_epi8(static_cast<char>(0xFF));
  int t = 0;
  for (; t + 16 <= bytes; t += 16) block(t, all);
  const int rest = bytes - t;
  if (rest > 0) block(bytes - 16, Load(kTailMasks.data() + rest));
}
#endif

// Adds the bytes of each channel over `bytes` bytes (whole pixels) to `sums`: blue and green
// masked, red as the rest of the sum of all bytes. `blockReadable`: the 16 bytes before the
// run's end lie inside the picture.
inline void AddChannelSums(const std::uint8_t* pixels, int bytes, bool blockReadable, ChannelSums& sums) {
  const std::uint8_t* blue = kChannelMasks.masks[0].data() + kLead;
  const std::uint8_t* green = kChannelMasks.masks[1].data() + kLead;
  std::int64_t b = 0, g = 0, all = 0;
#if defined(__SSE2__)
  if (blockReadable) {
    const __m128i zero = _mm_setzero_si128();
    __m128i blues = zero, greens = zero, alls = zero;
    ForEachBlock(bytes, [&](int at, __m128i keep) {
      const __m128i v = _mm_and_si128(Load(pixels + at), keep);
      blues = _mm_add_epi64(blues, SumOfDifferences(_mm_and_si128(v, Load(blue + at)), zero));
      greens = _mm_add_epi64(greens, SumOfDifferences(_mm_and_si128(v, Load(green + at)), zero));
      alls = _mm_add_epi64(alls, SumOfDifferences(v, zero));
    });
    b = Total(blues), g = Total(greens), all = Total(alls);
    bytes = 0;
  }
#endif
  for (int t = 0; t < bytes; ++t) {
    const std::uint32_t v = pixels[t];
    b += v & blue[t];
    g += v & green[t];
    all += v;
  }
  sums[0] += b;
  sums[1] += g;
  sums[2] += all - b - g;
}

// Over one row run: `photo` against the repeated mean colour `mean` (readable from kLead bytes
// before the run) and against `painting`.
inline void CompareRun(const std::uint8_t* photo, const std::uint8_t* painting, const std::uint8_t* mean, int bytes,
                       bool blockReadable, WindowComparison& comparison) {
#if defined(__SSE2__)
  if (blockReadable) {
    const __m128i zero = _mm_setzero_si128();
    __m128i spread = zero, mismatch = zero, painted = zero;
    ForEachBlock(bytes, [&](int at, __m128i keep) {
      const __m128i s = _mm_and_si128(Load(photo + at), keep);
      const __m128i d = _mm_and_si128(Load(painting + at), keep);
      spread = _mm_add_epi64(spread, SumOfDifferences(s, _mm_and_si128(Load(mean + at), keep)));
      mismatch = _mm_add_epi64(mismatch, SumOfDifferences(s, d));
      painted = _mm_add_epi64(painted, SumOfDifferences(d, zero));
    });
    comparison.spread += Total(spread);
    comparison.mismatch += Total(mismatch);
    comparison.painted += Total(painted);
    return;
  }
#endif
  for (int t = 0; t < bytes; ++t) {
    const int s = photo[t];
    const int d = painting[t];
    comparison.spread += std::abs(s - mean[t]);
    comparison.mismatch += std::abs(s - d);
    comparison.painted += d;
  }
}

#if defined(__x86_64__) && defined(__GNUC__)
#define ATELION_TILES_WIDE_BLOCKS 1
// The same sums 32 bytes at a time, on processors that have the wider instructions; used for
// runs of at least 32 bytes whose 32 bytes before the end lie inside the picture.
const bool kWideBlocks = __builtin_cpu_supports("avx2");

// 32 zero bytes, then 32 bytes of 255.
alignas(32) constexpr std::array<std::uint8_t, 64> kWideTailMasks = [] {
  std::array<std::uint8_t, 64> masks{};
  for (int t = 32; t < 64; ++t) masks[t] = 0xFF;
  return masks;
}();

__attribute__((target("avx2"))) inline __m256i LoadWide(const std::uint8_t* bytes) {
  return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(bytes));
}
__attribute__((target("avx2"))) inline std::int64_t TotalWide(__m256i quarters) {
  const __m128i halves = _mm_add_epi64(_mm256_castsi256_si128(quarters), _mm256_extracti128_si256(quarters, 1));
  return _mm_cvtsi128_si64(halves) + _mm_cvtsi128_si64(_mm_unpackhi_epi64(halves, halves));
}
template <typename Block>
__attribute__((target("avx2"))) inline void ForEachWideBlock(int bytes, Block block) {
  const __m256i all = _mm256_set1_epi8(static_cast<char>(0xFF));
  int t = 0;
  for (; t + 32 <= bytes; t += 32) block(t, all);
  const int rest = bytes - t;
  if (rest > 0) block(bytes - 32, LoadWide(kWideTailMasks.data() + rest));
}

__attribute__((target("avx2"))) void AddChannelSumsWide(const std::uint8_t* pixels, int bytes, ChannelSums& sums) {
  const std::uint8_t* blue = kChannelMasks.masks[0].data() + kLead;
  const std::uint8_t* green = kChannelMasks.masks[1].data() + kLead;
  const __m256i zero = _mm256_setzero_si256();
  __m256i blues = zero, greens = zero, alls = zero;
  ForEachWideBlock(bytes, [&](int at, __m256i keep) __attribute__((target("avx2"))) {
    const __m256i v = _mm256_and_si256(LoadWide(pixels + at), keep);
    blues = _mm256_add_epi64(blues, _mm256_sad_epu8(_mm256_and_si256(v, LoadWide(blue + at)), zero));
    greens = _mm256_add_epi64(greens, _mm256_sad_epu8(_mm256_and_si256(v, LoadWide(green + at)), zero));
    alls = _mm256_add_epi64(alls, _mm256_sad_epu8(v, zero));
  });
  const std::int64_t b = TotalWide(blues), g = TotalWide(greens), all = TotalWide(alls);
  sums[0] += b;
  sums[1] += g;
  sums[2] += all - b - g;
}

__attribute__((target("avx2"))) void CompareRunWide(const std::uint8_t* photo, const std::uint8_t* painting,
                                                    const std::uint8_t* mean, int bytes,
                                                    WindowComparison& comparison) {
  const __m256i zero = _mm256_setzero_si256();
  __m256i spread = zero, mismatch = zero, painted = zero;
  ForEachWideBlock(bytes, [&](int at, __m256i keep) __attribute__((target("avx2"))) {
    const __m256i s = _mm256_and_si256(LoadWide(photo + at), keep);
    const __m256i d = _mm256_and_si256(LoadWide(painting + at), keep);
    spread = _mm256_add_epi64(spread, _mm256_sad_epu8(s, _mm256_and_si256(LoadWide(mean + at), keep)));
    mismatch = _mm256_add_epi64(mismatch, _mm256_sad_epu8(s, d));
    painted = _mm256_add_epi64(painted, _mm256_sad_epu8(d, zero));
  });
  comparison.spread += TotalWide(spread);
  comparison.mismatch += TotalWide(mismatch);
  comparison.painted += TotalWide(painted);
}
#endif

// Lets the shell handle its events at most once every kPumpInterval, measured on a steady clock.
class ThrottledPump {
 public:
  using Clock = std::chrono::steady_clock;
  explicit ThrottledPump(RunContext& context) : context_(context), next_(Clock::now() + kPumpInterval) {}
  void Pump() {
    if (Clock::now() < next_) return;
    context_.CheckAbort();  // the abort flag itself is looked at before every tile
    next_ = Clock::now() + kPumpInterval;
  }

 private:
  RunContext& context_;
  Clock::time_point next_;
};

class TilePainter {
 public:
  TilePainter(TileShape shape, const Bitmap24& photo, Bitmap24& painting, int abstraction)
      : shape_(shape), photo_(photo), painting_(painting), abstraction_(abstraction),
        // Row 0 and column 0 are never looked at, unless the picture has no other.
        firstColumn_(photo.Width() > 1 ? 1 : 0), firstRow_(photo.Height() > 1 ? 1 : 0) {}

  // One tile of size t at (cx, cy): looked at, and laid when it is wanted there.
  void Throw(int cx, int cy, int t) {
    const int half = t / 2;
    const int left = std::max(cx - half, firstColumn_);
    const int right = std::min(cx + half, photo_.Width() - 1);  // inclusive
    const int top = std::max(cy - half, firstRow_);
    const int bottom = std::min(cy + half, photo_.Height() - 1);
    if (left > right || top > bottom) return;  // nothing to look at: a = b = 0, the mean black
    const std::int64_t n = static_cast<std::int64_t>(right - left + 1) * (bottom - top + 1);
    const int bytes = 3 * (right - left + 1);

    // A 16-byte block ending at a row run's last byte starts inside the picture from this row on.
    const std::size_t runEnd = 3 * static_cast<std::size_t>(left) + bytes;
    const std::size_t rowBytes = photo_.RowBytes();
    auto blockReadable = [&](int y) { return y * rowBytes + runEnd >= 16; };
#if defined(ATELION_TILES_WIDE_BLOCKS)
    // Rows from `firstWide` on take the 32-byte blocks.
    const int firstWide = kWideBlocks && bytes >= 32 ? top + (top * rowBytes + runEnd >= 32 ? 0 : 1) : bottom + 1;
#else
    const int firstWide = bottom + 1;
#endif
    auto addChannelSums = [&](const Bitmap24& picture, int y, ChannelSums& to) {
#if defined(ATELION_TILES_WIDE_BLOCKS)
      if (y >= firstWide) return AddChannelSumsWide(picture.Row(y) + 3 * left, bytes, to);
#endif
      AddChannelSums(picture.Row(y) + 3 * left, bytes, blockReadable(y), to);
    };

    ChannelSums sums{};
    for (int y = top; y <= bottom; ++y) addChannelSums(photo_, y, sums);
    std::array<int, 3> mean{};
    for (int c = 0; c < 3; ++c) mean[c] = static_cast<int>(sums[c] / n);
    std::uint8_t* meanRun = meanRun_.data() + kLead;
    for (int pixel = 0; pixel < bytes; pixel += 3) {
      for (int c = 0; c < 3; ++c) meanRun[pixel + c] = static_cast<std::uint8_t>(mean[c]);
    }

    WindowComparison comparison;
    for (int y = top; y <= bottom; ++y) {
#if defined(ATELION_TILES_WIDE_BLOCKS)
      if (y >= firstWide) {
        CompareRunWide(photo_.Row(y) + 3 * left, painting_.Row(y) + 3 * left, meanRun, bytes, comparison);
        continue;
      }
#endif
      CompareRun(photo_.Row(y) + 3 * left, painting_.Row(y) + 3 * left, meanRun, bytes, blockReadable(y), comparison);
    }
    const std::int64_t spread = comparison.spread / n + kSpreadAllowance;
    const std::int64_t mismatch = comparison.mismatch / n;
    // Every channel's mean above kAlmostWhite needs the sum of all three at least 3 · 251 · n;
    // only then are the channels summed apart.
    bool stillWhite = comparison.painted >= 3 * (kAlmostWhite + 1) * n;
    if (stillWhite) {
      ChannelSums painted{};
      for (int y = top; y <= bottom; ++y) {
        addChannelSums(painting_, y, painted);
      }
      for (int c = 0; c < 3; ++c) stillWhite = stillWhite && painted[c] / n > kAlmostWhite;
    }
    if (!(spread + abstraction_ < mismatch || stillWhite)) return;

    const Colour fill = MakeColour(mean[2], mean[1], mean[0]);
    const Rect box{cx - t, cy - t, cx + t, cy + t};
    if (shape_ == TileShape::Square) {
      FillRect(painting_, box, fill);
    } else {
      const Colour outline = MakeColour(std::max(mean[2] - kOutlineDarkening, 0),
                                        std::max(mean[1] - kOutlineDarkening, 0),
                                        std::max(mean[0] - kOutlineDarkening, 0));
      DrawEllipse(painting_, box, Pen{outline, 1}, fill);
    }
  }

 private:
  const TileShape shape_;
  const Bitmap24& photo_;
  Bitmap24& painting_;
  const int abstraction_;
  const int firstColumn_;
  const int firstRow_;
  std::array<std::uint8_t, ChannelMasks::kLength> meanRun_{};
};

bool IsCanvasWhite(const std::uint8_t* pixel) { return pixel[0] == 0xFF && pixel[1] == 0xFF && pixel[2] == 0xFF; }

// Fills the canvas left white between tiles: a white run of at most `longest` pixels along a
// column, and then along a row, takes the colour of the pixel before it, or after it where it
// starts at the picture's top or left edge. A tile is judged by the middle of its area only, and
// row 0 and column 0 are never looked at, so without this thin white slivers between tiles and
// strips along the top and left edges would stay; longer runs are canvas the tiles left bare on
// purpose (few tiles asked for) and stay white.
void FillGapsBetweenTiles(Bitmap24& painting, int longest) {
  const int width = painting.Width();
  const int height = painting.Height();
  auto fillColumnRun = [&](int x, int first, int end) {
    if (end - first > longest) return;
    const int from = first > 0 ? first - 1 : end;
    if (from >= height) return;  // the whole column is white
    const std::uint8_t* colour = painting.Row(from) + 3 * x;
    for (int y = first; y < end; ++y) std::copy(colour, colour + 3, painting.Row(y) + 3 * x);
  };
  std::vector<int> runStart(static_cast<std::size_t>(width), -1);
  for (int y = 0; y < height; ++y) {
    const std::uint8_t* row = painting.Row(y);
    for (int x = 0; x < width; ++x) {
      if (IsCanvasWhite(row + 3 * x)) {
        if (runStart[x] < 0) runStart[x] = y;
      } else if (runStart[x] >= 0) {
        fillColumnRun(x, runStart[x], y);
        runStart[x] = -1;
      }
    }
  }
  for (int x = 0; x < width; ++x) {
    if (runStart[x] >= 0) fillColumnRun(x, runStart[x], height);
  }
  for (int y = 0; y < height; ++y) {
    std::uint8_t* row = painting.Row(y);
    for (int x = 0; x < width;) {
      if (!IsCanvasWhite(row + 3 * x)) {
        ++x;
        continue;
      }
      int end = x;
      while (end < width && IsCanvasWhite(row + 3 * end)) ++end;
      const int from = x > 0 ? x - 1 : end;
      if (end - x <= longest && from < width) {
        for (int fill = x; fill < end; ++fill) std::copy(row + 3 * from, row + 3 * from + 3, row + 3 * fill);
      }
      x = end;
    }
  }
}

bool ColouredTiles(TileShape shape, int effectId, const Bitmap24& source, Bitmap24& destination,
                   const StyleSettings& settings, RunContext& context, Bitmap24* shownResult) {
  const Parameters p = ColouredTilesParametersFrom(effectId, settings.sliders);
  const bool showResult = shownResult != nullptr && !settings.preview && !settings.manualBrushMode;
  const int width = source.Width();
  const int height = source.Height();
  destination = Bitmap24(width, height, 0xFFFFFF);
  context.ReportProgress(0, 50, 1, 1);
  if (source.Empty()) {
    context.ReportProgress(100, 100, 1, 1);
    return true;
  }

  const int smallest = p.minimumSize / 5 + 2;
  const int largest = p.maximumSize / 5 + 3;  // above `smallest`, as the minimum is at most the maximum
  const int passes = largest - smallest + 1;
  TilePainter painter(shape, source, destination, p.abstraction);
  ThrottledPump pump(context);
  for (int t = largest; t >= smallest; --t) {
    context.ReportProgress(largest - t, largest - smallest, 1, 1);
    context.CheckAbort();  // a pump; the flag is looked at before every tile
    if (settings.preview) context.ShowPreviewProgress(destination, -1);
    // Fewer tiles for larger sizes, spread over the passes; evaluated left to right.
    std::int64_t tiles = static_cast<std::int64_t>(width) * height / (t * t) / passes * p.count / 255 * 300 + 1;
    if (settings.preview && tiles < kPreviewTripledBelow) tiles *= 3;
    tiles = std::min(tiles, kMostTilesPerPass);
    for (std::int64_t i = 0; i <= tiles; ++i) {
      if (context.AbortRequested) {
        if (showResult) DrawPicture(*shownResult, 0, 0, destination);
        return false;
      }
      const int cx = context.Random(width - 1);
      const int cy = context.Random(height - 1);
      if (!settings.preview) pump.Pump();
      painter.Throw(cx, cy, t);
    }
    if (showResult) DrawPicture(*shownResult, 0, 0, destination);
  }
  FillGapsBetweenTiles(destination, smallest);
  AdjustSaturation(destination, (p.colourIntensity - kNeutralColourIntensity) * 2, context);
  context.ReportProgress(100, 100, 1, 1);
  if (showResult) DrawPicture(*shownResult, 0, 0, destination);
  return true;
}

// The sliders as a run used them: a minimum size above the maximum lowered to it.
ParameterSet SlidersUsed(int effectId, const StyleSettings& settings) {
  ParameterSet used = settings.sliders;
  used[kSlotTrackBar3] = ColouredTilesParametersFrom(effectId, settings.sliders).minimumSize;
  return used;
}

}  // namespace

ColouredTilesParameters ColouredTilesParametersFrom(int effectId, const ParameterSet& sliders) {
  auto slider = [&](int slot) { return ClampToSlider(effectId, slot, sliders[slot]); };
  Parameters p{slider(kSlotTrackBar1), slider(kSlotTrackBar2), slider(kSlotTrackBar5), slider(kSlotTrackBar3),
               slider(kSlotTrackBar4)};
  p.minimumSize = std::min(p.minimumSize, p.maximumSize);
  return p;
}

bool ColouredSquares(const Bitmap24& source, Bitmap24& destination, const StyleSettings& settings,
                     RunContext& context, Bitmap24* shownResult) {
  return ColouredTiles(TileShape::Square, kPixelationEffectId, source, destination, settings, context, shownResult);
}

bool ColouredCircles(const Bitmap24& source, Bitmap24& destination, const StyleSettings& settings,
                     RunContext& context, Bitmap24* shownResult) {
  return ColouredTiles(TileShape::Circle, kColouredDotsEffectId, source, destination, settings, context,
                       shownResult);
}

StyleOutput PreviewColouredSquares(const Bitmap24& crop, const StyleSettings& settings, const SurfaceSettings&,
                                   RunContext& context) {
  StyleOutput output{.sliders = SlidersUsed(kPixelationEffectId, settings)};
  ColouredSquares(crop, output.picture, settings, context);
  return output;
}

StyleOutput PreviewColouredCircles(const Bitmap24& crop, const StyleSettings& settings, const SurfaceSettings&,
                                   RunContext& context) {
  StyleOutput output{.sliders = SlidersUsed(kColouredDotsEffectId, settings)};
  ColouredCircles(crop, output.picture, settings, context);
  return output;
}

StyleOutput ProcessColouredSquares(Bitmap24& source, Bitmap24& shown, const StyleSettings& settings,
                                   const SurfaceSettings&, RunContext& context) {
  StyleOutput output{.sliders = SlidersUsed(kPixelationEffectId, settings)};
  ColouredSquares(source, output.picture, settings, context, &shown);
  return output;
}

StyleOutput ProcessColouredCircles(Bitmap24& source, Bitmap24& shown, const StyleSettings& settings,
                                   const SurfaceSettings&, RunContext& context) {
  StyleOutput output{.sliders = SlidersUsed(kColouredDotsEffectId, settings)};
  ColouredCircles(source, output.picture, settings, context, &shown);
  return output;
}

}  // namespace atelion
