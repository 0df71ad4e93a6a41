// Oil pastel sketch. The scribble picture, resampled to the brush size and turned to a random angle
// every 500 dabs, is the brush: its red byte v below 250 marks the pixels it covers, with strength
// 255 − v. A dab at a random point where the painting still differs from the photograph takes the
// mean photograph colour under the brush and tints the painting's square under it; it is kept when
// its error under the brush falls below a fraction of the error before. The brush shrinks by a
// tenth whenever its quota is spent. Last, contours are darkened from the remaining difference and
// the edge stroke layer, and saturation and local contrast are raised.
#include "styles/sketch/oil_pastel.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "core/canvas.h"
#include "core/filters.h"
#include "core/geometry.h"
#include "core/rotate_bitmap.h"
#include "styles/painting/edge_strokes.h"
#include "styles/sketch/pastel_scribble.h"

namespace atelion {

namespace {

constexpr int kSharpening = 10;
constexpr int kSaturation = 10;
// Brush pixels whose red byte is below this carry pigment, with weight 255 − red.
constexpr int kPigmentBelow = 250;
constexpr std::int64_t kAttemptCap = 5000000000;
constexpr int kDabsPerBrush = 500;
constexpr int kDabsPerPump = 10000;
constexpr int kDabsPerPreviewShow = 25000;
// A seed point is drawn at most this many times; when none differs enough, the size is done.
constexpr int kSeedDraws = 10000;
// Edge stroke layer arguments: threshold, fade, length factor.
constexpr int kEdgeThreshold = 4;
constexpr int kEdgeFade = 180;
constexpr int kEdgeLength = 20;

struct BrushPixel {
  int i = 0, j = 0;  // column and row in the brush
  int v = 0;         // the red byte, below 250
};

// The brush B (s × s) and the list of its pigment pixels.
class PastelBrush {
 public:
  explicit PastelBrush(int side) : brush_(side, side, 0xFFFFFF) {}

  int Side() const { return brush_.Width(); }
  const std::vector<BrushPixel>& Pixels() const { return pixels_; }

  // The first brush: the scribble stretched onto the whole square.
  void Stretch(const Bitmap24& scribble) {
    StretchDraw(brush_, Rect{0, 0, Side(), Side()}, scribble);
    ListPixels();
  }

  // A brush of `side` pixels turned by `angle` degrees: the scribble resampled onto the square,
  // turned, and the turned square's centre copied back one pixel smaller (the last row and column
  // keep the unturned brush). Turned by 30 degrees the picture grows; only its centre is used.
  void Turn(const Bitmap24& scribble, int side, int angle) {
    brush_ = Bitmap24(side, side, 0xFFFFFF);
    Resample(scribble, brush_);
    Bitmap24 turned;
    RunContext quiet;  // a brush turn neither reports progress nor lets the shell handle events
    RotateBitmap(brush_, turned, angle, quiet);
    const int left = (turned.Width() - side) / 2, top = (turned.Height() - side) / 2;
    StretchCopy(brush_, Rect{0, 0, side - 1, side - 1}, turned, Rect{left, top, left + side, top + side});
    ListPixels();
  }

 private:
  void ListPixels() {
    pixels_.clear();
    for (int j = 0; j < Side(); ++j) {
      const std::uint8_t* row = brush_.Row(j);
      for (int i = 0; i < Side(); ++i) {
        if (row[3 * i + 2] < kPigmentBelow) pixels_.push_back({i, j, row[3 * i + 2]});
      }
    }
  }

  Bitmap24 brush_;
  std::vector<BrushPixel> pixels_;
};

inline int Distance(const std::uint8_t* a, const std::uint8_t* b) {
  return std::abs(a[0] - b[0]) + std::abs(a[1] - b[1]) + std::abs(a[2] - b[2]);
}

// The colour sums and the summed difference of Dab::Measure for a dab wholly on the picture. Kept
// out of line: inside the long drawing loop its sums would not stay in registers.
__attribute__((noinline)) void MeasureInside(const std::vector<BrushPixel>& pixels, const Bitmap24& source,
                                             const Bitmap24& painting, int left, int top, int last,
                                             std::array<std::int64_t, 3>& sum, std::int64_t& before) {
  std::int64_t blue = 0, green = 0, red = 0, difference = 0;
  for (const BrushPixel& p : pixels) {
    const std::size_t at = 3 * static_cast<std::size_t>(left + p.i);
    const std::uint8_t* s = source.Row(top + p.j) + at;
    blue += s[0], green += s[1], red += s[2];
    if (p.i <= last && p.j <= last) difference += Distance(s, painting.Row(top + p.j) + at);
  }
  sum = {blue, green, red};
  before = difference;
}

// One dab of the brush centred at (x, y) on the painting.
class Dab {
 public:
  Dab(const Bitmap24& source, Bitmap24& painting, const PastelBrush& brush, int x, int y)
      : source_(source), painting_(painting), brush_(brush), side_(brush.Side()), half_(side_ / 2),
        left_(x - half_), top_(y - half_), width_(source.Width()), height_(source.Height()) {}

