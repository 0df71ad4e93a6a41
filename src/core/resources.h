// Where the program finds its pictures: those generated at build time and those shipped in resources/.
#pragma once

#include <filesystem>

namespace atelion {

/// Finds a resource file by its path relative to the resources folder. An installed program
/// ("bin/" beside "share/atelion/") looks only in its installed share folder; a program in the
/// build tree looks first in the generated resources next to it, then in the shipped ones.
/// Returns an empty path when it exists nowhere.
std::filesystem::path FindResource(const std::filesystem::path& relative);

/// The sample photograph the desktop program starts with, and the drawing made of it at build
/// time.
inline constexpr const char* kSamplePhotoPath = "sample/lakeside.png";
inline constexpr const char* kStartDrawingPath = "sample/lakeside_drawing.png";

/// The application icon of `size` × `size` pixels (48, 128 or 256), drawn at build time.
std::filesystem::path ApplicationIconPath(int size);

}  // namespace atelion
