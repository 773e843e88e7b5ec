// What the session tells the ledger of each server's versions: what its panel
// was handed (a fetch, or its own stored update), and others' changes since.
#include "host/host_session.h"

#include "host/log.h"
#include "host/servers/server_list_model.h"
#include "host/sync/sync_texts.h"

namespace jexhost {

// A notice names its remote's profile: every server of that link and profile
// whose panel lacks that version is marked.
void HostSession::noticeCame(const QString& key, const jexlink::ChangedNotice& notice) {
    qCInfo(lcHost).noquote() << "profile" << notice.profile << "changed to version"
                             << notice.version << "by" << notice.operatorName;
    for (const auto& entry : servers_->servers()) {
        if (linkKey(entry) != key || entry.profile != notice.profile) continue;
        if (!ledger_.noticed(entry.id, notice)) continue;  // its panel has that already
        servers_->setChangeMark(entry.id, sync::changedMark(notice, QDateTime::currentDateTime()));
        emit changedElsewhere(entry.id, notice);
    }
}

// The traffic view names servers as the list shows them; names are unique.
QString HostSession::idOfName(const QString& name) const {
    for (int row = 0; row < servers_->rowCount(); ++row)
        if (servers_->server(row).name == name) return servers_->server(row).id;
    return {};
}

}  // namespace jexhost
