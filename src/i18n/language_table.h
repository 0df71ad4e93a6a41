// The interface texts: every user-visible line comes from a language table of 244 lines,
// the same order in every language. English is the reference and the fallback.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "core/status.h"

namespace atelion {

class LanguageTable {
 public:
  static constexpr int kLineCount = 244;

  /// The English table, read once from the shipped table file. Throws std::runtime_error
  /// when the file is missing or incomplete: the installation is broken.
  static const LanguageTable& English();

  /// Reads a table file: UTF-8, one line per entry, in table order. A shorter table
  /// falls back to English for the lines it lacks.
  /// LF or CR LF line ends and a leading byte-order mark are accepted; an empty line counts
  /// as a missing one; lines after the 244th are ignored. The identifier is the file name
  /// without its extension ("French.txt" gives "French").
  static Status Load(const std::filesystem::path& path, LanguageTable& table);

  /// Reads the shipped table of a language ("i18n/<identifier>.txt" in the resources).
  static Status LoadShipped(std::string_view identifier, LanguageTable& table);

  /// Line `index` (0..243); English for a line this table lacks; empty outside the table.
  std::string_view Line(int index) const;

  const std::string& Identifier() const { return identifier_; }

  /// How many lines the table file itself supplied (the rest come from English).
  int TranslatedLineCount() const { return translatedLineCount_; }

  friend bool operator==(const LanguageTable&, const LanguageTable&) = default;

 private:
  static LanguageTable ReadEnglish();

  std::string identifier_;
  std::vector<std::string> lines_;
  int translatedLineCount_ = 0;
};

/// Makes `table` the current language for `Text`. Texts handed out earlier stay valid:
/// every table that was ever current is kept for the rest of the run (there are few).
void SetCurrentLanguage(const LanguageTable& table);

/// The current language table (English until another is applied).
const LanguageTable& CurrentLanguage();

/// Shorthand for a line of the current language (English until another is applied).
std::string_view Text(int line);

}  // namespace atelion
