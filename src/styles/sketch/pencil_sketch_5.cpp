// Pencil sketch 5. Each line starts at a random point, accepted with a chance that grows with the
// darkness of the photograph there, and runs along the contour where the colour gradient is strong
// or in one of two hatching directions where it is weak. On every step it darkens the paper where
// the paper is still lighter than the photograph, leans towards the darkest of sixteen directions
// ahead, and loses ink; lines started on dark pixels carry more ink and run longer.
#include "styles/sketch/pencil_sketch_5.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "core/canvas.h"
#include "core/filters.h"
#include "core/rounding.h"

namespace atelion {

namespace {

constexpr int kProbeCount = 16;
constexpr double kFirstProbe = -1.2;
constexpr double kProbeStep = 0.17142857142857143;
constexpr int kMaxSteps = 5000;
constexpr int kLinesPerCheckpoint = 7500;
// Start points are drawn until one is dark enough; on a picture with nothing dark that never
// happens, so the draws are limited to this many per line on average over the whole drawing.
constexpr std::int64_t kStartDrawsPerLine = 256;
constexpr int kVibrance = 55;
// Width of the repeated edge the lines are drawn on, on every side: about the length of a line, as
// lines mostly run one way (the largest channel gradients lean them to the left and down), and a
// pixel near the right or bottom edge is only reached by lines starting beyond it.
constexpr int kMargin = 16;

// `picture` with `margin` pixels more on every side, each a copy of the nearest edge pixel.
Bitmap24 GrownByRepeatingEdges(const Bitmap24& picture, int margin) {
  const int width = picture.Width(), height = picture.Height();
  Bitmap24 grown(width + 2 * margin, height + 2 * margin);
  for (int y = 0; y < grown.Height(); ++y) {
    const std::uint8_t* in = picture.Row(std::clamp(y - margin, 0, height - 1));
    std::uint8_t* out = grown.Row(y);
    for (int x = 0; x < grown.Width(); ++x) std::memcpy(out + 3 * x, in + 3 * std::clamp(x - margin, 0, width - 1), 3);
  }
  return grown;
}

// The deviations probed around the line's direction, accumulated as the sweep adds them.
struct ProbeDeviations {
  std::array<double, kProbeCount> t{};
  ProbeDeviations() {
    double value = kFirstProbe;
    for (int k = 0; k < kProbeCount; ++k) {
      t[k] = value;
      value += kProbeStep;
    }
  }
};

const ProbeDeviations& Deviations() {
  static const ProbeDeviations deviations;
  return deviations;
}

// cos and sin of θ + t for the sixteen probe deviations t, and of θ itself.
struct ProbeDirections {
  std::array<double, kProbeCount> cos{}, sin{};
  double straightCos = 0, straightSin = 0;

