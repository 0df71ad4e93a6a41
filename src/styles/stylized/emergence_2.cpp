// Emergence 2: rebuilds the photograph from nothing as triangles whose corners carry the
// (contrast-lifted) photograph's colours, blended across the triangle. Large triangles are first
// thrown onto a black canvas without a test; then ever smaller ones are proposed at random points
// where the canvas still differs from the photograph, and each is kept only when it lowers the
// summed difference around its point by more than a margin that grows with the level of
// abstraction.
#include "styles/stylized/emergence_2.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <utility>
#include <vector>

#include "core/canvas.h"
#include "core/filters.h"
#include "styles/catalogue.h"
#include "styles/stylized/emergence_steps.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace atelion {

namespace {

using emergence::ChannelDifference;
using emergence::kDirectDrawSize;
using emergence::kRejectionLimit;

// A height or width of 0 in the shading is replaced by this, so nothing divides by zero.
constexpr float kNoHeight = 0.001f;

using Parameters = EmergenceParameters;

// Σ |a − b| over n bytes.
std::int64_t SumOfDifferences(const std::uint8_t* a, const std::uint8_t* b, int n) {
  std::int64_t total = 0;
  int t = 0;
#if defined(__SSE2__)
  __m128i sums = _mm_setzero_si128();
  for (; t + 16 <= n; t += 16) {
    sums = _mm_add_epi64(sums, _mm_sad_epu8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(a + t)),
                                            _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + t))));
  }
  total = _mm_cvtsi128_si64(sums) + _mm_cvtsi128_si64(_mm_unpackhi_epi64(sums, sums));
#endif
  for (; t < n; ++t) total += std::abs(a[t] - b[t]);
  return total;
}

// One edge of a triangle as it is walked down row by row.
struct Edge {
  float x = 0;
  float slope = 0;
  std::array<float, 3> colour{};
  std::array<float, 3> colourSlope{};

  // Starts at `from` and heads for `to`, over `height` rows.
  void Start(const ShadedVertex& from, const ShadedVertex& to, float height) {
    x = static_cast<float>(from.x);
    slope = static_cast<float>((static_cast<double>(to.x) - from.x) / height);
    colour = from.colour;
    for (int c = 0; c < 3; ++c) {
      colourSlope[c] = static_cast<float>((static_cast<double>(to.colour[c]) - from.colour[c]) / height);
    }
  }
  void Advance() {
    x += slope;
    for (int c = 0; c < 3; ++c) colour[c] += colourSlope[c];
  }
};

// Walks the rows of a shaded triangle clipped to a target whose last column and row are given,
// and calls span(y, first, last, colour, step) for each row to draw: pixels first..last of row y,
// the first taking `colour`, each next one the colour advanced by `step`.
// The arithmetic is single precision throughout; a sum or quotient of two single values is
// exactly the double-precision result rounded to single, and the longer expressions are evaluated
// in double precision and rounded once.
template <typename Span>
void ForEachShadedSpan(ShadedTriangle v, int lastColumn, int lastRow, Span span) {
  // Top corner first, bottom corner last.
  int m = 0;
  if (v[1].y > v[0].y) m = 1;
  if (v[2].y > v[m].y) m = 2;
  if (m != 2) std::swap(v[2], v[m]);
  if (!(v[1].y > v[0].y)) std::swap(v[0], v[1]);

  auto height = [](int from, int to) {
    const float h = static_cast<float>(to - from);
    return h == 0 ? kNoHeight : h;
  };
  const float total = height(v[0].y, v[2].y);
  const float upper = height(v[0].y, v[1].y);
  const bool middleOnTheRight =
      v[1].x > (static_cast<double>(v[2].x) - v[0].x) * upper / total + static_cast<double>(v[0].x);
  Edge longEdge, shortEdge;
  longEdge.Start(v[0], v[2], total);
  shortEdge.Start(v[0], v[1], upper);
  Edge& left = middleOnTheRight ? longEdge : shortEdge;
  Edge& right = middleOnTheRight ? shortEdge : longEdge;

  auto rows = [&](int from, int to) {
    for (int y = from; y < to; ++y) {
      if (y > lastRow) return false;
      if (y >= 0) {
        float width = static_cast<float>(static_cast<double>(right.x) - left.x + 1.0);
        if (width == 0) width = kNoHeight;
        std::array<float, 3> step{}, colour{};
        for (int c = 0; c < 3; ++c) {
          step[c] = static_cast<float>((static_cast<double>(right.colour[c]) - left.colour[c]) / width);
        }
        int first = 0;
        if (left.x < 0) {
          for (int c = 0; c < 3; ++c) {
            colour[c] = static_cast<float>(static_cast<double>(left.colour[c]) +
                                           static_cast<double>(step[c]) * std::fabs(static_cast<double>(left.x)));
          }
        } else {
          first = static_cast<int>(std::nearbyint(left.x));
          colour = left.colour;
        }
        const int last = static_cast<double>(right.x) - 1.0 > lastColumn
                             ? lastColumn
                             : static_cast<int>(std::nearbyint(right.x)) - 1;
        if (first <= last) span(y, first, last, colour, step);
      }
      left.Advance();
      right.Advance();
    }
    return true;
  };
  if (!rows(v[0].y, v[1].y)) return;
  shortEdge.Start(v[1], v[2], height(v[1].y, v[2].y));
  rows(v[1].y, v[2].y);
}

