#pragma once
// What changed between two settings values, setting by setting in the order
// of the fields, then the roles, the weapons and the auto-load flag; and the
// same in the form's words ("Max Players: 16 -> 24", "Password: changed",
// "Weapon Restrictions: M4 unrestricted -> restricted"). Everything that
// tells an operator or a log what changed uses it: the console's traffic
// view and review, the history, the remote side's audit trail and log.

#include <QList>
#include <QString>
#include <QStringList>

#include "exchange/model/server_settings.h"

namespace kdrsm::model {

enum class ChangeKind {
    Value,         // a field or the auto-load flag: `before` -> `after`, as stored
    Secret,        // a password changed; `before` and `after` stay empty
    Restriction,   // a role or weapon: its flag `before` -> `after` ("0"/"1")
    EntryAdded,    // a weapon only `after` has; `after` is its flag
    EntryRemoved,  // a weapon only `before` has; `before` is its flag
};

struct SettingChange {
    ChangeKind kind = ChangeKind::Value;
    QString key;     // "Players", "Roles", "Weapons", "AutoLoad"
    int field = -1;  // the field of a field's change
    QString entry;   // the role or weapon
    QString before;
    QString after;

    friend bool operator==(const SettingChange&, const SettingChange&) = default;
};

// Two list or check values the form shows alike (" 23 " and "23") are no
// change.
QList<SettingChange> differences(const ServerSettings& before, const ServerSettings& after);

// The setting's caption, with the entry for a role or weapon:
// "Max Players:", "Weapon Restrictions: M4".
QString changeLabel(const SettingChange& change);
// The values as the form shows them (one line each, bounded).
QString shownBefore(const SettingChange& change);
QString shownAfter(const SettingChange& change);
// "Max Players: 16 -> 24", "Password: changed", "Weapon Restrictions: M4 added, restricted".
QString changeText(const SettingChange& change);

// The keys the changes touch, each once, in order: "Players", "Weapons".
QStringList changedKeys(const QList<SettingChange>& changes);

}  // namespace kdrsm::model
