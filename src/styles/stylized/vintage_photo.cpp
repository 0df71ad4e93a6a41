// Vintage photo: vignette, in-place blur, paper blotches, sepia tone, grey mix and brightness.
#include "styles/stylized/vintage_photo.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "core/canvas.h"
#include "styles/stylized/old_paper_picture.h"

namespace atelion {

namespace {

// The paper is tiled from its top-left corner with this period (the columns and rows beyond it
// are never read).
constexpr int kPaperTileWidth = 56;
constexpr int kPaperTileHeight = 63;
// Paper value at which a pixel is neither lightened nor darkened.
constexpr int kNeutralPaper = 190;
// Columns coloured between two progress reports.
constexpr int kProgressColumns = 64;

// sum div divisor for every sum the blur can form, so the inner loops need no division.
std::vector<std::uint8_t> QuotientTable(int largestSum, int divisor) {
  std::vector<std::uint8_t> table(static_cast<std::size_t>(largestSum) + 1);
  for (int s = 0; s <= largestSum; ++s) table[static_cast<std::size_t>(s)] = static_cast<std::uint8_t>(std::min(s / divisor, 255));
  return table;
}

void BlurPass(Bitmap24& image, int k, const std::vector<std::uint8_t>& byEight,
              const std::vector<std::uint8_t>& byFive) {
  const int width = image.Width();
  const int height = image.Height();
  // Interior, top to bottom and left to right, reading the neighbours as they stand.
  for (int y = 1; y + 1 < height; ++y) {
    const std::uint8_t* up = image.Row(y - 1);
    std::uint8_t* row = image.Row(y);
    const std::uint8_t* down = image.Row(y + 1);
    for (int i = 3; i < 3 * (width - 1); ++i) {
      const int sum = up[i - 3] + up[i] + up[i + 3] + row[i - 3] + row[i + 3] + down[i - 3] + down[i] + down[i + 3];
      row[i] = byEight[static_cast<std::size_t>(sum + k * row[i])];
    }
  }
  // Top and bottom rows: the two neighbours in the row and the three in the next row inwards.
  if (height >= 2) {
    for (const auto& [y, inner] : {std::pair{0, 1}, {height - 1, height - 2}}) {
      std::uint8_t* row = image.Row(y);
      const std::uint8_t* next = image.Row(inner);
      for (int i = 3; i < 3 * (width - 1); ++i) {
        const int sum = row[i - 3] + row[i + 3] + next[i - 3] + next[i] + next[i + 3];
        row[i] = byFive[static_cast<std::size_t>(sum + k * row[i])];
      }
    }
  }
  // Left and right columns: the two neighbours in the column and the three in the next column.
  if (width >= 2) {
    for (const auto& [x, inner] : {std::pair{0, 1}, {width - 1, width - 2}}) {
      for (int y = 1; y + 1 < height; ++y) {
        std::uint8_t* pixel = image.Row(y) + 3 * x;
        const std::uint8_t* above = image.Row(y - 1);
        const std::uint8_t* below = image.Row(y + 1);
        const std::uint8_t* side = image.Row(y) + 3 * inner;
        for (int c = 0; c < 3; ++c) {
          const int sum = above[3 * x + c] + below[3 * x + c] + above[3 * inner + c] + side[c] + below[3 * inner + c];
          pixel[c] = byFive[static_cast<std::size_t>(sum + k * pixel[c])];
        }
      }
    }
  }
}

// The paper's tone for each place of the repeating tile.
struct PaperTile {
  std::array<std::array<int, kPaperTileWidth>, kPaperTileHeight> red{};
};

PaperTile TileOf(const Bitmap24& paper) {
  PaperTile tile;
  for (int y = 0; y < kPaperTileHeight; ++y)
    for (int x = 0; x < kPaperTileWidth; ++x) tile.red[y][x] = paper.InBounds(x, y) ? paper.Row(y)[3 * x + 2] : kNeutralPaper;
  return tile;
}

void ColourColumns(const Bitmap24& s, Bitmap24& d, const PaperTile& tile, const VintagePhotoParameters& p, int first,
                   int end) {
  const int strength = p.strength, sepia = p.sepia, shift = p.darkenLighten - 127;
  for (int y = 0; y < s.Height(); ++y) {
    const std::uint8_t* in = s.Row(y);
    std::uint8_t* out = d.Row(y);
    const auto& paperRow = tile.red[static_cast<std::size_t>(y % kPaperTileHeight)];
    for (int x = first; x < end; ++x) {
      const int defect = (kNeutralPaper - paperRow[static_cast<std::size_t>(x % kPaperTileWidth)]) * p.paperDefects / 50;
      const int sb = in[3 * x], sg = in[3 * x + 1], sr = in[3 * x + 2];
      const int r = std::clamp(sr + defect, 0, 255), g = std::clamp(sg + defect, 0, 255), b = std::clamp(sb + defect, 0, 255);
      const int tr = std::min((420 * r + 769 * g + 189 * b) / 1000, 255);
      const int tg = std::min((349 * r + 686 * g + 168 * b) / 1000, 255);
      const int tb = std::min((272 * r + 534 * g + 131 * b) / 1000, 255);
      const int grey = (r + g + b) / 3;
      auto finish = [&](int toned, int own) {
        const int v = toned * strength / 255 + own * (255 - strength) / 255;
        return static_cast<std::uint8_t>(std::clamp(v * sepia / 255 + grey * (255 - sepia) / 255 + shift, 0, 255));
      };
      out[3 * x + 2] = finish(tr, sr);
      out[3 * x + 1] = finish(tg, sg);
      out[3 * x] = finish(tb, sb);
    }
  }
}

}  // namespace

VintagePhotoParameters VintagePhotoParametersFrom(const ParameterSet& sliders) {
  auto slider = [&](int slot) { return ClampToSlider(kVintagePhotoEffectId, slot, sliders[slot]); };
  return {slider(kSlotTrackBar1), slider(kSlotTrackBar2), slider(kSlotTrackBar5), slider(kSlotTrackBar3),
          slider(kSlotTrackBar4)};
}

void Vignette(Bitmap24& image) {
  const int width = image.Width();
  const int height = image.Height();
  if (image.Empty()) return;
  Bitmap24 mask(width, height);
  const int half = std::max(width, height) / 2;
  for (int i = 0; i <= half; ++i) {
    // A picture of one pixel has no rings beyond the first, which is white.
    const int grey = half == 0 ? 255 : std::max((half - (16 * i) / 10) * 255 / half, 0);
    DrawEllipse(mask, {-i, -i, width + i, height + i}, Pen{MakeColour(grey, grey, grey), 2}, std::nullopt);
  }
  for (int y = 0; y < height; ++y) {
    std::uint8_t* row = image.Row(y);
    const std::uint8_t* v = mask.Row(y);
    for (int i = 0; i < 3 * width; ++i) row[i] = static_cast<std::uint8_t>(row[i] * v[i] / 256);
  }
}

void VintageBlur(Bitmap24& image, int centreWeight, int passes, RunContext* context, bool report) {
  const int k = std::clamp(centreWeight, 0, 255);
  const std::vector<std::uint8_t> byEight = QuotientTable(8 * 255 + k * 255, k + 8);
  const std::vector<std::uint8_t> byFive = QuotientTable(5 * 255 + k * 255, k + 5);
  for (int pass = 0; pass < passes; ++pass) {
    if (report && context != nullptr) context->ReportProgress(pass, passes, 1, 2);
    BlurPass(image, k, byEight, byFive);
  }
}

void VintagePhoto(Bitmap24& source, Bitmap24& destination, const Bitmap24& paper, const StyleSettings& settings,
                  RunContext& context) {
  const VintagePhotoParameters p = VintagePhotoParametersFrom(settings.sliders);
  const bool report = !settings.preview;
  const int width = source.Width();
  if (!settings.preview) Vignette(source);
  const PaperTile tile = TileOf(paper);
  destination = Bitmap24(width, source.Height());
  VintageBlur(source, 255 - p.blur, p.blur / 10 + 1, &context, report);

  if (report) context.ReportProgress(0, width - 1, 2, 2);
  for (int first = 0; first < width; first += kProgressColumns) {
    const int end = std::min(first + kProgressColumns, width);
    ColourColumns(source, destination, tile, p, first, end);
    if (report) context.ReportProgress(end - 1, width - 1, 2, 2);
  }
  if (report) context.ReportProgress(100, 100, 2, 2);
}

StyleOutput PreviewVintagePhoto(const Bitmap24& crop, const StyleSettings& settings, const SurfaceSettings&,
                                RunContext& context) {
  const ProcessingScope processing(context);
  StyleOutput output{.sliders = settings.sliders};
  Bitmap24 source = crop;
  VintagePhoto(source, output.picture, OldPaperPicture(), settings, context);
  return output;
}

StyleOutput ProcessSepia(Bitmap24& source, Bitmap24& shown, const StyleSettings& settings, const SurfaceSettings&,
                         RunContext& context) {
  ReleaseUnwatchedShown(shown, settings);
  StyleOutput output{.sliders = settings.sliders};
  Bitmap24 copy = OwnSource(source, settings);
  VintagePhoto(copy, output.picture, OldPaperPicture(), settings, context);
  return output;
}

}  // namespace atelion
