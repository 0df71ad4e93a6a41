// Transparent brush marks drawn from a few physical traits of real marks:
// - a bristle stroke is a band along a slightly bent path; across it lie the streaks of separate
//   bristles of varied load, some of which run dry before the end; its sides and ends fade softly;
// - a round dab is a disc with a ragged rim and dense clumps of bristle tips;
// - a crosshatch mark is a few thin parallel lines crossed by a second set;
// - a pastel mark is a broad stroke broken by the tooth of the paper and with crumbling edges.
// Each cell is drawn with its own small generator, so every mark differs and the sheets never
// depend on the program's shared random sequence.
#include "styles/painting/alpha_brush_sheets.h"

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

constexpr double kPi = 3.14159265358979;
// Marks keep this far from the cell's border, so that the copy of a cell (which takes the first
// column and row of the next one) never carries paint of a neighbour.
constexpr double kCellMargin = 6.0;

// The marks' own sequence: the bristle sequence, started from a scrambled seed.
BristleRandom MarkRandom(std::uint32_t seed) { return BristleRandom(seed * 2654435761u + 12345u); }

// Value noise in 0..1: hashed lattice values, smoothly interpolated.
double LatticeValue(int x, int y, std::uint32_t seed) {
  std::uint32_t h = static_cast<std::uint32_t>(x) * 374761393u + static_cast<std::uint32_t>(y) * 668265263u + seed * 2246822519u;
  h = (h ^ (h >> 13)) * 1274126177u;
  h ^= h >> 16;
  return static_cast<double>(h & 0xFFFFFF) / 16777215.0;
}

double Noise(double x, double y, std::uint32_t seed) {
  const double fx = std::floor(x), fy = std::floor(y);
  const int ix = static_cast<int>(fx), iy = static_cast<int>(fy);
  double tx = x - fx, ty = y - fy;
  tx = tx * tx * (3 - 2 * tx);
  ty = ty * ty * (3 - 2 * ty);
  const double a = LatticeValue(ix, iy, seed), b = LatticeValue(ix + 1, iy, seed);
  const double c = LatticeValue(ix, iy + 1, seed), d = LatticeValue(ix + 1, iy + 1, seed);
  return (a + (b - a) * tx) * (1 - ty) + (c + (d - c) * tx) * ty;
}

// A mark under construction: coverage 0..1 per pixel, combined "over" as paint builds up.
class Cell {
 public:
  Cell() : coverage_(static_cast<std::size_t>(kAlphaBrushCell) * kAlphaBrushCell, 0.0) {}
  void Lay(int x, int y, double amount) {
    double& c = coverage_[static_cast<std::size_t>(y) * kAlphaBrushCell + x];
    amount = std::clamp(amount, 0.0, 1.0);
    c = c + amount * (1 - c);
  }
  Bitmap32 Picture() const {
    Bitmap32 picture(kAlphaBrushCell, kAlphaBrushCell, 0);
    for (int y = 0; y < kAlphaBrushCell; ++y) {
      std::uint8_t* row = picture.Row(y);
      for (int x = 0; x < kAlphaBrushCell; ++x) {
        const double window = SmoothStep(kCellMargin, kCellMargin + 6, std::min({x, y, kAlphaBrushCell - 1 - x,
                                                                                  kAlphaBrushCell - 1 - y}) * 1.0);
        const double c = coverage_[static_cast<std::size_t>(y) * kAlphaBrushCell + x] * window;
        row[4 * x + 3] = static_cast<std::uint8_t>(std::clamp(std::lround(c * 255.0), 0L, 255L));
      }
    }
    return picture;
  }

 private:
  std::vector<double> coverage_;
};

// One stroke along a bent path through (cx, cy).
struct StrokeShape {
  double cx = 128, cy = 128;
  double angle = 0;       // radians
  double length = 180;    // end to end
  double halfWidth = 30;  // at full pressure
  double bend = 0;        // offset of the path across, per (along / half length)²
  double startSoftness = 0.25, endTaper = 0.35;  // fractions of the half length
  int bristles = 40;
  double dryness = 0.3;  // how far bristles may run dry before the end (0..1)
  double load = 0.95;    // overall density
  double grain = 0.15;   // fine texture of the paint
  double tooth = 0.0;    // paper tooth breaking the paint (pastel)
  double ragged = 0.08;  // irregularity of the sides
  std::uint32_t seed = 1;
};

