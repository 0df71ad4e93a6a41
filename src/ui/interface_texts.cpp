#include "ui/interface_texts.h"

#include <QPointer>
#include <vector>

#include "i18n/language_table.h"
#include "i18n/languages.h"

namespace atelion {
namespace {

struct BoundText {
  QPointer<QObject> owner;
  std::function<QString()> text;
  std::function<void(const QString&)> show;
};

// Only the interface thread binds and applies.
std::vector<BoundText>& BoundTexts() {
  static std::vector<BoundText> texts;
  return texts;
}

}  // namespace

QString LanguageLine(int line) {
  const std::string_view text = Text(line);
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString TrimmedLine(int line) { return LanguageLine(line).trimmed(); }

void BindText(QObject* owner, std::function<QString()> text, std::function<void(const QString&)> show) {
  show(text());
  BoundTexts().push_back({owner, std::move(text), std::move(show)});
}

void BindLine(QObject* owner, int line, std::function<void(const QString&)> show) {
  BindText(owner, [line] { return TrimmedLine(line); }, std::move(show));
}

Status ApplyInterfaceLanguage(std::string_view identifier) {
  LanguageTable table;
  if (const Status loaded = LanguageTable::LoadShipped(identifier, table); !loaded) return loaded;
  SetCurrentLanguage(table);
  std::vector<BoundText>& texts = BoundTexts();
  std::erase_if(texts, [](const BoundText& bound) { return bound.owner.isNull(); });
  // Showing a text may bind new ones and move the list: walk the ones there were, by copy.
  const std::size_t count = texts.size();
  for (std::size_t i = 0; i < count; ++i) {
    if (texts[i].owner.isNull()) continue;
    const BoundText bound = texts[i];
    bound.show(bound.text());
  }
  return Status::Ok();
}

std::string CurrentInterfaceLanguage() { return CurrentLanguage().Identifier(); }

std::string StartLanguage(std::string_view stored) {
  if (stored != kNoLanguageChosen && IsKnownLanguage(stored)) return std::string(stored);
  return std::string(DefaultLanguageFromLocale(UserMessagesLocale()));
}

}  // namespace atelion
