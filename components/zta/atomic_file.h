#pragma once
// Replacing a file's whole content so that the file on disk is always either
// the old one or the complete new one: the content goes to a temporary file
// beside it, synced to disk, which is then renamed over it. Files are written
// owner-only, and never through a symbolic link.

#include <QByteArrayView>
#include <QString>

namespace zta {

// Writes `content` as the file's whole content. A new file is readable and
// writable by its owner only (an INI file may hold passwords); an old one
// keeps its permissions. Failures raise, leaving any
// old file as it was: an empty path 52, a missing folder (or a parent that is
// not a folder) 76, no write permission 70, a full disk 61, a folder or a
// symbolic link in the file's place or any other failure 75.
void writeFileAtomically(const QString& path, QByteArrayView content);

}  // namespace zta
