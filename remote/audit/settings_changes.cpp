#include "remote/audit/settings_changes.h"

#include <QJsonObject>

#include "exchange/wire/field_captions.h"
#include "remote/validation/field_rules.h"

namespace jexremote {

namespace {

const QString kSetting = QStringLiteral("setting");
const QString kOld = QStringLiteral("old");
const QString kNew = QStringLiteral("new");

void addListChanges(QJsonArray& changes, const QString& setting, const QList<Restriction>& before,
                    const QList<Restriction>& after) {
    const QString entry = QStringLiteral("entry");
    auto find = [](const QList<Restriction>& list, const QString& name) -> const Restriction* {
        for (const Restriction& r : list)
            if (r.name == name) return &r;
        return nullptr;
    };
    for (const Restriction& now : after) {
        const Restriction* was = find(before, now.name);
        if (!was)
            changes.append(QJsonObject{{kSetting, setting},
                                       {entry, now.name},
                                       {QStringLiteral("added"), true},
                                       {kNew, now.restricted}});
        else if (was->restricted != now.restricted)
            changes.append(QJsonObject{{kSetting, setting},
                                       {entry, now.name},
                                       {kOld, was->restricted},
                                       {kNew, now.restricted}});
    }
    for (const Restriction& was : before)
        if (!find(after, was.name))
            changes.append(QJsonObject{{kSetting, setting},
                                       {entry, was.name},
                                       {QStringLiteral("removed"), true},
                                       {kOld, was.restricted}});
}

}  // namespace

// The server, blue team and red team passwords, as the wire's caption table marks them.
bool isSecretField(int field) {
    return field >= 0 && field < int(kdrsm::wire::kFieldCaptions.size()) &&
           kdrsm::wire::kFieldCaptions[field].secret;
}

QJsonArray settingsChanges(const ServerSettings& before, const ServerSettings& after) {
    QJsonArray changes;
    for (int i = 0; i < kdrsm::wire::kReplyFieldCount; ++i) {
        if (before.fields[i] == after.fields[i]) continue;
        if (isSecretField(i))
            changes.append(
                QJsonObject{{kSetting, settingName(i)}, {QStringLiteral("changed"), true}});
        else
            changes.append(QJsonObject{
                {kSetting, settingName(i)}, {kOld, before.fields[i]}, {kNew, after.fields[i]}});
    }
    addListChanges(changes, QStringLiteral("Roles"), before.roles, after.roles);
    addListChanges(changes, QStringLiteral("Weapons"), before.weapons, after.weapons);
    if (before.autoLoad != after.autoLoad)
        changes.append(QJsonObject{{kSetting, QStringLiteral("AutoLoad")},
                                   {kOld, before.autoLoad ? "1" : "0"},
                                   {kNew, after.autoLoad ? "1" : "0"}});
    return changes;
}

}  // namespace jexremote
