// Pencil sketch 4. Each attempt picks a random pixel and measures its gradient on the channel
// means. Strong gradients get a stroke turned along the edge, sized by the gradient; elsewhere a
// short hatching stroke is laid with a chance that grows with darkness, at one of two fixed
// slants or, now and then, at a slant chosen by the red channel. A stroke is one of 360 turned
// copies of the stroke pictures, scaled to its size, and is blended into the paper with a tint
// between the pixel's grey and its colour.
#include "styles/sketch/pencil_sketch_4.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <mutex>
#include <vector>

#include "core/canvas.h"
#include "core/filters.h"
#include "core/geometry.h"
#include "core/rotate_bitmap.h"
#include "styles/sketch/pencil_stroke_pictures.h"

namespace atelion {

namespace {

constexpr int kTurns = 360;
constexpr int kSide = kPencilStrokeSide;
// Stamp pixels lighter than this in any channel are paper and never laid.
constexpr int kPaperLevel = 240;
// The stroke size shrinks by 5 % twenty times over a run, down to 10.
constexpr int kSizeSteps = 20;
constexpr int kSmallestShrinkingSize = 10;

// The 360 turned strokes. Each is built the first time a stroke needs it and kept for the rest
// of the program; nothing in them depends on the random generator, so the order in which they
// are built changes no picture.
Bitmap24 BuildTurnedStroke(int g) {
  RunContext quiet;  // the turn neither reports progress nor can be stopped
  const Bitmap24& picture = g % 3 == 0 ? PencilStroke2() : PencilStroke();
  Bitmap24 B(kSide, kSide);
  Resample(picture, B);
  Bitmap24 turned;
  RotateBitmap(B, turned, g, quiet);
  if (g % 2 == 0) BoxBlur3(turned);
  // Only the turn by 30 degrees enlarges the picture: its centre is kept.
  B.Fill(0xFFFFFF);
  DrawPicture(B, (kSide - turned.Width()) / 2, (kSide - turned.Height()) / 2, turned);
  return B;
}

struct TurnedStrokes {
  std::array<Bitmap24, kTurns> entries;
  std::array<std::once_flag, kTurns> built;
};

TurnedStrokes& Strokes() {
  static TurnedStrokes strokes;
  return strokes;
}

// The graphite pixels of one turned stroke scaled to z × z: their place in the stamp and colour.
struct StampPixel {
  std::int16_t x, y;
  std::uint8_t bgr[3];
};

// The graphite pixels of turn `turn` scaled to z × z, rows then columns.
std::vector<StampPixel> ScaleStamp(int turn, int z) {
  Bitmap24 scaled(z, z);
  Resample(TurnedPencilStroke(turn), scaled);
  std::vector<StampPixel> stamp;
  for (int sy = 0; sy < z; ++sy) {
    const std::uint8_t* row = scaled.Row(sy);
    for (int sx = 0; sx < z; ++sx) {
      const std::uint8_t* p = row + 3 * sx;
      if (p[0] > kPaperLevel || p[1] > kPaperLevel || p[2] > kPaperLevel) continue;
      stamp.push_back({static_cast<std::int16_t>(sx), static_cast<std::int16_t>(sy), {p[0], p[1], p[2]}});
    }
  }
  return stamp;
}

// Stamps up to this side, the hatching and most edge strokes, are scaled once per program run
// and kept (about 11 MB if every turn and size were used); larger ones are kept for one run.
constexpr int kLargestKeptSide = 64;

struct KeptStamps {
  std::array<std::vector<StampPixel>, kTurns * (kLargestKeptSide + 1)> stamps;
  std::array<std::once_flag, kTurns * (kLargestKeptSide + 1)> built;
};

const std::vector<StampPixel>& KeptStamp(int turn, int z) {
  static KeptStamps* const kept = new KeptStamps;  // kept until the program ends
  const std::size_t index = static_cast<std::size_t>(turn) * (kLargestKeptSide + 1) + z;
  std::call_once(kept->built[index], [&] { kept->stamps[index] = ScaleStamp(turn, z); });
  return kept->stamps[index];
}

// The stamps of one run: the kept ones, and the larger ones scaled on first use in the run.
class StampCache {
 public:
  explicit StampCache(int largestSide) : largest_(std::max(largestSide, kLargestKeptSide)) {}

  const std::vector<StampPixel>& Stamp(int turn, int z) {
    if (z <= kLargestKeptSide) return KeptStamp(turn, z);
    if (large_.empty()) {
      large_.resize(static_cast<std::size_t>(kTurns) * (largest_ + 1));
      built_.assign(large_.size(), false);
    }
    const std::size_t index = static_cast<std::size_t>(turn) * (largest_ + 1) + z;
    if (!built_[index]) {
      large_[index] = ScaleStamp(turn, z);
      built_[index] = true;
    }
    return large_[index];
  }

