#pragma once
// The conversion rules the panel depends on, in one place: numbers read from
// text, rounding halves to even, 16-bit range checks, number comparison,
// integer division, splitting and trimming.

#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <optional>

#include "jex/export.h"

namespace jex {

// Reads a decimal number: leading and trailing blanks, an optional sign,
// digits with an optional decimal point, an optional exponent (E or D).
// Anything else, including blank text, gives nothing.
JEX_RUNTIME_EXPORT std::optional<double> parseNumber(QStringView text);

// True when parseNumber reads the text (blank text is not numeric).
JEX_RUNTIME_EXPORT bool isNumeric(QStringView text);

// Rounds to the nearest whole number, halves to the even neighbour.
JEX_RUNTIME_EXPORT double roundHalfEven(double value);

// Text to a number; not a number raises 13.
JEX_RUNTIME_EXPORT double toDouble(QStringView text);

// To a 16-bit integer: rounded halves to even; out of range raises 6,
// text that is not a number raises 13.
JEX_RUNTIME_EXPORT qint16 toInteger(double value);
JEX_RUNTIME_EXPORT qint16 toInteger(QStringView text);

// To a 32-bit integer, with the same rules.
JEX_RUNTIME_EXPORT qint32 toLong(double value);
JEX_RUNTIME_EXPORT qint32 toLong(QStringView text);

// Converts a variant the way a comparison with a number does: numbers as they
// are, True as -1 and False as 0, Empty as 0, text read as a number (a text
// that is not a number raises 13), anything else raises 13.
JEX_RUNTIME_EXPORT double numberOf(const QVariant& value);

// value = number, compared as numbers (raises like numberOf).
JEX_RUNTIME_EXPORT bool equalsNumber(const QVariant& value, double number);

// Integer division that rounds both operands to whole numbers first (halves
// to even), then divides dropping the remainder. A zero divisor raises 11.
JEX_RUNTIME_EXPORT qint32 integerDivide(double dividend, double divisor);

// Splits on a separator of any length, with no limit on the number of pieces.
// Empty text gives no pieces; an empty separator gives the whole text.
JEX_RUNTIME_EXPORT QStringList split(const QString& text, const QString& separator);

// Piece `index` of a split text; outside the pieces raises 9.
JEX_RUNTIME_EXPORT const QString& pieceAt(const QStringList& pieces, qsizetype index);

// Removes blanks (spaces, not other white space) from both ends.
JEX_RUNTIME_EXPORT QString trimBlanks(const QString& text);

// True for empty text or text of spaces only.
JEX_RUNTIME_EXPORT bool isBlank(const QString& text);

// Text from stored bytes: UTF-8, or Latin-1 when the bytes are not valid
// UTF-8 (files and fields written by older programs in a one-byte encoding).
JEX_RUNTIME_EXPORT QString textFromBytes(QByteArrayView bytes);

}  // namespace jex
