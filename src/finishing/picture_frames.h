// Putting the result picture into a picture of a frame: "Realistic frame " and "Colored frame"
// fit it into the light opening of an opaque frame picture, "Custom frame" fits it under the
// transparent opening of a frame with alpha (a built-in one or the user's own PNG file).
#pragma once

#include <filesystem>

#include "core/bitmap24.h"
#include "core/canvas.h"
#include "core/status.h"
#include "finishing/frame_pictures.h"

namespace atelion {

/// The light/dark rule of the opening search: a pixel is light when its colour as the integer
/// 0x00BBGGRR is at least 0xD2F000 (a blue byte above 210, or 210 with a green byte from 240).
constexpr bool IsLightPixel(Colour colour) { return colour >= 0xD2F000u; }

/// What the opening search of an opaque frame picture found: the frame's width on each side,
/// in frame-picture pixels. Searching from the quarter points of the middle row and column
/// outwards while the pixels stay light, `left` and `top` are the first light column and row;
/// `right` and `bottom` are the distances from the last light column and row to the far edge,
/// less two, so the picture reaches two pixels into the frame on those sides.
struct FrameOpening {
  int left = 0;
  int right = 0;
  int top = 0;
  int bottom = 0;
};

/// Searches the light opening of an opaque frame picture.
FrameOpening FindFrameOpening(const Bitmap24& frame);

/// Colour offsets of "Colored frame", each −255..255, added to the frame picture's channels.
struct FrameTint {
  int red = 0;
  int green = 0;
  int blue = 0;
};

/// Replaces `picture` by `frame` scaled so that its opening holds the picture unscaled, with
/// the picture drawn into that opening. A landscape frame is turned a quarter clockwise first
/// when the picture is portrait. The scale is fixed-point in units of 1/20000; the canvas is one
/// row lower than the scaled frame. With `tint`, the frame (not the picture) is tinted first.
/// A picture so small that the scaled frame would have no rows or columns is left unchanged.
void PutIntoFramePicture(Bitmap24& picture, const Bitmap24& frame, const FrameTint* tint = nullptr);

/// "Realistic frame ": frame picture `number` (1..12; other values give the first one).
void AddFrame(Bitmap24& picture, int number);

/// "Colored frame": frame picture `number` (1..5; other values give the first one) tinted by
/// the red, green and blue offsets.
void AddColorFrame(Bitmap24& picture, int number, int redOffset, int greenOffset, int blueOffset);

/// The transparent opening of a custom frame: columns xl..xr and rows yt..yb.
struct CustomFrameOpening {
  int xl = 0;
  int xr = 0;
  int yt = 0;
  int yb = 0;
  bool operator==(const CustomFrameOpening&) const = default;
};

/// With `autoFit`, searches outwards from ten pixels off the middle lines for the first pixel
/// whose alpha is above 253; the opening reaches one pixel past it on the left and at the top,
/// and one pixel into it on the right and at the bottom. Without `autoFit`, or when the opening
/// found is narrower or lower than 50 pixels, the whole frame is the opening (0..width, 0..height).
CustomFrameOpening FindCustomFrameOpening(const Bitmap32& frame, bool autoFit);

/// The built-in custom frame for a source picture of this shape: square when the aspect
/// width / height lies strictly between 0.9 and 1.1, portrait up to 0.9, landscape above.
TransparentFrameShape DefaultFrameShapeFor(int sourceWidth, int sourceHeight);

/// "Custom frame": scales `frame` (nearest pixel, each axis on its own) so that its opening
/// holds `picture` unscaled, puts the picture on a white canvas of the scaled frame's size at
/// the opening's scaled corner and lays the frame over it by its alpha. Returns the picture's
/// position inside the framed result (the framed-picture offset the manual brush reads).
/// An empty picture or frame leaves the picture unchanged and returns (0, 0).
Point AddCustomFrame(Bitmap24& picture, const Bitmap32& frame, bool autoFit);

/// Reads a custom frame picture: a PNG file with alpha, any colour type and depth. Pictures of
/// up to 32768 rows and columns are accepted. On failure `frame` is left as it is and the
/// status names the file and the reason.
Status LoadCustomFramePicture(const std::filesystem::path& path, Bitmap32& frame);

/// "Custom frame" with the settings of the frame window: with `useDefaultFrame` the built-in
/// frame that fits the source picture's shape, otherwise the user's PNG file (read once and kept
/// while the file is unchanged). When that file cannot be read the picture is left as it is —
/// the run goes on without the frame — and the status says why. `framedPictureOffset` receives
/// the picture's position inside the framed result ((0, 0) when nothing was framed).
Status AddCustomFrame(Bitmap24& picture, int sourceWidth, int sourceHeight, bool useDefaultFrame,
                      const std::filesystem::path& customFramePath, bool autoFit, Point& framedPictureOffset);

/// The custom-frame preview: the frame scaled for the source plus its margin, its opening
/// filled with `fillColour`, the source drawn half a margin inside the opening's corner, the
/// frame laid over it, and the whole scaled smoothly to fit the box, centred, over a copy of
/// `background` (the 200 × 200 ground of the preview box).
Bitmap24 PreviewCustomFrame(const Bitmap24& source, int margin, Colour fillColour, const Bitmap32& frame, bool autoFit,
                            const Bitmap24& background);

}  // namespace atelion
