#include "i18n/languages.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdlib>
#include <utility>
#include <vector>

namespace atelion {

namespace {

constexpr std::string_view kEnglish = "English";

constexpr std::array<InterfaceLanguage, 26> kLanguages = {{
    {"Chinese", "中文"},
    {"Afrikaans", "Afrikaans"},
    {"Arab", "العربية"},
    {"Catalan", "Català"},
    {"Czech", "Český"},
    {"Danish", "Dansk"},
    {"German", "Deutsch"},
    {"Greek", "Ελληνικά"},
    {"English", "English"},
    {"Spanish", "Español"},
    {"French", "Français"},
    {"Italian", "Italiano"},
    {"Japanese", "日本語"},
    {"Hangul", "한국어/조선말"},
    {"Latvian", "Latviešu valoda"},
    {"Hungarian", "Magyar"},
    {"Dutch", "Nederlands"},
    {"Polish", "Polski"},
    {"Portuguese", "Português"},
    {"Romanian", "Română"},
    {"Russian", "Русский"},
    {"Serbian", "Serbian"},
    {"Slovenian", "Slovenian"},
    {"Finnish", "Suomen"},
    {"Swedish", "Svenska"},
    {"Turkish", "Türkçe"},
}};

struct LcidGroup {
  std::string_view language;
  std::vector<int> lcids;
};

// Searched in this order; the first group holding the identifier wins.
const std::vector<LcidGroup>& LcidGroups() {
  static const std::vector<LcidGroup> groups = {
      {"French", {1036, 2060, 3084, 4108, 5132}},
      {"German", {1031, 3079, 5127, 4103, 2055}},
      {"Italian", {1040, 2064}},
      {"Czech", {1029}},
      {"Polish", {1045}},
      {"Dutch", {1043, 2067}},
      {"Finnish", {1035}},
      {"Russian", {1049, 2073}},
      {"Romanian", {1048, 2072}},
      {"Arab", {1025, 5121, 15361, 3073, 2049, 11265, 13313, 12289, 4097, 6145, 8193, 16385, 10241, 7169, 14337, 9217}},
      {"Spanish", {3082,  1034,  11274, 16394, 13322, 9226,  5130,  7178,  12298, 17418, 4106,
                   18442, 22538, 2058,  19466, 6154,  15370, 10250, 20490, 21514, 14346, 8202}},
      {"Afrikaans", {1078}},
      {"Swedish", {1053, 2077}},
      {"Danish", {1030}},
      {"Greek", {1032}},
      {"Latvian", {1062}},
      {"Hungarian", {1038}},
      {"Turkish", {1055}},
      {"Chinese", {2052, 1028}},
      {"Serbian", {2074, 3098}},
      {"Portuguese", {1046, 2070}},
      {"Japanese", {1041}},
      {"Hangul", {1042}},
      {"Catalan", {1027}},
  };
  return groups;
}

// ISO 639-1 language codes of the languages that have a table. Slovenian ("sl") is left out on
// purpose: like on Windows, it is never picked automatically.
constexpr std::array<std::pair<std::string_view, std::string_view>, 24> kLanguageCodes = {{
    {"af", "Afrikaans"}, {"ar", "Arab"},     {"ca", "Catalan"},    {"cs", "Czech"},   {"da", "Danish"},
    {"de", "German"},    {"el", "Greek"},    {"es", "Spanish"},    {"fi", "Finnish"}, {"fr", "French"},
    {"hu", "Hungarian"}, {"it", "Italian"},  {"ja", "Japanese"},   {"ko", "Hangul"},  {"lv", "Latvian"},
    {"nl", "Dutch"},     {"pl", "Polish"},   {"pt", "Portuguese"}, {"ro", "Romanian"}, {"ru", "Russian"},
    {"sr", "Serbian"},   {"sv", "Swedish"},  {"tr", "Turkish"},    {"zh", "Chinese"},
}};

const InterfaceLanguage* FindLanguage(std::string_view identifier) {
  const auto found = std::find_if(kLanguages.begin(), kLanguages.end(),
                                  [identifier](const InterfaceLanguage& language) { return language.identifier == identifier; });
  return found == kLanguages.end() ? nullptr : &*found;
}

}  // namespace

std::span<const InterfaceLanguage> InterfaceLanguages() { return kLanguages; }

bool IsKnownLanguage(std::string_view identifier) { return FindLanguage(identifier) != nullptr; }

std::string_view MenuNameOf(std::string_view identifier) {
  const InterfaceLanguage* language = FindLanguage(identifier);
  return language != nullptr ? language->menuName : std::string_view();
}

std::filesystem::path LanguageTableFile(std::string_view identifier) {
  return std::filesystem::path("i18n") / (std::string(identifier) + ".txt");
}

std::string_view DefaultLanguageFromLcid(int lcid) {
  for (const LcidGroup& group : LcidGroups()) {
    if (std::find(group.lcids.begin(), group.lcids.end(), lcid) != group.lcids.end()) return group.language;
  }
  return kEnglish;
}

std::string_view DefaultLanguageFromLocale(std::string_view posixLocale) {
  // language[_territory][.codeset][@modifier]; a BCP 47 hyphen is accepted as well.
  const std::size_t end = posixLocale.find_first_of("_-.@");
  const std::string_view code = posixLocale.substr(0, end);
  std::string lowered(code);
  std::transform(lowered.begin(), lowered.end(), lowered.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  for (const auto& [languageCode, language] : kLanguageCodes) {
    if (lowered == languageCode) return language;
  }
  return kEnglish;
}

std::string UserMessagesLocale() {
  for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* value = std::getenv(variable);
    if (value != nullptr && *value != '\0') return value;
  }
  return {};
}

bool IsRightToLeft(std::string_view identifier) { return identifier == "Arab"; }

}  // namespace atelion