  // The mean source colour under the brush's pigment on the picture (0 when none), and the summed
  // difference between source and painting there, over the brush's first 2·half columns and rows.
  // The outermost rows and columns count like the others: left out, a dab was judged without
  // them yet still painted them, so they were painted about half as often as the rest, stayed
  // close to the paper, and every odd-sized patch (which repeats its first row and column) carried
  // them one pixel inwards, as light streaks along the top and left edges.
  void Measure(std::array<int, 3>& mean, std::int64_t& before) const {
    std::array<std::int64_t, 3> sum{};
    std::int64_t count = 0;
    before = 0;
    const int last = 2 * half_ - 1;
    if (Inside()) {
      // Every brush pixel is on the picture.
      MeasureInside(brush_.Pixels(), source_, painting_, left_, top_, last, sum, before);
      count = static_cast<std::int64_t>(brush_.Pixels().size());
      for (int c = 0; c < 3; ++c) mean[c] = count == 0 ? 0 : static_cast<int>(sum[c] / count);
      return;
    }
    for (const BrushPixel& p : brush_.Pixels()) {
      const int px = left_ + p.i, py = top_ + p.j;
      if (!OnPicture(px, py)) continue;
      const std::uint8_t* s = source_.Row(py) + 3 * px;
      for (int c = 0; c < 3; ++c) sum[c] += s[c];
      ++count;
      if (p.i <= last && p.j <= last) before += Distance(s, painting_.Row(py) + 3 * px);
    }
    for (int c = 0; c < 3; ++c) mean[c] = count == 0 ? 0 : static_cast<int>(sum[c] / count);
  }

  // Summed difference between the source and the dabbed patch under the brush's pigment on the
  // picture; stops once it reaches `limit`.
  std::int64_t ErrorAfter(const std::array<int, 3>& mean, std::int64_t limit) const {
    std::int64_t error = 0;
    if (Inside()) {
      // Every brush pixel and every painting pixel its patch pixel comes from is on the picture.
      const int shift = side_ % 2;
      for (const BrushPixel& p : brush_.Pixels()) {
        const std::uint8_t* s = source_.Row(top_ + p.j) + 3 * static_cast<std::size_t>(left_ + p.i);
        const std::uint8_t* from = painting_.Row(top_ + p.j - (p.j > 0 ? shift : 0)) +
                                   3 * static_cast<std::size_t>(left_ + p.i - (p.i > 0 ? shift : 0));
        if (Tinted(p)) {
          for (int c = 0; c < 3; ++c) error += std::abs(s[c] - ((p.v * from[c] + mean[c] * (255 - p.v)) >> 8));
        } else {
          error += Distance(s, from);
        }
        if (error >= limit) return error;
      }
      return error;
    }
    for (const BrushPixel& p : brush_.Pixels()) {
      const int px = left_ + p.i, py = top_ + p.j;
      if (!OnPicture(px, py)) continue;
      std::uint8_t patch[3];
      PatchPixel(p, mean, patch);
      error += Distance(source_.Row(py) + 3 * px, patch);
      if (error >= limit) return error;
    }
    return error;
  }

