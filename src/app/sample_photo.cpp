#include "app/sample_photo.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace atelion {

namespace {

struct Rgb {
  double r = 0, g = 0, b = 0;
};

Rgb operator+(Rgb a, Rgb b) { return {a.r + b.r, a.g + b.g, a.b + b.b}; }
Rgb operator*(Rgb a, double k) { return {a.r * k, a.g * k, a.b * k}; }
Rgb Mix(Rgb a, Rgb b, double t) { return a * (1 - t) + b * t; }
double Clamp01(double v) { return std::clamp(v, 0.0, 1.0); }
double Smooth(double e0, double e1, double x) {
  const double t = Clamp01((x - e0) / (e1 - e0));
  return t * t * (3 - 2 * t);
}

// Value noise on an integer lattice, smoothly interpolated; the same numbers on every build.
double Lattice(int x, int y, int seed) {
  std::uint32_t h = static_cast<std::uint32_t>(x) * 374761393u + static_cast<std::uint32_t>(y) * 668265263u +
                    static_cast<std::uint32_t>(seed) * 2246822519u;
  h = (h ^ (h >> 13)) * 1274126177u;
  h ^= h >> 16;
  return (h & 0xFFFFFF) / double(0xFFFFFF);
}

double Noise(double x, double y, int seed) {
  const int xi = static_cast<int>(std::floor(x));
  const int yi = static_cast<int>(std::floor(y));
  const double fx = x - xi, fy = y - yi;
  const double sx = fx * fx * (3 - 2 * fx), sy = fy * fy * (3 - 2 * fy);
  const double top = Lattice(xi, yi, seed) * (1 - sx) + Lattice(xi + 1, yi, seed) * sx;
  const double bottom = Lattice(xi, yi + 1, seed) * (1 - sx) + Lattice(xi + 1, yi + 1, seed) * sx;
  return top * (1 - sy) + bottom * sy;
}

// Fractal noise in 0..1: octaves of halving weight and doubling frequency.
double Fractal(double x, double y, int seed, int octaves = 5) {
  double sum = 0, weight = 0.5, total = 0;
  for (int octave = 0; octave < octaves; ++octave) {
    sum += weight * Noise(x, y, seed + 17 * octave);
    total += weight;
    x = x * 2.03 + 3.1;
    y = y * 2.03 + 1.7;
    weight *= 0.5;
  }
  return sum / total;
}

constexpr double kAspect = static_cast<double>(kSamplePhotoWidth) / kSamplePhotoHeight;
constexpr double kHorizon = 0.53;  // the lake's far shore, as a fraction of the height
constexpr double kSunU = 0.76, kSunV = 0.27;

// The sky, hills and far shore above the water line; the lake mirrors them.
Rgb Sky(double u, double v) {
  const Rgb zenith{0.20, 0.38, 0.66}, low{0.93, 0.80, 0.62};
  Rgb sky = Mix(zenith, low, std::pow(Clamp01(v / kHorizon), 1.6));
  const double sunDistance = std::hypot((u - kSunU) * kAspect, v - kSunV);
  sky = sky + Rgb{1.0, 0.78, 0.45} * (0.55 * std::exp(-sunDistance * 9.0));
  // Clouds: broad fractal shapes, lit from the sun's side, thinning towards the horizon.
  const double cloud = Smooth(0.52, 0.72, Fractal(u * 4.0 * kAspect, v * 9.0, 11)) * Smooth(0.50, 0.12, v);
  const double lit = Clamp01(0.65 + 0.5 * (Fractal(u * 9.0 * kAspect + 5, v * 18.0, 23) - 0.5) - 0.3 * (v / kHorizon));
  return Mix(sky, Mix(Rgb{0.72, 0.66, 0.66}, Rgb{1.0, 0.93, 0.85}, lit), cloud * 0.9);
}

Rgb Land(double u, double v, bool* covered) {
  *covered = true;
  // Far hills, blue with distance.
  const double farRidge = 0.385 + 0.07 * Fractal(u * 3.0, 0.5, 31, 4) - 0.03 * std::sin(u * 5.0);
  // Nearer hills, greener and darker.
  const double nearRidge = 0.455 + 0.05 * Fractal(u * 5.0, 2.5, 41, 5) + 0.02 * std::cos(u * 9.0);
  // The far shore's trees, in uneven clumps.
  const double treeLine = 0.505 - 0.028 * Fractal(u * 28.0, 0.3, 53, 3);
  if (v >= treeLine) {
    const double shade = Fractal(u * 80.0, v * 60.0, 59, 3);
    return Mix(Rgb{0.07, 0.16, 0.08}, Rgb{0.22, 0.33, 0.12}, shade * Smooth(0.6, 0.2, (u - kSunU) * (u - kSunU)));
  }
  if (v >= nearRidge) {
    const double texture = Fractal(u * 30.0, v * 40.0, 43, 4);
    const Rgb hill = Mix(Rgb{0.18, 0.32, 0.22}, Rgb{0.38, 0.46, 0.26}, texture);
    return Mix(hill, Rgb{0.55, 0.58, 0.62}, 0.25);
  }
  if (v >= farRidge) {
    // Slopes facing the sun are lighter; gullies run down them.
    const double texture = Fractal(u * 16.0, v * 24.0, 37, 5);
    const double gullies = Fractal(u * 60.0, v * 8.0, 39, 3);
    return Mix(Rgb{0.30, 0.38, 0.52}, Rgb{0.62, 0.62, 0.70}, Clamp01(texture * 0.9 + (gullies - 0.5) * 0.5 + (u - 0.5) * 0.3));
  }
  *covered = false;
  return {};
}

// The little house on the far shore: white walls, the sun side lighter, a red roof, dark windows.
bool House(double u, double v, Rgb* colour) {
  const double left = 0.205, right = 0.265, base = 0.522, eaves = 0.478, ridge = 0.448;
  if (u < left - 0.006 || u > right + 0.006 || v > base || v < ridge) return false;
  const double middle = (left + right) / 2;
  const double roofEdge = eaves - (eaves - ridge) * (1 - std::abs(u - middle) / ((right - left) / 2 + 0.006));
  if (v < eaves) {
    if (v < roofEdge) return false;
    const double tiles = 0.85 + 0.15 * std::sin(v * 900.0);
    *colour = Rgb{0.62, 0.16, 0.10} * tiles * (u > middle ? 1.1 : 0.8);
    return true;
  }
  if (u < left || u > right) return false;
  const bool sunSide = u > middle + 0.012;
  Rgb wall = sunSide ? Rgb{0.96, 0.92, 0.84} : Rgb{0.70, 0.70, 0.74};
  const auto window = [&](double wl, double wr, double wt, double wb) { return u > wl && u < wr && v > wt && v < wb; };
  if (window(0.214, 0.224, 0.488, 0.503) || window(0.246, 0.256, 0.488, 0.503)) wall = Rgb{0.10, 0.12, 0.16};
  if (window(0.231, 0.240, 0.500, 0.522)) wall = Rgb{0.30, 0.17, 0.10};  // the door
  *colour = wall;
  return true;
}

// Everything above the water line, house included.
Rgb Upper(double u, double v) {
  Rgb colour;
  if (House(u, v, &colour)) return colour;
  bool covered = false;
  const Rgb land = Land(u, v, &covered);
  return covered ? land : Sky(u, v);
}

// The lake: the shore mirrored, darker and bluer, broken by ripples that grow towards the viewer,
// with the sun's glitter on them.
Rgb Lake(double u, double v) {
  const double depth = (v - kHorizon) / (1 - kHorizon);
  const double ripple = (Fractal(u * 14.0, v * 160.0 / (0.3 + depth), 71, 3) - 0.5) * (0.004 + 0.03 * depth);
  const double mirrored = std::max(0.0, 2 * kHorizon - v + ripple);
  Rgb colour = Mix(Upper(u + ripple * 0.4, mirrored), Rgb{0.10, 0.22, 0.34}, 0.30 + 0.25 * depth);
  const double glitter = std::exp(-std::abs(u - kSunU) * 14.0) * Smooth(0.62, 0.80, Fractal(u * 90.0, v * 400.0, 83, 2));
  return colour + Rgb{1.0, 0.85, 0.6} * (0.45 * glitter * (1 - depth));
}

// The meadow in front: blades of grass, lighter where the sun catches them, and flowers.
Rgb Meadow(double u, double v) {
  const double blades = Fractal(u * 420.0, v * 40.0, 97, 3);
  const double patches = Fractal(u * 6.0, v * 8.0, 101, 4);
  Rgb grass = Mix(Rgb{0.16, 0.30, 0.08}, Rgb{0.55, 0.62, 0.22}, Clamp01(blades * 0.8 + patches * 0.4 - 0.1));
  if (Fractal(u * 700.0, v * 450.0, 109, 2) > 0.80) grass = Rgb{0.92, 0.78, 0.20};  // buttercups
  return grass * (0.75 + 0.35 * (v - 0.78) / 0.22);
}

// The jetty: planks running into the lake, narrowing with distance, on dark posts.
bool Jetty(double u, double v, Rgb* colour) {
  if (v < 0.665) return false;
  const double t = (v - 0.665) / (1 - 0.665);
  const double centre = 0.585 + 0.045 * t;
  const double half = 0.012 + 0.075 * t;
  if (std::abs(u - centre) <= half) {
    const double plank = std::fmod((v - 0.665) * (40.0 / (0.2 + t)), 1.0);
    const double grain = Fractal(u * 200.0, v * 20.0, 127, 3);
    *colour = Mix(Rgb{0.36, 0.24, 0.14}, Rgb{0.62, 0.46, 0.30}, grain) * (plank < 0.08 ? 0.45 : 1.0);
    return true;
  }
  for (const double side : {-1.0, 1.0}) {
    const double post = centre + side * (half + 0.003);
    if (std::abs(u - post) < 0.002 + 0.006 * t && v < 0.70 + 0.3 * t) {
      *colour = Rgb{0.16, 0.11, 0.07};
      return true;
    }
  }
  return false;
}

// The big tree on the left: a trunk and a crown of leafy clumps, lit from the right.
bool Tree(double u, double v, Rgb* colour) {
  const double x = u * kAspect;
  const double dx = x - 0.13 * kAspect, dy = v - 0.26;
  // The crown's outline wanders with the direction, read round a circle so it closes on itself.
  const double angle = std::atan2(dy, dx);
  const double radius = 0.21 + 0.08 * (Fractal(std::cos(angle) * 2.5 + 5, std::sin(angle) * 2.5 + 5, 137, 4) - 0.5);
  const double distance = std::hypot(dx, dy * 1.15);
  const double leaves = Fractal(x * 60.0, v * 60.0, 139, 4);
  if (distance <= radius + 0.03 * (leaves - 0.5)) {
    const double light = Clamp01(0.5 + dx * 2.2 - dy * 1.2 + (leaves - 0.5) * 1.2);
    *colour = Mix(Rgb{0.04, 0.12, 0.05}, Rgb{0.42, 0.58, 0.18}, light);
    return true;
  }
  const double trunkCentre = 0.13 * kAspect + 0.004 * std::sin(v * 30.0);
  if (v > 0.34 && v < 0.86 && std::abs(x - trunkCentre) < 0.012 + 0.02 * Smooth(0.70, 0.86, v)) {
    const double bark = Fractal(x * 300.0, v * 40.0, 131, 3);
    *colour = Mix(Rgb{0.10, 0.07, 0.05}, Rgb{0.35, 0.26, 0.18}, bark * Smooth(trunkCentre - 0.01, trunkCentre + 0.015, x));
    return true;
  }
  return false;
}

Rgb Scene(double u, double v) {
  Rgb colour;
  if (Tree(u, v, &colour)) return colour;
  if (Jetty(u, v, &colour)) return colour;
  const double shore = 0.785 + 0.02 * (Fractal(u * 12.0, 0.7, 151, 4) - 0.5);
  if (v >= shore) return Meadow(u, v);
  if (v >= kHorizon) return Lake(u, v);
  return Upper(u, v);
}

}  // namespace

