// Cartoon 2: flat colours with ink. The colours are flattened by passes in which a pixel close to
// the mean of its 14 neighbours takes that mean; edges keep the softened photograph; black ink
// marks pixels the detail kernel finds darker than their surroundings, and the rest is lightened
// in hue–lightness–saturation space.
#include "styles/sketch/cartoon_2.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <utility>
#include <vector>

#include "core/canvas.h"
#include "core/filters.h"
#include "core/worker_pool.h"
#include "core/hls.h"
#include "core/paper_texture.h"
#include "styles/sketch/detail_kernel.h"

namespace atelion {

namespace {

using Parameters = Cartoon2Parameters;

// The flattening neighbourhood: rows y − 1 and y + 1 over columns x − 2 .. x + 2 and row y at
// x − 2, x − 1, x + 1, x + 2, that is the 5 × 3 box around the pixel without the pixel itself.
constexpr int kNeighbourCount = 14;

std::uint8_t Clamp255(int value) { return static_cast<std::uint8_t>(std::clamp(value, 0, 255)); }

// One flattening pass over rows 2 .. H − 2 and columns 2 .. W − 3, reading `work` and `original`
// and writing every pixel of `destination` (of the same size): the pixels outside those rows and
// columns are never flattened and keep the original colour.
void FlattenPass(const Bitmap24& work, const Bitmap24& original, Bitmap24& destination, int tolerance) {
  const int width = work.Width();
  const int height = work.Height();
  const std::size_t rowBytes = work.RowBytes();
  const bool flattens = width >= 5 && height >= 4;
  // Each row is written from rows of `work` and `original` alone: bands of rows run side by side.
  ForEachRowBand(height, 64, [&](int firstRow, int endRow) {
  std::vector<int> columnSums(rowBytes);  // per channel byte, the sum over rows y − 1 .. y + 1
  std::vector<int> means(rowBytes);
  for (int y = firstRow; y < endRow; ++y) {
    const std::uint8_t* kept = original.Row(y);
    std::uint8_t* out = destination.Row(y);
    if (!flattens || y < 2 || y > height - 2) {
      std::memcpy(out, kept, rowBytes);
      continue;
    }
    const std::uint8_t* above = work.Row(y - 1);
    const std::uint8_t* here = work.Row(y);
    const std::uint8_t* below = work.Row(y + 1);
    for (std::size_t i = 0; i < rowBytes; ++i) columnSums[i] = above[i] + here[i] + below[i];
    // Channel byte i = 3x + c of the pixels x = 2 .. W − 3.
    for (std::size_t i = 6; i + 6 < rowBytes; ++i) {
      const int box = columnSums[i - 6] + columnSums[i - 3] + columnSums[i] + columnSums[i + 3] + columnSums[i + 6];
      means[i] = (box - here[i]) / kNeighbourCount;
    }
    std::memcpy(out, kept, 6);
    std::memcpy(out + rowBytes - 6, kept + rowBytes - 6, 6);
    for (int x = 2; x <= width - 3; ++x) {
      const int i = 3 * x;
      const int e = std::max({std::abs(means[i] - here[i]), std::abs(means[i + 1] - here[i + 1]),
                              std::abs(means[i + 2] - here[i + 2])});
      for (int c = 0; c < 3; ++c) out[i + c] = e <= tolerance ? static_cast<std::uint8_t>(means[i + c]) : kept[i + c];
    }
  }
  });
}

// Along colour steps to the left or upper neighbour of at least 255 − Edge intensity, the
// softened original, darkened to 98 %; elsewhere the flat colour shifted by Darken/Lighten − 127.
void EdgePass(const Bitmap24& softenedOriginal, Bitmap24& destination, const Parameters& p) {
  const int width = softenedOriginal.Width();
  const int height = softenedOriginal.Height();
  const int t = 255 - p.edgeIntensity;
  const int shift = p.darkenLighten - 127;
  for (int y = 1; y < height; ++y) {
    const std::uint8_t* above = softenedOriginal.Row(y - 1);
    const std::uint8_t* here = softenedOriginal.Row(y);
    std::uint8_t* out = destination.Row(y);
    for (int x = 1; x < width; ++x) {
      const int i = 3 * x;
      int a = 0, b = 0;
      for (int c = 0; c < 3; ++c) {
        a += std::abs(here[i - 3 + c] - here[i + c]);
        b += std::abs(here[i + c] - above[i + c]);
      }
      if (a < t && b < t) {
        for (int c = 0; c < 3; ++c) out[i + c] = Clamp255(out[i + c] + shift);
      } else {
        for (int c = 0; c < 3; ++c) out[i + c] = static_cast<std::uint8_t>((98 * here[i + c]) / 100);
      }
    }
  }
}

// The light step of the ink pass, l − s div 10 + 25 limited to 10 .. 255, remembered per colour:
// the flat areas repeat the same few colours over and over.
class LightenedColours {
 public:
  LightenedColours() : keys_(kSize, kEmpty), values_(kSize) {}

