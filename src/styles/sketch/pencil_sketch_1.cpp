// Pencil sketch 1. Where the colour gradient of a pixel is strong it becomes a line whose darkness
// grows with the gradient; elsewhere its quantised colour is shaded by a row of the scanned-looking
// pencil-hatching picture, the column chosen by brightness. The row changes at random every dozen
// pixels or so, which draws horizontal streaks; the photograph is turned by 30 degrees first and
// turned back afterwards, so the streaks end up slanted, rising to the right.
#include "styles/sketch/pencil_sketch_1.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <stdexcept>
#include <vector>

#include "core/canvas.h"
#include "core/filters.h"
#include "core/rotate_bitmap.h"
#include "styles/sketch/hatching_picture.h"

namespace atelion {

namespace {

// The picture is sketched turned by this angle so the hatching streaks slant.
constexpr int kSlantAngle = 30;
// Hatching columns 2·L for L = 0..255.
constexpr int kHatchingColumnsRead = 511;

inline int Clamp255(int value) { return std::clamp(value, 0, 255); }

// The soften pass of the sketch: pixels that came out white (or mean 1) are blended with their
// neighbours, in place, so each sees the softened rows above and the softened pixel to its left.
void SoftenWhitePixels(Bitmap24& picture) {
  const int width = picture.Width();
  const int height = picture.Height();
  for (int y = 1; y <= height - 2; ++y) {
    const std::uint8_t* above = picture.Row(y - 1);
    std::uint8_t* here = picture.Row(y);
    const std::uint8_t* below = picture.Row(y + 1);
    for (int x = 1; x <= width - 2; ++x) {
      std::uint8_t* centre = here + 3 * x;
      const int mean = (centre[0] + centre[1] + centre[2]) / 3;
      if (mean != 1 && mean <= 253) continue;
      for (int c = 0; c < 3; ++c) {
        const int left = 3 * (x - 1) + c, middle = 3 * x + c, right = 3 * (x + 1) + c;
        const int neighbours = above[left] + above[middle] + above[right] + here[left] + here[right] +
                               below[left] + below[middle] + below[right];
        centre[c] = static_cast<std::uint8_t>((2 * centre[c] + neighbours) / 10);
      }
    }
  }
}

// Copies the width × height rectangle around the centre of `picture` into a picture of that size.
// A turned picture can be narrower than its source (a very wide panorama): what lies outside is white.
void CutCentre(Bitmap24& picture, int width, int height) {
  const int left = (picture.Width() - width) / 2;
  const int top = (picture.Height() - height) / 2;
  Bitmap24 centre(width, height);
  CopyRect(centre, 0, 0, picture, Rect{left, top, left + width, top + height});
  picture = std::move(centre);
}

// The columns first..last of one row of the turned picture that hold the photograph; first > last
// when the row holds none of it.
struct PhotographSpan {
  int first = 0;
  int last = -1;
};

// Where a width × height photograph lies in each row of its turn by the slant angle. A black
// picture of that size turned the same way comes out white exactly where the turn found nothing.
std::vector<PhotographSpan> PhotographSpansOfTurn(int width, int height, RunContext& context) {
  Bitmap24 coverage;
  // Its own context: this turn neither reports progress nor lets the shell handle events.
  RunContext quiet;
  RotateBitmap(Bitmap24(width, height, 0x000000), coverage, kSlantAngle, quiet);
  if (quiet.AbortRequested) {
    context.StopForLackOfMemory();
    return {};
  }
  std::vector<PhotographSpan> spans(static_cast<std::size_t>(coverage.Height()));
  for (int y = 0; y < coverage.Height(); ++y) {
    const std::uint8_t* row = coverage.Row(y);
    PhotographSpan& span = spans[static_cast<std::size_t>(y)];
    span.first = 0;
    while (span.first < coverage.Width() && row[3 * span.first] == 0xFF) ++span.first;
    span.last = coverage.Width() - 1;
    while (span.last >= span.first && row[3 * span.last] == 0xFF) --span.last;
  }
  return spans;
}

// The turn leaves white corners around the photograph. Sketched as they are, their border with the
// photograph is a strong gradient and becomes a contour, which the sketch's one-pixel shift and the
// turn back bring inside the cut: a dark frame line the photograph does not have. Instead every row
// repeats its first photograph pixel to the left and its last one to the right, and the rows above
// and below the photograph repeat its top and bottom rows, so the sketch sees the photograph's own
// edge continue.
void RepeatEdgePixelsIntoCorners(Bitmap24& turned, const std::vector<PhotographSpan>& spans) {
  if (spans.size() != static_cast<std::size_t>(turned.Height())) return;
  const int width = turned.Width();
  int firstRow = -1, lastRow = -1;
  for (int y = 0; y < turned.Height(); ++y) {
    const PhotographSpan& span = spans[static_cast<std::size_t>(y)];
    if (span.first > span.last) continue;
    if (firstRow < 0) firstRow = y;
    lastRow = y;
    std::uint8_t* row = turned.Row(y);
    for (int x = 0; x < span.first; ++x) std::memcpy(row + 3 * x, row + 3 * span.first, 3);
    for (int x = span.last + 1; x < width; ++x) std::memcpy(row + 3 * x, row + 3 * span.last, 3);
  }
  if (firstRow < 0) return;
  for (int y = 0; y < firstRow; ++y) std::memcpy(turned.Row(y), turned.Row(firstRow), turned.RowBytes());
  for (int y = lastRow + 1; y < turned.Height(); ++y) std::memcpy(turned.Row(y), turned.Row(lastRow), turned.RowBytes());
}

// The sketch leaves its last two rows and columns white: it draws each pixel from the neighbourhood
// one row and column further on. The turned photograph touches the right side of the turned picture
// with its top-right corner and the bottom side with its bottom-right corner, so those corners would
// come back white; the last drawn column and row are repeated there instead.
void RepeatLastDrawnRowAndColumn(Bitmap24& sketch) {
  const int width = sketch.Width(), height = sketch.Height();
  if (width < 3 || height < 3) return;
  for (int y = 0; y < height - 2; ++y) {
    std::uint8_t* row = sketch.Row(y);
    for (int x = width - 2; x < width; ++x) std::memcpy(row + 3 * x, row + 3 * (width - 3), 3);
  }
  for (int y = height - 2; y < height; ++y) std::memcpy(sketch.Row(y), sketch.Row(height - 3), sketch.RowBytes());
}

// The chain shared by the full-size run and the preview: turn, soften, sketch, turn back.
// `turned` receives the sketch turned back, at the size of the turned picture.
void SketchTurned(const Bitmap24& picture, Bitmap24& turned, Bitmap24& scratch, const PencilSketchParameters& parameters,
                  const SurfaceSettings& surface, RunContext& context, bool pumpBetweenSteps) {
  const std::vector<PhotographSpan> spans = PhotographSpansOfTurn(picture.Width(), picture.Height(), context);
  RotateBitmap(picture, turned, kSlantAngle, context);
  if (!context.AbortRequested) RepeatEdgePixelsIntoCorners(turned, spans);
  if (pumpBetweenSteps) context.CheckAbort();
  Soften(turned);
  PencilSketch(turned, scratch, parameters, HatchingPicture(), surface, context);
  RepeatLastDrawnRowAndColumn(scratch);
  if (pumpBetweenSteps) context.CheckAbort();
  RotateBitmap(scratch, turned, -kSlantAngle, context);
}

}  // namespace

PencilSketchParameters PencilSketchParametersFrom(const ParameterSet& sliders) {
  auto slider = [&](int slot) { return ClampToSlider(kPencilSketch1EffectId, slot, sliders[slot]); };
  return {.edgeThreshold = slider(kSlotTrackBar1),
          .edgeIntensity = slider(kSlotTrackBar2),
          .colourIntensity = slider(kSlotTrackBar5),
          .darkenLighten = slider(kSlotTrackBar3),
          .contrast = slider(kSlotTrackBar4)};
}

void PencilSketch(const Bitmap24& source, Bitmap24& destination, const PencilSketchParameters& parameters,
                  const Bitmap24& hatching, const SurfaceSettings& surface, RunContext& context) {
  if (&source == &destination) {
    const Bitmap24 copy = source;
    PencilSketch(copy, destination, parameters, hatching, surface, context);
    return;
  }
  if (hatching.Width() < kHatchingColumnsRead || hatching.Height() < 4) {
    throw std::invalid_argument("the hatching picture must be at least 511 x 4 pixels");
  }
  const int width = source.Width();
  const int height = source.Height();
  const int hatchingHeight = hatching.Height();
  const int T = parameters.edgeThreshold;
  const int E = parameters.edgeIntensity;
  const int I = parameters.colourIntensity;
  const int D = parameters.darkenLighten;
  const int K = parameters.contrast;
  // While the random flag A is set, shaded pixels are lifted by half their brightness, which
  // draws light streaks between the hatching; a drawing that is softened afterwards skips it.
  const bool lightenStrokes = !surface.softenEdges;

  RandomGenerator& rng = context.Rng;
  rng.RandomSeed = kStyleSeed;
  bool A = false;
  destination = Bitmap24(width, height);

  for (int y = 1; y <= height - 2; ++y) {
    if (context.Processing) {
      context.ReportProgress(y - 1, height - 3, 2, 3);
      context.CheckAbort();
    }
    if (context.AbortRequested) return;

    int t = (y % (hatchingHeight - 2)) + 1;
    const std::uint8_t* above = source.Row(y - 1);
    const std::uint8_t* here = source.Row(y);
    const std::uint8_t* below = source.Row(y + 1);
    std::uint8_t* out = destination.Row(y - 1);
    for (int x = 1; x <= width - 2; ++x) {
      const std::uint8_t* centre = here + 3 * x;
      const int L = (3 * centre[2] + 6 * centre[1] + centre[0]) / 10;
      if (rng.Random(100) >= 92) {
        t = rng.Random(hatchingHeight - 3) + 1;
        A = rng.Random(100) > 50;
      }
      const std::uint8_t* left = here + 3 * (x - 1);
      const std::uint8_t* upLeft = above + 3 * (x - 1);
      const std::uint8_t* up = above + 3 * x;
      const std::uint8_t* downLeft = below + 3 * (x - 1);
      int sum1 = 0, sum2 = 0;
      for (int c = 0; c < 3; ++c) {
        sum1 += std::abs(centre[c] - left[c]) + std::abs(centre[c] - upLeft[c]);
        sum2 += std::abs(centre[c] - up[c]) + std::abs(centre[c] - downLeft[c]);
      }
      const int d1 = sum1 / 4;
      const int d2 = sum2 / 4;

      // The colour comes from the left neighbour Q and lands one column left and one row up.
      const std::uint8_t* Q = left;
      std::uint8_t* pixel = out + 3 * (x - 1);
      if (d1 >= T || d2 >= T) {
        A = rng.Random(100) > 50;
        t = rng.Random(hatchingHeight - 3) + 1;
        int e[3];
        for (int c = 0; c < 3; ++c) e[c] = Clamp255(Q[c] - 2 * E - d1 - d2 + 255);
        const int grey = ((100 - I) * (e[0] + e[1] + e[2])) / 3;
        for (int c = 0; c < 3; ++c) pixel[c] = static_cast<std::uint8_t>((I * e[c] + grey) / 100);
      } else {
        // Three draws that always give 0 (the texture column is exactly 2·L) but advance the sequence.
        rng.Random(1);
        rng.Random(1);
        rng.Random(1);
        const std::uint8_t* texture = hatching.Row(t) + 3 * (2 * L);
        const int V = (texture[0] + texture[1] + texture[2]) / 3;
        int q[3];
        for (int c = 0; c < 3; ++c) q[c] = (Q[c] / 10) * 10;
        int s = L - V + 2 * (D - 127);
        if (A && lightenStrokes) s += L / 2;
        s += (L * K) / 64 - K;
        const int m = Clamp255((q[0] + q[1] + q[2]) / 3 + s);
        for (int c = 0; c < 3; ++c) pixel[c] = static_cast<std::uint8_t>((I * Clamp255(q[c] + s) + (100 - I) * m) / 100);
      }
    }
  }

  if (surface.softenEdges) SoftenWhitePixels(destination);
  if (surface.texture.enabled) ApplyTexture(destination, surface.textureTile, surface.texture.strength, TileRepeat::WholeTile);
}

StyleOutput PreviewPencilSketch(const Bitmap24& crop, const StyleSettings& settings, const SurfaceSettings& surface,
                                RunContext& context) {
  // Both work pictures start as copies of the crop; a stopped turn leaves part of that showing.
  Bitmap24 turned = crop;
  Bitmap24 scratch = crop;
  SketchTurned(crop, turned, scratch, PencilSketchParametersFrom(settings.sliders), surface, context, true);
  // The sketch turned back is larger than the crop: draw it centred onto the crop's size.
  scratch.Resize(crop.Width(), crop.Height());
  DrawPicture(scratch, (crop.Width() - turned.Width()) / 2, (crop.Height() - turned.Height()) / 2, turned);
  return {.picture = std::move(scratch), .sliders = settings.sliders};
}

StyleOutput ProcessPencilSketch(Bitmap24& source, Bitmap24& shown, const StyleSettings& settings,
                                const SurfaceSettings& surface, RunContext& context) {
  const int width = source.Width();
  const int height = source.Height();
  // The sketch sizes and whitens its destination itself.
  Bitmap24 scratch;
  context.ReportProgress(0, 100, 1, 3);
  context.CheckAbort();
  // No platform blit here: the turns always use RotateBitmap, white corners included; the cut
  // below removes them. A stop leaves whatever the steps had drawn, cut the same way.
  SketchTurned(source, shown, scratch, PencilSketchParametersFrom(settings.sliders), surface, context, false);
  scratch = Bitmap24();
  context.CheckAbort();
  CutCentre(shown, width, height);
  context.ReportProgress(95, 100, 3, 3);
  context.CheckAbort();
  context.ReportProgress(100, 100, 3, 3);
  context.CheckAbort();
  // The sketch laid soften and texture itself and keeps no untextured drawing.
  return {.picture = std::move(shown), .surfaceApplied = true, .sliders = settings.sliders};
}

}  // namespace atelion
