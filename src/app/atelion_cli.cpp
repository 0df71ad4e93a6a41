// atelion-cli: the scriptable command line, calling the same pipeline as the desktop program.
//   atelion-cli styles
//   atelion-cli convert IN OUT --style NAME|ID [--p1..--p5 N] [--soften] [--texture TILE] [--texture-strength N]
//                       [--svg FILE.svg] [--hd FACTOR]  (Painting 4)
//                       [--frame ENTRY [--frame-margin N] [--frame-fill RRGGBB] …]
//                       [--text TEXT [--font NAME] [--font-size N] [--font-style LIST] …]
//   atelion-cli batch FILES…|FOLDER --style NAME|ID [the options of convert] [--out-dir DIR] [--overwrite] [--jobs N]
//   atelion-cli script FILE.ats IN OUT [--seed N]
// CLI11 splits the command line. Each option's reader turns its value into settings as the option
// is met, so the first unusable value is the one reported; the checks that need every option, and
// the conversion itself, come after the whole line was read.
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <csignal>
#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "app/terminal_progress.h"
#include "automation/batch.h"
#include "automation/script.h"
#include "document/conversion.h"
#include "styles/catalogue.h"
#include "effects/parameter_files.h"
#include "effects/run_pipeline.h"
#include "finishing/frames.h"
#include "finishing/picture_frames.h"
#include "finishing/text.h"
#include "i18n/language_table.h"
#include "i18n/languages.h"
#include "imageio/user_files.h"
#include "styles/style_list.h"

