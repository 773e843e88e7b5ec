#include "remote/audit/settings_changes.h"

#include "exchange/model/settings_difference.h"

namespace jexremote {

namespace {

using kdrsm::model::ChangeKind;
using kdrsm::model::SettingChange;

jexlink::AuditChange auditChange(const SettingChange& change) {
    jexlink::AuditChange audited{change.key};
    const bool wasOn = change.before == u"1", isOn = change.after == u"1";
    switch (change.kind) {
        case ChangeKind::Secret:
            audited.secret = true;
            break;
        case ChangeKind::Value:
            audited.before = change.before;
            audited.after = change.after;
            break;
        case ChangeKind::Restriction:
            audited.entry = change.entry;
            audited.before = wasOn;
            audited.after = isOn;
            break;
        case ChangeKind::EntryAdded:
            audited.entry = change.entry;
            audited.added = true;
            audited.after = isOn;
            break;
        case ChangeKind::EntryRemoved:
            audited.entry = change.entry;
            audited.removed = true;
            audited.before = wasOn;
            break;
    }
    return audited;
}

}  // namespace

QList<jexlink::AuditChange> settingsChanges(const ServerSettings& before,
                                            const ServerSettings& after) {
    QList<jexlink::AuditChange> changes;
    for (const SettingChange& change : kdrsm::model::differences(before, after))
        changes.append(auditChange(change));
    return changes;
}

}  // namespace jexremote
