#pragma once
// What must hold for any text that reaches the wire readers, whatever its
// bytes. Each check returns an empty text when the input keeps every
// property, otherwise a description of the one it broke; the fuzz targets
// abort on a description. What a given text reads as is written out by hand
// in tests/wire.

#include <QByteArrayView>
#include <QString>

namespace kdrsm::wire::properties {

// Input bytes as the readers see them.
QString textFromInput(QByteArrayView bytes);

// Splitting a settings reply and reading every field of section 0 raises
// nothing but 6 (overflow) and 13 (not a number).
QString checkSettingsReply(const QString& text);

// A text that parses as a request rebuilds to itself.
QString checkRequestText(const QString& text);

// A text that parses as an update body joins back to itself.
QString checkUpdateBody(const QString& text);

// Blanks around a number do not change it, the integer conversions raise
// only 6 or 13, and a text that fits an Integer reads the same as a Long.
QString checkNumbers(const QString& text);

}  // namespace kdrsm::wire::properties
