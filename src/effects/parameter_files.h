// Parameter files (".atp"): all slider settings of all styles, the chosen catalogue row, the
// custom brush pictures of Painting 4 and the names of the source and result files, as lines of
// text. Saving writes the whole file or nothing; loading is tolerant of short, old and damaged
// files, so a file that was cut off still restores what it holds.
//
// Nothing here shows a dialog or a message: the functions return what they found and the
// desktop shell decides what to select, ask and show.
#pragma once

#include <array>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/status.h"
#include "styles/catalogue.h"

namespace atelion {

/// The extension of parameter files and the name proposed when saving.
inline constexpr std::string_view kParameterFileExtension = ".atp";
inline constexpr std::string_view kProposedParameterFileName = "Params.atp";

/// Section headers that follow the parameter sets and the catalogue row.
inline constexpr std::string_view kCustomBrushesHeader = "[Custom brushes - Painting 4]";
inline constexpr std::string_view kFileNamesHeader = "[Source and result filenames]";

/// The message for a parameter file that does not exist.
inline constexpr std::string_view kFileNotFoundMessage = "File not found";
/// Asked after two or more custom brushes were loaded (the 16 leading blanks belong to it).
inline constexpr std::string_view kOptimiseBrushesQuestion = "                Optimize brushes?";

/// Everything a parameter file holds.
struct ParameterFile {
  /// The current values of every style, indexed by `EffectId`, in slot order.
  std::array<ParameterSet, kEffectCount> sets{};
  /// The selected row of the all-styles list. Files may hold any number here.
  int catalogueIndex = kStartCatalogueIndex;
  /// Full paths of the custom brush pictures of Painting 4, in the order of the brush list.
  std::vector<std::string> customBrushes;
  /// `SourceFileName` and `ResultFileName`; either may be empty.
  std::string sourceFileName;
  std::string resultFileName;

  /// The current values of `tables` and the given catalogue row; the brushes and file names
  /// are left empty for the caller to fill in.
  static ParameterFile FromTables(const ParameterTables& tables, int catalogueIndex);
  /// Copies the 32 sets into the current values of `tables`.
  void ApplyTo(ParameterTables& tables) const;

  /// The catalogue row to select, or none when the stored number is not a row of the list
  /// (the list then has no selection and no caption can be taken from it).
  std::optional<int> SelectedCatalogueIndex() const;
};

/// Appends ".atp" unless the name already ends in exactly ".atp" (case-sensitive, so
/// "x.ATP" becomes "x.ATP.atp").
std::string EnsureParameterExtension(std::string name);

/// Whether a program argument names a parameter file: it ends in ".atp" in any case.
bool IsParameterFileArgument(std::string_view argument);

/// Reads a whole number the way parameter files have always been read: blanks around it are
/// ignored; then an optional sign and either decimal digits or hexadecimal digits after "$",
/// "0x" or "0X". Hexadecimal may use all 32 bits ("$FFFFFFFF" is −1); a decimal number must fit
/// a 32-bit signed integer. Anything else, the empty text included, gives `fallback`.
int ParseParameterInteger(std::string_view text, int fallback);
/// The same reading; none for text that is not such a number.
std::optional<int> ReadParameterInteger(std::string_view text);

/// Writes the file: for each style "[i]" and its five values, the catalogue row, the brush
/// header, one line per brush path, the file-name header and the two names, every line ended
/// by CR LF. The file is written beside the target under a temporary name, flushed to disk and
/// renamed over the target, so on failure an existing file is left as it was. The error names
/// the path and the reason. A brush path or file name with a line break is refused, since it
/// would split into lines that read back as something else.
Status SaveParameterFile(const std::filesystem::path& path, const ParameterFile& file);

/// Decides whether a custom brush picture can be used; the default checks the picture's header
/// (ProbeImageFile) without decoding it.
using BrushPictureCheck = std::function<Status(const std::string& path)>;

/// What a load found besides the values it stored.
struct ParameterFileLoad {
  /// Ok, or "File not found" exactly for a missing file (the path is in `path`), or a message
  /// naming the path and the reason when the file exists but cannot be read.
  Status status = Status::Ok();
  std::string path;
  /// Sets 0 .. setsRead − 1 came from the file; the others kept their values.
  int setsRead = 0;
  /// The file has a custom brush section; only then was the brush list replaced.
  bool brushSectionFound = false;
  /// Brush paths whose pictures could not be read, in file order, with the reasons. They were
  /// skipped; the readable brushes after them were still taken.
  std::vector<std::string> unreadableBrushes;
  std::vector<std::string> unreadableBrushReasons;
  /// The file has a file-name section; without it both names are empty.
  bool fileNamesFound = false;