 private:
  int largest_;
  std::vector<std::vector<StampPixel>> large_;
  std::vector<bool> built_;
};

// One graphite pixel laid over the destination byte `d` with weights (W, W + 1).
template <int W>
inline std::uint8_t LaidPixel(int d, int L, int graphite, int tint) {
  const int value = (W * d + (L * d + (256 - L) * graphite) / 256) / (W + 1) + tint;
  return static_cast<std::uint8_t>(std::clamp(value, 0, 255));
}

// Lays a stamp of side z centred on (x, y) with weights (W, W + 1); `tint` in blue, green, red
// order. The destination's last row and column are never changed. The weight is a constant of
// each kind of stroke, so the division by W + 1 becomes a multiplication, and a stamp wholly
// inside (most of them) skips the test of every pixel.
template <int W>
void LayStamp(Bitmap24& destination, const std::vector<StampPixel>& stamp, int z, int x, int y, int L,
              const int tint[3]) {
  const int left = x - z / 2, top = y - z / 2;
  const int lastX = destination.Width() - 2, lastY = destination.Height() - 2;
  if (left >= 0 && top >= 0 && left + z - 1 <= lastX && top + z - 1 <= lastY) {
    // Every stamp pixel lies in its z × z square.
    for (const StampPixel& s : stamp) {
      std::uint8_t* D = destination.Row(top + s.y) + 3 * (left + s.x);
      for (int c = 0; c < 3; ++c) D[c] = LaidPixel<W>(D[c], L, s.bgr[c], tint[c]);
    }
    return;
  }
  for (const StampPixel& s : stamp) {
    const int px = left + s.x, py = top + s.y;
    if (px < 0 || px > lastX || py < 0 || py > lastY) continue;
    std::uint8_t* D = destination.Row(py) + 3 * px;
    for (int c = 0; c < 3; ++c) D[c] = LaidPixel<W>(D[c], L, s.bgr[c], tint[c]);
  }
}

// Shown progress i of `total`, both scaled down to fit the report's integers.
void ReportAttempt(RunContext& context, std::int64_t i, std::int64_t total) {
  while (total > INT_MAX) {
    total /= 2;
    i /= 2;
  }
  context.ReportProgress(static_cast<int>(i), static_cast<int>(total), 1, 1);
}

}  // namespace

const Bitmap24& TurnedPencilStroke(int degrees) {
  const int g = ((degrees % kTurns) + kTurns) % kTurns;
  TurnedStrokes& strokes = Strokes();
  const auto index = static_cast<std::size_t>(g);
  std::call_once(strokes.built[index], [&] { strokes.entries[index] = BuildTurnedStroke(g); });
  return strokes.entries[index];
}

NewPencilSketchParameters NewPencilSketchParametersFrom(const ParameterSet& sliders) {
  auto slider = [&](int slot) { return ClampToSlider(kPencilSketch4EffectId, slot, sliders[slot]); };
  return {.edgeThreshold = slider(kSlotTrackBar1),
          .iterations = slider(kSlotTrackBar2),
          .strokeLength = slider(kSlotTrackBar5),
          .abstraction = slider(kSlotTrackBar3),
          .colourIntensity = slider(kSlotTrackBar4)};
}

// Half the side of the destination square fetched ahead of a stroke: most strokes are that small.
constexpr int kFetchedHalfSide = 8;

void NewPencilSketch(const Bitmap24& source, Bitmap24& destination, int T, int N, int S, int A, int K, bool preview,
                     RunContext& context) {
  const int W = source.Width(), H = source.Height();
  destination.Fill(0xFFFFFF);
  if (preview) context.ShowPreviewProgress(destination, -1);
  RandomGenerator& rng = context.Rng;
  rng.RandomSeed = kStyleSeed;
  const std::int64_t reportTotal = (std::int64_t{W} * H / 200) * N;
  if (!preview) ReportAttempt(context, 0, reportTotal);

  // A stroke needs a pixel with neighbours on every side.
  if (W < 3 || H < 3 || destination.Width() != W || destination.Height() != H) {
    context.ReportProgress(101, 100, 1, 1);
    return;
  }

  S = std::clamp(S, 0, 100);
  N += S / 2;
  const std::int64_t count = (std::int64_t{W} * H / 200) * N;
  // Pictures with fewer than twenty attempts shrink the stroke at every attempt.
  const std::int64_t block = std::max<std::int64_t>(count / kSizeSteps, 1);
  StampCache stamps(std::max((S * 255) / 170 + S / 2 + 7, 7));

  for (std::int64_t i = 0; i <= count; ++i) {
    if (i % block == 0 && S > kSmallestShrinkingSize) S = (S * 95) / 100;
    const int x = rng.Random(W - 2) + 1;
    const int y = rng.Random(H - 2) + 1;
    // The stroke laid here, if any, changes the destination around (x, y): its rows are asked
    // for now, while the photograph around (x, y) is read and the stroke chosen.
    for (int row = std::max(y - kFetchedHalfSide, 0); row <= std::min(y + kFetchedHalfSide, H - 1); ++row) {
      const std::uint8_t* at = destination.Row(row) + 3 * std::max(x - kFetchedHalfSide, 0);
      __builtin_prefetch(at, 1);
      __builtin_prefetch(at + 3 * kFetchedHalfSide, 1);
      __builtin_prefetch(at + 6 * kFetchedHalfSide, 1);
    }
    const std::uint8_t* above = source.Row(y - 1);
    const std::uint8_t* here = source.Row(y);
    const std::uint8_t* below = source.Row(y + 1);
    auto m = [](const std::uint8_t* row, int column) {
      const std::uint8_t* p = row + 3 * column;
      return (p[0] + p[1] + p[2]) / 3;
    };
    auto d = [](const std::uint8_t* row, int column) {
      const std::uint8_t* p = row + 3 * column;
      return (2 * (p[0] + p[1] + p[2])) / 3;
    };
    const int u = m(above, x - 1) + d(here, x - 1) + m(below, x - 1) - m(above, x + 1) - d(here, x + 1) -
                  m(below, x + 1);
    const int v = m(above, x - 1) + d(above, x) + m(above, x + 1) - m(below, x - 1) - d(below, x) - m(below, x + 1);
    const int P = (std::abs(u) + std::abs(v)) / 8;
    const double alpha = u != 0 ? std::atan(static_cast<double>(v) / u) + 1.5708 : 0.0;
    const int r = rng.Random(2);
    const int q = static_cast<int>(std::floor(57 * alpha + r));
    const std::uint8_t* pixel = here + 3 * x;
    const int colour[3] = {pixel[0], pixel[1], pixel[2]};  // blue, green, red
    int L = (colour[0] + colour[1] + colour[2]) / 3;

    if (P >= T) {
      const int r2 = rng.Random(S);
      const int z = (S * P) / 170 + r2 / 2 + 7;
      int tint[3];
      for (int c = 0; c < 3; ++c) tint[c] = (((255 - K) * L + K * colour[c]) / 255 - 130) / 3;
      LayStamp<4>(destination, stamps.Stamp(q, z), z, x, y, L, tint);
    } else if (A < 255) {
      const int r1 = rng.Random(256 - L);
      const int r2 = rng.Random(8 * A);
      if (r1 >= r2) {
        L = (L * 108) / 100;
        const int z = rng.Random(S) + 7;
        int turn;
        if (rng.Random(100) < 15) {
          turn = rng.Random(5) + (colour[2] * 138) / 100;
        } else if (y % 5 == 0) {
          turn = 38 + rng.Random(2);
        } else {
          turn = 325 + rng.Random(2);
        }
        int tint[3];
        for (int c = 0; c < 3; ++c) tint[c] = (((255 - K) * L + K * colour[c]) / 255 - 115) / 4;
        LayStamp<5>(destination, stamps.Stamp(turn, z), z, x, y, L, tint);
      }
    }

    if (context.AbortRequested) {
      context.ReportProgress(101, 100, 1, 1);
      return;
    }
    if (rng.Random(1000) >= 998) {
      if (!preview) {
        if (i % 2 == 0) ReportAttempt(context, i, reportTotal);
      } else {
        context.ShowPreviewProgress(destination, -1);
      }
      context.CheckAbort();
    }
  }
  context.ReportProgress(101, 100, 1, 1);
  if (preview) context.ShowPreviewProgress(destination, -1);
}

StyleOutput ProcessNewPencilSketch(Bitmap24& source, Bitmap24&, const StyleSettings& settings,
                                   const SurfaceSettings&, RunContext& context) {
  const NewPencilSketchParameters p = NewPencilSketchParametersFrom(settings.sliders);
  StyleOutput output{.picture = Bitmap24(source.Width(), source.Height(), 0xFFFFFF), .sliders = settings.sliders};
  if (context.Progress != nullptr) context.Progress->WatchOutput(&output.picture);
  NewPencilSketch(source, output.picture, p.edgeThreshold, p.iterations + 1, p.strokeLength, p.abstraction,
                  p.colourIntensity, false, context);
  if (context.Progress != nullptr) context.Progress->WatchOutput(nullptr);
  return output;
}

StyleOutput PreviewNewPencilSketch(const Bitmap24& crop, const StyleSettings& settings, const SurfaceSettings&,
                                   RunContext& context) {
  const NewPencilSketchParameters p = NewPencilSketchParametersFrom(settings.sliders);
  StyleOutput output{.picture = Bitmap24(crop.Width(), crop.Height(), 0xFFFFFF), .sliders = settings.sliders};
  NewPencilSketch(crop, output.picture, p.edgeThreshold, p.iterations + 1, p.strokeLength, p.abstraction,
                  p.colourIntensity, true, context);
  return output;
}

}  // namespace atelion
