#include "document/source_edits.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <string>
#include <utility>

#include "core/filters.h"
#include "core/geometry.h"
#include "styles/stylized/vivify.h"

namespace atelion {
namespace {

Status RecordBoth(Document& document) {
  document.RecordPictureSizes();
  if (Status saved = document.SaveToHistory(HistoryKind::Source); !saved) return saved;
  return document.SaveToHistory(HistoryKind::Result, document.ResultUnnamed ? "" : document.ResultStyleName);
}

}  // namespace

Status RotatePictures(Document& document, int angle) {
  RotateQuarter(document.SourcePicture, angle);
  RotateQuarter(document.ResultPicture, angle);
  return RecordBoth(document);
}

Status InvertPictures(Document& document) {
  InvertColours(document.SourcePicture);
  InvertColours(document.ResultPicture);
  return RecordBoth(document);
}

Status AutoContrastSource(Document& document) {
  Bitmap24& source = document.SourcePicture;
  if (source.Empty()) return Status::Ok();
  AutoContrast(source, 0.2f);
  LocalSharpen5(source, 20);
  // The boost reads a picture it does not write.
  const Bitmap24 sharpened = source;
  BoostVibrancy(sharpened, source);
  document.RecordPictureSizes();
  return document.SaveToHistory(HistoryKind::Source);
}

Point ViewToPicture(Point view, int zoom) {
  if (zoom <= 0) return view;
  return {view.x * 100 / zoom, view.y * 100 / zoom};
}

namespace {

// One axis of a crop drag: from the anchor to one past the release point, or, dragged backwards,
// from one before the release point to the anchor; kept within 0..size.
std::pair<int, int> CropSpan(int anchor, int release, int size) {
  const int first = release + 1 >= anchor ? anchor : release - 1;
  const int last = release + 1 >= anchor ? release + 1 : anchor;
  const int start = std::clamp(first, 0, size);
  return {start, std::clamp(last, start, size)};
}

}  // namespace

Rect CropSelection(Point anchor, Point release, PictureSize picture) {
  const auto [left, right] = CropSpan(anchor.x, release.x, picture.width);
  const auto [top, bottom] = CropSpan(anchor.y, release.y, picture.height);
  return {left, top, right, bottom};
}

void Crop(Bitmap24& picture, const Rect& selection) {
  const int left = std::clamp(selection.left, 0, picture.Width());
  const int top = std::clamp(selection.top, 0, picture.Height());
  const int right = std::clamp(selection.right, left, picture.Width());
  const int bottom = std::clamp(selection.bottom, top, picture.Height());
  Bitmap24 block(right - left, bottom - top);
  for (int y = top; y < bottom; ++y) {
    std::memcpy(block.Row(y - top), picture.Row(y) + 3 * static_cast<std::size_t>(left),
                3 * static_cast<std::size_t>(right - left));
  }
  picture = std::move(block);
}

Status CropSource(Document& document, const Rect& selection) {
  if (selection.right <= selection.left || selection.bottom <= selection.top) return Status::Ok();
  Crop(document.SourcePicture, selection);
  document.RecordPictureSizes();
  return document.SaveToHistory(HistoryKind::Source);
}

namespace {

// A white picture of the size a resize asks for, once the size is known to be within the limits
// and the memory has held it.
Status NewResizedPicture(int width, int height, Bitmap24& picture) {
  if (width > kMaxResizedSide || height > kMaxResizedSide ||
      static_cast<std::int64_t>(width) * height > kMaxResizedPixels) {
    return Status::Error(std::to_string(width) + " x " + std::to_string(height) +
                         " pixels is larger than a picture can be (at most " + std::to_string(kMaxResizedSide) +
                         " pixels a side and " + std::to_string(kMaxResizedPixels) + " pixels in all)");
  }
  try {
    picture = Bitmap24(width, height);
  } catch (const std::bad_alloc&) {
    return Status::Error("There is not enough memory for a picture of " + std::to_string(width) + " x " +
                         std::to_string(height) + " pixels");
  }
  return Status::Ok();
}

}  // namespace

Status ResamplePicture(Bitmap24& picture, int width, int height) {
  if (width < 2 || height < 2 || picture.Empty()) return Status::Ok();
  Bitmap24 resized;
  if (Status made = NewResizedPicture(width, height, resized); !made) return made;
  Resample(picture, resized);
  picture = std::move(resized);
  return Status::Ok();
}

Status ResizePictures(Bitmap24& source, Bitmap24& result, int width, int height) {
  if (width < 2 || height < 2) return Status::Ok();
  // Both new pictures exist before either old one is touched: when the memory runs out, nothing
  // has changed.
  Bitmap24 newSource;
  Bitmap24 newResult;
  if (Status made = NewResizedPicture(width, height, newSource); !made) return made;
  if (Status made = NewResizedPicture(width, height, newResult); !made) return made;
  Resample(source, newSource);
  Resample(result, newResult);
  source = std::move(newSource);
  result = std::move(newResult);
  return Status::Ok();
}

Status RecordResizedPictures(Document& document, Bitmap24 source, Bitmap24 result) {
  document.SourcePicture = std::move(source);
  document.ResultPicture = std::move(result);
  return RecordBoth(document);
}

Status resizesource(Document& document, int width, int height) {
  if (width < 2 || height < 2) return Status::Ok();
  if (Status resized = ResizePictures(document.SourcePicture, document.ResultPicture, width, height); !resized) {
    return resized;
  }
  return RecordBoth(document);
}

Status PasteSource(Document& document, Bitmap24 picture) {
  if (picture.Empty()) return Status::Ok();
  document.SourcePicture = std::move(picture);
  document.SourceDisplayName = kPastedImageName;
  document.ResultStyleName.clear();
  if (document.ResultPicture.Width() != document.SourcePicture.Width() ||
      document.ResultPicture.Height() != document.SourcePicture.Height()) {
    document.ResultPicture = document.SourcePicture;
    document.ResultUnnamed = true;
  }
  return RecordBoth(document);
}

}  // namespace atelion
