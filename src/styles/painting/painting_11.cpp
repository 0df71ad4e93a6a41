// Painting 11: at each of 1001 size steps one brush picture is cut from a transparent brush sheet,
// scaled to the step's size, thinned by the blending intensity and turned at random; it is then
// tinted with the photograph's colour and tried where the painting differs most from the
// photograph. A trial keeps the mark only when the colour distance between painting and
// photograph under it falls by at least a fifth of the mark's area.
#include "styles/painting/painting_11.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <immintrin.h>
#include <mutex>
#include <vector>

#include "core/geometry.h"
#include "styles/painting/alpha_brush_sheets.h"
#include "styles/painting/brush_pictures.h"
#include "styles/painting/edge_strokes.h"

namespace atelion {

namespace {

constexpr int kSizeSteps = 1000;       // k runs from here down to 0
constexpr int kHalvingPeriod = 100;    // the size halves every this many steps
constexpr int kRandomPointSteps = 970;  // above this step points are drawn at random
constexpr int kLargestMark = 512;
constexpr int kMaxRepetitions = 25;
// Edge stroke layer arguments of this style: threshold, fade, length factor.
constexpr int kEdgeThreshold = 4;
constexpr int kEdgeFade = 180;
constexpr int kEdgeLength = 20;
constexpr int kBrushImageSide = kAlphaBrushCell + 1;

// round(sqrt(n)) for a colour distance² n up to 3 · 255². sqrt of a whole number never lies
// exactly halfway between two whole numbers: the nearest halfway point is at least
// 0.25 / (2 · 442 + 1) away, far more than a float root's error below 442, so the float root
// rounds the same as the exact one (every n of the range checked). A root is cheaper than a
// table of 195 076 entries, whose reads miss the cache.
inline int RoundedRoot(int n) { return static_cast<int>(std::sqrt(static_cast<float>(n)) + 0.5f); }

int ColourDistanceRounded(const std::uint8_t* a, const std::uint8_t* b) {
  const int db = a[0] - b[0], dg = a[1] - b[1], dr = a[2] - b[2];
  return RoundedRoot(db * db + dg * dg + dr * dr);
}

// Random(n) of a draw whose range the picture may make empty (a picture narrower than the
// margins of the point rules): the draw still advances the generator, and gives 0.
int RandomBelow(RunContext& context, int n) { return context.Random(std::max(n, 1)); }

// The mark in use: P after scaling, thinning and turning, with the runs of its painted pixels
// (alpha ≠ 0) per row, so the trials touch only what the mark covers.
struct Mark {
  TurnedBrush picture;
  struct Run {
    int first, last;
  };
  std::vector<std::vector<Run>> rows;

