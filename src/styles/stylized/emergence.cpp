// Emergence: rebuilds the photograph from nothing as a mosaic of flat-coloured quadrilaterals.
// Large shapes are first thrown onto a black canvas without a test; then ever smaller shapes are
// proposed at random points where the canvas still differs from the (contrast-lifted) photograph,
// and each is kept only when it brings its neighbourhood closer to the photograph.
#include "styles/stylized/emergence.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <vector>

#include "core/canvas.h"
#include "core/filters.h"
#include "styles/catalogue.h"
#include "styles/stylized/emergence_steps.h"

namespace atelion {

namespace {

using emergence::ChannelDifference;
using emergence::kDirectDrawSize;
using emergence::kRejectionLimit;

// Pixels of three bytes within one 64-byte cache line, for fetching rows ahead.
constexpr int kPixelsPerCacheLine = 21;

using Parameters = EmergenceParameters;

// The sliders as a run used them: a minimum radius above the maximum raised the maximum slider.
ParameterSet SlidersUsed(const StyleSettings& settings) {
  ParameterSet used = settings.sliders;
  used[kSlotTrackBar4] = std::max(used[kSlotTrackBar4], EmergenceParametersFrom(settings).maximumRadius);
  return used;
}

// The state of one run: the adjusted source, the canvas, the detail map and the counters.
class PolygonRun {
 public:
  PolygonRun(Bitmap24& source, Bitmap24& canvas, std::vector<std::uint8_t> detail, const Parameters& parameters,
             const StyleSettings& settings, RunContext& context, Bitmap24* emergingResult)
      : source_(source), canvas_(canvas), detail_(std::move(detail)), p_(parameters), settings_(settings),
        context_(context), emergingResult_(emergingResult), width_(source.Width()), height_(source.Height()) {}

  RandomPolygonsEnd Run();

 private:
  // One shape attempt within step `s`; false when the run must end.
  bool Attempt(int s, int j);
  // The trial of a small shape: kept only when it lowers the difference to the photograph.
  void TryShape(const std::array<Point, 4>& corners, Colour colour, int size);
  void ShowEmergingPicture(int s);
  RandomPolygonsEnd StoppedEnd() const {
    return rejectionLimitReached_ ? RandomPolygonsEnd::RejectionLimit : RandomPolygonsEnd::Stopped;
  }

