// Pen & Ink sketch 1. Ten tones of pen hatching (nine patterns and plain paper) stand for the
// brightness of the photograph; a pixel between two tones mixes their patterns, so the hatching
// fades smoothly from one density to the next. Sharp colour changes darken the tone, which draws
// the outlines with denser hatching.
#include "styles/sketch/pen_and_ink_sketch_1.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <stdexcept>
#include <vector>

#include "core/filters.h"
#include "core/geometry.h"
#include "core/hls.h"
#include "core/paper_texture.h"
#include "styles/sketch/ink_hatching_sheet.h"

namespace atelion {

namespace {

constexpr int kBlock = 10;
// Brightness 0..255 falls into tones of 26 levels each.
constexpr int kToneWidth = 26;
constexpr int kToneCount = 10;
// Pattern of each tone; tones 7 and 8 share pattern 7, tone 10 is plain white.
constexpr int kToneToPattern[kToneCount] = {0, 1, 2, 3, 4, 5, 6, 7, 7, 8};

inline std::uint8_t Clamp255(int value) { return static_cast<std::uint8_t>(std::clamp(value, 0, 255)); }

// One 10 × 10 block at (left, top) pushed away from the pivot, which first moves halfway towards
// the block's mean brightness.
void ContrastBlock(Bitmap24& picture, int left, int top, int& pivot, int amount) {
  int sum = 0;
  for (int y = top; y < top + kBlock; ++y) {
    const std::uint8_t* row = picture.Row(y) + 3 * left;
    for (int i = 0; i < 3 * kBlock; ++i) sum += row[i];
  }
  const int mean = sum / (3 * kBlock * kBlock);
  pivot += (mean - pivot) / 2;
  for (int y = top; y < top + kBlock; ++y) {
    std::uint8_t* row = picture.Row(y) + 3 * left;
    for (int i = 0; i < 3 * kBlock; ++i) row[i] = Clamp255(row[i] + ((row[i] - pivot) * amount) / 100);
  }
}

}  // namespace

PenandInkParameters PenandInkParametersFrom(const ParameterSet& sliders) {
  auto slider = [&](int slot) { return ClampToSlider(kPenAndInkSketch1EffectId, slot, sliders[slot]); };
  return {.edgeThreshold = slider(kSlotTrackBar1),
          .edgeIntensity = slider(kSlotTrackBar2),
          .blockContrast = slider(kSlotTrackBar5),
          .darkenLighten = slider(kSlotTrackBar3),
          .colourAmount = slider(kSlotTrackBar4)};
}

void BlockContrast(Bitmap24& picture, int amount, RunContext& context, bool reportProgress) {
  const int width = picture.Width();
  const int height = picture.Height();
  const int halfAmount = amount / 2;
  constexpr int kStartPivot = 127;
  // Pass 1: blocks at the origin. Only whole blocks: a picture under 10 pixels has none (the
  // plain count (H − 10) div 10 would give one block row running past the picture).
  if (width >= kBlock && height >= kBlock) {
    const int lastRow = (height - kBlock) / kBlock;
    const int lastColumn = (width - kBlock) / kBlock;
    for (int i = 0; i <= lastRow; ++i) {
      int pivot = kStartPivot;
      for (int j = 0; j <= lastColumn; ++j) ContrastBlock(picture, kBlock * j, kBlock * i, pivot, halfAmount);
      if (reportProgress) {
        if (amount == 20) context.ReportProgress(i, lastRow, 1, 2);
        if (context.CheckAbort()) return;
      }
    }
  }
  // Pass 2: blocks shifted by half a block, which softens the seams of the first grid.
  constexpr int kShift = kBlock / 2;
  if (width >= kBlock + kShift && height >= kBlock + kShift) {
    const int lastRow = (height - kBlock - kShift) / kBlock;
    const int lastColumn = (width - kBlock - kShift) / kBlock;
    for (int i = 0; i <= lastRow; ++i) {
      int pivot = kStartPivot;
      for (int j = 0; j <= lastColumn; ++j) {
        ContrastBlock(picture, kBlock * j + kShift, kBlock * i + kShift, pivot, halfAmount);
        if (context.AbortRequested) return;
      }
      if (reportProgress) {
        if (amount == 20) context.ReportProgress(i, lastRow, 2, 2);
        if (context.CheckAbort()) return;
      }
    }
  }
}

void PenandInkSketch(Bitmap24& source, Bitmap24& destination, const PenandInkParameters& parameters,
                     const Bitmap24& sheet, const SurfaceSettings& surface, RunContext& context, bool preview) {
  if (&source == &destination) throw std::invalid_argument("the sketch needs a destination of its own");
  if (sheet.Width() < kInkHatchSheetWidth || sheet.Height() < kInkHatchSheetHeight) {
    throw std::invalid_argument("the ink hatch sheet must be at least 300 x 600 pixels");
  }
  const int width = source.Width();
  const int height = source.Height();
  const int T = parameters.edgeThreshold;
  const int E = parameters.edgeIntensity;
  const int Dl = parameters.darkenLighten;
  const int K = parameters.colourAmount;

  context.Rng.RandomSeed = kStyleSeed;
  context.ReportProgress(0, 1, 1, 3);
  if (parameters.blockContrast > 0) BlockContrast(source, parameters.blockContrast, context, !preview);
  context.ReportProgress(0, 1, 2, 3);
  destination = Bitmap24(width, height, 0xFFFFFF);

  std::vector<Bitmap24> patterns;
  patterns.reserve(kInkHatchPatternCount);
  for (int k = 0; k < kInkHatchPatternCount; ++k) {
    Bitmap24& pattern = patterns.emplace_back(kInkHatchCellWidth, kInkHatchCellHeight);
    CopySheetCell(sheet, pattern, kInkHatchCellWidth, kInkHatchCellHeight, InkHatchCellColumn(k), InkHatchCellRow(k));
  }
  const std::vector<std::uint8_t> white(3 * kInkHatchCellWidth, 0xFF);

  for (int y = 0; y < height; ++y) {
    const std::uint8_t* previous = source.Row(y == 0 ? 0 : y - 1);
    const std::uint8_t* here = source.Row(y);
    // The pattern rows of this picture row, for tones 0..10 (10 is white).
    const std::uint8_t* toneRows[kToneCount + 1];
    for (int t = 0; t < kToneCount; ++t) toneRows[t] = patterns[kToneToPattern[t]].Row(y % kInkHatchCellHeight);
    toneRows[kToneCount] = white.data();
    // Never a total below 1: a picture of one or two rows still reports a step of a run.
    context.ReportProgress(y - 1, std::max(height - 2, 1), 3, 3);
    if (context.CheckAbort()) return;

    std::uint8_t* out = destination.Row(y);
    int patternX = 0;
    for (int x = 0; x < width; ++x) {
      const std::uint8_t* pixel = here + 3 * x;
      int d = 0;
      if (x > 0) {
        const std::uint8_t* up = previous + 3 * x;
        const std::uint8_t* left = pixel - 3;
        for (int c = 0; c < 3; ++c) d += std::abs(up[c] - pixel[c]) + std::abs(left[c] - pixel[c]);
        d /= 2;
        if (d < T) d = 0;
      }
      const int u = std::clamp((pixel[0] + pixel[1] + pixel[2]) / 3 - (d * E) / 128 + Dl - 128, 0, 255);
      const int t = u / kToneWidth;
      const int f = u - kToneWidth * t;
      const std::uint8_t* b = toneRows[t] + 3 * patternX;
      const std::uint8_t* n = toneRows[t + 1] + 3 * patternX;
      for (int c = 0; c < 3; ++c) {
        out[3 * x + c] = static_cast<std::uint8_t>((n[c] * f) / kToneWidth + ((kToneWidth - f) * b[c]) / kToneWidth);
      }
      if (++patternX == kInkHatchCellWidth) patternX = 0;
    }
  }

  if (K > 0) {
    // Hue and saturation of the photograph, lightness of the drawing.
    for (int y = 0; y < height; ++y) {
      const std::uint8_t* photo = source.Row(y);
      std::uint8_t* out = destination.Row(y);
      for (int x = 0; x < width; ++x) {
        const std::uint8_t* p = photo + 3 * x;
        std::uint8_t* q = out + 3 * x;
        HlsColour colour = ColorRGBToHLS(MakeColour(p[2], p[1], p[0]));
        int s = std::min(240, (9 * colour.saturation) / 10);
        if (colour.lightness < 30) s = (s * colour.lightness) / 30;
        const HlsColour drawn = ColorRGBToHLS(MakeColour(q[2], q[1], q[0]));
        const int l2 = std::min(240, drawn.lightness + s / 10);
        const Colour tinted = ColorHLSToRGB(colour.hue, l2, s);
        q[2] = static_cast<std::uint8_t>(((255 - K) * q[2] + K * RedOf(tinted)) / 255);
        q[1] = static_cast<std::uint8_t>(((255 - K) * q[1] + K * GreenOf(tinted)) / 255);
        q[0] = static_cast<std::uint8_t>(((255 - K) * q[0] + K * BlueOf(tinted)) / 255);
      }
    }
  }
  if (surface.softenEdges) Soften(destination);
  if (surface.texture.enabled) ApplyTexture(destination, surface.textureTile, surface.texture.strength, TileRepeat::WholeTile);
}

StyleOutput PreviewPenandInkSketch(const Bitmap24& crop, const StyleSettings& settings, const SurfaceSettings& surface,
                                   RunContext& context) {
  Bitmap24 source = crop;
  StyleOutput output{.sliders = settings.sliders};
  PenandInkSketch(source, output.picture, PenandInkParametersFrom(settings.sliders), InkHatchSheet(), surface, context,
                  true);
  return output;
}

StyleOutput ProcessPenandInkSketch(Bitmap24& source, Bitmap24& shown, const StyleSettings& settings,
                                   const SurfaceSettings& surface, RunContext& context) {
  ReleaseUnwatchedShown(shown, settings);
  Bitmap24 copy = OwnSource(source, settings);
  StyleOutput output{.surfaceApplied = true, .sliders = settings.sliders};
  PenandInkSketch(copy, output.picture, PenandInkParametersFrom(settings.sliders), InkHatchSheet(), surface, context,
                  false);
  return output;
}

}  // namespace atelion
