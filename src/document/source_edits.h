// The direct edits of the main window that go through no style: a quarter turn of both pictures,
// inverting both, automatic contrast and sharpening of the photograph, cropping it to a rectangle
// drawn with the mouse, and a picture pasted from the clipboard as the new photograph. Each edit
// records its pictures as history steps, so undo takes it back.
#pragma once

#include <cstdint>

#include "core/bitmap24.h"
#include "core/canvas.h"
#include "core/status.h"
#include "document/document.h"
#include "imageio/image_files.h"

namespace atelion {

/// Turns both pictures a quarter turn (angle 90 clockwise, any other angle counter-clockwise)
/// and records both. Turning left and then right gives back the same pixels.
Status RotatePictures(Document& document, int angle);

/// Inverts the colours of both pictures and records both.
Status InvertPictures(Document& document);

/// Automatic contrast (exponent 0.2), then local sharpening (strength 20) and a boost of the
/// colours' vibrancy, on the photograph alone; one history step.
Status AutoContrastSource(Document& document);

/// The rectangle a crop drag selects, in picture pixels (right and bottom excluded). `anchor` is
/// where the button went down and `release` where it came up, both in picture pixels. Dragged
/// rightwards the rectangle runs from the anchor to one past the release point; dragged leftwards
/// from one before the release point to the anchor; the same vertically. It is kept within the
/// picture, its last column and row included.
Rect CropSelection(Point anchor, Point release, PictureSize picture);

/// A view position at `zoom` percent in picture pixels: position × 100 div zoom.
Point ViewToPicture(Point view, int zoom);

/// Keeps the block `selection` of the photograph and records it; an empty selection changes nothing.
Status CropSource(Document& document, const Rect& selection);

/// Replaces `picture`'s pixels by its block `selection` (kept within the picture).
void Crop(Bitmap24& picture, const Rect& selection);

/// A picture is resized to at most this many pixels a side and in all: the sizes a picture file
/// may have, so a resized picture can still be saved and opened again.
inline constexpr int kMaxResizedSide = ImageLimits::kMaxSide;
inline constexpr std::int64_t kMaxResizedPixels = ImageLimits::kMaxPixels;

/// Resamples `picture` bilinearly to width × height. A width or height below 2 leaves it as it is
/// (success); a size beyond the limits above, or one the memory cannot hold, leaves it too and
/// says so. The resize of the document and the script's resize lines both go through here.
Status ResamplePicture(Bitmap24& picture, int width, int height);

/// `source` and `result` both resampled to width × height, all or nothing: a size beyond the limits
/// above, or one the memory cannot hold twice, leaves both as they are and says so. Sizes below 2
/// change nothing (success). Safe on any thread; the desktop window runs it on copies.
Status ResizePictures(Bitmap24& source, Bitmap24& result, int width, int height);

/// Pictures resized by ResizePictures become the document's photograph and drawing; their sizes are
/// recorded, then the photograph and the drawing are stored as two history steps.
Status RecordResizedPictures(Document& document, Bitmap24 source, Bitmap24 result);

/// Both pictures of the document resampled to width × height (the drawing stretched even when its
/// proportions differ from the photograph's) and recorded as above. Sizes below 2 change nothing
/// and record nothing; a size beyond the limits is refused with a message and changes nothing.
Status resizesource(Document& document, int width, int height);

/// The name a pasted picture is shown under.
inline constexpr const char* kPastedImageName = "Atelion image";

/// A picture from the clipboard becomes the photograph, named "Atelion image". When its size differs
/// from the drawing's, the drawing becomes a copy of it too. Both are recorded.
Status PasteSource(Document& document, Bitmap24 picture);

}  // namespace atelion