  // Lays the patch onto the painting, its top-left corner at (x − half, y − half).
  void Lay(const std::array<int, 3>& mean) {
    Bitmap24 patch(side_, side_);
    for (int j = 0; j < side_; ++j) {
      const std::uint8_t* in = painting_.Row(PaintingRow(j));
      std::uint8_t* out = patch.Row(j);
      for (int i = 0; i < side_; ++i) {
        const std::uint8_t* from = in + 3 * PaintingColumn(i);
        out[3 * i] = from[0], out[3 * i + 1] = from[1], out[3 * i + 2] = from[2];
      }
    }
    for (const BrushPixel& p : brush_.Pixels()) {
      if (!Tinted(p)) continue;
      std::uint8_t* out = patch.Row(p.j) + 3 * p.i;
      for (int c = 0; c < 3; ++c) out[c] = static_cast<std::uint8_t>((p.v * out[c] + mean[c] * (255 - p.v)) >> 8);
    }
    DrawPicture(painting_, left_, top_, patch);
  }

 private:
  bool OnPicture(int px, int py) const { return px >= 0 && px < width_ && py >= 0 && py < height_; }
  // The brush's whole square, and so every pixel its patch is made from, lies on the picture.
  bool Inside() const { return left_ >= 0 && top_ >= 0 && left_ + side_ <= width_ && top_ + side_ <= height_; }

  // The patch is the painting's square from (x − half, y − half) to (x + half, y + half) stretched
  // onto side × side: for an odd side every patch pixel but the first of a row or column comes
  // from its upper-left neighbour. Positions past the painting take its nearest edge pixel.
  int PaintingColumn(int i) const { return std::clamp(left_ + i - (side_ % 2 == 1 && i > 0 ? 1 : 0), 0, width_ - 1); }
  int PaintingRow(int j) const { return std::clamp(top_ + j - (side_ % 2 == 1 && j > 0 ? 1 : 0), 0, height_ - 1); }
  bool Tinted(const BrushPixel& p) const { return p.i > 0 && p.i < side_ - 1 && p.j > 0 && p.j < side_ - 1; }

  void PatchPixel(const BrushPixel& p, const std::array<int, 3>& mean, std::uint8_t* out) const {
    const std::uint8_t* from = painting_.Row(PaintingRow(p.j)) + 3 * PaintingColumn(p.i);
    for (int c = 0; c < 3; ++c) {
      out[c] = Tinted(p) ? static_cast<std::uint8_t>((p.v * from[c] + mean[c] * (255 - p.v)) >> 8) : from[c];
    }
  }

