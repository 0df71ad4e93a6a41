// The three framing styles that put the result into a picture of a frame. The opaque frames
// are scaled with the fixed-point resampler so that their light opening just holds the picture;
// the transparent ones are scaled by nearest pixel and laid over the picture by their alpha.
#include "finishing/picture_frames.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <mutex>
#include <system_error>
#include <vector>

#include "core/geometry.h"
#include "core/rounding.h"
#include "imageio/image_files.h"
#include "imageio/resource_pictures.h"

namespace atelion {

namespace {

// The opaque frames scale in units of 1/20000 of a pixel, in 32-bit signed arithmetic; the
// products below are taken in 64 bits, which gives the same numbers wherever 32 bits suffice.
constexpr std::int64_t kScaleUnit = 20000;

void TintFrame(Bitmap24& frame, const FrameTint& tint) {
  // Channels are stored blue, green, red.
  const int offsets[3] = {tint.blue, tint.green, tint.red};
  for (int y = 0; y < frame.Height(); ++y) {
    std::uint8_t* row = frame.Row(y);
    for (int x = 0; x < frame.Width(); ++x) {
      for (int c = 0; c < 3; ++c) row[3 * x + c] = static_cast<std::uint8_t>(std::clamp(row[3 * x + c] + offsets[c], 0, 255));
    }
  }
}

// Lays `frame` over `canvas` scaled by nearest pixel to the canvas's size: canvas pixel (x, y)
// takes frame pixel (x · FW div width, y · FH div height), blended by its alpha with the
// rounding of DrawAlphaOver. The scaled frame is never held as a picture of its own.
void LayScaledFrameOver(Bitmap24& canvas, const Bitmap32& frame) {
  const int width = canvas.Width();
  const int height = canvas.Height();
  std::vector<int> sourceColumn(static_cast<std::size_t>(width));
  for (int x = 0; x < width; ++x) {
    sourceColumn[static_cast<std::size_t>(x)] =
        static_cast<int>(static_cast<std::int64_t>(x) * frame.Width() / width);
  }
  for (int y = 0; y < height; ++y) {
    const std::uint8_t* source = frame.Row(static_cast<int>(static_cast<std::int64_t>(y) * frame.Height() / height));
    std::uint8_t* target = canvas.Row(y);
    for (int x = 0; x < width; ++x) {
      const std::uint8_t* pixel = source + 4 * sourceColumn[static_cast<std::size_t>(x)];
      const int alpha = pixel[3];
      if (alpha == 0) continue;
      for (int c = 0; c < 3; ++c) {
        target[3 * x + c] = static_cast<std::uint8_t>((pixel[c] * alpha + target[3 * x + c] * (255 - alpha) + 127) / 255);
      }
    }
  }
}

// Size of the scaled custom frame and the scale factors that give it.
struct CustomFrameScale {
  double fx = 0;
  double fy = 0;
  int width = 0;
  int height = 0;
};

CustomFrameScale ScaleCustomFrame(const Bitmap32& frame, const CustomFrameOpening& opening, int pictureWidth,
                                  int pictureHeight) {
  CustomFrameScale scale;
  scale.fx = static_cast<double>(pictureWidth) / (opening.xr - opening.xl);
  scale.fy = static_cast<double>(pictureHeight) / (opening.yb - opening.yt);
  scale.width = RoundHalfEvenToInt(frame.Width() * scale.fx);
  scale.height = RoundHalfEvenToInt(frame.Height() * scale.fy);
  return scale;
}

}  // namespace

FrameOpening FindFrameOpening(const Bitmap24& frame) {
  const int width = frame.Width();
  const int height = frame.Height();
  const int cx = width / 2;
  const int cy = height / 2;
  // Pixels outside the picture read as black, so every search ends inside it.
  const auto light = [&frame](int x, int y) { return IsLightPixel(frame.Pixel(x, y)); };
  FrameOpening opening;
  for (int x = width / 4; light(x, cy) && x > 0; --x) opening.left = x;
  for (int x = width - width / 4; light(x, cy) && x < width - 1; ++x) opening.right = width - x - 3;
  for (int y = height / 4; light(cx, y) && y > 0; --y) opening.top = y;
  for (int y = height - height / 4; light(cx, y) && y < height - 1; ++y) opening.bottom = height - y - 3;
  return opening;
}

void PutIntoFramePicture(Bitmap24& picture, const Bitmap24& frame, const FrameTint* tint) {
  if (picture.Empty() || frame.Empty()) return;
  Bitmap24 G = frame;
  if (picture.Width() < picture.Height() && G.Width() > G.Height()) RotateQuarter(G, 90);
  const int FW = G.Width();
  const int FH = G.Height();
  const FrameOpening opening = FindFrameOpening(G);
  // The searches stop at the quarter points at the latest, so the opening is at least half the frame.
  const std::int64_t openingWidth = FW - (opening.left + opening.right);
  const std::int64_t openingHeight = FH - (opening.top + opening.bottom);
  const std::int64_t sx = picture.Width() * kScaleUnit / openingWidth;
  const std::int64_t sy = picture.Height() * kScaleUnit / openingHeight;
  const std::int64_t canvasWidth = FW * sx / kScaleUnit;
  const std::int64_t canvasHeight = FH * sy / kScaleUnit - 1;  // one row less than the scaled frame
  if (canvasWidth < 1 || canvasHeight < 1) return;
  if (tint != nullptr) TintFrame(G, *tint);
  Bitmap24 canvas(static_cast<int>(canvasWidth), static_cast<int>(canvasHeight));
  Resample(G, canvas);
  DrawPicture(canvas, static_cast<int>(opening.left * sx / kScaleUnit), static_cast<int>(opening.top * sy / kScaleUnit),
              picture);
  picture = std::move(canvas);
}

void AddFrame(Bitmap24& picture, int number) { PutIntoFramePicture(picture, FramePicture(RealisticFrameImage(number))); }

void AddColorFrame(Bitmap24& picture, int number, int redOffset, int greenOffset, int blueOffset) {
  const FrameTint tint{redOffset, greenOffset, blueOffset};
  PutIntoFramePicture(picture, FramePicture(ColoredFrameImage(number)), &tint);
}

CustomFrameOpening FindCustomFrameOpening(const Bitmap32& frame, bool autoFit) {
  const int FW = frame.Width();
  const int FH = frame.Height();
  const CustomFrameOpening whole{0, FW, 0, FH};
  if (!autoFit) return whole;
  const int cx = FW / 2;
  const int cy = FH / 2;
  const auto opaque = [&frame](int x, int y) { return frame.Row(y)[4 * x + 3] > 253; };
  // A frame too small for a search starting ten pixels off the middle keeps the whole picture.
  CustomFrameOpening opening = whole;
  for (int x = FW / 2 - 10; x >= 1; --x) {
    opening.xl = x - 1;
    if (opaque(x, cy)) break;
  }
  for (int x = FW / 2 + 10; x <= FW - 2; ++x) {
    opening.xr = x + 1;
    if (opaque(x, cy)) break;
  }
  for (int y = FH / 2 - 10; y >= 1; --y) {
    opening.yt = y - 1;
    if (opaque(cx, y)) break;
  }
  for (int y = FH / 2 + 10; y <= FH - 2; ++y) {
    opening.yb = y + 1;
    if (opaque(cx, y)) break;
  }
  if (opening.xr - opening.xl < 50 || opening.yb - opening.yt < 50) return whole;
  return opening;
}

TransparentFrameShape DefaultFrameShapeFor(int sourceWidth, int sourceHeight) {
  const double aspect = static_cast<double>(sourceWidth) / sourceHeight;
  if (aspect > 0.9 && aspect < 1.1) return TransparentFrameShape::Square;
  if (aspect <= 0.9) return TransparentFrameShape::Portrait;
  return TransparentFrameShape::Landscape;
}

Point AddCustomFrame(Bitmap24& picture, const Bitmap32& frame, bool autoFit) {
  if (picture.Empty() || frame.Empty()) return {};
  const CustomFrameOpening opening = FindCustomFrameOpening(frame, autoFit);
  const CustomFrameScale scale = ScaleCustomFrame(frame, opening, picture.Width(), picture.Height());
  if (scale.width < 1 || scale.height < 1) return {};
  Bitmap24 canvas(scale.width, scale.height, 0xFFFFFF);
  const Point offset{RoundHalfEvenToInt(opening.xl * scale.fx), RoundHalfEvenToInt(opening.yt * scale.fy)};
  DrawPicture(canvas, offset.x, offset.y, picture);
  LayScaledFrameOver(canvas, frame);
  picture = std::move(canvas);
  return offset;
}

Status LoadCustomFramePicture(const std::filesystem::path& path, Bitmap32& frame) {
  return ReadTransparentPng(path, "frame picture", frame);
}

Status AddCustomFrame(Bitmap24& picture, int sourceWidth, int sourceHeight, bool useDefaultFrame,
                      const std::filesystem::path& customFramePath, bool autoFit, Point& framedPictureOffset) {
  framedPictureOffset = {};
  if (useDefaultFrame) {
    framedPictureOffset =
        AddCustomFrame(picture, DefaultTransparentFrame(DefaultFrameShapeFor(sourceWidth, sourceHeight)), autoFit);
    return Status::Ok();
  }
  // The user's frame is kept between runs (a batch frames every file with it) until the file changes.
  static std::mutex mutex;
  static std::filesystem::path cachedPath;
  static std::filesystem::file_time_type cachedTime;
  static Bitmap32 cachedFrame;
  std::lock_guard<std::mutex> lock(mutex);
  std::error_code error;
  const auto time = std::filesystem::last_write_time(customFramePath, error);
  if (error || customFramePath != cachedPath || time != cachedTime || cachedFrame.Empty()) {
    Bitmap32 frame;
    const Status status = LoadCustomFramePicture(customFramePath, frame);
    if (!status) return status;
    cachedFrame = std::move(frame);
    cachedPath = customFramePath;
    cachedTime = time;
  }
  framedPictureOffset = AddCustomFrame(picture, cachedFrame, autoFit);
  return Status::Ok();
}

Bitmap24 PreviewCustomFrame(const Bitmap24& source, int margin, Colour fillColour, const Bitmap32& frame, bool autoFit,
                            const Bitmap24& background) {
  Bitmap24 preview = background;
  if (source.Empty() || frame.Empty() || preview.Empty()) return preview;
  const CustomFrameOpening opening = FindCustomFrameOpening(frame, autoFit);
  const CustomFrameScale scale = ScaleCustomFrame(frame, opening, source.Width() + margin, source.Height() + margin);
  if (scale.width < 1 || scale.height < 1) return preview;
  Bitmap24 canvas(scale.width, scale.height, 0xFFFFFF);
  FillRect(canvas,
           Rect{RoundHalfEvenToInt(opening.xl * scale.fx), RoundHalfEvenToInt(opening.yt * scale.fy),
                RoundHalfEvenToInt(opening.xr * scale.fx), RoundHalfEvenToInt(opening.yb * scale.fy)},
           fillColour);
  const int halfMargin = margin / 2;
  DrawPicture(canvas, RoundHalfEvenToInt(opening.xl * scale.fx + halfMargin), RoundHalfEvenToInt(opening.yt * scale.fy + halfMargin),
              source);
  LayScaledFrameOver(canvas, frame);
  // Fit the longer side to the box, keep the proportions, centre.
  const int box = std::min(preview.Width(), preview.Height());
  const bool wide = canvas.Width() >= canvas.Height();
  const int fittedWidth =
      wide ? box : std::max(1, static_cast<int>(static_cast<std::int64_t>(canvas.Width()) * box / canvas.Height()));
  const int fittedHeight =
      wide ? std::max(1, static_cast<int>(static_cast<std::int64_t>(canvas.Height()) * box / canvas.Width())) : box;
  const int left = (preview.Width() - fittedWidth) / 2;
  const int top = (preview.Height() - fittedHeight) / 2;
  // Smooth scaling rather than the canvas's AND-merging shrink, which turns a frame scaled down
  // five or ten times into coloured speckle.
  Bitmap24 fitted(fittedWidth, fittedHeight);
  ResampleSmooth(canvas, fitted);
  DrawPicture(preview, left, top, fitted);
  return preview;
}

}  // namespace atelion
