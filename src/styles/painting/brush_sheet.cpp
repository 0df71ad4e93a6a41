// Bristle-brush marks drawn by simulation: a mark is a bundle of single bristles, each a thin
// line of paint laid along the stroke with its own load, pressure and grain; where a bristle
// runs dry its line breaks up into streaks. The paint of all bristles is gathered in an ink
// field (0 = bare paper, 1 = full paint) that is turned into dark paint on pure white.
#include "styles/painting/brush_sheet.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <optional>
#include <vector>

#include "core/run_context.h"
#include "imageio/resource_pictures.h"

namespace atelion {

namespace {

struct Vec {
  double x = 0;
  double y = 0;
};
Vec operator+(Vec a, Vec b) { return {a.x + b.x, a.y + b.y}; }
Vec operator-(Vec a, Vec b) { return {a.x - b.x, a.y - b.y}; }
Vec operator*(Vec a, double k) { return {a.x * k, a.y * k}; }
double Length(Vec a) { return std::hypot(a.x, a.y); }

// Paint gathered on a square of paper; the strongest paint at a point wins, so overlapping
// bristles darken no further than the darkest of them, as wet paint does.
class InkField {
 public:
  explicit InkField(int size) : size_(size), ink_(static_cast<std::size_t>(size) * size, 0.0) {}
  int Size() const { return size_; }
  double At(int x, int y) const { return ink_[static_cast<std::size_t>(y) * size_ + x]; }
  void Set(int x, int y, double value) { ink_[static_cast<std::size_t>(y) * size_ + x] = value; }

  // A round blot of paint of radius r centred at c with antialiased rim.
  void Dab(Vec c, double r, double strength) {
    const int x0 = std::max(0, static_cast<int>(std::floor(c.x - r - 1)));
    const int x1 = std::min(size_ - 1, static_cast<int>(std::ceil(c.x + r + 1)));
    const int y0 = std::max(0, static_cast<int>(std::floor(c.y - r - 1)));
    const int y1 = std::min(size_ - 1, static_cast<int>(std::ceil(c.y + r + 1)));
    for (int y = y0; y <= y1; ++y) {
      for (int x = x0; x <= x1; ++x) {
        const double coverage = std::clamp(r + 0.5 - std::hypot(x - c.x, y - c.y), 0.0, 1.0);
        double& cell = ink_[static_cast<std::size_t>(y) * size_ + x];
        cell = std::max(cell, strength * coverage);
      }
    }
  }

  // Paper within `margin` pixels of the border stays bare, so neighbouring cells never touch.
  void ClearBorder(int margin) {
    for (int y = 0; y < size_; ++y) {
      for (int x = 0; x < size_; ++x) {
        if (x < margin || y < margin || x >= size_ - margin || y >= size_ - margin) {
          ink_[static_cast<std::size_t>(y) * size_ + x] = 0.0;
        }
      }
    }
  }

 private:
  int size_;
  std::vector<double> ink_;
};

// Smooth random values in 0..1 along a line, one knot every `spacing` pixels.
class Noise1D {
 public:
  Noise1D(RandomGenerator& rng, double length, double spacing) : spacing_(spacing) {
    const int knots = static_cast<int>(length / spacing) + 3;
    knots_.resize(knots);
    for (double& k : knots_) k = rng.Random();
  }
  double At(double s) const {
    const double u = std::max(0.0, s) / spacing_;
    const int i = std::min(static_cast<int>(u), static_cast<int>(knots_.size()) - 2);
    const double f = std::min(1.0, u - i);
    const double w = f * f * (3 - 2 * f);
    return knots_[i] * (1 - w) + knots_[i + 1] * w;
  }

