#include "document/silent_conversion.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <limits>
#include <optional>
#include <string_view>

#include "finishing/paper_tiles.h"

namespace atelion {

namespace {

// Silent style number → EffectId + 1, in the order the command line has always numbered them.
constexpr std::array<int, kSilentStyleCount> kSilentStyles = {
    0, 1, 2, 16, 23, 24, 3, 21, 4, 5, 6, 7, 8, 9, 15, 20, 27, 28, 30, 10, 11, 17, 18, 22, 25, 26, 29, 12, 19, 13, 14,
};

// A whole decimal number: an optional sign, then digits and nothing else. It is read into 64
// bits, and a number beyond them stays at the largest magnitude, so that any number a user types
// can be compared and clamped without overflowing an int.
std::optional<std::int64_t> WholeNumber(std::string_view text) {
  bool negative = false;
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  if (text.empty()) return std::nullopt;
  constexpr std::int64_t kLargest = std::numeric_limits<std::int64_t>::max() / 10 - 9;
  std::int64_t magnitude = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    magnitude = std::min(magnitude * 10 + (c - '0'), kLargest);
  }
  return negative ? -magnitude : magnitude;
}

// A value within minimum..maximum: the number the text stands for, limited to the range, or
// `fallback` when the text is not a whole number.
int NumberWithin(const std::string& text, int minimum, int maximum, int fallback) {
  const std::optional<std::int64_t> number = WholeNumber(text);
  if (!number) return fallback;
  return static_cast<int>(std::clamp<std::int64_t>(*number, minimum, maximum));
}

// The tiles of the texture sheet, numbered from 1 on the command line.
constexpr int kFirstTile = 1;
constexpr int kLastTile = kTextureTileCount;

// The texture strength the option gets when it is switched on without touching the knob.
constexpr int kFirstSwitchOnStrength = 25;

}  // namespace

int SilentStyleEffectId(int styleNumber) {
  if (styleNumber < 0 || styleNumber >= kSilentStyleCount) return -2;
  return kSilentStyles[styleNumber] - 1;
}

std::string SilentOutputName(const std::string& output) {
  const bool endsInJpg = output.size() >= 4 && output.compare(output.size() - 4, 4, ".jpg") == 0;
  return endsInJpg ? output : output + ".jpg";
}

std::optional<SilentRequest> ParseSilentArguments(std::span<const std::string> arguments, std::string& error) {
  return ParseSilentArguments(arguments, Settings{}, error);
}

std::optional<SilentRequest> ParseSilentArguments(std::span<const std::string> arguments, const Settings& stored,
                                                  std::string& error) {
  auto argument = [&](std::size_t i) -> const std::string* {
    return i < arguments.size() ? &arguments[i] : nullptr;
  };
  SilentRequest request;
  ConversionJob& job = request.job;
  if (!argument(0) || argument(0)->empty()) {
    error = "No source picture given.";
    return std::nullopt;
  }
  job.input = *argument(0);
  if (!argument(1) || argument(1)->empty()) {
    error = "No output picture given.";
    return std::nullopt;
  }
  job.output = SilentOutputName(*argument(1));
  job.outputFormat = ImageFormat::Jpeg;

  // Without a style number the source is written as it is; a number given must name a style.
  int effectId = -1;
  if (argument(2)) {
    const std::optional<std::int64_t> styleNumber = WholeNumber(*argument(2));
    const bool inTable = styleNumber && *styleNumber >= 0 && *styleNumber < kSilentStyleCount;
    if (!inTable) {
      error = "Style number \"" + *argument(2) + "\" is not one of the silent styles 0 to " +
              std::to_string(kSilentStyleCount - 1) + "; nothing was written.";
      return std::nullopt;
    }
    effectId = SilentStyleEffectId(static_cast<int>(*styleNumber));
  }
  job.effectId = effectId;
  if (effectId >= 0) {
    // Sliders that are not given keep the style's factory defaults; text that is not a number
    // counts as 0, as the command line has always read it.
    job.style.sliders = FactoryDefaults(effectId);
    for (int slot = 0; slot < kSlotCount; ++slot) {
      if (const std::string* value = argument(3 + slot)) {
        const SliderDescription& slider = DescribeSlider(effectId, slot);
        job.style.sliders[slot] = NumberWithin(*value, slider.minimum, slider.maximum,
                                               std::clamp(0, slider.minimum, slider.maximum));
      }
    }
  }
  auto yes = [&](std::size_t i) { return argument(i) && *argument(i) == "y"; };
  job.finishing.softenEdges = yes(8);
  job.finishing.addFrame = yes(9);
  job.finishing.frame = stored.frame;
  job.finishing.text = stored.text;
  job.finishing.texture.enabled = yes(10);
  job.finishing.texture.strength = kFirstSwitchOnStrength;
  job.finishing.texture.tileIndex = std::max(stored.textureTileIndex, 0);
  // A tile that is not a number is the first one, as it has always been.
  if (argument(11)) {
    job.finishing.texture.tileIndex = NumberWithin(*argument(11), kFirstTile, kLastTile, kFirstTile) - kFirstTile;
  }
  return request;
}

int RunSilentConversion(std::span<const std::string> arguments, std::FILE* error) {
  // Read at start as every start does; the silent mode ends without writing the file back.
  return RunSilentConversion(arguments, LoadIniFile(SettingsFilePath()), error);
}

int RunSilentConversion(std::span<const std::string> arguments, const Settings& stored, std::FILE* error) {
  std::string problem;
  std::optional<SilentRequest> request = ParseSilentArguments(arguments, stored, problem);
  if (!request) {
    std::fprintf(error, "atelion -silent: %s\n", problem.c_str());
    return kExitBadArguments;
  }
  for (const std::string& warning : request->warnings) std::fprintf(error, "atelion -silent: %s\n", warning.c_str());
  RunContext context;
  const ConversionResult result = ConvertFile(std::move(request->job), context);
  for (const std::string& notice : result.notices) std::fprintf(error, "atelion -silent: %s\n", notice.c_str());
  if (result.code != kExitOk) std::fprintf(error, "atelion -silent: %s\n", result.message.c_str());
  return result.code;
}

}  // namespace atelion
