#include "jex/text64.h"

#include <QByteArray>

#include "jex/convert.h"

namespace jex {

namespace {

bool isLayout(QChar c) {
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n';
}

}  // namespace

QString encodeText64(const QString& text) {
    return QString::fromLatin1(text.toUtf8().toBase64());
}

std::optional<QString> decodeText64(QStringView encoded) {
    QByteArray bytes;
    bytes.reserve(encoded.size());
    for (const QChar c : encoded) {
        if (isLayout(c)) continue;
        // Anything outside ASCII cannot be Base64 and spoils the whole text.
        if (c.unicode() > 0x7F) return std::nullopt;
        bytes.append(static_cast<char>(c.unicode()));
    }
    if (bytes.size() % 4 != 0) return std::nullopt;
    const auto decoded = QByteArray::fromBase64Encoding(
        bytes, QByteArray::Base64Encoding | QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded) return std::nullopt;
    return textFromBytes(*decoded);
}

}  // namespace jex
