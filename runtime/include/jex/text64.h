#pragma once
// Free text as it travels between the panel and the server manager: Base64
// of the text's UTF-8 bytes. Encoding always pads; decoding ignores layout
// (spaces, tabs, line breaks) between the characters, wants complete groups
// of four, and reads the bytes back as UTF-8 (Latin-1 when they are not).

#include <QString>

#include <optional>

#include "jex/export.h"

namespace jex {

JEX_RUNTIME_EXPORT QString encodeText64(const QString& text);

// Nothing when the text is not Base64 as the encoder writes it.
JEX_RUNTIME_EXPORT std::optional<QString> decodeText64(QStringView encoded);

}  // namespace jex
