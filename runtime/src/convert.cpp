#include "jex/convert.h"

#include <QStringDecoder>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>

#include "jex/error.h"

namespace jex {

namespace {
bool isAsciiDigit(QChar c) {
    return c.unicode() >= u'0' && c.unicode() <= u'9';
}
}  // namespace

std::optional<double> parseNumber(QStringView text) {
    qsizetype i = 0;
    qsizetype end = text.size();
    while (i < end && text[i] == u' ') ++i;
    while (end > i && text[end - 1] == u' ') --end;
    if (i == end) return std::nullopt;

    // Validate the shape first, then let strtod (in the C locale's form)
    // do the exact decimal conversion.
    std::string digits;
    digits.reserve(static_cast<size_t>(end - i) + 1);
    if (text[i] == u'+' || text[i] == u'-') digits += static_cast<char>(text[i++].unicode());
    qsizetype mantissaDigits = 0;
    while (i < end && isAsciiDigit(text[i])) {
        digits += static_cast<char>(text[i++].unicode());
        ++mantissaDigits;
    }
    if (i < end && text[i] == u'.') {
        digits += '.';
        ++i;
        while (i < end && isAsciiDigit(text[i])) {
            digits += static_cast<char>(text[i++].unicode());
            ++mantissaDigits;
        }
    }
    if (mantissaDigits == 0) return std::nullopt;
    if (i < end && (text[i] == u'e' || text[i] == u'E' || text[i] == u'd' || text[i] == u'D')) {
        digits += 'e';
        ++i;
        if (i < end && (text[i] == u'+' || text[i] == u'-'))
            digits += static_cast<char>(text[i++].unicode());
        qsizetype exponentDigits = 0;
        while (i < end && isAsciiDigit(text[i])) {
            digits += static_cast<char>(text[i++].unicode());
            ++exponentDigits;
        }
        if (exponentDigits == 0) return std::nullopt;
    }
    if (i != end) return std::nullopt;
    const double value = std::strtod(digits.c_str(), nullptr);
    if (!std::isfinite(value)) return std::nullopt;
    return value;
}

bool isNumeric(QStringView text) {
    return parseNumber(text).has_value();
}

double roundHalfEven(double value) {
    return std::nearbyint(value);
}

double toDouble(QStringView text) {
    const auto value = parseNumber(text);
    if (!value) raise(err::TypeMismatch);
    return *value;
}

qint16 toInteger(double value) {
    const double rounded = roundHalfEven(value);
    if (!(rounded >= std::numeric_limits<qint16>::min() &&
          rounded <= std::numeric_limits<qint16>::max()))
        raise(err::Overflow);
    return static_cast<qint16>(rounded);
}

qint16 toInteger(QStringView text) {
    return toInteger(toDouble(text));
}

qint32 toLong(double value) {
    const double rounded = roundHalfEven(value);
    if (!(rounded >= std::numeric_limits<qint32>::min() &&
          rounded <= std::numeric_limits<qint32>::max()))
        raise(err::Overflow);
    return static_cast<qint32>(rounded);
}

qint32 toLong(QStringView text) {
    return toLong(toDouble(text));
}

double numberOf(const QVariant& value) {
    if (!value.isValid()) return 0.0;
    switch (value.metaType().id()) {
        case QMetaType::Bool:
            return value.toBool() ? -1.0 : 0.0;
        case QMetaType::QString:
            return toDouble(value.toString());
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::Short:
        case QMetaType::UShort:
        case QMetaType::Long:
        case QMetaType::ULong:
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
        case QMetaType::Char:
        case QMetaType::SChar:
        case QMetaType::UChar:
        case QMetaType::Double:
        case QMetaType::Float:
            return value.toDouble();
        default:
            raise(err::TypeMismatch);
    }
}

bool equalsNumber(const QVariant& value, double number) {
    return numberOf(value) == number;
}

qint32 integerDivide(double dividend, double divisor) {
    const qint32 a = toLong(dividend);
    const qint32 b = toLong(divisor);
    if (b == 0) raise(err::DivisionByZero);
    if (a == std::numeric_limits<qint32>::min() && b == -1) raise(err::Overflow);
    return a / b;
}

QStringList split(const QString& text, const QString& separator) {
    if (text.isEmpty()) return {};
    if (separator.isEmpty()) return {text};
    return text.split(separator, Qt::KeepEmptyParts, Qt::CaseSensitive);
}

const QString& pieceAt(const QStringList& pieces, qsizetype index) {
    if (index < 0 || index >= pieces.size()) raise(err::SubscriptOutOfRange);
    return pieces[index];
}

QString trimBlanks(const QString& text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text[begin] == u' ') ++begin;
    while (end > begin && text[end - 1] == u' ') --end;
    return text.mid(begin, end - begin);
}

bool isBlank(const QString& text) {
    return trimBlanks(text).isEmpty();
}

QString textFromBytes(QByteArrayView bytes) {
    // Stateless, so that a sequence cut off at the end counts as an error;
    // a leading byte-order mark is part of the text and kept.
    QStringDecoder utf8(QStringDecoder::Utf8,
                        QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError()) return text;
    return QString::fromLatin1(bytes);
}

}  // namespace jex
