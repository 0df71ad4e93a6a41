// atelion-cli: the scriptable command line, calling the same pipeline as the desktop program.
//   atelion-cli styles
//   atelion-cli convert IN OUT --style NAME|ID [--p1..--p5 N] [--soften] [--texture TILE] [--texture-strength N]
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <csignal>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "app/terminal_progress.h"
#include "document/conversion.h"
#include "effects/catalogue.h"
#include "effects/parameter_files.h"
#include "effects/run_pipeline.h"

namespace atelion {
namespace {

constexpr const char* kUsage =
    "usage: atelion-cli styles\n"
    "       atelion-cli convert IN OUT --style NAME|ID [options]\n"
    "\n"
    "Turns a photograph into a drawing or painting.\n"
    "\n"
    "convert options:\n"
    "  --style NAME|ID        the style, by name (as `atelion-cli styles` lists it) or number\n"
    "  --p1 .. --p5 N         slider values of rows 1 to 5 (default: the style's defaults)\n"
    "  --params FILE.atp      slider values (and, without --style, the style) from a parameter file\n"
    "  --soften               soften the edges of the result\n"
    "  --texture TILE         lay paper texture TILE (1..10) over the result\n"
    "  --texture-strength N   texture strength in percent, 0..100 (default 25)\n"
    "\n"
    "The output format follows OUT's extension: .jpg/.jpeg (quality 95, the source's dpi), .png, .bmp.\n"
    "Exit status: 0 done, 2 bad arguments, 3 unreadable input, 4 failed write, 5 cancelled,\n"
    "6 style not available.\n";

RunContext* activeContext = nullptr;

extern "C" void StopOnInterrupt(int) {
  if (activeContext) activeContext->AbortRequested = true;
}

std::optional<int> ParseNumber(const std::string& text) {
  int value = 0;
  const char* end = text.data() + text.size();
  const auto [rest, error] = std::from_chars(text.data(), end, value);
  if (error != std::errc() || rest != end || text.empty()) return std::nullopt;
  return value;
}

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
  return text;
}

// A style by number or by its name in any letter case.
std::optional<int> FindStyle(const std::string& text) {
  if (const auto number = ParseNumber(text)) {
    if (IsEffectId(*number)) return number;
    return std::nullopt;
  }
  for (const EffectDescription& effect : Effects()) {
    if (Lower(EffectName(effect.effectId)) == Lower(text)) return effect.effectId;
  }
  return std::nullopt;
}

int Fail(ExitCode code, const std::string& message) {
  std::fprintf(stderr, "atelion-cli: %s\n", message.c_str());
  return code;
}

int ListStyles() {
  for (const EffectDescription& effect : Effects()) {
    std::printf("%2d  %s%s\n", effect.effectId, EffectName(effect.effectId).c_str(),
                StyleAvailable(effect.effectId) ? "" : "  (not available yet)");
    for (int slot = 0; slot < kSlotCount; ++slot) {
      const SliderDescription& slider = effect.sliders[slot];
      if (!slider.visible) continue;
      const std::string range = std::to_string(slider.minimum) + ".." + std::to_string(slider.maximum);
      std::printf("      --p%d  %-28s %-8s default %d\n", slot + 1, SliderLabel(effect.effectId, slot).c_str(),
                  range.c_str(), slider.factoryDefault);
    }
  }
  return kExitOk;
}

int Convert(const std::vector<std::string>& args) {
  std::vector<std::string> positional;
  std::optional<int> effectId;
  std::array<std::optional<int>, kSlotCount> sliders;
  std::optional<ParameterFile> parameters;
  ConversionJob job;
  job.finishing.texture.strength = 25;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    auto value = [&]() -> const std::string* { return i + 1 < args.size() ? &args[++i] : nullptr; };
    if (arg == "--style") {
      const std::string* name = value();
      if (!name) return Fail(kExitBadArguments, "--style needs a style name or number");
      effectId = FindStyle(*name);
      if (!effectId) return Fail(kExitBadArguments, "unknown style \"" + *name + "\" (see atelion-cli styles)");
    } else if (arg.size() == 4 && arg.starts_with("--p") && arg[3] >= '1' && arg[3] <= '5') {
      const std::string* text = value();
      const auto number = text ? ParseNumber(*text) : std::nullopt;
      if (!number) return Fail(kExitBadArguments, arg + " needs a whole number");
      sliders[arg[3] - '1'] = *number;
    } else if (arg == "--params") {
      const std::string* path = value();
      if (!path) return Fail(kExitBadArguments, "--params needs a parameter file");
      parameters = ParameterFile::FromTables(ParameterTables(), kStartCatalogueIndex);
      const ParameterFileLoad load = LoadParameterFile(*path, *parameters);
      if (!load.status) return Fail(kExitUnreadableInput, *path + ": " + load.status.message());
      for (const std::string& brush : load.unreadableBrushes) {
        std::fprintf(stderr, "atelion-cli: skipped the unreadable custom brush %s\n", brush.c_str());
      }
    } else if (arg == "--soften") {
      job.finishing.softenEdges = true;
    } else if (arg == "--texture") {
      const std::string* text = value();
      const auto tile = text ? ParseNumber(*text) : std::nullopt;
      if (!tile || *tile < 1 || *tile > 10) return Fail(kExitBadArguments, "--texture needs a tile number from 1 to 10");
      job.finishing.texture.enabled = true;
      job.finishing.texture.tileIndex = *tile - 1;
    } else if (arg == "--texture-strength") {
      const std::string* text = value();
      const auto strength = text ? ParseNumber(*text) : std::nullopt;
      if (!strength || *strength < 0 || *strength > 100) {
        return Fail(kExitBadArguments, "--texture-strength needs a percentage from 0 to 100");
      }
      job.finishing.texture.strength = *strength;
    } else if (arg.starts_with("--")) {
      return Fail(kExitBadArguments, "unknown option " + arg);
    } else {
      positional.push_back(arg);
    }
  }
  if (positional.size() != 2) return Fail(kExitBadArguments, "convert needs an input and an output file\n" + std::string(kUsage));
  if (!effectId && parameters) {
    const std::optional<int> row = parameters->SelectedCatalogueIndex();
    if (!row) return Fail(kExitBadArguments, "the parameter file selects no style; add --style");
    effectId = EffectIdForCatalogueIndex(*row);
  }
  if (!effectId) return Fail(kExitBadArguments, "convert needs --style (see atelion-cli styles)");
  job.input = positional[0];
  job.output = positional[1];
  job.outputFormat = FormatFromExtension(job.output);
  if (job.outputFormat != ImageFormat::Jpeg && job.outputFormat != ImageFormat::Png &&
      job.outputFormat != ImageFormat::Bmp) {
    return Fail(kExitBadArguments, "the output must end in .jpg, .jpeg, .png or .bmp: " + job.output.string());
  }
  job.effectId = *effectId;
  job.style.sliders = FactoryDefaults(*effectId);
  if (parameters) {
    // Stored values go through the sliders, which keep them within their ranges.
    for (int slot = 0; slot < kSlotCount; ++slot) {
      job.style.sliders[slot] = ClampToSlider(*effectId, slot, parameters->sets[*effectId][slot]);
    }
  }
  for (int slot = 0; slot < kSlotCount; ++slot) {
    if (!sliders[slot]) continue;
    const SliderDescription& slider = DescribeSlider(*effectId, slot);
    if (*sliders[slot] < slider.minimum || *sliders[slot] > slider.maximum) {
      return Fail(kExitBadArguments, "--p" + std::to_string(slot + 1) + " of " + EffectName(*effectId) + " must lie in " +
                                         std::to_string(slider.minimum) + ".." + std::to_string(slider.maximum));
    }
    job.style.sliders[slot] = *sliders[slot];
  }

  RunContext context;
  TerminalProgress progress(stderr);
  if (isatty(STDERR_FILENO)) context.Progress = &progress;
  activeContext = &context;
  std::signal(SIGINT, StopOnInterrupt);
  std::signal(SIGTERM, StopOnInterrupt);
  const ConversionResult result = ConvertFile(std::move(job), context);
  activeContext = nullptr;
  if (result.code != kExitOk) return Fail(result.code, result.message);
  return kExitOk;
}

}  // namespace
}  // namespace atelion

int main(int argc, char** argv) {
  using namespace atelion;
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty()) return Fail(kExitBadArguments, std::string("no command\n") + kUsage);
  if (args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
    std::fputs(kUsage, stdout);
    return kExitOk;
  }
  if (args[0] == "styles") return ListStyles();
  if (args[0] == "convert") return Convert(std::vector<std::string>(args.begin() + 1, args.end()));
  return Fail(kExitBadArguments, "unknown command " + args[0] + "\n" + kUsage);
}