  void FindRuns() {
    rows.resize(static_cast<std::size_t>(picture.height));
    for (auto& runs : rows) runs.clear();  // their storage is kept for the next mark
    for (int y = 0; y < picture.height; ++y) {
      const std::uint8_t* row = picture.Row(y);
      for (int x = 0; x < picture.width; ++x) {
        if (row[4 * x + 3] == 0) continue;
        auto& runs = rows[static_cast<std::size_t>(y)];
        if (!runs.empty() && runs.back().last == x - 1) {
          runs.back().last = x;
        } else {
          runs.push_back({x, x});
        }
      }
    }
  }
};

// The alpha bytes of a shipped sheet, one per pixel, made once.
const std::vector<std::uint8_t>& ShippedSheetAlpha(AlphaBrushSheet which) {
  static std::once_flag once[kAlphaBrushSheetCount];
  static std::vector<std::uint8_t> planes[kAlphaBrushSheetCount];
  const auto index = static_cast<std::size_t>(which);
  std::call_once(once[index], [&] {
    const Bitmap32& sheet = ShippedAlphaBrushSheet(which);
    std::vector<std::uint8_t>& plane = planes[index];
    plane.resize(static_cast<std::size_t>(sheet.Width()) * static_cast<std::size_t>(sheet.Height()));
    for (int y = 0; y < sheet.Height(); ++y) {
      const std::uint8_t* row = sheet.Row(y);
      std::uint8_t* out = plane.data() + static_cast<std::size_t>(y) * sheet.Width();
      for (int x = 0; x < sheet.Width(); ++x) out[x] = row[4 * x + 3];
    }
  });
  return planes[index];
}

// Calls sample(y, rowOf(y)) for the rows y = 0 .. rows − 1. A brush sheet's rows lie far apart, so
// the `span` bytes of the row a few lines ahead are fetched early.
template <class RowOf, class Sample>
void SampleRowsFetchingAhead(int rows, std::size_t span, const RowOf& rowOf, const Sample& sample) {
  constexpr int kAhead = 4;
  auto fetch = [&](int y) {
    const std::uint8_t* row = rowOf(y);
    for (std::size_t at = 0; at < span; at += 64) __builtin_prefetch(row + at);
  };
  for (int y = 0; y < std::min(kAhead, rows); ++y) fetch(y);
  for (int y = 0; y < rows; ++y) {
    if (y + kAhead < rows) fetch(y + kAhead);
    sample(y, rowOf(y));
  }
}

// The brush picture the marks are cut from: a sheet cell plus the first row and column of the
// next cell, as far as the sheet reaches, copied over what the picture held before (so where the
// sheet ends, the row or column of an earlier cell stays). Copying a whole cell for every size
// step costs more than the small marks made from it, so the copies are only noted; a mark whose
// pixels all lie in the latest copy is sampled straight from the sheet, and the picture itself is
// brought up to date only when a mark needs what earlier cells left in it.
class BrushImage {
 public:
  BrushImage() : picture_(kBrushImageSide, kBrushImageSide, 0) {}

  // The cell at (column, row) of `sheet` is copied in.
  // `alpha`: the sheet's alpha bytes, one per pixel (see ShippedSheetAlpha), or null.
  void Copy(const Bitmap32& sheet, int column, int row, const std::uint8_t* alpha) {
    const std::int64_t firstRow = std::max<std::int64_t>(0, static_cast<std::int64_t>(kAlphaBrushCell) * row);
    const std::int64_t lastRow =
        std::min<std::int64_t>(sheet.Height() - 1, static_cast<std::int64_t>(kAlphaBrushCell) * (row + 1));
    const std::int64_t firstColumn = std::max<std::int64_t>(0, static_cast<std::int64_t>(kAlphaBrushCell) * column);
    const std::int64_t lastColumn =
        std::min<std::int64_t>(sheet.Width() - 1, static_cast<std::int64_t>(kAlphaBrushCell) * (column + 1));
    latest_ = {};
    if (firstRow > lastRow || firstColumn > lastColumn) return;  // nothing of the sheet: the picture stays
    latest_ = {&sheet, static_cast<int>(firstRow), static_cast<int>(firstColumn), static_cast<int>(lastRow - firstRow + 1),
               static_cast<int>(lastColumn - firstColumn + 1), alpha};
    // A copy that covers an earlier one leaves nothing of it.
    std::erase_if(pending_, [&](const Copied& c) { return c.rows <= latest_.rows && c.columns <= latest_.columns; });
    pending_.push_back(latest_);
  }

  // M := the picture scaled to M's size by taking the nearest pixel (as ResampleNearest32).
  void SampleInto(Bitmap32& M) {
    if (M.Empty()) return;
    const double scaleX = static_cast<double>(kBrushImageSide) / M.Width();
    const double scaleY = static_cast<double>(kBrushImageSide) / M.Height();
    offsets_.resize(static_cast<std::size_t>(M.Width()));
    int widest = 0;
    for (int x = 0; x < M.Width(); ++x) {
      const int sx = std::min(static_cast<int>(std::floor(x * scaleX)), kBrushImageSide - 1);
      offsets_[static_cast<std::size_t>(x)] = sx;
      widest = std::max(widest, sx);
    }
    int deepest = 0;
    for (int y = 0; y < M.Height(); ++y) {
      deepest = std::max(deepest, std::min(static_cast<int>(std::floor(y * scaleY)), kBrushImageSide - 1));
    }
    const bool fromSheet = latest_.sheet != nullptr && widest < latest_.columns && deepest < latest_.rows;
    if (!fromSheet) Update();
    if (fromSheet && latest_.alpha != nullptr) {
      SampleAlphaInto(M, scaleY, widest);
      return;
    }
    auto sourceRow = [&](int y) {
      const int sy = std::min(static_cast<int>(std::floor(y * scaleY)), kBrushImageSide - 1);
      return fromSheet ? latest_.sheet->Row(latest_.firstRow + sy) + 4 * latest_.firstColumn : picture_.Row(sy);
    };
    SampleRowsFetchingAhead(M.Height(), 4 * static_cast<std::size_t>(widest + 1), sourceRow,
                            [&](int y, const std::uint8_t* source) {
                              std::uint8_t* out = M.Row(y);
                              for (int x = 0; x < M.Width(); ++x) {
                                std::memcpy(out + 4 * static_cast<std::size_t>(x),
                                            source + 4 * static_cast<std::size_t>(offsets_[x]), 4);
                              }
                            });
  }

