// Proposed save names and the extension rules of the save dialog's formats.
#include "document/save_names.h"

#include <algorithm>
#include <cctype>

namespace atelion {

namespace {

constexpr std::string_view kSavedExtension = ".jpg";

bool HasOwnName(std::string_view sourceDisplayName) {
  return !sourceDisplayName.empty() && sourceDisplayName != kUnnamedImageName;
}

// Where the extension starts in a name (at its last dot), or npos when it has none. A dot that
// begins the file name, or that sits in a folder name, does not start an extension.
std::size_t ExtensionStart(std::string_view name) {
  const std::size_t separator = name.find_last_of("/\\");
  const std::size_t nameStart = separator == std::string_view::npos ? 0 : separator + 1;
  const std::size_t dot = name.rfind('.');
  if (dot == std::string_view::npos || dot <= nameStart) return std::string_view::npos;
  return dot;
}

bool EndsWithIgnoringCase(std::string_view name, std::string_view lowerSuffix) {
  if (name.size() < lowerSuffix.size()) return false;
  return std::equal(lowerSuffix.begin(), lowerSuffix.end(), name.end() - lowerSuffix.size(),
                    [](char wanted, char c) { return wanted == std::tolower(static_cast<unsigned char>(c)); });
}

// The style name followed by each slider position, each preceded by "_".
std::string ParameterText(std::string_view styleName, const std::array<int, 5>& sliders) {
  std::string text(styleName);
  for (int position : sliders) text.append("_").append(std::to_string(position));
  return text;
}

}  // namespace

std::string WithoutExtension(std::string_view fileName) {
  return std::string(fileName.substr(0, ExtensionStart(fileName)));
}

std::string ProposedSaveName(std::string_view sourceDisplayName, std::string_view styleName,
                             const std::array<int, 5>& sliders, bool saveParametersInFilename) {
  const bool named = HasOwnName(sourceDisplayName);
  std::string name;
  if (saveParametersInFilename) {
    if (named) name.append("Atelion_").append(WithoutExtension(sourceDisplayName)).append("_");
    else name.append(kUnnamedImageName).append("_");
    name.append(ParameterText(styleName, sliders));
  } else {
    if (named) name.append(WithoutExtension(sourceDisplayName)).append("_Atelion");
    else name.append(kUnnamedImageName);
  }
  return name.append(kSavedExtension);
}

std::string ProgressSaveName(std::string_view sourceDisplayName, std::string_view progressText) {
  std::string name;
  if (HasOwnName(sourceDisplayName)) {
    name.append("Atelion ").append(progressText).append(" ").append(WithoutExtension(sourceDisplayName));
  } else {
    name.append(kUnnamedImageName).append(" ").append(progressText);
  }
  return name.append(kSavedExtension);
}

std::string BatchOutputName(std::string_view inputName) {
  std::string name(inputName);
  const std::size_t extension = ExtensionStart(inputName);
  name.insert(extension == std::string_view::npos ? name.size() : extension, "_Atelion");
  return name;
}

std::string EnsureSaveExtension(std::string_view name, ImageFormat format) {
  std::string result(name);
  if (format == ImageFormat::Jpeg && !EndsWithIgnoringCase(name, ".jpg")) result += ".jpg";
  if (format == ImageFormat::Png && !EndsWithIgnoringCase(name, ".png")) result += ".png";
  return result;
}

}  // namespace atelion
