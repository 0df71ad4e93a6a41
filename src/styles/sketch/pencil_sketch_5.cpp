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
#include <vector>

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

// Asks the processor to bring the memory at `address` into its cache; changes nothing else. (The
// compiler's own prefetch is dropped when it sees no use of the fetched bytes.)
inline void FetchIntoCache(const void* address) {
#if defined(__x86_64__) || defined(__i386__)
  __asm__ volatile("prefetcht0 %0" : : "m"(*static_cast<const char*>(address)));
#else
  __builtin_prefetch(address);
#endif
}

// The photograph and the drawing as the lines see them: `margin` pixels larger than the photograph
// on every side. Past the photograph's edge the photograph repeats its nearest edge pixel; the
// drawing there only takes the lines that run out and is cut off at the end.
//
// The lines read the photograph's R + G + B nearly everywhere, so those sums are kept in a table;
// the photograph itself is read in place, the repeated edge worked out from the coordinates. The
// drawing starts white and every change gives all three channels the same value, so it is held
// as one grey byte per pixel.
class TracingSurface {
 public:
  TracingSurface(const Bitmap24& photo, int margin)
      : photo_(photo), margin_(margin), width_(photo.Width() + 2 * margin), height_(photo.Height() + 2 * margin),
        sums_(static_cast<std::size_t>(width_) * height_), drawing_(static_cast<std::size_t>(width_) * height_, 255) {
    for (int y = 0; y < height_; ++y) {
      std::uint16_t* out = sums_.data() + static_cast<std::size_t>(y) * width_;
      for (int x = 0; x < width_; ++x) {
        const std::uint8_t* pixel = Photo(x, y);
        out[x] = static_cast<std::uint16_t>(pixel[0] + pixel[1] + pixel[2]);
      }
    }
  }

  int Width() const { return width_; }
  int Height() const { return height_; }

  // The photograph's pixel at (x, y) of the extended picture (any x, y).
  const std::uint8_t* Photo(int x, int y) const {
    return photo_.Row(std::clamp(y - margin_, 0, photo_.Height() - 1)) +
           3 * std::clamp(x - margin_, 0, photo_.Width() - 1);
  }
  // R + G + B of the photograph at (x, y) of the extended picture (inside it), and at the index
  // y · width + x.
  int Sum(int x, int y) const { return sums_[Index(x, y)]; }
  int SumAt(std::size_t index) const { return sums_[index]; }
  std::size_t Index(int x, int y) const { return static_cast<std::size_t>(y) * width_ + x; }

  std::uint8_t& Drawn(int x, int y) { return drawing_[Index(x, y)]; }

  // Asks the processor to fetch the sums and the drawing at (x, y) ahead of use: a line moves to
  // a new row on most steps, and waiting for each row is much of a step's time.
  void Prefetch(int x, int y) const {
    const std::size_t index = Index(std::clamp(x, 0, width_ - 1), std::clamp(y, 0, height_ - 1));
    FetchIntoCache(drawing_.data() + index);
    FetchIntoCache(sums_.data() + index);
  }

  // The part of the drawing over the photograph, into `picture` (the photograph's size).
  void CopyDrawingTo(Bitmap24& picture) const {
    for (int y = 0; y < picture.Height(); ++y) {
      const std::uint8_t* in = drawing_.data() + Index(margin_, y + margin_);
      std::uint8_t* out = picture.Row(y);
      for (int x = 0; x < picture.Width(); ++x, out += 3) {
        const std::uint8_t grey = in[x];
        out[0] = grey;
        out[1] = grey;
        out[2] = grey;
      }
    }
  }

 private:
  const Bitmap24& photo_;
  const int margin_, width_, height_;
  std::vector<std::uint16_t> sums_;
  std::vector<std::uint8_t> drawing_;
};

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

