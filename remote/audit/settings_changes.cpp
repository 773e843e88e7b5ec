#include "remote/audit/settings_changes.h"

#include <QJsonObject>

#include "exchange/model/settings_difference.h"

namespace jexremote {

namespace {

using kdrsm::model::ChangeKind;
using kdrsm::model::SettingChange;

const QString kOld = QStringLiteral("old");
const QString kNew = QStringLiteral("new");

QJsonObject record(const SettingChange& change) {
    QJsonObject object{{QStringLiteral("setting"), change.key}};
    switch (change.kind) {
        case ChangeKind::Secret:
            object.insert(QStringLiteral("changed"), true);
            break;
        case ChangeKind::Value:
            object.insert(kOld, change.before);
            object.insert(kNew, change.after);
            break;
        case ChangeKind::Restriction:
            object.insert(QStringLiteral("entry"), change.entry);
            object.insert(kOld, change.before == u"1");
            object.insert(kNew, change.after == u"1");
            break;
        case ChangeKind::EntryAdded:
            object.insert(QStringLiteral("entry"), change.entry);
            object.insert(QStringLiteral("added"), true);
            object.insert(kNew, change.after == u"1");
            break;
        case ChangeKind::EntryRemoved:
            object.insert(QStringLiteral("entry"), change.entry);
            object.insert(QStringLiteral("removed"), true);
            object.insert(kOld, change.before == u"1");
            break;
    }
    return object;
}

}  // namespace

QJsonArray settingsChanges(const ServerSettings& before, const ServerSettings& after) {
    QJsonArray changes;
    for (const SettingChange& change : kdrsm::model::differences(before, after))
        changes.append(record(change));
    return changes;
}

}  // namespace jexremote
