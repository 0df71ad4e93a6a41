// Painting 4: a greedy search for brushstrokes on a small model of the canvas, from long, broad
// strokes on a coarse model to short, thin ones on a full-size model. Each candidate stroke is
// drawn into a probe picture in its colour; the probe pixels that then carry exactly that colour
// are the ones it covers. Its gain is the colour error it removes there; the best candidate of a
// turn is kept when it removes clearly more than 96 per covered pixel.
#include "styles/painting/painting_4.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <numbers>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "core/canvas.h"
#include "core/geometry.h"
#include "core/polygon_spans.h"
#include "imageio/image_files.h"
#include "styles/painting/brush_pictures.h"
#include "styles/painting/stroke_brushes.h"

namespace atelion {

namespace {

// Least error removed per covered pixel for a stroke to be kept.
constexpr std::int64_t kGainThreshold = 96;
// The position tries stop once the error found there is above this.
constexpr int kPositionErrorEnough = 4800;
// Longest opening stroke, model pixels.
constexpr int kLongestOpeningStroke = 512;
// Number of refreshes of the model from the textured canvas.
constexpr int kModelRefreshes = 16;

// Rounds to the nearest integer, halves to even (the current rounding mode is to nearest).
int RoundHalfEven(double value) { return static_cast<int>(std::nearbyint(value)); }

int SquaredDifference3(const std::uint8_t* a, const std::uint8_t* b) {
  const int d0 = a[0] - b[0], d1 = a[1] - b[1], d2 = a[2] - b[2];
  return (d0 * d0 + d1 * d1 + d2 * d2) / 3;
}

// Copies the pixels of columns left..right and rows top..bottom (inclusive) from one picture to
// the same place of another, clipped to both.
void CopyBox(const Bitmap24& from, Bitmap24& to, int left, int top, int right, int bottom) {
  CopyRect(to, left, top, from, Rect{left, top, right + 1, bottom + 1});
}

// A model size: the picture's size divided by the scale, at least one pixel.
int ModelSide(int side, int scale) { return std::max(1, side / std::max(1, scale)); }

// A random position on a model side: two pixels in from the top and left edges as the search
// wants, or anywhere on a side too short for that.
int RandomPosition(RunContext& context, int side) {
  return side > 2 ? context.Random(side - 2) + 2 : context.Random(side);
}

struct Sizes {
  int minimum = 1, maximum = 2;
};
Sizes StrokeSizes(int a, int b, int scale) {
  Sizes s{a / scale + 1, b / scale + 1};
  if (s.minimum > s.maximum) s.maximum = s.minimum + 1;
  return s;
}

// The width divisor of a level: broad strokes first, then alternately thin and broad ones.
int WidthDivisor(int k, int N) {
  if (k < 3 * N / 10) return 2;
  if (k < 5 * N / 10) return 16;
  if (k < 7 * N / 10) return 3;
  if (k < 8 * N / 10) return 12;
  return 5;
}

struct Candidate {
  int x = 0, y = 0, length = 0, width = 0;
  double angle = 0;
  Colour colour = 0;
  StrokeBox box;
};

}  // namespace

SearchedStrokesParameters SearchedStrokesParametersFrom(const ParameterSet& sliders) {
  auto slider = [&](int slot) { return ClampToSlider(kPainting4EffectId, slot, sliders[slot]); };
  return {.minimumSize = slider(kSlotTrackBar1),
          .maximumSize = slider(kSlotTrackBar2),
          .levels = slider(kSlotTrackBar5),
          .blending = slider(kSlotTrackBar3),
          .precision = slider(kSlotTrackBar4)};
}

std::array<Point, 4> StrokeCorners(double cx, double cy, double length, double width, double angle) {
  const double e = angle * std::numbers::pi / 180.0;
  const double r = std::sqrt((length / 2) * (length / 2) + (width / 2) * (width / 2));
  // atan2 gives arctan(w / L) for L > 0 and stays defined for a stroke of no length.
  const double g = std::atan2(width, length);
  return {{{RoundHalfEven(cx - r * std::cos(g + e)), RoundHalfEven(cy - r * std::sin(g + e))},
           {RoundHalfEven(cx + r * std::cos(g - e)), RoundHalfEven(cy - r * std::sin(g - e))},
           {RoundHalfEven(cx + r * std::cos(g + e)), RoundHalfEven(cy + r * std::sin(g + e))},
           {RoundHalfEven(cx - r * std::cos(g - e)), RoundHalfEven(cy + r * std::sin(g - e))}}};
}

namespace {

// The box StrokeRectangle gives back, without drawing.
StrokeBox StrokeBoxAbout(double cx, double cy, double length, double width, double angle) {
  const double e = angle * std::numbers::pi / 180.0;
  const int hx = RoundHalfEven(width * std::abs(std::sin(e)) + length * std::abs(std::cos(e))) >> 1;
  const int hy = RoundHalfEven(width * std::abs(std::cos(e)) + length * std::abs(std::sin(e))) >> 1;
  const int x = RoundHalfEven(cx), y = RoundHalfEven(cy);
  return {x - hx, y - hy, x + hx, y + hy};
}

// The colour error sums of a candidate over the pixels it counts.
struct ProbeSums {
  std::int64_t count = 0, oldError = 0, newError = 0;
};

// The source model split into one plane per channel, and the colour error the canvas model has
// at each pixel, so that sums over a stroke's pixels run over plain arrays.
struct ModelPlanes {
  int width = 0;
  std::vector<std::uint8_t> blue, green, red;
  std::vector<std::uint16_t> error;  // SquaredDifference3 of source and canvas, at most 65025