Bitmap24 RenderSamplePhoto() {
  Bitmap24 picture(kSamplePhotoWidth, kSamplePhotoHeight);
  // Four samples a pixel smooth the edges as a lens would.
  constexpr double kOffsets[4][2] = {{0.25, 0.25}, {0.75, 0.25}, {0.25, 0.75}, {0.75, 0.75}};
  for (int y = 0; y < kSamplePhotoHeight; ++y) {
    std::uint8_t* row = picture.Row(y);
    for (int x = 0; x < kSamplePhotoWidth; ++x) {
      Rgb sum;
      for (const auto& offset : kOffsets) {
        sum = sum + Scene((x + offset[0]) / kSamplePhotoWidth, (y + offset[1]) / kSamplePhotoHeight);
      }
      Rgb colour = sum * 0.25;
      // A warm late-afternoon grade, the lens's darker corners and a little sensor grain.
      const double cu = x / double(kSamplePhotoWidth) - 0.5, cv = y / double(kSamplePhotoHeight) - 0.5;
      const double vignette = 1.0 - 0.35 * (cu * cu + cv * cv) * 2.0;
      const double grain = (Lattice(x, y, 181) - 0.5) * 0.035;
      colour = Rgb{colour.r * 1.04, colour.g, colour.b * 0.95} * vignette;
      row[3 * x + 0] = static_cast<std::uint8_t>(std::lround(255 * Clamp01(colour.b + grain)));
      row[3 * x + 1] = static_cast<std::uint8_t>(std::lround(255 * Clamp01(colour.g + grain)));
      row[3 * x + 2] = static_cast<std::uint8_t>(std::lround(255 * Clamp01(colour.r + grain)));
    }
  }
  return picture;
}

}  // namespace atelion
