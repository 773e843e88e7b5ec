#pragma once
// One settings field as it arrives on the wire: free text decoded from
// Base64, and whether a list or check field is a number the panel takes.

#include <QString>

#include <optional>

#include "exchange/model/server_settings.h"

namespace kdrsm::model {

// The text of a free-text field.
Read<QString> decodedField(int field, const QString& encoded);

// Why a list or check field is not a number the panel's form takes; nothing
// for one that is, and for every other field.
std::optional<Fault> numberFault(int field, const QString& text);

}  // namespace kdrsm::model
