// The dab is an ellipse filling the picture. Its density follows a lit dome: the surface normal
// of a half-ellipsoid against a light from the upper left gives the shading, which thins the
// paint where the dome faces the light; across it run fine streaks of bristles, slightly curved,
// and the rim fades out softly.
#include "styles/painting/shaded_brush.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <mutex>
#include <optional>
#include <vector>

#include "imageio/resource_pictures.h"
#include "styles/painting/brush_drawing.h"

namespace atelion {

namespace {


}  // namespace

Bitmap32 GenerateShadedBrush() {
  const int width = kShadedBrushWidth, height = kShadedBrushHeight;
  const double cx = (width - 1) / 2.0, cy = (height - 1) / 2.0;
  const double rx = width / 2.0 - 1.5, ry = height / 2.0 - 1.5;
  // Bristle streaks: a load per bristle across the dab, from a small generator of our own.
  constexpr int kBristles = 70;
  std::vector<double> load(kBristles + 1);
  std::uint32_t state = 0x3D3D3D3Du;
  for (double& l : load) {
    state = state * 1664525u + 1013904223u;
    l = 0.72 + 0.28 * static_cast<double>(state >> 8) / 16777216.0;
  }
  // Light from the upper left and a little in front.
  const double lx = -0.55, ly = -0.6, lz = 0.58;
  Bitmap32 picture(width, height, 0);
  for (int y = 0; y < height; ++y) {
    std::uint8_t* row = picture.Row(y);
    for (int x = 0; x < width; ++x) {
      const double u = (x - cx) / rx, v = (y - cy) / ry;
      const double rho = std::sqrt(u * u + v * v);
      if (rho >= 1.0) continue;
      const double nz = std::sqrt(std::max(0.0, 1.0 - rho * rho));
      const double lit = std::clamp(u * lx + v * ly + nz * lz, 0.0, 1.0);
      const double shade = 1.0 - 0.55 * lit * lit;
      // The streaks run along the dab's diagonal and bend a little towards its rim.
      const double across = (u - v) / 2.0 + 0.08 * (u + v) * (u + v);
      const double position = std::clamp((across + 1.0) / 2.0, 0.0, 1.0) * kBristles;
      const int b = std::min(static_cast<int>(position), kBristles - 1);
      const double f = position - b;
      const double streak = load[b] + (load[b + 1] - load[b]) * f;
      const double rim = 1.0 - SmoothStep(0.72, 1.0, rho);
      const double density = rim * shade * streak;
      row[4 * x + 3] = static_cast<std::uint8_t>(std::clamp(std::lround(density * 255.0), 0L, 255L));
    }
  }
  return picture;
}

Bitmap24 ShadedBrushColour() { return Bitmap24(kShadedBrushWidth, kShadedBrushHeight, 0x000000); }

Bitmap24 ShadedBrushMatte() {
  return TransparentMatte(GenerateShadedBrush());
}

const Bitmap32& StandardPaintBrush3D() {
  static std::once_flag once;
  static Bitmap32 brush;
  std::call_once(once, [] {
    std::optional<Bitmap32> read = ReadTransparentResourcePicture(kShadedBrushColourPath, kShadedBrushMattePath,
                                                                  kShadedBrushWidth, kShadedBrushHeight);
    brush = read ? std::move(*read) : GenerateShadedBrush();
  });
  return brush;
}

}  // namespace atelion
