// The silent command-line conversion: "-silent SRC OUT STYLE P1..P5 SOFTEN FRAME TEXTURE TILE".
// It converts one picture without showing any window and never needs a display.
#pragma once

#include <cstdio>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "document/conversion.h"
#include "document/settings_file.h"

namespace atelion {

/// The silent style numbers 0..30 and the `EffectId` each stands for (−1: no style).
int SilentStyleEffectId(int styleNumber);
inline constexpr int kSilentStyleCount = 31;

/// The output name: ".jpg" is appended unless the name ends in exactly ".jpg".
std::string SilentOutputName(const std::string& output);

struct SilentRequest {
  ConversionJob job;
  std::vector<std::string> warnings;  ///< what the conversion will do differently from what was asked
};

/// Reads the arguments that follow "-silent" (source, output, style, five slider values, soften,
/// frame, texture, tile). Missing arguments keep their defaults. Fails for a missing source or
/// output, and for a style argument that is not a whole decimal number from 0 to 30 ("abc", "1.5"
/// and "" included). Slider values and the tile are read as whole numbers of any size and limited
/// to their ranges (the tile to 1..10); text that is not a number counts as 0 for a slider and as
/// tile 1, the values the command line has always used. The frame and text settings and the
/// texture tile come from `stored` (the settings file read at start-up); the tile argument, when
/// given, replaces the stored tile. The settings file does not keep "Add text", so no text is laid.
std::optional<SilentRequest> ParseSilentArguments(std::span<const std::string> arguments, const Settings& stored,
                                                  std::string& error);
/// The same with the settings a first start has.
std::optional<SilentRequest> ParseSilentArguments(std::span<const std::string> arguments, std::string& error);

/// Runs the whole silent conversion with the settings file at `SettingsFilePath()`, which it reads
/// and never writes, and prints any message on `error`. Returns the exit status.
int RunSilentConversion(std::span<const std::string> arguments, std::FILE* error);
/// The same with settings already read.
int RunSilentConversion(std::span<const std::string> arguments, const Settings& stored, std::FILE* error);

}  // namespace atelion
