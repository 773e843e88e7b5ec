#pragma once
// What a fleet run keeps while it runs, shared by the files that make it.

#include <QList>
#include <QPointer>
#include <QString>
#include <QStringList>

#include "host/fleet/fleet_run.h"
#include "host/traffic/traffic_model.h"
#include "link/link_words.h"

namespace jexhost::fleet {

enum class RunMode { Preview, Apply, Undo };

// A request refused by the remote side's rate limit only
// (jexlink::isRateLimitReason) is sent again after a second, for at most a minute: a
// remote side lets an operator only so many updates a second.
inline constexpr int kRetryMs = 1000;
inline constexpr int kMaxRetries = 60;

// "Max Players (theirs 20 by bob, yours 24)", one per setting.
QString conflictText(const QList<jexlink::Conflict>& conflicts);

// One server of a run, from its fetch to its answer.
struct RunRow {
    ServerOutcome outcome;
    ServerSettings current = {};  // as fetched
    ServerSettings desired = {};  // what the server is sent
    bool toSend = false;
    int retries = 0;          // of its requests refused by a rate limit
    BatchServer undone = {};  // an undo's: the batch's record of the server
    QString problem = {};     // an undo's: why that record cannot be undone
};

struct FleetRun::State {
    LinkPool& links;
    QString serversFile;
    const BatchJournal* journal;
    RunMode mode = RunMode::Preview;
    SettingsSource source = SettingsSource::fromSettings({}, {});
    QStringList keys;
    bool leaveOutForbidden = false;
    QString batch;
    BatchRecord record;  // of an apply or undo
    QPointer<traffic::TrafficModel> traffic;
    QList<RunRow> rows;
    int waiting = 0;  // requests of the current phase not answered yet
    int done = 0;

    State(LinkPool& pool, QString file, const BatchJournal* batches)
        : links(pool), serversFile(std::move(file)), journal(batches) {}
};

}  // namespace jexhost::fleet