  void Split(const Bitmap24& S) {
    width = S.Width();
    const std::size_t size = static_cast<std::size_t>(S.Width()) * static_cast<std::size_t>(S.Height());
    blue.resize(size);
    green.resize(size);
    red.resize(size);
    error.resize(size);
    for (int y = 0; y < S.Height(); ++y) {
      const std::uint8_t* in = S.Row(y);
      const std::size_t at = static_cast<std::size_t>(y) * static_cast<std::size_t>(width);
      for (int x = 0; x < width; ++x) {
        blue[at + x] = in[3 * x];
        green[at + x] = in[3 * x + 1];
        red[at + x] = in[3 * x + 2];
      }
    }
  }
  void UpdateErrors(const Bitmap24& S, const Bitmap24& C, int y, int x0, int x1) {
    const std::uint8_t* s = S.Row(y);
    const std::uint8_t* c = C.Row(y);
    std::uint16_t* out = error.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width);
    for (int x = x0; x <= x1; ++x) out[x] = static_cast<std::uint16_t>(SquaredDifference3(s + 3 * x, c + 3 * x));
  }
  void UpdateAllErrors(const Bitmap24& S, const Bitmap24& C) {
    for (int y = 0; y < S.Height(); ++y) UpdateErrors(S, C, y, 0, width - 1);
  }
};

// A stroke colour as the bytes of a pixel, and repeated over 16 pixels for comparing many at once.
struct ProbeColour {
  std::uint8_t bytes[3];
#if defined(__SSE2__)
  __m128i pattern[3];
#endif
  explicit ProbeColour(Colour colour)
      : bytes{static_cast<std::uint8_t>(BlueOf(colour)), static_cast<std::uint8_t>(GreenOf(colour)),
              static_cast<std::uint8_t>(RedOf(colour))} {
#if defined(__SSE2__)
    alignas(16) std::uint8_t repeated[48];
    for (int i = 0; i < 48; ++i) repeated[i] = bytes[i % 3];
    for (int i = 0; i < 3; ++i) pattern[i] = _mm_load_si128(reinterpret_cast<const __m128i*>(repeated + 16 * i));
#endif
  }
};

// The first column of x0..x1 whose pixel in `row` (of `rowWidth` pixels) has the colour; x1 + 1
// when none has. Sixteen pixels are compared at once, reading no further than the row's end.
int FindColour(const std::uint8_t* row, int rowWidth, int x0, int x1, const ProbeColour& colour) {
  int x = x0;
#if defined(__SSE2__)
  for (; x <= x1 && x + 15 < rowWidth; x += 16) {
    const std::uint8_t* q = row + 3 * static_cast<std::ptrdiff_t>(x);
    const auto equal = [&](int i) {
      const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(q + 16 * i));
      return static_cast<std::uint64_t>(static_cast<std::uint16_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, colour.pattern[i]))));
    };
    const std::uint64_t bytes = equal(0) | equal(1) << 16 | equal(2) << 32;
    // A pixel matches when its three bytes do; its first byte is at bit 3·i.
    std::uint64_t pixels = bytes & (bytes >> 1) & (bytes >> 2) & 0x249249249249ULL;
    if (x1 - x < 15) pixels &= (std::uint64_t{1} << (3 * (x1 - x + 1))) - 1;  // only columns up to x1
    if (pixels != 0) return x + std::countr_zero(pixels) / 3;
  }