 private:
  struct Copied {
    const Bitmap32* sheet = nullptr;
    int firstRow = 0, firstColumn = 0, rows = 0, columns = 0;
    const std::uint8_t* alpha = nullptr;
  };
  // The sampling from the latest cell of a sheet whose marks are black: only the alpha bytes are
  // read (a quarter of the sheet's bytes), the colour is black. Nothing reads a mark's colour
  // before it is tinted, and the tint is made from the alpha alone.
  void SampleAlphaInto(Bitmap32& M, double scaleY, int widest) {
    const std::size_t stride = static_cast<std::size_t>(latest_.sheet->Width());
    auto sourceRow = [&](int y) {
      const int sy = std::min(static_cast<int>(std::floor(y * scaleY)), kBrushImageSide - 1);
      return latest_.alpha + static_cast<std::size_t>(latest_.firstRow + sy) * stride + latest_.firstColumn;
    };
    SampleRowsFetchingAhead(M.Height(), static_cast<std::size_t>(widest + 1), sourceRow,
                            [&](int y, const std::uint8_t* source) {
                              std::uint8_t* out = M.Row(y);
                              for (int x = 0; x < M.Width(); ++x) {
                                out[4 * x] = out[4 * x + 1] = out[4 * x + 2] = 0;
                                out[4 * x + 3] = source[offsets_[static_cast<std::size_t>(x)]];
                              }
                            });
  }
  // Carries out the noted copies in their order.
  void Update() {
    for (const Copied& c : pending_) {
      for (int r = 0; r < c.rows; ++r) {
        std::memcpy(picture_.Row(r), c.sheet->Row(c.firstRow + r) + 4 * static_cast<std::size_t>(c.firstColumn),
                    4 * static_cast<std::size_t>(c.columns));
      }
    }
    pending_.clear();
  }
  Bitmap32 picture_;
  std::vector<Copied> pending_;
  Copied latest_;
  std::vector<int> offsets_;
};

// "Over" of a tinted mark pixel (its colour already scaled by its alpha) onto a background byte.
inline std::uint8_t Over(int tinted, int alpha, int background) {
  return static_cast<std::uint8_t>(std::min(255, tinted + (background * (255 - alpha) + 127) / 255));
}

// One run of a trial: the mark's pixels (four bytes, only alpha read) tinted with `colour` and laid
// "over" the painting d into q, and n := the squared colour distance of each result to the
// photograph src. Written without branches so that whole runs go through the vector unit (the
// processor's own kind is picked when the program starts).
[[gnu::target_clones("avx2", "default")]] void BlendRun(int count, const std::uint8_t* __restrict m,
                                                       const std::uint8_t* __restrict d,
                                                       const std::uint8_t* __restrict src, std::uint8_t* __restrict q,
                                                       std::int32_t* __restrict n, int c0, int c1, int c2) {
  for (int i = 0; i < count; ++i) {
    const int alpha = m[4 * i + 3];
    const int q0 = Over((c0 * alpha) >> 8, alpha, d[3 * i]);
    const int q1 = Over((c1 * alpha) >> 8, alpha, d[3 * i + 1]);
    const int q2 = Over((c2 * alpha) >> 8, alpha, d[3 * i + 2]);
    q[3 * i] = static_cast<std::uint8_t>(q0);
    q[3 * i + 1] = static_cast<std::uint8_t>(q1);
    q[3 * i + 2] = static_cast<std::uint8_t>(q2);
    const int e0 = src[3 * i] - q0, e1 = src[3 * i + 1] - q1, e2 = src[3 * i + 2] - q2;
    n[i] = e0 * e0 + e1 * e1 + e2 * e2;
  }
}

// The rounded roots of a run's squared distances into `after`, and the run's gain: the sum of
// before − after. The wide version takes eight pixels at a time with the very same float
// operations (conversion, root, adding a half, truncation), so both give the same numbers.
int RootRunNarrow(int count, const std::int32_t* squared, const std::uint16_t* before, std::uint16_t* after) {
  int gain = 0;
  for (int i = 0; i < count; ++i) {
    const int root = RoundedRoot(squared[i]);
    after[i] = static_cast<std::uint16_t>(root);
    gain += before[i] - root;
  }
  return gain;
}

__attribute__((target("avx2"))) int RootRunWide(int count, const std::int32_t* squared, const std::uint16_t* before,
                                                std::uint16_t* after) {
  const __m256 half = _mm256_set1_ps(0.5f);
  __m256i sum = _mm256_setzero_si256();
  int i = 0;
  for (; i + 8 <= count; i += 8) {
    const __m256 n = _mm256_cvtepi32_ps(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(squared + i)));
    const __m256i root = _mm256_cvttps_epi32(_mm256_add_ps(_mm256_sqrt_ps(n), half));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(after + i),
                     _mm_packus_epi32(_mm256_castsi256_si128(root), _mm256_extracti128_si256(root, 1)));
    const __m256i was = _mm256_cvtepu16_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(before + i)));
    sum = _mm256_add_epi32(sum, _mm256_sub_epi32(was, root));
  }
  alignas(32) std::int32_t lanes[8];
  _mm256_store_si256(reinterpret_cast<__m256i*>(lanes), sum);
  int gain = 0;
  for (const std::int32_t lane : lanes) gain += lane;
  return gain + RootRunNarrow(count - i, squared + i, before + i, after + i);
}