// Writes a span's pixels: each channel the running colour truncated toward zero, its low eight
// bits stored.
inline void WriteSpan(std::uint8_t* pixels, int count, std::array<float, 3> colour, const std::array<float, 3>& step) {
  for (int i = 0; i < count; ++i) {
    for (int c = 0; c < 3; ++c) {
      pixels[3 * i + c] = static_cast<std::uint8_t>(static_cast<int>(colour[c]));
      colour[c] += step[c];
    }
  }
}

// The state of one run: the adjusted source, the canvas, the detail map and the counters.
class TriangleRun {
 public:
  TriangleRun(const Bitmap24& source, Bitmap24& canvas, std::vector<std::uint8_t> detail,
              const Parameters& parameters, const StyleSettings& settings, RunContext& context,
              Bitmap24* emergingResult)
      : source_(source), canvas_(canvas), detail_(std::move(detail)), p_(parameters), settings_(settings),
        context_(context), emergingResult_(emergingResult), width_(source.Width()), height_(source.Height()) {}

  RandomPolygonsEnd Run();

 private:
  bool Attempt(int s, int j);
  void TryTriangle(const ShadedTriangle& triangle, int size);
  void ShowEmergingPicture(int s);
  RandomPolygonsEnd StoppedEnd() const {
    return rejectionLimitReached_ ? RandomPolygonsEnd::RejectionLimit : RandomPolygonsEnd::Stopped;
  }

  const Bitmap24& source_;
  Bitmap24& canvas_;
  const std::vector<std::uint8_t> detail_;
  const Parameters p_;
  const StyleSettings& settings_;
  RunContext& context_;
  Bitmap24* emergingResult_;
  const int width_;
  const int height_;
  int steps_ = 0;  // N
  int rejections_ = 0;
  bool rejectionLimitReached_ = false;
  // The trial triangle's rows: where each starts on the canvas and its pixels, one after another.
  struct TrialSpan {
    int y, first, count;
    std::size_t offset;
  };
  std::vector<TrialSpan> spans_;
  std::vector<std::uint8_t> spanPixels_;
};

RandomPolygonsEnd TriangleRun::Run() {
  steps_ = 128 * p_.iterations + 5000;
  const bool completed = emergence::RunSteps(steps_, p_, settings_, width_, height_, context_,
                                             [this](int s, int j) { return Attempt(s, j); });
  return completed ? RandomPolygonsEnd::Completed : StoppedEnd();
}