#endif
  for (; x <= x1; ++x) {
    const std::uint8_t* q = row + 3 * static_cast<std::ptrdiff_t>(x);
    if (q[0] == colour.bytes[0] && q[1] == colour.bytes[1] && q[2] == colour.bytes[2]) return x;
  }
  return x1 + 1;
}

// Adds columns x0..x1 of row y: the error the canvas has there and the error the colour would.
void AddErrors(const ModelPlanes& planes, int y, const ProbeColour& colour, int x0, int x1, ProbeSums& sums) {
  // Chunks short enough for 32-bit sums: an error is at most 65025.
  constexpr int kChunk = 1 << 15;
  const int c0 = colour.bytes[0], c1 = colour.bytes[1], c2 = colour.bytes[2];
  const std::size_t at = static_cast<std::size_t>(y) * static_cast<std::size_t>(planes.width);
  const std::uint8_t* blue = planes.blue.data() + at;
  const std::uint8_t* green = planes.green.data() + at;
  const std::uint8_t* red = planes.red.data() + at;
  const std::uint16_t* error = planes.error.data() + at;
  for (int start = x0; start <= x1; start += kChunk) {
    const int end = std::min(x1, start + kChunk - 1);
    std::uint32_t oldSum = 0, newSum = 0;
    for (int x = start; x <= end; ++x) oldSum += error[x];
    for (int x = start; x <= end; ++x) {
      const int n0 = blue[x] - c0, n1 = green[x] - c1, n2 = red[x] - c2;
      newSum += static_cast<std::uint32_t>(n0 * n0 + n1 * n1 + n2 * n2) / 3u;
    }
    sums.count += end - start + 1;
    sums.oldError += oldSum;
    sums.newError += newSum;
  }
}

// Adds the pixels of columns x0..x1 of row y whose probe pixel already has the colour.
void AddProbeMatches(const std::uint8_t* probe, int probeWidth, const ModelPlanes& planes, int y,
                     const ProbeColour& colour, int x0, int x1, ProbeSums& sums) {
  for (int x = FindColour(probe, probeWidth, x0, x1, colour); x <= x1;
       x = FindColour(probe, probeWidth, x + 1, x1, colour)) {
    AddErrors(planes, y, colour, x, x, sums);
  }
}

}  // namespace

StrokeBox StrokeRectangle(double cx, double cy, double length, double width, double angle, Bitmap24& picture,
                          Colour colour) {
  const std::array<Point, 4> corners = StrokeCorners(cx, cy, length, width, angle);
  DrawPolygon(picture, corners, Pen{colour, 1}, colour);
  return StrokeBoxAbout(cx, cy, length, width, angle);
}

