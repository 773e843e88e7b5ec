#pragma once
// One fleet operation over the console's links: a preview, an apply or the
// undo of a batch. Every server is fetched (its settings and their version),
// then judged before anything is sent: nothing to change, a guarded setting
// its operator may not change, or cannot be reached. An apply then records
// the batch and sends each server an update built from its own fetched
// settings with only the chosen settings replaced, its version as base and
// the batch id; once stored, the server is fetched again for the version the
// batch made. Requests travel pipelined on each link; one server's failure
// never stops the others. An update the remote side refuses for its rate
// limit alone is sent again a second later, for at most a minute.
//
// An undo puts back, on each server of the batch that was applied, the
// chosen settings that still hold the batch's values (see undo_judgement.h);
// one changed since by someone else is a conflict naming who changed it,
// never overwritten. Its update is made from the version fetched now, so the
// remote side's merge also refuses a change that comes between the fetch
// and the update, and keeps every setting the batch did not choose as it is
// then. A server whose record is damaged, names no version or holds values
// of settings the batch did not choose is refused without a request; a
// server an earlier undo put back is left out. Every request shows in the
// traffic view when the run is given one, marked with the batch.

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

#include "exchange/model/settings_merge.h"
#include "host/fleet/batch_journal.h"
#include "host/fleet/fleet_outcome.h"
#include "host/fleet/fleet_settings.h"
#include "host/link/remote_link.h"
#include "host/servers/server_entry.h"

namespace jexhost {
class LinkPool;
namespace traffic {
class TrafficModel;
}
}  // namespace jexhost

namespace jexhost::fleet {

struct RunRow;

// One server's settings as fetched: nothing with the reason when they could
// not be.
struct Fetched {
    std::optional<ServerSettings> settings;
    std::optional<qint64> version;
    QString reason;
    bool refused = false;  // answered, but the remote side does not manage the profile
};
using FetchCallback = std::function<void(const Fetched& fetched)>;

class FleetRun : public QObject {
    Q_OBJECT
public:
    // `serversFile` places the servers' token files; `journal` keeps the
    // batches (a preview needs none).
    FleetRun(LinkPool& links, QString serversFile, const BatchJournal* journal,
             QObject* parent = nullptr);
    ~FleetRun() override;

    // The traffic view its requests show in; none by default.
    void setTraffic(traffic::TrafficModel* traffic);
    // Whether a server whose operator lacks the privilege for a chosen
    // setting still gets the chosen settings it may change (its outcome
    // says which were left out) rather than being refused; off by default.
    void setLeaveOutForbidden(bool leaveOut);

    // Fetches one server's settings (Copy settings takes its source so).
    void fetch(const servers::ServerEntry& server, FetchCallback done);

    // Fetches and judges every server, sends nothing: the outcomes are
    // DryRun (would change), Unchanged, Refused or Unreachable.
    void preview(const QList<servers::ServerEntry>& servers, const SettingsSource& source,
                 const QStringList& keys);
    // The same, then records a batch and sends the updates.
    void apply(const QList<servers::ServerEntry>& servers, const SettingsSource& source,
               const QStringList& keys);
    // Undoes a recorded batch on the servers of `list` (by id) that it
    // applied and no earlier undo put back; the undo is a batch of its own.
    // When an earlier undo put back every one, nothing is sent and the run
    // finishes with the reason.
    void undo(const QString& batchId, const QList<servers::ServerEntry>& list);

    // The run's batch id; empty for a preview (and until an apply records).
    const QString& batchId() const;
    // One per server, in the order given (an undo: the batch's order).
    QList<ServerOutcome> outcomes() const;

signals:
    // A server's outcome settled; `row` indexes outcomes().
    void serverFinished(int row, const jexhost::fleet::ServerOutcome& outcome);
    void progress(int done, int total);
    // Every server settled. `error` is empty, or why the run stopped before
    // sending anything (the batch could not be recorded, the batch to undo
    // cannot be read) or why its final record could not be written.
    void finished(const QString& error);

private:
    static QList<RunRow> rowsOf(const QList<servers::ServerEntry>& servers);
    void start(int mode, QList<RunRow> rows);
    void judge(int row, const Fetched& fetched);
    bool judgeUndo(int row, const ServerSettings& current);
    void nameConflicts(int row, QList<kdrsm::model::MergeConflict> conflicts);
    // Sends one request text, shown in the traffic view with the run's batch.
    void carry(const servers::ServerEntry& server, const QString& text, std::optional<qint64> base,
               bool update, std::function<void(const QString&, LinkFailure)> onReply);
    void judged(int row, Outcome outcome);
    void settle(int row, Outcome outcome);
    void fetchedAll();
    void send(int row);
    void answered(int row, const QString& message, LinkFailure failure);
    void sentDone(int row, Outcome outcome);
    void end(const QString& error);

    struct State;
    std::unique_ptr<State> d_;
};

}  // namespace jexhost::fleet
