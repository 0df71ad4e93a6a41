// The interface languages: their identifiers (stored in the settings file and used to find
// their tables), their Language-menu names, and the language chosen at the very first start
// from the user's locale.
#pragma once

#include <filesystem>
#include <span>
#include <string>
#include <string_view>

namespace atelion {

/// One interface language: the short English word stored in the settings, and the name the
/// Language menu shows, in the language itself.
struct InterfaceLanguage {
  std::string_view identifier;
  std::string_view menuName;
};

/// The value stored in the settings while no language has been chosen yet.
inline constexpr std::string_view kNoLanguageChosen = "void";

/// The 26 interface languages in the order of the Language menu (sorted by their own names).
std::span<const InterfaceLanguage> InterfaceLanguages();

/// True for one of the 26 identifiers (case-sensitive, as stored).
bool IsKnownLanguage(std::string_view identifier);

/// The Language-menu name of an identifier; empty for an unknown identifier.
std::string_view MenuNameOf(std::string_view identifier);

/// Where a language's table lies, relative to the resources folder: "i18n/<identifier>.txt".
std::filesystem::path LanguageTableFile(std::string_view identifier);

/// The language for a Windows locale identifier (decimal LCID); "English" for any other
/// value. Slovenian is never chosen this way.
std::string_view DefaultLanguageFromLcid(int lcid);

/// The language for a POSIX locale name such as "fr_CA.UTF-8", "sr_RS@latin" or "pt_BR":
/// chosen by its language code, whatever the territory. "C", "POSIX", an empty name and any
/// language without a table give "English"; Slovenian is never chosen this way.
std::string_view DefaultLanguageFromLocale(std::string_view posixLocale);

/// The user's locale for messages as the environment gives it: LC_ALL, else LC_MESSAGES,
/// else LANG (the first one set and not empty); empty when none is.
std::string UserMessagesLocale();

/// True for languages that read from right to left; the main window and its menu turn round.
bool IsRightToLeft(std::string_view identifier);

}  // namespace atelion
