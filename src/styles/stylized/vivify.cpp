// Vivify photo: keeps the photograph but makes it look livelier and slightly drawn. Strong local
// gradients darken the pixel in proportion to their strength (weighted towards light areas), flat
// areas are lightened or darkened by a fixed amount, then the colours are saturated and, above the
// neutral setting, boosted in the floating-point hue–lightness–saturation space.
#include "styles/stylized/vivify.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <new>

#include "core/canvas.h"
#include "core/filters.h"
#include "core/hls.h"

namespace atelion {

namespace {

// Progress is reported after every 20th column.
constexpr int kProgressColumns = 20;
// Colour intensity at which neither saturation nor vibrancy changes.
constexpr int kNeutralColourIntensity = 50;

using Parameters = VivifyParameters;

using ChannelTable = std::array<std::uint8_t, 256>;

// Flat areas: each channel shifted by darken/lighten − 127, limited to 0..255.
ChannelTable FlatAreaTable(int darkenLighten) {
  ChannelTable table{};
  for (int v = 0; v < 256; ++v) table[v] = static_cast<std::uint8_t>(std::clamp(v + darkenLighten - 127, 0, 255));
  return table;
}

// Columns first .. end − 1 of every row but the last: edge pixels darkened, flat pixels shifted.
void VivifyColumns(const Bitmap24& source, Bitmap24& destination, int first, int end, const Parameters& p,
                   const ChannelTable& flat) {
  const int divisor = 256 - p.edgeIntensity;
  for (int y = 0; y + 1 < source.Height(); ++y) {
    const std::uint8_t* row = source.Row(y);
    const std::uint8_t* below = source.Row(y + 1);
    std::uint8_t* out = destination.Row(y);
    for (int x = first; x < end; ++x) {
      const std::uint8_t* pixel = row + 3 * x;
      const std::uint8_t* right = pixel + 3;
      const std::uint8_t* under = below + 3 * x;
      int gradient = 0;
      for (int c = 0; c < 3; ++c) gradient += std::abs(pixel[c] - right[c]) + std::abs(pixel[c] - under[c]);
      // Light pixels weigh their gradient less: a black pixel by 256, a white one by 1.
      const int edge = (gradient / 4) * (256 - (pixel[0] + pixel[1] + pixel[2]) / 3) / divisor;
      if (edge < p.edgeThreshold) {
        for (int c = 0; c < 3; ++c) out[3 * x + c] = flat[pixel[c]];
      } else {
        const int keep = std::max(255 - edge, 0);
        for (int c = 0; c < 3; ++c) out[3 * x + c] = static_cast<std::uint8_t>(keep * pixel[c] / 255);
      }
    }
  }
}

// The last column and the last row take the flat-area rule.
void VivifyBorder(const Bitmap24& source, Bitmap24& destination, const ChannelTable& flat) {
  const int width = source.Width();
  const int height = source.Height();
  auto copyFlat = [&](int x, int y) {
    const std::uint8_t* pixel = source.Row(y) + 3 * x;
    std::uint8_t* out = destination.Row(y) + 3 * x;
    for (int c = 0; c < 3; ++c) out[c] = flat[pixel[c]];
  };
  for (int y = 0; y < height; ++y) copyFlat(width - 1, y);
  for (int x = 0; x < width; ++x) copyFlat(x, height - 1);
}

Colour BoostColour(Colour colour) {
  HlsColour hls = ColorRGBToHLS(colour);
  if (hls.saturation > 10) hls.saturation = std::min(hls.saturation * ((255 - hls.saturation) / 7 + 100) / 100, 240);
  if (hls.lightness > 10) hls.lightness = std::min(hls.lightness * ((255 - hls.lightness) / 28 + 100) / 100, 240);
  return ColorHLSToRGB(hls);
}

}  // namespace

void BoostVibrancy(const Bitmap24& source, Bitmap24& target) {
  // Neighbouring pixels often share a colour: the last conversion is kept.
  Colour lastIn = 0;
  Colour lastOut = BoostColour(0);
  for (int y = 0; y < source.Height(); ++y) {
    const std::uint8_t* in = source.Row(y);
    std::uint8_t* out = target.Row(y);
    for (int x = 0; x < source.Width(); ++x) {
      const Colour colour = MakeColour(in[3 * x + 2], in[3 * x + 1], in[3 * x]);
      if (colour != lastIn) {
        lastIn = colour;
        lastOut = BoostColour(colour);
      }
      out[3 * x] = static_cast<std::uint8_t>(BlueOf(lastOut));
      out[3 * x + 1] = static_cast<std::uint8_t>(GreenOf(lastOut));
      out[3 * x + 2] = static_cast<std::uint8_t>(RedOf(lastOut));
    }
  }
}

VivifyParameters VivifyParametersFrom(const ParameterSet& sliders) {
  auto slider = [&](int slot) { return ClampToSlider(kVivifyEffectId, slot, sliders[slot]); };
  return {slider(kSlotTrackBar1), slider(kSlotTrackBar2), slider(kSlotTrackBar5), slider(kSlotTrackBar3),
          slider(kSlotTrackBar4)};
}

void Vivify(const Bitmap24& source, Bitmap24& destination, const StyleSettings& settings, RunContext& context,
            Bitmap24* shownResult) {
  const Parameters p = VivifyParametersFrom(settings.sliders);
  const bool showResult = shownResult != nullptr && !settings.preview && !settings.manualBrushMode;
  if (showResult) shownResult->Fill(0xFFFFFF);
  const int width = source.Width();
  const int height = source.Height();
  destination = Bitmap24(width, height, 0xFFFFFF);
  context.ReportProgress(0, width, 1, 1);
  if (source.Empty()) return;

  Bitmap24 contrasted = source;
  if (p.contrast > 1) LocalContrastOverRepeatedEdges(contrasted, p.contrast / 2, settings.sourceMean, &context);

  const ChannelTable flat = FlatAreaTable(p.darkenLighten);
  // Strips of 20 columns, each row-major, so the progress reports come after the same columns as
  // a column-by-column pass would give them.
  for (int first = 0; first <= width - 2; first += kProgressColumns) {
    VivifyColumns(contrasted, destination, first, std::min(first + kProgressColumns, width - 1), p, flat);
    context.ReportProgress(first, width, 1, 1);
  }
  VivifyBorder(contrasted, destination, flat);

  AdjustSaturation(destination, (p.colourIntensity - kNeutralColourIntensity) * 2, context);
  if (p.colourIntensity > kNeutralColourIntensity) BoostVibrancy(destination, destination);

  context.ReportProgress(100, 100, 1, 1);
  if (showResult) DrawPicture(*shownResult, 0, 0, destination);
}

StyleOutput PreviewVivify(const Bitmap24& crop, const StyleSettings& settings, const SurfaceSettings&,
                          RunContext& context) {
  StyleOutput output{.sliders = settings.sliders};
  Vivify(crop, output.picture, settings, context);
  return output;
}

StyleOutput ProcessVivify(Bitmap24& source, Bitmap24& shown, const StyleSettings& settings, const SurfaceSettings&,
                          RunContext& context) {
  StyleOutput output{.sliders = settings.sliders};
  // The shown picture only shows the finished drawing to someone watching.
  ReleaseUnwatchedShown(shown, settings);
  Vivify(source, output.picture, settings, context, settings.shownWatched ? &shown : nullptr);
  return output;
}

}  // namespace atelion
