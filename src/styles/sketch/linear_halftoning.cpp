// Linear halftoning: an engraving-like screen of parallel lines. The photograph gets a 25-pixel
// margin filled from its own edge strips (so the lines run on past the picture's edges), is turned
// by the chosen angle, drawn as rows of cells of short vertical segments whose thickness follows
// the cell's darkness a step at a time, turned back and cut to its size.
#include "styles/sketch/linear_halftoning.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <utility>

#include "core/canvas.h"
#include "core/filters.h"
#include "core/rotate_bitmap.h"

namespace atelion {

namespace {

using Parameters = LinearHalftoningParameters;

// The margin laid round the photograph before it is turned.
constexpr int kMargin = 25;

// The photograph drawn at (25, 25) into a white canvas 50 pixels wider and higher; the left and top
// margins repeat the 25 columns and rows next to them, the right and bottom margins squeeze the
// 25 columns and rows before them into 24 (merged pixels combined by a bitwise AND, as the
// platform's shrinking copy does). The last column and row stay white.
Bitmap24 FramedWithMargins(const Bitmap24& picture) {
  const int width = picture.Width() + 2 * kMargin;
  const int height = picture.Height() + 2 * kMargin;
  Bitmap24 framed(width, height);
  DrawPicture(framed, kMargin, kMargin, picture);
  CopyRect(framed, 0, 0, framed, {kMargin, 0, 2 * kMargin, height - 1});
  CopyRect(framed, 0, 0, framed, {0, kMargin, width - 1, 2 * kMargin});
  Bitmap24 strip(kMargin, height - 1);
  CopyRect(strip, 0, 0, framed, {width - 2 * kMargin, 0, width - kMargin, height - 1});
  StretchCopy(framed, {width - kMargin, 0, width - 1, height - 1}, strip, {0, 0, kMargin, height - 1});
  strip = Bitmap24(width - 1, kMargin);
  CopyRect(strip, 0, 0, framed, {0, height - 2 * kMargin, width - 1, height - kMargin});
  StretchCopy(framed, {0, height - kMargin, width - 1, height - 1}, strip, {0, 0, width - 1, kMargin});
  return framed;
}

}  // namespace

// The chain shared by the full-size drawing and the preview: frame, turn, line screen, turn back,
// cut to the picture's size, soften and sharpen twice. `fullSize` adds the progress reports of a
// full-size run.
Bitmap24 HalftoneLineScreen(const Bitmap24& picture, const StyleSettings& settings, RunContext& context, bool fullSize,
                            int sharpenings, Bitmap24* release) {
  const Parameters p = LinearHalftoningParametersFrom(settings.sliders);
  const int width = picture.Width(), height = picture.Height();
  if (picture.Empty()) return picture;
  Bitmap24 framed = FramedWithMargins(picture);
  // The framed copy holds the picture unchanged inside its margins: from here on that is read.
  if (release != nullptr) *release = Bitmap24();
  // The turned canvas starts as the picture on white, at its top-left corner: a stopped turn leaves
  // the rows it did not reach showing that. It is made at the turned size at once.
  const TurnGeometry turn(framed.Width(), framed.Height(), p.angle, true);
  Bitmap24 turned(turn.TurnedWidth(), turn.TurnedHeight());
  CopyRect(turned, 0, 0, framed, {kMargin, kMargin, kMargin + width, kMargin + height});
  if (fullSize) {
    context.ReportProgress(0, 100, 1, 3);
    context.CheckAbort();
  }
  RotateExpanded(framed, turned, p.angle, settings, context);
  framed = Bitmap24();  // released before the screen's canvas takes its place
  framed = Bitmap24(turned.Width(), turned.Height());
  HalfToneLines(turned, framed, settings, context);

  // The turn back, only where the cut keeps it: the rows and columns of the centred cut are turned
  // straight into it, row by row from the bottom, and the rest of the turned-back picture is never
  // made. Before the turn the cut shows what the turned-back canvas would show there (the turned
  // screen's canvas, white past its edges), so a stopped turn keeps the rows it did not reach.
  const TurnGeometry back(framed.Width(), framed.Height(), -p.angle, true);
  const int backHeight = back.TurnedHeight();
  const int left = (back.TurnedWidth() - width) / 2, top = (backHeight - height) / 2;
  // The cut is taken out of the turned canvas's own memory where it can be, so the turned canvas,
  // the screen and the cut are never three pictures at once.
  const bool inPlace = left >= 0 && top >= 0 && width <= turned.Width() && height <= turned.Height();
  Bitmap24 cut;
  if (inPlace) {
    turned.CropWithinBuffer(left, top, width, height);
    cut = std::move(turned);
  } else {
    cut = Bitmap24(width, height);
    CopyRect(cut, 0, 0, turned, {left, top, left + width, top + height});
  }
  turned = Bitmap24();
  constexpr std::uint8_t kWhite[3] = {255, 255, 255};
  for (int r = backHeight - 1; r >= 0; --r) {
    if (r % 50 == 0) {
      context.CheckAbort();
      if (!settings.preview) {
        // As RotateExpanded reports a turn by −angle.
        const int done = backHeight - r - 1;
        if (-p.angle > 0) context.ReportProgress(done, backHeight - 1, 1, 3);
        else context.ReportProgress((done * 95) / 100, backHeight - 1, 3, 3);
      }
    }
    if (context.AbortRequested) break;
    if (r >= top && r < top + height) back.TurnRowPart(framed, r, left, width, cut.Row(r - top), kWhite);
  }
  framed = Bitmap24();
  // A copy holds only the cut's pixels: the rest of the turned canvas's memory goes.
  if (inPlace) cut = Bitmap24(cut);
  context.CheckAbort();

  auto report = [&](int step) {
    if (!fullSize) return;
    context.ReportProgress(step, 100, 3, 3);
    context.CheckAbort();
  };
  report(95);
  Soften(cut);
  report(97);
  for (int pass = 1; pass <= sharpenings; ++pass) {
    Sharpen3(cut);
    report(pass < sharpenings ? 99 : 100);
  }
  return cut;
}

LinearHalftoningParameters LinearHalftoningParametersFrom(const ParameterSet& sliders) {
  auto slider = [&](int slot) { return ClampToSlider(kLinearHalftoningEffectId, slot, sliders[slot]); };
  return {slider(kSlotTrackBar1), slider(kSlotTrackBar2), slider(kSlotTrackBar5)};
}

void RotateExpanded(const Bitmap24& source, Bitmap24& destination, int angle, const StyleSettings& settings,
                    RunContext& context) {
  const TurnGeometry turn(source.Width(), source.Height(), angle, true);
  const int turnedHeight = turn.TurnedHeight();
  destination.Resize(turn.TurnedWidth(), turnedHeight);
  constexpr std::uint8_t kWhite[3] = {255, 255, 255};
  for (int r = turnedHeight - 1; r >= 0; --r) {
    if (r % 50 == 0) {
      context.CheckAbort();
      if (!settings.preview) {
        const int done = turnedHeight - r - 1;
        if (angle > 0) context.ReportProgress(done, turnedHeight - 1, 1, 3);
        else context.ReportProgress((done * 95) / 100, turnedHeight - 1, 3, 3);
      }
    }
    if (context.AbortRequested) return;
    turn.TurnRow(source, destination, r, kWhite);
  }
}

void HalfToneLines(const Bitmap24& source, Bitmap24& destination, const StyleSettings& settings,
                   RunContext& context) {
  const Parameters p = LinearHalftoningParametersFrom(settings.sliders);
  const int n = p.abstraction / 2 + 4;
  const int half = n / 2;
  const int ci = p.colourIntensity;
  const int width = source.Width();
  // The two pictures have the same size; the smaller height keeps every read and write inside both.
  const int height = std::min(source.Height(), destination.Height());
  const int targetStep = 255 / n;  // at least 1: n is at most 131
  if (!settings.preview) context.ReportProgress(0, destination.Height(), 2, 3);
  if (width <= 0 || height <= 0) return;
  // A cell reaches n + n div 2 columns past its left edge; where that lies past the right edge
  // (a canvas narrower than one cell) the last column is read again instead of the next row.
  auto pixelAt = [&](int x, int y) { return source.Row(y) + 3 * std::min(x, width - 1); };
  auto setPixel = [&](int x, int y, const int colour[3]) {
    if (x < 0 || y < 0 || x >= destination.Width() || y >= destination.Height()) return;
    std::uint8_t* pixel = destination.Row(y) + 3 * x;
    for (int c = 0; c < 3; ++c) pixel[c] = static_cast<std::uint8_t>(colour[c]);
  };

  double w = 0.0;  // the line thickness in pixels
  double d = 0.2;  // the thickness step
  int previousFaded[3] = {255, 255, 255};
  int x0 = 0, y0 = 0;
  while (y0 < height - n - half - 1) {
    // Darkness of the n × n square half a cell below and right of the origin.
    std::int64_t s = 0;
    for (int y = y0 + half; y < y0 + half + n; ++y)
      for (int x = x0 + half; x < x0 + half + n; ++x) {
        const std::uint8_t* pixel = pixelAt(x, y);
        s += 2 * pixel[2] + pixel[1] + pixel[0];
      }
    const int f = static_cast<int>(s / (4 * n * n));
    const int k = 255 - f;
    // The photograph's colour at (x0 + n, y0 + n), mixed with a grey of about 0.6·f.
    const std::uint8_t* sample = pixelAt(x0 + n, y0 + n);
    int line[3];
    for (int c = 0; c < 3; ++c) line[c] = (ci * sample[c]) / 100 + (f * (100 - ci)) / 165;
    const int yc = y0 + n + half;
    const int target = k / targetStep;

    for (int X = x0; X < x0 + n; ++X) {
      const int halfDown = static_cast<int>(std::floor(w / 2));
      for (int y = yc - halfDown; y < yc + halfDown; ++y) setPixel(X, y, line);
      // The fraction of the thickness fades the line colour towards white for the edge pixels.
      const int e = static_cast<int>(std::floor(255 * w - 255 * std::floor(w)));
      int faded[3], edge[3];
      for (int c = 0; c < 3; ++c) {
        faded[c] = (line[c] * e + (255 - e) * 255) / 255;
        edge[c] = (line[c] + faded[c] + previousFaded[c]) / 3;
      }
      const int halfUp = static_cast<int>(std::ceil(w / 2));
      setPixel(X, yc - halfUp, edge);
      setPixel(X, yc + halfUp - 1, edge);
      std::copy(faded, faded + 3, previousFaded);

      // The thickness moves towards the target, faster while it is far from it.
      const double whole = std::floor(w);
      if (target - d > whole) {
        w += d;
        d += 0.07;
      } else if (whole > target + d) {
        w -= d;
        d += 0.07;
      } else {
        d = 0.2;
      }
      d = std::min(d, 2.5);
      if (n > 15) w = std::min(w, n - 1.5);
      w = std::max(w, 1.1);
    }

    x0 += n;
    if (x0 > width - n - half) {
      x0 = 0;
      y0 += n;
      w = 0.0;
      d = 0.2;
    }
    if (y0 % 50 == 0 && !settings.preview) context.ReportProgress(y0, destination.Height(), 2, 3);
    if (y0 % 100 == 0) context.CheckAbort();
  }
}

StyleOutput PreviewHalfToneLines(const Bitmap24& crop, const StyleSettings& settings, const SurfaceSettings&,
                                 RunContext& context) {
  return {.picture = HalftoneLineScreen(crop, settings, context, false, 2), .sliders = settings.sliders};
}

StyleOutput ProcessHalfToneLines(Bitmap24& source, Bitmap24& shown, const StyleSettings& settings,
                                 const SurfaceSettings&, RunContext& context) {
  ReleaseUnwatchedShown(shown, settings);
  return {.picture = HalftoneLineScreen(source, settings, context, true, 2, settings.sourceKept ? nullptr : &source),
          .sliders = settings.sliders};
}

}  // namespace atelion