void TexturedStroke(double cx, double cy, double length, double width, double angle, Bitmap24& canvas, int red,
                    int green, int blue, const Bitmap32& brush, int blending) {
  // A mark is at most a few canvases long; anything larger (or not a number) draws nothing.
  constexpr double kLargestMark = 65536.0;
  if (!(length >= 1.0 && width >= 1.0 && length < kLargestMark && width < kLargestMark)) return;
  if (brush.Empty()) return;
  Bitmap32 scaled(static_cast<int>(std::floor(length)), static_cast<int>(std::floor(width)));
  ResampleNearest32(brush, scaled);
  const int keep = 255 - std::clamp(blending, 0, 255);
  for (int y = 0; y < scaled.Height(); ++y) {
    std::uint8_t* row = scaled.Row(y);
    for (int x = 0; x < scaled.Width(); ++x) row[4 * x + 3] = static_cast<std::uint8_t>(row[4 * x + 3] * keep / 255);
  }
  Bitmap32 mark;
  RotateBitmap32(scaled, mark, static_cast<int>(std::floor(angle)));
  const int tint[3] = {std::clamp(blue, 0, 255), std::clamp(green, 0, 255), std::clamp(red, 0, 255)};
  const int left = static_cast<int>(std::floor(cx)) - mark.Width() / 2;
  const int top = static_cast<int>(std::floor(cy)) - mark.Height() / 2;
  const int xFirst = std::max(0, -left), xLast = std::min(mark.Width(), canvas.Width() - left);
  const int yFirst = std::max(0, -top), yLast = std::min(mark.Height(), canvas.Height() - top);
  for (int y = yFirst; y < yLast; ++y) {
    const std::uint8_t* in = mark.Row(y);
    std::uint8_t* out = canvas.Row(top + y) + 3 * static_cast<std::size_t>(left);
    for (int x = xFirst; x < xLast; ++x) {
      const int a = in[4 * x + 3];
      if (a == 0) continue;
      for (int c = 0; c < 3; ++c) {
        const int paint = (255 - in[4 * x + c]) * tint[c] / 255;
        out[3 * x + c] = static_cast<std::uint8_t>(((255 - a) * out[3 * x + c] + a * paint) / 255);
      }
    }
  }
}

const Bitmap32& StrokeBrush(std::span<const Bitmap32> customBrushes, int variant) {
  if (customBrushes.empty()) return ShippedStrokeBrush(variant);
  const int count = static_cast<int>(customBrushes.size());
  return customBrushes[static_cast<std::size_t>(((variant % count) + count) % count)];
}

