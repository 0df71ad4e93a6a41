// Painting 8 repaints the photograph with visible strokes of a bristle brush. The brush is
// turned to ten orientations; where the picture has detail, each orientation is tried with the
// mean source colour under it and the one that fits the source best is stamped. Afterwards the
// best-fitting strokes of every block are stamped once more, so that they lie on top.
#include "styles/painting/painting_8.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <utility>
#include <vector>

#include "core/canvas.h"
#include "core/filters.h"
#include "core/geometry.h"
#include "core/rotate_bitmap.h"
#include "styles/painting/brush_sheet.h"

namespace atelion {

namespace {

constexpr int kOrientations = 10;
constexpr int kDegreesPerOrientation = 18;
constexpr std::int32_t kNoStroke = 99999999;  // the error of a cell that holds no stroke yet
constexpr int kPaintBelow = 245;              // a stamp pixel with red below this carries paint
constexpr int kTexturedPaintBelow = 240;      // the same for the textured laying of the best strokes

// Lets the shell handle its pending events.
void KeepAlive(RunContext& context) { (void)context.CheckAbort(); }

// The best stroke found so far for one pixel.
struct StrokeCell {
  std::uint8_t orientation = 0;
  std::int32_t error = kNoStroke;
  std::uint8_t red = 0, green = 0, blue = 0;
};

// One brush orientation: the mask (red bytes) of the turned stamp, and the same pixels as a list
// of painted positions for the colour search.
struct Stamp {
  std::vector<std::uint8_t> mask;   // size × size, row by row
  std::vector<std::int32_t> offset; // painted pixels: (j · W + i) into the packed source
  std::vector<std::uint8_t> column, row;
  std::vector<std::int32_t> weight; // 255 − m
};

// What one call works on; every buffer lives for one call only.
//
// Only the error of each pixel's best stroke is kept for the whole picture (4 bytes a pixel
// rather than a whole cell: at 12 megapixels the difference is almost 100 MB). The orientation
// and colour of a stroke laid again in the second phase are found again from the unchanged
// source, which gives the same cell.
struct Canvas {
  int width = 0, height = 0;
  int size = 0, half = 0;
  const std::uint8_t* source = nullptr;  // the source's pixels, row after row (blue, green, red)
  std::vector<std::uint8_t> ownSource;   // a copy, when the source is also the destination
  std::vector<std::uint8_t> detail;      // the detail map E, one value per pixel
  std::vector<std::int32_t> errors;      // the error of each pixel's best stroke
  std::array<Stamp, kOrientations> stamps;

