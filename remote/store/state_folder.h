#pragma once
// The state folder holds this service's own files only. At start it is walked
// (with the folders below it): leftover replacements a stop left behind are
// removed, and a symbolic link or anything that is neither a file nor a
// folder stops the start, so that no write of the service can be sent
// outside the folder or into a file it did not make.

#include <QString>
#include <QStringList>

#include <optional>

namespace jexremote {

struct FolderCheck {
    std::optional<QString> refusal;  // "PATH: a symbolic link", ...
    QStringList removed;             // the leftover replacements removed
};

// Creates the folder owner-only when missing, makes it owner-only, removes
// leftovers and checks every entry.
FolderCheck checkStateFolder(const QString& folder);

}  // namespace jexremote