StrokeSearchResult StrokeSearchPainting(const Bitmap24& source, Bitmap24& S, Bitmap24& C,
                                        const SearchedStrokesParameters& parameters,
                                        const StrokeSearchOptions& options, Bitmap24& shown, RunContext& context) {
  StrokeSearchResult result;
  context.Rng.RandomSeed = kStyleSeed;
  context.ReportProgress(0, 100, 1, 1);
  result.strokes.reserve(512);
  if (source.Empty() || S.Empty() || C.Empty() || S.Width() != C.Width() || S.Height() != C.Height()) {
    context.ReportProgress(101, 100, 1, 1);
    return result;
  }

  const int a = parameters.minimumSize, b = parameters.maximumSize, p = parameters.precision;
  const int d0 = std::clamp(options.startScale, 1, 7);
  const int Ws0 = S.Width(), Hs0 = S.Height();
  const int brushCount = options.customBrushes.empty() ? kStrokeBrushCount
                                                       : static_cast<int>(options.customBrushes.size());

  // Levels.
  const std::int64_t N0 = 8 * static_cast<std::int64_t>(parameters.levels) + 1;
  const double f = std::sqrt(static_cast<double>(d0) * d0 * static_cast<double>(Ws0) * Hs0 / 275217.0);
  const std::int64_t N64 = static_cast<std::int64_t>(std::floor(f * 100.0 * static_cast<double>(N0))) / 100 + 1;
  // More than a million levels would never end; a picture of 32768 rows has about 50000.
  const int N = static_cast<int>(std::min<std::int64_t>(N64, 1 << 20));

  Sizes sizes = StrokeSizes(a, b, d0);
  int d = d0;

  // The real canvas D, a few pixels larger than the source, and the probe P. The probe is a
  // picture of D's size whose top-left part, the size of the model, is all the search reads; only
  // that part is kept, which keeps its rows short.
  const int Wd = Ws0 * d0 + d0, Hd = Hs0 * d0 + d0;
  Bitmap24 P(Ws0, Hs0, 0xFFFFFF);
  Bitmap24 D(Wd, Hd, 0xFFFFFF);
  if (options.eraseBackground) {
    FillRect(D, Rect{0, 0, Wd - 1, Hd - 1}, options.ground);
    C.Fill(options.ground);
  } else {
    DrawPicture(D, 0, 0, shown);
  }

  auto showCanvas = [&](int percent) {
    if (options.preview) {
      context.ShowPreviewProgress(D, percent);
    } else {
      DrawPicture(shown, 0, 0, D);
    }
  };

  PolygonSpans covered;
  ModelPlanes planes;
  planes.Split(S);
  planes.UpdateAllErrors(S, C);
  int refresh = 1;
  for (int k = 0; k <= N; ++k) {
    // Scale step: the model grows as the levels go on.
    if (d > 1) {
      const int z = (100 - (100 * static_cast<std::int64_t>(k) / N)) / 20;
      if (z != d) {
        d = std::max(z, 1);
        const int modelWidth = ModelSide(source.Width(), d), modelHeight = ModelSide(source.Height(), d);
        // The painting so far, carried to the new scale through the full-size probe. The old
        // models are released before the larger ones are made, which keeps the peak lower.
        P = Bitmap24();
        planes = ModelPlanes();
        Bitmap24 fullProbe(Wd, Hd);
        Resample(C, fullProbe);
        C = Bitmap24();
        C = Bitmap24(modelWidth, modelHeight);
        Resample(fullProbe, C);
        S = Bitmap24();
        S = Bitmap24(modelWidth, modelHeight);
        Resample(source, S);
        if (options.preview) {
          // The crop passes through the probe, which keeps it in its top-left part.
          fullProbe.Fill(0xFFFFFF);
          DrawPicture(fullProbe, 0, 0, source);
        }
        if (d == 1) {
          // At full size the model is nearly the whole probe: keep it rather than copy it.
          P = std::move(fullProbe);
        } else {
          P = Bitmap24(modelWidth, modelHeight);
          CopyRect(P, 0, 0, fullProbe, Rect{0, 0, modelWidth, modelHeight});
        }
        sizes = StrokeSizes(a, b, d);
        planes.Split(S);
        planes.UpdateAllErrors(S, C);
      }
    }
    const int Wc = C.Width(), Hc = C.Height();

    const int turns = static_cast<int>(15 * static_cast<std::int64_t>(k) / N) + 1;
    for (int l = 0; l <= turns; ++l) {
      bool found = false;
      std::int64_t bestGain = 0;
      Candidate best;
      const int candidates = k <= N / 4 ? p + 2 : 7 * p + 2;
      for (int candidate = 0; candidate < candidates; ++candidate) {
        if (context.AbortRequested) {
          context.ReportProgress(101, 100, 1, 1);
          result.stopped = true;
          result.strokes.shrink_to_fit();
          return result;
        }
        Candidate c;
        // Position: the place of largest error among a few tries.
        c.x = RandomPosition(context, Wc);
        c.y = RandomPosition(context, Hc);
        const int tries = 8 * k / N + 1;
        int bestError = 0;
        for (int t = 0; t < tries; ++t) {
          const int xr = RandomPosition(context, Wc);
          const int yr = RandomPosition(context, Hc);
          const int e = SquaredDifference3(S.Row(yr) + 3 * xr, C.Row(yr) + 3 * xr);
          if (e > bestError) {
            bestError = e;
            c.x = xr;
            c.y = yr;
          }
          if (bestError > kPositionErrorEnough) break;
        }
        // Length and width.
        if (k < N / 4 && options.eraseBackground) {
          c.length = std::min(std::max(3 * sizes.maximum, std::max(Wc, Hc) / 10), kLongestOpeningStroke);
        } else {
          c.length = context.Random((N - k) * sizes.maximum) / N + sizes.minimum;
        }
        c.width = context.Random(c.length) + c.length / WidthDivisor(k, N) + 1;
        const std::uint8_t* sourcePixel = S.Row(c.y) + 3 * c.x;
        c.colour = MakeColour(sourcePixel[2], sourcePixel[1], sourcePixel[0]);
        c.angle = context.Random(360);

        // Probe: the pixels of the box that the stroke covers, and those of P that have its colour
        // already, count. The stroke is not drawn: its pixels are found row by row as the polygon
        // fill would paint them, and P is left as drawing, reading and undoing would leave it.
        const std::array<Point, 4> corners = StrokeCorners(c.x, c.y, c.length, c.width, c.angle);
        StrokeBox box = StrokeBoxAbout(c.x, c.y, c.length, c.width, c.angle);
        box.x1 = std::max(box.x1, 0);
        box.y1 = std::max(box.y1, 0);
        box.x2 = std::min(box.x2, Wc - 1);
        box.y2 = std::min(box.y2, Hc - 1);
        c.box = box;
        const ProbeColour colour(c.colour);
        covered.Cover(corners, Wc, Hc);
        ProbeSums sums;
        for (int Y = box.y1; Y <= box.y2; ++Y) {
          const std::uint8_t* probe = P.Row(Y);
          int X = box.x1;
          for (const PixelSpan& span : covered.Row(Y)) {
            const int x0 = std::max(span.x0, box.x1), x1 = std::min(span.x1, box.x2);
            if (x0 > x1) continue;
            AddProbeMatches(probe, P.Width(), planes, Y, colour, X, x0 - 1, sums);
            AddErrors(planes, Y, colour, x0, x1, sums);
            X = x1 + 1;
          }
          AddProbeMatches(probe, P.Width(), planes, Y, colour, X, box.x2, sums);
        }
        // Undo the probe over the box and one more row and column before it; the covered pixels
        // outside that keep the stroke's colour.
        CopyBox(C, P, box.x1 - 1, box.y1 - 1, box.x2, box.y2);
        for (int Y = covered.FirstRow(); Y < covered.EndRow(); ++Y) {
          const bool undoneRow = Y >= box.y1 - 1 && Y <= box.y2;
          std::uint8_t* probe = P.Row(Y);
          const auto paint = [&](int x0, int x1) {
            for (int X = x0; X <= x1; ++X) std::memcpy(probe + 3 * static_cast<std::ptrdiff_t>(X), colour.bytes, 3);
          };
          for (const PixelSpan& span : covered.Row(Y)) {
            if (!undoneRow) {
              paint(span.x0, span.x1);
            } else {
              paint(span.x0, std::min(span.x1, box.x1 - 2));
              paint(std::max(span.x0, box.x2 + 1), span.x1);
            }
          }
        }
        const std::int64_t t = 1 + sums.count, oldError = sums.oldError, newError = sums.newError;

        const std::int64_t gain = oldError - newError;
        if (gain / t > kGainThreshold && gain > bestGain) {
          bestGain = gain;
          best = c;
          found = true;
        }
      }

      if (found) {
        const int variant = context.Random(brushCount);
        const StrokeBox drawn = StrokeRectangle(best.x, best.y, best.length, best.width, best.angle, C, best.colour);
        covered.Cover(StrokeCorners(best.x, best.y, best.length, best.width, best.angle), Wc, Hc);
        for (int Y = covered.FirstRow(); Y < covered.EndRow(); ++Y) {
          for (const PixelSpan& span : covered.Row(Y)) planes.UpdateErrors(S, C, Y, span.x0, span.x1);
        }
        CopyBox(D, P, drawn.x1 * d, drawn.y1 * d, drawn.x2 * d, drawn.y2 * d);
        result.strokes.push_back({.x = best.x, .y = best.y, .length = best.length, .width = best.width,
                                  .angle = best.angle, .colour = best.colour, .x1 = best.box.x1,
                                  .x2 = best.box.x2, .y1 = best.box.y1, .y2 = best.box.y2, .scale = d,
                                  .variant = variant});
        TexturedStroke(static_cast<double>(best.x) * d, static_cast<double>(best.y) * d,
                       static_cast<double>(best.length) * d, static_cast<double>(best.width) * d, best.angle, D,
                       RedOf(best.colour), GreenOf(best.colour), BlueOf(best.colour),
                       StrokeBrush(options.customBrushes, variant), parameters.blending);
      }

      const int percent = static_cast<int>(100 * static_cast<std::int64_t>(k) / N);
      if (options.preview) {
        if (k % 10 == 0 && l % 10 == 0) showCanvas(percent);
      } else if ((k + 2) % 15 == 0 && l == 0) {
        showCanvas(percent);
      }
      context.ReportProgress(percent, 100, 1, 1);
      (void)context.CheckAbort();
    }

    // The model takes on the textured canvas now and then.
    if (kModelRefreshes * static_cast<std::int64_t>(k) / N > refresh) {
      ++refresh;
      Resample(D, C);
      planes.UpdateAllErrors(S, C);
    }
  }

  if (options.preview) context.ShowPreviewProgress(D, 100);
  DrawPicture(shown, 0, 0, D);
  result.strokes.shrink_to_fit();
  return result;
}

