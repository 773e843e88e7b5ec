#pragma once
// What the fleet dialogs say of one server, in the operator's words: what
// would change ("Max Players: 16 -> 24; Password: changed"), what the
// preview found before anything is sent, and what the run did.

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

#include "host/fleet/fleet_outcome.h"

namespace jexhost::fleet_ui {

// The changes one after another, "; " between them; empty for none.
QString changesText(const QList<fleet::ShownChange>& changes);
// The preview's verdict: "will change", "nothing changes", "refused: ...",
// "unreachable: ...", "fetching…" while waiting.
QString previewText(const fleet::ServerOutcome& outcome);
// The run's verdict: "applied", "unchanged", "refused: ...", "conflict: ...",
// "unreachable: ...", "sending…" while waiting.
QString outcomeText(const fleet::ServerOutcome& outcome);
// Whether the verdict is one the operator has to look at.
bool isTrouble(fleet::Outcome outcome);
// "8 applied, 1 refused, 1 unreachable", in the order of the outcomes (a
// preview's "3 will change").
QString countsText(const QMap<fleet::Outcome, int>& counts);
// The captions of preset keys ("Players" -> "Max Players"), in the order given.
QStringList settingLabels(const QStringList& keys);

}  // namespace jexhost::fleet_ui
