// Pen hatching is laid down as families of parallel lines, each line a chain of short pen strokes:
// the pen lands with a little more ink, the line bows slightly and thins towards its end, and a
// small gap is left before the next stroke. Darker patterns add crossing families (rising and
// falling diagonals, then verticals) and draw every family closer. Each cell is a torus: a stroke
// that leaves one side comes back in at the other, and the line families are chosen so that their
// lines meet themselves across the borders, so the cells tile without seams.
#include "styles/sketch/ink_hatching_sheet.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <numeric>
#include <optional>
#include <vector>

#include "core/run_context.h"
#include "imageio/resource_pictures.h"

namespace atelion {

namespace {

constexpr int W = kInkHatchCellWidth;
constexpr int H = kInkHatchCellHeight;
constexpr double kPaper = 255.0;

// A direction of lines as an integer step (a, b): the lines of a family repeat over the cell
// exactly when their spacing divides the cell's period across them.
struct Direction {
  int a, b;
};
constexpr Direction kHorizontal{1, 0};
constexpr Direction kRising{1, -1};
constexpr Direction kFalling{1, 1};
constexpr Direction kVertical{0, 1};

struct Family {
  Direction direction;
  double spacing;  // wanted distance between neighbouring lines, in pixels, before calibration
};

struct PatternDesign {
  std::vector<Family> families;
  double strokeLength;  // mean length of one pen stroke
  double gap;           // mean gap between strokes of a line
};

// Darkest first. The base spacings set the balance between the families of a pattern; one
// calibrated factor then scales them all to reach the pattern's tone.
std::vector<PatternDesign> Designs() {
  return {
      {{{kHorizontal, 3.0}, {kRising, 3.0}, {kFalling, 3.0}, {kVertical, 3.0}}, 40, 2.0},
      {{{kHorizontal, 3.0}, {kRising, 3.0}, {kFalling, 3.3}, {kVertical, 4.0}}, 42, 2.5},
      {{{kHorizontal, 3.0}, {kRising, 3.2}, {kFalling, 3.6}, {kVertical, 5.0}}, 44, 3.0},
      {{{kHorizontal, 3.0}, {kRising, 3.2}, {kFalling, 3.8}}, 46, 3.0},
      {{{kHorizontal, 3.0}, {kRising, 3.4}, {kFalling, 4.5}}, 50, 3.5},
      {{{kHorizontal, 3.0}, {kRising, 3.8}}, 54, 3.5},
      {{{kHorizontal, 3.0}, {kRising, 5.0}}, 58, 4.0},
      {{{kHorizontal, 3.0}}, 64, 4.0},
      {{{kHorizontal, 3.0}}, 56, 7.0},
  };
}

struct Cell {
  std::vector<double> ink = std::vector<double>(static_cast<std::size_t>(W) * H, 0.0);  // 0 paper … 1 full ink
  double& at(int x, int y) {
    const int wx = ((x % W) + W) % W;
    const int wy = ((y % H) + H) % H;
    return ink[static_cast<std::size_t>(wy) * W + wx];
  }
  double Mean() const { return std::accumulate(ink.begin(), ink.end(), 0.0) / ink.size(); }
};

double Smoothstep(double t) {
  t = std::clamp(t, 0.0, 1.0);
  return t * t * (3.0 - 2.0 * t);
}

struct Stroke {
  double centreX, centreY;
  double directionX, directionY;  // unit vector along the stroke
  double length;
  double halfWidth;
  double bow;    // how far the middle of the stroke leaves the straight line, in pixels
  double start;  // extra weight where the pen lands
};

// Lays one stroke into the cell, wrapping around its borders. The ink edge is sharp (one pixel of
// antialiasing), as a pen line is; overlapping strokes darken a little more.
void DrawStroke(const Stroke& s, Cell& cell) {
  // The box around the stroke's two ends, widened by its width and bow; in each row only the
  // columns near the stroke's line are visited.
  const double side = s.halfWidth + 0.5 + std::abs(s.bow) + 1.5;
  const double endX = std::abs(s.directionX) * (s.length / 2 + 1);
  const double endY = std::abs(s.directionY) * (s.length / 2 + 1);
  const int left = static_cast<int>(std::floor(s.centreX - endX - side));
  const int right = static_cast<int>(std::ceil(s.centreX + endX + side));
  const int top = static_cast<int>(std::floor(s.centreY - endY - side));
  const int bottom = static_cast<int>(std::ceil(s.centreY + endY + side));
  for (int y = top; y <= bottom; ++y) {
    int first = left, last = right;
    if (std::abs(s.directionY) > 1e-3) {
      // Across = −dx·directionY + dy·directionX: within ±side for x in a span around the line.
      const double middle = s.centreX - 0.5 + (y + 0.5 - s.centreY) * s.directionX / s.directionY;
      const double half = side / std::abs(s.directionY);
      first = std::max(left, static_cast<int>(std::floor(middle - half)));
      last = std::min(right, static_cast<int>(std::ceil(middle + half)));
    }
    for (int x = first; x <= last; ++x) {
      const double dx = x + 0.5 - s.centreX;
      const double dy = y + 0.5 - s.centreY;
      const double along = dx * s.directionX + dy * s.directionY;
      if (std::abs(along) > s.length / 2 + 0.5) continue;
      const double t = along / s.length + 0.5;  // 0 where the pen lands, 1 where it lifts
      const double curve = s.bow * std::sin(std::numbers::pi * std::clamp(t, 0.0, 1.0));
      const double across = std::abs(-dx * s.directionY + dy * s.directionX - curve);
      // Full width soon after landing, thinning over the last third as the pen lifts.
      const double width = s.halfWidth * (0.55 + 0.45 * Smoothstep(t / 0.08)) * (0.45 + 0.55 * Smoothstep((1 - t) / 0.35)) +
                           s.start * (1 - Smoothstep(t / 0.1));
      const double lengthwise = std::clamp(s.length / 2 + 0.5 - std::abs(along), 0.0, 1.0);
      const double cover = std::clamp(width + 0.5 - across, 0.0, 1.0) * lengthwise;
      if (cover <= 0) continue;
      double& ink = cell.at(x, y);
      ink = 1 - (1 - ink) * (1 - 0.92 * cover);
    }
  }
}

// One family of lines over the cell. On the torus every line closes on itself after a whole
// number of cells, and the family holds a whole number of distinct lines: the spacing is the
// nearest one that divides the period across the lines (moving by the cell's width or height
// shifts a line's offset by |b|·W or |a|·H over the direction's length). Each line is walked once
// round its whole closed length, stroke after stroke, so its strokes meet across the borders as
// anywhere else.
void DrawFamily(const Family& family, double scale, const PatternDesign& design, std::uint32_t seed, Cell& cell) {
  const int a = family.direction.a, b = family.direction.b;
  const double norm = std::hypot(a, b);
  const double directionX = a / norm;
  const double directionY = b / norm;
  const double normalX = -directionY;
  const double normalY = directionX;
  const int period = std::gcd(std::abs(b) * W, std::abs(a) * H);
  const double wanted = family.spacing * scale;
  const int lines = std::max(1, static_cast<int>(std::lround(period / norm / wanted)));
  const double spacing = period / norm / lines;
  // Steps of (a, b) until the line is back where it started.
  const int steps = std::lcm(W / std::gcd(std::abs(a), W), H / std::gcd(std::abs(b), H));
  const double closedLength = steps * norm;

  for (int k = 0; k < lines; ++k) {
    // Each line draws from its own generator, so the lines do not shift when another changes.
    RandomGenerator rng;
    rng.RandomSeed = seed ^ (static_cast<std::uint32_t>(k + 1000) * 2654435761u);
    rng.Random();
    const double offset = k * spacing + (rng.Random() - 0.5) * 0.06 * spacing;
    const double start = rng.Random() * closedLength;
    double along = start;
    const double end = start + closedLength;
    while (along < end - 4) {
      double length = design.strokeLength * (0.6 + 0.8 * rng.Random());
      const double gap = design.gap * (0.6 + 0.8 * rng.Random());
      // The last stroke of the round ends a gap before the first one began.
      if (along + length + gap > end) length = std::max(3.0, end - along - gap);
      const double middle = along + length / 2;
      along += length + gap;
      Stroke s;
      const double jitter = (rng.Random() - 0.5) * 2.0 * std::numbers::pi / 180.0;
      const double sideways = (rng.Random() - 0.5) * 0.3;
      s.length = length;
      s.halfWidth = 0.4 + 0.15 * rng.Random();
      s.bow = (rng.Random() - 0.5) * 1.6;
      s.start = 0.15 * rng.Random();
      const double angle = std::atan2(directionY, directionX) + jitter;
      s.directionX = std::cos(angle);
      s.directionY = std::sin(angle);
      s.centreX = normalX * (offset + sideways) + directionX * middle;
      s.centreY = normalY * (offset + sideways) + directionY * middle;
      DrawStroke(s, cell);
    }
  }
}

Cell DrawPattern(const PatternDesign& design, double scale, int pattern) {
  Cell cell;
  std::uint32_t seed = 0x1A7C0000u + static_cast<std::uint32_t>(pattern) * 7919u;
  for (const Family& family : design.families) {
    DrawFamily(family, scale, design, seed, cell);
    seed = seed * 134775813u + 1u;
  }
  return cell;
}

}  // namespace

Bitmap24 GenerateInkHatchSheet() {
  const std::vector<PatternDesign> designs = Designs();
  Bitmap24 sheet(kInkHatchSheetWidth, kInkHatchSheetHeight);
  for (int pattern = 0; pattern < kInkHatchPatternCount; ++pattern) {
    const PatternDesign& design = designs[static_cast<std::size_t>(pattern)];
    // Ink strength of 235 (ink about 20) is the pen's own black; the spacing scale is searched so
    // the pattern comes near its tone, and the ink strength then makes up the last difference.
    const double target = kInkHatchMeanTone[pattern];
    constexpr double kInkStrength = 235.0;
    const double wantedCover = (kPaper - target) / kInkStrength;
    double low = 0.3, high = 8.0;  // larger scale: wider spacing, less ink
    for (int step = 0; step < 13; ++step) {
      const double middle = std::sqrt(low * high);
      if (DrawPattern(design, middle, pattern).Mean() > wantedCover) {
        low = middle;
      } else {
        high = middle;
      }
    }
    const Cell cell = DrawPattern(design, std::sqrt(low * high), pattern);
    const double cover = std::max(cell.Mean(), 1e-6);
    const double strength = std::clamp((kPaper - target) / cover, 200.0, 252.0);

    const int left = InkHatchCellColumn(pattern) * W;
    const int top = InkHatchCellRow(pattern) * H;
    for (int y = 0; y < H; ++y) {
      std::uint8_t* row = sheet.Row(top + y) + 3 * left;
      for (int x = 0; x < W; ++x) {
        const double value = kPaper - strength * cell.ink[static_cast<std::size_t>(y) * W + x];
        const auto grey = static_cast<std::uint8_t>(std::clamp(std::lround(value), 0L, 255L));
        row[3 * x] = row[3 * x + 1] = row[3 * x + 2] = grey;
      }
    }
  }
  return sheet;
}

const Bitmap24& InkHatchSheet() {
  // Initialised once, also when several threads ask at the same time.
  static const Bitmap24 sheet = [] {
    std::optional<Bitmap24> shipped = ReadResourcePicture(kInkHatchSheetPath, kInkHatchSheetWidth, kInkHatchSheetHeight);
    return shipped ? std::move(*shipped) : GenerateInkHatchSheet();
  }();
  return sheet;
}

}  // namespace atelion