std::string SvgStrokePolygon(double cx, double cy, double length, double width, double angle, Colour colour,
                             int blending) {
  const std::array<Point, 4> corners = StrokeCorners(cx, cy, length, width, angle);
  const double opacity = std::nearbyint((255 - std::clamp(blending, 0, 255)) / 255.0 * 100.0) / 100.0;
  char number[32];
  const auto [end, error] = std::to_chars(number, number + sizeof number, opacity);
  const std::string opacityText = error == std::errc() ? std::string(number, end) : std::string("1");
  std::string line = "<polygon points=\"";
  for (std::size_t i = 0; i < corners.size(); ++i) {
    if (i > 0) line += ",";
    line += std::to_string(corners[i].x) + "," + std::to_string(corners[i].y);
  }
  line += "\" style=\"fill:rgb(" + std::to_string(RedOf(colour)) + "," + std::to_string(GreenOf(colour)) + "," +
          std::to_string(BlueOf(colour)) + ")\" fill-opacity=\"" + opacityText + "\" />";
  return line;
}

std::vector<std::string> SvgStrokeLines(std::span<const StrokeRecord> strokes, int blending) {
  std::vector<std::string> lines;
  lines.reserve(strokes.size());
  for (const StrokeRecord& r : strokes) {
    const double s = r.scale;
    lines.push_back(SvgStrokePolygon(r.x * s, r.y * s, r.length * s, r.width * s, r.angle, r.colour, blending));
  }
  return lines;
}