void LayStroke(Cell& cell, const StrokeShape& shape) {
  BristleRandom random = MarkRandom(shape.seed);
  std::vector<double> strength(static_cast<std::size_t>(shape.bristles) + 2);
  std::vector<double> dryAt(strength.size());
  for (std::size_t b = 0; b < strength.size(); ++b) {
    strength[b] = random.Between(0.35, 1.0);
    if (random.Next() < 0.15) strength[b] *= 0.4;  // a gap between clumps of bristles
    dryAt[b] = 1.0 - shape.dryness * random.Next() * 1.3;
  }
  const double cs = std::cos(shape.angle), sn = std::sin(shape.angle);
  const double half = shape.length / 2;
  const double reach = half + shape.halfWidth + std::abs(shape.bend) + 4;
  const int x0 = std::max(0, static_cast<int>(shape.cx - reach)), x1 = std::min(kAlphaBrushCell - 1, static_cast<int>(shape.cx + reach));
  const int y0 = std::max(0, static_cast<int>(shape.cy - reach)), y1 = std::min(kAlphaBrushCell - 1, static_cast<int>(shape.cy + reach));
  for (int y = y0; y <= y1; ++y) {
    for (int x = x0; x <= x1; ++x) {
      const double dx = x - shape.cx, dy = y - shape.cy;
      const double u = dx * cs + dy * sn;
      const double t = u / half;
      if (t <= -1.05 || t >= 1.05) continue;
      const double v = -dx * sn + dy * cs - shape.bend * t * t;
      const double start = SmoothStep(-1.0, -1.0 + shape.startSoftness, t);
      const double end = 1.0 - SmoothStep(1.0 - shape.endTaper, 1.0, t);
      const double pressure = std::min(start, end);
      const double width = shape.halfWidth * (0.3 + 0.7 * std::sqrt(pressure)) *
                           (1 + shape.ragged * (Noise(u / 9, 0.5, shape.seed) - 0.5) * 2);
      if (width <= 0.5) continue;
      double across = std::abs(v) / width;
      across += shape.ragged * (Noise(x / 3.0, y / 3.0, shape.seed + 7) - 0.5);
      if (across >= 1.0) continue;
      const double side = 1.0 - SmoothStep(0.6, 1.0, across);
      // Which bristle passes here, and how loaded it still is at this point of the stroke.
      const double position = (v / width + 1) / 2 * shape.bristles;
      const int b = std::clamp(static_cast<int>(std::floor(position)), 0, shape.bristles);
      const double f = std::clamp(position - b, 0.0, 1.0);
      const double streak = strength[b] + (strength[b + 1] - strength[b]) * f;
      const double dryEnd = dryAt[b] + (dryAt[b + 1] - dryAt[b]) * f;
      const double dry = 1.0 - SmoothStep(dryEnd - 0.12, dryEnd, t);
      const double grain = 1.0 - shape.grain * Noise(x / 1.7, y / 1.7, shape.seed + 3);
      double tooth = 1.0;
      if (shape.tooth > 0) {
        const double paper = 0.6 * Noise(x / 1.3, y / 1.3, 99) + 0.4 * Noise(x / 3.5, y / 3.5, 98);
        tooth = 1.0 - shape.tooth * (1.0 - SmoothStep(0.3, 0.62, paper));
      }
      const double ends = SmoothStep(0.0, 0.25, pressure);
      cell.Lay(x, y, shape.load * side * streak * dry * grain * tooth * (0.5 + 0.5 * ends) * ends);
    }
  }
}

