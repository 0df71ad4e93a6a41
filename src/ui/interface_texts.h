// The interface language of the open windows. Every text a window takes from the language table
// is tied here to the line it comes from, so that choosing another language re-labels every open
// window at once, without touching pictures, parameters or history.
#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <string>
#include <string_view>

#include "core/status.h"

namespace atelion {

/// Line `line` of the current language, as Qt shows it.
QString LanguageLine(int line);
/// The same without the blanks some lines keep at their ends.
QString TrimmedLine(int line);

/// Shows `text()` through `show` now and again after every change of language, for as long as
/// `owner` lives. Call it from the interface thread.
void BindText(QObject* owner, std::function<QString()> text, std::function<void(const QString&)> show);
/// Shorthand for a text that is one line of the table, shown trimmed.
void BindLine(QObject* owner, int line, std::function<void(const QString&)> show);

/// Makes the table of `identifier` current and re-labels every bound text. When the table cannot
/// be read nothing changes and the problem is returned.
Status ApplyInterfaceLanguage(std::string_view identifier);

/// The identifier of the language now shown ("English" until another is applied).
std::string CurrentInterfaceLanguage();

/// The language a start applies: the stored one, or at the very first start (stored "void" or
/// an identifier this version does not know) the one the user's locale asks for.
std::string StartLanguage(std::string_view stored);

}  // namespace atelion
