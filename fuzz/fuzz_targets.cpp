// The checks each fuzz target runs on one input. Beyond surviving the input, every reader is held
// to what its header promises: a refusal carries a reason and changes nothing, a result stays
// inside the ranges the rest of the program relies on.
#include "fuzz/fuzz_targets.h"

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <array>
#include <atomic>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string_view>
#include <vector>

#include "automation/script.h"
#include "document/settings_file.h"
#include "document/silent_conversion.h"
#include "effects/parameter_files.h"
#include "styles/catalogue.h"

// AddressSanitizer's allocator sees every allocation, those of the image libraries included, and
// tells hooks about each; the heap in use is counted from them, in requested bytes.
#if defined(__SANITIZE_ADDRESS__)
#define ATELION_COUNTS_HEAP 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define ATELION_COUNTS_HEAP 1
#endif
#endif

#ifdef ATELION_COUNTS_HEAP
extern "C" {
int __sanitizer_install_malloc_and_free_hooks(void (*allocated)(const volatile void*, std::size_t),
                                              void (*released)(const volatile void*));
int __sanitizer_get_ownership(const volatile void* block);
std::size_t __sanitizer_get_allocated_size(const volatile void* block);
}
#endif

namespace atelion::fuzz {

namespace {

namespace fs = std::filesystem;

// Collects the broken promises of one input, so that a finding lists all of them.
class Problems {
 public:
  void Expect(bool kept, std::string_view broken) {
    if (kept) return;
    if (!text_.empty()) text_ += "; ";
    text_ += broken;
  }
  std::string Text() const { return text_; }

 private:
  std::string text_;
};

std::string_view AsText(std::span<const std::uint8_t> input) {
  return {reinterpret_cast<const char*>(input.data()), input.size()};
}

bool IsBlankLine(std::string_view line) {
  return std::all_of(line.begin(), line.end(), [](char c) { return c == ' ' || c == '\t'; });
}

// ---- Pictures ----

// The name the decoders are given, which every refusal must repeat.
constexpr std::string_view kPictureName = "fuzzed-picture";

std::string CheckDecodeImage(std::span<const std::uint8_t> input) {
  const LoadedImage loaded = DecodeImage(input, std::string(kPictureName));
  const int width = loaded.picture.Width();
  const int height = loaded.picture.Height();
  const std::string size = std::to_string(width) + " x " + std::to_string(height);
  Problems problems;
  problems.Expect(loaded.format == SniffImageFormat(input), "the result names another format than the file's first bytes");
  // A JFIF density below 72 reads as 300 and one above 2400 as 2400; other formats give 300.
  problems.Expect(loaded.dpi >= 72 && loaded.dpi <= 2400, "resolution " + std::to_string(loaded.dpi) + " dpi");
  if (loaded.status) {
    problems.Expect(width > 0 && height > 0, "a decoded picture of " + size + " pixels");
    problems.Expect(width <= ImageLimits::kMaxSide && height <= ImageLimits::kMaxSide &&
                        std::int64_t{width} * height <= ImageLimits::kMaxPixels,
                    "a decoded picture of " + size + " pixels is beyond the size limits");
  } else {
    problems.Expect(loaded.picture.Empty(), "a refused file left a picture of " + size + " pixels");
    problems.Expect(loaded.status.message().find(kPictureName) != std::string::npos,
                    "the refusal does not name the file: \"" + loaded.status.message() + "\"");
  }
  return problems.Text();
}

// ---- Parameter files ----

// The parameter readers take a path, so each input is written to a file of this process's own,
// in memory where the system offers a memory file system: on a disk, the writing would take ten
// times as long as the reading it serves.
class ScratchFile {
 public:
  ScratchFile() : path_(Folder() / ("atelion-fuzz-" + std::to_string(::getpid()) + ".atp")) {}
  ~ScratchFile() {
    std::error_code ignored;
    fs::remove(path_, ignored);
  }

  bool Write(std::string_view text) const {
    std::ofstream file(path_, std::ios::binary | std::ios::trunc);
    file.write(text.data(), static_cast<std::streamsize>(text.size()));
    return static_cast<bool>(file.flush());
  }
  const fs::path& path() const { return path_; }

 private:
  static fs::path Folder() {
    std::error_code error;
    return fs::is_directory("/dev/shm", error) ? fs::path("/dev/shm") : fs::temp_directory_path();
  }


