// Round bristle brushes. The dab is an ellipse whose density falls smoothly to zero over the
// outer part of its radius; over it lie a few hundred bristle tips, small soft dots of varied
// strength, and a slow variation of the paint load, so that a dab dragged along a path leaves
// the streaks of separate bristles and fades out at its sides.
#include "styles/painting/flow_brushes.h"

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



}  // namespace

Bitmap32 GenerateFlowBrush(FlowBrush brush) {
  const FlowBrushInfo& info = kFlowBrushes[static_cast<std::size_t>(brush)];
  const int width = info.width, height = info.height;
  const double cx = (width - 1) / 2.0, cy = (height - 1) / 2.0;
  const double rx = width / 2.0 - 1.0, ry = height / 2.0 - 1.0;
  const double size = std::min(rx, ry);

  // Bristle tips: soft dots scattered over the dab, more of them towards the middle.
  struct Tip {
    double x, y, radius, strength;
  };
  BristleRandom random(0x5EED0000u + static_cast<std::uint32_t>(brush) * 7919u);
  std::vector<Tip> tips;
  const int tipCount = static_cast<int>(size * size * 0.9);
  for (int t = 0; t < tipCount; ++t) {
    const double angle = random.Next() * 2 * 3.14159265358979;
    const double reach = std::sqrt(random.Next()) * 1.02;
    tips.push_back({cx + std::cos(angle) * reach * rx, cy + std::sin(angle) * reach * ry,
                    0.8 + random.Next() * std::max(1.0, size / 14.0), 0.45 + 0.55 * random.Next()});
  }
  // The paint load: a few broad lighter and heavier areas.
  struct Load {
    double x, y, radius, amount;
  };
  std::vector<Load> loads;
  for (int t = 0; t < 6; ++t) {
    loads.push_back({cx + (random.Next() - 0.5) * rx * 1.4, cy + (random.Next() - 0.5) * ry * 1.4,
                     size * (0.25 + 0.3 * random.Next()), (random.Next() - 0.5) * 0.5});
  }

  std::vector<double> bristles(static_cast<std::size_t>(width) * height, 0.0);
  for (const Tip& tip : tips) {
    const int x0 = std::max(0, static_cast<int>(tip.x - 3 * tip.radius));
    const int x1 = std::min(width - 1, static_cast<int>(tip.x + 3 * tip.radius) + 1);
    const int y0 = std::max(0, static_cast<int>(tip.y - 3 * tip.radius));
    const int y1 = std::min(height - 1, static_cast<int>(tip.y + 3 * tip.radius) + 1);
    for (int y = y0; y <= y1; ++y) {
      for (int x = x0; x <= x1; ++x) {
        const double d2 = ((x - tip.x) * (x - tip.x) + (y - tip.y) * (y - tip.y)) / (tip.radius * tip.radius);
        double& b = bristles[static_cast<std::size_t>(y) * width + x];
        b = std::max(b, tip.strength * std::exp(-d2));
      }
    }
  }

  Bitmap32 picture(width, height, 0);
  for (int y = 0; y < height; ++y) {
    std::uint8_t* row = picture.Row(y);
    for (int x = 0; x < width; ++x) {
      const double u = (x - cx) / rx, v = (y - cy) / ry;
      const double rho = std::sqrt(u * u + v * v);
      const double shape = 1.0 - SmoothStep(0.2, 1.0, rho);
      double load = 1.0;
      for (const Load& l : loads) {
        const double d2 = ((x - l.x) * (x - l.x) + (y - l.y) * (y - l.y)) / (l.radius * l.radius);
        load += l.amount * std::exp(-d2);
      }
      const double bristle = bristles[static_cast<std::size_t>(y) * width + x];
      const double density = shape * std::clamp(load, 0.5, 1.3) * (0.35 + 0.65 * bristle);
      row[4 * x + 3] = static_cast<std::uint8_t>(std::clamp(std::lround(density * 255.0), 0L, 255L));
    }
  }
  return picture;
}

Bitmap24 FlowBrushColour(FlowBrush brush) {
  const FlowBrushInfo& info = kFlowBrushes[static_cast<std::size_t>(brush)];
  return Bitmap24(info.width, info.height, 0x000000);
}

Bitmap24 FlowBrushMatte(FlowBrush brush) {
  return TransparentMatte(GenerateFlowBrush(brush));
}

const Bitmap32& ShippedFlowBrush(FlowBrush brush) {
  static std::array<std::once_flag, kFlowBrushCount> once;
  static std::array<Bitmap32, kFlowBrushCount> brushes;
  const std::size_t index = static_cast<std::size_t>(brush);
  std::call_once(once[index], [&] {
    const FlowBrushInfo& info = kFlowBrushes[index];
    std::optional<Bitmap32> read =
        ReadTransparentResourcePicture(info.colourPath, info.mattePath, info.width, info.height);
    brushes[index] = read ? std::move(*read) : GenerateFlowBrush(brush);
  });
  return brushes[index];
}

}  // namespace atelion
