#include "exchange/model/settings_difference.h"

#include <QHash>

#include "exchange/model/setting_names.h"
#include "exchange/model/setting_text.h"

namespace kdrsm::model {

namespace {

bool sameField(int field, const QString& a, const QString& b) {
    if (a == b) return true;
    return !isSecret(field) && shownField(field, a) == shownField(field, b) &&
           !shownField(field, a).startsWith(u'(');
}

void entryChanges(QList<SettingChange>& changes, const char* key, const QList<Restriction>& before,
                  const QList<Restriction>& after) {
    const QString setting = QString::fromLatin1(key);
    QHash<QString, bool> was;
    for (const Restriction& entry : before)
        if (!was.contains(entry.name)) was.insert(entry.name, entry.restricted);
    QHash<QString, bool> now;
    for (const Restriction& entry : after) {
        if (now.contains(entry.name)) continue;
        now.insert(entry.name, entry.restricted);
        const auto old = was.constFind(entry.name);
        if (old == was.cend())
            changes.append(
                {ChangeKind::EntryAdded, setting, -1, entry.name, {}, flagText(entry.restricted)});
        else if (*old != entry.restricted)
            changes.append({ChangeKind::Restriction, setting, -1, entry.name, flagText(*old),
                            flagText(entry.restricted)});
    }
    QHash<QString, bool> gone;
    for (const Restriction& entry : before)
        if (!now.contains(entry.name) && !gone.contains(entry.name)) {
            gone.insert(entry.name, true);
            changes.append({ChangeKind::EntryRemoved,
                            setting,
                            -1,
                            entry.name,
                            flagText(entry.restricted),
                            {}});
        }
}

QString shown(const SettingChange& change, const QString& value) {
    switch (change.kind) {
        case ChangeKind::Secret:
            return kHidden;
        case ChangeKind::Restriction:
        case ChangeKind::EntryAdded:
        case ChangeKind::EntryRemoved:
            return value.isEmpty() ? QString() : restrictionText(value == u"1");
        case ChangeKind::Value:
            break;
    }
    if (change.field < 0) return checkText(value == u"1" ? 1 : 0);  // the auto-load flag
    return oneLine(shownField(change.field, value));
}

}  // namespace

QList<SettingChange> differences(const ServerSettings& before, const ServerSettings& after) {
    QList<SettingChange> changes;
    for (int i = 0; i < kSettingCount; ++i) {
        const QString& was = before.fields[static_cast<size_t>(i)];
        const QString& now = after.fields[static_cast<size_t>(i)];
        if (sameField(i, was, now)) continue;
        if (isSecret(i))
            changes.append({ChangeKind::Secret, settingKey(i), i, {}, {}, {}});
        else
            changes.append({ChangeKind::Value, settingKey(i), i, {}, was, now});
    }
    entryChanges(changes, kRolesKey, before.roles, after.roles);
    entryChanges(changes, kWeaponsKey, before.weapons, after.weapons);
    if (before.autoLoad != after.autoLoad)
        changes.append({ChangeKind::Value,
                        QString::fromLatin1(kAutoLoadKey),
                        -1,
                        {},
                        flagText(before.autoLoad),
                        flagText(after.autoLoad)});
    return changes;
}

QString changeLabel(const SettingChange& change) {
    const QString label = labelOfKey(change.key);
    const bool entry = change.kind == ChangeKind::Restriction ||
                       change.kind == ChangeKind::EntryAdded ||
                       change.kind == ChangeKind::EntryRemoved;
    return entry ? label + QStringLiteral(": ") + oneLine(change.entry, 100) : label;
}

QString shownBefore(const SettingChange& change) {
    return shown(change, change.before);
}

QString shownAfter(const SettingChange& change) {
    return shown(change, change.after);
}

QString changeText(const SettingChange& change) {
    const QString label = changeLabel(change);
    switch (change.kind) {
        case ChangeKind::Secret:
            return label + QStringLiteral(" changed");
        case ChangeKind::EntryAdded:
            return label + QStringLiteral(" added, ") + shownAfter(change);
        case ChangeKind::EntryRemoved:
            return label + QStringLiteral(" removed");
        default:
            return label + u' ' + shownBefore(change) + QStringLiteral(" -> ") + shownAfter(change);
    }
}

QStringList changedKeys(const QList<SettingChange>& changes) {
    QStringList keys;
    for (const SettingChange& change : changes)
        if (!keys.contains(change.key)) keys << change.key;
    return keys;
}

}  // namespace kdrsm::model
