// The frame chain laid around a finished drawing: a margin of the fill colour closed by outlines
// over the picture's outermost pixels, optionally with a thin line; the inner shadow of the
// picture frames; the shadowed triptych; the border painted with the random-stroke engine that
// fades into the picture; and the hand-over to the frame pictures.
#include "finishing/frames.h"

#include <algorithm>
#include <array>
#include <utility>
#include <vector>

#include "core/canvas.h"
#include "core/filters.h"
#include "finishing/picture_frames.h"
#include "i18n/language_table.h"
#include "styles/painting/painting_7.h"

namespace atelion {

namespace {

// Interface lines of the frame list entries, in list order.
constexpr std::array<int, kFrameStyleCount> kFrameStyleLines = {121, 122, 123, 124, 125, 232, 240};

// The shadow reaches 10 pixels in and darkens by 8 per pixel, 80 at the edge.
constexpr int kShadowDepth = 10;
constexpr int kShadowStep = 8;

// Darkens the top and left edges of the width × height area whose top-left corner is (left, top).
// Above the diagonal the top edge's shading applies, on and below it the left edge's.
void ShadeTopLeftEdges(Bitmap24& picture, int left, int top, int width, int height) {
  for (int dy = 0; dy < height; ++dy) {
    const int y = top + dy;
    if (y < 0 || y >= picture.Height()) continue;
    std::uint8_t* row = picture.Row(y);
    // Below the top band only the left band's columns change.
    const int columns = dy <= kShadowDepth ? width : std::min(width, kShadowDepth + 1);
    for (int dx = 0; dx < columns; ++dx) {
      const int x = left + dx;
      if (x < 0 || x >= picture.Width()) continue;
      int darken = 0;
      if (dy <= kShadowDepth && dy < dx) {
        darken = (kShadowDepth - dy) * kShadowStep;
      } else if (dx <= kShadowDepth && dy >= dx) {
        darken = (kShadowDepth - dx) * kShadowStep;
      }
      if (darken == 0) continue;
      for (int c = 0; c < 3; ++c) {
        std::uint8_t& value = row[3 * x + c];
        value = static_cast<std::uint8_t>(std::max(0, value - darken));
      }
    }
  }
}

// ---- Painted border ---------------------------------------------------------------------------

// The arguments of the stroke engine for one strip.
using StripStrokes = RandomStrokesParameters;

// The strokes of the top and bottom strips, and of the left and right ones (more, finer strokes:
// the side strips are narrow and tall).
StripStrokes HorizontalStripStrokes(int thickness) {
  return {std::min(thickness / 3 + 20, 120), 150, 40, 0, 190};
}
StripStrokes VerticalStripStrokes(int thickness) {
  return {std::min(thickness / 3 + 18, 100), 150, 55, 0, 230};
}

// Runs the random-stroke engine on `source` (which it sharpens) into `strokes` on a ground of `fill`.
// The engine is called as a caller other than its own style, so it paints on `fill`; with
// `ProgressSuppressed` set it draws no edge layer and shows no progress.
void PaintStrokes(Bitmap24& source, Bitmap24& strokes, const StripStrokes& arguments, Colour fill,
                  const MeanColour& sourceMean, RunContext& context) {
  StyleSettings settings;
  settings.sourceMean = sourceMean;
  RandomStrokePainting(source, strokes, arguments, {.openingPhase = false, .ground = fill}, settings,
                       SurfaceSettings{}, context);
}

// The picture shows through the strokes over this many steps of 5 %.
constexpr int kFadeSteps = 20;

// How far from the picture's block, and from the lines a strip blends in, the strokes are painted:
// the side of the largest brush of the strips (120 + 6 pixels). A stroke takes the mean colour
// under its brush, so only strokes within half a side of the picture carry its colours, and they
// reach no farther than this. Strokes beyond lie on the plain margin, whose fill they only repeat,
// so the margin there is left as it is and a huge margin costs no more painting than one of this
// size.
constexpr int kStrokeReach = 126;

// Percentages of the painted strip in each line of a strip of `thickness` lines, counted from the
// strip's first line; `outerAtStart` tells whether that line is on the picture's edge. The outer
// half and the two lines after it, where the outlines of the fill colour close the picture's edge,
// are all strokes; then over 20 steps of 5 % the picture shows through; beyond that it stays.
// Counting from the outer line makes the strips of the right and bottom edges the mirror images of
// the left and top ones, so their outlines stay covered too instead of showing through as a seam.
std::vector<int> StrokeShares(int thickness, bool outerAtStart) {
  const int half = thickness / 2;
  std::vector<int> shares(thickness, 0);
  for (int i = 0; i < thickness; ++i) {
    const int fromOuter = outerAtStart ? i : thickness - 1 - i;
    const int k = fromOuter - half;
    if (fromOuter <= half + 1) {
      shares[i] = 100;
    } else if (k <= kFadeSteps) {
      shares[i] = 100 - 5 * k;
    }
  }
  return shares;
}

// Paints the part `painted` of the edge strip `strip`: a copy of that part goes through the stroke
// engine and the strokes are blended back, line by line across the strip (rows when `acrossRows`),
// with the shares of the whole strip.
void PaintStrip(Bitmap24& picture, const Rect& strip, const Rect& painted, bool acrossRows, bool outerAtStart,
                const StripStrokes& arguments, Colour fill, const MeanColour& sourceMean, RunContext& context) {
  const int width = painted.right - painted.left;
  const int height = painted.bottom - painted.top;
  if (width <= 0 || height <= 0) return;
  Bitmap24 copy(width, height);
  CopyRect(copy, 0, 0, picture, painted);
  Bitmap24 strokes(width, height, fill);
  PaintStrokes(copy, strokes, arguments, fill, sourceMean, context);
  const std::vector<int> shares =
      StrokeShares(acrossRows ? strip.bottom - strip.top : strip.right - strip.left, outerAtStart);
  for (int y = 0; y < height; ++y) {
    const int py = painted.top + y;
    if (py < 0 || py >= picture.Height()) continue;
    std::uint8_t* target = picture.Row(py);
    const std::uint8_t* paint = strokes.Row(y);
    for (int x = 0; x < width; ++x) {
      const int px = painted.left + x;
      if (px < 0 || px >= picture.Width()) continue;
      const int share = shares[acrossRows ? py - strip.top : px - strip.left];
      if (share == 0) continue;
      for (int c = 0; c < 3; ++c) {
        const int p = target[3 * px + c];
        const int b = paint[3 * x + c];
        target[3 * px + c] = static_cast<std::uint8_t>(((100 - share) * p + share * b) / 100);
      }
    }
  }
}

Rect Intersection(const Rect& a, const Rect& b) {
  return Rect{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
              std::min(a.bottom, b.bottom)};
}

Rect Grown(const Rect& area, int by) { return Rect{area.left - by, area.top - by, area.right + by, area.bottom + by}; }

// One edge strip of the painted border and how it is painted.
struct BorderStrip {
  Rect area;
  bool acrossRows;
  bool outerAtStart;
  StripStrokes strokes;
};

// The four strips in painting order: top, bottom, left, right.
std::array<BorderStrip, 4> BorderStrips(int width, int height, int thickness) {
  return {{
      {Rect{0, 0, width, thickness}, true, true, HorizontalStripStrokes(thickness)},
      {Rect{0, height - thickness, width, height}, true, false, HorizontalStripStrokes(thickness)},
      {Rect{0, 0, thickness, height}, false, true, VerticalStripStrokes(thickness)},
      {Rect{width - thickness, 0, width, height}, false, false, VerticalStripStrokes(thickness)},
  }};
}

int StripThickness(int margin) {
  const int thickness = 2 * (margin / 2);
  return thickness < 9 ? 10 : thickness;
}

// The part of `strip` that the stroke engine paints: what lies within reach of the picture's own
// block and of the lines the strip blends in (those with a share above 0).
Rect PaintedPart(const BorderStrip& strip, int width, int height, int margin) {
  // The picture sits at (margin div 2, margin div 2) with the rest of the margin after it.
  const int half = margin / 2;
  const Rect block{half, half, std::max(half, width - (margin - half)), std::max(half, height - (margin - half))};
  // The lines that get strokes, counted from the outer one: the outer half, the two lines after
  // it and the fading steps (see StrokeShares).
  const int thickness = StripThickness(margin);
  const int blendedLines = std::min(thickness, thickness / 2 + 2 + kFadeSteps);
  Rect blended = strip.area;
  int& outer = strip.acrossRows ? (strip.outerAtStart ? blended.top : blended.bottom)
                                : (strip.outerAtStart ? blended.left : blended.right);
  int& inner = strip.acrossRows ? (strip.outerAtStart ? blended.bottom : blended.top)
                                : (strip.outerAtStart ? blended.right : blended.left);
  inner = outer + (strip.outerAtStart ? blendedLines : -blendedLines);
  return Intersection(strip.area, Intersection(Grown(block, kStrokeReach), Grown(blended, kStrokeReach)));
}

// Sets the run flags the stroke engine reads while it paints a frame (a running computation whose
// progress is not shown), and gives them back however the border ends.
class FramePaintingFlags {
 public:
  explicit FramePaintingFlags(RunContext& context) : context_(context), processing_(context) {
    context_.ProgressSuppressed = true;
  }
  ~FramePaintingFlags() { context_.ProgressSuppressed = false; }
  FramePaintingFlags(const FramePaintingFlags&) = delete;
  FramePaintingFlags& operator=(const FramePaintingFlags&) = delete;