  explicit ProbeDirections(double theta = 0) {
    const ProbeDeviations& probes = Deviations();
    for (int k = 0; k < kProbeCount; ++k) {
      cos[k] = std::cos(theta + probes.t[k]);
      sin[k] = std::sin(theta + probes.t[k]);
    }
    straightCos = std::cos(theta + 0.0);
    straightSin = std::sin(theta + 0.0);
  }
};

// The four hatching directions.
constexpr std::array<double, 4> kHatchingDirections = {3.812385, 0.670795, 2.74159, -0.4};

// The directions of a line going at θ: shared tables for the hatching directions, `own` (filled
// here) for any other.
const ProbeDirections& DirectionsFor(double theta, ProbeDirections& own) {
  static const std::array<ProbeDirections, 4> hatching = {ProbeDirections(kHatchingDirections[0]),
                                                          ProbeDirections(kHatchingDirections[1]),
                                                          ProbeDirections(kHatchingDirections[2]),
                                                          ProbeDirections(kHatchingDirections[3])};
  for (std::size_t h = 0; h < kHatchingDirections.size(); ++h) {
    if (theta == kHatchingDirections[h]) return hatching[h];
  }
  own = ProbeDirections(theta);
  return own;
}

// The step (1, 2, ...) after which ink multiplied by `kept` on every step falls below 0.01, by
// the same multiplications as the line makes; kMaxSteps + 1 when it never does within the limit.
int StepsOfInk(double ink, double kept) {
  for (int k = 1; k <= kMaxSteps; ++k) {
    ink *= kept;
    if (ink < 0.01) return k;
  }
  return kMaxSteps + 1;
}

// R + G + B of every source pixel, row by row.
std::vector<std::uint16_t> ChannelSums(const Bitmap24& source) {
  const int width = source.Width(), height = source.Height();
  std::vector<std::uint16_t> sums(static_cast<std::size_t>(width) * height);
  for (int y = 0; y < height; ++y) {
    const std::uint8_t* row = source.Row(y);
    std::uint16_t* out = sums.data() + static_cast<std::size_t>(y) * width;
    for (int x = 0; x < width; ++x) out[x] = static_cast<std::uint16_t>(row[3 * x] + row[3 * x + 1] + row[3 * x + 2]);
  }
  return sums;
}

// The line's direction at (x, y): along the contour where the largest channel gradients (weights
// 3, 10, 3) are strong, otherwise one of the two hatching directions drawn at random. `strength`
// receives |gx| + |gy|. Neighbours past the border are taken from the nearest pixel inside (the
// picture drawn on is never narrower or lower than 5 pixels, so this does not happen).
double LineDirection(const Bitmap24& source, int x, int y, int blending, int& strength, RunContext& context) {
  const int width = source.Width(), height = source.Height();
  const int left = std::max(x - 1, 0), right = std::min(x + 1, width - 1);
  const std::uint8_t* above = source.Row(std::max(y - 1, 0));
  const std::uint8_t* here = source.Row(y);
  const std::uint8_t* below = source.Row(std::min(y + 1, height - 1));
  int gx = 0, gy = 0;
  for (int c = 0; c < 3; ++c) {
    const int ul = above[3 * left + c], u = above[3 * x + c], ur = above[3 * right + c];
    const int l = here[3 * left + c], r = here[3 * right + c];
    const int dl = below[3 * left + c], d = below[3 * x + c], dr = below[3 * right + c];
    const int gyc = 3 * ul + 10 * u + 3 * ur - 3 * dl - 10 * d - 3 * dr;
    const int gxc = 3 * ul + 10 * l + 3 * dl - 3 * ur - 10 * r - 3 * dr;
    gy = c == 0 ? gyc : std::max(gy, gyc);
    gx = c == 0 ? gxc : std::max(gx, gxc);
  }
  strength = std::abs(gx) + std::abs(gy);
  if (strength > blending + 1) {
    return static_cast<double>(std::atan2(static_cast<float>(gy), static_cast<float>(gx))) + 1.5707;
  }
  if (context.Random(100) < 27) return context.Random(100) <= 50 ? 3.812385 : 0.670795;
  return context.Random(100) <= 50 ? 2.74159 : -0.4;
}

// Darkens the drawing at one pixel where it is lighter than the photograph; a pixel already much
// darker is set to a grey of 1.1 times the photograph's red.
inline void DarkenPaper(std::uint8_t* drawn, const std::uint8_t* photo, int divisor) {
  const int d = ((drawn[2] - photo[2]) + (drawn[1] - photo[1]) + (drawn[0] - photo[0])) / divisor;
  if (d <= -5) {
    const auto grey = static_cast<std::uint8_t>(std::min(255, RoundHalfEvenToInt(1.1 * photo[2])));
    drawn[0] = drawn[1] = drawn[2] = grey;
    return;
  }
  const int keep = 255 - std::max(d, 0);
  for (int c = 2; c >= 0; --c) drawn[c] = static_cast<std::uint8_t>((drawn[c] * keep) / 256);
}

// The colour step: the photograph lightened by the drawing's grey, blended with the drawing, then
// livelier colours.
void ColourTheDrawing(const Bitmap24& source, Bitmap24& destination, int colourIntensity) {
  Bitmap24 coloured = source;
  for (int y = 0; y < source.Height(); ++y) {
    const std::uint8_t* drawn = destination.Row(y);
    std::uint8_t* out = coloured.Row(y);
    for (int x = 0; x < source.Width(); ++x) {
      const int m = drawn[3 * x + 2];
      for (int c = 0; c < 3; ++c) {
        out[3 * x + c] = static_cast<std::uint8_t>(RoundHalfEvenToInt(out[3 * x + c] * (1.0 - m / 255.0) + m));
      }
    }
  }
  BlendLayers(destination, coloured, colourIntensity, colourIntensity / 4, 50);
  destination = std::move(coloured);
  ColourVibrance(destination, destination, kVibrance);
}

}  // namespace

PencilSketch5Parameters PencilSketch5ParametersFrom(const ParameterSet& sliders) {
  auto slider = [&](int slot) { return ClampToSlider(kPencilSketch5EffectId, slot, sliders[slot]); };
  return {slider(kSlotTrackBar1), slider(kSlotTrackBar2), slider(kSlotTrackBar5), slider(kSlotTrackBar3),
          slider(kSlotTrackBar4)};
}

void BlendLayers(const Bitmap24& A, Bitmap24& Bm, int v, int w, int a) {
  if (A.Width() != Bm.Width() || A.Height() != Bm.Height()) return;
  // 455 − 4·a is 255 for the callers' a = 50; a above 113 would make it zero or negative.
  const int divisor = std::max(455 - 4 * a, 1);
  for (int y = 0; y < A.Height(); ++y) {
    const std::uint8_t* under = A.Row(y);
    std::uint8_t* over = Bm.Row(y);
    for (std::size_t i = 0; i < A.RowBytes(); ++i) {
      const int x = (v * over[i]) / 255 + ((255 - v) * under[i]) / 255;
      const int t = std::min(255, (under[i] * over[i]) / divisor);
      over[i] = static_cast<std::uint8_t>((t * w) / 255 + (x * (255 - w)) / 255);
    }
  }
}

namespace {

// The lines on `canvas` (white, the size of `photo`). At every checkpoint the part of the canvas
// inside the margin is copied into `shown` and shown. Returns false when aborted.
bool TraceLines(const Bitmap24& photo, Bitmap24& canvas, std::int64_t lines, const PencilSketch5Parameters& parameters,
                const StyleSettings& settings, Bitmap24& shown, RunContext& context) {
  const int width = photo.Width(), height = photo.Height();
  const int blending = parameters.blending;
  const int third = blending / 3;
  const int divisor = (255 - parameters.strokeLength) / 8 + 8;
  const double inkKept = parameters.strokeLength / 2000.0 + 0.7;
  const std::vector<std::uint16_t> sums = ChannelSums(photo);
  auto sumAt = [&](int x, int y) { return sums[static_cast<std::size_t>(y) * width + x]; };
  ProbeDirections lineDirections;
  std::int64_t startDrawsLeft = kStartDrawsPerLine * (lines + 1);
  const bool showGrowth = settings.preview ? !settings.manualBrushMode : context.Progress != nullptr;

  for (std::int64_t i = 0; i <= lines; ++i) {
    // Start point: drawn again until the random level exceeds the photograph's mean there.
    int x0 = 0, y0 = 0, x = 0, y = 0;
    bool found = false;
    while (startDrawsLeft > 0) {
      --startDrawsLeft;
      x0 = context.Random(width);
      y0 = context.Random(height);
      x = std::clamp(std::min(std::max(x0, 1), width - 2), 0, width - 1);
      y = std::clamp(std::min(std::max(y0, 1), height - 2), 0, height - 1);
      if (context.Random(255) > sumAt(x, y) / 3) {
        found = true;
        break;
      }
    }
    if (!found) break;
    double fx = x0, fy = y0;

    int strength = 0;
    const double theta = LineDirection(photo, x, y, blending, strength, context);
    (void)context.Random();
    (void)context.Random(256);
    double ink = static_cast<double>((768 - sumAt(x, y)) / 64);
    (void)context.Random(256);

    if (i % kLinesPerCheckpoint == 0) {
      context.ReportProgress(static_cast<int>(RoundHalfEven(0.95 * static_cast<double>(i))), static_cast<int>(lines), 1, 1);
      if (showGrowth) {
        CopyRect(shown, 0, 0, canvas, Rect{kMargin, kMargin, width - kMargin, height - kMargin});
        if (settings.preview) context.ShowPreviewProgress(shown, lines > 0 ? static_cast<int>(100 * i / lines) : 0);
      }
      (void)context.CheckAbort();
    }

    // The sixteen probe directions and the line's own direction do not change along the line; the
    // four hatching directions share theirs between lines.
    // A wobbling line (a weak gradient) takes a random deviation on every step instead, so its
    // probes would decide nothing and are not made.
    const bool wobbles = strength < blending + 1;
    const ProbeDirections& directions = wobbles ? lineDirections : DirectionsFor(theta, lineDirections);
    // The ink left after each step is known in advance: the step after which it falls below 0.01
    // ends the line whatever its direction, so that step needs no probing.
    const int lastStep = StepsOfInk(ink, inkKept);

    for (int k = 0; k < kMaxSteps;) {
      if (context.AbortRequested) {
        context.ReportProgress(101, 100, 1, 1);
        return false;
      }
      DarkenPaper(canvas.Row(y) + 3 * x, photo.Row(y) + 3 * x, divisor);

      (void)context.Random();
      double stepCos = directions.straightCos, stepSin = directions.straightSin;
      if (context.Random(100) >= 25 && !wobbles && k + 1 < lastStep) {
        // Probe positions first (independent of each other), then the darkest one in turn.
        std::array<int, kProbeCount> px{}, py{};
        for (int p = 0; p < kProbeCount; ++p) {
          px[p] = static_cast<int>(RoundHalfEven(fx + directions.cos[p]));
          py[p] = static_cast<int>(RoundHalfEven(fy + directions.sin[p]));
        }
        int best = 768, chosen = -1;
        if (fx > 2 && fy > 2 && fx < width - 3 && fy < height - 3) {
          // Every probe lies within one pixel of (fx, fy), so all of them are inside.
          std::array<int, kProbeCount> at{};
          for (int p = 0; p < kProbeCount; ++p) at[p] = py[p] * width + px[p];
          for (int p = 0; p < kProbeCount; ++p) {
            const int sum = sums[static_cast<std::size_t>(at[p])];
            if (sum - best < third) best = sum, chosen = p;
          }
        } else {
          for (int p = 0; p < kProbeCount; ++p) {
            if (px[p] <= 0 || px[p] >= width - 1 || py[p] <= 0 || py[p] >= height - 1) continue;
            const int sum = sumAt(px[p], py[p]);
            if (sum - best < third) best = sum, chosen = p;
          }
        }
        if (chosen >= 0) {
          stepCos = directions.cos[chosen];
          stepSin = directions.sin[chosen];
        }
      }
      if (wobbles) {
        const double e = 0.3 * context.Random() - 0.15;
        stepCos = std::cos(theta + e);
        stepSin = std::sin(theta + e);
      }
      fx += stepCos;
      fy += stepSin;
      x = RoundHalfEvenToInt(fx);
      y = RoundHalfEvenToInt(fy);
      ++k;
      ink *= inkKept;
      if (ink < 0.01 || x < 0 || y < 0 || x >= width || y >= height) break;
    }
  }
  return true;
}

}  // namespace

void PencilSketch5(Bitmap24& source, Bitmap24& destination, const PencilSketch5Parameters& parameters,
                   const StyleSettings& settings, RunContext& context) {
  const int width = source.Width(), height = source.Height();
  destination = Bitmap24(width, height, 0xFFFFFF);
  // As if the photograph went on past its borders: the plain window would meet white padding at
  // the right and bottom and darken a band along those edges.
  LocalContrastOverRepeatedEdges(source, parameters.contrast, settings.sourceMean, &context);
  context.ReportProgress(0, 100, 1, 1);
  if (source.Empty()) return;

  // The lines are drawn on the photograph extended by a margin of repeated edge pixels and cut
  // back afterwards. Start points are moved one pixel inside and lines look only inside for their
  // way, so on the photograph itself the second and the last but one rows and columns would
  // collect lines (a dark seam one pixel inside every edge), the outermost ones stay light, and
  // the edges that lines run towards get fewer lines. The number of lines follows the size drawn
  // on, so the lines are as dense as the sliders say.
  const Bitmap24 photo = GrownByRepeatingEdges(source, kMargin);
  const std::int64_t lines = static_cast<std::int64_t>(
      RoundHalfEven((100.0 * parameters.iterations + 1000) * std::min(photo.Width() / 200.0, 35.0) *
                    std::min(photo.Height() / 200.0, 35.0)));
  Bitmap24 canvas(photo.Width(), photo.Height(), 0xFFFFFF);
  const bool finished = TraceLines(photo, canvas, lines, parameters, settings, destination, context);
  CopyRect(destination, 0, 0, canvas, Rect{kMargin, kMargin, kMargin + width, kMargin + height});
  if (!finished) return;

  if (parameters.colourIntensity > 0) ColourTheDrawing(source, destination, parameters.colourIntensity);
  context.ReportProgress(101, 100, 1, 1);
}

StyleOutput PreviewPencilSketch5(const Bitmap24& crop, const StyleSettings& settings, const SurfaceSettings& surface,
                                 RunContext& context) {
  (void)surface;
  Bitmap24 work = crop;
  StyleOutput output{.sliders = settings.sliders};
  PencilSketch5(work, output.picture, PencilSketch5ParametersFrom(settings.sliders), settings, context);
  return output;
}

StyleOutput ProcessPencilSketch5(Bitmap24& source, Bitmap24& shown, const StyleSettings& settings,
                                 const SurfaceSettings& surface, RunContext& context) {
  (void)shown, (void)surface;
  StyleOutput output{.picture = Bitmap24(source.Width(), source.Height(), 0xFFFFFF), .sliders = settings.sliders};
  Bitmap24 work = source;
  if (context.Progress != nullptr) context.Progress->WatchOutput(&output.picture);
  PencilSketch5(work, output.picture, PencilSketch5ParametersFrom(settings.sliders), settings, context);
  if (context.Progress != nullptr) context.Progress->WatchOutput(nullptr);
  return output;
}

}  // namespace atelion
