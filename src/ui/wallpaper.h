// The drawing as the desktop background. The picture is written as "Atelion.bmp" in the user's
// pictures folder (their documents folder when there is none), then handed to the desktop: the
// freedesktop portal where it answers, else GNOME's or KDE Plasma's own setting.
#pragma once

#include <QString>

#include "core/bitmap24.h"

namespace atelion {

/// Where the wallpaper picture is written; overwritten each time.
QString WallpaperFilePath();

/// Writes `picture` and asks the desktop to show it as its background. Returns an empty text when
/// the desktop took it, else what went wrong, for the user ("Setting the wallpaper is not supported
/// on this desktop" when no way was found).
QString SetDesktopWallpaper(const Bitmap24& picture);

}  // namespace atelion
