// Painting 3: median filter, then merging of close 2 × 2 blocks on a grid that shifts by one
// pixel between passes, then a brightness shift and sharpening.
#include "styles/painting/painting_3.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <utility>
#include <vector>

#include "core/canvas.h"
#include "core/filters.h"
#include "core/worker_pool.h"

namespace atelion {

namespace {

constexpr int kSmallestWindow = 2;
constexpr int kLargestWindow = 11;

// Saturation added to the prepared picture, percent.
constexpr int kPreparationSaturation = 15;
constexpr int kPreparationLocalContrast = 25;
constexpr int kSharpenRounds = 3;

// One channel's window counts with the value of the wanted rank, kept up to date as values come
// and go: `below` counts the values smaller than `value`. Each move changes the window by a few
// values only, so the rank moves only a few steps.
class RunningRank {
 public:
  explicit RunningRank(int rank) : rank_(rank) {}

  void Clear() {
    counts_.fill(0);
    value_ = 0;
    below_ = 0;
  }
  void Add(int v) {
    ++counts_[v];
    if (v < value_) ++below_;
  }
  void Remove(int v) {
    --counts_[v];
    if (v < value_) --below_;
  }
  // The smallest value v such that at least `rank` values are ≤ v.
  int Value() {
    while (below_ >= rank_) below_ -= counts_[--value_];
    while (below_ + counts_[value_] < rank_) below_ += counts_[value_++];
    return value_;
  }