bool TriangleRun::Attempt(int s, int j) {
  const int size = emergence::ShapeSize(s, p_);
  const int half = size / 2;
  int x = 0, y = 0;
  const bool seeded = emergence::FindSeed(source_, canvas_, detail_, p_, s, context_, x, y);
  if (seeded) {
    // Two further corners, drawn in exactly this order: x1, x2, y1, y2.
    const int inset = size / 16;
    std::array<int, 4> drawn{};
    for (int& value : drawn) value = inset + context_.Random(size - inset) - half;
    ShadedTriangle triangle{};
    triangle[0] = {x, y, {}};
    triangle[1] = {std::clamp(x + drawn[0], 0, width_ - 1), std::clamp(y + drawn[2], 0, height_ - 1), {}};
    triangle[2] = {std::clamp(x + drawn[1], 0, width_ - 1), std::clamp(y + drawn[3], 0, height_ - 1), {}};
    for (ShadedVertex& corner : triangle) {
      const std::uint8_t* pixel = source_.Row(corner.y) + 3 * corner.x;
      for (int c = 0; c < 3; ++c) corner.colour[c] = pixel[c];
    }
    if (size > kDirectDrawSize) {
      ShadeTriangle(canvas_, triangle);
    } else {
      TryTriangle(triangle, size);
    }
  }
  if (j % 50 == 0) {
    if (seeded && s % 250 == 0) ShowEmergingPicture(s);
    if (context_.CheckAbort()) return false;
  }
  return true;
}

void TriangleRun::TryTriangle(const ShadedTriangle& triangle, int size) {
  const int half = size / 2;
  const ShadedVertex& seed = triangle[0];
  // The compared area is the size × size square around the seed, within the picture; the trial
  // triangle is shaded in that square's own coordinates (the square's top-left corner at 0, 0),
  // as on a scratch copy of it. Its corners lie inside the area, and so do all its pixels: only
  // those can change, the other pixels of the area add the same to both sums.
  const int left = std::max(seed.x - half, 0);
  const int top = std::max(seed.y - half, 0);
  ShadedTriangle shifted = triangle;
  for (ShadedVertex& corner : shifted) corner.x -= left, corner.y -= top;

  spans_.clear();
  spanPixels_.clear();
  std::int64_t before = static_cast<std::int64_t>(p_.abstraction / 8) * size;  // the margin to beat
  std::int64_t after = 0;
  ForEachShadedSpan(shifted, size - 1, size - 1,
                    [&](int y, int first, int last, const std::array<float, 3>& colour,
                        const std::array<float, 3>& step) {
                      const int row = y + top;
                      const int from = first + left;
                      const int to = std::min(last + left, width_ - 1);
                      if (row >= height_ || from > to) return;  // outside the picture: never compared
                      const int count = to - from + 1;
                      const std::size_t offset = spanPixels_.size();
                      spanPixels_.resize(offset + 3 * static_cast<std::size_t>(count));
                      WriteSpan(spanPixels_.data() + offset, count, colour, step);
                      const std::uint8_t* photo = source_.Row(row) + 3 * from;
                      after += SumOfDifferences(photo, spanPixels_.data() + offset, 3 * count);
                      before -= SumOfDifferences(photo, canvas_.Row(row) + 3 * from, 3 * count);
                      spans_.push_back({row, from, count, offset});
                    });
  // Kept when the new difference is below the old one less the margin.
  if (after < -before) {
    for (const TrialSpan& span : spans_) {
      std::copy_n(spanPixels_.data() + span.offset, 3 * static_cast<std::size_t>(span.count),
                  canvas_.Row(span.y) + 3 * span.first);
    }
    rejections_ = 0;
  } else if (++rejections_ == kRejectionLimit) {
    context_.AbortRequested = true;
    rejectionLimitReached_ = true;
  }
}

void TriangleRun::ShowEmergingPicture(int s) {
  if (settings_.manualBrushMode) return;
  if (!settings_.preview) {
    // Only a canvas of the result's size is shown (the manual brush draws on smaller ones).
    if (emergingResult_ != nullptr && emergingResult_->Width() == width_ && emergingResult_->Height() == height_) {
      DrawPicture(*emergingResult_, 0, 0, canvas_);
    }
  } else if (s % 1000 == 0) {
    context_.ShowPreviewProgress(canvas_, -1);
  }
}

