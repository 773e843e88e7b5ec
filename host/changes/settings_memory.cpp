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

Snapshot SettingsMemory::lastFetched(const QString& server) const {
    const auto it = std::find_if(snapshots_.cbegin(), snapshots_.cend(),
                                 [&](const auto& entry) { return entry.first == server; });
    if (it == snapshots_.cend())
        return kdrsm::model::Fault{-1, {}, QStringLiteral("no settings fetched from this server")};
    return it->second;
}

SettingsDifference SettingsMemory::differenceFor(const QString& server,
                                                 const QString& updateBody) const {
    const Snapshot last = lastFetched(server);
    return compare(last, snapshotOfUpdate(updateBody, last));
}

}  // namespace jexhost::changes
