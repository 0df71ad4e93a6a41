// The frame window's preview box. The margin styles show the top-left corner of the framed
// picture at full scale, which is where a frame's look is decided; the frame pictures show their
// inner corner; the triptych and the custom frame, whose look depends on the whole picture, are
// shown whole and shrunk.
#include "finishing/frame_preview.h"

#include <algorithm>
#include <array>
#include <cstdint>

#include "core/canvas.h"
#include "core/filters.h"
#include "core/geometry.h"
#include "finishing/frame_pictures.h"
#include "finishing/picture_frames.h"
#include "i18n/language_table.h"

namespace atelion {
namespace {

constexpr int kSide = kFramePreviewSide;
// The frame pictures are stretched to this square; the box shows its top-left corner.
constexpr int kFramePictureSquare = 700;
// The row and column along which the inner corner of a stretched frame picture is searched.
constexpr int kCornerSearchLine = 180;
// Squares of the checkerboard behind the custom frame.
constexpr int kCheckerSquare = 10;

// The list texts carry trailing blanks; the window shows them trimmed.
std::string Trimmed(std::string text) {
  while (!text.empty() && text.back() == ' ') text.pop_back();
  return text;
}

// The margin's top and left bands from (2, 2), the photograph at (a, a), and for the lined frame
// its line two pixels outside the photograph.
void DrawMarginCorner(Bitmap24& box, const Bitmap24& source, const FrameSettings& settings, bool line) {
  const int a = settings.margin / 2;
  FillRect(box, Rect{2, 2, kSide, a + 2}, settings.frameFillColor);
  FillRect(box, Rect{2, 2, a + 2, kSide}, settings.frameFillColor);
  DrawPicture(box, a, a, source);
  if (line) {
    FillRect(box, Rect{a - 2, a - 2, kSide, a - 1}, settings.frameLineColor);
    FillRect(box, Rect{a - 2, a - 2, a - 1, kSide}, settings.frameLineColor);
  }
}

void AddOffsets(Bitmap24& box, const FrameSettings& settings) {
  // Channels are stored blue, green, red.
  const std::array<int, 3> offsets = {settings.blueOffset, settings.greenOffset, settings.redOffset};
  for (int y = 0; y < box.Height(); ++y) {
    std::uint8_t* row = box.Row(y);
    for (int x = 0; x < box.Width(); ++x) {
      for (int c = 0; c < 3; ++c) row[3 * x + c] = static_cast<std::uint8_t>(std::clamp(row[3 * x + c] + offsets[c], 0, 255));
    }
  }
}

// The realistic or coloured frame picture stretched to 700 × 700, its inner corner found from
// inside the opening outwards, the margin and the photograph laid in that corner.
void DrawFramePictureCorner(Bitmap24& box, const Bitmap24& source, const FrameSettings& settings, bool coloured,
                            RunContext& context) {
  const FrameImage image =
      coloured ? ColoredFrameImage(settings.colouredFrame) : RealisticFrameImage(settings.realisticFrame);
  // Smooth shrinking: the canvas's merging shrink would turn the moulding into speckle.
  Bitmap24 stretched(kFramePictureSquare, kFramePictureSquare);
  ResampleSmooth(FramePicture(image), stretched);
  if (context.AbortRequested) return;
  CopyRect(box, 0, 0, stretched, Rect{0, 0, kSide, kSide});
  // The corner is searched before the tint: an offset that takes the blue away would make the
  // whole light opening count as dark, and the photograph would be left out.
  int column = 0;
  for (int x = kSide - 1; x >= 0; --x) {
    if (!IsLightPixel(box.Pixel(x, kCornerSearchLine))) {
      column = x;
      break;
    }
  }
  int row = 0;
  for (int y = kSide - 1; y >= 0; --y) {
    if (!IsLightPixel(box.Pixel(kCornerSearchLine, y))) {
      row = y;
      break;
    }
  }
  if (coloured) AddOffsets(box, settings);
  const int a = settings.margin / 2;
  FillRect(box, Rect{column, row, kSide, kSide}, settings.frameFillColor);
  DrawPicture(box, column + a, row + a, source);
}

// The whole triptych shrunk into a band centred in the box, proportioned by the photograph with
// its margin and spacing.
void DrawTriptych(Bitmap24& box, const Bitmap24& source, const FrameSettings& settings) {
  box.Fill(settings.frameFillColor > kTriptychGreyGroundAbove ? kFramePreviewGrey : 0xFFFFFF);
  const std::int64_t w = std::int64_t{source.Width()} + 2 * settings.margin + 2 * settings.panelSpacing;
  const std::int64_t h = std::int64_t{source.Height()} + 2 * settings.margin;
  int bandWidth = kSide;
  int bandHeight = kSide;
  if (w >= h) {
    bandHeight = 2 * (static_cast<int>(kSide * h / w) / 2);
  } else {
    bandWidth = 2 * (static_cast<int>(kSide * w / h) / 2);
  }
  if (bandWidth < 1 || bandHeight < 1) return;
  const Rect band{(kSide - bandWidth) / 2, (kSide - bandHeight) / 2, (kSide + bandWidth) / 2, (kSide + bandHeight) / 2};
  FillRect(box, band, settings.frameFillColor);
  Bitmap24 triptych = source;
  HorizontalTriptych(triptych, settings.margin, settings.panelSpacing, settings.frameFillColor);
  Bitmap24 shrunk(bandWidth, bandHeight);
  ResampleSmooth(triptych, shrunk);
  DrawPicture(box, band.left, band.top, shrunk);
}

}  // namespace

FrameStyleControls ControlsOfFrameStyle(int entry) {
  FrameStyleControls controls;
  switch (static_cast<FrameStyle>(entry)) {
    case FrameStyle::Lined: controls.lineColour = true; break;
    case FrameStyle::Realistic: controls.realisticNumber = true; break;
    case FrameStyle::Coloured:
      controls.colouredNumber = true;
      controls.colourOffsets = true;
      break;
    case FrameStyle::HorizontalTriptych: controls.panelSpacing = true; break;
    case FrameStyle::Custom: controls.customPicture = true; break;
    default: break;
  }
  return controls;
}

std::string FrameEntryText(int entry, const FrameSettings& settings) {
  std::string text = Trimmed(FrameStyleName(entry));
  if (entry == static_cast<int>(FrameStyle::Realistic)) text += " " + std::to_string(settings.realisticFrame);
  if (entry == static_cast<int>(FrameStyle::Coloured)) text += " " + std::to_string(settings.colouredFrame);
  return text;
}

Bitmap24 FramePreviewBackground() {
  Bitmap24 ground(kSide, kSide);
  for (int y = 0; y < kSide; ++y) {
    for (int x = 0; x < kSide; ++x) {
      const bool dark = ((x / kCheckerSquare) + (y / kCheckerSquare)) % 2 == 1;
      ground.SetPixel(x, y, dark ? 0x9A9A9A : 0xC8C8C8);
    }
  }
  return ground;
}

Bitmap24 RenderFramePreview(const Bitmap24& source, const FrameSettings& requested, const Bitmap32* customFrame,
                            RunContext& context) {
  const FrameSettings settings = ClampFrameSettings(requested);
  Bitmap24 box(kSide, kSide, kFramePreviewGrey);
  if (!source.Empty()) {
    switch (static_cast<FrameStyle>(settings.entry)) {
      case FrameStyle::Simple:
      case FrameStyle::Lined:
        DrawMarginCorner(box, source, settings, settings.entry == static_cast<int>(FrameStyle::Lined));
        break;
      case FrameStyle::Brushstrokes:
        box.Fill(0x000000);
        DrawMarginCorner(box, source, settings, false);
        if (settings.margin < kPaintedPreviewMarginLimit && !context.AbortRequested) {
          PaintedBorderCorner(box, settings.margin, settings.frameFillColor, ComputeMeanColour(source), context);
        }
        break;
      case FrameStyle::Realistic:
      case FrameStyle::Coloured:
        DrawFramePictureCorner(box, source, settings, settings.entry == static_cast<int>(FrameStyle::Coloured),
                               context);
        break;
      case FrameStyle::HorizontalTriptych:
        DrawTriptych(box, source, settings);
        break;
      case FrameStyle::Custom: {
        const Bitmap32& frame = customFrame != nullptr && !customFrame->Empty()
                                    ? *customFrame
                                    : DefaultTransparentFrame(DefaultFrameShapeFor(source.Width(), source.Height()));
        box = PreviewCustomFrame(source, settings.margin, settings.frameFillColor, frame, settings.autofit,
                                 FramePreviewBackground());
        break;
      }
    }
  }
  FrameRect(box, Rect{0, 0, kSide, kSide}, 0x000000);
  FrameRect(box, Rect{1, 1, kSide - 1, kSide - 1}, 0x000000);
  return box;
}

}  // namespace atelion