  const std::uint8_t* SourcePixel(int x, int y) const {
    return source + 3 * (static_cast<std::size_t>(y) * width + x);
  }
  int Detail(int x, int y) const { return detail[static_cast<std::size_t>(y) * width + x]; }
  std::int32_t& Error(int x, int y) { return errors[static_cast<std::size_t>(y) * width + x]; }
};

// The rows of a picture follow each other without gaps, so the source is read in place; a source
// that is also the painted destination is copied first, since the strokes would change it.
void UseSource(const Bitmap24& picture, const Bitmap24& destination, Canvas& canvas) {
  if (&picture != &destination) {
    canvas.source = picture.Row(0);
    return;
  }
  canvas.ownSource.resize(3 * static_cast<std::size_t>(canvas.width) * canvas.height);
  for (int y = 0; y < canvas.height; ++y) {
    std::copy_n(picture.Row(y), picture.RowBytes(), canvas.ownSource.data() + y * picture.RowBytes());
  }
  canvas.source = canvas.ownSource.data();
}

// The best of the ten orientations at (x, y).
StrokeCell BestStroke(Canvas& canvas, int x, int y);

// E(x, y): how far each channel lies from the mean of its eight neighbours, averaged over the
// channels. Border pixels have no detail.
void BuildDetailMap(Canvas& canvas) {
  const int W = canvas.width;
  const int H = canvas.height;
  canvas.detail.assign(static_cast<std::size_t>(W) * H, 0);
  for (int y = 1; y <= H - 2; ++y) {
    for (int x = 1; x <= W - 2; ++x) {
      int sum = 0;
      for (int ch = 0; ch < 3; ++ch) {
        int neighbours = 0;
        for (int dy = -1; dy <= 1; ++dy) {
          for (int dx = -1; dx <= 1; ++dx) {
            if (dx != 0 || dy != 0) neighbours += canvas.SourcePixel(x + dx, y + dy)[ch];
          }
        }
        sum += std::abs(canvas.SourcePixel(x, y)[ch] - (neighbours >> 3));
      }
      canvas.detail[static_cast<std::size_t>(y) * W + x] = static_cast<std::uint8_t>(sum / 3);
    }
  }
}

// Stamp t is the brush picture scaled to size × size and turned by 18·t degrees.
void BuildStamps(const Bitmap24& brush, Canvas& canvas, RunContext& context) {
  const int size = canvas.size;
  for (int t = 0; t < kOrientations; ++t) {
    Bitmap24 stamp(size, size);
    Resample(brush, stamp);
    const int angle = kDegreesPerOrientation * t;
    Bitmap24 turned;
    if (angle % 90 == 0) {
      // Angle 0 gives a counter-clockwise quarter turn, angle 90 a clockwise one.
      RotateQuarterInto(angle / 90, stamp, turned);
    } else {
      RotateBitmap(stamp, turned, angle, context);
    }
    const Rect centre{(turned.Width() - size) >> 1, (turned.Height() - size) >> 1, (turned.Width() + size) >> 1,
                      (turned.Height() + size) >> 1};
    CopyRect(stamp, 0, 0, turned, centre);

    Stamp& s = canvas.stamps[t];
    s.mask.resize(static_cast<std::size_t>(size) * size);
    for (int j = 0; j < size; ++j) {
      const std::uint8_t* row = stamp.Row(j);
      for (int i = 0; i < size; ++i) {
        const int m = row[3 * i + 2];
        s.mask[static_cast<std::size_t>(j) * size + i] = static_cast<std::uint8_t>(m);
        if (m < kPaintBelow) {
          s.offset.push_back(j * canvas.width + i);
          s.column.push_back(static_cast<std::uint8_t>(i));
          s.row.push_back(static_cast<std::uint8_t>(j));
          s.weight.push_back(255 - m);
        }
      }
    }
  }
}

// Tries stamp t centred on (x, y): the mean source colour under its painted pixels, then how
// far the source under it lies from that colour, weighted by the paint. The cell takes the stamp
// when its error is lower than the best so far.
void TryOrientation(Canvas& canvas, int t, int x, int y, StrokeCell& cell) {
  const Stamp& stamp = canvas.stamps[t];
  const int W = canvas.width;
  const int H = canvas.height;
  const int h = canvas.half;
  const std::size_t count = stamp.weight.size();
  std::int32_t sum[3] = {0, 0, 0};
  std::int32_t mean[3] = {0, 0, 0};
  std::int32_t error = 0;
  const bool inside = x - h >= 0 && x + h <= W - 1 && y - h >= 0 && y + h <= H - 1;
  if (inside) {
    // Every painted stamp pixel lies on the source, short of the last row and column: the
    // colour and the error both read all of them.
    const std::uint8_t* origin = canvas.SourcePixel(x - h, y - h);
    for (std::size_t n = 0; n < count; ++n) {
      const std::uint8_t* p = origin + 3 * static_cast<std::ptrdiff_t>(stamp.offset[n]);
      for (int ch = 0; ch < 3; ++ch) sum[ch] += p[ch];
    }
    if (count > 0) {
      for (int ch = 0; ch < 3; ++ch) mean[ch] = sum[ch] / static_cast<std::int32_t>(count);
    }
    for (std::size_t n = 0; n < count; ++n) {
      const std::uint8_t* p = origin + 3 * static_cast<std::ptrdiff_t>(stamp.offset[n]);
      const int distance = std::abs(p[0] - mean[0]) + std::abs(p[1] - mean[1]) + std::abs(p[2] - mean[2]);
      error += (distance * stamp.weight[n]) >> 5;
      // The error only grows; once it reaches the best one it can no longer win.
      if (error >= cell.error) return;
    }
  } else {
    // Near the border: the colour reads only source pixels short of the last row and column,
    // the error every pixel of the picture under the stamp.
    std::int32_t k = 0;
    for (std::size_t n = 0; n < count; ++n) {
      const int X = x + stamp.column[n] - h;
      const int Y = y + stamp.row[n] - h;
      if (X < 0 || X >= W - 1 || Y < 0 || Y >= H - 1) continue;
      const std::uint8_t* p = canvas.SourcePixel(X, Y);
      for (int ch = 0; ch < 3; ++ch) sum[ch] += p[ch];
      ++k;
    }
    if (k > 0) {
      for (int ch = 0; ch < 3; ++ch) mean[ch] = sum[ch] / k;
    }
    for (std::size_t n = 0; n < count; ++n) {
      const int X = x + stamp.column[n] - h;
      const int Y = y + stamp.row[n] - h;
      if (X < 0 || X >= W || Y < 0 || Y >= H) continue;
      const std::uint8_t* p = canvas.SourcePixel(X, Y);
      const int distance = std::abs(p[0] - mean[0]) + std::abs(p[1] - mean[1]) + std::abs(p[2] - mean[2]);
      error += (distance * stamp.weight[n]) >> 5;
      if (error >= cell.error) return;
    }
  }
  if (error < cell.error) {
    cell.orientation = static_cast<std::uint8_t>(t);
    cell.error = error;
    cell.blue = static_cast<std::uint8_t>(mean[0]);
    cell.green = static_cast<std::uint8_t>(mean[1]);
    cell.red = static_cast<std::uint8_t>(mean[2]);
  }
}

StrokeCell BestStroke(Canvas& canvas, int x, int y) {
  StrokeCell cell;
  for (int t = 0; t < kOrientations; ++t) TryOrientation(canvas, t, x, y, cell);
  return cell;
}

// Lays the cell's stamp centred on (x, y) shifted by (ox, oy), clipped to the stamp's own square.
void LayShiftedStroke(Bitmap24& D, const Canvas& canvas, const StrokeCell& cell, int x, int y, int ox, int oy) {
  const int h = canvas.half;
  const int size = canvas.size;
  const std::uint8_t* mask = canvas.stamps[cell.orientation].mask.data();
  const int colour[3] = {cell.blue, cell.green, cell.red};
  const int firstY = std::max(0, y - h + std::abs(oy));
  const int lastY = std::min(canvas.height - 1, y + h - std::abs(oy) - 1);
  const int firstX = std::max(0, x - h + std::abs(ox));
  const int lastX = std::min(canvas.width - 1, x + h - std::abs(ox) - 1);
  for (int Y = firstY; Y <= lastY; ++Y) {
    std::uint8_t* row = D.Row(Y);
    const std::uint8_t* maskRow = mask + static_cast<std::size_t>(Y - y + h - oy) * size;
    for (int X = firstX; X <= lastX; ++X) {
      const int m = maskRow[X - x + h - ox];
      if (m >= kPaintBelow) continue;
      std::uint8_t* p = row + 3 * X;
      for (int ch = 0; ch < 3; ++ch) p[ch] = static_cast<std::uint8_t>((p[ch] * m + colour[ch] * (255 - m)) >> 8);
    }
  }
}

// Lays the cell's stamp with its top-left corner at (left, top), wholly inside D. `rank` is the
// stroke's place in its block counted from the best (0); the three best strokes on detailed
// ground get a textured laying that mixes a half-strength tint into the paint.
void LayBlockStroke(Bitmap24& D, const Canvas& canvas, const StrokeCell& cell, int left, int top, int rank,
                    bool textured) {
  const int size = canvas.size;
  const std::uint8_t* mask = canvas.stamps[cell.orientation].mask.data();
  const int colour[3] = {cell.blue, cell.green, cell.red};
  int tint[3];
  for (int ch = 0; ch < 3; ++ch) tint[ch] = std::clamp(colour[ch] + rank - 1, 0, 255);
  for (int j = 0; j < size; ++j) {
    std::uint8_t* row = D.Row(top + j) + 3 * left;
    const std::uint8_t* maskRow = mask + static_cast<std::size_t>(j) * size;
    for (int i = 0; i < size; ++i) {
      const int m = maskRow[i];
      std::uint8_t* p = row + 3 * i;
      if (!textured) {
        if (m >= kPaintBelow) continue;
        for (int ch = 0; ch < 3; ++ch) p[ch] = static_cast<std::uint8_t>((p[ch] * m + colour[ch] * (255 - m)) >> 8);
      } else {
        if (m >= kTexturedPaintBelow) continue;
        for (int ch = 0; ch < 3; ++ch) {
          const int mixed = (p[ch] * 50 + tint[ch] * 50) / 100;
          const int painted = (p[ch] * m + colour[ch] * (255 - m)) >> 8;
          p[ch] = static_cast<std::uint8_t>((mixed + painted) >> 1);
        }
      }
    }
  }
}

}  // namespace

Bitmap24 StampBrushPicture(int brushChoice, const StyleSettings& settings) {
  if (settings.customBrushInUse) {
    return settings.customBrush != nullptr ? *settings.customBrush : DefaultCustomBrush();
  }
  Bitmap24 brush(kBrushCellSize, kBrushCellSize);
  CopySheetCell(BrushSheet(), brush, kBrushCellSize, kBrushCellSize, 1, brushChoice == 1 ? 2 : 7);
  return brush;
}

void BrushStampPainting(const Bitmap24& source, Bitmap24& destination, int size, int perBlock, int spread,
                        int brushChoice, const StampOptions& options, const StyleSettings& settings,
                        RunContext& context) {
  if (context.AbortRequested) return;
  if (size % 2 != 0) ++size;
  if (size <= 0 || size > kMaxStampSize) return;
  perBlock = std::min(perBlock, kMaxStrokesPerBlock);
  brushChoice = std::clamp(brushChoice, 1, 2);
  const int h = size / 2;
  context.Rng.RandomSeed = kStyleSeed;

  const int W = destination.Width();
  const int H = destination.Height();
  if (source.Width() != W || source.Height() != H) return;
  const bool fullSize = !settings.preview;
  const bool ownProgress = options.progress == StampProgress::ExpressivePainting;
  const int precision = options.precision;
  const int pauseSlider = options.pause;

  // ---- Preparation ----
  Canvas canvas;
  canvas.width = W;
  canvas.height = H;
  canvas.size = size;
  canvas.half = h;
  canvas.errors.assign(static_cast<std::size_t>(W) * H, kNoStroke);
  if (W > 0 && H > 0) UseSource(source, destination, canvas);
  BuildDetailMap(canvas);
  KeepAlive(context);
  BuildStamps(StampBrushPicture(brushChoice, settings), canvas, context);

  // The paint a stroke carries decides how far from the source it may lie; 64 bits because
  // a large, dense brush exceeds 32 bits once scaled by 100 below.
  std::int64_t ink = 0;
  for (const std::int32_t w : canvas.stamps[0].weight) ink += w;
  ink = (ink * (125 - precision)) / 5;
  const int inkShare = static_cast<int>(std::min<std::int64_t>(ink >> 3, INT32_MAX));

  // ---- First phase: strokes where the picture has detail ----
  int pause = 0;
  for (int y = 0; y < H; ++y) {
    if (fullSize && y % 10 == 0 && ownProgress) context.ReportProgress(y, H, 2 * brushChoice - 1, 4);
    for (int x = 0; x < W; ++x) {
      const std::int64_t threshold = ink + context.Random(inkShare);
      const int detail = canvas.Detail(x, y);
      if (detail >= 5) pause = 0;
      if (pause > 0) --pause;
      const int draw = context.Random(spread);
      if (draw < 97 - detail || pause != 0) continue;
      if (context.CheckAbort()) return;

      const StrokeCell cell = BestStroke(canvas, x, y);
      canvas.Error(x, y) = cell.error;
      if (cell.error > threshold) continue;
      if (cell.error <= (threshold >> 3)) pause = 33 - (pauseSlider >> 3);
      // The less detail, the further the stroke may wander from its pixel.
      const int g = 14 - std::min(detail, 12);
      const int ox = context.Random(g) - g / 2;
      const int oy = context.Random(g) - g / 2;
      LayShiftedStroke(destination, canvas, cell, x, y, ox, oy);
    }
    if (y % 15 == 0) KeepAlive(context);
    if (!fullSize && y % 10 == 0 && ownProgress) {
      context.ShowPreviewProgress(destination, -1);
      KeepAlive(context);
    }
  }

  // ---- Second phase: the best strokes of each block, laid again on top ----
  const std::int64_t limit = (ink * 100) / 250;
  struct Candidate {
    std::int32_t error;
    std::int32_t order;  // place in the scan of the block: columns, then rows, ascending
    bool operator<(const Candidate& other) const {
      return error != other.error ? error < other.error : order < other.order;
    }
  };
  std::vector<Candidate> candidates;
  const std::size_t picks = perBlock >= 0 ? static_cast<std::size_t>(perBlock) + 1 : 0;
  for (int by = H / size - 1; by >= 1; --by) {
    for (int bx = W / size - 1; bx >= 1; --bx) {
      const int left = bx * size - h;
      const int top = by * size - h;
      // Picking the smallest error again and again, first found on ties, until it exceeds the
      // limit, is the same as ordering the acceptable cells by error and then by scan order.
      candidates.clear();
      for (int i = 0; i < size; ++i) {
        for (int j = 0; j < size; ++j) {
          const std::int32_t error = canvas.Error(left + i, top + j);
          if (error < kNoStroke && error <= limit) candidates.push_back({error, i * size + j});
        }
      }
      const std::size_t chosen = std::min(picks, candidates.size());
      std::partial_sort(candidates.begin(), candidates.begin() + static_cast<std::ptrdiff_t>(chosen),
                        candidates.end());
      // From the worst accepted stroke to the best, which ends on top.
      for (std::size_t rank = chosen; rank-- > 0;) {
        const int X = left + candidates[rank].order / size;
        const int Y = top + candidates[rank].order % size;
        const StrokeCell cell = BestStroke(canvas, X, Y);
        const bool textured = rank <= 2 && canvas.Detail(X, Y) >= 10;
        LayBlockStroke(destination, canvas, cell, X - h, Y - h, static_cast<int>(rank), textured);
      }
      if (!fullSize && ownProgress) context.ShowPreviewProgress(destination, -1);
      if (bx == 1) KeepAlive(context);
      if (context.AbortRequested) {
        context.ReportProgress(101, 100, 1, 1);
        return;
      }
      if (fullSize) {
        if (ownProgress) context.ReportProgress(H - by * size, H, 2 * brushChoice, 4);
        if (options.progress == StampProgress::WatercolourContours) context.ReportProgress(H - by * size, H, 3, 4);
      }
    }
  }
  KeepAlive(context);
}

ExpressivePaintingParameters ExpressivePaintingParametersFrom(const ParameterSet& sliders) {
  return {.maximumBrushSize = sliders[kSlotTrackBar1],
          .strokeCount = sliders[kSlotTrackBar2],
          .precision = sliders[kSlotTrackBar5],
          .contrast = sliders[kSlotTrackBar3],
          .details = sliders[kSlotTrackBar4]};
}

void ExpressivePainting(Bitmap24& source, Bitmap24& destination, const StyleSettings& settings, RunContext& context) {
  const ExpressivePaintingParameters p = ExpressivePaintingParametersFrom(settings.sliders);
  const StampOptions options{.precision = p.precision, .pause = p.strokeCount,
                             .progress = StampProgress::ExpressivePainting};

  LocalContrastOverRepeatedEdges(source, p.contrast / 5, settings.sourceMean, &context);
  const int brush = p.maximumBrushSize / 4 + 15;
  const int perBlock = (p.precision * brush * brush) / 256;
  BrushStampPainting(source, destination, brush, perBlock, p.strokeCount / 4 + 98, 1, options, settings, context);
  if (context.AbortRequested) {
    context.ReportProgress(101, 100, 4, 4);
    return;
  }
  Sharpen3(destination);
  if (p.details > 0) {
    BrushStampPainting(source, destination, (brush * 100) / 185, perBlock, p.details / 3 + 25, 2, options, settings,
                       context);
  }
  LocalContrastOverRepeatedEdges(destination, p.contrast / 4, settings.sourceMean, &context);
  context.ReportProgress(101, 100, 4, 4);
}

StyleOutput PreviewExpressivePainting(const Bitmap24& crop, const StyleSettings& settings, const SurfaceSettings&,
                                      RunContext& context) {
  Bitmap24 work = crop;
  StyleOutput output{.picture = crop, .sliders = settings.sliders};
  ExpressivePainting(work, output.picture, settings, context);
  return output;
}

StyleOutput ProcessExpressivePainting(Bitmap24& source, Bitmap24& shown, const StyleSettings& settings,
                                     const SurfaceSettings&, RunContext& context) {
  KeepAlive(context);
  ExpressivePainting(source, shown, settings, context);
  return {.picture = std::move(shown), .sliders = settings.sliders};
}

}  // namespace atelion
