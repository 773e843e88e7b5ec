// The undo of a batch: which servers it takes, how each is judged and who
// is named for a conflict.
#include <QJsonArray>
#include <QTimer>

#include <algorithm>

#include "host/fleet/fleet_run_state.h"
#include "host/fleet/undo_judgement.h"
#include "host/relay/link_pool.h"
#include "host/relay/link_traffic.h"
#include "host/servers/servers_file.h"

namespace jexhost::fleet {

namespace model = kdrsm::model;
using servers::ServerEntry;

void FleetRun::undo(const QString& batchId, const QList<ServerEntry>& list) {
    QString error;
    const auto undone = d_->journal ? d_->journal->read(batchId, &error) : std::nullopt;
    if (!undone) {
        d_->rows.clear();
        emit finished(d_->journal ? error : QStringLiteral("no batch journal"));
        return;
    }
    d_->keys = undone->summary.keys;
    d_->record = {};
    d_->record.summary.source = undone->summary.source;
    d_->record.summary.undoes = batchId;
    const QMap<QString, QString> putBack = d_->journal->undoneServers(batchId);
    QList<RunRow> rows;
    QString earlier;
    for (const BatchServer& server : undone->servers) {
        // A damaged line may have been a server the batch applied.
        if (server.outcome != Outcome::Applied && server.damage.isEmpty()) continue;
        if (putBack.contains(server.id)) {
            earlier = putBack.value(server.id);
            continue;
        }
        const auto entry = std::find_if(list.begin(), list.end(),
                                        [&](const ServerEntry& e) { return e.id == server.id; });
        ServerEntry named;
        named.id = server.id;
        named.name = server.name;
        RunRow row{{entry == list.end() ? named : *entry}};
        row.undone = server;
        row.problem = undoProblem(server, d_->keys);
        rows << row;
    }
    if (rows.isEmpty() && !earlier.isEmpty()) {
        d_->rows.clear();
        emit finished(QStringLiteral("batch %1 was undone already (by batch %2); nothing was sent")
                          .arg(batchId, earlier));
        return;
    }
    start(static_cast<int>(RunMode::Undo), std::move(rows));
}

// An undo's judgement of a fetched server; false when it settled it (or
// will, once it knows who made the conflicting changes).
bool FleetRun::judgeUndo(int row, const ServerSettings& current) {
    State& d = *d_;
    ServerOutcome& outcome = d.rows[row].outcome;
    // Its update is made from this version: without one, others' changes
    // made before it lands could not be told from its own.
    if (!outcome.versionBefore) {
        outcome.reason =
            QStringLiteral("%1 sent its settings without their version").arg(outcome.server.remote);
        judged(row, Outcome::Refused);
        return false;
    }
    UndoJudgement judgement = fleet::judgeUndo(current, d.rows[row].undone);
    d.rows[row].desired = std::move(judgement.next);
    outcome.changes = shownChanges(current, d.rows[row].desired);
    if (judgement.conflicts.isEmpty()) return true;
    nameConflicts(row, std::move(judgement.conflicts));
    return false;
}

// Asks the server's history who made each conflicting change since the
// batch; a history that does not come leaves the conflicts unnamed.
void FleetRun::nameConflicts(int row, QList<model::MergeConflict> conflicts) {
    State& d = *d_;
    const ServerEntry& server = d.rows[row].outcome.server;
    QPointer<traffic::TrafficModel> shown = d.traffic;
    const QString request = jexlink::historyRequestMessage(0, server.profile);
    const quint64 shownRow = showLinkMessage(shown, server.name, request, d.batch);
    d.links.sendMessage(
        server.remote, servers::tokenFilePath(server, d.serversFile),
        [profile = server.profile](qint64 id) {
            return jexlink::historyRequestMessage(id, profile);
        },
        [self = QPointer(this), row, conflicts = std::move(conflicts), shown, shownRow](
            const QString& message, LinkFailure failure) {
            const auto answer =
                failure == LinkFailure::None ? jexlink::readHistoryAnswer(message) : std::nullopt;
            const QJsonArray records = answer ? answer->second.records : QJsonArray();
            showLinkAnswer(shown, shownRow, message, failure);
            if (!self) return;
            if (answer && jexlink::isRateLimitReason(answer->second.refusal) &&
                self->d_->rows[row].retries++ < kMaxRetries)
                return QTimer::singleShot(kRetryMs, self, [self, row, conflicts] {
                    self->nameConflicts(row, conflicts);
                });
            ServerOutcome& outcome = self->d_->rows[row].outcome;
            outcome.conflicts =
                namedConflicts(conflicts, records, *self->d_->rows[row].undone.versionAfter);
            outcome.reason = conflictText(outcome.conflicts);
            self->judged(row, Outcome::Conflict);
        });
}

}  // namespace jexhost::fleet