 private:
  RunContext& context_;
  ProcessingScope processing_;
};

}  // namespace

FrameSettings ClampFrameSettings(FrameSettings settings) {
  settings.entry = kFrameEntryRange.Clamp(settings.entry);
  settings.margin = kFrameMarginRange.Clamp(settings.margin);
  settings.realisticFrame = kRealisticFrameRange.Clamp(settings.realisticFrame);
  settings.colouredFrame = kColouredFrameRange.Clamp(settings.colouredFrame);
  settings.unusedFrameNumber = kUnusedFrameNumberRange.Clamp(settings.unusedFrameNumber);
  for (int* offset : {&settings.redOffset, &settings.greenOffset, &settings.blueOffset}) {
    *offset = kFrameColourOffsetRange.Clamp(*offset);
  }
  settings.panelSpacing = kPanelSpacingRange.Clamp(settings.panelSpacing);
  settings.frameFillColor &= 0xFFFFFF;
  settings.frameLineColor &= 0xFFFFFF;
  return settings;
}

std::string FrameStyleName(int entry) {
  if (!kFrameEntryRange.Contains(entry)) return {};
  return std::string(Text(kFrameStyleLines[entry]));
}

int FrameMargin(bool addFrame, const FrameSettings& settings) {
  if (!addFrame || settings.entry == static_cast<int>(FrameStyle::HorizontalTriptych)) return 0;
  return settings.margin;
}

Bitmap24 MarginCanvas(const Bitmap24& result, int sourceWidth, int sourceHeight, int margin, Colour fill) {
  const int half = margin / 2;
  Bitmap24 canvas(sourceWidth + margin, sourceHeight + margin, fill);
  const int left = result.Width() / 2 - sourceWidth / 2;
  const int top = result.Height() / 2 - sourceHeight / 2;
  CopyRect(canvas, half, half, result, Rect{left, top, left + sourceWidth, top + sourceHeight});
  return canvas;
}

void DrawEdgeOutlines(Bitmap24& canvas, int margin, Colour fill) {
  const int half = margin / 2;
  const int width = canvas.Width();
  const int height = canvas.Height();
  // Rectangles exclude their right and bottom edges: the outlines end at width − a − 1 and width − a − 2.
  FrameRect(canvas, Rect{half, half, width - half, height - half}, fill);
  FrameRect(canvas, Rect{half + 1, half + 1, width - half - 1, height - half - 1}, fill);
}

void DrawFrameLine(Bitmap24& canvas, int margin, Colour line) {
  // Two or three pixels outside the picture; a margin below 5 puts it outside the canvas.
  const int inset = (margin - 5) / 2;
  FrameRect(canvas, Rect{inset, inset, canvas.Width() - inset, canvas.Height() - inset}, line);
}

void InnerShadow(Bitmap24& picture) {
  ShadeTopLeftEdges(picture, 0, 0, picture.Width(), picture.Height());
  // The diagonal seam of the two shadings is softened by a 3 × 3 mean over the corner block.
  const int cornerWidth = std::min(kShadowDepth, picture.Width());
  const int cornerHeight = std::min(kShadowDepth, picture.Height());
  if (cornerWidth <= 0 || cornerHeight <= 0) return;
  Bitmap24 corner(cornerWidth, cornerHeight);
  CopyRect(corner, 0, 0, picture, Rect{0, 0, cornerWidth, cornerHeight});
  BoxBlur3(corner);
  DrawPicture(picture, 0, 0, corner);
}

void HorizontalTriptych(Bitmap24& picture, int margin, int panelSpacing, Colour fill) {
  if (picture.Empty()) return;
  const int width = picture.Width();
  const int height = picture.Height();
  const int third = width / 3;
  const int half = margin / 2;
  Bitmap24 triptych(std::max(0, width + 2 * panelSpacing + margin - 1), height + margin, fill);
  for (int k = 0; k < 3; ++k) {
    const int panelLeft = half + k * (panelSpacing + third);
    // The picture's last row is left out of every panel.
    CopyRect(triptych, panelLeft, half, picture, Rect{k * third, 0, (k + 1) * third, height - 1});
    ShadeTopLeftEdges(triptych, panelLeft, half, third, height);
  }
  picture = std::move(triptych);
}

std::array<Rect, 4> PaintedStripAreas(int width, int height, int margin) {
  std::array<Rect, 4> areas;
  const std::array<BorderStrip, 4> strips = BorderStrips(width, height, StripThickness(margin));
  for (std::size_t i = 0; i < strips.size(); ++i) areas[i] = PaintedPart(strips[i], width, height, margin);
  return areas;
}

void PaintedBorder(Bitmap24& picture, int margin, Colour fill, const MeanColour& sourceMean, RunContext& context) {
  const FramePaintingFlags flags(context);
  const int width = picture.Width();
  const int height = picture.Height();
  // Each strip is cut from the picture after the previous ones were blended in, so the corners
  // are painted twice.
  for (const BorderStrip& strip : BorderStrips(width, height, StripThickness(margin))) {
    if (context.AbortRequested) return;
    PaintStrip(picture, strip.area, PaintedPart(strip, width, height, margin), strip.acrossRows, strip.outerAtStart,
               strip.strokes, fill, sourceMean, context);
  }
}

void PaintedBorderCorner(Bitmap24& corner, int margin, Colour fill, const MeanColour& sourceMean, RunContext& context) {
  const FramePaintingFlags flags(context);
  const int width = corner.Width();
  const int height = corner.Height();
  const int half = margin / 2;
  const Rect whole{0, 0, width, height};
  const std::array<BorderStrip, 4> strips = BorderStrips(width, height, StripThickness(margin));
  for (const BorderStrip* strip : {&strips[0], &strips[2]}) {
    if (context.AbortRequested) return;
    // The picture's block ends at the corner's far edges, as if the rest of the margin lay beyond.
    const Rect painted = Intersection(whole, PaintedPart(*strip, width + margin - half, height + margin - half, margin));
    PaintStrip(corner, strip->area, painted, strip->acrossRows, strip->outerAtStart, strip->strokes, fill, sourceMean,
               context);
  }
}

namespace {

// The decoration, reading of the source only its size and, for the painted border, the mean
// colour that `meanOf()` gives.
template <typename MeanOf>
FrameOutcome Decorate(Bitmap24& result, int sourceWidth, int sourceHeight, MeanOf meanOf,
                      const FrameSettings& settings, RunContext& context) {
  const FrameSettings frame = ClampFrameSettings(settings);
  FrameOutcome outcome;
  switch (static_cast<FrameStyle>(frame.entry)) {
    case FrameStyle::Simple:
    case FrameStyle::Lined:
      break;  // finished by the margin step
    case FrameStyle::HorizontalTriptych:
      HorizontalTriptych(result, frame.margin, frame.panelSpacing, frame.frameFillColor);
      break;
    case FrameStyle::Brushstrokes:
      PaintedBorder(result, FrameMargin(true, frame), frame.frameFillColor, meanOf(), context);
      break;
    case FrameStyle::Realistic:
      AddFrame(result, frame.realisticFrame);
      break;
    case FrameStyle::Coloured:
      AddColorFrame(result, frame.colouredFrame, frame.redOffset, frame.greenOffset, frame.blueOffset);
      break;
    case FrameStyle::Custom:
      outcome.status = AddCustomFrame(result, sourceWidth, sourceHeight, frame.useDefaultFrame,
                                      frame.customFramePath, frame.autofit, outcome.framedPictureOffset);
      break;
  }
  return outcome;
}

}  // namespace

FrameOutcome DecorateFrame(Bitmap24& result, const Bitmap24& source, const FrameSettings& settings,
                           RunContext& context) {
  return Decorate(result, source.Width(), source.Height(), [&source] { return ComputeMeanColour(source); }, settings,
                  context);
}

void LayFrameMargin(Bitmap24& result, int sourceWidth, int sourceHeight, bool addFrame, const FrameSettings& settings) {
  const FrameSettings frame = ClampFrameSettings(settings);
  const auto style = static_cast<FrameStyle>(frame.entry);
  const bool pictureFrame = addFrame && (style == FrameStyle::Realistic || style == FrameStyle::Coloured);
  const int margin = FrameMargin(addFrame, frame);

  // The picture frames shadow the picture's own edge here and the margin's outer edge below.
  if (pictureFrame) InnerShadow(result);
  const bool unchanged = margin == 0 && result.Width() == sourceWidth && result.Height() == sourceHeight;
  if (!unchanged) {
    Bitmap24 canvas = MarginCanvas(result, sourceWidth, sourceHeight, margin, frame.frameFillColor);
    if (addFrame && margin > 0) {
      DrawEdgeOutlines(canvas, margin, frame.frameFillColor);
      if (style == FrameStyle::Lined) DrawFrameLine(canvas, margin, frame.frameLineColor);
    }
    result = std::move(canvas);
  }
  if (pictureFrame) InnerShadow(result);
}

FrameOutcome ApplyFrameChain(Bitmap24& result, const Bitmap24& source, bool addFrame, const FrameSettings& settings,
                             RunContext& context) {
  LayFrameMargin(result, source.Width(), source.Height(), addFrame, settings);
  if (!addFrame) return {};
  return DecorateFrame(result, source, settings, context);
}

bool FrameReadsSourceMean(bool addFrame, const FrameSettings& settings) {
  return addFrame && static_cast<FrameStyle>(ClampFrameSettings(settings).entry) == FrameStyle::Brushstrokes;
}

FrameOutcome ApplyFrameChain(Bitmap24& result, const FrameSourceFacts& source, bool addFrame,
                             const FrameSettings& settings, RunContext& context) {
  LayFrameMargin(result, source.width, source.height, addFrame, settings);
  if (!addFrame) return {};
  return Decorate(result, source.width, source.height, [&source] { return source.mean; }, settings, context);
}

}  // namespace atelion
