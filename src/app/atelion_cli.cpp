// atelion-cli: the scriptable command line, calling the same pipeline as the desktop program.
//   atelion-cli styles
//   atelion-cli convert IN OUT --style NAME|ID [--p1..--p5 N] [--soften] [--texture TILE] [--texture-strength N]
//                       [--frame ENTRY [--frame-margin N] [--frame-fill RRGGBB] …]
//                       [--text TEXT [--font NAME] [--font-size N] [--font-style LIST] …]
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
#include "styles/catalogue.h"
#include "effects/parameter_files.h"
#include "effects/run_pipeline.h"
#include "finishing/frames.h"
#include "finishing/picture_frames.h"
#include "finishing/text.h"
#include "styles/style_list.h"

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
    "  --frame ENTRY          add a frame, by number 0..6 or name: Simple frame, Lined frame,\n"
    "                         Realistic frame, Colored frame, Horizontal triptych, Brushstrokes,\n"
    "                         Custom frame\n"
    "  --frame-margin N       frame margin in pixels, half on each side, 0..5000 (default 150)\n"
    "  --frame-fill RRGGBB    margin colour, also the ground of the triptych and the brushstrokes\n"
    "                         (default 000000)\n"
    "  --frame-line RRGGBB    line colour of the lined frame (default FFFFFF)\n"
    "  --frame-spacing N      gap between the triptych's panels, 0..500 (default 75)\n"
    "  --frame-number N       picture of the realistic frame (1..12) or the coloured frame (1..5)\n"
    "  --frame-red N, --frame-green N, --frame-blue N\n"
    "                         colour offsets of the coloured frame, -255..255 (default 0)\n"
    "  --frame-picture FILE   the custom frame's picture, a PNG file with a transparent opening\n"
    "                         (default: a built-in frame that suits the picture's shape)\n"
    "  --text TEXT            write one line of text (UTF-8) on the result, after the frame\n"
    "  --font NAME            font family of the text (default DejaVu Sans; a missing family\n"
    "                         falls back to it, and a note says so)\n"
    "  --font-size N          text size in points, 1..500 (default 12)\n"
    "  --font-style LIST      comma-separated: bold, italic, underline, strikeout\n"
    "  --text-colour RRGGBB   text colour (default FFFFFF)\n"
    "  --text-position N      1 Top left, 2 Top middle, 3 Top right, 4 Middle left, 5 Center,\n"
    "                         6 Middle right, 7 Bottom left, 8 Bottom middle, 9 Bottom right\n"
    "                         (default 9), by number or name\n"
    "  --text-opacity N       0 (invisible) .. 255 (opaque, the default)\n"
    "  --text-shadow          a black shadow one pixel right and down\n"
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

