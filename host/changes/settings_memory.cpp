#include "host/changes/settings_memory.h"

namespace jexhost::changes {

void SettingsMemory::remember(const QString& server, const QString& settingsReply) {
    if (settingsReply.isEmpty() || settingsReply == QStringLiteral("Failed")) return;
    forget(server);
    if (snapshots_.size() >= kMaxServers) snapshots_.remove(order_.take(order_.firstKey()));
    const quint64 stamp = nextStamp_++;
    snapshots_.insert(server, {snapshotOfReply(settingsReply), stamp});
    order_.insert(stamp, server);
}

void SettingsMemory::forget(const QString& server) {
    const auto it = snapshots_.constFind(server);
    if (it == snapshots_.cend()) return;
    order_.remove(it->stamp);
    snapshots_.erase(it);
}

Snapshot SettingsMemory::lastFetched(const QString& server) const {
    const auto it = snapshots_.constFind(server);
    if (it == snapshots_.cend())
        return kdrsm::model::Fault{-1, {}, QStringLiteral("no settings fetched from this server")};
    return it->snapshot;
}

}  // namespace jexhost::changes
