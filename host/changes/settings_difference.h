#pragma once
// What a settings update changes against the settings last fetched, in the
// form's words (see exchange/model/settings_difference.h), as the traffic
// view, the review before an update and the console's notices show it. The
// console keeps settings only as snapshots: every password replaced by a
// keyed fingerprint whose key lives in this process alone, so a password
// only ever "changed" and its text, in any encoding, is in no snapshot.

#include <QList>
#include <QString>
#include <QStringList>

#include "exchange/model/server_settings.h"
#include "exchange/model/settings_difference.h"

namespace jexhost::changes {

inline const QString kNothingChanged = QStringLiteral("No settings changed");

using kdrsm::model::ChangeKind;
using kdrsm::model::SettingChange;

// Settings with their passwords as fingerprints, or why they could not be read.
using Snapshot = kdrsm::model::Read<kdrsm::model::ServerSettings>;

Snapshot snapshotOf(kdrsm::model::Read<kdrsm::model::ServerSettings> settings);
// A settings reply ("GetSettingsRem" answer).
Snapshot snapshotOfReply(const QString& reply);
// An update body ("SetSettingsRem" data) applied to the settings last fetched.
Snapshot snapshotOfUpdate(const QString& body, const Snapshot& lastFetched);

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