 private:
  double spacing_;
  std::vector<double> knots_;
};

enum class Kind {
  Flat,     // square-ended stroke of a flat brush, bristles spreading a little as it goes
  Filbert,  // stroke with rounded ends
  Round,    // short oval dab
  Tapered,  // stroke that narrows to a point as the brush lifts
  Fan,      // bristles radiating from the ferrule of a fan brush
  Stipple,  // tips of a round brush pressed straight down
};

// One mark. Sizes are in pixels of a 250-pixel cell; angle in degrees, counter-clockwise.
struct Recipe {
  Kind kind;
  double length;     // along the stroke (Fan: outer radius; Stipple: diameter)
  double width;      // across the stroke (Fan: spread in degrees)
  double bend;       // sideways bow of the centre line, as a share of the length
  double angle;
  double load;       // share of the stroke before the bristles begin to run dry; > 1: never
  double dryness;    // share of the bristle line broken from the start
  double spacing;    // distance between neighbouring bristles
};

// The forty cells. Cells 0, 11 and 36 are the first brushes of the stroke styles: full,
// well-loaded strokes lying along the cell's width.
constexpr Recipe kRecipes[40] = {
    {Kind::Flat, 196, 74, 0.05, 0, 0.80, 0.02, 1.6},       // 0
    {Kind::Filbert, 186, 84, 0.00, 18, 0.85, 0.02, 1.5},   // 1
    {Kind::Round, 132, 118, 0.00, 0, 2.0, 0.01, 1.4},      // 2
    {Kind::Fan, 150, 78, 0.00, 0, 0.70, 0.08, 0},          // 3
    {Kind::Flat, 200, 70, 0.02, -8, 0.25, 0.30, 2.2},      // 4 dry brush
    {Kind::Tapered, 204, 62, 0.12, 24, 0.90, 0.03, 1.5},   // 5
    {Kind::Stipple, 170, 0, 0.00, 0, 1.0, 0.0, 0},         // 6
    {Kind::Flat, 160, 108, -0.04, 90, 0.70, 0.03, 1.7},    // 7
    {Kind::Filbert, 200, 58, 0.22, -20, 0.75, 0.03, 1.5},  // 8 comma
    {Kind::Round, 150, 96, 0.06, 40, 2.0, 0.02, 1.5},      // 9
    {Kind::Flat, 206, 52, 0.00, 45, 0.35, 0.38, 2.6},      // 10 dry brush
    {Kind::Filbert, 190, 88, 0.04, 0, 0.90, 0.02, 1.45},   // 11
    {Kind::Tapered, 196, 80, -0.10, -30, 0.75, 0.04, 1.6}, // 12
    {Kind::Fan, 160, 64, 0.00, 70, 0.55, 0.12, 0},         // 13
    {Kind::Flat, 180, 90, 0.10, 12, 0.60, 0.05, 1.8},      // 14
    {Kind::Stipple, 140, 0, 0.00, 0, 1.0, 0.0, 0},         // 15
    {Kind::Round, 116, 116, 0.00, 0, 0.65, 0.05, 1.6},     // 16
    {Kind::Filbert, 176, 70, -0.18, 60, 0.70, 0.04, 1.5},  // 17
    {Kind::Flat, 210, 46, 0.08, -40, 0.45, 0.20, 2.0},     // 18
    {Kind::Tapered, 210, 50, 0.20, 0, 0.80, 0.05, 1.5},    // 19
    {Kind::Flat, 150, 120, 0.00, 0, 0.85, 0.02, 1.5},      // 20
    {Kind::Fan, 140, 90, 0.00, -35, 0.80, 0.05, 0},        // 21
    {Kind::Filbert, 200, 76, 0.10, 100, 0.50, 0.10, 1.7},  // 22
    {Kind::Round, 140, 104, -0.05, -25, 0.50, 0.08, 1.6},  // 23
    {Kind::Flat, 200, 80, -0.12, 30, 0.30, 0.25, 2.4},     // 24 dry brush
    {Kind::Tapered, 190, 70, -0.25, 80, 0.85, 0.03, 1.5},  // 25
    {Kind::Stipple, 190, 0, 0.00, 0, 1.0, 0.0, 0},         // 26
    {Kind::Flat, 190, 64, 0.15, -15, 0.90, 0.02, 1.5},     // 27
    {Kind::Filbert, 160, 100, 0.00, 135, 0.80, 0.03, 1.5}, // 28
    {Kind::Round, 100, 88, 0.00, 60, 2.0, 0.02, 1.4},      // 29
    {Kind::Fan, 150, 100, 0.00, 180, 0.60, 0.10, 0},       // 30
    {Kind::Flat, 206, 96, 0.00, 0, 0.20, 0.40, 2.8},       // 31 dry brush
    {Kind::Tapered, 200, 92, 0.05, 150, 0.65, 0.06, 1.6},  // 32
    {Kind::Filbert, 206, 48, -0.08, -60, 0.85, 0.03, 1.4}, // 33
    {Kind::Flat, 170, 100, 0.06, -75, 0.65, 0.06, 1.7},    // 34
    {Kind::Round, 124, 124, 0.00, 0, 0.40, 0.12, 1.7},     // 35
    {Kind::Flat, 176, 80, 0.00, 0, 0.85, 0.02, 1.45},      // 36
    {Kind::Tapered, 180, 66, 0.30, -45, 0.80, 0.04, 1.5},  // 37
    {Kind::Stipple, 120, 0, 0.00, 0, 1.0, 0.0, 0},         // 38
    {Kind::Filbert, 196, 66, 0.00, 75, 0.40, 0.18, 2.0},   // 39
};

constexpr double kDegree = std::numbers::pi / 180.0;

// Where along a bristle (0..1 of the stroke) it touches the paper, given its place across the
// stroke (−1..1): round and filbert brushes leave rounded ends, flat ones square ends, and the
// outer bristles of a tapered brush lift first, so its tail comes to a point.
void BristleExtent(Kind kind, double offset, double length, double width, double& start, double& end) {
  const double rounding = 1.0 - std::sqrt(std::max(0.0, 1.0 - offset * offset));
  switch (kind) {
    case Kind::Round:
      start = 0.5 * rounding;
      end = 1.0 - 0.5 * rounding;
      break;
    case Kind::Filbert: {
      const double cap = std::min(0.45, 0.5 * width / length);
      start = cap * rounding;
      end = 1.0 - 1.3 * cap * rounding;
      break;
    }
    case Kind::Tapered: {
      const double cap = std::min(0.4, 0.45 * width / length);
      start = cap * rounding;
      end = 1.0 - 0.55 * std::pow(std::abs(offset), 1.5);
      break;
    }
    default:
      start = 0.0;
      end = 1.0;
      break;
  }
}

// How far the bristles lie from the centre line at a point of the stroke, as a share of half
// the width.
double Spread(Kind kind, double t) {
  switch (kind) {
    case Kind::Flat: return 1.0 + 0.08 * t;
    case Kind::Tapered: return 1.0 - 0.35 * t * t;
    default: return 1.0;
  }
}

// One bristle laid along the centre line: `offset` is its place across the stroke (−1..1).
void LayBristle(InkField& ink, const std::vector<Vec>& centre, const std::vector<Vec>& normal, const Recipe& r,
                double scale, double offset, RandomGenerator& rng) {
  const double radius = scale * (0.7 + 0.6 * rng.Random());
  double strength = 0.74 + 0.26 * rng.Random();
  if (rng.Random() < 0.12) strength *= 0.55;  // a bristle that carries little paint
  double start = 0;
  double end = 1;
  BristleExtent(r.kind, offset, r.length, r.width, start, end);
  start += 0.025 * rng.Random();  // ragged ends: bristles touch down and lift one by one
  end -= 0.04 * rng.Random();
  const double dryStart = r.load * (0.75 + 0.5 * rng.Random());
  const double length = r.length * scale;
  const Noise1D gaps(rng, length, scale * (5 + 12 * rng.Random()));
  const Noise1D grain(rng, length, scale * (2 + 3 * rng.Random()));
  const Noise1D wobble(rng, length, scale * 30);
  const double halfWidth = 0.5 * r.width * scale;
  const int steps = static_cast<int>(centre.size()) - 1;
  for (int i = 0; i <= steps; ++i) {
    const double t = static_cast<double>(i) / steps;
    if (t < start || t > end) continue;
    const double s = t * length;
    const double dry = t > dryStart ? (t - dryStart) / std::max(1e-6, 1.0 - dryStart) : 0.0;
    if (gaps.At(s) < r.dryness + 0.85 * dry) continue;
    const double across = offset * halfWidth * Spread(r.kind, t) + (wobble.At(s) - 0.5) * 1.6 * scale;
    const double paint = strength * (0.78 + 0.22 * grain.At(s)) * (1.0 - 0.45 * dry);
    const Vec at = centre[i] + normal[i] * across;
    // Where the brush is still wet, paint also flows between the bristles, lighter than
    // the bristle lines themselves.
    if (dry < 0.3 && r.dryness < 0.2) ink.Dab(at, 2.2 * radius, paint * (0.62 - dry));
    ink.Dab(at, radius, paint);
  }
}

// A stroke of a flat, filbert, round or tapered brush along a gently bowed centre line.
void LayStroke(InkField& ink, const Recipe& r, double scale, RandomGenerator& rng) {
  const double half = 0.5 * (ink.Size() - 1);
  const Vec middle{half, half};
  const Vec direction{std::cos(r.angle * kDegree), -std::sin(r.angle * kDegree)};
  const Vec side{-direction.y, direction.x};
  const double length = r.length * scale;
  const Vec p0 = middle - direction * (0.5 * length) - side * (0.5 * r.bend * length);
  const Vec p2 = middle + direction * (0.5 * length) - side * (0.5 * r.bend * length);
  const Vec p1 = middle + side * (0.5 * r.bend * length);  // the bow's middle passes the centre
  const int steps = std::max(2, static_cast<int>(length / 0.4));
  std::vector<Vec> centre(steps + 1);
  std::vector<Vec> normal(steps + 1);
  for (int i = 0; i <= steps; ++i) {
    const double t = static_cast<double>(i) / steps;
    centre[i] = p0 * ((1 - t) * (1 - t)) + p1 * (2 * (1 - t) * t) + p2 * (t * t);
    const Vec tangent = (p1 - p0) * (2 * (1 - t)) + (p2 - p1) * (2 * t);
    const double norm = std::max(1e-9, Length(tangent));
    normal[i] = {-tangent.y / norm, tangent.x / norm};
  }
  const int bristles = std::max(3, static_cast<int>(r.width / r.spacing));
  for (int b = 0; b < bristles; ++b) {
    const double place = (b + 0.5 + 0.7 * (rng.Random() - 0.5)) / bristles;
    LayBristle(ink, centre, normal, r, scale, 2.0 * place - 1.0, rng);
  }
}

// A fan brush: long, separate bristles fanning out from the ferrule, which lies below the
// cell's centre; `width` is the spread of the fan in degrees.
void LayFan(InkField& ink, const Recipe& r, double scale, RandomGenerator& rng) {
  const double half = 0.5 * (ink.Size() - 1);
  const double turn = r.angle * kDegree;
  const auto place = [&](Vec p) {  // turns a point about the cell's centre
    const Vec d = p - Vec{half, half};
    return Vec{half + d.x * std::cos(turn) + d.y * std::sin(turn), half - d.x * std::sin(turn) + d.y * std::cos(turn)};
  };
  const Vec ferrule{half, half + 0.62 * r.length * scale};
  const int bristles = 42;
  for (int b = 0; b < bristles; ++b) {
    const double a = (((b + 0.5 + 0.8 * (rng.Random() - 0.5)) / bristles) - 0.5) * r.width * kDegree;
    const double inner = scale * (0.38 * r.length + 14 * rng.Random());
    const double outer = scale * (r.length * (0.9 + 0.1 * rng.Random()) - 12 * std::abs(a));
    const double curl = (rng.Random() - 0.5) * 0.15;
    const int steps = std::max(2, static_cast<int>((outer - inner) / 0.4));
    std::vector<Vec> centre(steps + 1);
    std::vector<Vec> normal(steps + 1);
    for (int i = 0; i <= steps; ++i) {
      const double t = static_cast<double>(i) / steps;
      const double angle = a + curl * t * t;
      const Vec ray{std::sin(angle), -std::cos(angle)};
      centre[i] = place(ferrule + ray * (inner + t * (outer - inner)));
      normal[i] = {0, 0};
    }
    Recipe single = r;
    single.length = (outer - inner) / scale;
    LayBristle(ink, centre, normal, single, scale * 1.25, 0.0, rng);
  }
}

// A round brush pressed straight down: clusters of bristle tips, densest in the middle.
void LayStipple(InkField& ink, const Recipe& r, double scale, RandomGenerator& rng) {
  const double half = 0.5 * (ink.Size() - 1);
  const double radius = 0.5 * r.length * scale;
  const int clusters = static_cast<int>(radius * radius / 9);
  for (int k = 0; k < clusters; ++k) {
    const double distance = radius * std::pow(rng.Random(), 0.65);
    const double angle = 2 * std::numbers::pi * rng.Random();
    const Vec at{half + distance * std::cos(angle), half + distance * 0.9 * std::sin(angle)};
    const double edge = distance / radius;
    const double paint = (0.55 + 0.45 * rng.Random()) * (1.0 - 0.35 * edge * edge);
    const int tips = 1 + static_cast<int>(4 * rng.Random());
    for (int i = 0; i < tips; ++i) {
      const Vec tip = at + Vec{(rng.Random() - 0.5) * 4 * scale, (rng.Random() - 0.5) * 4 * scale};
      ink.Dab(tip, scale * (0.7 + 1.3 * rng.Random()), paint);
    }
  }
}

void LayMark(InkField& ink, const Recipe& r, double scale, RandomGenerator& rng) {
  switch (r.kind) {
    case Kind::Fan: LayFan(ink, r, scale, rng); break;
    case Kind::Stipple: LayStipple(ink, r, scale, rng); break;
    default: LayStroke(ink, r, scale, rng); break;
  }
}

// Dark, slightly warm paint; bare paper stays exactly white in every channel.
void PaintInto(const InkField& ink, Bitmap24& picture, int left, int top) {
  constexpr int kDepth[3] = {232, 236, 238};  // blue, green, red: how dark full paint gets
  for (int y = 0; y < ink.Size(); ++y) {
    std::uint8_t* row = picture.Row(top + y);
    for (int x = 0; x < ink.Size(); ++x) {
      const double value = std::clamp(ink.At(x, y), 0.0, 1.0);
      for (int c = 0; c < 3; ++c) {
        row[3 * (left + x) + c] = static_cast<std::uint8_t>(255 - static_cast<int>(std::lround(value * kDepth[c])));
      }
    }
  }
}

Bitmap24 LoadOrGenerate(const char* relativePath, Bitmap24 (*generate)(), int width, int height) {
  std::optional<Bitmap24> shipped = ReadResourcePicture(relativePath, width, height);
  return shipped ? std::move(*shipped) : generate();
}

}  // namespace

Bitmap24 GenerateBrushCell(int cell) {
  Bitmap24 picture(kBrushCellSize, kBrushCellSize, 0xFFFFFF);
  if (cell < 0 || cell >= kBrushSheetColumns * kBrushSheetRows) return picture;
  RandomGenerator rng;
  rng.RandomSeed = 7919u * static_cast<std::uint32_t>(cell + 1);
  InkField ink(kBrushCellSize);
  LayMark(ink, kRecipes[cell], 1.0, rng);
  ink.ClearBorder(3);
  PaintInto(ink, picture, 0, 0);
  return picture;
}

Bitmap24 GenerateBrushSheet() {
  Bitmap24 sheet(kBrushSheetWidth, kBrushSheetHeight, 0xFFFFFF);
  for (int cell = 0; cell < kBrushSheetColumns * kBrushSheetRows; ++cell) {
    const Bitmap24 picture = GenerateBrushCell(cell);
    const int left = (cell % kBrushSheetColumns) * kBrushCellSize;
    const int top = (cell / kBrushSheetColumns) * kBrushCellSize;
    for (int y = 0; y < kBrushCellSize; ++y) {
      std::copy_n(picture.Row(y), picture.RowBytes(), sheet.Row(top + y) + 3 * left);
    }
  }
  return sheet;
}

Bitmap24 GenerateCustomBrush() {
  // Drawn four times larger and averaged down, so the bristle streaks survive as soft grain
  // instead of vanishing below a pixel.
  constexpr int kFactor = 4;
  RandomGenerator rng;
  rng.RandomSeed = 64;
  InkField ink(kCustomBrushSize * kFactor);
  const Recipe dab{Kind::Round, 224, 212, 0.0, 0, 2.0, 0.02, 2.0};
  LayMark(ink, dab, static_cast<double>(kCustomBrushSize * kFactor) / kBrushCellSize, rng);
  InkField small(kCustomBrushSize);
  for (int y = 0; y < kCustomBrushSize; ++y) {
    for (int x = 0; x < kCustomBrushSize; ++x) {
      double sum = 0;
      for (int j = 0; j < kFactor; ++j) {
        for (int i = 0; i < kFactor; ++i) sum += ink.At(kFactor * x + i, kFactor * y + j);
      }
      small.Set(x, y, sum / (kFactor * kFactor));
    }
  }
  small.ClearBorder(1);
  Bitmap24 picture(kCustomBrushSize, kCustomBrushSize, 0xFFFFFF);
  PaintInto(small, picture, 0, 0);
  return picture;
}

// Both loaders rely on the thread-safe initialisation of function-local statics.
const Bitmap24& BrushSheet() {
  static const Bitmap24 sheet =
      LoadOrGenerate("brushes/brush_sheet.png", GenerateBrushSheet, kBrushSheetWidth, kBrushSheetHeight);
  return sheet;
}

const Bitmap24& DefaultCustomBrush() {
  static const Bitmap24 brush =
      LoadOrGenerate("brushes/custom_brush.png", GenerateCustomBrush, kCustomBrushSize, kCustomBrushSize);
  return brush;
}

}  // namespace atelion
