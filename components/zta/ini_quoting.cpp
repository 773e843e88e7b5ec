#include "ini_quoting.h"

#include <optional>

namespace zta::ini_quoting {

namespace {

bool isBlank(QChar c) {
    return c == u' ' || c == u'\t';
}

bool isControl(QChar c) {
    return c.unicode() < 0x20 || c.unicode() == 0x7F;
}

// A surrogate that is not half of a pair cannot be written as UTF-8.
bool isLoneSurrogate(const QString& text, qsizetype i) {
    const QChar c = text[i];
    if (c.isHighSurrogate()) return i + 1 >= text.size() || !text[i + 1].isLowSurrogate();
    if (c.isLowSurrogate()) return i == 0 || !text[i - 1].isHighSurrogate();
    return false;
}

// True when a plain line would not give the text back: outer blanks are cut
// off, a control character breaks or hides in the line, a lone surrogate is
// lost in UTF-8, and a leading quote would read as the quoted form.
bool plainLoses(const QString& text) {
    if (text.isEmpty()) return false;
    if (isBlank(text.front()) || isBlank(text.back()) || text.front() == u'"') return true;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (isControl(text[i]) || isLoneSurrogate(text, i)) return true;
    }
    return false;
}

// The escapes of one letter after a backslash, and what they stand for.
struct ShortEscape {
    char16_t unit;
    char16_t letter;
};
constexpr ShortEscape kShortEscapes[] = {{u'\\', u'\\'}, {u'"', u'"'},  {u'\n', u'n'},
                                         {u'\r', u'r'},  {u'\t', u't'}, {0, u'0'}};

std::optional<char16_t> letterFor(char16_t unit) {
    for (const ShortEscape& e : kShortEscapes)
        if (e.unit == unit) return e.letter;
    return std::nullopt;
}

std::optional<char16_t> unitFor(char16_t letter) {
    for (const ShortEscape& e : kShortEscapes)
        if (e.letter == letter) return e.unit;
    return std::nullopt;
}

QString hex(char16_t unit, int digits) {
    return QString::number(unit, 16).toUpper().rightJustified(digits, u'0');
}

QString quoted(const QString& text, bool escapeEquals) {
    QString out;
    out.reserve(text.size() + 2);
    out += u'"';
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (const std::optional<char16_t> letter = letterFor(c.unicode()))
            (out += u'\\') += QChar(*letter);
        else if (isControl(c) || (escapeEquals && c == u'='))
            out += QStringLiteral("\\x") + hex(c.unicode(), 2);
        else if (isLoneSurrogate(text, i))
            out += QStringLiteral("\\u") + hex(c.unicode(), 4);
        else
            out += c;
    }
    out += u'"';
    return out;
}

int hexDigit(QChar c) {
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9') return u - u'0';
    if (u >= u'a' && u <= u'f') return u - u'a' + 10;
    if (u >= u'A' && u <= u'F') return u - u'A' + 10;
    return -1;
}

// The code unit that `digits` hex digits at `at` give, or nothing.
std::optional<char16_t> hexAt(const QString& text, qsizetype at, qsizetype end, int digits) {
    if (at + digits > end) return std::nullopt;
    char16_t unit = 0;
    for (int i = 0; i < digits; ++i) {
        const int digit = hexDigit(text[at + i]);
        if (digit < 0) return std::nullopt;
        unit = static_cast<char16_t>(unit * 16 + digit);
    }
    return unit;
}

}  // namespace

QString keyText(const QString& key) {
    const bool lost = key.isEmpty() || plainLoses(key) || key.contains(u'=') ||
                      key.front() == u'[' || key.front() == u';' || key.front() == u'#';
    return lost ? quoted(key, true) : key;
}

QString valueText(const QString& value) {
    return plainLoses(value) ? quoted(value, false) : value;
}

QString readBack(const QString& spelling) {
    const qsizetype end = spelling.size() - 1;  // the closing quote
    if (spelling.size() < 2 || spelling.front() != u'"' || spelling.back() != u'"') return spelling;
    QString text;
    text.reserve(end - 1);
    for (qsizetype i = 1; i < end; ++i) {
        const QChar c = spelling[i];
        if (c == u'"') return spelling;  // an inner quote is never written bare
        if (c != u'\\') {
            text += c;
            continue;
        }
        if (++i == end) return spelling;
        const char16_t letter = spelling[i].unicode();
        std::optional<char16_t> unit = unitFor(letter);
        if (letter == u'x' || letter == u'u') {
            const int digits = letter == u'x' ? 2 : 4;
            unit = hexAt(spelling, i + 1, end, digits);
            i += digits;
        }
        if (!unit) return spelling;  // not an escape of ours: an older plain value
        text += QChar(*unit);
    }
    return text;
}

}  // namespace zta::ini_quoting
