// Flat brush strokes. Across its width a stroke is a bundle of bristles, each with its own paint
// load, its own shade and its own point where it runs dry; along its length the stroke starts
// with a rounded, fully loaded head, keeps a slightly wavy edge and ends in a dry-brush tail where
// the bristles break up one after the other.
#include "styles/painting/stroke_brushes.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <mutex>
#include <optional>
#include <vector>

#include "imageio/resource_pictures.h"
#include "styles/painting/brush_drawing.h"

namespace atelion {

namespace {



// Values at evenly spaced knots, read with smooth interpolation between them.
class SmoothNoise {
 public:
  SmoothNoise(BristleRandom& random, int knots) : values_(static_cast<std::size_t>(knots) + 2) {
    for (double& v : values_) v = random.Next();
  }
  // t in [0, 1].
  double At(double t) const {
    const double position = std::clamp(t, 0.0, 1.0) * static_cast<double>(values_.size() - 2);
    const auto i = static_cast<std::size_t>(position);
    const double f = position - static_cast<double>(i);
    const double s = f * f * (3 - 2 * f);
    return values_[i] * (1 - s) + values_[i + 1] * s;
  }

 private:
  std::vector<double> values_;
};

struct Bristle {
  double load;     // paint it carries, 0.55..1
  double shade;    // how much lighter its streak is, 0..1
  double dryFrom;  // where along the stroke it starts to run dry
  double dryTo;    // where it has no paint left
};

// Per variant: how dry the tail is, how wavy the edges are, how wide the head is rounded.
struct BrushShape {
  std::uint32_t seed;
  double dryStart;  // earliest point of running dry
  double wave;      // amplitude of the edge waviness, fraction of the half width
  double head;      // length of the rounded head, fraction of the length
};
constexpr std::array<BrushShape, kStrokeBrushCount> kShapes = {{
    {0x51A7E001u, 0.62, 0.06, 0.10},
    {0x51A7E002u, 0.70, 0.04, 0.06},
    {0x51A7E003u, 0.55, 0.08, 0.08},
    {0x51A7E004u, 0.66, 0.05, 0.12},
}};

}  // namespace

Bitmap32 GenerateStrokeBrush(int variant) {
  const int index = ((variant % kStrokeBrushCount) + kStrokeBrushCount) % kStrokeBrushCount;
  const StrokeBrushInfo& info = kStrokeBrushes[static_cast<std::size_t>(index)];
  const BrushShape& shape = kShapes[static_cast<std::size_t>(index)];
  const int width = info.width, height = info.height;
  BristleRandom random(shape.seed);

  const int bristleCount = std::max(8, height / 3);
  std::vector<Bristle> bristles(static_cast<std::size_t>(bristleCount) + 1);
  for (Bristle& b : bristles) {
    b.load = 0.55 + 0.45 * random.Next();
    b.shade = random.Next();
    b.shade *= b.shade;
    b.dryFrom = shape.dryStart + (0.95 - shape.dryStart) * random.Next();
    b.dryTo = std::min(1.02, b.dryFrom + 0.08 + 0.2 * random.Next());
  }
  const SmoothNoise upperEdge(random, 9), lowerEdge(random, 11), load(random, 6);
  // Where each row of hair starts: the head is round, but not a perfect arc.
  const SmoothNoise headStart(random, std::max(4, height / 10));
  // Fine hairs: one value per row, constant along the stroke, so they draw long thin streaks.
  std::vector<double> hair(static_cast<std::size_t>(height));
  for (double& h : hair) h = random.Next();
  // Grain along each bristle, where the dry brush skips over the paper: smooth along the
  // stroke over a few pixels, so that the broken paint forms streaks rather than dots.
  constexpr int kGrainStep = 7;
  const int grainKnots = width / kGrainStep + 3;
  std::vector<double> grain(static_cast<std::size_t>(bristleCount + 1) * static_cast<std::size_t>(grainKnots));
  for (double& g : grain) g = random.Next();
  const auto grainAt = [&](int bristle, int x) {
    const double position = static_cast<double>(x) / kGrainStep;
    const int i = static_cast<int>(position);
    const double t = position - i;
    const double s = t * t * (3 - 2 * t);
    const double* knots = grain.data() + static_cast<std::size_t>(bristle) * static_cast<std::size_t>(grainKnots);
    return knots[i] * (1 - s) + knots[i + 1] * s;
  };

  Bitmap32 picture(width, height, 0);
  const double cy = (height - 1) / 2.0;
  for (int y = 0; y < height; ++y) {
    std::uint8_t* row = picture.Row(y);
    const double v = (y - cy) / (height / 2.0);  // −1 at the top, 1 at the bottom
    const double across = (v + 1) / 2 * bristleCount;
    const int b0 = std::clamp(static_cast<int>(across), 0, bristleCount);
    const int b1 = std::min(b0 + 1, bristleCount);
    const double bf0 = std::clamp(across - b0, 0.0, 1.0);
    const double bf = bf0 * bf0 * (3 - 2 * bf0);
    const Bristle& p = bristles[static_cast<std::size_t>(b0)];
    const Bristle& q = bristles[static_cast<std::size_t>(b1)];
    const double bristleLoad = p.load * (1 - bf) + q.load * bf;
    const double bristleShade = p.shade * (1 - bf) + q.shade * bf;
    const double dryFrom = p.dryFrom * (1 - bf) + q.dryFrom * bf;
    const double dryTo = p.dryTo * (1 - bf) + q.dryTo * bf;
    const double hairValue = hair[static_cast<std::size_t>(y)];
    // The head: rows near the middle start first, the rows at the sides a little later.
    const double start = shape.head * (1.0 - std::sqrt(std::max(0.0, 1.0 - v * v))) +
                         0.025 * (headStart.At((v + 1) / 2) - 0.5);
    for (int x = 0; x < width; ++x) {
      const double u = static_cast<double>(x) / std::max(1, width - 1);
      // The stroke's outline: a slightly wavy edge, a tail a little narrower.
      const double taper = 1.0 - 0.18 * SmoothStep(0.6, 1.0, u);
      const double top = -(0.88 + shape.wave * (2 * upperEdge.At(u) - 1)) * taper;
      const double bottom = (0.88 + shape.wave * (2 * lowerEdge.At(u) - 1)) * taper;
      const double edgeSoftness = 0.05;
      const double inside = SmoothStep(top - edgeSoftness, top + edgeSoftness, v) *
                            (1.0 - SmoothStep(bottom - edgeSoftness, bottom + edgeSoftness, v)) *
                            SmoothStep(start - 0.012, start + 0.012, u);
      if (inside <= 0.0) {
        row[4 * x] = row[4 * x + 1] = row[4 * x + 2] = 255;
        continue;
      }
      // The dry tail: past dryFrom the bristle's paint breaks up against the grain, past dryTo
      // nothing is left.
      const double dryness = SmoothStep(dryFrom, dryTo, u);
      const double grainValue = grainAt(b0, x) * (1 - bf) + grainAt(b1, x) * bf;
      const double coverage = dryness <= 0.0 ? 1.0 : SmoothStep(dryness - 0.12, dryness + 0.12, grainValue);
      // The first pixels of the head are pressed hardest.
      const double press = 0.85 + 0.15 * (1.0 - SmoothStep(start, start + 0.2, u));
      const double density = inside * coverage * press * (0.62 + 0.38 * bristleLoad) * (0.88 + 0.12 * hairValue) *
                             (0.85 + 0.3 * load.At(u));
      const double alpha = std::clamp(density, 0.0, 1.0);
      // Darkness of the colour bytes: the paint ridges of lighter bristles, single hairs and the
      // thin tail show as lighter bytes, which the tint turns into a darker shade of the colour.
      const double light = 14.0 + 40.0 * bristleShade + 16.0 * hairValue * hairValue + 40.0 * dryness;
      const auto grey = static_cast<std::uint8_t>(std::clamp(std::lround(light), 0L, 255L));
      const auto a = static_cast<std::uint8_t>(std::clamp(std::lround(alpha * 255.0), 0L, 255L));
      // Fully transparent pixels are stored light, as the brush's ground.
      row[4 * x] = row[4 * x + 1] = row[4 * x + 2] = a == 0 ? 255 : grey;
      row[4 * x + 3] = a;
    }
  }
  return picture;
}

Bitmap24 StrokeBrushColour(int variant) {
  const Bitmap32 picture = GenerateStrokeBrush(variant);
  Bitmap24 colour(picture.Width(), picture.Height());
  for (int y = 0; y < picture.Height(); ++y) {
    const std::uint8_t* in = picture.Row(y);
    std::uint8_t* out = colour.Row(y);
    for (int x = 0; x < picture.Width(); ++x) {
      for (int c = 0; c < 3; ++c) out[3 * x + c] = in[4 * x + c];
    }
  }
  return colour;
}

Bitmap24 StrokeBrushMatte(int variant) {
  return TransparentMatte(GenerateStrokeBrush(variant));
}

const Bitmap32& ShippedStrokeBrush(int variant) {
  static std::array<std::once_flag, kStrokeBrushCount> once;
  static std::array<Bitmap32, kStrokeBrushCount> brushes;
  const int index = ((variant % kStrokeBrushCount) + kStrokeBrushCount) % kStrokeBrushCount;
  const auto at = static_cast<std::size_t>(index);
  std::call_once(once[at], [&] {
    const StrokeBrushInfo& info = kStrokeBrushes[at];
    std::optional<Bitmap32> read =
        ReadTransparentResourcePicture(info.colourPath, info.mattePath, info.width, info.height);
    brushes[at] = read ? std::move(*read) : GenerateStrokeBrush(index);
  });
  return brushes[at];
}

}  // namespace atelion
