// What the session knows of each server's versions: what its panel was
// handed (a fetch, or its own stored update), and others' changes since.
#include "host/host_session.h"

#include "host/log.h"
#include "host/servers/server_list_model.h"
#include "host/sync/sync_texts.h"
#include "remote/server_manager.h"

namespace jexhost {

// The panel's updates are made from these settings from now on; a change
// marked in the list that they include is no longer news.
void HostSession::settingsHanded(const QString& serverId, const jexlink::Envelope& answer) {
    handed_.insert(serverId, {answer.text, answer.version});
    auto& since = noticesSince_[serverId];
    since.removeIf([&](const jexlink::ChangedNotice& notice) {
        return !answer.version || notice.version <= *answer.version;
    });
    const auto marked = changedVersion_.constFind(serverId);
    if (marked != changedVersion_.cend() && (!answer.version || *answer.version >= *marked)) {
        changedVersion_.erase(marked);
        servers_->setChangeMark(serverId, {});
    }
}

// The form now holds what the stored update made: the panel's next update
// is made from that version, so it never conflicts with its own last one.
// When someone else's change came meanwhile, the update was merged with it
// and the form lacks it: the old base stays, and the merge keeps working.
void HostSession::updateHanded(const QString& serverId, const jexlink::Envelope& answer) {
    const auto handed = handed_.find(serverId);
    if (answer.text != jexremote::kUpdatedAnswer || !answer.version || handed == handed_.end() ||
        changedSinceHanded(serverId))
        return;
    if (!handed->version || *handed->version < *answer.version) handed->version = answer.version;
}

// A notice names its remote's profile: every server of that link and profile
// is marked.
void HostSession::noticeCame(const QString& key, const jexlink::ChangedNotice& notice) {
    qCInfo(lcHost).noquote() << "profile" << notice.profile << "changed to version"
                             << notice.version << "by" << notice.operatorName;
    for (const auto& entry : servers_->servers()) {
        if (linkKey(entry) != key || entry.profile != notice.profile) continue;
        const auto handed = handedVersion(entry.id);
        if (handed && *handed >= notice.version) continue;  // its panel has that already
        changedVersion_.insert(entry.id, notice.version);
        auto& since = noticesSince_[entry.id];
        since.append(notice);
        if (since.size() > 64) since.removeFirst();  // a review names the newest
        servers_->setChangeMark(entry.id, sync::changedMark(notice, QDateTime::currentDateTime()));
        emit changedElsewhere(entry.id, notice);
    }
}

}  // namespace jexhost