Status WriteStrokeSvg(const std::filesystem::path& path, std::span<const StrokeRecord> strokes, int width, int height,
                      int blending) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  if (!file) return Status::Error("The SVG file could not be created: " + path.string());
  file << "<svg xmlns=\"http://www.w3.org/2000/svg\" height=\"" << height << "\" width=\"" << width << "\">\n";
  for (const std::string& line : SvgStrokeLines(strokes, blending)) file << line << '\n';
  file << "</svg>\n";
  file.flush();
  if (!file) return Status::Error("The SVG file could not be written: " + path.string());
  return Status::Ok();
}

int ReplayPercentLimit(int width, int height, int percent) {
  int p = std::clamp(percent, 100, 1000);
  width = std::max(width, 1);
  height = std::max(height, 1);
  if (static_cast<std::int64_t>(p) * width / 100 > kLargestReplaySide) {
    p = static_cast<int>(std::floor(static_cast<double>(kLargestReplaySide) / width * 100.0));
  }
  if (static_cast<std::int64_t>(p) * height / 100 > kLargestReplaySide) {
    p = static_cast<int>(std::floor(static_cast<double>(kLargestReplaySide) / height * 100.0));
  }
  // Nor more pixels than the largest picture the program opens, so every picture it makes can be
  // opened and saved again.
  const auto pixels = [&](int q) {
    return (static_cast<std::int64_t>(q) * width / 100) * (static_cast<std::int64_t>(q) * height / 100);
  };
  if (pixels(p) > ImageLimits::kMaxPixels) {
    p = std::min(p, static_cast<int>(std::floor(
                        std::sqrt(static_cast<double>(ImageLimits::kMaxPixels) / width / height) * 100.0)));
    while (p > 1 && pixels(p) > ImageLimits::kMaxPixels) --p;
  }
  return p;
}

Bitmap24 ReplayStrokes(std::span<const StrokeRecord> strokes, int width, int height, double factor, Colour ground,
                       int blending, std::span<const Bitmap32> customBrushes, RunContext& context) {
  const int n = static_cast<int>(std::min<std::size_t>(strokes.size(), 0x7FFFFFFF));
  context.ReportProgress(0, std::max(n, 1), 1, 1);
  // The factor the window allows: 1..10, and neither side above the largest.
  const int largest = ReplayPercentLimit(std::max(width, 1), std::max(height, 1), static_cast<int>(factor * 100.0));
  // A picture wider or higher than the largest side at its own size is drawn smaller instead.
  const double x = std::min(std::max(std::isfinite(factor) ? factor : 1.0, 1.0), largest / 100.0);
  const int fullWidth = std::max(0, RoundHalfEven(width * x)), fullHeight = std::max(0, RoundHalfEven(height * x));
  Bitmap24 P(fullWidth / 2, fullHeight / 2, ground);
  const int brushCount = customBrushes.empty() ? kStrokeBrushCount : static_cast<int>(customBrushes.size());
  bool enlarged = false;
  auto enlarge = [&] {
    Bitmap24 full(fullWidth, fullHeight, ground);
    Resample(P, full);
    P = std::move(full);
    enlarged = true;
  };
  for (int i = 0; i < n; ++i) {
    context.ReportProgress(i, n, 1, 1);
    const StrokeRecord& r = strokes[static_cast<std::size_t>(i)];
    int v = r.variant;
    if (v < 0 || v > brushCount - 1) v = context.Random(brushCount);
    if (i >= n / 10 && !enlarged) enlarge();
    const double f = enlarged ? r.scale * x : r.scale * x / 2;
    TexturedStroke(r.x * f, r.y * f, r.length * f, r.width * f, r.angle, P, RedOf(r.colour), GreenOf(r.colour),
                   BlueOf(r.colour), StrokeBrush(customBrushes, v), blending);
    if (context.CheckAbort()) break;
  }
  context.ReportProgress(101, 100, 1, 1);
  return P;
}

