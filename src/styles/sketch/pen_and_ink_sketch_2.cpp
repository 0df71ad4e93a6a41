// Pen & Ink sketch 2: an adaptive threshold turns the photograph into black and white ink, a
// centre-weighted detail kernel adds dark lines, and weighted majority votes clean the specks.
// The window sums are kept as running column and row sums instead of re-reading 81 (and 49)
// pixels per pixel; tests/styles/sketch/pen_and_ink_sketch_2_test.cpp compares every step with
// the literal window loops.
#include "styles/sketch/pen_and_ink_sketch_2.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <vector>

#include "core/canvas.h"
#include "core/filters.h"
#include "styles/sketch/detail_kernel.h"

namespace atelion {

namespace {

using Parameters = PenAndInkSketch2Parameters;

// The threshold window: the padded copy is the picture shifted by 9 pixels, and the window of
// pixel (x, y) covers padded columns x + 5 .. x + 13 and rows y + 5 .. y + 13 (its centre, the
// pixel itself, sits at (x + 9, y + 9)).
constexpr int kPadding = 9;
constexpr int kWindow = 9;
constexpr int kWindowStart = 5;

// The clean-up's vote: a 7 × 7 pyramid of weights 7 − |dx| − |dy| (1 in the corners, 7 in the
// middle, 175 in all) over a snapshot with a white border of 3 pixels.
constexpr int kVoteRadius = 3;
constexpr int kVoteSide = 2 * kVoteRadius + 1;
constexpr int kVoteWeightSum = 175;
constexpr int kMaximumCleanPasses = 11;
// A pass that changes fewer pixels than this is the last one.
constexpr int kSettledCount = 20;
// Twice a pyramid weight splits into (7 − 2|dx|) + (7 − 2|dy|): one 1-3-5-7-5-3-1 profile along
// each axis, so the vote is two one-dimensional filters of column sums.
constexpr std::array<int, kVoteSide> kVoteProfile = {1, 3, 5, 7, 5, 3, 1};

// The picture drawn four times into a white canvas 18 pixels wider and higher, at (0, 0), (9, 0),
// (0, 9) and (9, 9): shifted right and down by 9, its first 9 columns and rows repeated in the
// strips at the left and top. The strips at the right and bottom repeat the last 9 columns and
// rows the same way; left white, they would raise the threshold of the pixels near those edges
// and draw a broken black line along them.
Bitmap24 PaddedCopy(const Bitmap24& picture) {
  const int width = picture.Width(), height = picture.Height();
  Bitmap24 padded(width + 2 * kPadding, height + 2 * kPadding);
  DrawPicture(padded, 0, 0, picture);
  DrawPicture(padded, kPadding, 0, picture);
  DrawPicture(padded, 0, kPadding, picture);
  DrawPicture(padded, kPadding, kPadding, picture);
  CopyRect(padded, width + kPadding, 0, padded, {width, 0, width + kPadding, height + 2 * kPadding});
  CopyRect(padded, 0, height + kPadding, padded, {0, height, width + 2 * kPadding, height + kPadding});
  return padded;
}

void AddRow(std::vector<int>& sums, const std::uint8_t* row, int sign) {
  for (std::size_t i = 0; i < sums.size(); ++i) sums[i] += sign * row[i];
}

// Every pixel white or black by its window threshold; true when a stop ended the pass early.
bool ThresholdPass(Bitmap24& picture, const Bitmap24& padded, const Parameters& p, const StyleSettings& settings,
                   RunContext& context) {
  const int width = picture.Width();
  const int height = picture.Height();
  // Per channel (blue, green, red): the source's mean plus 192 − Darken/Lighten.
  const std::int64_t offsets[3] = {settings.sourceMean.blue + 192 - p.darkenLighten,
                                   settings.sourceMean.green + 192 - p.darkenLighten,
                                   settings.sourceMean.red + 192 - p.darkenLighten};
  // Per padded column and channel, the sum over the window's nine rows.
  std::vector<int> columnSums(padded.RowBytes(), 0);
  for (int r = kWindowStart; r < kWindowStart + kWindow; ++r) AddRow(columnSums, padded.Row(r), 1);

  for (int y = 0; y < height; ++y) {
    if (y > 0) {
      AddRow(columnSums, padded.Row(y + kWindowStart - 1), -1);
      AddRow(columnSums, padded.Row(y + kWindowStart + kWindow - 1), 1);
    }
    const std::uint8_t* centreRow = padded.Row(y + kPadding) + 3 * kPadding;
    std::uint8_t* out = picture.Row(y);
    int sums[3] = {0, 0, 0};
    for (int column = kWindowStart; column < kWindowStart + kWindow; ++column)
      for (int c = 0; c < 3; ++c) sums[c] += columnSums[3 * column + c];
    for (int x = 0; x < width; ++x) {
      if (x > 0) {
        for (int c = 0; c < 3; ++c)
          sums[c] += columnSums[3 * (x + kWindowStart + kWindow - 1) + c] - columnSums[3 * (x + kWindowStart - 1) + c];
      }
      std::int64_t centreSum = 0, thresholdSum = 0;
      for (int c = 0; c < 3; ++c) {
        const int centre = centreRow[3 * x + c];
        centreSum += centre;
        thresholdSum += ((sums[c] - centre) / 20 + offsets[c]) / 6;
      }
      std::memset(out + 3 * x, centreSum > thresholdSum ? 0xFF : 0x00, 3);
    }
    const int r = y + kWindowStart;  // the row as the padded copy counts it
    if (r % 50 == 0 && context.Processing) context.CheckAbort();
    if (r % 25 == 0 && !settings.preview) context.ReportProgress(r, height - 1, 1, 2);
    if (context.AbortRequested) return true;
  }
  return false;
}

// Pixels that the detail kernel finds darker than their surroundings, by more than
// 5·(Level of details − 15), turn black.
void DetailPass(Bitmap24& picture, const Bitmap24& softened, int levelOfDetails) {
  const int limit = 5 * (levelOfDetails - 15);
  ForEachDetailSum(softened, [&](int x, int y, int s) {
    if (s < limit) std::memset(picture.Row(y) + 3 * x, 0x00, 3);
  });
}

}  // namespace

PenAndInkSketch2Parameters PenAndInkSketch2ParametersFrom(const ParameterSet& sliders) {
  auto slider = [&](int slot) { return ClampToSlider(kPenAndInkSketch2EffectId, slot, sliders[slot]); };
  return {slider(kSlotTrackBar1), slider(kSlotTrackBar2), slider(kSlotTrackBar5)};
}

void PenAndInkSketch2(Bitmap24& picture, const StyleSettings& settings, RunContext& context) {
  const Parameters p = PenAndInkSketch2ParametersFrom(settings.sliders);
  const int height = picture.Height();
  if (!settings.preview) context.ReportProgress(0, height - 1, 1, 2);
  if (picture.Empty()) return;

  Bitmap24 softened = picture;
  Soften(softened);
  Bitmap24 padded = PaddedCopy(picture);
  Soften(padded);
  if (ThresholdPass(picture, padded, p, settings, context)) return;
  padded = Bitmap24();
  DetailPass(picture, softened, p.levelOfDetails);
}

void SimplifyInk(Bitmap24& picture, const StyleSettings& settings, RunContext& context) {
  const Parameters p = PenAndInkSketch2ParametersFrom(settings.sliders);
  const int width = picture.Width();
  const int height = picture.Height();
  if (p.simplification == 0 || context.AbortRequested || picture.Empty()) {
    context.ReportProgress(101, 100, 2, 2);
    return;
  }
  // The snapshot of the red channel with its white border, refreshed at the start of every pass.
  const int snapshotWidth = width + 2 * kVoteRadius;
  std::vector<std::uint8_t> snapshot(static_cast<std::size_t>(snapshotWidth) * (height + 2 * kVoteRadius), 0xFF);
  auto snapshotRow = [&](int r) { return snapshot.data() + static_cast<std::size_t>(r) * snapshotWidth; };
  if (!settings.preview) context.ReportProgress(0, 10 * height, 2, 2);
  const int lo = kVoteWeightSum * p.simplification;
  const int hi = kVoteWeightSum * (255 - p.simplification);

  // Per snapshot column, over the seven rows of the current vote: the plain sum and the sum
  // weighted by the 1-3-5-7-5-3-1 profile.
  std::vector<int> plain(snapshotWidth), profiled(snapshotWidth);
  for (int pass = 0; pass < kMaximumCleanPasses; ++pass) {
    int count = 0;
    for (int y = 0; y < height; ++y) {
      const std::uint8_t* row = picture.Row(y);
      std::uint8_t* target = snapshotRow(y + kVoteRadius) + kVoteRadius;
      for (int x = 0; x < width; ++x) target[x] = row[3 * x + 2];
    }
    for (int y = 0; y < height; ++y) {
      std::fill(plain.begin(), plain.end(), 0);
      std::fill(profiled.begin(), profiled.end(), 0);
      for (int k = 0; k < kVoteSide; ++k) {
        const std::uint8_t* row = snapshotRow(y + k);
        const int weight = kVoteProfile[k];
        for (int i = 0; i < snapshotWidth; ++i) {
          plain[i] += row[i];
          profiled[i] += weight * row[i];
        }
      }
      std::uint8_t* out = picture.Row(y);
      for (int x = 0; x < width; ++x) {
        int twice = 0;
        for (int k = 0; k < kVoteSide; ++k) twice += kVoteProfile[k] * plain[x + k] + profiled[x + k];
        const int w = twice / 2;
        std::uint8_t& red = out[3 * x + 2];
        if (w <= lo && red == 255) {
          red = 0;
          ++count;
        } else if (w >= hi && red == 0) {
          red = 255;
          ++count;
        }
      }
      if (y % 50 == 0 && context.Processing) {
        context.ReportProgress(y + height * pass, 10 * height, 2, 2);
        context.CheckAbort();
      }
      if (context.AbortRequested) {
        context.ReportProgress(101, 100, 2, 2);
        return;
      }
    }
    if (count < kSettledCount) break;
  }
  for (int y = 0; y < height; ++y) {
    std::uint8_t* row = picture.Row(y);
    for (int x = 0; x < width; ++x) row[3 * x] = row[3 * x + 1] = row[3 * x + 2];
  }
  context.ReportProgress(101, 100, 2, 2);
}

StyleOutput PreviewPenAndInkSketch2(const Bitmap24& crop, const StyleSettings& settings, const SurfaceSettings&,
                                    RunContext& context) {
  StyleOutput output{.picture = crop, .sliders = settings.sliders};
  PenAndInkSketch2(output.picture, settings, context);
  SimplifyInk(output.picture, settings, context);
  return output;
}

StyleOutput ProcessPenAndInkSketch2(Bitmap24& source, Bitmap24& shown, const StyleSettings& settings,
                                    const SurfaceSettings&, RunContext& context) {
  ReleaseUnwatchedShown(shown, settings);
  // One work picture, the source (taken over when the caller does not keep it), drawn in place
  // and shown while it changes.
  StyleOutput output{.picture = OwnSource(source, settings), .sliders = settings.sliders};
  if (context.Progress != nullptr) context.Progress->WatchOutput(&output.picture);
  PenAndInkSketch2(output.picture, settings, context);
  SimplifyInk(output.picture, settings, context);
  if (context.Progress != nullptr) context.Progress->WatchOutput(nullptr);
  return output;
}

}  // namespace atelion
