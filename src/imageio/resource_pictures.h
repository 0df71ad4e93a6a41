// Reading the pictures the program ships among its resources (drawn by our own code at build
// time) and PNG pictures with transparency (custom frames and brushes).
#pragma once

#include <filesystem>
#include <optional>
#include <string_view>

#include "core/bitmap24.h"
#include "core/status.h"

namespace atelion {

/// A shipped picture: read from `relativePath` among the resources when it is there, readable and
/// of the expected size; none otherwise, and the caller then draws it itself.
std::optional<Bitmap24> ReadResourcePicture(const std::filesystem::path& relativePath, int width, int height);

/// A shipped transparent picture kept as two files: the colours, and a grey matte whose red channel
/// is the alpha. None unless both are there, readable and of the expected size.
std::optional<Bitmap32> ReadTransparentResourcePicture(const std::filesystem::path& colourPath,
                                                       const std::filesystem::path& mattePath, int width, int height);

/// The grey matte that keeps a transparent picture's alpha as a shipped file: each pixel's alpha in
/// all three channels (what ReadTransparentResourcePicture reads back from the red one).
Bitmap24 TransparentMatte(const Bitmap32& picture);

/// Reads a PNG file with its alpha channel into `picture` (blue, green, red, alpha, colours not
/// premultiplied). The messages name the file as "the `what`" ("frame picture", say) and the reason.
/// Absurd sizes are refused from the header, before any pixel memory is taken.
Status ReadTransparentPng(const std::filesystem::path& path, std::string_view what, Bitmap32& picture);

}  // namespace atelion
