// The file names Atelion proposes when saving a drawing, and the extension a chosen name gets for
// the format it is saved in.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "imageio/image_files.h"

namespace atelion {

/// Display name of a picture that did not come from a file opened with "Open a picture".
inline constexpr std::string_view kUnnamedImageName = "Atelion image";

/// The name a file name has without its extension: "photo.jpeg" gives "photo"; a name without
/// an extension (or whose only dot starts it, as in ".hidden") is kept whole. Folders are kept.
std::string WithoutExtension(std::string_view fileName);

/// The name proposed by "Save the drawing as…". With `saveParametersInFilename` it carries the
/// style name and the five slider positions ("Atelion_photo_Pencil sketch 1_20_100_80_160_25.jpg"),
/// otherwise it is the source's name with "_Atelion" ("photo_Atelion.jpg"). A source without a
/// name of its own (empty or "Atelion image") gives names starting "Atelion image". Always ends in ".jpg".
std::string ProposedSaveName(std::string_view sourceDisplayName, std::string_view styleName,
                             const std::array<int, 5>& sliders, bool saveParametersInFilename);

/// The name proposed when saving the picture of a running style: "Atelion 57% photo.jpg", or
/// "Atelion image 57%.jpg" for a source without a name of its own. Always ends in ".jpg".
std::string ProgressSaveName(std::string_view sourceDisplayName, std::string_view progressText);

/// The name a batch run gives its result: the input's name with "_Atelion" before the extension.
std::string BatchOutputName(std::string_view inputName);

/// A chosen name made to fit the format: JPEG adds ".jpg" unless the name already ends in ".jpg"
/// (any case; so "x.jpeg" becomes "x.jpeg.jpg"), PNG adds ".png" unless it ends in ".png",
/// BMP and other formats keep the name as typed.
std::string EnsureSaveExtension(std::string_view name, ImageFormat format);

}  // namespace atelion
