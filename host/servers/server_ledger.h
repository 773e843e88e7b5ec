#pragma once
// What the console knows of each server's settings and operator, kept once
// and read by the panel session, the traffic view, the review before an
// update, the conflict bar and the fleet's rows in the traffic view:
// - the settings answer last handed to the server's panel, as it came (an
//   update the console sends again after a conflict is made from it);
// - the version the panel's next update is made from: that answer's, moved
//   on by the panel's own stored updates;
// - the settings last seen, as a snapshot whose passwords are fingerprints
//   (what the traffic view and the review compare an update with);
// - others' changes newer than what the panel was handed, and whether the
//   server is marked for them;
// - the privileges in force for its open panel.
// Widget-free; a server is named by its id in the servers file (a traffic
// view of its own names them as it shows them).

#include <QHash>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

#include <optional>

#include "host/changes/settings_snapshot.h"
#include "link/link_messages.h"

namespace jexhost::servers {

class ServerLedger {
public:
    static constexpr qsizetype kMaxServers = 10000;  // as many as the servers file holds
    static constexpr qsizetype kMaxNotices = 64;     // a review names the newest

    // The panel of `id` was handed a settings answer (neither empty nor
    // "Failed"): its updates are made from it from now on, and the changes
    // it includes are no longer news. True when that ends the server's mark.
    bool handed(const QString& id, const jexlink::Envelope& answer);
    // The panel's update was answered. Stored, the form holds what it made,
    // so the next update is made from its version; unless someone else's
    // change came meanwhile: the update was merged with it, the form lacks
    // it, and the old version keeps the next merge working.
    void stored(const QString& id, const jexlink::Envelope& answer);
    // A settings reply of `id` went by; an empty or "Failed" one leaves the
    // last good one in place.
    void seen(const QString& id, const QString& reply);
    // Someone else stored version `notice.version`. False when the panel was
    // handed that version already (nothing to mark).
    bool noticed(const QString& id, const jexlink::ChangedNotice& notice);
    // `welcome` is in force for the open panel of `id` from now on. None when
    // it is what was in force already; otherwise the privileges it takes away.
    std::optional<QStringList> grant(const QString& id, const jexlink::Welcome& welcome);
    // Its panel closed: no privileges are in force.
    void revoke(const QString& id);
    // The server changed or went: nothing known of it holds any longer.
    void forget(const QString& id);

    QString handedReply(const QString& id) const { return find(id).reply; }
    std::optional<qint64> version(const QString& id) const { return find(id).version; }
    // A fault when no settings were seen.
    changes::Snapshot lastSeen(const QString& id) const { return find(id).seen; }
    bool changedSinceHanded(const QString& id) const { return find(id).marked.has_value(); }
    // Oldest first.
    QList<jexlink::ChangedNotice> noticesSinceHanded(const QString& id) const {
        return find(id).notices;
    }
    const std::optional<jexlink::Welcome>& privileges(const QString& id) const {
        return find(id).privileges;
    }

private:
    struct Entry {
        QString reply;
        std::optional<qint64> version;
        changes::Snapshot seen;
        std::optional<qint64> marked;  // the newest change marked
        QList<jexlink::ChangedNotice> notices;
        std::optional<jexlink::Welcome> privileges;
        quint64 stamp = 0;
    };
    const Entry& find(const QString& id) const;
    // The entry of `id`, made when missing; the one written longest ago goes
    // when the ledger is full.
    Entry& write(const QString& id);

    QHash<QString, Entry> entries_;
    QMap<quint64, QString> order_;  // by last write, oldest first
    quint64 nextStamp_ = 0;
};

}  // namespace jexhost::servers