  Bitmap24& source_;
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
  Bitmap24 shapeBox_;  // the trial shape alone, drawn around its corners
};

RandomPolygonsEnd PolygonRun::Run() {
  steps_ = 128 * p_.iterations + 4000;
  const bool completed = emergence::RunSteps(steps_, p_, settings_, width_, height_, context_,
                                             [this](int s, int j) { return Attempt(s, j); });
  return completed ? RandomPolygonsEnd::Completed : StoppedEnd();
}

bool PolygonRun::Attempt(int s, int j) {
  const int size = emergence::ShapeSize(s, p_);
  const int half = size / 2;
  int x = 0, y = 0;
  const bool seeded = emergence::FindSeed(source_, canvas_, detail_, p_, s, context_, x, y);
  if (seeded) {
    // The draws in exactly this order: three x offsets, then three y offsets.
    std::array<int, 3> xs{}, ys{};
    for (int& v : xs) v = x + context_.Random(size) - half;
    ys[0] = y + context_.Random(size - 7) - half;
    ys[1] = y + context_.Random(size) - half;
    ys[2] = y + context_.Random(size) - half;
    std::array<Point, 4> corners{Point{x, y}};
    for (int k = 0; k < 3; ++k) {
      corners[k + 1] = {std::clamp(xs[k], 0, width_ - 1), std::clamp(ys[k], 0, height_ - 1)};
    }
    std::array<int, 3> mean{};
    for (const Point& corner : corners) {
      const std::uint8_t* pixel = source_.Row(corner.y) + 3 * corner.x;
      for (int c = 0; c < 3; ++c) mean[c] += pixel[c];
    }
    const Colour colour = MakeColour(mean[2] / 4, mean[1] / 4, mean[0] / 4);
    if (size > kDirectDrawSize) {
      DrawPolygon(canvas_, corners, Pen{colour, 1}, colour);
    } else {
      TryShape(corners, colour, size);
    }
  }
  if (j % 50 == 0) {
    if (seeded && s % 250 == 0) {
      context_.ReportProgress(steps_ - s, steps_, 1, 1);
      ShowEmergingPicture(s);
    }
    if (context_.CheckAbort()) return false;
  }
  return true;
}

void PolygonRun::TryShape(const std::array<Point, 4>& corners, Colour colour, int size) {
  const int half = size / 2;
  const Point seed = corners[0];
  // The compared area: the size × size square around the seed, within the picture. Right and
  // bottom come from the unclamped left and top.
  const int right = std::min(seed.x + half, width_);
  const int bottom = std::min(seed.y + half, height_);
  const int left = std::max(seed.x - half, 0);
  const int top = std::max(seed.y - half, 0);

  // The shape is drawn on its own into a scratch box around its corners, whose other pixels hold
  // a colour the shape cannot have. Only the shape's pixels matter: any other pixel of the square
  // that already has the shape's colour adds the same amount to both sums, and keeping the shape
  // changes only the shape's pixels of the canvas.
  int minX = seed.x, maxX = seed.x, minY = seed.y, maxY = seed.y;
  for (const Point& corner : corners) {
    minX = std::min(minX, corner.x), maxX = std::max(maxX, corner.x);
    minY = std::min(minY, corner.y), maxY = std::max(maxY, corner.y);
  }
  const int boxWidth = maxX - minX + 1;
  const int boxHeight = maxY - minY + 1;
  if (shapeBox_.Width() < boxWidth || shapeBox_.Height() < boxHeight) {
    shapeBox_ = Bitmap24(std::max(shapeBox_.Width(), boxWidth), std::max(shapeBox_.Height(), boxHeight));
  }
  // The background differs from the shape in the lowest bit of red only, so the red byte alone
  // tells shape from background.
  FillRect(shapeBox_, Rect{0, 0, boxWidth, boxHeight}, colour ^ 1);
  std::array<Point, 4> shifted = corners;
  for (Point& corner : shifted) corner = {corner.x - minX, corner.y - minY};
  DrawPolygon(shapeBox_, shifted, Pen{colour, 1}, colour);

  const std::array<std::uint8_t, 3> shape{static_cast<std::uint8_t>(BlueOf(colour)),
                                          static_cast<std::uint8_t>(GreenOf(colour)),
                                          static_cast<std::uint8_t>(RedOf(colour))};
  auto inShape = [red = shape[2]](const std::uint8_t* pixel) { return pixel[2] == red; };
  std::int64_t before = 0, after = 0;
  const int firstColumn = std::max(minX, left), endColumn = std::min(maxX + 1, right);
  const int endRow = std::min(maxY + 1, bottom);
  for (int py = std::max(minY, top); py < endRow; ++py) {
    const std::uint8_t* box = shapeBox_.Row(py - minY);
    const std::uint8_t* photo = source_.Row(py);
    const std::uint8_t* canvas = canvas_.Row(py);
    if (py + 1 < endRow) {
      // The rows lie far apart in memory: fetch the next row's part ahead of its turn.
      for (int px = firstColumn; px < endColumn; px += kPixelsPerCacheLine) {
        __builtin_prefetch(source_.Row(py + 1) + 3 * px);
        __builtin_prefetch(canvas_.Row(py + 1) + 3 * px);
      }
    }
    for (int px = firstColumn; px < endColumn; ++px) {
      if (!inShape(box + 3 * (px - minX))) continue;
      before += ChannelDifference(photo + 3 * px, canvas + 3 * px);
      after += ChannelDifference(photo + 3 * px, shape.data());
    }
  }
  if (after < before) {
    for (int py = minY; py <= maxY; ++py) {
      const std::uint8_t* box = shapeBox_.Row(py - minY);
      std::uint8_t* canvas = canvas_.Row(py);
      for (int px = minX; px <= maxX; ++px) {
        if (inShape(box + 3 * (px - minX))) std::copy(shape.begin(), shape.end(), canvas + 3 * px);
      }
    }
    rejections_ = 0;
  } else if (++rejections_ == kRejectionLimit) {
    context_.AbortRequested = true;
    rejectionLimitReached_ = true;
  }
}

void PolygonRun::ShowEmergingPicture(int s) {
  if (settings_.manualBrushMode) return;
  if (!settings_.preview) {
    if (emergingResult_ != nullptr) DrawPicture(*emergingResult_, 0, 0, canvas_);
  } else if (s % 1000 == 0) {
    context_.ShowPreviewProgress(canvas_, -1);
  }
}

}  // namespace

std::vector<std::uint8_t> EmergenceDetailMap(const Bitmap24& picture) {
  const int width = picture.Width();
  const int height = picture.Height();
  std::vector<std::uint8_t> detail(static_cast<std::size_t>(width) * height, 0);
  for (int y = 1; y <= height - 2; ++y) {
    const std::uint8_t* above = picture.Row(y - 1);
    const std::uint8_t* row = picture.Row(y);
    const std::uint8_t* below = picture.Row(y + 1);
    std::uint8_t* out = detail.data() + static_cast<std::size_t>(y) * width;
    for (int x = 1; x <= width - 2; ++x) {
      int sum = 0;
      for (int c = 0; c < 3; ++c) {
        const int left = 3 * (x - 1) + c, centre = 3 * x + c, right = 3 * (x + 1) + c;
        const int neighbours = above[left] + above[centre] + above[right] + row[left] + row[right] +
                               below[left] + below[centre] + below[right];
        sum += std::abs(row[centre] - neighbours / 8);
      }
      out[x] = static_cast<std::uint8_t>(sum / 3);
    }
  }
  return detail;
}

EmergenceParameters EmergenceParametersFrom(const StyleSettings& settings) {
  auto slider = [&](int slot) { return ClampToSlider(kEmergenceEffectId, slot, settings.sliders[slot]); };
  EmergenceParameters p{slider(kSlotTrackBar1), slider(kSlotTrackBar2), slider(kSlotTrackBar5),
                        slider(kSlotTrackBar3), slider(kSlotTrackBar4), 1};
  p.maximumRadius = std::max(p.maximumRadius, p.minimumRadius);
  p.repeatFactor = settings.maxShown[kSlotTrackBar2] ? 3 : 1;
  return p;
}

RandomPolygonsEnd RandomPolygons(const Bitmap24& source, Bitmap24& destination, const StyleSettings& settings,
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

  PolygonRun run(adjusted, destination, std::move(detail), parameters, settings, context, emergingResult);
  const RandomPolygonsEnd end = run.Run();
  if (end != RandomPolygonsEnd::Completed) context.ReportProgress(110, 100, 1, 1);
  return end;
}

StyleOutput PreviewRandomPolygons(const Bitmap24& crop, const StyleSettings& settings, const SurfaceSettings&,
                                  RunContext& context) {
  StyleOutput output{.picture = crop, .sliders = SlidersUsed(settings)};
  RandomPolygons(crop, output.picture, settings, context);
  return output;
}

StyleOutput ProcessRandomPolygons(Bitmap24& source, Bitmap24& shown, const StyleSettings& settings,
                                  const SurfaceSettings&, RunContext& context) {
  // The emerging picture is copied into the shown one only for someone to watch it grow.
  ReleaseUnwatchedShown(shown, settings);
  StyleOutput output{.picture = source, .sliders = SlidersUsed(settings)};
  const RandomPolygonsEnd end =
      RandomPolygons(source, output.picture, settings, context, settings.shownWatched ? &shown : nullptr);
  if (end == RandomPolygonsEnd::RejectionLimit) {
    // Hundreds of shapes in a row improved nothing: the picture has converged. The stop flag
    // raised for that is not a cancel, so the run finishes with its frame and text.
    context.AbortRequested = false;
    output.showParametersWindow = !settings.manualBrushMode;
  }
  return output;
}

}  // namespace atelion
