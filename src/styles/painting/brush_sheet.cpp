// Bristle-brush marks drawn by simulation: a mark is a bundle of single bristles gathered in
// clumps, each bristle a soft line of paint laid along the stroke with its own load, pressure and
// grain. Bristles touch down and lift one by one, so the ends of a mark are ragged; the outer
// bristles carry less paint and break up first, so its sides are soft; a clump shares its load,
// so the paint runs in streaks a few bristles wide, which survive when a style shrinks the mark
// to a small stamp. The paint of all bristles is gathered in an ink field (0 = bare paper,
// 1 = full paint) that is turned into dark paint on pure white.
#include "styles/painting/brush_sheet.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <optional>
#include <vector>

#include "core/run_context.h"
#include "imageio/resource_pictures.h"
#include "styles/painting/brush_drawing.h"

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

// 0 below `from`, 1 above `to`, a smooth step between.

// Paint gathered on a square of paper; the strongest paint at a point wins, so overlapping
// bristles darken no further than the darkest of them, as wet paint does.
class InkField {
 public:
  explicit InkField(int size) : size_(size), ink_(static_cast<std::size_t>(size) * size, 0.0) {}
  int Size() const { return size_; }
  double At(int x, int y) const { return ink_[static_cast<std::size_t>(y) * size_ + x]; }
  void Set(int x, int y, double value) { ink_[static_cast<std::size_t>(y) * size_ + x] = value; }

