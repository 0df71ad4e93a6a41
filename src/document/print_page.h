// Where the drawing lands on a printed page: the page thumbnail of the print window, the scale
// that fills the page, and the rectangle the picture is printed into. Pure arithmetic on the sizes
// the printing system reports, so that it can be checked without a printer.
#pragma once

#include "document/image_view.h"

namespace atelion {

/// What the printer reports about its page, and the screen's resolution.
struct PrintedPage {
  int width = 0;    ///< page width in device dots
  int height = 0;   ///< page height in device dots
  double dpiX = 0;  ///< device dots per inch, across
  double dpiY = 0;  ///< and down
  double screenPpi = 96;

  /// Device dots per screen pixel. In floating point, so that a 72-dpi device (a PDF) prints at
  /// three quarters of a dot per pixel rather than at none.
  double DotsPerPixelX() const { return screenPpi > 0 ? dpiX / screenPpi : 0; }
  double DotsPerPixelY() const { return screenPpi > 0 ? dpiY / screenPpi : 0; }
};

/// How the picture is placed: its scale in percent of its size on the screen, and its shift from
/// the page's centre in thumbnail pixels.
struct PagePlacement {
  int scale = 100;
  int offsetX = 0;
  int offsetY = 0;
};

inline constexpr int kMinimumPrintScale = 5;
inline constexpr int kMaximumPrintScale = 1000;
inline constexpr int kThumbnailLongSide = 130;

/// The page in miniature: 130 pixels on its long side, with the page's proportions.
PictureSize PageThumbnailSize(const PrintedPage& page);

/// "Full page": the scale at which the picture's long side fills the page, less 5 points
/// (kept within 5..1000).
int FullPageScale(const PrintedPage& page, PictureSize picture);

/// Where the thumbnail shows the picture (left, top, right, bottom in thumbnail pixels). The
/// thumbnail leaves out the 6 % margin the printed page keeps.
struct PlacedRect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
};
PlacedRect ThumbnailPicture(const PrintedPage& page, PictureSize picture, const PagePlacement& placement);

/// Where the picture is printed, in device dots: its size at the scale, 94 % of it so a margin
/// stays, centred on the page and shifted by the offsets scaled from the thumbnail to the page.
PlacedRect PrintedPicture(const PrintedPage& page, PictureSize picture, const PagePlacement& placement);

}  // namespace atelion
