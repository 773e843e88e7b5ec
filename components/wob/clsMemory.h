#pragma once
// Base64 encoding of text, used for the free-text fields that travel over
// the remote link (the separators of the wire text never occur in Base64).

#include <QObject>
#include <QString>

namespace wob {

class clsMemory final : public QObject {
    Q_OBJECT
public:
    explicit clsMemory(QObject* parent = nullptr);

    // The text's UTF-8 bytes in Base64 (RFC 4648 alphabet, with padding).
    Q_INVOKABLE QString Enc64(const QString& text) const;

    // The inverse of Enc64. Blanks, tabs and line breaks are ignored, since
    // encoders often wrap long output; any other character outside the
    // alphabet, a misplaced or missing pad or a cut-off group raises 5.
    // Decoded bytes that are not UTF-8 are read as Latin-1, the encoding of
    // older counterparts.
    Q_INVOKABLE QString Dec64(const QString& encoded) const;
};

}  // namespace wob