  // A round blot of paint of radius r centred at c: full strength in its inner half, fading
  // smoothly to nothing just past r, so a line of blots is a bristle line with a soft rim.
  void Dab(Vec c, double r, double strength) {
    const double inner = 0.45 * r - 0.25;
    const double outer = r + 0.75;
    const int x0 = std::max(0, static_cast<int>(std::floor(c.x - outer)));
    const int x1 = std::min(size_ - 1, static_cast<int>(std::ceil(c.x + outer)));
    const int y0 = std::max(0, static_cast<int>(std::floor(c.y - outer)));
    const int y1 = std::min(size_ - 1, static_cast<int>(std::ceil(c.y + outer)));
    for (int y = y0; y <= y1; ++y) {
      for (int x = x0; x <= x1; ++x) {
        const double coverage = 1.0 - SmoothStep(inner, outer, std::hypot(x - c.x, y - c.y));
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

// The tooth of the paper: smooth random heights in 0..1 over the cell, one knot every `spacing`
// pixels. A brush running dry leaves paint only on the high points, the same for all its
// bristles, which gives dry-brush marks their broken, grainy streaks.
class PaperTooth {
 public:
  PaperTooth(RandomGenerator& rng, int size, double spacing)
      : spacing_(spacing), knots_(static_cast<int>(size / spacing) + 3) {
    heights_.resize(static_cast<std::size_t>(knots_) * knots_);
    for (double& h : heights_) h = rng.Random();
  }
  double At(Vec p) const {
    const double u = std::clamp(p.x / spacing_, 0.0, knots_ - 1.001);
    const double v = std::clamp(p.y / spacing_, 0.0, knots_ - 1.001);
    const int i = static_cast<int>(u);
    const int j = static_cast<int>(v);
    const double fx = SmoothStep(0.0, 1.0, u - i);
    const double fy = SmoothStep(0.0, 1.0, v - j);
    const double top = Height(i, j) * (1 - fx) + Height(i + 1, j) * fx;
    const double bottom = Height(i, j + 1) * (1 - fx) + Height(i + 1, j + 1) * fx;
    return top * (1 - fy) + bottom * fy;
  }

 private:
  double Height(int i, int j) const { return heights_[static_cast<std::size_t>(j) * knots_ + i]; }
  double spacing_;
  int knots_;
  std::vector<double> heights_;
};

enum class Kind {
  Flat,     // broad stroke of a flat brush: blunt start, bristles lifting one by one at its end
  Filbert,  // stroke with a rounded, loaded start and a rounded, fraying end
  Round,    // short oval dab of a round brush
  Tapered,  // stroke that narrows to a point as the brush lifts
  Fan,      // bristles radiating from the ferrule of a fan brush
  Pressed,  // a round brush pressed down and lifted: a short, splayed blot with torn rims
};

// One mark. Sizes are in pixels of a 250-pixel cell; angle in degrees, counter-clockwise.
struct Recipe {
  Kind kind;
  double length;     // along the stroke (Fan: outer radius)
  double width;      // across the stroke (Fan: spread in degrees)
  double bend;       // sideways bow of the centre line, as a share of the length
  double angle;
  double load;       // share of the stroke before the bristles begin to run dry; > 1: never
  double dryness;    // share of the bristle line broken from the start
  double spacing;    // distance between neighbouring bristles
};

// The forty cells. Cells 0, 11 and 36 are the first brushes of the stroke styles (Painting 7
// starts with cell 0, Painting 8 stamps cells 11 and 36 in ten turns): full, well-loaded strokes
// lying along the cell's width. Every mark keeps at least ten pixels clear of the cell's edge, so
// none is cut straight by the border.
constexpr Recipe kRecipes[40] = {
    {Kind::Flat, 200, 70, 0.06, 0, 0.80, 0.02, 1.6},       // 0
    {Kind::Filbert, 186, 76, 0.08, 18, 0.85, 0.02, 1.5},   // 1
    {Kind::Round, 136, 104, 0.04, 10, 2.0, 0.01, 1.4},     // 2
    {Kind::Fan, 150, 78, 0.00, 0, 0.70, 0.08, 0},          // 3
    {Kind::Flat, 204, 66, 0.05, -8, 0.25, 0.26, 1.8},      // 4 dry brush
    {Kind::Tapered, 204, 62, 0.12, 24, 0.90, 0.03, 1.5},   // 5
    {Kind::Pressed, 150, 128, 0.00, 30, 0.9, 0.04, 1.6},   // 6
    {Kind::Flat, 166, 92, -0.06, 90, 0.70, 0.03, 1.7},     // 7
    {Kind::Filbert, 196, 58, 0.22, -20, 0.75, 0.03, 1.5},  // 8 comma
    {Kind::Round, 150, 90, 0.06, 40, 2.0, 0.02, 1.5},      // 9
    {Kind::Flat, 206, 52, 0.04, 45, 0.35, 0.30, 1.9},      // 10 dry brush
    {Kind::Filbert, 222, 64, 0.07, 0, 0.90, 0.02, 1.45},   // 11
    {Kind::Tapered, 196, 78, -0.10, -30, 0.75, 0.04, 1.6}, // 12
    {Kind::Fan, 160, 64, 0.00, 70, 0.55, 0.12, 0},         // 13
    {Kind::Flat, 184, 84, 0.12, 12, 0.60, 0.05, 1.8},      // 14
    {Kind::Pressed, 126, 110, 0.00, -50, 0.8, 0.06, 1.6},  // 15
    {Kind::Round, 124, 110, 0.05, 80, 0.65, 0.05, 1.6},    // 16
    {Kind::Filbert, 180, 66, -0.18, 60, 0.70, 0.04, 1.5},  // 17
    {Kind::Flat, 206, 46, 0.08, -40, 0.45, 0.20, 2.0},     // 18
    {Kind::Tapered, 206, 50, 0.20, 0, 0.80, 0.05, 1.5},    // 19
    {Kind::Flat, 160, 106, 0.04, 0, 0.85, 0.02, 1.5},      // 20
    {Kind::Fan, 140, 90, 0.00, -35, 0.80, 0.05, 0},        // 21
    {Kind::Filbert, 200, 70, 0.10, 100, 0.50, 0.10, 1.7},  // 22
    {Kind::Round, 144, 96, -0.05, -25, 0.50, 0.08, 1.6},   // 23
    {Kind::Flat, 200, 76, -0.12, 30, 0.30, 0.22, 1.8},     // 24 dry brush
    {Kind::Tapered, 190, 70, -0.25, 80, 0.85, 0.03, 1.5},  // 25
    {Kind::Pressed, 170, 140, 0.05, 75, 0.6, 0.10, 1.8},   // 26
    {Kind::Flat, 194, 62, 0.15, -15, 0.90, 0.02, 1.5},     // 27
    {Kind::Filbert, 170, 92, 0.04, 135, 0.80, 0.03, 1.5},  // 28
    {Kind::Round, 106, 84, 0.00, 60, 2.0, 0.02, 1.4},      // 29
    {Kind::Fan, 150, 100, 0.00, 180, 0.60, 0.10, 0},       // 30
    {Kind::Flat, 206, 88, 0.03, 0, 0.20, 0.32, 2.0},       // 31 dry brush
    {Kind::Tapered, 200, 88, 0.05, 150, 0.65, 0.06, 1.6},  // 32
    {Kind::Filbert, 206, 48, -0.08, -60, 0.85, 0.03, 1.4}, // 33
    {Kind::Flat, 176, 94, 0.06, -75, 0.65, 0.06, 1.7},     // 34
    {Kind::Round, 130, 116, 0.03, 20, 0.40, 0.12, 1.7},    // 35
    {Kind::Flat, 212, 66, -0.05, 0, 0.85, 0.02, 1.45},     // 36
    {Kind::Tapered, 184, 64, 0.30, -45, 0.80, 0.04, 1.5},  // 37
    {Kind::Pressed, 120, 100, 0.00, 0, 1.0, 0.03, 1.5},    // 38
    {Kind::Filbert, 196, 62, 0.00, 75, 0.40, 0.18, 2.0},   // 39
};

constexpr double kDegree = std::numbers::pi / 180.0;

// The centre line of a stroke with the direction across it at every step of 0.4 pixel.
struct Path {
  std::vector<Vec> centre;
  std::vector<Vec> normal;
  double length = 0;
  int Steps() const { return static_cast<int>(centre.size()) - 1; }
};

// A centre line of `length` pixels through `middle`, bowed sideways by `bend` of its length.
Path BowedPath(Vec middle, double length, double angle, double bend) {
  const Vec direction{std::cos(angle * kDegree), -std::sin(angle * kDegree)};
  const Vec side{-direction.y, direction.x};
  const Vec p0 = middle - direction * (0.5 * length) - side * (0.5 * bend * length);
  const Vec p2 = middle + direction * (0.5 * length) - side * (0.5 * bend * length);
  const Vec p1 = middle + side * (0.5 * bend * length);  // the bow's middle passes the centre
  const int steps = std::max(2, static_cast<int>(length / 0.4));
  Path path;
  path.length = length;
  path.centre.resize(steps + 1);
  path.normal.resize(steps + 1);
  for (int i = 0; i <= steps; ++i) {
    const double t = static_cast<double>(i) / steps;
    path.centre[i] = p0 * ((1 - t) * (1 - t)) + p1 * (2 * (1 - t) * t) + p2 * (t * t);
    const Vec tangent = (p1 - p0) * (2 * (1 - t)) + (p2 - p1) * (2 * t);
    const double norm = std::max(1e-9, Length(tangent));
    path.normal[i] = {-tangent.y / norm, tangent.x / norm};
  }
  return path;
}

// One bristle of a mark.
struct Bristle {
  double offset = 0;    // place across the stroke, −1..1
  double start = 0;     // share of the path where it touches down
  double end = 1;       // share of the path where it lifts
  double radius = 1;    // half the width of its line
  double strength = 1;  // paint it leaves where fully loaded
  double dryStart = 1;  // share of the path after which it runs dry
  double dryness = 0;   // share of its line broken from the start
  bool wet = true;      // wet paint also flows into the gaps around it
};

// Where along the path (0..1) a bristle at `offset` across the stroke (−1..1) touches down and
// lifts, before the ragged scatter: round and filbert brushes leave rounded ends, a flat brush a
// blunt start with rounded corners, and the outer bristles of a tapered brush lift first, so its
// tail comes to a point.
void BristleExtent(Kind kind, double offset, double length, double width, double& start, double& end) {
  const double rounding = 1.0 - std::sqrt(std::max(0.0, 1.0 - offset * offset));
  const double cap = std::min(0.45, 0.5 * width / length);
  switch (kind) {
    case Kind::Round:
    case Kind::Pressed:
      // A little rounder than an ellipse: the bristles that touch down first are few, so the
      // middle of each end reads as a bulge, not a straight edge.
      start = 0.5 * rounding + 0.08 * offset * offset;
      end = 1.0 - 0.5 * rounding - 0.08 * offset * offset;
      break;
    case Kind::Filbert:
      start = cap * rounding;
      end = 1.0 - 1.2 * cap * rounding;
      break;
    case Kind::Tapered:
      start = cap * rounding;
      end = 1.0 - 0.55 * std::pow(std::abs(offset), 1.4);
      break;
    default:
      start = 0.6 * cap * rounding;
      end = 1.0 - 0.5 * cap * rounding;
      break;
  }
}

// How deep into the stroke the bristles of a clump may lift early: flat brushes fray most.
double FrayDepth(Kind kind) {
  switch (kind) {
    case Kind::Flat: return 0.16;
    case Kind::Filbert: return 0.12;
    case Kind::Round: return 0.12;
    case Kind::Pressed: return 0.22;
    default: return 0.07;
  }
}

// How far the bristles lie from the centre line at a point of the stroke, as a share of half
// the width: the brush spreads a little under pressure once it has touched down, a tapered
// brush narrows as it lifts, a pressed dab bulges in the middle.
double Spread(Kind kind, double t) {
  const double touch = 0.9 + 0.1 * SmoothStep(0.0, 0.12, t);
  switch (kind) {
    case Kind::Flat: return touch * (1.0 - 0.12 * t);
    case Kind::Filbert: return touch * (1.0 - 0.08 * t);
    case Kind::Tapered: return touch * (1.0 - 0.35 * t * t);
    case Kind::Pressed: return 0.9 + 0.1 * std::sin(std::numbers::pi * t);
    default: return touch;
  }
}

// Lays one bristle along the path. `halfWidth` is the half width of the stroke at every step.
void LayBristle(InkField& ink, const PaperTooth& tooth, const Path& path, const std::vector<double>& halfWidth,
                const Bristle& b, double scale, RandomGenerator& rng) {
  const double length = path.length;
  // Where the brush runs dry a bristle skips over the tooth of the paper: long streaks with
  // shorter breaks.
  const Noise1D gaps(rng, length, scale * (8 + 16 * rng.Random()));
  const Noise1D grain(rng, length, scale * (2 + 3 * rng.Random()));
  const Noise1D wobble(rng, length, scale * 30);
  // The tip touches down over a few pixels and thins out over a longer run as it lifts, so the
  // ends of a bristle line are soft points rather than cut.
  const double touchRun = 8 * scale;
  const double liftRun = 18 * scale;
  const int steps = path.Steps();
  for (int i = 0; i <= steps; ++i) {
    const double t = static_cast<double>(i) / steps;
    if (t < b.start || t > b.end) continue;
    const double s = t * length;
    const double dry = t > b.dryStart ? (t - b.dryStart) / std::max(1e-6, 1.0 - b.dryStart) : 0.0;
    const double across = b.offset * halfWidth[i] + (wobble.At(s) - 0.5) * 1.6 * scale;
    const Vec at = path.centre[i] + path.normal[i] * across;
    // Paint catches where the bristle's own gaps and the paper's tooth are high enough for
    // how dry it is, thinning out softly at the rim of each skip.
    const double need = b.dryness + 0.85 * dry;
    const double catches = SmoothStep(need - 0.06, need + 0.06, 0.55 * gaps.At(s) + 0.45 * tooth.At(at));
    if (catches <= 0) continue;
    const double touch = 0.35 + 0.65 * SmoothStep(0.0, touchRun, (t - b.start) * length);
    const double lift = SmoothStep(0.0, liftRun, (b.end - t) * length);
    const double paint =
        b.strength * (0.85 + 0.15 * grain.At(s)) * (1.0 - 0.45 * dry) * touch * (0.15 + 0.85 * lift) * catches;
    const double radius = b.radius * (0.5 + 0.5 * lift);
    if (b.wet && dry < 0.3) ink.Dab(at, 2.4 * radius, paint * (0.72 - dry));
    ink.Dab(at, radius, paint);
  }
}

// A stroke of a flat, filbert, round, tapered or pressed brush along a gently bowed centre line.
void LayStroke(InkField& ink, const PaperTooth& tooth, const Recipe& r, double scale, RandomGenerator& rng) {
  const double half = 0.5 * (ink.Size() - 1);
  const double length = r.length * scale;
  const Path path = BowedPath({half, half}, length, r.angle, r.bend);

  // The sides of the stroke wander a little as the pressure changes.
  const Noise1D pressure(rng, length, 50 * scale);
  std::vector<double> halfWidth(path.centre.size());
  for (int i = 0; i <= path.Steps(); ++i) {
    const double t = static_cast<double>(i) / path.Steps();
    halfWidth[i] = 0.5 * r.width * scale * Spread(r.kind, t) * (0.86 + 0.28 * pressure.At(t * length));
  }

  // Bristles cling together in clumps about twelve pixels wide that share their load and lift
  // together: the coarse streaks of the mark and the fingers at its end.
  struct Clump {
    double load, dryShift, fray, touch;
  };
  const int clumpCount = std::max(3, static_cast<int>(std::lround(r.width / 12)));
  std::vector<Clump> clumps(clumpCount);
  for (Clump& c : clumps) {
    c.load = 0.6 + 0.4 * std::pow(rng.Random(), 0.7);
    c.dryShift = 0.3 * (rng.Random() - 0.5);
    c.fray = std::pow(rng.Random(), 1.4);
    c.touch = rng.Random();
  }
  // The best-loaded clump carries full paint.
  double heaviest = 0;
  for (const Clump& c : clumps) heaviest = std::max(heaviest, c.load);
  for (Clump& c : clumps) c.load /= heaviest;

  // The brush seldom lands square to the stroke: one side touches down first, and the edge
  // where it lands is wavy rather than straight.
  const bool flat = r.kind == Kind::Flat;
  const double tilt = (flat ? 0.08 : 0.02) * (rng.Random() - 0.5);
  const Noise1D landing(rng, 2.0, 0.4);
  const double wave = flat ? 0.07 : 0.035;
  const int bristles = std::max(3, static_cast<int>(r.width / r.spacing));
  for (int n = 0; n < bristles; ++n) {
    const double place = std::clamp((n + 0.5 + 0.7 * (rng.Random() - 0.5)) / bristles, 0.0, 1.0);
    const Clump& clump = clumps[std::min(clumpCount - 1, static_cast<int>(place * clumpCount))];
    Bristle b;
    b.offset = 2.0 * place - 1.0;
    // The outer bristles carry less paint, draw thinner lines and break up sooner: soft sides.
    const double rim = SmoothStep(0.55, 1.0, std::abs(b.offset));
    BristleExtent(r.kind, b.offset, r.length, r.width, b.start, b.end);
    b.start += wave * landing.At(b.offset + 1.0) + 0.025 * clump.touch + 0.02 * rng.Random() + tilt * (b.offset + 1.0);
    b.end -= FrayDepth(r.kind) * (0.65 * clump.fray + 0.35 * rng.Random()) + 0.05 * rim * rng.Random();
    b.radius = scale * (0.7 + 0.6 * rng.Random()) * (1.0 - 0.3 * rim);
    b.strength = (0.82 + 0.18 * rng.Random()) * clump.load * (1.0 - 0.4 * rim);
    if (rng.Random() < 0.12) b.strength *= 0.55;  // a bristle that carries little paint
    b.dryStart = r.load * (0.75 + 0.5 * rng.Random()) + clump.dryShift;
    b.dryness = r.dryness + 0.35 * SmoothStep(0.6, 1.0, std::abs(b.offset));
    b.wet = r.dryness < 0.2;
    LayBristle(ink, tooth, path, halfWidth, b, scale, rng);
  }
}

// A fan brush: long, separate bristles fanning out from the ferrule, which lies below the
// cell's centre; `width` is the spread of the fan in degrees.
void LayFan(InkField& ink, const PaperTooth& tooth, const Recipe& r, double scale, RandomGenerator& rng) {
  const double half = 0.5 * (ink.Size() - 1);
  const double turn = r.angle * kDegree;
  const auto place = [&](Vec p) {  // turns a point about the cell's centre
    const Vec d = p - Vec{half, half};
    return Vec{half + d.x * std::cos(turn) + d.y * std::sin(turn), half - d.x * std::sin(turn) + d.y * std::cos(turn)};
  };
  const Vec ferrule{half, half + 0.62 * r.length * scale};
  const int bristles = 56;
  for (int n = 0; n < bristles; ++n) {
    const double a = (((n + 0.5 + 0.8 * (rng.Random() - 0.5)) / bristles) - 0.5) * r.width * kDegree;
    const double inner = scale * (0.38 * r.length + 14 * rng.Random());
    const double outer = scale * (r.length * (0.9 + 0.1 * rng.Random()) - 12 * std::abs(a));
    const double curl = (rng.Random() - 0.5) * 0.15;
    const int steps = std::max(2, static_cast<int>((outer - inner) / 0.4));
    Path path;
    path.length = outer - inner;
    path.centre.resize(steps + 1);
    path.normal.assign(steps + 1, Vec{0, 0});
    for (int i = 0; i <= steps; ++i) {
      const double t = static_cast<double>(i) / steps;
      const double angle = a + curl * t * t;
      const Vec ray{std::sin(angle), -std::cos(angle)};
      path.centre[i] = place(ferrule + ray * (inner + t * (outer - inner)));
    }
    Bristle b;
    b.end = 1.0 - 0.08 * rng.Random();
    b.radius = 1.25 * scale * (0.7 + 0.6 * rng.Random());
    b.strength = 0.6 + 0.35 * rng.Random();
    b.dryStart = r.load * (0.75 + 0.5 * rng.Random());
    b.dryness = r.dryness;
    b.wet = false;
    LayBristle(ink, tooth, path, std::vector<double>(path.centre.size(), 0.0), b, scale, rng);
  }
}

void LayMark(InkField& ink, const Recipe& r, double scale, RandomGenerator& rng) {
  const PaperTooth tooth(rng, ink.Size(), 4.0 * scale);
  if (r.kind == Kind::Fan) {
    LayFan(ink, tooth, r, scale, rng);
  } else {
    LayStroke(ink, tooth, r, scale, rng);
  }
}

// Dark, slightly warm paint; bare paper stays exactly white in every channel. The faintest
// haze around the bristle rims is dropped, so the ground outside a mark is pure white.
void PaintInto(const InkField& ink, Bitmap24& picture, int left, int top) {
  constexpr int kDepth[3] = {232, 236, 238};  // blue, green, red: how dark full paint gets
  constexpr double kHaze = 0.02;
  for (int y = 0; y < ink.Size(); ++y) {
    std::uint8_t* row = picture.Row(top + y);
    for (int x = 0; x < ink.Size(); ++x) {
      const double value = std::clamp((ink.At(x, y) - kHaze) / (1.0 - kHaze), 0.0, 1.0);
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
  const Recipe dab{Kind::Round, 216, 196, 0.0, 0, 2.0, 0.02, 2.0};
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
