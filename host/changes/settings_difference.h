#pragma once
// What a settings update changes against the settings last fetched, in the
// form's words (see exchange/model/settings_difference.h), as the traffic
// view, the review before an update and the console's notices show it. Both
// sides are snapshots (see settings_snapshot.h), so a password only ever
// "changed".

#include <QList>
#include <QString>
#include <QStringList>

#include "exchange/model/settings_difference.h"
#include "host/changes/settings_snapshot.h"

namespace jexhost::changes {

inline const QString kNothingChanged = QStringLiteral("No settings changed");

using kdrsm::model::ChangeKind;
using kdrsm::model::SettingChange;

struct SettingsDifference {
    QString error;  // not empty: the two could not be compared, and why
    QList<SettingChange> changes;
    int omittedWeapons = 0;  // weapon changes beyond the shown bound

    bool comparable() const { return error.isEmpty(); }
};

SettingsDifference compare(const Snapshot& before, const Snapshot& after);

// One line per change; "No settings changed"; or "cannot compare: <reason>".
QStringList differenceLines(const SettingsDifference& difference);
// "3 changes", "No settings changed" or "cannot compare: <reason>".
QString differenceSummary(const SettingsDifference& difference);

}  // namespace jexhost::changes
