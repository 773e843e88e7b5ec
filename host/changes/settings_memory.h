#pragma once
// The settings last fetched for each server, kept as snapshots (passwords as
// fingerprints only), so that an update can be compared with them before it
// is sent and in the traffic view.

#include <QHash>
#include <QMap>
#include <QString>

#include "host/changes/settings_difference.h"

namespace jexhost::changes {

class SettingsMemory {
public:
    static constexpr qsizetype kMaxServers = 10000;  // as many as the servers file holds

    // A settings reply arrived from `server`; an empty or "Failed" one
    // leaves the last good snapshot in place.
    void remember(const QString& server, const QString& settingsReply);
    void forget(const QString& server);
    void clear() {
        snapshots_.clear();
        order_.clear();
    }

    // The settings last fetched from `server`; a fault when there are none.
    Snapshot lastFetched(const QString& server) const;

private:
    struct Kept {
        Snapshot snapshot;
        quint64 stamp = 0;
    };
    // Looked up by server; the order of fetches (oldest first) says which
    // one goes when the memory is full.
    QHash<QString, Kept> snapshots_;
    QMap<quint64, QString> order_;
    quint64 nextStamp_ = 0;
};

}  // namespace jexhost::changes
