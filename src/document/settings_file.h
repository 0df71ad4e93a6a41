// The settings file "Atelion.ini": one value per line, identified only by its place after exact
// section headers, lines ending in CR LF. Read once at start-up, written when the main window
// closes (never by the silent conversion).
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "core/status.h"
#include "finishing/frames.h"
#include "finishing/text.h"

namespace atelion {

/// Left, top, width and height of the main window; a width of −1 means maximized.
struct WindowBounds {
  int left = 0;
  int top = 0;
  int width = 1024;
  int height = 800;

  bool Maximized() const { return width == -1; }
  bool operator==(const WindowBounds&) const = default;
};

/// Smallest size the main window can be given outside the silent mode.
inline constexpr int kMinWindowWidth = 770;
inline constexpr int kMinWindowHeight = 110;

/// Every value the settings file keeps, with the values the program starts with when the file
/// gives none.
struct Settings {
  int skinNumber = 3;  ///< window colour scheme 1..4
  WindowBounds window;
  std::string language = "void";  ///< a language identifier, "void" while none has been chosen
  std::string lastOpenFolder;
  std::string lastBrushFolder;
  FrameSettings frame;
  /// "Add a frame" at the time of writing. Written for reference only: reading never restores
  /// it, so a run adds a frame only when asked to.
  bool addFrame = false;
  TextSettings text;
  int textureTileIndex = -1;   ///< 0..9, −1 = not set (tile 0)
  int textureListIndex = -1;   ///< light, normal or strong texture (0..2), −1 = not set
  bool autoUpdateCheck = true;
  bool previewSetting = true;  ///< opening the all-styles list also opens the style samples
  bool saveParametersInFilename = false;
};

/// Number of lines of a complete settings file.
inline constexpr int kSettingsLineCount = 43;

/// The file's text: the 43 lines of the layout, each ending in CR LF. Line breaks inside a
/// stored text would shift every later value, so they are written as blanks.
std::string SettingsFileText(const Settings& settings);

/// Writes the settings file atomically, creating its folder when needed.
Status SaveIniFile(const std::filesystem::path& path, const Settings& settings);

/// Reads the settings file. `defaultBounds` are the window bounds to keep when the file gives
/// none. A missing file gives the defaults. Reading stops at the first header that differs from
/// its expected text or at the end of the file: the values read before stay, the rest keep their
/// defaults. A value that is not a number takes its default; numbers outside their range are
/// limited to it.
Settings LoadIniFile(const std::filesystem::path& path, const WindowBounds& defaultBounds = WindowBounds{});
/// The settings a file with this text holds, read by the rules of `LoadIniFile`.
Settings SettingsFromText(std::string_view text, const WindowBounds& defaultBounds = WindowBounds{});

/// Where the settings live: "$XDG_CONFIG_HOME/Atelion/Atelion.ini", or
/// "$HOME/.config/Atelion/Atelion.ini" when XDG_CONFIG_HOME is unset, empty or relative.
std::filesystem::path SettingsFilePath();
/// The same from given values of the two variables (nullptr: unset).
std::filesystem::path SettingsFilePath(const char* xdgConfigHome, const char* home);

}  // namespace atelion