namespace {

// The search at full size on the document's source.
StyleOutput PaintSearchedStrokes(const Bitmap24& source, Bitmap24& shown, const StyleSettings& settings,
                                 RunContext& context) {
  const SearchedStrokesParameters parameters = SearchedStrokesParametersFrom(settings.sliders);
  const int W = source.Width(), H = source.Height();
  const bool erase = settings.eraseBackground;
  const int d0 = erase ? 7 : 1;
  Bitmap24 S(ModelSide(W, d0), ModelSide(H, d0));
  Bitmap24 C(S.Width(), S.Height());
  if (erase) {
    shown = source;
    Resample(source, S);
    Resample(source, C);
  } else {
    Resample(source, S);
    if (shown.Width() != W || shown.Height() != H) {
      Bitmap24 resized(W, H);
      Resample(shown, resized);
      shown = std::move(resized);
    }
    Resample(shown, C);
  }
  const std::span<const Bitmap32> brushes =
      settings.customStrokeBrushes != nullptr ? std::span<const Bitmap32>(*settings.customStrokeBrushes)
                                              : std::span<const Bitmap32>();
  StrokeSearchResult run = StrokeSearchPainting(
      source, S, C, parameters,
      {.preview = false, .eraseBackground = erase, .ground = settings.paperColour, .startScale = d0,
       .customBrushes = brushes},
      shown, context);
  if (settings.strokeHistory != nullptr) settings.strokeHistory->Record(std::move(run.strokes), erase);
  context.ReportProgress(101, 100, 1, 1);
  return {.picture = std::move(shown), .sliders = settings.sliders};
}

}  // namespace

StyleOutput ProcessSearchedStrokes(Bitmap24& source, Bitmap24& shown, const StyleSettings& settings,
                                   const SurfaceSettings&, RunContext& context) {
  return PaintSearchedStrokes(source, shown, settings, context);
}

StyleOutput PreviewSearchedStrokes(const Bitmap24& crop, const StyleSettings& settings, const SurfaceSettings&,
                                   RunContext& context) {
  SearchedStrokesParameters parameters = SearchedStrokesParametersFrom(settings.sliders);
  ParameterSet used = settings.sliders;
  if (parameters.maximumSize < parameters.minimumSize) {
    parameters.minimumSize = parameters.maximumSize;
    used[kSlotTrackBar1] = parameters.minimumSize;
  }
  constexpr int kPreviewScale = 7;
  StyleOutput output{.picture = Bitmap24(crop.Width(), crop.Height(), 0xFFFFFF), .sliders = used};
  Bitmap24 W1(ModelSide(crop.Width(), kPreviewScale), ModelSide(crop.Height(), kPreviewScale));
  Resample(crop, W1);
  Bitmap24 W2 = W1;
  const std::span<const Bitmap32> brushes =
      settings.customStrokeBrushes != nullptr ? std::span<const Bitmap32>(*settings.customStrokeBrushes)
                                              : std::span<const Bitmap32>();
  // The preview has no result picture of its own to paint over, so it always starts on the ground.
  StrokeSearchResult run = StrokeSearchPainting(
      crop, W1, W2, parameters,
      {.preview = true, .eraseBackground = true, .ground = settings.paperColour, .startScale = kPreviewScale,
       .customBrushes = brushes},
      output.picture, context);
  (void)run;
  return output;
}

}  // namespace atelion