namespace atelion {
namespace {

// ---- Reading values --------------------------------------------------------------------------

/// The values a numeric option accepts: checked with `Contains`, described in messages with
/// `Words` and in the help with `Dots`.
struct NumberRange {
  int minimum;
  int maximum;
  constexpr NumberRange(int minimum, int maximum) : minimum(minimum), maximum(maximum) {}
  constexpr NumberRange(const FrameSettingRange& range) : minimum(range.minimum), maximum(range.maximum) {}
  constexpr bool Contains(int value) const { return value >= minimum && value <= maximum; }
  std::string Words() const { return "from " + std::to_string(minimum) + " to " + std::to_string(maximum); }
  std::string Dots() const { return std::to_string(minimum) + ".." + std::to_string(maximum); }
};

// The paper texture panel offers ten tiles; the knob turns from 0 to 100 percent, and the
// command line starts it at 25, where a mid-grey tile leaves the picture as it is.
constexpr NumberRange kTextureTileRange{1, 10};
constexpr NumberRange kTextureStrengthRange{0, 100};
constexpr int kDefaultTextureStrength = 25;
constexpr NumberRange kFontSizeRange{kMinFontSize, kMaxFontSize};
constexpr NumberRange kTextOpacityRange{kMinTextOpacity, kMaxTextOpacity};
constexpr NumberRange kTextPositionRange{kTextTopLeft, kTextBottomRight};

/// A whole decimal number and nothing else: no blanks, no '+', no fraction, nothing that
/// overflows an int.
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

std::string Trimmed(const std::string& text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// A style by number or by its name in any letter case.
// True when `text` is the entry's name in the language shown or in English, in any letter case and
// with blanks around it ignored, so that a command line written in one language works in any.
bool NamesEntry(const std::string& text, const std::function<std::string()>& name) {
  const std::string wanted = Lower(Trimmed(text));
  if (Lower(Trimmed(name())) == wanted) return true;
  const LanguageTable& shown = CurrentLanguage();
  if (shown.Identifier() == LanguageTable::English().Identifier()) return false;
  SetCurrentLanguage(LanguageTable::English());
  const bool english = Lower(Trimmed(name())) == wanted;
  SetCurrentLanguage(shown);
  return english;
}

std::optional<int> FindStyle(const std::string& text) {
  if (const auto number = ParseNumber(text)) {
    if (IsEffectId(*number)) return number;
    return std::nullopt;
  }
  for (const EffectDescription& effect : Effects()) {
    if (NamesEntry(text, [&effect] { return EffectName(effect.effectId); })) return effect.effectId;
  }
  return std::nullopt;
}

// A frame list entry by number or by its name.
std::optional<int> FindFrameStyle(const std::string& text) {
  if (const auto number = ParseNumber(text)) {
    if (kFrameEntryRange.Contains(*number)) return number;
    return std::nullopt;
  }
  for (int entry = kFrameEntryRange.minimum; entry <= kFrameEntryRange.maximum; ++entry) {
    if (NamesEntry(text, [entry] { return FrameStyleName(entry); })) return entry;
  }
  return std::nullopt;
}

// A position entry 1..9 by number or by its list text.
std::optional<int> FindTextPosition(const std::string& text) {
  if (const auto number = ParseNumber(text)) {
    if (kTextPositionRange.Contains(*number)) return number;
    return std::nullopt;
  }
  for (int entry = kTextPositionRange.minimum; entry <= kTextPositionRange.maximum; ++entry) {
    if (NamesEntry(text, [entry] { return std::string(TextPositionName(entry)); })) return entry;
  }
  return std::nullopt;
}

// The language of style names, slider labels and list entries: an identifier ("Spanish") or the
// language's own name ("Español"). False for a language without a table.
bool ShowLanguage(const std::string& name) {
  for (const InterfaceLanguage& language : InterfaceLanguages()) {
    if (Lower(name) != Lower(std::string(language.identifier)) && name != language.menuName) continue;
    LanguageTable table;
    if (!LanguageTable::LoadShipped(language.identifier, table)) return false;
    SetCurrentLanguage(table);
    return true;
  }
  return false;
}

std::string LanguageIdentifiers() {
  std::string names;
  for (const InterfaceLanguage& language : InterfaceLanguages()) {
    names += (names.empty() ? "" : ", ") + std::string(language.identifier);
  }
  return names;
}

// RRGGBB in hexadecimal, with or without a leading '#'.
std::optional<Colour> ParseHexColour(const std::string& text) {
  const std::string digits = text.starts_with('#') ? text.substr(1) : text;
  const auto isHexDigit = [](unsigned char c) { return std::isxdigit(c) != 0; };
  if (digits.size() != 6 || !std::all_of(digits.begin(), digits.end(), isHexDigit)) return std::nullopt;
  unsigned value = 0;
  std::from_chars(digits.data(), digits.data() + digits.size(), value, 16);
  return MakeColour(static_cast<int>(value >> 16), static_cast<int>(value >> 8), static_cast<int>(value));
}

std::string HexColour(Colour colour) {
  char text[8];
  std::snprintf(text, sizeof text, "%02X%02X%02X", RedOf(colour), GreenOf(colour), BlueOf(colour));
  return text;
}

// ---- Refusing a command line -------------------------------------------------------------------

/// A command line that cannot be carried out: the exit status and the message that says why.
struct CommandLineError {
  ExitCode code;
  std::string message;
};

[[noreturn]] void Refuse(std::string message, ExitCode code = kExitBadArguments) {
  throw CommandLineError{code, std::move(message)};
}

/// An option's value, or nothing when the command line ends right after the option.
using OptionValue = std::optional<std::string>;

int ReadWholeNumber(const OptionValue& text, const std::string& problem) {
  const auto number = text ? ParseNumber(*text) : std::nullopt;
  if (!number) Refuse(problem);
  return *number;
}

// A whole number within `range`; otherwise `need` followed by the range, as in "--font-size needs
// a size in points from 1 to 500".
int ReadNumberIn(const OptionValue& text, const NumberRange& range, const std::string& need) {
  const auto number = text ? ParseNumber(*text) : std::nullopt;
  if (!number || !range.Contains(*number)) Refuse(need + " " + range.Words());
  return *number;
}

std::uint32_t ReadSeed(const OptionValue& text) {
  std::uint32_t seed = 0;
  const char* end = text ? text->data() + text->size() : nullptr;
  const auto [stop, problem] = text ? std::from_chars(text->data(), end, seed) : std::from_chars_result{};
  if (!text || text->empty() || problem != std::errc() || stop != end) {
    Refuse("--seed needs a whole number from 0 to 4294967295");
  }
  return seed;
}

Colour ReadColour(const std::string& option, const OptionValue& text) {
  const auto colour = text ? ParseHexColour(*text) : std::nullopt;
  if (!colour) Refuse(option + " needs a colour as six hexadecimal digits RRGGBB");
  return *colour;
}

// ---- What convert's options gather ---------------------------------------------------------------

// The frame options of a conversion; which of them suit the chosen entry is checked once all are read.
struct FrameOptions {
  std::optional<int> entry;
  FrameSettings settings;
  std::optional<int> frameNumber;
  std::vector<std::string> given;  ///< the --frame-… options met, in order
};

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

/// Everything the options of `convert` ask for, before any picture is read.
struct ConvertRequest {
  std::string input;
  std::string output;
  std::optional<int> effectId;
  std::array<std::optional<int>, kSlotCount> sliders;
  std::optional<ParameterFile> parameters;
  FinishingSettings finishing = [] {
    FinishingSettings finishing;
    finishing.texture.strength = kDefaultTextureStrength;
    return finishing;
  }();
  FrameOptions frame;
  TextOptions text;
  std::optional<std::uint32_t> seed;
  std::optional<std::string> result;
  std::optional<std::string> strokeSvg;
  std::optional<double> hdFactor;
};

/// What `batch` asks for besides the conversion's own options.
struct BatchRequest {
  std::vector<std::string> files;  ///< files and folders, as given
  std::string outputFolder;
  bool overwrite = false;
  int jobs = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
};

/// What `script` asks for.
struct ScriptRequest {
  std::string script;
  std::string input;
  std::string output;
  std::optional<std::uint32_t> seed;
};

void ReadStyle(const OptionValue& name, ConvertRequest& request) {
  if (!name) Refuse("--style needs a style name or number");
  request.effectId = FindStyle(*name);
  if (!request.effectId) Refuse("unknown style \"" + *name + "\" (see atelion-cli styles)");
}

// The file's values for every style, and its style for a command line without --style.
void ReadParameterFile(const OptionValue& path, ConvertRequest& request) {
  if (!path) Refuse("--params needs a parameter file");
  request.parameters = ParameterFile::FromTables(ParameterTables(), kStartCatalogueIndex);
  const ParameterFileLoad load = LoadParameterFile(*path, *request.parameters);
  if (!load.status) Refuse(*path + ": " + load.status.message(), kExitUnreadableInput);
  for (const std::string& brush : load.unreadableBrushes) {
    std::fprintf(stderr, "atelion-cli: skipped the unreadable custom brush %s\n", brush.c_str());
  }
}

void ReadFontStyle(const OptionValue& list, TextSettings& settings) {
  if (!list) Refuse("--font-style needs a list such as bold,italic");
  settings.bold = settings.italic = settings.underline = settings.strikeout = false;
  std::string rest = *list;
  while (true) {
    const std::size_t comma = rest.find(',');
    const std::string word = Lower(Trimmed(rest.substr(0, comma)));
    if (word == "bold") settings.bold = true;
    else if (word == "italic") settings.italic = true;
    else if (word == "underline") settings.underline = true;
    else if (word == "strikeout") settings.strikeout = true;
    else Refuse("--font-style takes bold, italic, underline and strikeout, separated by commas; not \"" + word + "\"");
    if (comma == std::string::npos) break;
    rest = rest.substr(comma + 1);
  }
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

// Checks the frame options against the chosen entry and fills in the frame number.
void CheckFrameOptions(FrameOptions& frame) {
  if (!frame.entry) {
    if (!frame.given.empty()) Refuse(frame.given.front() + " needs --frame");
    return;
  }
  const auto entry = static_cast<FrameStyle>(*frame.entry);
  frame.settings.entry = *frame.entry;
  const std::string name = Trimmed(FrameStyleName(*frame.entry));
  for (const std::string& option : frame.given) {
    if (!FrameOptionApplies(option, entry)) Refuse(option + " does not apply to the frame \"" + name + "\"");
  }
  if (frame.frameNumber) {
    const bool realistic = entry == FrameStyle::Realistic;
    const NumberRange range = realistic ? kRealisticFrameRange : kColouredFrameRange;
    if (!range.Contains(*frame.frameNumber)) {
      Refuse("--frame-number of the frame \"" + name + "\" must lie " + range.Words());
    }
    (realistic ? frame.settings.realisticFrame : frame.settings.colouredFrame) = *frame.frameNumber;
  }
}

// The conversion the request asks for, once every option was read: the style (from --style or
// the parameter file), the sliders checked against that style's ranges, and the finishing.
ConversionJob PrepareJob(ConvertRequest request) {
  if (!request.effectId && request.parameters) {
    const std::optional<int> row = request.parameters->SelectedCatalogueIndex();
    if (!row) Refuse("the parameter file selects no style; add --style");
    request.effectId = EffectIdForCatalogueIndex(*row);
  }
  if (!request.effectId) Refuse("convert needs --style (see atelion-cli styles)");
  const int effectId = *request.effectId;
  ConversionJob job;
  job.input = request.input;
  job.output = request.output;
  // A batch names each output itself.
  if (!request.output.empty()) {
    job.outputFormat = FormatFromExtension(job.output);
    if (job.outputFormat != ImageFormat::Jpeg && job.outputFormat != ImageFormat::Png &&
        job.outputFormat != ImageFormat::Bmp) {
      Refuse("the output must end in .jpg, .jpeg, .png or .bmp: " + job.output.string());
    }
  }
  job.effectId = effectId;
  job.style.sliders = FactoryDefaults(effectId);
  if (request.parameters) {
    // Stored values go through the sliders, which keep them within their ranges.
    for (int slot = 0; slot < kSlotCount; ++slot) {
      job.style.sliders[slot] = ClampToSlider(effectId, slot, request.parameters->sets[effectId][slot]);
    }
  }
  for (int slot = 0; slot < kSlotCount; ++slot) {
    if (!request.sliders[slot]) continue;
    const SliderDescription& slider = DescribeSlider(effectId, slot);
    const NumberRange range{slider.minimum, slider.maximum};
    if (!range.Contains(*request.sliders[slot])) {
      Refuse("--p" + std::to_string(slot + 1) + " of " + EffectName(effectId) + " must lie in " + range.Dots());
    }
    job.style.sliders[slot] = *request.sliders[slot];
  }
  job.finishing = std::move(request.finishing);
  job.seed = request.seed;
  if ((request.strokeSvg || request.hdFactor) && effectId != kPainting4EffectId) {
    Refuse("--svg and --hd are for the style \"" + EffectName(kPainting4EffectId) + "\" only");
  }
  if (request.strokeSvg) job.strokeSvg = *request.strokeSvg;
  job.hdFactor = request.hdFactor;
  if (request.result) {
    if (effectId != kMergeEffectId) Refuse("--with is for the style \"" + EffectName(kMergeEffectId) + "\" only");
    job.result = *request.result;
  }

  FrameOptions& frame = request.frame;
  CheckFrameOptions(frame);
  if (frame.entry) {
    if (!frame.settings.useDefaultFrame) {
      Bitmap32 picture;
      const Status status = LoadCustomFramePicture(frame.settings.customFramePath, picture);
      if (!status) Refuse(status.message(), kExitUnreadableInput);
    }
    job.finishing.addFrame = true;
    job.finishing.frame = frame.settings;
  }
  TextOptions& text = request.text;
  if (!text.text && !text.given.empty()) Refuse(text.given.front() + " needs --text");
  if (text.text) {
    text.settings.text = *text.text;
    job.finishing.addText = true;
    job.finishing.text = text.settings;
  }
  return job;
}

// ---- The command line ------------------------------------------------------------------------------

constexpr std::size_t kHelpDescriptionColumn = 25;
constexpr std::size_t kHelpDescriptionWidth = 70;

// Breaks each line of `text` at blanks into lines of at most `width` characters.
std::string WrapWords(const std::string& text, std::size_t width) {
  std::istringstream lines(text);
  std::string wrapped;
  for (std::string line; std::getline(lines, line);) {
    if (!wrapped.empty()) wrapped += '\n';
    std::istringstream words(line);
    std::size_t lineLength = 0;
    for (std::string word; words >> word;) {
      if (lineLength > 0 && lineLength + 1 + word.size() > width) {
        wrapped += '\n';
        lineLength = 0;
      } else if (lineLength > 0) {
        wrapped += ' ';
        ++lineLength;
      }
      wrapped += word;
      lineLength += word.size();
    }
  }
  return wrapped;
}

// The help: the usage line of each command, what the program or the command does, the options
// with their descriptions in a column beside them, then the output formats and exit statuses.
class HelpLayout : public CLI::Formatter {
 public:
  HelpLayout() { column_width(kHelpDescriptionColumn); }

  /// What follows "atelion-cli COMMAND" on each command's usage line.
  std::map<std::string, std::string> synopsis;

  std::string make_help(const CLI::App* app, std::string, CLI::AppFormatMode) const override {
    const CLI::App* program = app;
    while (program->get_parent()) program = program->get_parent();
    const std::vector<const CLI::App*> commands =
        app == program ? program->get_subcommands([](const CLI::App*) { return true; }) : std::vector{app};
    std::string text;
    for (const CLI::App* command : commands) {
      text += (text.empty() ? "usage: " : "       ") + program->get_name() + " " + command->get_name();
      const auto words = synopsis.find(command->get_name());
      if (words != synopsis.end() && !words->second.empty()) text += " " + words->second;
      text += '\n';
    }
    text += "\n" + app->get_description() + "\n";
    for (const CLI::App* command : commands) text += make_groups(command, CLI::AppFormatMode::Normal);
    text += '\n';
    for (const CLI::App* command : commands) {
      if (!command->get_footer().empty()) text += command->get_footer() + '\n';
    }
    return text + program->get_footer() + '\n';
  }

  std::string make_option_desc(const CLI::Option* option) const override {
    return WrapWords(option->get_description(), kHelpDescriptionWidth);
  }
};

/// Reads one option's value into settings, or refuses it; see `OptionValue`.
using ValueReader = std::function<void(const OptionValue& value)>;

bool LooksLikeOption(const std::string& word) { return word.size() > 1 && word.front() == '-'; }

/// The word after which every word is a file; CLI11 keeps it among the words it left over.
constexpr std::string_view kEndOfOptions = "--";

// The commands and their options. Options that take a value keep their readers here as well, so
// that an option left without its value at the end of the line can say what it needed.
struct CommandLine {
  CLI::App program{"Turns a photograph into a drawing or painting.", "atelion-cli"};
  std::shared_ptr<HelpLayout> layout = std::make_shared<HelpLayout>();
  CLI::App* styles = nullptr;
  CLI::App* convert = nullptr;
  CLI::App* batch = nullptr;
  CLI::App* script = nullptr;
  CLI::App* help = nullptr;
  std::string helpTopic;
  std::map<std::string, ValueReader> valueReaders;

  /// An option of convert, which batch takes too (its help lists only batch's own options).
  CLI::Option* AddValueOption(const std::string& name, const std::string& valueName, const std::string& description,
                              ValueReader read) {
    const ValueReader readInTurn = [this, read](const OptionValue& value) {
      RefuseUnknownWords();
      read(value);
    };
    valueReaders[name] = readInTurn;
    const auto callback = [readInTurn](const std::string& value) { readInTurn(value); };
    batch->add_option_function<std::string>(name, callback, description)->trigger_on_parse()->group("");
    return convert->add_option_function<std::string>(name, callback, description)
        ->type_name(valueName)
        ->trigger_on_parse();
  }

  CLI::Option* AddFlag(const std::string& name, const std::string& description, std::function<void()> set) {
    const auto setInTurn = [this, set] {
      RefuseUnknownWords();
      set();
    };
    batch->add_flag_callback(name, setInTurn, description)->trigger_on_parse()->group("");
    return convert->add_flag_callback(name, setInTurn, description)->trigger_on_parse();
  }

  /// Refuses a word met so far that names no command, or no option of its command. CLI11 keeps
  /// such words until the line is read; asking before each option is read reports the first
  /// problem on the line, wherever it stands.
  void RefuseUnknownWords() const {
    const std::vector<std::string> unknown = program.remaining();
    if (!unknown.empty()) Refuse("unknown command " + unknown.front() + "\n" + ProgramHelp());
    for (const CLI::App* command : {convert, batch, script}) {
      for (const std::string& word : command->remaining()) {
        if (word != kEndOfOptions && LooksLikeOption(word)) Refuse("unknown option " + word);
      }
    }
  }

  /// The help of the whole program, whichever command was chosen.
  std::string ProgramHelp() const { return layout->make_help(&program, "", CLI::AppFormatMode::Normal); }
};

// Every option of convert: its name, its value's name and description for the help, and what
// it sets. The numbers in the descriptions come from the same ranges and defaults the readers
// and the settings use.
void DeclareConvertOptions(CommandLine& line, ConvertRequest& request) {
  CLI::App& convert = *line.convert;
  convert.add_option("IN", request.input);
  convert.add_option("OUT", request.output);
  FinishingSettings& finishing = request.finishing;
  FrameOptions& frame = request.frame;
  TextOptions& text = request.text;

  line.AddValueOption("--style", "NAME|ID", "the style, by name (as `atelion-cli styles` lists it) or number",
                      [&request](const OptionValue& value) { ReadStyle(value, request); });
  for (int slot = 0; slot < kSlotCount; ++slot) {
    const std::string name = "--p" + std::to_string(slot + 1);
    CLI::Option* option = line.AddValueOption(
        name, "N", "slider values of rows 1 to " + std::to_string(kSlotCount) + " (default: the style's defaults)",
        [&request, name, slot](const OptionValue& value) {
          request.sliders[slot] = ReadWholeNumber(value, name + " needs a whole number");
        });
    // The five share one help line.
    if (slot == 0) option->option_text(".. --p" + std::to_string(kSlotCount) + " N");
    else option->group("");
  }
  line.AddValueOption("--params", "FILE.atp", "slider values (and, without --style, the style) from a parameter file",
                      [&request](const OptionValue& value) { ReadParameterFile(value, request); });
  line.AddValueOption("--seed", "N",
                      "start the random generator at N (0 to 4294967295), so that styles which draw "
                      "differently on every run repeat their picture",
                      [&request](const OptionValue& value) { request.seed = ReadSeed(value); });
  line.AddValueOption("--with", "RESULT",
                      "the result picture that \"" + EffectName(kMergeEffectId) +
                          "\" merges the source with; it must have the source's size (default: the source)",
                      [&request](const OptionValue& value) {
                        if (!value) Refuse("--with needs a result picture");
                        request.result = *value;
                      });
  // Painting 4's strokes: one file each, so convert has them and batch does not.
  convert
      .add_option_function<std::string>(
          "--svg", [&request](const std::string& value) { request.strokeSvg = value; },
          "Painting 4 only: also write its strokes as an SVG file, one polygon per stroke")
      ->option_text("FILE.svg")
      ->trigger_on_parse();
  convert
      .add_option_function<std::string>(
          "--hd",
          [&request](const std::string& value) {
            double factor = 0;
            const char* end = value.data() + value.size();
            const auto [stop, problem] = std::from_chars(value.data(), end, factor);
            if (problem != std::errc() || stop != end || !(factor >= 1 && factor <= 10)) {
              Refuse("--hd needs a factor from 1 to 10");
            }
            request.hdFactor = factor;
          },
          "Painting 4 only: write its strokes repainted at FACTOR (1 to 10) times the size, "
          "no side above 20000 pixels nor more than 250 megapixels")
      ->option_text("FACTOR")
      ->trigger_on_parse();
  line.AddFlag("--soften", "soften the edges of the result", [&finishing] { finishing.softenEdges = true; });
  line.AddValueOption("--texture", "TILE", "lay paper texture TILE (" + kTextureTileRange.Dots() + ") over the result",
                      [&finishing](const OptionValue& value) {
                        const int tile = ReadNumberIn(value, kTextureTileRange, "--texture needs a tile number");
                        finishing.texture.enabled = true;
                        finishing.texture.tileIndex = tile - kTextureTileRange.minimum;
                      });
  line.AddValueOption("--texture-strength", "N",
                      "texture strength in percent, " + kTextureStrengthRange.Dots() + " (default " +
                          std::to_string(kDefaultTextureStrength) + ")",
                      [&finishing](const OptionValue& value) {
                        finishing.texture.strength =
                            ReadNumberIn(value, kTextureStrengthRange, "--texture-strength needs a percentage");
                      });

  std::string frameNames;
  for (int entry = kFrameEntryRange.minimum; entry <= kFrameEntryRange.maximum; ++entry) {
    frameNames += (frameNames.empty() ? "" : ", ") + Trimmed(FrameStyleName(entry));
  }
  line.AddValueOption("--frame", "ENTRY",
                      "add a frame, by number " + NumberRange(kFrameEntryRange).Dots() + " or name: " + frameNames,
                      [&frame](const OptionValue& value) {
                        frame.entry = value ? FindFrameStyle(*value) : std::nullopt;
                        if (!frame.entry) {
                          Refuse("--frame needs a frame number " + NumberRange(kFrameEntryRange).Words() +
                                 " or a frame name (see --help)");
                        }
                      });
  // The frame options that set one number of the frame settings within its range.
  const FrameSettings frameDefaults;
  const auto addFrameNumber = [&](const std::string& name, const FrameSettingRange& range, int FrameSettings::*field,
                                  const std::string& description) {
    return line.AddValueOption(name, "N", description, [&frame, name, range, field](const OptionValue& value) {
      frame.given.push_back(name);
      frame.settings.*field = ReadNumberIn(value, range, name + " needs a whole number");
    });
  };
  const auto inRangeWithDefault = [](const FrameSettingRange& range) {
    return NumberRange(range).Dots() + " (default " + std::to_string(range.defaultValue) + ")";
  };
  const auto addFrameColour = [&](const std::string& name, Colour FrameSettings::*field,
                                  const std::string& description) {
    line.AddValueOption(name, "RRGGBB", description + " (default " + HexColour(frameDefaults.*field) + ")",
                        [&frame, name, field](const OptionValue& value) {
                          frame.given.push_back(name);
                          frame.settings.*field = ReadColour(name, value);
                        });
  };
  addFrameNumber("--frame-margin", kFrameMarginRange, &FrameSettings::margin,
                 "frame margin in pixels, half on each side, " + inRangeWithDefault(kFrameMarginRange));
  addFrameColour("--frame-fill", &FrameSettings::frameFillColor,
                 "margin colour, also the ground of the triptych and the brushstrokes");
  addFrameColour("--frame-line", &FrameSettings::frameLineColor, "line colour of the lined frame");
  addFrameNumber("--frame-spacing", kPanelSpacingRange, &FrameSettings::panelSpacing,
                 "gap between the triptych's panels, " + inRangeWithDefault(kPanelSpacingRange));
  line.AddValueOption("--frame-number", "N",
                      "picture of the realistic frame (" + NumberRange(kRealisticFrameRange).Dots() +
                          ") or the coloured frame (" + NumberRange(kColouredFrameRange).Dots() + ")",
                      [&frame](const OptionValue& value) {
                        frame.given.push_back("--frame-number");
                        frame.frameNumber = ReadWholeNumber(value, "--frame-number needs a whole number");
                      });
  // The three colour offsets share one help line.
  addFrameNumber("--frame-red", kFrameColourOffsetRange, &FrameSettings::redOffset,
                 "colour offsets of the coloured frame, " + inRangeWithDefault(kFrameColourOffsetRange))
      ->option_text("N, --frame-green N, --frame-blue N");
  addFrameNumber("--frame-green", kFrameColourOffsetRange, &FrameSettings::greenOffset, "")->group("");
  addFrameNumber("--frame-blue", kFrameColourOffsetRange, &FrameSettings::blueOffset, "")->group("");
  line.AddValueOption("--frame-picture", "FILE",
                      "the custom frame's picture, a PNG file with a transparent opening "
                      "(default: a built-in frame that suits the picture's shape)",
                      [&frame](const OptionValue& value) {
                        frame.given.push_back("--frame-picture");
                        if (!value || value->empty()) Refuse("--frame-picture needs a PNG file with transparency");
                        frame.settings.customFramePath = *value;
                        frame.settings.useDefaultFrame = false;
                      });

  const TextSettings textDefaults;
  line.AddValueOption("--text", "TEXT", "write one line of text (UTF-8) on the result, after the frame",
                      [&text](const OptionValue& value) {
                        if (!value) Refuse("--text needs the text to write");
                        text.text = *value;
                      });
  line.AddValueOption("--font", "NAME",
                      "font family of the text (default " + textDefaults.fontName +
                          "; a missing family falls back to it, and a note says so)",
                      [&text](const OptionValue& value) {
                        text.given.push_back("--font");
                        if (!value || Trimmed(*value).empty()) Refuse("--font needs a font family name");
                        text.settings.fontName = *value;
                      });
  line.AddValueOption("--font-size", "N",
                      "text size in points, " + kFontSizeRange.Dots() + " (default " +
                          std::to_string(textDefaults.fontSize) + ")",
                      [&text](const OptionValue& value) {
                        text.given.push_back("--font-size");
                        text.settings.fontSize =
                            ReadNumberIn(value, kFontSizeRange, "--font-size needs a size in points");
                      });
  line.AddValueOption("--font-style", "LIST", "comma-separated: bold, italic, underline, strikeout",
                      [&text](const OptionValue& value) {
                        text.given.push_back("--font-style");
                        ReadFontStyle(value, text.settings);
                      });
  for (const std::string name : {"--text-colour", "--text-color"}) {
    const std::string description = "text colour (default " + HexColour(textDefaults.colour) + ")";
    CLI::Option* option = line.AddValueOption(name, "RRGGBB", description, [&text, name](const OptionValue& value) {
      text.given.push_back(name);
      text.settings.colour = ReadColour(name, value);
    });
    if (name == "--text-color") option->group("");  // the American spelling works too
  }
  // The nine anchors, one row of the picture per line.
  constexpr int kAnchorsPerRow = 3;
  std::string positions;
  for (int entry = kTextPositionRange.minimum; entry <= kTextPositionRange.maximum; ++entry) {
    const bool rowStarts = (entry - kTextPositionRange.minimum) % kAnchorsPerRow == 0;
    positions += (entry == kTextPositionRange.minimum ? "" : rowStarts ? ",\n" : ", ") + std::to_string(entry) + " " +
                 TextPositionName(entry);
  }
  line.AddValueOption("--text-position", "N",
                      positions + "\n(default " + std::to_string(textDefaults.positionEntry) + "), by number or name",
                      [&text](const OptionValue& value) {
                        text.given.push_back("--text-position");
                        const auto entry = value ? FindTextPosition(*value) : std::nullopt;
                        if (!entry) {
                          Refuse("--text-position needs a position " + kTextPositionRange.Words() +
                                 " or its name (see --help)");
                        }
                        text.settings.positionEntry = *entry;
                      });
  line.AddValueOption("--text-opacity", "N",
                      std::to_string(kTextOpacityRange.minimum) + " (invisible) .. " +
                          std::to_string(kTextOpacityRange.maximum) + " (opaque, the default)",
                      [&text](const OptionValue& value) {
                        text.given.push_back("--text-opacity");
                        text.settings.opacity =
                            ReadNumberIn(value, kTextOpacityRange, "--text-opacity needs a whole number");
                      });
  line.AddFlag("--text-shadow", "a black shadow one pixel right and down", [&text] {
    text.settings.shadow = true;
    text.given.push_back("--text-shadow");
  });
}

// The options of batch and script that convert does not have.
void DeclareBatchAndScriptOptions(CommandLine& line, BatchRequest& batch, ScriptRequest& script) {
  line.batch->add_option("FILES", batch.files);
  line.batch
      ->add_option_function<std::string>(
          "--out-dir", [&batch](const std::string& folder) { batch.outputFolder = folder; },
          "write the results into DIR (default: beside each photograph)")
      ->type_name("DIR");
  line.batch->add_flag("--overwrite", batch.overwrite, "replace results that exist (default: leave them and go on)");
  line.batch
      ->add_option_function<std::string>(
          "--jobs",
          [&batch](const std::string& value) {
            batch.jobs = ReadNumberIn(value, NumberRange{1, 256}, "--jobs needs a whole number");
          },
          "convert N photographs at the same time (default: the number of processors); the results are the "
          "same for any N")
      ->type_name("N");

  line.script->add_option("FILE.ats", script.script);
  line.script->add_option("IN", script.input);
  line.script->add_option("OUT", script.output);
  line.script
      ->add_option_function<std::string>(
          "--seed", [&script](const std::string& value) { script.seed = ReadSeed(value); },
          "start the random generator at N (0 to 4294967295)")
      ->type_name("N");
}

void DeclareCommandLine(CommandLine& line, ConvertRequest& request, BatchRequest& batch, ScriptRequest& script) {
  CLI::App& program = line.program;
  // Commands made after this share the layout.
  program.formatter(line.layout);
  // One command at most: after it, the names of the others are plain words (a file may be called
  // "styles"). A word that is no command stops the reading, and is reported.
  program.require_subcommand(0, 1);

  line.styles = program.add_subcommand("styles", "Lists the styles by number and name, each with its sliders' rows, "
                                                 "labels, ranges and defaults.");
  line.convert = program.add_subcommand("convert", "Turns the photograph IN into the drawing or painting OUT.");
  line.layout->synopsis["convert"] = "IN OUT --style NAME|ID [options]";
  line.convert->footer(
      "The output format follows OUT's extension: .jpg/.jpeg (quality 95, the source's dpi), .png, .bmp.");
  line.batch = program.add_subcommand("batch", "Turns every photograph of FILES (or of a FOLDER) into a drawing or "
                                               "painting named after it: beach.jpg gives beach_Atelion.jpg.");
  line.layout->synopsis["batch"] = "FILES...|FOLDER --style NAME|ID [options of convert] [options]";
  line.batch->footer("Takes every option of convert but IN and OUT (see atelion-cli help convert). Each result keeps "
                     "its photograph's format (.jpg/.jpeg JPEG, .png PNG, else BMP). With --seed, each photograph's "
                     "generator starts from the seed and the file's name.");
  line.script = program.add_subcommand("script", "Runs the script FILE.ats (made in the script window) on the "
                                                 "photograph IN and writes the final picture to OUT.");
  line.layout->synopsis["script"] = "FILE.ats IN OUT [--seed N]";
  line.help = program.add_subcommand("help", "Prints the help of the program, or of COMMAND.");
  line.help->add_option("COMMAND", line.helpTopic);
  line.layout->synopsis["help"] = "[COMMAND]";
  for (CLI::App* command : {&program, line.styles, line.convert, line.batch, line.script, line.help}) {
    // Words CLI11 cannot place are kept, and reported in the program's own words.
    command->allow_extras();
    command->get_help_ptr()->group("");
    command->option_defaults()->group(command->get_name() + " options");
  }
  program.prefix_command();
  program
      .add_option_function<std::string>(
          "--language",
          [](const std::string& name) {
            if (!ShowLanguage(name)) Refuse("unknown language \"" + name + "\"; one of " + LanguageIdentifiers());
          },
          "style names, slider labels and list entries in LANGUAGE (default: the user's locale)")
      ->type_name("LANGUAGE")
      ->trigger_on_parse();
  // Set after the commands were made, since each starts with a copy of the program's footer.
  program.footer("Exit status: 0 done, 1 other failure (such as lack of memory), 2 bad arguments,\n"
                 "3 unreadable input, 4 failed write, 5 cancelled, 6 style not available.");
  DeclareConvertOptions(line, request);
  DeclareBatchAndScriptOptions(line, batch, script);
}

int Fail(ExitCode code, const std::string& message) {
  std::fprintf(stderr, "atelion-cli: %s\n", message.c_str());
  return code;
}

// ---- The commands ----------------------------------------------------------------------------------

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

RunContext* activeContext = nullptr;

extern "C" void StopOnInterrupt(int) {
  if (activeContext) activeContext->AbortRequested = true;
}

int Convert(ConversionJob job) {
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

// The photographs a batch names: files as given, and the pictures of a folder in the order of
// their names (not the results of an earlier batch in that folder).
std::vector<std::filesystem::path> BatchFiles(const std::vector<std::string>& words) {
  std::vector<std::filesystem::path> files;
  for (const std::string& word : words) {
    std::error_code error;
    if (!std::filesystem::is_directory(word, error)) {
      files.emplace_back(word);
      continue;
    }
    std::vector<std::filesystem::path> pictures;
    for (const auto& entry : std::filesystem::directory_iterator(word, error)) {
      const std::filesystem::path& path = entry.path();
      const ImageFormat format = FormatFromExtension(path);
      const bool result = path.stem().string().ends_with("_Atelion");
      if (entry.is_regular_file(error) && format != ImageFormat::Unknown && !result) pictures.push_back(path);
    }
    if (error) Refuse("cannot list the folder " + word + ": " + error.message(), kExitUnreadableInput);
    std::sort(pictures.begin(), pictures.end());
    files.insert(files.end(), pictures.begin(), pictures.end());
  }
  return files;
}

int RunBatchCommand(ConversionJob conversion, const BatchRequest& request) {
  BatchJob job;
  job.files = BatchFiles(request.files);
  if (job.files.empty()) Refuse("batch found no photographs to convert");
  job.outputFolder = request.outputFolder;
  if (!job.outputFolder.empty() && !std::filesystem::is_directory(job.outputFolder)) {
    Refuse("--out-dir " + request.outputFolder + " is not a folder");
  }
  job.overwrite = request.overwrite;
  job.jobs = request.jobs;
  job.conversion = std::move(conversion);

  StopRequest stop;
  static StopRequest* activeStop = nullptr;
  activeStop = &stop;
  const auto stopOnInterrupt = [](int) {
    if (activeStop) activeStop->Request();
  };
  std::signal(SIGINT, stopOnInterrupt);
  std::signal(SIGTERM, stopOnInterrupt);

  const bool terminal = isatty(STDERR_FILENO);
  const int count = static_cast<int>(job.files.size());
  int finished = 0;
  BatchObserver observer;
  observer.progress = [&](int percent) {
    if (!terminal) return;
    const int filled = percent / 5;
    std::fprintf(stderr, "\r[%s%s] %3d%%  %d of %d done", std::string(static_cast<std::size_t>(filled), '#').c_str(),
                 std::string(static_cast<std::size_t>(20 - filled), '.').c_str(), percent, finished, count);
    std::fflush(stderr);
  };
  observer.fileFinished = [&](int, const BatchFileReport& report) {
    ++finished;
    if (terminal) std::fputs("\r\033[K", stderr);
    switch (report.outcome) {
      case BatchFileOutcome::Written:
        std::printf("written  %s\n", report.output.string().c_str());
        break;
      case BatchFileOutcome::Skipped:
        std::printf("skipped  %s (it exists; --overwrite replaces it)\n", report.output.string().c_str());
        break;
      case BatchFileOutcome::Failed:
        std::printf("failed   %s: %s\n", report.input.string().c_str(), report.message.c_str());
        break;
      case BatchFileOutcome::Cancelled:
        break;
    }
    std::fflush(stdout);
  };
  const BatchSummary summary = RunBatch(job, stop, observer);
  activeStop = nullptr;
  if (terminal) std::fputs("\r\033[K", stderr);
  std::printf("%d written, %d skipped, %d failed%s\n", summary.written, summary.skipped, summary.failed,
              summary.cancelled ? ", cancelled" : "");
  if (summary.failed > 0) {
    std::string names;
    for (const BatchFileReport& report : summary.files) {
      if (report.outcome == BatchFileOutcome::Failed) names += (names.empty() ? "" : ", ") + report.input.string();
    }
    return Fail(kExitFailed, std::to_string(summary.failed) + " of " + std::to_string(count) +
                                 " photographs could not be converted: " + names);
  }
  if (summary.cancelled) return Fail(kExitCancelled, "cancelled; the results written so far stay");
  return kExitOk;
}

// Tells the terminal which script lines were not run.
class ScriptReport : public ScriptObserver {
 public:
  explicit ScriptReport(std::string script) : script_(std::move(script)) {}
  void LineSkipped(int row, const std::string& reason) override {
    std::fprintf(stderr, "atelion-cli: %s: script line %d skipped: %s\n", script_.c_str(), row, reason.c_str());
  }

 private:
  std::string script_;
};

int RunScriptCommand(const ScriptRequest& request) {
  const FileContents file = ReadUserFile(request.script, std::uintmax_t{64} << 20, "script file");
  if (!file) return Fail(kExitUnreadableInput, request.script + ": " + file.reason);
  const ScriptReadResult read =
      ReadScriptText(std::string_view(reinterpret_cast<const char*>(file.bytes.data()), file.bytes.size()));
  for (const std::string& problem : read.problems) {
    std::fprintf(stderr, "atelion-cli: %s: %s\n", request.script.c_str(), problem.c_str());
  }
  if (!read.readable) return Fail(kExitUnreadableInput, request.script + " is not a script file");
  if (!read.complete) return Fail(kExitUnreadableInput, request.script + " is cut short; nothing was run");
  const ImageFormat format = FormatFromExtension(request.output);
  if (format != ImageFormat::Jpeg && format != ImageFormat::Png && format != ImageFormat::Bmp) {
    Refuse("the output must end in .jpg, .jpeg, .png or .bmp: " + request.output);
  }
  LoadedImage loaded = LoadImageFile(request.input);
  if (!loaded.status) return Fail(kExitUnreadableInput, loaded.status.message());

  RunContext context;
  context.Rng.RandomSeed = request.seed.value_or(ClockSeed());
  TerminalProgress progress(stderr);
  if (isatty(STDERR_FILENO)) context.Progress = &progress;
  activeContext = &context;
  std::signal(SIGINT, StopOnInterrupt);
  std::signal(SIGTERM, StopOnInterrupt);
  ScriptPictures pictures{loaded.picture, loaded.picture};
  StopRequest stop;
  ScriptReport report(request.script);
  const ScriptOutcome outcome = RunScript(read.grid, pictures, ScriptSettings{}, context, stop, &report);
  activeContext = nullptr;
  if (outcome == ScriptOutcome::Stopped || context.AbortRequested) {
    return Fail(context.LackedMemory ? kExitFailed : kExitCancelled, "the script was stopped; nothing was written");
  }
  if (const Status saved = SaveImageFile(pictures.result, request.output, format, loaded.dpi); !saved) {
    return Fail(kExitWriteFailed, saved.message());
  }
  return kExitOk;
}

// Reads the command line and runs the command it names.
int Run(CommandLine& line, ConvertRequest& request, BatchRequest& batch, ScriptRequest& script, int argc,
        char** argv) {
  try {
    line.program.parse(argc, argv);
  } catch (const CLI::CallForHelp&) {
    std::fputs(line.program.help().c_str(), stdout);
    return kExitOk;
  } catch (const CLI::ArgumentMismatch& mismatch) {
    // The last word is an option that needs a value; its reader says what kind.
    const std::string last = argv[argc - 1];
    const auto reader = line.valueReaders.find(last.substr(0, last.find('=')));
    if (reader != line.valueReaders.end()) reader->second(std::nullopt);
    Refuse(mismatch.what());
  } catch (const CLI::ParseError& error) {
    Refuse(error.what());
  }

  line.RefuseUnknownWords();
  if (line.styles->parsed()) {
    const std::vector<std::string> extra = line.styles->remaining();
    if (!extra.empty()) Refuse("styles takes no arguments; not \"" + extra.front() + "\"");
    return ListStyles();
  }
  if (line.help->parsed()) {
    const std::vector<std::string> extra = line.help->remaining();
    if (!extra.empty()) Refuse("help takes one command; not \"" + extra.front() + "\"");
    if (line.helpTopic.empty()) {
      std::fputs(line.ProgramHelp().c_str(), stdout);
      return kExitOk;
    }
    const auto named = [&line](const CLI::App* command) { return command->get_name() == line.helpTopic; };
    const std::vector<const CLI::App*> topic = std::as_const(line.program).get_subcommands(named);
    if (topic.empty()) Refuse("unknown command " + line.helpTopic + "\n" + line.ProgramHelp());
    std::fputs(topic.front()->help().c_str(), stdout);
    return kExitOk;
  }
  if (line.convert->parsed()) {
    const std::vector<std::string> extra = line.convert->remaining();
    const auto isFile = [](const std::string& word) { return word != kEndOfOptions; };
    const bool strayWord = std::any_of(extra.begin(), extra.end(), isFile);
    if (strayWord || line.convert->get_option("IN")->count() == 0 || line.convert->get_option("OUT")->count() == 0) {
      Refuse("convert needs an input and an output file\n" + line.ProgramHelp());
    }
    return Convert(PrepareJob(std::move(request)));
  }
  if (line.batch->parsed()) {
    if (batch.files.empty()) Refuse("batch needs photographs or a folder\n" + line.ProgramHelp());
    return RunBatchCommand(PrepareJob(std::move(request)), batch);
  }
  if (line.script->parsed()) {
    const std::vector<std::string> extra = line.script->remaining();
    const auto isFile = [](const std::string& word) { return word != kEndOfOptions; };
    if (std::any_of(extra.begin(), extra.end(), isFile) || script.output.empty()) {
      Refuse("script needs a script file, an input and an output file\n" + line.ProgramHelp());
    }
    return RunScriptCommand(script);
  }
  Refuse("no command\n" + line.ProgramHelp());
}

}  // namespace
}  // namespace atelion

int main(int argc, char** argv) {
  using namespace atelion;
  try {
    // Names follow the user's locale unless --language says otherwise; English when its table is missing.
    ShowLanguage(std::string(DefaultLanguageFromLocale(UserMessagesLocale())));
    ConvertRequest request;
    BatchRequest batch;
    ScriptRequest script;
    CommandLine line;
    DeclareCommandLine(line, request, batch, script);
    return Run(line, request, batch, script, argc, argv);
  } catch (const CommandLineError& error) {
    return Fail(error.code, error.message);
  } catch (...) {
    // Lack of memory or an incomplete installation: said, never an abort.
    const ConversionResult failure = FailureFromException(std::current_exception());
    return Fail(failure.code, failure.message);
  }
}
