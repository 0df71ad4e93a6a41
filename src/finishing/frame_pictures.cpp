// Frame pictures drawn by a small moulding renderer. A frame is four mitred lengths of one
// profile: across each length the profile gives a height (lips, coves, ogees, beads and a
// dark sight edge), along it an ornament may repeat (pearls, rope, leaves, eggs, dentils).
// The height field is lit from the upper left; the lit surface is then given its finish —
// wood grain cut through growth rings, burnished gilding worn down to the red bole, or
// crackled paint with dark wax in the recesses.
#include "finishing/frame_pictures.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <mutex>
#include <optional>
#include <vector>

#include "imageio/resource_pictures.h"

namespace atelion {

FrameImage RealisticFrameImage(int number) {
  static constexpr FrameImage kByNumber[] = {FrameImage::Frame1,  FrameImage::Frame2,  FrameImage::Frame3,
                                             FrameImage::Frame4,  FrameImage::Frame5,  FrameImage::Frame6,
                                             FrameImage::Frame7,  FrameImage::Frame10, FrameImage::Frame11,
                                             FrameImage::Frame12, FrameImage::Frame13, FrameImage::Frame14};
  if (number < 1 || number > 12) return FrameImage::Frame1;
  return kByNumber[number - 1];
}

FrameImage ColoredFrameImage(int number) {
  static constexpr FrameImage kByNumber[] = {FrameImage::Frame1, FrameImage::Frame2, FrameImage::Frame8,
                                             FrameImage::Frame6, FrameImage::Frame7};
  if (number < 1 || number > 5) return FrameImage::Frame1;
  return kByNumber[number - 1];
}

namespace {

constexpr double kPi = 3.14159265358979323846;

// ---------------------------------------------------------------------------------------------
// Noise

double Lattice(int ix, int iy, std::uint32_t seed) {
  std::uint32_t h = static_cast<std::uint32_t>(ix) * 0x8da6b343u ^ static_cast<std::uint32_t>(iy) * 0xd8163841u ^
                    seed * 0xcb1ab31fu;
  h ^= h >> 13;
  h *= 0x5bd1e995u;
  h ^= h >> 15;
  return static_cast<double>(h & 0xFFFFFFu) * (1.0 / 16777216.0);
}

// Smooth value noise in 0..1.
double ValueNoise(double x, double y, std::uint32_t seed) {
  const double fx = std::floor(x);
  const double fy = std::floor(y);
  const int ix = static_cast<int>(fx);
  const int iy = static_cast<int>(fy);
  double u = x - fx;
  double v = y - fy;
  u = u * u * (3.0 - 2.0 * u);
  v = v * v * (3.0 - 2.0 * v);
  const double top = Lattice(ix, iy, seed) + (Lattice(ix + 1, iy, seed) - Lattice(ix, iy, seed)) * u;
  const double bottom = Lattice(ix, iy + 1, seed) + (Lattice(ix + 1, iy + 1, seed) - Lattice(ix, iy + 1, seed)) * u;
  return top + (bottom - top) * v;
}

// Fractal sum of value noise in 0..1; each octave doubles the frequency and halves the weight.
double Fractal(double x, double y, std::uint32_t seed, int octaves) {
  double sum = 0.0;
  double weight = 0.5;
  double total = 0.0;
  for (int octave = 0; octave < octaves; ++octave) {
    sum += weight * ValueNoise(x, y, seed + 101u * static_cast<std::uint32_t>(octave));
    total += weight;
    weight *= 0.5;
    x *= 2.03;
    y *= 2.03;
  }
  return sum / total;
}

double Clamp01(double value) { return std::clamp(value, 0.0, 1.0); }

double SmoothStep(double edge0, double edge1, double value) {
  const double t = Clamp01((value - edge0) / (edge1 - edge0));
  return t * t * (3.0 - 2.0 * t);
}

struct Rgb {
  double red = 0, green = 0, blue = 0;
};

Rgb ToRgb(Colour c) { return {double(RedOf(c)), double(GreenOf(c)), double(BlueOf(c))}; }
Rgb Mix(const Rgb& a, const Rgb& b, double t) {
  return {a.red + (b.red - a.red) * t, a.green + (b.green - a.green) * t, a.blue + (b.blue - a.blue) * t};
}
Rgb Scale(const Rgb& a, double k) { return {a.red * k, a.green * k, a.blue * k}; }
Rgb Add(const Rgb& a, const Rgb& b) { return {a.red + b.red, a.green + b.green, a.blue + b.blue}; }

// ---------------------------------------------------------------------------------------------
// Designs

enum class Shape {
  Slope,  // straight from h0 to h1
  Bead,   // half-round standing on the straight line
  Torus,  // flatter round
  Cove,   // concave: slow at first, steep at the end
  Ogee,   // S-curve from h0 to h1
  Reeds,  // several small parallel rounds
};

enum class Ornament { None, Pearls, Rope, Leaves, Eggs, Dentils };

enum class FinishKind { Wood, Gilt, Paint };

struct Finish {
  FinishKind kind = FinishKind::Wood;
  Colour dark = 0;   // wood: late rings; metal: shadow side; paint: dark wax
  Colour base = 0;   // body colour
  Colour light = 0;  // wood: early rings; metal: lit side; paint: colour showing through wear
  double gloss = 0.2;  // strength of the specular highlight
  double wear = 0.0;   // 0..1: how much of the finish is rubbed off the high edges
};

struct Band {
  double weight;
  Shape shape;
  double h0, h1, amplitude;
  int finish = 0;
  Ornament ornament = Ornament::None;
  double period = 1.0;  // ornament repeat, in band widths
  double relief = 0.0;  // ornament height, in moulding widths
};

struct Design {
  double widthFraction;  // moulding width as a share of the picture's shorter side
  std::vector<Band> bands;
  std::vector<Finish> finishes;
  std::uint32_t seed;
};

// Finishes shared by several designs.
const Finish kWalnut{FinishKind::Wood, MakeColour(40, 24, 13), MakeColour(98, 62, 36), MakeColour(150, 104, 62), 0.25, 0};
const Finish kOak{FinishKind::Wood, MakeColour(112, 78, 42), MakeColour(172, 132, 84), MakeColour(214, 178, 122), 0.15, 0};
const Finish kMahogany{FinishKind::Wood, MakeColour(50, 16, 9), MakeColour(118, 46, 26), MakeColour(168, 84, 50), 0.35, 0};
const Finish kCherry{FinishKind::Wood, MakeColour(78, 30, 14), MakeColour(152, 76, 42), MakeColour(198, 118, 72), 0.3, 0};
const Finish kEbony{FinishKind::Wood, MakeColour(10, 8, 7), MakeColour(32, 27, 24), MakeColour(66, 58, 50), 0.45, 0};
const Finish kGold{FinishKind::Gilt, MakeColour(72, 46, 16), MakeColour(184, 138, 54), MakeColour(242, 206, 112), 0.8, 0.25};
const Finish kPaleGold{FinishKind::Gilt, MakeColour(84, 62, 28), MakeColour(190, 160, 88), MakeColour(236, 216, 150), 0.7, 0.15};
const Finish kSilver{FinishKind::Gilt, MakeColour(58, 58, 58), MakeColour(140, 140, 134), MakeColour(212, 210, 198), 0.8, 0.1};
const Finish kSightEdge{FinishKind::Paint, MakeColour(10, 8, 6), MakeColour(28, 22, 17), MakeColour(40, 32, 24), 0.1, 0};
const Finish kSage{FinishKind::Paint, MakeColour(46, 40, 28), MakeColour(118, 136, 106), MakeColour(196, 184, 150), 0.1, 0.55};
const Finish kCream{FinishKind::Paint, MakeColour(70, 58, 40), MakeColour(214, 204, 174), MakeColour(120, 84, 52), 0.1, 0.45};
const Finish kBlackLacquer{FinishKind::Paint, MakeColour(8, 7, 6), MakeColour(26, 25, 24), MakeColour(110, 60, 34), 0.6, 0.2};
const Finish kRedLacquer{FinishKind::Paint, MakeColour(40, 12, 8), MakeColour(150, 32, 26), MakeColour(60, 28, 18), 0.45, 0.35};
const Finish kBlueGrey{FinishKind::Paint, MakeColour(34, 36, 40), MakeColour(88, 104, 118), MakeColour(196, 186, 160), 0.15, 0.5};
const Finish kLinen{FinishKind::Paint, MakeColour(92, 90, 74), MakeColour(156, 152, 128), MakeColour(176, 170, 146), 0.0, 0};

Design DesignFor(FrameImage image) {
  switch (image) {
    case FrameImage::Frame1:  // walnut with a gilt pearl bead
      return {0.17,
              {{0.05, Shape::Bead, 0.20, 0.22, 0.05},
               {0.06, Shape::Slope, 0.22, 0.27, 0},
               {0.24, Shape::Cove, 0.27, 0.10, 0},
               {0.27, Shape::Slope, 0.10, 0.13, 0},
               {0.09, Shape::Bead, 0.13, 0.14, 0.06, 1, Ornament::Pearls, 1.0, 0.03},
               {0.16, Shape::Ogee, 0.14, 0.05, 0},
               {0.05, Shape::Bead, 0.05, 0.05, 0.03, 1},
               {0.03, Shape::Slope, 0.05, 0.0, 0, 2}},
              {kWalnut, kGold, kSightEdge},
              11};
    case FrameImage::Frame2:  // carved gilt frame with acanthus leaves
      return {0.19,
              {{0.05, Shape::Bead, 0.18, 0.20, 0.05},
               {0.28, Shape::Torus, 0.20, 0.22, 0.12, 0, Ornament::Leaves, 0.9, 0.06},
               {0.14, Shape::Cove, 0.22, 0.08, 0},
               {0.08, Shape::Bead, 0.08, 0.09, 0.05, 0, Ornament::Pearls, 1.0, 0.03},
               {0.20, Shape::Slope, 0.09, 0.11, 0},
               {0.12, Shape::Bead, 0.11, 0.06, 0.05, 0, Ornament::Rope, 1.6, 0.03},
               {0.03, Shape::Slope, 0.06, 0.0, 0, 1}},
              {kGold, kSightEdge},
              22};
    case FrameImage::Frame3:  // painted sage green, worn and waxed
      return {0.15,
              {{0.08, Shape::Bead, 0.16, 0.18, 0.05},
               {0.30, Shape::Ogee, 0.18, 0.08, 0},
               {0.30, Shape::Slope, 0.08, 0.10, 0},
               {0.10, Shape::Reeds, 0.10, 0.10, 0.03},
               {0.18, Shape::Cove, 0.10, 0.04, 0},
               {0.04, Shape::Slope, 0.04, 0.0, 0, 1}},
              {kSage, kSightEdge},
              33};
    case FrameImage::Frame4:  // plain light oak with a bevelled inner edge
      return {0.13,
              {{0.06, Shape::Torus, 0.12, 0.14, 0.03},
               {0.62, Shape::Slope, 0.14, 0.12, 0},
               {0.26, Shape::Slope, 0.12, 0.04, 0},
               {0.06, Shape::Slope, 0.04, 0.0, 0, 1}},
              {kOak, kSightEdge},
              44};
    case FrameImage::Frame5:  // black lacquer with a gilt inner lip
      return {0.14,
              {{0.08, Shape::Bead, 0.14, 0.16, 0.05},
               {0.40, Shape::Cove, 0.16, 0.06, 0},
               {0.28, Shape::Slope, 0.06, 0.08, 0},
               {0.18, Shape::Ogee, 0.08, 0.04, 0.0, 1},
               {0.06, Shape::Slope, 0.04, 0.0, 0, 2}},
              {kBlackLacquer, kGold, kSightEdge},
              55};
    case FrameImage::Frame6:  // wide gilt frame with egg-and-dentil carving
      return {0.2,
              {{0.04, Shape::Bead, 0.18, 0.20, 0.04},
               {0.10, Shape::Slope, 0.20, 0.20, 0, 0, Ornament::Dentils, 0.7, 0.03},
               {0.22, Shape::Torus, 0.20, 0.22, 0.10, 0, Ornament::Eggs, 0.85, 0.05},
               {0.16, Shape::Cove, 0.22, 0.07, 0},
               {0.22, Shape::Slope, 0.07, 0.09, 0, 1},
               {0.12, Shape::Bead, 0.09, 0.09, 0.05, 0, Ornament::Pearls, 1.0, 0.03},
               {0.10, Shape::Ogee, 0.09, 0.03, 0},
               {0.04, Shape::Slope, 0.03, 0.0, 0, 2}},
              {kGold, kPaleGold, kSightEdge},
              66};
    case FrameImage::Frame7:  // slim mahogany
      return {0.12,
              {{0.10, Shape::Bead, 0.12, 0.14, 0.05},
               {0.45, Shape::Ogee, 0.14, 0.06, 0},
               {0.25, Shape::Slope, 0.06, 0.07, 0},
               {0.14, Shape::Bead, 0.07, 0.05, 0.04},
               {0.06, Shape::Slope, 0.05, 0.0, 0, 1}},
              {kMahogany, kSightEdge},
              77};
    case FrameImage::Frame8:  // silver with a rope twist
      return {0.15,
              {{0.07, Shape::Bead, 0.16, 0.18, 0.05},
               {0.20, Shape::Torus, 0.18, 0.18, 0.08, 0, Ornament::Rope, 1.4, 0.04},
               {0.30, Shape::Cove, 0.18, 0.07, 0},
               {0.25, Shape::Slope, 0.07, 0.09, 0},
               {0.13, Shape::Bead, 0.09, 0.05, 0.04, 0, Ornament::Pearls, 1.0, 0.02},
               {0.05, Shape::Slope, 0.05, 0.0, 0, 1}},
              {kSilver, kSightEdge},
              88};
    case FrameImage::Frame10:  // distressed cream paint over dark wood
      return {0.16,
              {{0.08, Shape::Bead, 0.15, 0.17, 0.05},
               {0.14, Shape::Reeds, 0.17, 0.17, 0.03},
               {0.30, Shape::Ogee, 0.17, 0.07, 0},
               {0.30, Shape::Slope, 0.07, 0.09, 0},
               {0.14, Shape::Bead, 0.09, 0.05, 0.04},
               {0.04, Shape::Slope, 0.05, 0.0, 0, 1}},
              {kCream, kSightEdge},
              110};
    case FrameImage::Frame11:  // cherry with a gilt liner
      return {0.17,
              {{0.06, Shape::Bead, 0.17, 0.19, 0.05},
               {0.40, Shape::Slope, 0.19, 0.12, 0},
               {0.06, Shape::Bead, 0.12, 0.12, 0.03},
               {0.10, Shape::Cove, 0.12, 0.05, 0},
               {0.28, Shape::Ogee, 0.05, 0.04, 0.03, 1, Ornament::Leaves, 1.1, 0.03},
               {0.07, Shape::Bead, 0.04, 0.03, 0.03, 1},
               {0.03, Shape::Slope, 0.03, 0.0, 0, 2}},
              {kCherry, kPaleGold, kSightEdge},
              111};
    case FrameImage::Frame12:  // ebony with a silver pearl bead
      return {0.15,
              {{0.06, Shape::Torus, 0.15, 0.17, 0.03},
               {0.42, Shape::Slope, 0.17, 0.15, 0},
               {0.10, Shape::Bead, 0.15, 0.13, 0.06, 1, Ornament::Pearls, 1.0, 0.03},
               {0.36, Shape::Cove, 0.13, 0.04, 0},
               {0.06, Shape::Slope, 0.04, 0.0, 0, 2}},
              {kEbony, kSilver, kSightEdge},
              112};
    case FrameImage::Frame13:  // red lacquer with a gilt leaf band
      return {0.16,
              {{0.07, Shape::Bead, 0.16, 0.18, 0.05, 1},
               {0.32, Shape::Cove, 0.18, 0.08, 0},
               {0.24, Shape::Slope, 0.08, 0.10, 0, 1, Ornament::Leaves, 0.8, 0.03},
               {0.26, Shape::Ogee, 0.10, 0.04, 0},
               {0.07, Shape::Bead, 0.04, 0.03, 0.03, 1},
               {0.04, Shape::Slope, 0.03, 0.0, 0, 2}},
              {kRedLacquer, kGold, kSightEdge},
              113};
    case FrameImage::Frame14:  // walnut with reeds and a linen liner
      return {0.18,
              {{0.05, Shape::Bead, 0.19, 0.21, 0.04},
               {0.26, Shape::Reeds, 0.21, 0.18, 0.03},
               {0.16, Shape::Cove, 0.18, 0.09, 0},
               {0.05, Shape::Bead, 0.09, 0.09, 0.03, 1},
               {0.40, Shape::Slope, 0.07, 0.05, 0, 2},
               {0.05, Shape::Slope, 0.05, 0.0, 0, 3}},
              {kWalnut, kGold, kLinen, kSightEdge},
              114};
  }
  return DesignFor(FrameImage::Frame1);
}

Design TransparentDesignFor(TransparentFrameShape shape) {
  switch (shape) {
    case TransparentFrameShape::Portrait:  // carved gilt
      return {0.16,
              {{0.05, Shape::Bead, 0.18, 0.20, 0.05},
               {0.30, Shape::Torus, 0.20, 0.22, 0.12, 0, Ornament::Leaves, 0.9, 0.06},
               {0.18, Shape::Cove, 0.22, 0.08, 0},
               {0.10, Shape::Bead, 0.08, 0.09, 0.05, 0, Ornament::Pearls, 1.0, 0.03},
               {0.20, Shape::Slope, 0.09, 0.10, 0, 1},
               {0.14, Shape::Ogee, 0.10, 0.02, 0},
               {0.03, Shape::Slope, 0.02, 0.0, 0, 2}},
              {kGold, kPaleGold, kSightEdge},
              201};
    case TransparentFrameShape::Landscape:  // dark walnut with a gilt bead
      return {0.14,
              {{0.06, Shape::Bead, 0.18, 0.20, 0.05},
               {0.30, Shape::Ogee, 0.20, 0.10, 0},
               {0.28, Shape::Slope, 0.10, 0.12, 0},
               {0.12, Shape::Bead, 0.12, 0.12, 0.06, 1, Ornament::Pearls, 1.0, 0.03},
               {0.20, Shape::Cove, 0.12, 0.03, 0},
               {0.04, Shape::Slope, 0.03, 0.0, 0, 2}},
              {kWalnut, kGold, kSightEdge},
              202};
    case TransparentFrameShape::Square:  // worn blue-grey paint
      return {0.14,
              {{0.08, Shape::Bead, 0.16, 0.18, 0.05},
               {0.14, Shape::Reeds, 0.18, 0.18, 0.03},
               {0.30, Shape::Cove, 0.18, 0.07, 0},
               {0.30, Shape::Slope, 0.07, 0.09, 0},
               {0.14, Shape::Bead, 0.09, 0.04, 0.04},
               {0.04, Shape::Slope, 0.04, 0.0, 0, 1}},
              {kBlueGrey, kSightEdge},
              203};
  }
  return TransparentDesignFor(TransparentFrameShape::Square);
}

// ---------------------------------------------------------------------------------------------
// Profile and ornament heights

double ShapeHeight(const Band& band, double u) {
  const double straight = band.h0 + (band.h1 - band.h0) * u;
  const double centred = 2.0 * u - 1.0;
  switch (band.shape) {
    case Shape::Slope:
      return straight;
    case Shape::Bead:
      return straight + band.amplitude * std::sqrt(std::max(0.0, 1.0 - centred * centred));
    case Shape::Torus:
      return straight + band.amplitude * std::sin(kPi * u);
    case Shape::Cove:
      return band.h0 + (band.h1 - band.h0) * (1.0 - std::sqrt(std::max(0.0, 1.0 - u * u)));
    case Shape::Ogee:
      return band.h0 + (band.h1 - band.h0) * (0.5 - 0.5 * std::cos(kPi * u));
    case Shape::Reeds: {
      const double reed = std::fmod(u * 4.0, 1.0) * 2.0 - 1.0;
      return straight + band.amplitude * std::sqrt(std::max(0.0, 1.0 - reed * reed));
    }
  }
  return straight;
}

// Ornament height in 0..1 at phase s along the moulding (in repeats) and u across the band.
double OrnamentHeight(Ornament ornament, double s, double u) {
  const double f = s - std::floor(s);
  const double across = 2.0 * u - 1.0;
  switch (ornament) {
    case Ornament::None:
      return 0.0;
    case Ornament::Pearls: {
      const double along = 2.0 * f - 1.0;
      const double v = 1.0 - along * along * 1.2 - across * across;
      return v > 0.0 ? std::sqrt(v) : 0.0;
    }
    case Ornament::Rope: {
      const double g = s + u * 0.9;
      const double strand = 2.0 * (g - std::floor(g)) - 1.0;
      return std::sqrt(std::max(0.0, 1.0 - strand * strand)) * std::sqrt(std::max(0.0, 1.0 - across * across * 0.8));
    }
    case Ornament::Leaves: {
      // A leaf rising from the outer side of the band, its lobes serrated, with a sunken vein;
      // a small berry sits between two leaves near the inner side.
      const double along = 2.0 * f - 1.0;
      const double reach = 0.9 * std::pow(std::max(0.0, std::sin(kPi * std::min(1.0, u * 1.08))), 0.6) *
                           (1.0 + 0.14 * std::sin(u * 7.0 * kPi));
      double leaf = 0.0;
      if (std::abs(along) < reach) {
        const double r = along / reach;
        leaf = std::sqrt(1.0 - r * r) * (0.55 + 0.45 * std::sin(kPi * u));
        leaf -= 0.35 * std::max(0.0, 1.0 - std::abs(along) / 0.07) * std::sin(kPi * u);  // vein
        // Each lobe curls over at its tip.
        leaf += 0.25 * std::max(0.0, std::cos(u * 7.0 * kPi)) * r * r;
      }
      const double bx = (std::abs(along) - 1.0) / 0.22;
      const double by = (u - 0.8) / 0.14;
      const double berry = 1.0 - bx * bx - by * by;
      return std::max(std::max(0.0, leaf), berry > 0.0 ? 0.8 * std::sqrt(berry) : 0.0);
    }
    case Ornament::Eggs: {
      const double along = 2.0 * f - 1.0;
      const double ex = along / 0.68;
      const double ey = across / 0.8;
      const double r = ex * ex + ey * ey;
      if (r < 1.0) return std::sqrt(1.0 - r);
      // The rim around each egg and the dart between two eggs.
      const double rim = std::sqrt(r);
      const double shell = rim < 1.25 ? 0.35 * std::sin(kPi * (rim - 1.0) / 0.25) : 0.0;
      const double dart = std::max(0.0, 1.0 - (1.0 - std::abs(along)) / 0.07) * (1.0 - u) * 0.7;
      return std::max(shell, dart);
    }
    case Ornament::Dentils: {
      const double block = std::min(f, 0.62 - f);
      if (block < 0.0) return 0.0;
      return Clamp01(block / 0.06) * Clamp01(std::min(u, 1.0 - u) / 0.12);
    }
  }
  return 0.0;
}

// The profile sampled at every whole pixel across the moulding.
struct ProfileTable {
  int width = 0;
  std::vector<double> height;    // without ornament, in pixels
  std::vector<int> band;         // band index at each position
  std::vector<double> across;    // u within the band
  std::vector<double> bandStart;  // first position of the band, in pixels
  std::vector<double> bandWidth;  // band width in pixels
  std::vector<double> cavity;    // > 0 in hollows, < 0 on ridges, about −1..1
};

ProfileTable BuildProfile(const Design& design, int width) {
  ProfileTable table;
  table.width = width;
  double total = 0.0;
  for (const Band& band : design.bands) total += band.weight;
  std::vector<double> edges{0.0};
  for (const Band& band : design.bands) edges.push_back(edges.back() + band.weight / total * width);
  const std::size_t count = static_cast<std::size_t>(width);
  table.height.resize(count);
  table.band.resize(count);
  table.across.resize(count);
  table.bandStart.resize(design.bands.size());
  table.bandWidth.resize(design.bands.size());
  for (std::size_t b = 0; b < design.bands.size(); ++b) {
    table.bandStart[b] = edges[b];
    table.bandWidth[b] = edges[b + 1] - edges[b];
  }
  std::size_t b = 0;
  for (int t = 0; t < width; ++t) {
    const double centre = t + 0.5;
    while (b + 1 < design.bands.size() && centre >= edges[b + 1]) ++b;
    const double u = Clamp01((centre - edges[b]) / (edges[b + 1] - edges[b]));
    table.band[t] = static_cast<int>(b);
    table.across[t] = u;
    table.height[t] = ShapeHeight(design.bands[b], u) * width;
  }
  // Hollows collect dirt and see less light: compare each height with the mean around it.
  const int reach = std::max(2, width / 30);
  table.cavity.resize(count);
  for (int t = 0; t < width; ++t) {
    double sum = 0.0;
    int n = 0;
    for (int k = std::max(0, t - reach); k <= std::min(width - 1, t + reach); ++k, ++n) sum += table.height[k];
    table.cavity[t] = std::clamp((sum / n - table.height[t]) / (0.012 * width), -1.0, 1.0);
  }
  return table;
}

// ---------------------------------------------------------------------------------------------
// Rendering

enum class Side { Top, Bottom, Left, Right };

struct SurfacePoint {
  double diffuse;   // light falling on the surface, 0..1
  double specular;  // mirror highlight, 0..1
  double cavity;    // > 0 in hollows, < 0 on ridges
  double height;    // in moulding widths
  double along;     // position along the length, in pixels
  double across;    // distance from the outer edge, in pixels
  int side;
  int x, y;
};

Rgb ShadeWood(const Finish& finish, const SurfacePoint& p, double unit, std::uint32_t seed) {
  const std::uint32_t boardSeed = seed + 977u * static_cast<std::uint32_t>(p.side);
  // The carving cuts through the growth rings, so their phase follows the carved depth.
  const double wander = Fractal(p.along / (420.0 * unit), p.across / (110.0 * unit), boardSeed, 3);
  const double phase = (p.height * 9.0 + p.across / (26.0 * unit)) + 3.2 * wander;
  const double ring = phase - std::floor(phase);
  const double late = SmoothStep(0.55, 0.92, ring) * (1.0 - SmoothStep(0.96, 1.0, ring));
  const double fibre = Fractal(p.along / (60.0 * unit), p.across / (1.8 * unit), boardSeed + 5u, 3);
  const double pores = Fractal(p.along / (9.0 * unit), p.across / (0.9 * unit), boardSeed + 9u, 1);
  double tone = 0.15 + 0.55 * late + 0.55 * (fibre - 0.5) + (pores > 0.82 ? 0.25 : 0.0);
  tone = Clamp01(tone);
  Rgb colour = tone < 0.5 ? Mix(ToRgb(finish.light), ToRgb(finish.base), tone * 2.0)
                          : Mix(ToRgb(finish.base), ToRgb(finish.dark), (tone - 0.5) * 2.0);
  const double occlusion = 1.0 - 0.55 * std::max(0.0, p.cavity);
  colour = Scale(colour, (0.28 + 1.0 * p.diffuse) * occlusion);
  return Add(colour, Scale(Rgb{255, 236, 210}, finish.gloss * p.specular));
}

Rgb ShadeGilt(const Finish& finish, const SurfacePoint& p, double unit, std::uint32_t seed) {
  // Metal shows its colour by what it reflects: a steep ramp from the shadow side to the lit side.
  const double lit = std::pow(Clamp01(p.diffuse * 1.2 - 0.1), 1.6);
  Rgb colour = lit < 0.5 ? Mix(ToRgb(finish.dark), ToRgb(finish.base), lit * 2.0)
                         : Mix(ToRgb(finish.base), ToRgb(finish.light), (lit - 0.5) * 2.0);
  // Gesso grain and uneven burnishing.
  const double grain = Fractal(p.x / (3.0 * unit), p.y / (3.0 * unit), seed + 21u, 2);
  const double cloud = Fractal(p.x / (80.0 * unit), p.y / (80.0 * unit), seed + 23u, 3);
  colour = Scale(colour, 0.9 + 0.12 * grain + 0.12 * (cloud - 0.5));
  // Rubbed high edges show the red bole beneath the leaf.
  const double rub = Fractal(p.x / (14.0 * unit), p.y / (14.0 * unit), seed + 29u, 3);
  const double worn = finish.wear * SmoothStep(0.15, 0.7, -p.cavity) * SmoothStep(0.45, 0.75, rub);
  colour = Mix(colour, Scale(Rgb{150, 62, 36}, 0.45 + 0.7 * p.diffuse), Clamp01(worn));
  // Dark toning settles in the hollows.
  colour = Mix(colour, Scale(ToRgb(finish.dark), 0.7), 0.75 * SmoothStep(0.0, 1.0, p.cavity));
  return Add(colour, Scale(Rgb{255, 246, 200}, finish.gloss * p.specular * (1.0 - worn)));
}

Rgb ShadePaint(const Finish& finish, const SurfacePoint& p, double unit, std::uint32_t seed) {
  Rgb colour = ToRgb(finish.base);
  // Brush marks run along the length.
  const double streak = Fractal(p.along / (40.0 * unit), p.across / (1.2 * unit), seed + 31u + 7u * p.side, 3);
  colour = Scale(colour, 0.93 + 0.14 * streak);
  // Worn through on the high edges and at random rubbed places.
  const double rub = Fractal(p.x / (18.0 * unit), p.y / (18.0 * unit), seed + 37u, 4);
  const double worn = finish.wear * (0.6 * SmoothStep(0.1, 0.6, -p.cavity) + 0.4) * SmoothStep(0.52, 0.7, rub);
  colour = Mix(colour, ToRgb(finish.light), Clamp01(worn));
  // Craquelure: thin dark lines where a noise field crosses its middle value.
  const double crackField = Fractal(p.x / (22.0 * unit), p.y / (22.0 * unit), seed + 41u, 3);
  const double crack = 1.0 - SmoothStep(0.004, 0.012, std::abs(crackField - 0.5));
  colour = Mix(colour, ToRgb(finish.dark), 0.55 * crack * (1.0 - Clamp01(worn)));
  // Wax and grime in the hollows.
  colour = Mix(colour, ToRgb(finish.dark), 0.7 * SmoothStep(0.0, 1.0, p.cavity));
  const double occlusion = 1.0 - 0.3 * std::max(0.0, p.cavity);
  colour = Scale(colour, (0.3 + 0.95 * p.diffuse) * occlusion);
  return Add(colour, Scale(Rgb{255, 250, 240}, finish.gloss * p.specular));
}

struct RenderOptions {
  int maxBlue = 255;          // every moulding pixel keeps its blue byte at most this
  bool castShadow = false;    // transparent frames: a soft shadow falls into the opening
  Colour opening = 0xFFFFFF;  // colour of the opening
};

// Draws the moulding of `design` over the whole of a width × height picture. Alpha is 255 on
// the moulding and 0 in the opening (or the cast shadow's alpha there).
Bitmap32 RenderFrame(const Design& design, int width, int height, const RenderOptions& options) {
  Bitmap32 frame(width, height, 0);
  const int moulding = std::max(4, static_cast<int>(std::lround(design.widthFraction * std::min(width, height))));
  const ProfileTable profile = BuildProfile(design, moulding);
  const double unit = moulding / 240.0;  // texture scales follow the moulding, not the picture
  // Light from the upper left and a little in front; the viewer looks straight on.
  const double lightLength = std::sqrt(0.5 * 0.5 + 0.7 * 0.7 + 0.85 * 0.85);
  const double lx = -0.5 / lightLength, ly = -0.7 / lightLength, lz = 0.85 / lightLength;
  const double hLength = std::sqrt(lx * lx + ly * ly + (lz + 1.0) * (lz + 1.0));
  const double hx = lx / hLength, hy = ly / hLength, hz = (lz + 1.0) / hLength;
  const Rgb openingColour = ToRgb(options.opening);
  const std::uint32_t openingSeed = design.seed + 500u;

  for (int y = 0; y < height; ++y) {
    std::uint8_t* row = frame.Row(y);
    for (int x = 0; x < width; ++x) {
      const int distances[4] = {y, height - 1 - y, x, width - 1 - x};
      int side = 0;
      for (int s = 1; s < 4; ++s) {
        if (distances[s] < distances[side]) side = s;
      }
      const int t = distances[side];
      std::uint8_t* pixel = row + 4 * x;
      if (t >= moulding) {
        // The opening: a flat, slightly uneven near-white ground, or the transparent middle.
        const double speck = ValueNoise(x / 3.0, y / 3.0, openingSeed) - 0.5;
        const Rgb c = Add(openingColour, Rgb{speck * 3, speck * 3, speck * 3});
        pixel[0] = static_cast<std::uint8_t>(std::clamp(c.blue, 0.0, 255.0));
        pixel[1] = static_cast<std::uint8_t>(std::clamp(c.green, 0.0, 255.0));
        pixel[2] = static_cast<std::uint8_t>(std::clamp(c.red, 0.0, 255.0));
        pixel[3] = 0;
        if (options.castShadow) {
          const double depth = moulding * 0.06;
          const double fromTop = (y - moulding) / depth, fromLeft = (x - moulding) / depth;
          const double fromBottom = (height - 1 - moulding - y) / depth, fromRight = (width - 1 - moulding - x) / depth;
          const double shade = std::max({0.78 * std::exp(-fromTop), 0.7 * std::exp(-fromLeft),
                                         0.25 * std::exp(-2.0 * fromBottom), 0.22 * std::exp(-2.0 * fromRight)});
          pixel[0] = 8;
          pixel[1] = 10;
          pixel[2] = 14;
          pixel[3] = static_cast<std::uint8_t>(std::lround(std::min(0.78, shade) * 255.0));
        }
        continue;
      }
      const Side where = static_cast<Side>(side);
      const bool horizontal = where == Side::Top || where == Side::Bottom;
      const double along = horizontal ? x : y;
      const int b = profile.band[t];
      const Band& band = design.bands[static_cast<std::size_t>(b)];
      // Height and its slopes across (towards the opening) and along the moulding.
      double h = profile.height[t];
      double slopeAcross = 0.5 * (profile.height[std::min(moulding - 1, t + 1)] - profile.height[std::max(0, t - 1)]);
      double slopeAlong = 0.0;
      double cavity = profile.cavity[t];
      if (band.ornament != Ornament::None) {
        const double bandPixels = profile.bandWidth[static_cast<std::size_t>(b)];
        const double period = std::max(4.0, band.period * bandPixels);
        const double du = 1.0 / bandPixels;
        const double u = profile.across[t];
        const double relief = band.relief * moulding;
        const double s = along / period;
        const double o = OrnamentHeight(band.ornament, s, u);
        h += relief * o;
        slopeAlong = 0.5 * relief *
                     (OrnamentHeight(band.ornament, s + 1.0 / period, u) - OrnamentHeight(band.ornament, s - 1.0 / period, u));
        slopeAcross += 0.5 * relief *
                       (OrnamentHeight(band.ornament, s, std::min(1.0, u + du)) -
                        OrnamentHeight(band.ornament, s, std::max(0.0, u - du)));
        cavity += 0.9 * (0.35 - o);
      }
      double gx = 0.0, gy = 0.0;
      switch (where) {
        case Side::Top: gy = slopeAcross; gx = slopeAlong; break;
        case Side::Bottom: gy = -slopeAcross; gx = slopeAlong; break;
        case Side::Left: gx = slopeAcross; gy = slopeAlong; break;
        case Side::Right: gx = -slopeAcross; gy = slopeAlong; break;
      }
      const double normalLength = std::sqrt(gx * gx + gy * gy + 1.0);
      const double nx = -gx / normalLength, ny = -gy / normalLength, nz = 1.0 / normalLength;
      SurfacePoint point;
      point.diffuse = std::max(0.0, nx * lx + ny * ly + nz * lz);
      const double mirror = std::max(0.0, nx * hx + ny * hy + nz * hz);
      point.specular = std::pow(mirror, 40.0);
      point.cavity = std::clamp(cavity, -1.0, 1.0);
      point.height = h / moulding;
      point.along = along;
      point.across = t;
      point.side = side;
      point.x = x;
      point.y = y;
      const Finish& finish = design.finishes[static_cast<std::size_t>(band.finish)];
      Rgb colour;
      switch (finish.kind) {
        case FinishKind::Wood: colour = ShadeWood(finish, point, unit, design.seed); break;
        case FinishKind::Gilt: colour = ShadeGilt(finish, point, unit, design.seed); break;
        case FinishKind::Paint: colour = ShadePaint(finish, point, unit, design.seed); break;
      }
      // The mitre: a fine dark joint where two lengths meet.
      int second = -1;
      for (int s = 0; s < 4; ++s) {
        if (s != side && (second < 0 || distances[s] < distances[second])) second = s;
      }
      if (distances[second] - t <= 1) colour = Scale(colour, 0.62);
      // The outermost pixel is the frame's side, turned away from the viewer.
      if (t == 0) colour = Scale(colour, 0.55);
      pixel[0] = static_cast<std::uint8_t>(std::clamp(colour.blue, 0.0, static_cast<double>(options.maxBlue)));
      pixel[1] = static_cast<std::uint8_t>(std::clamp(colour.green, 0.0, 255.0));
      pixel[2] = static_cast<std::uint8_t>(std::clamp(colour.red, 0.0, 255.0));
      pixel[3] = 255;
    }
  }
  return frame;
}

Bitmap24 OpaqueFrom(const Bitmap32& frame) {
  Bitmap24 picture(frame.Width(), frame.Height());
  for (int y = 0; y < frame.Height(); ++y) {
    const std::uint8_t* source = frame.Row(y);
    std::uint8_t* target = picture.Row(y);
    for (int x = 0; x < frame.Width(); ++x) {
      for (int c = 0; c < 3; ++c) target[3 * x + c] = source[4 * x + c];
    }
  }
  return picture;
}

// The last transparent frame drawn, so that writing its colour and its matte draws it once.
const Bitmap32& CachedTransparentFrame(TransparentFrameShape shape) {
  static std::mutex mutex;
  static int cachedShape = -1;
  static Bitmap32 cached;
  std::lock_guard<std::mutex> lock(mutex);
  if (cachedShape != static_cast<int>(shape)) {
    cached = GenerateTransparentFrame(shape);
    cachedShape = static_cast<int>(shape);
  }
  return cached;
}

}  // namespace

Bitmap24 GenerateFramePicture(FrameImage image) {
  const FramePictureInfo& info = kFrameImages[static_cast<std::size_t>(image)];
  RenderOptions options;
  // A frame pixel is dark for the opening search when its blue byte is below 210; keep a margin
  // for the JPEG coding. The opening stays far above it.
  options.maxBlue = 200;
  options.opening = MakeColour(249, 248, 244);
  return OpaqueFrom(RenderFrame(DesignFor(image), info.width, info.height, options));
}

Bitmap32 GenerateTransparentFrame(TransparentFrameShape shape) {
  const TransparentFrameInfo& info = kTransparentFrames[static_cast<std::size_t>(shape)];
  RenderOptions options;
  options.castShadow = true;
  return RenderFrame(TransparentDesignFor(shape), info.width, info.height, options);
}

Bitmap24 TransparentFrameColour(TransparentFrameShape shape) { return OpaqueFrom(CachedTransparentFrame(shape)); }

Bitmap24 TransparentFrameMatte(TransparentFrameShape shape) {
  const Bitmap32& frame = CachedTransparentFrame(shape);
  Bitmap24 matte(frame.Width(), frame.Height());
  for (int y = 0; y < frame.Height(); ++y) {
    const std::uint8_t* source = frame.Row(y);
    std::uint8_t* target = matte.Row(y);
    for (int x = 0; x < frame.Width(); ++x) {
      for (int c = 0; c < 3; ++c) target[3 * x + c] = source[4 * x + 3];
    }
  }
  return matte;
}

const Bitmap24& FramePicture(FrameImage image) {
  static std::array<std::once_flag, kFrameImageCount> once;
  static std::array<Bitmap24, kFrameImageCount> pictures;
  const std::size_t index = static_cast<std::size_t>(image);
  std::call_once(once[index], [index, image] {
    const FramePictureInfo& info = kFrameImages[index];
    std::optional<Bitmap24> shipped = ReadResourcePicture(info.relativePath, info.width, info.height);
    pictures[index] = shipped ? std::move(*shipped) : GenerateFramePicture(image);
  });
  return pictures[index];
}

const Bitmap32& DefaultTransparentFrame(TransparentFrameShape shape) {
  static std::array<std::once_flag, kTransparentFrameCount> once;
  static std::array<Bitmap32, kTransparentFrameCount> frames;
  const std::size_t index = static_cast<std::size_t>(shape);
  std::call_once(once[index], [index, shape] {
    const TransparentFrameInfo& info = kTransparentFrames[index];
    std::optional<Bitmap32> shipped =
        ReadTransparentResourcePicture(info.colourPath, info.mattePath, info.width, info.height);
    frames[index] = shipped ? std::move(*shipped) : GenerateTransparentFrame(shape);
  });
  return frames[index];
}

}  // namespace atelion