  Colour Of(Colour colour) {
    const std::size_t slot = (colour * 2654435761u) >> (32 - kBits);
    if (keys_[slot] != colour) {
      keys_[slot] = colour;
      const HlsColour hls = ColorRGBToHLS(colour);
      const int lightness = std::clamp(hls.lightness - hls.saturation / 10 + 25, 10, 255);
      values_[slot] = ColorHLSToRGB(hls.hue, lightness, hls.saturation);
    }
    return values_[slot];
  }

 private:
  static constexpr int kBits = 16;
  static constexpr std::size_t kSize = std::size_t{1} << kBits;
  static constexpr Colour kEmpty = 0xFFFFFFFFu;  // no colour has a fourth byte
  std::vector<Colour> keys_;
  std::vector<Colour> values_;
};

// The rules leave the outermost two rows and columns unflattened and unlightened, and each
// flattening pass can carry their unflattened colour one row and two columns further inwards (the
// local contrast of the first pass also darkens the last four rows and columns against its white
// padding): a dark frame, growing with the number of passes, would run round the cartoon. The
// drawing is therefore made on the photograph grown on every side, its outermost pixels repeated,
// by as many pixels as that frame can reach, and cut back afterwards.
int FrameReach(const Parameters& p) { return 2 * (p.strength + 1) + 8; }

Bitmap24 GrownByRepeatedEdges(const Bitmap24& picture, int margin) {
  const int width = picture.Width(), height = picture.Height();
  Bitmap24 grown(width + 2 * margin, height + 2 * margin);
  for (int y = 0; y < grown.Height(); ++y) {
    const std::uint8_t* row = picture.Row(std::clamp(y - margin, 0, height - 1));
    std::uint8_t* out = grown.Row(y);
    for (int x = 0; x < grown.Width(); ++x) std::memcpy(out + 3 * x, row + 3 * std::clamp(x - margin, 0, width - 1), 3);
  }
  return grown;
}

// The tile moved so that, laid over the grown picture, it falls on the photograph's pixels as it
// would on the photograph itself (the tile repeats every width − 1 and height − 1 pixels).
Bitmap24 TileShiftedBy(const Bitmap24& tile, int shift) {
  const int periodX = tile.Width() - 1, periodY = tile.Height() - 1;
  if (periodX < 1 || periodY < 1) return tile;
  Bitmap24 shifted(tile.Width(), tile.Height());
  for (int y = 0; y < periodY; ++y) {
    const std::uint8_t* row = tile.Row(((y - shift) % periodY + periodY) % periodY);
    std::uint8_t* out = shifted.Row(y);
    for (int x = 0; x < periodX; ++x) std::memcpy(out + 3 * x, row + 3 * (((x - shift) % periodX + periodX) % periodX), 3);
  }
  return shifted;
}

// ColourInk on the photograph grown by the margin, cut back to the photograph's size. `release`,
// when given, is the photograph itself, let go as soon as the grown copy holds it.
Bitmap24 CartoonWithoutFrame(const Bitmap24& photo, const StyleSettings& settings, const SurfaceSettings& surface,
                             RunContext& context, Bitmap24* release = nullptr) {
  if (photo.Empty()) return photo;
  const int width = photo.Width(), height = photo.Height();
  const int margin = FrameReach(Cartoon2ParametersFrom(settings.sliders));
  Bitmap24 grown = GrownByRepeatedEdges(photo, margin);
  if (release != nullptr) *release = Bitmap24();
  SurfaceSettings shiftedSurface;
  shiftedSurface.texture = surface.texture;
  if (surface.texture.enabled) shiftedSurface.textureTile = TileShiftedBy(surface.textureTile, margin);
  Bitmap24 drawing;
  ColourInk(grown, drawing, settings, shiftedSurface, context);
  Bitmap24 cut(width, height);
  CopyRect(cut, 0, 0, drawing, {margin, margin, margin + width, margin + height});
  return cut;
}

}  // namespace

Cartoon2Parameters Cartoon2ParametersFrom(const ParameterSet& sliders) {
  auto slider = [&](int slot) { return ClampToSlider(kCartoon2EffectId, slot, sliders[slot]); };
  return {slider(kSlotTrackBar1), slider(kSlotTrackBar2), slider(kSlotTrackBar5), slider(kSlotTrackBar3)};
}

void FlattenColours(Bitmap24& work, Bitmap24& destination, const StyleSettings& settings,
                    const SurfaceSettings& surface, TileRepeat texturePeriod, RunContext& context) {
  const Parameters p = Cartoon2ParametersFrom(settings.sliders);
  context.Rng.RandomSeed = kStyleSeed;
  Soften(work);
  Bitmap24 original = work;
  destination = work;

  // The first pass reads an enhanced copy: softer, more saturated, with more local contrast and lighter.
  Soften(work);
  AdjustSaturation(work, 15, context);
  AdjustSaturation(work, 15, context);
  LocalContrast(work, 100, settings.sourceMean, &context);
  AdjustBrightness(work, 25);

  // The first pass writes `destination`; each later pass reads the flat colours of the one before,
  // which `destination` holds, and writes `work` (whose enhanced copy only the first pass reads),
  // and the two swap places instead of being copied: two working pictures instead of three.
  for (int pass = 0; pass <= p.strength; ++pass) {
    if (!settings.preview) {
      context.ReportProgress(pass, p.strength, 1, 1);
      context.CheckAbort();
    }
    if (context.AbortRequested) return;
    if (pass == 0) {
      FlattenPass(work, original, destination, p.colourBlending / 2);
    } else {
      FlattenPass(destination, original, work, p.colourBlending / 2);
      std::swap(destination, work);
    }
  }

  work = std::move(original);
  Soften(work);
  EdgePass(work, destination, p);
  Soften(destination);
  if (surface.texture.enabled) ApplyTexture(destination, surface.textureTile, surface.texture.strength, texturePeriod);
}

void ColourInk(Bitmap24& source, Bitmap24& destination, const StyleSettings& settings, const SurfaceSettings& surface,
               RunContext& context) {
  const Parameters p = Cartoon2ParametersFrom(settings.sliders);
  context.Rng.RandomSeed = kStyleSeed;
  Soften(source);
  Bitmap24 work = source;
  FlattenColours(work, destination, settings, surface, TileRepeat::WithoutLastRowAndColumn, context);
  AdjustBrightness(destination, p.darkenLighten - 127);

  // Ink where the softened photograph is darker than its surroundings (the kernel's sum over the
  // three channels, div 3, below Edge intensity − 64); every other pixel a little lighter.
  const int limit = p.edgeIntensity - 64;
  LightenedColours lightened;
  ForEachDetailSum(source, [&](int x, int y, int s) {
    std::uint8_t* pixel = destination.Row(y) + 3 * x;
    const Colour colour = s / 3 < limit ? 0 : lightened.Of(MakeColour(pixel[2], pixel[1], pixel[0]));
    pixel[0] = static_cast<std::uint8_t>(BlueOf(colour));
    pixel[1] = static_cast<std::uint8_t>(GreenOf(colour));
    pixel[2] = static_cast<std::uint8_t>(RedOf(colour));
  });
  if (surface.texture.enabled) {
    ApplyTexture(destination, surface.textureTile, surface.texture.strength, TileRepeat::WithoutLastRowAndColumn);
  }
}

StyleOutput PreviewColourInk(const Bitmap24& crop, const StyleSettings& settings, const SurfaceSettings& surface,
                             RunContext& context) {
  const ProcessingScope processing(context);
  return {.picture = CartoonWithoutFrame(crop, settings, surface, context), .sliders = settings.sliders};
}

StyleOutput ProcessColourInk(Bitmap24& source, Bitmap24& shown, const StyleSettings& settings,
                             const SurfaceSettings& surface, RunContext& context) {
  ReleaseUnwatchedShown(shown, settings);
  StyleOutput output{.sliders = settings.sliders, .showParametersWindow = true};
  // The photograph is read only to grow it: a caller that does not keep it lets it go then.
  output.picture = CartoonWithoutFrame(source, settings, surface, context, settings.sourceKept ? nullptr : &source);
  // The style lays its own texture (twice) and is never softened by "Soften edges"; the untextured
  // copy of the result stays as it was.
  output.surfaceApplied = true;
  return output;
}

}  // namespace atelion