  fs::path path_;
};

// What the reader is given to change: every value is one no file line turns into by accident
// of the reading rules, so a value that was left alone can be told from one that was read.
ParameterFile ParameterState() {
  ParameterFile state;
  for (ParameterSet& set : state.sets) set.fill(77777);
  state.catalogueIndex = 7;
  state.customBrushes = {"/pictures/brush.png"};
  state.sourceFileName = "source.jpg";
  state.resultFileName = "result.jpg";
  return state;
}

bool SameParameters(const ParameterFile& a, const ParameterFile& b) {
  return a.sets == b.sets && a.catalogueIndex == b.catalogueIndex && a.customBrushes == b.customBrushes &&
         a.sourceFileName == b.sourceFileName && a.resultFileName == b.resultFileName;
}

// Brush pictures are judged by their names only, so that the result never depends on the files
// of the machine the fuzzer runs on.
struct BrushNames {
  bool blankLineChecked = false;

  BrushPictureCheck Check() {
    return [this](const std::string& path) {
      if (IsBlankLine(path)) blankLineChecked = true;
      if (FormatFromExtension(path) == ImageFormat::Unknown) return Status::Error("not a picture name");
      return Status::Ok();
    };
  }
};

void CheckParameterLoad(const ParameterFileLoad& load, const ParameterFile& before, const ParameterFile& after,
                        const BrushNames& brushes, Problems& problems) {
  if (!load.status) {
    problems.Expect(!load.status.message().empty(), "a refusal without a reason");
    problems.Expect(SameParameters(after, before), "a refused file changed the parameters");
    return;
  }
  problems.Expect(load.setsRead >= 0 && load.setsRead <= kEffectCount, "sets read: " + std::to_string(load.setsRead));
  for (int effectId = std::clamp(load.setsRead, 0, kEffectCount); effectId < kEffectCount; ++effectId) {
    problems.Expect(after.sets[effectId] == before.sets[effectId],
                    "set " + std::to_string(effectId) + " changed, but only " + std::to_string(load.setsRead) +
                        " sets were read");
  }
  problems.Expect(!brushes.blankLineChecked, "a blank brush line was checked as a picture");
  problems.Expect(load.unreadableBrushes.size() == load.unreadableBrushReasons.size(),
                  "unreadable brushes and their reasons differ in number");
  if (load.brushSectionFound) {
    problems.Expect(std::none_of(after.customBrushes.begin(), after.customBrushes.end(),
                                 [](const std::string& path) { return FormatFromExtension(path) == ImageFormat::Unknown; }),
                    "a brush the check refused is in the brush list");
  } else {
    problems.Expect(after.customBrushes == before.customBrushes, "the brush list changed without a brush section");
  }
  if (!load.fileNamesFound) {
    problems.Expect(after.sourceFileName.empty() && after.resultFileName.empty(),
                    "file names without a file-name section");
  }
}

std::string CheckParameterFile(std::span<const std::uint8_t> input) {
  static const ScratchFile scratch;
  Problems problems;
  if (!scratch.Write(AsText(input))) return "cannot write " + scratch.path().string();
  const ParameterFile before = ParameterState();

  ParameterFile loaded = before;
  BrushNames brushes;
  const ParameterFileLoad load = LoadParameterFile(scratch.path(), loaded, brushes.Check());
  CheckParameterLoad(load, before, loaded, brushes, problems);

  ParameterFile started = before;
  BrushNames startupBrushes;
  const StartupParameterLoad startup = LoadStartupParameterFile(scratch.path(), started, startupBrushes.Check());
  if (!startup.status) {
    problems.Expect(!startup.status.message().empty(), "a refusal at start-up without a reason");
    problems.Expect(SameParameters(started, before), "a file refused at start-up changed the parameters");
  } else if (startup.currentLayout) {
    CheckParameterLoad(startup.current, before, started, startupBrushes, problems);
    problems.Expect(startup.captions.empty(), "captions read from a file in the current layout");
  } else {
    problems.Expect(startup.captions.size() <= static_cast<std::size_t>(kCatalogueRowCount),
                    std::to_string(startup.captions.size()) + " captions for " + std::to_string(kCatalogueRowCount) +
                        " catalogue rows");
    // The older layout has no fifth value, and no brush or file-name sections.
    const bool fifthKept = std::all_of(started.sets.begin(), started.sets.end(),
                                       [](const ParameterSet& set) { return set[kSlotCount - 1] == 77777; });
    problems.Expect(fifthKept, "the older layout changed a fifth slider value");
    problems.Expect(started.customBrushes == before.customBrushes && started.sourceFileName == before.sourceFileName &&
                        started.resultFileName == before.resultFileName,
                    "the older layout changed the brushes or the file names");
  }
  return problems.Text();
}

// ---- Settings ----

const WindowBounds kScreenBounds{48, 27, 1824, 1026};

// A script file: refused with a reason naming line 1 or 2, or read into a grid within the limits,
// every problem naming a line of the file; a complete script is written back and read again as
// the same grid.
std::string CheckScriptText(std::span<const std::uint8_t> input) {
  const std::string_view text = AsText(input);
  const ScriptReadResult read = ReadScriptText(text);
  Problems problems;
  const long long lines = std::count(text.begin(), text.end(), '\n') + 1;
  for (const std::string& problem : read.problems) {
    long long line = -1;
    if (problem.rfind("line ", 0) == 0) line = std::atoll(problem.c_str() + 5);
    problems.Expect(line >= 1 && line <= lines + 1, "a problem that names no line of the file: " + problem);
  }
  if (!read.readable) {
    problems.Expect(!read.problems.empty(), "a refusal without a reason");
    problems.Expect(read.grid.Columns() == 0 && read.grid.Rows() == 0, "a refused file left a grid");
    return problems.Text();
  }
  problems.Expect(read.grid.Columns() >= 1 && read.grid.Columns() <= ScriptGrid::kMaxColumns &&
                      read.grid.Rows() >= 1 && read.grid.Rows() <= ScriptGrid::kMaxRows,
                  "a grid of " + std::to_string(read.grid.Columns()) + " x " + std::to_string(read.grid.Rows()));
  problems.Expect(read.complete || !read.problems.empty(), "a script cut short without a word");
  if (read.complete) {
    const ScriptReadResult again = ReadScriptText(WriteScriptText(read.grid));
    problems.Expect(again.complete && again.grid == read.grid, "the grid written back reads differently");
  }
  return problems.Text();
}

std::string CheckSettingsText(std::span<const std::uint8_t> input) {
  const Settings read = SettingsFromText(AsText(input), kScreenBounds);
  Problems problems;
  problems.Expect(read.skinNumber >= 1 && read.skinNumber <= 4, "skin " + std::to_string(read.skinNumber));
  const WindowBounds& window = read.window;
  problems.Expect(window.Maximized() ? window.height == -1
                                     : window.width >= kMinWindowWidth && window.height >= kMinWindowHeight,
                  "window " + std::to_string(window.width) + " x " + std::to_string(window.height));
  problems.Expect(read.frame == ClampFrameSettings(read.frame), "frame values outside their ranges");
  problems.Expect(!read.addFrame, "a start switched the frame on");
  const TextSettings& text = read.text;
  problems.Expect(text.positionEntry >= 0 && text.positionEntry < kTextPositionCount,
                  "text position " + std::to_string(text.positionEntry));
  problems.Expect(text.fontSize >= kMinFontSize && text.fontSize <= kMaxFontSize,
                  "font size " + std::to_string(text.fontSize));
  problems.Expect(text.x >= -1 && text.y >= -1, "text position below -1");
  problems.Expect(text.colour <= 0xFFFFFF, "text colour beyond 24 bits");
  problems.Expect(read.textureTileIndex >= -1 && read.textureTileIndex <= 9,
                  "texture tile " + std::to_string(read.textureTileIndex));
  problems.Expect(read.textureListIndex >= -1 && read.textureListIndex <= 2,
                  "texture strength entry " + std::to_string(read.textureListIndex));

  // Whatever was read is written on close and read at the next start: from then on the file
  // must not drift from one run to the next.
  const std::string written = SettingsFileText(read);
  problems.Expect(std::count(written.begin(), written.end(), '\n') == kSettingsLineCount,
                  "the written file does not have " + std::to_string(kSettingsLineCount) + " lines");
  const std::string rewritten = SettingsFileText(SettingsFromText(written, kScreenBounds));
  if (rewritten != written) {
    std::size_t line = 1;
    for (std::size_t i = 0; i < std::min(written.size(), rewritten.size()) && written[i] == rewritten[i]; ++i) {
      line += written[i] == '\n';
    }
    problems.Expect(false, "written settings read back differently from line " + std::to_string(line));
  }
  return problems.Text();
}

// ---- Silent command line ----

// The arguments after "-silent", separated by NUL bytes as the system hands them over.
std::vector<std::string> SplitArguments(std::string_view text) {
  std::vector<std::string> arguments;
  for (std::size_t start = 0; start <= text.size();) {
    const std::size_t end = std::min(text.find('\0', start), text.size());
    arguments.emplace_back(text.substr(start, end - start));
    start = end + 1;
  }
  return arguments;
}

std::string CheckSilentArguments(std::span<const std::uint8_t> input) {
  const std::vector<std::string> arguments = SplitArguments(AsText(input));
  std::string error;
  const std::optional<SilentRequest> request = ParseSilentArguments(arguments, error);
  Problems problems;
  if (!request) {
    problems.Expect(!error.empty(), "a refusal without a reason");
    return problems.Text();
  }
  const ConversionJob& job = request->job;
  problems.Expect(!arguments.empty() && !arguments[0].empty() && job.input == arguments[0],
                  "the source is not the first argument");
  const std::string output = job.output.string();
  problems.Expect(arguments.size() > 1 && output.starts_with(arguments[1]) && output.ends_with(".jpg"),
                  "the output \"" + output + "\" is not the second argument ending in .jpg");
  problems.Expect(job.effectId >= -1 && job.effectId < kEffectCount, "style " + std::to_string(job.effectId));
  if (job.effectId >= 0 && job.effectId < kEffectCount) {
    for (int slot = 0; slot < kSlotCount; ++slot) {
      const int value = job.style.sliders[slot];
      problems.Expect(ClampToSlider(job.effectId, slot, value) == value,
                      "slider " + std::to_string(slot + 1) + " at " + std::to_string(value) + ", outside its range");
    }
  }
  return problems.Text();
}

// ---- Heap ----

#ifdef ATELION_COUNTS_HEAP
std::atomic<std::int64_t> heapInUse{0};
std::atomic<std::int64_t> heapPeak{0};

void CountAllocation(const volatile void*, std::size_t size) {
  const auto bytes = static_cast<std::int64_t>(size);
  const std::int64_t now = heapInUse.fetch_add(bytes) + bytes;
  std::int64_t peak = heapPeak.load();
  while (now > peak && !heapPeak.compare_exchange_weak(peak, now)) {
  }
}

void CountRelease(const volatile void* block) {
  // Blocks from before the hooks were installed were never counted, but are still the allocator's.
  if (block == nullptr || !__sanitizer_get_ownership(block)) return;
  heapInUse.fetch_sub(static_cast<std::int64_t>(__sanitizer_get_allocated_size(block)));
}

// The most heap held at once while `run` runs, beyond what was held before.
template <typename Run>
std::int64_t HeapCost(Run run) {
  static const bool installed = [] {
    const bool done = __sanitizer_install_malloc_and_free_hooks(CountAllocation, CountRelease) != 0;
    if (!done) std::fputs("fuzz checks: no room for another allocator hook, the heap goes unchecked\n", stderr);
    return done;
  }();
  (void)installed;
  const std::int64_t before = heapInUse.load();
  heapPeak.store(before);
  run();
  return heapPeak.load() - before;
}
#else
// Without the sanitizer's allocator there is nothing to count with; the heap goes unchecked.
template <typename Run>
std::int64_t HeapCost(Run run) {
  run();
  return 0;
}
#endif

constexpr std::array kTargets = {
    FuzzTarget{"decode_jpeg", CheckDecodeImage, ImageFormat::Jpeg},
    FuzzTarget{"decode_png", CheckDecodeImage, ImageFormat::Png},
    FuzzTarget{"decode_bmp", CheckDecodeImage, ImageFormat::Bmp},
    FuzzTarget{"decode_gif", CheckDecodeImage, ImageFormat::Gif},
    FuzzTarget{"parameter_file", CheckParameterFile},
    FuzzTarget{"settings_file", CheckSettingsText},
    FuzzTarget{"silent_arguments", CheckSilentArguments},
    FuzzTarget{"script_file", CheckScriptText},
};

}  // namespace

std::span<const FuzzTarget> FuzzTargets() { return kTargets; }

std::string RunFuzzTarget(const FuzzTarget& target, std::span<const std::uint8_t> input) {
  std::string problems;
  const std::int64_t heapCost = HeapCost([&] { problems = target.check(input); });
  if (input.size() < kSmallFileBytes && heapCost > static_cast<std::int64_t>(kSmallFileHeapLimit)) {
    if (!problems.empty()) problems += "; ";
    problems += "a file of " + std::to_string(input.size()) + " bytes took " + std::to_string(heapCost >> 20) +
                " MB of heap (at most " + std::to_string(kSmallFileHeapLimit >> 20) + " MB)";
  }
  return problems;
}

const FuzzTarget* FindFuzzTarget(std::string_view name) {
  const auto found = std::find_if(kTargets.begin(), kTargets.end(), [name](const FuzzTarget& t) { return t.name == name; });
  return found != kTargets.end() ? &*found : nullptr;
}

}  // namespace atelion::fuzz
