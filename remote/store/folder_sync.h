#pragma once
// A rename is durable only once its folder is on disk too.

#include <QString>

namespace jexremote {

// Flushes the folder's entries to disk. False when it cannot be opened or
// synced.
bool syncFolder(const QString& folder);

}  // namespace jexremote
