#include "host/fleet/fleet_run.h"

#include <QDateTime>
#include <QPointer>
#include <QTimer>

#include <algorithm>

#include "exchange/model/settings_reply.h"
#include "exchange/model/settings_update.h"
#include "exchange/wire/request.h"
#include "host/fleet/fleet_run_state.h"
#include "host/fleet/server_judgement.h"
#include "host/log.h"
#include "host/relay/link_pool.h"
#include "host/relay/link_traffic.h"
#include "host/servers/servers_file.h"
#include "host/traffic/traffic_model.h"

namespace jexhost::fleet {

namespace model = kdrsm::model;
namespace wire = kdrsm::wire;
using servers::ServerEntry;

// "Max Players (theirs 20 by bob, yours 24)", one per setting.
QString conflictText(const QList<jexlink::Conflict>& conflicts) {
    QStringList parts;
    for (const jexlink::Conflict& conflict : conflicts) {
        const QString setting = model::captionWords(conflict.setting);
        QString part = QStringLiteral("%1 (theirs %2").arg(setting, conflict.theirs);
        if (!conflict.operatorName.isEmpty())
            part += QStringLiteral(" by ") + conflict.operatorName;
        parts << part + QStringLiteral(", yours %1)").arg(conflict.yours);
    }
    return QStringLiteral("changed by someone else: ") + parts.join(QStringLiteral("; "));
}

FleetRun::FleetRun(LinkPool& links, QString serversFile, const BatchJournal* journal,
                   QObject* parent)
    : QObject(parent), d_(std::make_unique<State>(links, std::move(serversFile), journal)) {}

FleetRun::~FleetRun() = default;

void FleetRun::setTraffic(traffic::TrafficModel* traffic) {
    d_->traffic = traffic;
}

void FleetRun::setLeaveOutForbidden(bool leaveOut) {
    d_->leaveOutForbidden = leaveOut;
}

const QString& FleetRun::batchId() const {
    return d_->batch;
}

QList<ServerOutcome> FleetRun::outcomes() const {
    QList<ServerOutcome> outcomes;
    outcomes.reserve(d_->rows.size());
    for (const RunRow& row : d_->rows) outcomes << row.outcome;
    return outcomes;
}

void FleetRun::carry(const ServerEntry& server, const QString& text, std::optional<qint64> base,
                     bool update, std::function<void(const QString&, LinkFailure)> onReply) {
    // An update names its batch to the remote side; every request, to the traffic view.
    const QString batch = update ? d_->batch : QString();
    QPointer<traffic::TrafficModel> shown = d_->traffic;
    const quint64 row = showLinkMessage(shown, server.name,
                                        jexlink::requestMessage(0, text, base, batch), d_->batch);
    d_->links.sendMessage(
        server.remote, servers::tokenFilePath(server, d_->serversFile),
        [text, base, batch](qint64 id) { return jexlink::requestMessage(id, text, base, batch); },
        [shown, row, onReply = std::move(onReply)](const QString& answer, LinkFailure failure) {
            showLinkAnswer(shown, row, answer, failure);
            onReply(answer, failure);
        });
}

void FleetRun::fetch(const ServerEntry& server, FetchCallback done) {
    const QString text = wire::requestText(wire::kGetSettings, server.tag, server.profile, {});
    carry(server, text, std::nullopt, false,
          [remote = server.remote, profile = server.profile, done = std::move(done)](
              const QString& message, LinkFailure failure) {
              Fetched fetched;
              const auto answer = jexlink::readAnswerMessage(message);
              if (failure != LinkFailure::None || !answer) {
                  fetched.reason = linkFailureText(failure, remote);
                  return done(fetched);
              }
              fetched.version = answer->version;
              if (answer->text == jexlink::kFailedAnswer) {
                  fetched.reason =
                      QStringLiteral("%1 does not manage profile %2").arg(remote).arg(profile);
                  fetched.refused = true;
                  return done(fetched);
              }
              auto settings = model::settingsOfReply(answer->text);
              if (const auto* fault = std::get_if<model::Fault>(&settings)) {
                  fetched.reason = QStringLiteral("the settings from %1 cannot be read: %2 %3")
                                       .arg(remote, fault->setting, fault->reason);
                  return done(fetched);
              }
              fetched.settings = std::get<ServerSettings>(std::move(settings));
              done(fetched);
          });
}

void FleetRun::preview(const QList<ServerEntry>& servers, const SettingsSource& source,
                       const QStringList& keys) {
    d_->source = source;
    d_->keys = keys;
    start(static_cast<int>(RunMode::Preview), rowsOf(servers));
}

void FleetRun::apply(const QList<ServerEntry>& servers, const SettingsSource& source,
                     const QStringList& keys) {
    d_->source = source;
    d_->keys = keys;
    d_->record = {};
    d_->record.summary.source = source.name();
    start(static_cast<int>(RunMode::Apply), rowsOf(servers));
}

QList<RunRow> FleetRun::rowsOf(const QList<ServerEntry>& servers) {
    QList<RunRow> rows;
    for (const ServerEntry& server : servers) rows.append(RunRow{{server}});
    return rows;
}

void FleetRun::start(int mode, QList<RunRow> rows) {
    State& d = *d_;
    d.mode = static_cast<RunMode>(mode);
    d.batch = d.mode == RunMode::Preview ? QString() : newBatchId();
    const auto count = rows.size();
    d.rows = std::move(rows);
    d.done = 0;
    emit progress(0, static_cast<int>(count));
    if (count == 0) return fetchedAll();
    d.waiting = static_cast<int>(count);
    for (int row = 0; row < count; ++row) {
        ServerOutcome& outcome = d.rows[row].outcome;
        if (!d.rows[row].problem.isEmpty()) {
            outcome.reason = d.rows[row].problem;
            judged(row, Outcome::Refused);
            continue;
        }
        if (outcome.server.remote.isEmpty()) {  // an undo's server no longer in the list
            outcome.reason = QStringLiteral("no longer in the servers file");
            judged(row, Outcome::Unreachable);
            continue;
        }
        fetch(outcome.server, [self = QPointer(this), row](const Fetched& fetched) {
            if (self) self->judge(row, fetched);
        });
    }
}

void FleetRun::judge(int row, const Fetched& fetched) {
    State& d = *d_;
    RunRow& run = d.rows[row];
    ServerOutcome& outcome = run.outcome;
    outcome.versionBefore = fetched.version;
    if (!fetched.settings) {
        outcome.reason = fetched.reason;
        return judged(row, fetched.refused ? Outcome::Refused : Outcome::Unreachable);
    }
    run.current = *fetched.settings;
    const RemoteLink* link = d.links.find(LinkPool::keyOf(
        outcome.server.remote, servers::tokenFilePath(outcome.server, d.serversFile)));
    const jexlink::Welcome welcome =
        link && link->welcome() ? *link->welcome() : jexlink::Welcome{};
    outcome.operatorName = welcome.operatorName;

    JudgeInput input{run.current, welcome, d.keys, {}, false};
    if (d.mode == RunMode::Undo) {
        if (!judgeUndo(row, run.current)) return;
        input.make = [&run](const QStringList&) -> model::Read<ServerSettings> {
            return run.desired;
        };
    } else {
        input.make = [&d, &run](const QStringList& keys) {
            return d.source.applyTo(run.current, keys);
        };
        input.leaveOutForbidden = d.leaveOutForbidden;
    }
    Judgement judgement = judgeServer(input);
    outcome.changes = std::move(judgement.changes);
    outcome.reason = std::move(judgement.reason);
    outcome.leftOut = std::move(judgement.leftOut);
    if (judgement.desired) run.desired = std::move(*judgement.desired);
    if (judgement.outcome == Outcome::Waiting && d.mode == RunMode::Preview)
        return judged(row, Outcome::DryRun);
    run.toSend = judgement.outcome == Outcome::Waiting;
    judged(row, judgement.outcome);
}

void FleetRun::judged(int row, Outcome outcome) {
    State& d = *d_;
    if (outcome != Outcome::Waiting) settle(row, outcome);
    if (--d.waiting == 0) fetchedAll();
}

void FleetRun::settle(int row, Outcome outcome) {
    State& d = *d_;
    d.rows[row].outcome.outcome = outcome;
    ++d.done;
    emit serverFinished(row, d.rows[row].outcome);
    emit progress(d.done, static_cast<int>(d.rows.size()));
}

void FleetRun::fetchedAll() {
    State& d = *d_;
    if (d.mode == RunMode::Preview) return end({});
    BatchSummary& summary = d.record.summary;
    summary.id = d.batch;
    summary.time = QDateTime::currentDateTimeUtc();
    summary.keys = d.keys;
    d.record.servers.clear();
    for (const RunRow& run : d.rows) {
        const ServerOutcome& outcome = run.outcome;
        if (!outcome.operatorName.isEmpty() && !summary.operators.contains(outcome.operatorName))
            summary.operators << outcome.operatorName;
        BatchServer server{outcome.server.id,
                           outcome.server.name,
                           outcome.outcome,
                           outcome.versionBefore,
                           std::nullopt,
                           {},
                           {}};
        if (run.toSend) {
            server.before = chosenValues(run.current, d.keys);
            server.after = chosenValues(run.desired, d.keys);
        }
        d.record.servers << server;
    }
    // The values a batch replaces are on disk before the first update leaves.
    QString error;
    if (!d.journal || !d.journal->write(d.record, &error)) {
        if (!d.journal) error = QStringLiteral("no batch journal");
        for (int row = 0; row < d.rows.size(); ++row) {
            if (!d.rows[row].toSend) continue;
            d.rows[row].toSend = false;
            d.rows[row].outcome.reason = QStringLiteral("the batch could not be recorded");
            settle(row, Outcome::Refused);
        }
        return end(QStringLiteral("the batch could not be recorded: ") + error);
    }
    d.waiting = static_cast<int>(
        std::count_if(d.rows.begin(), d.rows.end(), [](const RunRow& run) { return run.toSend; }));
    if (d.waiting == 0) return end({});
    for (int row = 0; row < d.rows.size(); ++row)
        if (d.rows[row].toSend) send(row);
}

void FleetRun::send(int row) {
    State& d = *d_;
    const ServerEntry& server = d.rows[row].outcome.server;
    // Made from the settings fetched for this run, an undo's as an apply's.
    const std::optional<qint64> base = d.rows[row].outcome.versionBefore;
    if (base && (*base < 1 || *base > jexlink::kMaxId)) {
        d.rows[row].outcome.reason = QStringLiteral("version %1 is no version").arg(*base);
        return sentDone(row, Outcome::Refused);
    }
    const QString text = wire::requestText(wire::kSetSettings, server.tag, server.profile,
                                           model::updateBody(d.rows[row].desired));
    carry(server, text, base, true,
          [self = QPointer(this), row](const QString& message, LinkFailure failure) {
              if (self) self->answered(row, message, failure);
          });
}

void FleetRun::answered(int row, const QString& message, LinkFailure failure) {
    State& d = *d_;
    ServerOutcome& outcome = d.rows[row].outcome;
    const auto answer = jexlink::readAnswerMessage(message);
    if (failure != LinkFailure::None || !answer) {
        // Sent but not answered: it may have been stored. The reason says so.
        outcome.reason =
            linkFailureText(failure, outcome.server.remote) +
            QStringLiteral(" after the update was sent; fetch to see whether it was stored");
        return sentDone(row, Outcome::Unreachable);
    }
    if (answer->text != jexlink::kUpdatedAnswer) {
        outcome.conflicts = answer->conflicts;
        if (!answer->conflicts.isEmpty()) {
            outcome.reason = conflictText(answer->conflicts);
            return sentDone(row, Outcome::Conflict);
        }
        if (jexlink::isRateLimitReason(answer->reason) && d.rows[row].retries++ < kMaxRetries) {
            QTimer::singleShot(kRetryMs, this, [this, row] { send(row); });
            return;
        }
        outcome.reason = answer->reason.isEmpty()
                             ? QStringLiteral("refused by %1").arg(outcome.server.remote)
                             : answer->reason;
        return sentDone(row, Outcome::Refused);
    }
    // The version the batch made, for its undo: as the answer says, or as a
    // fetch finds it.
    if (answer->version) {
        outcome.versionAfter = answer->version;
        return sentDone(row, Outcome::Applied);
    }
    fetch(outcome.server, [self = QPointer(this), row](const Fetched& fetched) {
        if (!self) return;
        self->d_->rows[row].outcome.versionAfter = fetched.version;
        self->sentDone(row, Outcome::Applied);
    });
}

void FleetRun::sentDone(int row, Outcome outcome) {
    State& d = *d_;
    d.record.servers[row].outcome = outcome;
    d.record.servers[row].versionAfter = d.rows[row].outcome.versionAfter;
    settle(row, outcome);
    if (--d.waiting == 0) end({});
}

void FleetRun::end(const QString& error) {
    State& d = *d_;
    QString failure = error;
    if (d.mode != RunMode::Preview && failure.isEmpty()) {
        BatchSummary& summary = d.record.summary;
        summary.servers.clear();
        summary.counts.clear();
        for (int row = 0; row < d.rows.size(); ++row) {
            const ServerOutcome& outcome = d.rows[row].outcome;
            summary.servers << outcome.server.name;
            d.record.servers[row].outcome = outcome.outcome;
            ++summary.counts[outcome.outcome];
        }
        d.record.finished = true;
        QString reason;
        if (!d.journal->write(d.record, &reason)) {
            failure = QStringLiteral("the batch's outcome could not be recorded: ") + reason;
            qCWarning(lcHost) << "batch" << d.batch << ":" << failure;
        }
    }
    emit finished(failure);
}

}  // namespace jexhost::fleet
