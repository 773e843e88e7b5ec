#pragma once
// What the remote side knows about each settings field beyond its wire form:
// the value a fresh server starts with and, for numbers, the accepted range.
// Rows follow the wire order of kdrsm::wire::kWireFields.

#include <QString>

#include <array>

#include "exchange/wire/settings_text.h"

namespace jexremote {

struct FieldRule {
    const char* initial;  // in the reply's convention; free text stored plain
    int min;              // accepted whole numbers, when min <= max
    int max;
    bool ranged() const { return min <= max; }
};

extern const std::array<FieldRule, kdrsm::wire::kReplyFieldCount> kFieldRules;

// The key of field `index` in the state file: the control name without "sav".
QString fieldKey(int index);

}  // namespace jexremote
