#include "host/servers/server_ledger.h"

#include "link/privilege_names.h"
#include "remote/server_manager.h"

namespace jexhost::servers {

namespace {

bool grants(const jexlink::Welcome& welcome, const QString& privilege) {
    if (welcome.superAdmin) return true;
    for (const auto& [name, value] : welcome.privileges)
        if (name == privilege) return value != 0;
    return false;
}

}  // namespace

const ServerLedger::Entry& ServerLedger::find(const QString& id) const {
    static const Entry none;
    const auto it = entries_.constFind(id);
    return it == entries_.cend() ? none : *it;
}

ServerLedger::Entry& ServerLedger::write(const QString& id) {
    auto it = entries_.find(id);
    if (it == entries_.end()) {
        if (entries_.size() >= kMaxServers) entries_.remove(order_.take(order_.firstKey()));
        it = entries_.insert(id, Entry{});
    } else {
        order_.remove(it->stamp);
    }
    it->stamp = nextStamp_++;
    order_.insert(it->stamp, id);
    return *it;
}

bool ServerLedger::handed(const QString& id, const jexlink::Envelope& answer) {
    Entry& entry = write(id);
    entry.reply = answer.text;
    entry.version = answer.version;
    entry.seen = changes::snapshotOfReply(answer.text);
    entry.notices.removeIf([&](const jexlink::ChangedNotice& notice) {
        return !answer.version || notice.version <= *answer.version;
    });
    if (!entry.marked || (answer.version && *answer.version < *entry.marked)) return false;
    entry.marked.reset();
    return true;
}

void ServerLedger::stored(const QString& id, const jexlink::Envelope& answer) {
    const auto it = entries_.find(id);
    if (answer.text != jexremote::kUpdatedAnswer || !answer.version || it == entries_.end() ||
        it->reply.isEmpty() || it->marked)
        return;
    if (!it->version || *it->version < *answer.version) it->version = answer.version;
}

void ServerLedger::seen(const QString& id, const QString& reply) {
    if (id.isEmpty() || reply.isEmpty() || reply == jexremote::kFailedAnswer) return;
    write(id).seen = changes::snapshotOfReply(reply);
}

bool ServerLedger::noticed(const QString& id, const jexlink::ChangedNotice& notice) {
    const auto handed = version(id);
    if (handed && *handed >= notice.version) return false;
    Entry& entry = write(id);
    entry.marked = notice.version;
    entry.notices.append(notice);
    if (entry.notices.size() > kMaxNotices) entry.notices.removeFirst();
    return true;
}

std::optional<QStringList> ServerLedger::grant(const QString& id, const jexlink::Welcome& welcome) {
    Entry& entry = write(id);
    if (entry.privileges == welcome) return std::nullopt;
    QStringList lowered;
    for (const char* name : jexlink::kPrivilegeNames)
        if (entry.privileges && grants(*entry.privileges, QString::fromLatin1(name)) &&
            !grants(welcome, QString::fromLatin1(name)))
            lowered << QString::fromLatin1(name);
    entry.privileges = welcome;
    return lowered;
}

void ServerLedger::revoke(const QString& id) {
    const auto it = entries_.find(id);
    if (it != entries_.end()) it->privileges.reset();
}

void ServerLedger::forget(const QString& id) {
    const auto it = entries_.constFind(id);
    if (it == entries_.cend()) return;
    order_.remove(it->stamp);
    entries_.erase(it);
}

}  // namespace jexhost::servers
