#pragma once
// What a stored settings field may hold, one row per field in wire order: the
// value a new server starts with and the rule its text must follow. The same
// rules check an update and a state file, so nothing the panel could not have
// sent is ever stored or served.

#include <QString>

#include <array>

#include "exchange/wire/settings_text.h"

namespace jexremote {

enum class FieldKind {
    FreeText,     // any text up to maxLength characters (travels as Base64)
    WholeNumber,  // plain decimal in low..high: a list index, a list entry's number or a check
                  // value
    NumericText,  // a number as the panel reads one, up to maxLength characters
};

struct FieldRule {
    const char* initial;  // a new server's value
    FieldKind kind;
    int low = 0;
    int high = 0;
    int maxLength = 0;  // free and numeric text
};

extern const std::array<FieldRule, kdrsm::wire::kSettingCount> kFieldRules;

// Why `text` is not acceptable for `field`; empty when it is.
QString fieldFault(int field, const QString& text);

}  // namespace jexremote