int RootRun(int count, const std::int32_t* squared, const std::uint16_t* before, std::uint16_t* after) {
  static const bool wide = __builtin_cpu_supports("avx2");
  return wide ? RootRunWide(count, squared, before, after) : RootRunNarrow(count, squared, before, after);
}

}  // namespace

AlphaBrushParameters AlphaBrushParametersFrom(const ParameterSet& sliders) {
  auto slider = [&](int slot) { return ClampToSlider(kPainting11EffectId, slot, sliders[slot]); };
  return {slider(kSlotTrackBar1), slider(kSlotTrackBar2), slider(kSlotTrackBar5), slider(kSlotTrackBar3),
          slider(kSlotTrackBar4)};
}

void AlphaBrushPainting(const Bitmap24& S, Bitmap24& D, const AlphaBrushParameters& parameters,
                        const StyleSettings& settings, const SurfaceSettings& surface, RunContext& context,
                        const CustomBrushSheet* custom) {
  const int a = std::clamp(parameters.minimumSize, 0, 255), b = std::clamp(parameters.maximumSize, 0, 255);
  const int n = std::clamp(parameters.strokeCount, 0, 100), o = std::clamp(parameters.blending, 0, 255);
  const int v = std::clamp(parameters.abstraction, 0, 255);
  const int W = S.Width(), H = S.Height();
  if (D.Width() != W || D.Height() != H) D = Bitmap24(W, H, settings.paperColour);

  const int smin = std::min(2 * std::min(a, b) + 5, kLargestMark);
  const int smax = std::max(std::min(2 * b + 5, kLargestMark), smin);
  const int perStep = n / 10;
  const int cand = 300 - v;  // at least 45
  const int reps = std::clamp(std::max(W / 200, H / 200), 0, kMaxRepetitions);
  context.ReportProgress(0, 1000, 1, 1);
  // A picture less than 2 pixels wide or high holds no mark of even one pixel: it keeps what it
  // has rather than coming back as bare ground.
  if (std::min(W, H) < 2) return;
  if (settings.eraseBackground || settings.preview) D.Fill(settings.paperColour);

  Bitmap24 E(W, H, 0xFFFFFF);
  if (!EdgeStrokes(S, E, kEdgeThreshold, kEdgeFade, kEdgeLength, settings.preview, surface, context)) return;
  if (context.CheckAbort()) return;

  const std::array<const Bitmap32*, kAlphaBrushSheetCount> sheets = {
      &ShippedAlphaBrushSheet(AlphaBrushSheet::Default), &ShippedAlphaBrushSheet(AlphaBrushSheet::Crosshatch),
      &ShippedAlphaBrushSheet(AlphaBrushSheet::Pastel)};
  const bool customInUse = custom != nullptr && custom->sheet != nullptr;
  const std::array<const std::uint8_t*, kAlphaBrushSheetCount> sheetAlphas = {
      ShippedSheetAlpha(AlphaBrushSheet::Default).data(), ShippedSheetAlpha(AlphaBrushSheet::Crosshatch).data(),
      ShippedSheetAlpha(AlphaBrushSheet::Pastel).data()};
  BrushImage brushImage;
  Mark mark;
  Bitmap32 scaled;  // the cell scaled to the step's size, kept while the size stays
  std::vector<std::uint8_t> trial;  // the mark blended onto the painting under it (Q)
  std::vector<std::uint16_t> trialDistance;  // Q's rounded colour distance to the photograph
  std::vector<std::int32_t> squared;          // a run's squared distances before the root
  // The rounded colour distance between the photograph and the painting at every pixel, kept up
  // to date as marks are laid, so that a trial finds the distance before its mark without
  // measuring it again.
  std::vector<std::uint16_t> distance(static_cast<std::size_t>(W) * static_cast<std::size_t>(H));
  for (int y = 0; y < H; ++y) {
    const std::uint8_t* sr = S.Row(y);
    const std::uint8_t* dr = D.Row(y);
    std::uint16_t* out = distance.data() + static_cast<std::size_t>(y) * W;
    for (int x = 0; x < W; ++x) out[x] = static_cast<std::uint16_t>(ColourDistanceRounded(sr + 3 * x, dr + 3 * x));
  }

  using Clock = std::chrono::steady_clock;
  auto lastPump = Clock::now(), lastShow = Clock::now();
  int pause = 1200;
  double val = smax;

  for (int k = kSizeSteps; k >= 0; --k) {
    // Mark size.
    int s;
    if (k >= kSizeSteps - 1) {
      s = settings.eraseBackground ? std::min(2 * smax, kLargestMark)
                                   : static_cast<int>(std::nearbyint(val)) + smin;
    } else {
      if (k % kHalvingPeriod == 0) val *= 0.5;
      s = static_cast<int>(std::nearbyint(val)) + smin;
    }
    s = std::max(s, smin);
    s = std::min(s, W / 2);
    s = std::min(s, H / 2);

    // Sheet and cell.
    int w = context.Random(cand / 90 + 3);
    if (customInUse) w = 1000;
    const Bitmap32* sheet;
    const std::uint8_t* sheetAlpha = nullptr;  // none for a custom sheet, whose marks may have colour
    int g;
    if (w == 1) {
      sheet = sheets[1];
      sheetAlpha = sheetAlphas[1];
      g = context.Random(kAlphaBrushSheets[1].marks + 1);
    } else if (w == 2) {
      sheet = sheets[2];
      sheetAlpha = sheetAlphas[2];
      g = context.Random(kAlphaBrushSheets[2].marks + 1);
    } else if (w == 1000) {
      sheet = custom->sheet;
      g = context.Random(std::max(custom->count, 0) + 1);
    } else {
      sheet = sheets[0];
      sheetAlpha = sheetAlphas[0];
      g = context.Random(kAlphaBrushSheets[0].marks + 1);
    }
    // A picture too small for a mark of one pixel keeps what it has.
    if (s < 1) continue;

    brushImage.Copy(*sheet, g % kAlphaBrushColumns, g / kAlphaBrushColumns, sheetAlpha);
    if (scaled.Width() != s || scaled.Height() != s) scaled = Bitmap32(s, s, 0);
    brushImage.SampleInto(scaled);  // every pixel
    const std::int64_t thresh = static_cast<std::int64_t>(s) * s / 5;
    for (int y = 0; y < s; ++y) {
      std::uint8_t* row = scaled.Row(y);
      for (int x = 0; x < s; ++x) row[4 * x + 3] = static_cast<std::uint8_t>((row[4 * x + 3] * (255 - o)) >> 8);
    }
    RotateBitmap32(scaled, mark.picture, context.Random(360));
    mark.FindRuns();
    const int pw = mark.picture.width, ph = mark.picture.height;
    s = std::max(pw, ph);
    const int h = s / 2;
    trial.resize(static_cast<std::size_t>(pw) * ph * 3);
    trialDistance.resize(static_cast<std::size_t>(pw) * ph);
    const int trialsPerRepetition = std::max(0, (perStep * (256 - s)) / 50) + 1;

    for (int r = 0; r <= reps; ++r) {
      for (int i = 0; i < trialsPerRepetition; ++i) {
        // Point.
        int x, y;
        if (k > kRandomPointSteps) {
          x = RandomBelow(context, W - 2) + 1;
          y = RandomBelow(context, H - 2) + 1;
        } else {
          const int candidates = (kSizeSteps - k) / cand + 1;
          std::int64_t best = -90000000;
          x = y = 0;
          for (int c = 0; c < candidates; ++c) {
            // Candidates range over the whole picture, border included (the neighbourhood is
            // clipped): a margin left out of the search would keep the ground colour showing
            // through the soft rims of the marks along the picture's edges.
            const int cx = RandomBelow(context, W);
            const int cy = RandomBelow(context, H);
            std::int64_t score = 3 * (255 - E.Row(cy)[3 * cx + 2]);
            for (int yy = std::max(0, cy - 1); yy <= std::min(H - 1, cy + 1); ++yy) {
              const std::uint8_t* sr = S.Row(yy);
              const std::uint8_t* dr = D.Row(yy);
              for (int xx = std::max(0, cx - 1); xx <= std::min(W - 1, cx + 1); ++xx) {
                score += std::abs(sr[3 * xx] - dr[3 * xx]) + std::abs(sr[3 * xx + 1] - dr[3 * xx + 1]) +
                         std::abs(sr[3 * xx + 2] - dr[3 * xx + 2]);
              }
            }
            if (score > best) {
              best = score;
              x = cx;
              y = cy;
            }
          }
        }
        x = std::clamp(x, 0, W - 1);
        y = std::clamp(y, 0, H - 1);

        // Colour: one (empty) spread draw per channel, then the photograph's colour exactly.
        context.Random(0);
        context.Random(0);
        context.Random(0);
        // The mark is tinted with it inside the trial: every painted pixel's colour is
        // colour · alpha shr 8.
        const std::uint8_t* colour = S.Row(y) + 3 * x;

        // Trial and improvement over the mark's footprint, clipped to the picture. Pixels the
        // mark leaves transparent give the same distance before and after, so only painted
        // pixels enter the difference e1 − e2.
        const int left = x - h, top = y - h;
        std::int64_t gain = 0;
        for (int py = std::max(0, -top); py < std::min(ph, H - top); ++py) {
          const std::uint8_t* mr = mark.picture.Row(py);
          const std::uint8_t* sr = S.Row(top + py);
          const std::uint8_t* dr = D.Row(top + py);
          const std::uint16_t* er = distance.data() + static_cast<std::size_t>(top + py) * W;
          std::uint8_t* qr = trial.data() + static_cast<std::size_t>(py) * pw * 3;
          std::uint16_t* qe = trialDistance.data() + static_cast<std::size_t>(py) * pw;
          for (const Mark::Run& run : mark.rows[static_cast<std::size_t>(py)]) {
            const int first = std::max(run.first, -left), last = std::min(run.last, W - 1 - left);
            if (first > last) continue;
            const int count = last - first + 1;
            if (squared.size() < static_cast<std::size_t>(count)) squared.resize(static_cast<std::size_t>(count));
            BlendRun(count, mr + 4 * first, dr + 3 * (left + first), sr + 3 * (left + first), qr + 3 * first,
                     squared.data(), colour[0], colour[1], colour[2]);
            gain += RootRun(count, squared.data(), er + left + first, qe + first);
          }
        }
        if (gain >= thresh) {
          for (int py = std::max(0, -top); py < std::min(ph, H - top); ++py) {
            std::uint8_t* dr = D.Row(top + py);
            const std::uint8_t* qr = trial.data() + static_cast<std::size_t>(py) * pw * 3;
            const std::uint16_t* qe = trialDistance.data() + static_cast<std::size_t>(py) * pw;
            std::uint16_t* er = distance.data() + static_cast<std::size_t>(top + py) * W;
            for (const Mark::Run& run : mark.rows[static_cast<std::size_t>(py)]) {
              const int first = std::max(run.first, -left), last = std::min(run.last, W - 1 - left);
              if (first > last) continue;
              std::copy(qr + 3 * first, qr + 3 * (last + 1), dr + 3 * (left + first));
              std::copy(qe + first, qe + last + 1, er + left + first);
            }
          }
        }
        if (context.CheckAbort()) {
          context.ReportProgress(1001, 1000, 2, 2);
          return;
        }
      }
      // Pacing: keep the interface alive, and now and then show the painting as it grows.
      const auto now = Clock::now();
      if (now - lastPump > std::chrono::milliseconds(500)) {
        lastPump = now;
        context.CheckAbort();
      }
      if (now - lastShow > std::chrono::milliseconds(1500 - pause)) {
        lastShow = now;
        pause = 0;
        if (settings.preview) {
          context.ShowPreviewProgress(D, (kSizeSteps - k) / 10);
          pause = 1000;
        } else if (k < kSizeSteps && !settings.manualBrushMode) {
          context.CheckAbort();
          context.ReportProgress(kSizeSteps - k, kSizeSteps, 2, 2);
        }
      }
    }
  }
}