// The line's direction at (x, y) of the extended picture (1 <= x <= width − 2, the same for y):
// along the contour where the largest channel gradients (weights 3, 10, 3) are strong, otherwise
// one of the two hatching directions drawn at random. `strength` receives |gx| + |gy|.
double LineDirection(const TracingSurface& surface, int x, int y, int blending, int& strength, RunContext& context) {
  const std::uint8_t* ul = surface.Photo(x - 1, y - 1);
  const std::uint8_t* u = surface.Photo(x, y - 1);
  const std::uint8_t* ur = surface.Photo(x + 1, y - 1);
  const std::uint8_t* l = surface.Photo(x - 1, y);
  const std::uint8_t* r = surface.Photo(x + 1, y);
  const std::uint8_t* dl = surface.Photo(x - 1, y + 1);
  const std::uint8_t* d = surface.Photo(x, y + 1);
  const std::uint8_t* dr = surface.Photo(x + 1, y + 1);
  int gx = 0, gy = 0;
  for (int c = 0; c < 3; ++c) {
    const int gyc = 3 * ul[c] + 10 * u[c] + 3 * ur[c] - 3 * dl[c] - 10 * d[c] - 3 * dr[c];
    const int gxc = 3 * ul[c] + 10 * l[c] + 3 * dl[c] - 3 * ur[c] - 10 * r[c] - 3 * dr[c];
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

// The darkening d of the drawing for every difference 3·grey − (R + G + B) of drawing and
// photograph, −765 … 765, divided by the stroke length's divisor once instead of on every step.
class DarkeningTable {
 public:
  explicit DarkeningTable(int divisor) {
    for (int n = -kLargest; n <= kLargest; ++n) d_[static_cast<std::size_t>(n + kLargest)] = static_cast<std::int16_t>(n / divisor);
  }
  int operator()(int difference) const { return d_[static_cast<std::size_t>(difference + kLargest)]; }

 private:
  static constexpr int kLargest = 765;
  std::array<std::int16_t, 2 * kLargest + 1> d_{};
};

// Darkens the grey drawing at (x, y) where it is lighter than the photograph (the channel
// differences summed, as three equal grey channels give 3·grey); a pixel already much darker is
// set to a grey of 1.1 times the photograph's red.
inline void DarkenPaper(TracingSurface& surface, int x, int y, const DarkeningTable& darkening) {
  std::uint8_t& drawn = surface.Drawn(x, y);
  const int d = darkening(3 * drawn - surface.Sum(x, y));
  if (d <= -5) {
    drawn = static_cast<std::uint8_t>(std::min(255, RoundHalfEvenToInt(1.1 * surface.Photo(x, y)[2])));
    return;
  }
  drawn = static_cast<std::uint8_t>((drawn * (255 - std::max(d, 0))) / 256);
}

// One row of the layer blend: `over` (Bm) becomes the mix of `under` (A) and itself.
void BlendLayerRow(const std::uint8_t* under, std::uint8_t* over, std::size_t bytes, int v, int w, int divisor) {
  for (std::size_t i = 0; i < bytes; ++i) {
    const int x = (v * over[i]) / 255 + ((255 - v) * under[i]) / 255;
    const int t = std::min(255, (under[i] * over[i]) / divisor);
    over[i] = static_cast<std::uint8_t>((t * w) / 255 + (x * (255 - w)) / 255);
  }
}

// The colour step: the photograph lightened by the drawing's grey, blended with the drawing, then
// livelier colours. Every pixel depends only on itself, so the drawing is coloured row by row in
// place.
void ColourTheDrawing(const Bitmap24& source, Bitmap24& destination, int colourIntensity) {
  std::vector<std::uint8_t> coloured(source.RowBytes());
  for (int y = 0; y < source.Height(); ++y) {
    const std::uint8_t* photo = source.Row(y);
    std::uint8_t* drawn = destination.Row(y);
    for (int x = 0; x < source.Width(); ++x) {
      const int m = drawn[3 * x + 2];
      for (int c = 0; c < 3; ++c) {
        coloured[3 * x + c] = static_cast<std::uint8_t>(RoundHalfEvenToInt(photo[3 * x + c] * (1.0 - m / 255.0) + m));
      }
    }
    BlendLayerRow(drawn, coloured.data(), coloured.size(), colourIntensity, colourIntensity / 4, 255);
    std::copy(coloured.begin(), coloured.end(), drawn);
  }
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
  for (int y = 0; y < A.Height(); ++y) BlendLayerRow(A.Row(y), Bm.Row(y), A.RowBytes(), v, w, divisor);
}

namespace {

// The lines on `surface` (white). At every checkpoint the part of the drawing over the photograph
// is copied into `shown` and shown. Returns false when aborted.
bool TraceLines(TracingSurface& surface, std::int64_t lines, const PencilSketch5Parameters& parameters,
                const StyleSettings& settings, Bitmap24& shown, RunContext& context) {
  const int width = surface.Width(), height = surface.Height();
  const int blending = parameters.blending;
  const int third = blending / 3;
  const DarkeningTable darkening((255 - parameters.strokeLength) / 8 + 8);
  const double inkKept = parameters.strokeLength / 2000.0 + 0.7;
  ProbeDirections lineDirections;
  std::int64_t startDrawsLeft = kStartDrawsPerLine * (lines + 1);
  // The drawing is copied out at checkpoints only when someone watches it grow.
  const bool showGrowth = settings.preview ? !settings.manualBrushMode && context.Preview != nullptr
                                           : context.Progress != nullptr;

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
      if (context.Random(255) > surface.Sum(x, y) / 3) {
        found = true;
        break;
      }
    }
    if (!found) break;
    double fx = x0, fy = y0;
    surface.Prefetch(x, y);

    int strength = 0;
    const double theta = LineDirection(surface, x, y, blending, strength, context);
    (void)context.Random();
    (void)context.Random(256);
    double ink = static_cast<double>((768 - surface.Sum(x, y)) / 64);
    (void)context.Random(256);

    if (i % kLinesPerCheckpoint == 0) {
      context.ReportProgress(static_cast<int>(RoundHalfEven(0.95 * static_cast<double>(i))), static_cast<int>(lines), 1, 1);
      if (showGrowth) {
        surface.CopyDrawingTo(shown);
        if (settings.preview) context.ShowPreviewProgress(shown, lines > 0 ? static_cast<int>(100 * i / lines) : 0);
      }
      (void)context.CheckAbort();
    }

    // The sixteen probe directions and the line's own direction do not change along the line; the
    // four hatching directions share theirs between lines.
    // A wobbling line (a weak gradient) takes a random deviation on every step instead, so its
    // probes would decide nothing and are not made.
    const bool wobbles = strength < blending + 1;
    // (A wobbling line always goes in a hatching direction, whose table costs nothing.)
    const ProbeDirections& directions = DirectionsFor(theta, lineDirections);
    // The ink left after each step is known in advance: the step after which it falls below 0.01
    // ends the line whatever its direction, so that step needs no probing.
    const int lastStep = StepsOfInk(ink, inkKept);
    // How far ahead along its direction the line's pixels are fetched.
    constexpr double kFetchAhead = 4.0;
    const double aheadX = kFetchAhead * directions.straightCos, aheadY = kFetchAhead * directions.straightSin;

    for (int k = 0; k < kMaxSteps;) {
      if (context.AbortRequested) {
        context.ReportProgress(101, 100, 1, 1);
        return false;
      }
      surface.Prefetch(static_cast<int>(fx + aheadX), static_cast<int>(fy + aheadY));
      DarkenPaper(surface, x, y, darkening);

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
          std::array<std::size_t, kProbeCount> at{};
          for (int p = 0; p < kProbeCount; ++p) at[p] = surface.Index(px[p], py[p]);
          // sum − best < third, with sum − third worked out before the chain of comparisons.
          std::array<int, kProbeCount> sum{}, lowered{};
          for (int p = 0; p < kProbeCount; ++p) {
            sum[p] = surface.SumAt(at[p]);
            lowered[p] = sum[p] - third;
          }
          for (int p = 0; p < kProbeCount; ++p) {
            if (lowered[p] < best) best = sum[p], chosen = p;
          }
        } else {
          for (int p = 0; p < kProbeCount; ++p) {
            if (px[p] <= 0 || px[p] >= width - 1 || py[p] <= 0 || py[p] >= height - 1) continue;
            const int sum = surface.Sum(px[p], py[p]);
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
  if (destination.Width() == width && destination.Height() == height) {
    destination.Fill(0xFFFFFF);
  } else {
    destination = Bitmap24();
    destination = Bitmap24(width, height, 0xFFFFFF);
  }
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
  bool finished = false;
  {
    TracingSurface surface(source, kMargin);
    const std::int64_t lines = static_cast<std::int64_t>(
        RoundHalfEven((100.0 * parameters.iterations + 1000) * std::min(surface.Width() / 200.0, 35.0) *
                      std::min(surface.Height() / 200.0, 35.0)));
    finished = TraceLines(surface, lines, parameters, settings, destination, context);
    surface.CopyDrawingTo(destination);
  }
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
  (void)surface;
  // The drawing is made in the result panel's picture, which it replaces: one picture less held.
  StyleOutput output{.picture = std::move(shown), .sliders = settings.sliders};
  if (output.picture.Width() != source.Width() || output.picture.Height() != source.Height()) {
    output.picture = Bitmap24();
    output.picture = Bitmap24(source.Width(), source.Height());
  }
  output.picture.Fill(0xFFFFFF);
  Bitmap24 work = source;
  if (context.Progress != nullptr) context.Progress->WatchOutput(&output.picture);
  PencilSketch5(work, output.picture, PencilSketch5ParametersFrom(settings.sliders), settings, context);
  if (context.Progress != nullptr) context.Progress->WatchOutput(nullptr);
  return output;
}

}  // namespace atelion
