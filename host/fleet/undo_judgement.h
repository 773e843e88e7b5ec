#pragma once
// How an undo judges one server of the batch it undoes. The server's
// settings now meet the batch's record of it by the model's three-way merge:
// the batch's values after are the base, its values before are the undo's
// own, what the server holds now is theirs. A chosen setting still as the
// batch left it goes back; one already back stays; one someone changed
// since is a conflict, never overwritten. Settings the batch did not choose
// are the server's as they are now, whatever the record says.

#include <QJsonArray>
#include <QList>
#include <QString>
#include <QStringList>

#include "exchange/model/server_settings.h"
#include "exchange/model/settings_merge.h"
#include "host/fleet/batch_journal.h"
#include "link/link_messages.h"

namespace jexhost::fleet {

// Why the batch's record of this server cannot be undone: damaged, no
// version the batch made, or values of settings the batch did not choose.
// Empty for a sound record.
QString undoProblem(const BatchServer& server, const QStringList& keys);

struct UndoJudgement {
    kdrsm::model::ServerSettings next;  // what the server is sent; meaningful without conflicts
    QList<kdrsm::model::MergeConflict> conflicts;
};

UndoJudgement judgeUndo(const kdrsm::model::ServerSettings& now, const BatchServer& batch);

// The conflicts in the form's words, each naming who made the change: the
// newest of the history `records` (newest first, as the remote side sends
// them) made after `since` that changed that setting.
QList<jexlink::Conflict> namedConflicts(const QList<kdrsm::model::MergeConflict>& conflicts,
                                        const QJsonArray& records, qint64 since);

}  // namespace jexhost::fleet