  const Bitmap24& source_;
  Bitmap24& painting_;
  const PastelBrush& brush_;
  const int side_, half_, left_, top_, width_, height_;
};

// Darkens every pixel by its remaining difference from the source and the darkness of the edge
// stroke layer. The last row and column are darkened too: left as they were, they would show as a
// light line along the right and bottom edges.
void DarkenContours(const Bitmap24& source, const Bitmap24& edges, Bitmap24& painting, int edgeIntensity) {
  for (int y = 0; y < painting.Height(); ++y) {
    const std::uint8_t* src = source.Row(y);
    const std::uint8_t* edge = edges.Row(y);
    std::uint8_t* out = painting.Row(y);
    for (int x = 0; x < painting.Width(); ++x) {
      int total = 0;
      for (int c = 0; c < 3; ++c) {
        const int at = 3 * x + c;
        total += (std::abs(out[at] - src[at]) + 2 * (255 - edge[at])) / 3;
      }
      const int darkening = ((total / 3) * edgeIntensity) / 300;
      for (int c = 2; c >= 0; --c) out[3 * x + c] = static_cast<std::uint8_t>(std::clamp(out[3 * x + c] - darkening, 0, 255));
    }
  }
}

ParameterSet SlidersUsed(const ParameterSet& sliders, const PencilStrokesParameters& parameters) {
  ParameterSet used = sliders;
  used[kSlotTrackBar1] = parameters.minimumSize;
  return used;
}

}  // namespace

PencilStrokesParameters PencilStrokesParametersFrom(const ParameterSet& sliders) {
  auto slider = [&](int slot) { return ClampToSlider(kOilPastelEffectId, slot, sliders[slot]); };
  PencilStrokesParameters p{slider(kSlotTrackBar1), slider(kSlotTrackBar2), slider(kSlotTrackBar5),
                            slider(kSlotTrackBar3), slider(kSlotTrackBar4)};
  if (p.minimumSize >= p.maximumSize) p.minimumSize = p.maximumSize;
  return p;
}

void PencilStrokes(Bitmap24& source, Bitmap24& destination, const PencilStrokesParameters& parameters,
                   const Bitmap24& scribble, const StyleSettings& settings, const SurfaceSettings& surface,
                   RunContext& context) {
  LocalContrast(source, kSharpening, settings.sourceMean, &context);
  const int width = source.Width(), height = source.Height();
  const int minimum = std::min(parameters.minimumSize, parameters.maximumSize);
  const int maximum = parameters.maximumSize;
  const std::int64_t acceptanceFactor = (150 * parameters.precision) / 100 + 640;
  const int seedDifference = (255 - parameters.precision) / 10;
  const int firstSize = maximum + 6;
  int s = firstSize;

  std::int64_t attempts = (static_cast<std::int64_t>(width) * height / 2) * parameters.iterations;
  attempts = (attempts / ((maximum - minimum) / 100 + 1)) * 2;
  attempts = std::min(attempts, kAttemptCap);
  std::int64_t quota = attempts / (static_cast<std::int64_t>(s) * s);

  destination = Bitmap24(width, height, settings.paperColour);
  Bitmap24 edges(width, height, 0xFFFFFF);
  EdgeStrokes(source, edges, kEdgeThreshold, kEdgeFade, kEdgeLength, settings.preview, surface, context);
  if (source.Empty()) return;

  PastelBrush brush(s);
  brush.Stretch(scribble);
  std::int64_t j = 0;

  while (s >= minimum + 5) {
    ++j;
    if (context.AbortRequested) {
      context.ReportProgress(101, 100, 1, 1);
      return;
    }
    int x = 0, y = 0;
    bool found = false;
    for (int draw = 0; draw < kSeedDraws && !found; ++draw) {
      x = context.Random(width);
      y = context.Random(height);
      found = std::abs(source.Row(y)[3 * x + 2] - destination.Row(y)[3 * x + 2]) >= seedDifference;
    }
    // Nothing differs enough at this size: its quota is used up, and the dab goes on at the last
    // point drawn (where it will be refused unless the smaller brush finds something to do).
    if (!found) j = std::max(j, quota);

    if (j >= quota) {
      s = (90 * s) / 100;
      quota = attempts / (static_cast<std::int64_t>(s) * s);
      j = 0;
    }
    if (j % kDabsPerBrush == 0) {
      brush.Turn(scribble, s, context.Random(360));
      (void)context.CheckAbort();
      if (!settings.preview) context.ReportProgress(firstSize - s, firstSize - minimum, 2, 2);
    }

    Dab dab(source, destination, brush, x, y);
    std::array<int, 3> mean{};
    std::int64_t before = 0;
    dab.Measure(mean, before);
    const std::int64_t limit = (before >> 10) * acceptanceFactor;
    if (limit > 0 && dab.ErrorAfter(mean, limit) < limit) dab.Lay(mean);

    if (j % kDabsPerPump == 0) {
      if (settings.preview && j % kDabsPerPreviewShow == 0) context.ShowPreviewProgress(destination, -1);
      (void)context.CheckAbort();
    }
  }
  context.ReportProgress(firstSize, firstSize, 2, 2);

  DarkenContours(source, edges, destination, parameters.edgeIntensity);
  AdjustSaturation(destination, kSaturation, context);
  // As if the painting went on past its borders: the plain window would meet white padding at the
  // right and bottom and darken a band along those edges.
  LocalContrastOverRepeatedEdges(destination, kSharpening, settings.sourceMean, &context);
}

StyleOutput PreviewPencilStrokes(const Bitmap24& crop, const StyleSettings& settings, const SurfaceSettings& surface,
                                 RunContext& context) {
  const PencilStrokesParameters parameters = PencilStrokesParametersFrom(settings.sliders);
  Bitmap24 work = crop;
  StyleOutput output{.picture = crop, .sliders = SlidersUsed(settings.sliders, parameters)};
  PencilStrokes(work, output.picture, parameters, PastelScribble(), settings, surface, context);
  return output;
}

StyleOutput ProcessPencilStrokes(Bitmap24& source, Bitmap24& shown, const StyleSettings& settings,
                                 const SurfaceSettings& surface, RunContext& context) {
  const PencilStrokesParameters parameters = PencilStrokesParametersFrom(settings.sliders);
  PencilStrokes(source, shown, parameters, PastelScribble(), settings, surface, context);
  return {.picture = std::move(shown), .sliders = SlidersUsed(settings.sliders, parameters)};
}

}  // namespace atelion
