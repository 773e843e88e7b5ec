#include "host/changes/settings_memory.h"

#include <algorithm>

namespace jexhost::changes {

void SettingsMemory::remember(const QString& server, const QString& settingsReply) {
    if (settingsReply.isEmpty() || settingsReply == QStringLiteral("Failed")) return;
    forget(server);
    if (snapshots_.size() >= kMaxServers) snapshots_.removeFirst();
    snapshots_.append({server, snapshotOfReply(settingsReply)});
}

void SettingsMemory::forget(const QString& server) {
    snapshots_.removeIf([&](const auto& entry) { return entry.first == server; });
}

SettingsDifference SettingsMemory::differenceFor(const QString& server,
                                                 const QString& updateBody) const {
    const auto it = std::find_if(snapshots_.cbegin(), snapshots_.cend(),
                                 [&](const auto& entry) { return entry.first == server; });
    if (it == snapshots_.cend()) {
        SettingsDifference none;
        none.error = QStringLiteral("no settings fetched from this server");
        return none;
    }
    return compare(it->second, snapshotOfUpdate(updateBody));
}

}  // namespace jexhost::changes