std::string Trimmed(const std::string& text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// A frame list entry by number or by its name in any letter case, blanks around it ignored.
std::optional<int> FindFrameStyle(const std::string& text) {
  if (const auto number = ParseNumber(text)) {
    if (kFrameEntryRange.Contains(*number)) return number;
    return std::nullopt;
  }
  for (int entry = kFrameEntryRange.minimum; entry <= kFrameEntryRange.maximum; ++entry) {
    if (Lower(Trimmed(FrameStyleName(entry))) == Lower(Trimmed(text))) return entry;
  }
  return std::nullopt;
}

// RRGGBB in hexadecimal, with or without a leading '#'.
std::optional<Colour> ParseHexColour(const std::string& text) {
  const std::string digits = text.starts_with('#') ? text.substr(1) : text;
  if (digits.size() != 6 || !std::all_of(digits.begin(), digits.end(), [](unsigned char c) { return std::isxdigit(c); })) {
    return std::nullopt;
  }
  unsigned value = 0;
  std::from_chars(digits.data(), digits.data() + digits.size(), value, 16);
  return MakeColour(static_cast<int>(value >> 16), static_cast<int>(value >> 8), static_cast<int>(value));
}

// The frame options of a conversion; which of them suit the chosen entry is checked once all are read.
struct FrameOptions {
  std::optional<int> entry;
  FrameSettings settings;
  std::optional<int> frameNumber;
  std::vector<std::string> given;  ///< the --frame-… options met, in order
};

// The numeric frame options that map straight onto a setting, each with the setting's range.
struct FrameNumberOption {
  const char* name;
  const FrameSettingRange& range;
  int FrameSettings::*field;
};
const FrameNumberOption kFrameNumberOptions[] = {
    {"--frame-margin", kFrameMarginRange, &FrameSettings::margin},
    {"--frame-spacing", kPanelSpacingRange, &FrameSettings::panelSpacing},
    {"--frame-red", kFrameColourOffsetRange, &FrameSettings::redOffset},
    {"--frame-green", kFrameColourOffsetRange, &FrameSettings::greenOffset},
    {"--frame-blue", kFrameColourOffsetRange, &FrameSettings::blueOffset},
};

std::string RangeText(const FrameSettingRange& range) {
  return "from " + std::to_string(range.minimum) + " to " + std::to_string(range.maximum);
}

// Reads one --frame… option with its value `text` (null when the command line ends); false with
// `problem` set when the option is unknown or its value unusable.
bool ReadFrameOption(const std::string& option, const std::string* text, FrameOptions& frame, std::string& problem) {
  if (option == "--frame") {
    frame.entry = text ? FindFrameStyle(*text) : std::nullopt;
    if (!frame.entry) problem = "--frame needs a frame number from 0 to 6 or a frame name (see --help)";
    return frame.entry.has_value();
  }
  frame.given.push_back(option);
  for (const FrameNumberOption& number : kFrameNumberOptions) {
    if (option != number.name) continue;
    const auto value = text ? ParseNumber(*text) : std::nullopt;
    if (!value || !number.range.Contains(*value)) {
      problem = option + " needs a whole number " + RangeText(number.range);
      return false;
    }
    frame.settings.*number.field = *value;
    return true;
  }
  if (option == "--frame-fill" || option == "--frame-line") {
    const auto colour = text ? ParseHexColour(*text) : std::nullopt;
    if (!colour) {
      problem = option + " needs a colour as six hexadecimal digits RRGGBB";
      return false;
    }
    (option == "--frame-fill" ? frame.settings.frameFillColor : frame.settings.frameLineColor) = *colour;
    return true;
  }
  if (option == "--frame-number") {
    frame.frameNumber = text ? ParseNumber(*text) : std::nullopt;
    if (!frame.frameNumber) problem = "--frame-number needs a whole number";
    return frame.frameNumber.has_value();
  }
  if (option == "--frame-picture") {
    if (!text || text->empty()) {
      problem = "--frame-picture needs a PNG file with transparency";
      return false;
    }
    frame.settings.customFramePath = *text;
    frame.settings.useDefaultFrame = false;
    return true;
  }
  problem = "unknown option " + option;
  return false;
}

// Whether a --frame-… option means anything for frame list entry `entry`.
bool FrameOptionApplies(const std::string& option, FrameStyle entry) {
  if (option == "--frame-margin" || option == "--frame-fill") return true;
  if (option == "--frame-line") return entry == FrameStyle::Lined;
  if (option == "--frame-spacing") return entry == FrameStyle::HorizontalTriptych;
  if (option == "--frame-number") return entry == FrameStyle::Realistic || entry == FrameStyle::Coloured;
  if (option == "--frame-picture") return entry == FrameStyle::Custom;
  return entry == FrameStyle::Coloured;  // the colour offsets
}

// Checks the frame options against the chosen entry and fills in the frame number; false with
// `problem` set when an option does not suit it.
bool CheckFrameOptions(FrameOptions& frame, std::string& problem) {
  if (!frame.entry) {
    if (frame.given.empty()) return true;
    problem = frame.given.front() + " needs --frame";
    return false;
  }
  const auto entry = static_cast<FrameStyle>(*frame.entry);
  frame.settings.entry = *frame.entry;
  const std::string name = Trimmed(FrameStyleName(*frame.entry));
  for (const std::string& option : frame.given) {
    if (FrameOptionApplies(option, entry)) continue;
    problem = option + " does not apply to the frame \"" + name + "\"";
    return false;
  }
  if (frame.frameNumber) {
    const bool realistic = entry == FrameStyle::Realistic;
    const FrameSettingRange& range = realistic ? kRealisticFrameRange : kColouredFrameRange;
    if (!range.Contains(*frame.frameNumber)) {
      problem = "--frame-number of the frame \"" + name + "\" must lie " + RangeText(range);
      return false;
    }
    (realistic ? frame.settings.realisticFrame : frame.settings.colouredFrame) = *frame.frameNumber;
  }
  return true;
}

// The text options of a conversion. On the command line the shadow is asked for with
// --text-shadow, so it starts off.
struct TextOptions {
  std::optional<std::string> text;
  TextSettings settings = [] {
    TextSettings settings;
    settings.shadow = false;
    return settings;
  }();
  std::vector<std::string> given;  ///< the other text options met, in order
};

bool IsTextOption(const std::string& option) {
  return option == "--text" || option == "--font" || option == "--font-size" || option == "--font-style" ||
         option.starts_with("--text-");
}

// A position entry 1..9 by number or by its list text in any letter case.
std::optional<int> FindTextPosition(const std::string& text) {
  if (const auto number = ParseNumber(text)) {
    if (*number >= kTextTopLeft && *number <= kTextBottomRight) return number;
    return std::nullopt;
  }
  for (int entry = kTextTopLeft; entry <= kTextBottomRight; ++entry) {
    if (Lower(TextPositionName(entry)) == Lower(Trimmed(text))) return entry;
  }
  return std::nullopt;
}

// Reads one text option with its value `text` (null when the command line ends); false with
// `problem` set when its value is unusable. --text-shadow takes no value and is read by the caller.
bool ReadTextOption(const std::string& option, const std::string* text, TextOptions& options, std::string& problem) {
  if (option == "--text") {
    if (!text) problem = "--text needs the text to write";
    if (text) options.text = *text;
    return text != nullptr;
  }
  options.given.push_back(option);
  TextSettings& settings = options.settings;
  if (option == "--font") {
    if (!text || Trimmed(*text).empty()) problem = "--font needs a font family name";
    if (problem.empty()) settings.fontName = *text;
  } else if (option == "--font-size") {
    const auto size = text ? ParseNumber(*text) : std::nullopt;
    if (!size || *size < kMinFontSize || *size > kMaxFontSize) {
      problem = "--font-size needs a size in points from " + std::to_string(kMinFontSize) + " to " +
                std::to_string(kMaxFontSize);
    } else {
      settings.fontSize = *size;
    }
  } else if (option == "--font-style") {
    std::string rest = text ? *text : std::string();
    settings.bold = settings.italic = settings.underline = settings.strikeout = false;
    while (text && problem.empty()) {
      const std::size_t comma = rest.find(',');
      const std::string word = Lower(Trimmed(rest.substr(0, comma)));
      if (word == "bold") settings.bold = true;
      else if (word == "italic") settings.italic = true;
      else if (word == "underline") settings.underline = true;
      else if (word == "strikeout") settings.strikeout = true;
      else problem = "--font-style takes bold, italic, underline and strikeout, separated by commas; not \"" + word + "\"";
      if (comma == std::string::npos) break;
      rest = rest.substr(comma + 1);
    }
    if (!text) problem = "--font-style needs a list such as bold,italic";
  } else if (option == "--text-colour" || option == "--text-color") {
    const auto colour = text ? ParseHexColour(*text) : std::nullopt;
    if (!colour) problem = option + " needs a colour as six hexadecimal digits RRGGBB";
    if (colour) settings.colour = *colour;
  } else if (option == "--text-position") {
    const auto entry = text ? FindTextPosition(*text) : std::nullopt;
    if (!entry) problem = "--text-position needs a position from 1 to 9 or its name (see --help)";
    if (entry) settings.positionEntry = *entry;
  } else if (option == "--text-opacity") {
    const auto opacity = text ? ParseNumber(*text) : std::nullopt;
    if (!opacity || *opacity < kMinTextOpacity || *opacity > kMaxTextOpacity) {
      problem = "--text-opacity needs a whole number from 0 to 255";
    } else {
      settings.opacity = *opacity;
    }
  } else {
    problem = "unknown option " + option;
  }
  return problem.empty();
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
  FrameOptions frame;
  TextOptions textOptions;
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
    } else if (arg == "--frame" || arg.starts_with("--frame-")) {
      std::string problem;
      if (!ReadFrameOption(arg, value(), frame, problem)) return Fail(kExitBadArguments, problem);
    } else if (arg == "--text-shadow") {
      textOptions.settings.shadow = true;
      textOptions.given.push_back(arg);
    } else if (IsTextOption(arg)) {
      std::string problem;
      if (!ReadTextOption(arg, value(), textOptions, problem)) return Fail(kExitBadArguments, problem);
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

  std::string frameProblem;
  if (!CheckFrameOptions(frame, frameProblem)) return Fail(kExitBadArguments, frameProblem);
  if (frame.entry) {
    if (!frame.settings.useDefaultFrame) {
      Bitmap32 picture;
      const Status status = LoadCustomFramePicture(frame.settings.customFramePath, picture);
      if (!status) return Fail(kExitUnreadableInput, status.message());
    }
    job.finishing.addFrame = true;
    job.finishing.frame = frame.settings;
  }
  if (!textOptions.text && !textOptions.given.empty()) {
    return Fail(kExitBadArguments, textOptions.given.front() + " needs --text");
  }
  if (textOptions.text) {
    textOptions.settings.text = *textOptions.text;
    job.finishing.addText = true;
    job.finishing.text = textOptions.settings;
  }

  RunContext context;
  TerminalProgress progress(stderr);
  if (isatty(STDERR_FILENO)) context.Progress = &progress;
  activeContext = &context;
  std::signal(SIGINT, StopOnInterrupt);
  std::signal(SIGTERM, StopOnInterrupt);
  const ConversionResult result = ConvertFile(std::move(job), context);
  activeContext = nullptr;
  for (const std::string& notice : result.notices) std::fprintf(stderr, "atelion-cli: %s\n", notice.c_str());
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
