#pragma once
// Changes to a token file from the command line: an operator added with a new
// random token, or removed by name. Every other line stays as it was; the
// file is replaced atomically and stays readable by its owner only. Changes
// take turns (a lock on FILE.lock beside it, from reading to renaming), and
// each is read back after its rename. A running service notices the change by
// itself.

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

namespace jexremote {

struct NewOperator {
    QString name;
    bool superAdmin = false;
    // Short names of the privileges granted (the others are not):
    // session, players, dedicated, skins, novalogin, control.
    QStringList privileges;
};

// The short names of every privilege, in the token file's order.
QStringList allPrivileges();

// A new random token of 43 URL-safe characters.
QString newToken();

// Makes `text` the token file's whole content: owner-only, written, flushed
// and synced to a temporary file, then renamed over it.
bool writeTokenFile(const QString& path, const QByteArray& text, QString* error);

// Appends a line for `who` with a new token (creating the file when missing)
// and returns the token. Nothing, with the reason, when the name is not a
// valid one, is taken, a privilege is unknown, or the file is refused.
std::optional<QString> addOperator(const QString& path, const NewOperator& who, QString* error);

// Removes the lines of operator `name`. False, with the reason, when there is
// none, when no operator would be left, or when the file is refused.
bool removeOperator(const QString& path, const QString& name, QString* error);

}  // namespace jexremote