// A round dab: a disc with a ragged rim, dense clumps of bristle tips over it.
void LayDab(Cell& cell, double cx, double cy, double radius, double squash, double angle, std::uint32_t seed) {
  BristleRandom random = MarkRandom(seed);
  struct Tip {
    double x, y, r, s;
  };
  std::vector<Tip> tips;
  const int count = static_cast<int>(radius * radius * 0.25);
  for (int t = 0; t < count; ++t) {
    const double a = random.Next() * 2 * kPi, d = std::sqrt(random.Next()) * radius;
    tips.push_back({cx + std::cos(a) * d, cy + std::sin(a) * d, random.Between(2.0, 4.5), random.Between(0.4, 1.0)});
  }
  std::vector<double> texture(static_cast<std::size_t>(kAlphaBrushCell) * kAlphaBrushCell, 0.0);
  for (const Tip& tip : tips) {
    const int xa = std::max(0, static_cast<int>(tip.x - 3 * tip.r)), xb = std::min(kAlphaBrushCell - 1, static_cast<int>(tip.x + 3 * tip.r) + 1);
    const int ya = std::max(0, static_cast<int>(tip.y - 3 * tip.r)), yb = std::min(kAlphaBrushCell - 1, static_cast<int>(tip.y + 3 * tip.r) + 1);
    for (int y = ya; y <= yb; ++y) {
      for (int x = xa; x <= xb; ++x) {
        const double d2 = ((x - tip.x) * (x - tip.x) + (y - tip.y) * (y - tip.y)) / (tip.r * tip.r);
        double& v = texture[static_cast<std::size_t>(y) * kAlphaBrushCell + x];
        v = std::max(v, tip.s * std::exp(-d2));
      }
    }
  }
  const double cs = std::cos(angle), sn = std::sin(angle);
  for (int y = 0; y < kAlphaBrushCell; ++y) {
    for (int x = 0; x < kAlphaBrushCell; ++x) {
      const double dx = x - cx, dy = y - cy;
      const double u = dx * cs + dy * sn, v = (-dx * sn + dy * cs) / squash;
      const double phi = std::atan2(v, u);
      const double rim = radius * (1 + 0.12 * (Noise(3 + 2.5 * std::cos(phi), 3 + 2.5 * std::sin(phi), seed) - 0.5) * 2);
      const double rho = std::sqrt(u * u + v * v) / rim;
      if (rho >= 1.0) continue;
      const double shape = 1.0 - SmoothStep(0.5, 1.0, rho);
      const double bristle = texture[static_cast<std::size_t>(y) * kAlphaBrushCell + x];
      cell.Lay(x, y, shape * (0.62 + 0.38 * bristle) * (0.9 + 0.1 * Noise(x / 2.0, y / 2.0, seed + 5)));
    }
  }
}

void DrawDefaultMark(Cell& cell, int index, BristleRandom& random) {
  const std::uint32_t seed = 1000u + static_cast<std::uint32_t>(index);
  switch (index % 5) {
    case 0:  // round dab
      LayDab(cell, 128, 128, random.Between(70, 105), random.Between(0.8, 1.0), random.Between(0, kPi), seed);
      break;
    case 1: {  // broad flat stroke, loaded
      StrokeShape s{.angle = random.Between(-0.5, 0.5), .length = random.Between(200, 228),
                    .halfWidth = random.Between(40, 58), .bend = random.Between(-12, 12),
                    .bristles = 45, .dryness = 0.25, .load = 0.97, .seed = seed};
      LayStroke(cell, s);
      break;
    }
    case 2: {  // tapered stroke
      StrokeShape s{.angle = random.Between(-0.7, 0.7), .length = random.Between(195, 225),
                    .halfWidth = random.Between(28, 42), .bend = random.Between(-18, 18), .startSoftness = 0.15,
                    .endTaper = 0.7, .bristles = 30, .dryness = 0.35, .load = 0.95, .seed = seed};
      LayStroke(cell, s);
      break;
    }
    case 3: {  // dry brush
      StrokeShape s{.angle = random.Between(-0.5, 0.5), .length = random.Between(195, 225),
                    .halfWidth = random.Between(36, 52), .bend = random.Between(-10, 10),
                    .bristles = 55, .dryness = 0.9, .load = 0.9, .grain = 0.3, .seed = seed};
      LayStroke(cell, s);
      break;
    }
    default: {  // oval dab pressed with a turn
      LayDab(cell, 128, 128, random.Between(60, 95), random.Between(0.55, 0.75), random.Between(0, kPi), seed);
      break;
    }
  }
}

void DrawCrosshatchMark(Cell& cell, int index, BristleRandom& random) {
  const double angle = random.Between(-0.4, 0.4);
  const double crossing = angle + random.Between(1.1, 1.9);
  const int sets = index % 4 == 3 ? 1 : 2;  // a few marks are single hatches
  for (int set = 0; set < sets; ++set) {
    const double a = set == 0 ? angle : crossing;
    const int lines = static_cast<int>(random.Between(4, 8.99));
    const double spacing = random.Between(12, 20);
    for (int line = 0; line < lines; ++line) {
      const double offset = (line - (lines - 1) / 2.0) * spacing + random.Between(-2, 2);
      StrokeShape s{.cx = 128 - std::sin(a) * offset, .cy = 128 + std::cos(a) * offset,
                    .angle = a + random.Between(-0.04, 0.04), .length = random.Between(140, 190),
                    .halfWidth = random.Between(2.6, 4.5), .bend = random.Between(-4, 4), .startSoftness = 0.12,
                    .endTaper = 0.3, .bristles = 4, .dryness = 0.3, .load = random.Between(0.8, 1.0), .grain = 0.35,
                    .tooth = 0.25, .ragged = 0.15,
                    .seed = 5000u + static_cast<std::uint32_t>(index * 64 + set * 16 + line)};
      LayStroke(cell, s);
    }
  }
}