StyleOutput ProcessPainting11(Bitmap24& source, Bitmap24& shown, const StyleSettings& settings,
                              const SurfaceSettings& surface, RunContext& context) {
  context.ReportProgress(0, 100, 1, 2);
  // The marks go straight into the result panel's picture, which the user watches: the ground
  // colour, or with "Don't erase background" the previous result scaled to the source's size.
  // The source is only read, so it is painted from directly.
  if (shown.Width() != source.Width() || shown.Height() != source.Height()) {
    if (!settings.eraseBackground && !shown.Empty()) {
      Bitmap24 scaled(source.Width(), source.Height());
      Resample(shown, scaled);
      shown = std::move(scaled);
    } else {
      shown = Bitmap24(source.Width(), source.Height(), settings.paperColour);
    }
  }
  if (context.Progress != nullptr) context.Progress->WatchOutput(&shown);
  const CustomBrushSheet custom{settings.customBrushSheet, settings.customBrushCount};
  AlphaBrushPainting(source, shown, AlphaBrushParametersFrom(settings.sliders), settings, surface, context,
                     settings.customBrushSheet != nullptr ? &custom : nullptr);
  if (context.Progress != nullptr) context.Progress->WatchOutput(nullptr);
  context.ReportProgress(101, 100, 2, 2);
  return StyleOutput{.picture = shown, .sliders = settings.sliders};
}

StyleOutput PreviewPainting11(const Bitmap24& crop, const StyleSettings& settings, const SurfaceSettings& surface,
                              RunContext& context) {
  StyleOutput output{.picture = crop, .sliders = settings.sliders};
  StyleSettings previewSettings = settings;
  previewSettings.preview = true;
  const CustomBrushSheet custom{settings.customBrushSheet, settings.customBrushCount};
  AlphaBrushPainting(crop, output.picture, AlphaBrushParametersFrom(settings.sliders), previewSettings, surface,
                     context, settings.customBrushSheet != nullptr ? &custom : nullptr);
  return output;
}

}  // namespace atelion
