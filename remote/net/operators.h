#pragma once
// The operators a token file admits. One operator per line, fields separated
// by blanks:
//   TOKEN NAME SUPERADMIN SESSION PLAYERS DEDICATED SKINS NOVALOGIN [CONTROL]
// SUPERADMIN is 1 or 0; the next five are the operator's values of the five
// privileges (0: not granted) in the order of jexlink::kPrivilegeNames;
// CONTROL, 1 or 0 (0 when left out), grants the control of game servers,
// which a super-administrator has anyway. A
// file whose only line is a bare TOKEN admits one super-administrator named
// "admin". Blank lines and lines starting with "#" are skipped. Tokens are
// 16 to 256 printable characters without blanks; neither a token nor a name
// may be there twice.

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

#include "link/link_messages.h"

namespace jexremote {

struct Operator {
    QByteArray tokenDigest;  // SHA-256 of the token; the token itself is not kept
    jexlink::Welcome welcome;
    bool operator==(const Operator&) const = default;
};

inline constexpr qint64 kMaxTokenFileBytes = 64 * 1024;

// The operators of a token file's text; nothing, with the line at fault in
// `error` (never its token), when a line is not an operator line.
std::optional<QList<Operator>> parseTokenFile(const QByteArray& text, const QString& fileName,
                                              QString* error);

// What a token file holds, and why it cannot be taken as it is.
struct TokenFileReading {
    enum class Trouble { None, Gone, NoOperator, OpenToOthers, Broken };
    Trouble trouble = Trouble::None;
    QString error;              // why, when there is trouble (never a token)
    QList<Operator> operators;  // the file's; also when it is open to others
};

// Reads a token file whatever its mode: one open to others is read all the
// same (its removals can be trusted, nothing else in it).
TokenFileReading inspectTokenFile(const QString& path);

// Reads a token file, which must be readable by its owner only.
std::optional<QList<Operator>> readTokenFile(const QString& path, QString* error);

// The operator whose token `presented` is; every token is compared, in time
// that does not depend on where the texts differ.
const Operator* operatorWithToken(const QList<Operator>& operators, const QString& presented);
// The operator whose token has this digest.
const Operator* operatorWithDigest(const QList<Operator>& operators, const QByteArray& digest);

}  // namespace jexremote
