#pragma once
// The settings last fetched for each server, kept as snapshots (passwords as
// fingerprints only), so that an update can be compared with them before it
// is sent and in the traffic view.

#include <QList>
#include <QString>

#include <utility>

#include "host/changes/settings_difference.h"

namespace jexhost::changes {

class SettingsMemory {
public:
    static constexpr qsizetype kMaxServers = 256;

    // A settings reply arrived from `server`; an empty or "Failed" one
    // leaves the last good snapshot in place.
    void remember(const QString& server, const QString& settingsReply);
    void forget(const QString& server);
    void clear() { snapshots_.clear(); }

    // The settings last fetched from `server`; a fault when there are none.
    Snapshot lastFetched(const QString& server) const;

    // The update `updateBody` against the settings last fetched from `server`.
    SettingsDifference differenceFor(const QString& server, const QString& updateBody) const;

private:
    // Oldest first; a server fetched again moves to the end.
    QList<std::pair<QString, Snapshot>> snapshots_;
};

}  // namespace jexhost::changes