// The shading never draws a triangle's bottom row or its right edge's column, and the corners
// lie inside the picture, so no triangle reaches the last row or the last column: they take the
// row and column next to them. A picture of one row or one column, where no triangle has any
// area, takes the photograph as the canvas would have approached it.
void FillTheEdgesNoTriangleReaches(Bitmap24& canvas, const Bitmap24& photograph) {
  const int width = canvas.Width();
  const int height = canvas.Height();
  if (width < 2 || height < 2) {
    canvas = photograph;
    return;
  }
  for (int y = 0; y < height; ++y) {
    std::uint8_t* row = canvas.Row(y);
    std::copy_n(row + 3 * (width - 2), 3, row + 3 * (width - 1));
  }
  std::copy_n(canvas.Row(height - 2), canvas.RowBytes(), canvas.Row(height - 1));
}

// The sliders as a run used them: a minimum radius above the maximum raised the maximum slider.
ParameterSet SlidersUsed(const StyleSettings& settings) {
  ParameterSet used = settings.sliders;
  used[kSlotTrackBar4] = std::max(used[kSlotTrackBar4], EmergenceParametersFrom(settings).maximumRadius);
  return used;
}

}  // namespace

void ShadeTriangle(Bitmap24& target, const ShadedTriangle& triangle) {
  if (target.Empty()) return;
  ForEachShadedSpan(triangle, target.Width() - 1, target.Height() - 1,
                    [&](int y, int first, int last, const std::array<float, 3>& colour,
                        const std::array<float, 3>& step) {
                      WriteSpan(target.Row(y) + 3 * first, last - first + 1, colour, step);
                    });
}

RandomPolygonsEnd ShadedTriangles(const Bitmap24& source, Bitmap24& destination, const StyleSettings& settings,
                                  RunContext& context, Bitmap24* emergingResult) {
  const Parameters parameters = EmergenceParametersFrom(settings);
  if (destination.Width() != source.Width() || destination.Height() != source.Height()) {
    destination = Bitmap24(source.Width(), source.Height(), 0);
  }
  destination.Fill(0);
  context.Rng.RandomSeed = kStyleSeed;
  if (source.Empty()) return RandomPolygonsEnd::Completed;

  std::vector<std::uint8_t> detail = EmergenceDetailMap(source);
  Bitmap24 adjusted = source;
  LocalContrastOverRepeatedEdges(adjusted, 2 * parameters.contrast, settings.sourceMean, &context);
  AdjustBrightness(adjusted, parameters.contrast / 8);

  TriangleRun run(adjusted, destination, std::move(detail), parameters, settings, context, emergingResult);
  const RandomPolygonsEnd end = run.Run();
  FillTheEdgesNoTriangleReaches(destination, adjusted);
  if (end != RandomPolygonsEnd::Completed) context.ReportProgress(110, 100, 1, 1);
  return end;
}

StyleOutput PreviewShadedTriangles(const Bitmap24& crop, const StyleSettings& settings, const SurfaceSettings&,
                                   RunContext& context) {
  StyleOutput output{.picture = crop, .sliders = SlidersUsed(settings)};
  ShadedTriangles(crop, output.picture, settings, context);
  return output;
}

StyleOutput ProcessShadedTriangles(Bitmap24& source, Bitmap24& shown, const StyleSettings& settings,
                                   const SurfaceSettings&, RunContext& context) {
  // The emerging picture is copied into the shown one only for someone to watch it grow.
  ReleaseUnwatchedShown(shown, settings);
  StyleOutput output{.picture = source, .sliders = SlidersUsed(settings)};
  const RandomPolygonsEnd end =
      ShadedTriangles(source, output.picture, settings, context, settings.shownWatched ? &shown : nullptr);
  if (end == RandomPolygonsEnd::RejectionLimit) {
    // Hundreds of triangles in a row improved nothing: the picture has converged. The stop flag
    // raised for that is not a cancel, so the run finishes with its frame and text.
    context.AbortRequested = false;
    output.showParametersWindow = !settings.manualBrushMode;
  }
  return output;
}

}  // namespace atelion
