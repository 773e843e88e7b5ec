#pragma once
// The escapes that keep any text on one line of a state file and keep its
// blanks at either end (which an INI reader would trim).

#include <QString>

#include <optional>

namespace jexremote {

QString escapeValue(const QString& text);
// Nothing for a backslash that starts no known escape.
std::optional<QString> unescapeValue(const QString& value);

}  // namespace jexremote
