#pragma once
// How a name or value is spelled in an INI line so that reading the line
// gives it back exactly (the rule is described in ini_file.h).

#include <QString>

namespace zta::ini_quoting {

// The spelling of a key: the key itself when a plain line holds it, else
// the quoted form.
QString keyText(const QString& key);

// The spelling of a value: the value itself when a plain line holds it,
// else the quoted form.
QString valueText(const QString& value);

// The name or value that a spelling stands for: the inside of a well-formed
// quoted form with its escapes undone, else the spelling itself.
QString readBack(const QString& spelling);

}  // namespace zta::ini_quoting
