#include "clsMemory.h"

#include <QByteArray>

#include "jex/boundary.h"
#include "jex/convert.h"
#include "jex/error.h"

namespace wob {

namespace {

bool isLayout(QChar c) {
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n';
}

// The encoded characters without layout; anything outside ASCII cannot be
// Base64 and makes the whole text invalid.
QByteArray encodedBytes(const QString& encoded) {
    QByteArray bytes;
    bytes.reserve(encoded.size());
    for (const QChar c : encoded) {
        if (isLayout(c)) continue;
        if (c.unicode() > 0x7F) jex::raise(jex::err::InvalidCall);
        bytes.append(static_cast<char>(c.unicode()));
    }
    return bytes;
}

}  // namespace

clsMemory::clsMemory(QObject* parent) : QObject(parent) {}

QString clsMemory::Enc64(const QString& text) const {
    return jex::boundary([&] { return QString::fromLatin1(text.toUtf8().toBase64()); });
}

QString clsMemory::Dec64(const QString& encoded) const {
    return jex::boundary([&] {
        const QByteArray bytes = encodedBytes(encoded);
        // Every group of four characters is complete: Enc64 always pads.
        if (bytes.size() % 4 != 0) jex::raise(jex::err::InvalidCall);
        const auto decoded = QByteArray::fromBase64Encoding(
            bytes, QByteArray::Base64Encoding | QByteArray::AbortOnBase64DecodingErrors);
        if (!decoded) jex::raise(jex::err::InvalidCall);
        return jex::textFromBytes(*decoded);
    });
}

}  // namespace wob