 private:
  std::array<int, 256> counts_{};
  int rank_;
  int value_ = 0;
  int below_ = 0;
};

void AddColumn(std::array<RunningRank, 3>& ranks, const std::vector<const std::uint8_t*>& rows, int column, int k) {
  for (int r = 0; r < k; ++r) {
    const std::uint8_t* pixel = rows[r] + 3 * column;
    for (int c = 0; c < 3; ++c) ranks[c].Add(pixel[c]);
  }
}

void RemoveColumn(std::array<RunningRank, 3>& ranks, const std::vector<const std::uint8_t*>& rows, int column, int k) {
  for (int r = 0; r < k; ++r) {
    const std::uint8_t* pixel = rows[r] + 3 * column;
    for (int c = 0; c < 3; ++c) ranks[c].Remove(pixel[c]);
  }
}

// One merging pass on the grid shifted by `offset`.
void MergeBlocks(Bitmap24& d, int offset, int colourBlending) {
  const int blockRows = (d.Height() >> 1) - 1;
  const int blockColumns = (d.Width() >> 1) - 1;
  for (int r = 0; r < blockRows; ++r) {
    std::uint8_t* top = d.Row(2 * r + offset);
    std::uint8_t* bottom = d.Row(2 * r + offset + 1);
    for (int q = 0; q < blockColumns; ++q) {
      const int x = 2 * q + offset;
      std::uint8_t* tl = top + 3 * x;
      std::uint8_t* others[3] = {top + 3 * (x + 1), bottom + 3 * x, bottom + 3 * (x + 1)};
      const int threshold = colourBlending + (tl[0] + tl[1] + tl[2]) / 30 - 25;
      int sums[3] = {tl[0], tl[1], tl[2]};
      int n = 1;
      bool marked[3] = {false, false, false};
      for (int i = 0; i < 3; ++i) {
        const std::uint8_t* o = others[i];
        const int diff = std::max({2 * std::abs(o[2] - tl[2]), std::abs(o[1] - tl[1]), std::abs(o[0] - tl[0])});
        if (diff < threshold) {
          for (int c = 0; c < 3; ++c) sums[c] += o[c];
          ++n;
          marked[i] = true;
        }
      }
      if (n < 2) continue;
      std::uint8_t mean[3];
      for (int c = 0; c < 3; ++c) {
        const int m = sums[c] / n + ((sums[c] % n) > (n >> 1) ? 1 : 0);
        mean[c] = static_cast<std::uint8_t>(std::min(m, 255));
      }
      std::copy(mean, mean + 3, tl);
      for (int i = 0; i < 3; ++i)
        if (marked[i]) std::copy(mean, mean + 3, others[i]);
    }
  }
}

// Each channel shifted by `offset`, except in the first row and the first column.
void ShiftBrightness(Bitmap24& d, int offset) {
  for (int y = 1; y < d.Height(); ++y) {
    std::uint8_t* row = d.Row(y);
    for (int i = 3; i < 3 * d.Width(); ++i) row[i] = static_cast<std::uint8_t>(std::clamp(row[i] + offset, 0, 255));
  }
}

// The median, blur and merging chain shared by the full-size run and the preview.
// `release`, when given, is `source` itself, which becomes the painting instead of being copied.
Bitmap24 Paint(const Bitmap24& source, const StyleSettings& settings, const SurfaceSettings& surface, int passes,
               RunContext& context, Bitmap24* release = nullptr) {
  const Painting3Parameters p = Painting3ParametersFrom(settings.sliders);
  Bitmap24 filtered = source;
  Bitmap24 painting = release != nullptr ? std::exchange(*release, Bitmap24()) : source;
  BoxBlur3(filtered);
  MedianFilter(painting, filtered, p.brushSize + 1, 1, passes, context);
  Sharpen3(filtered);
  BlockMerge(filtered, painting, passes, passes, settings, surface, context);
  return painting;
}

}  // namespace

Painting3Parameters Painting3ParametersFrom(const ParameterSet& sliders) {
  auto slider = [&](int slot) { return ClampToSlider(kPainting3EffectId, slot, sliders[slot]); };
  return {slider(kSlotTrackBar1), slider(kSlotTrackBar2), slider(kSlotTrackBar5), slider(kSlotTrackBar3)};
}

void MedianFilter(const Bitmap24& source, Bitmap24& destination, int k, int phase, int phases, RunContext& context) {
  const int width = source.Width();
  const int height = source.Height();
  if (source.Empty()) {
    destination = source;
    return;
  }
  k = std::clamp(k, kSmallestWindow, kLargestWindow);
  // A window wider or higher than the picture would see mostly white margin and wash the
  // picture out: it is made no larger than the picture's smaller side.
  k = std::max(kSmallestWindow, std::min({k, width, height}));

  // The padded picture: the source at (k, k), copies of its left and top strips and top-left
  // corner before it, white after it.
  Bitmap24 padded(width + 2 * k, height + 2 * k);
  DrawPicture(padded, 0, 0, source);
  DrawPicture(padded, 0, k, source);
  DrawPicture(padded, k, 0, source);
  DrawPicture(padded, k, k, source);

  // The window at padded column j and row i gives the result pixel (j + k shr 1 − k, i + k shr 1 − k).
  const int firstWindow = k - (k >> 1);
  const int rank = (k * k - 1) >> 1;
  Bitmap24 result(width, height);
  // One result row from its k padded rows; rows are independent, so a chunk of them is computed
  // in bands side by side, and the progress and abort checks of its rows follow in order.
  auto medianRow = [&](int i, std::array<RunningRank, 3>& ranks, std::vector<const std::uint8_t*>& rows) {
    const int y = i - firstWindow;
    if (y < 0 || y >= height) return;
    for (int r = 0; r < k; ++r) rows[static_cast<std::size_t>(r)] = padded.Row(i + r);
    for (auto& channel : ranks) channel.Clear();
    for (int column = firstWindow; column < firstWindow + k; ++column) AddColumn(ranks, rows, column, k);
    std::uint8_t* out = result.Row(y);
    for (int x = 0; x < width; ++x) {
      const int j = firstWindow + x;
      if (x > 0) {
        RemoveColumn(ranks, rows, j - 1, k);
        AddColumn(ranks, rows, j + k - 1, k);
      }
      for (int c = 0; c < 3; ++c) out[3 * x + c] = static_cast<std::uint8_t>(ranks[c].Value());
    }
  };
  constexpr int kChunkRows = 32;
  const int windows = height + k;  // window rows 0 .. height + k − 1
  for (int chunk = 0; chunk < windows; chunk += kChunkRows) {
    const int chunkEnd = std::min(windows, chunk + kChunkRows);
    ForEachRowBand(chunkEnd - chunk, 8, [&](int first, int end) {
      std::array<RunningRank, 3> ranks{RunningRank(rank), RunningRank(rank), RunningRank(rank)};
      std::vector<const std::uint8_t*> rows(static_cast<std::size_t>(k));
      for (int i = chunk + first; i < chunk + end; ++i) medianRow(i, ranks, rows);
    });
    for (int i = chunk; i < chunkEnd; ++i) {
      context.ReportProgress(i, height - k - 1, phase, phases);
      if (context.CheckAbort()) return;
    }
  }
  destination = std::move(result);
}

void BlockMerge(Bitmap24& source, Bitmap24& destination, int phase, int phases, const StyleSettings& settings,
                const SurfaceSettings& surface, RunContext& context) {
  const Painting3Parameters p = Painting3ParametersFrom(settings.sliders);
  context.Rng.RandomSeed = kStyleSeed;
  destination = Bitmap24(source.Width(), source.Height());
  Soften(source);
  AdjustSaturation(source, kPreparationSaturation, context);
  if (context.AbortRequested) return;
  LocalContrast(source, kPreparationLocalContrast, settings.sourceMean, &context);
  if (context.AbortRequested) return;
  destination = source;

  for (int pass = 0; pass <= p.strength; ++pass) {
    if (!settings.preview) {
      context.ReportProgress(pass, p.strength, phase, phases);
      if (context.CheckAbort()) return;
    }
    MergeBlocks(destination, pass % 2, p.colourBlending);
  }

  ShiftBrightness(destination, p.darkenLighten - 127);
  if (surface.softenEdges) Soften(destination);
  for (int round = 0; round < kSharpenRounds; ++round) Sharpen3(destination);
  if (surface.texture.enabled) ApplyTexture(destination, surface.textureTile, surface.texture.strength);
}

StyleOutput PreviewPainting3(const Bitmap24& crop, const StyleSettings& settings, const SurfaceSettings& surface,
                             RunContext& context) {
  // The merging lays soften and texture itself, so the preview does not lay them a second time.
  SurfaceSettings bare = surface;
  bare.texture.enabled = false;
  StyleOutput output{.surfaceApplied = true, .sliders = settings.sliders};
  output.untextured = Paint(crop, settings, bare, 1, context);
  output.picture = output.untextured;
  if (surface.texture.enabled) ApplyTexture(output.picture, surface.textureTile, surface.texture.strength);
  return output;
}

StyleOutput ProcessPainting3(Bitmap24& source, Bitmap24& shown, const StyleSettings& settings,
                             const SurfaceSettings& surface, RunContext& context) {
  ReleaseUnwatchedShown(shown, settings);
  SurfaceSettings bare = surface;
  bare.texture.enabled = false;
  StyleOutput output{.surfaceApplied = true, .sliders = settings.sliders};
  output.untextured = Paint(source, settings, bare, 2, context, settings.sourceKept ? nullptr : &source);
  output.picture = output.untextured;
  if (surface.texture.enabled && !context.AbortRequested)
    ApplyTexture(output.picture, surface.textureTile, surface.texture.strength);
  return output;
}

}  // namespace atelion
