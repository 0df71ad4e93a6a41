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

  /// The English table, read once from the shipped table file.
  static const LanguageTable& English();

  /// Reads a table file: UTF-8, one line per entry, in table order. A shorter table
  /// falls back to English for the lines it lacks.
  static Status Load(const std::filesystem::path& path, LanguageTable& table);

  /// Line `index` (0..243); English for a line this table lacks; empty outside the table.
  std::string_view Line(int index) const;

  const std::string& Identifier() const { return identifier_; }

 private:
  std::string identifier_;
  std::vector<std::string> lines_;
};

/// Shorthand for a line of the current language (English until another is applied).
std::string_view Text(int line);

}  // namespace atelion
