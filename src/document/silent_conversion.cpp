#include "document/silent_conversion.h"

#include <algorithm>
#include <array>
#include <charconv>

namespace atelion {

namespace {

// Silent style number → EffectId + 1, in the order the command line has always numbered them.
constexpr std::array<int, kSilentStyleCount> kSilentStyles = {
    0, 1, 2, 16, 23, 24, 3, 21, 4, 5, 6, 7, 8, 9, 15, 20, 27, 28, 30, 10, 11, 17, 18, 22, 25, 26, 29, 12, 19, 13, 14,
};

// The number a text stands for, or `fallback` when it is not a whole decimal number.
int NumberOr(const std::string& text, int fallback) {
  int value = 0;
  const char* begin = text.data();
  const char* end = begin + text.size();
  if (begin != end && *begin == '+') ++begin;
  const auto [rest, error] = std::from_chars(begin, end, value);
  return (error == std::errc() && rest == end && begin != end) ? value : fallback;
}

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

  int effectId = -1;
  if (argument(2)) {
    const int styleNumber = NumberOr(*argument(2), 1);
    effectId = SilentStyleEffectId(styleNumber);
    if (effectId < -1) {
      error = "Style number " + *argument(2) + " is not one of the silent styles 0 to 30.";
      return std::nullopt;
    }
  }
  job.effectId = effectId;
  if (effectId >= 0) {
    // Sliders that are not given keep the style's factory defaults.
    job.style.sliders = FactoryDefaults(effectId);
    for (int slot = 0; slot < kSlotCount; ++slot) {
      if (const std::string* value = argument(3 + slot)) {
        job.style.sliders[slot] = ClampToSlider(effectId, slot, NumberOr(*value, 0));
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
  if (argument(11)) job.finishing.texture.tileIndex = NumberOr(*argument(11), 1) - 1;
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