void DrawPastelMark(Cell& cell, int index, BristleRandom& random) {
  StrokeShape s{.angle = random.Between(-0.6, 0.6), .length = random.Between(170, 215),
                .halfWidth = random.Between(22, 44), .bend = random.Between(-15, 15), .startSoftness = 0.3,
                .endTaper = 0.45, .bristles = 12, .dryness = 0.4, .load = 1.0, .grain = 0.2,
                .tooth = 0.85, .ragged = 0.35, .seed = 9000u + static_cast<std::uint32_t>(index)};
  LayStroke(cell, s);
  if (index % 3 == 1) {  // a second, lighter pass beside the first
    s.cy += random.Between(-30, 30);
    s.angle += random.Between(-0.2, 0.2);
    s.halfWidth *= 0.6;
    s.load = 0.7;
    s.seed += 77;
    LayStroke(cell, s);
  }
}

}  // namespace

Bitmap32 GenerateAlphaBrushCell(AlphaBrushSheet sheet, int cell) {
  const AlphaBrushSheetInfo& info = kAlphaBrushSheets[static_cast<std::size_t>(sheet)];
  Cell mark;
  if (cell >= 0 && cell < info.marks) {
    BristleRandom random = MarkRandom(static_cast<std::uint32_t>(sheet) * 1000u + static_cast<std::uint32_t>(cell) + 17u);
    switch (sheet) {
      case AlphaBrushSheet::Default: DrawDefaultMark(mark, cell, random); break;
      case AlphaBrushSheet::Crosshatch: DrawCrosshatchMark(mark, cell, random); break;
      case AlphaBrushSheet::Pastel: DrawPastelMark(mark, cell, random); break;
    }
  }
  return mark.Picture();
}

Bitmap32 GenerateAlphaBrushSheet(AlphaBrushSheet sheet) {
  const AlphaBrushSheetInfo& info = kAlphaBrushSheets[static_cast<std::size_t>(sheet)];
  Bitmap32 picture(info.Width(), info.Height(), 0);
  for (int cell = 0; cell < info.marks; ++cell) {
    const Bitmap32 mark = GenerateAlphaBrushCell(sheet, cell);
    const int left = (cell % info.columns) * kAlphaBrushCell, top = (cell / info.columns) * kAlphaBrushCell;
    for (int y = 0; y < kAlphaBrushCell; ++y) {
      std::copy(mark.Row(y), mark.Row(y) + mark.RowBytes(), picture.Row(top + y) + 4 * left);
    }
  }
  return picture;
}

Bitmap24 AlphaBrushSheetColour(AlphaBrushSheet sheet) {
  const AlphaBrushSheetInfo& info = kAlphaBrushSheets[static_cast<std::size_t>(sheet)];
  return Bitmap24(info.Width(), info.Height(), 0x000000);
}

Bitmap24 AlphaBrushSheetMatte(AlphaBrushSheet sheet) {
  return TransparentMatte(GenerateAlphaBrushSheet(sheet));
}

const Bitmap32& ShippedAlphaBrushSheet(AlphaBrushSheet sheet) {
  static std::array<std::once_flag, kAlphaBrushSheetCount> once;
  static std::array<Bitmap32, kAlphaBrushSheetCount> sheets;
  const std::size_t index = static_cast<std::size_t>(sheet);
  std::call_once(once[index], [&] {
    const AlphaBrushSheetInfo& info = kAlphaBrushSheets[index];
    std::optional<Bitmap32> read =
        ReadTransparentResourcePicture(info.colourPath, info.mattePath, info.Width(), info.Height());
    sheets[index] = read ? std::move(*read) : GenerateAlphaBrushSheet(sheet);
  });
  return sheets[index];
}

}  // namespace atelion