  /// A custom Painting 4 brush came from this file (the last readable one is the current brush).
  bool CustomBrushLoaded(const ParameterFile& loaded) const {
    return brushSectionFound && !loaded.customBrushes.empty();
  }
  /// Two or more brushes were loaded, so the user is asked whether to optimise them.
  bool AskToOptimiseBrushes(const ParameterFile& loaded) const {
    return brushSectionFound && loaded.customBrushes.size() >= 2;
  }
};

/// Reads a parameter file into `into`, which should hold the current state: the sets the file
/// does not reach keep the values they have there.
///
/// Reading rules, kept for every file ever written: the line starts as "0"; a line past the end
/// of the file leaves the previous line's text in place. For each style in turn a line starting
/// with "[" is a set header (the number inside is not read) followed by five values; a line
/// that is empty or starts otherwise ends the sets and is itself the catalogue row. After all
/// 32 sets the next line is the catalogue row. Values that are not numbers become 0.
///
/// Then, when the next line is the brush header, the brush list is replaced by the paths up to
/// the file-name header or the end of the file; blank lines are ignored, and a path whose
/// picture `check` refuses is reported in the result and skipped. Without the brush header the
/// brush list is left as it was. When the file-name header follows, the next two lines are the
/// source and result names (a line missing at the end of the file gives an empty name, so a cut
/// file never names the source picture twice); without the header both names are empty.
///
/// A file that does not begin as a parameter file does (its first line a set header, "[0]" as
/// written, or a whole number: the catalogue row of a file without sets) is refused with a message
/// that says it is not a parameter file: an empty file, a picture, a file of zeros or other text.
///
/// Accepts LF or CR LF endings. On an error `into` is unchanged.
ParameterFileLoad LoadParameterFile(const std::filesystem::path& path, ParameterFile& into,
                                    const BrushPictureCheck& check = {});

/// What reading a parameter file given at start-up found.
struct StartupParameterLoad {
  Status status = Status::Ok();
  std::string path;
  /// The file begins with a set header and was read as `LoadParameterFile` reads; `current`
  /// then tells what that load found.
  bool currentLayout = false;
  ParameterFileLoad current;
  /// Older layout: the captions read for catalogue rows 0 .. captions.size() − 1.
  std::vector<std::string> captions;
};

/// Reads a parameter file named on the command line. The older layout is groups of five lines:
/// the caption of catalogue row i, then slots 1 to 4 of set i (slot 5 keeps its value). Reading
/// stops at the end of the file or after the last catalogue row, so a long file never reaches
/// past the 40 rows or the 32 sets: groups for rows 32..39 give captions only. Value lines
/// missing at the end of the file leave their slots unchanged. A file whose first line starts
/// with "[" is in the layout that `SaveParameterFile` writes and is read with the rules of
/// `LoadParameterFile` instead. A file that begins neither as `LoadParameterFile` requires nor
/// with a second line that is a whole number (the first value of the older layout) is refused
/// as not being a parameter file.
StartupParameterLoad LoadStartupParameterFile(const std::filesystem::path& path, ParameterFile& into,
                                              const BrushPictureCheck& check = {});

}  // namespace atelion
