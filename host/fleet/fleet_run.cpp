#include "host/fleet/fleet_run.h"

#include <QDateTime>
#include <QPointer>
#include <QTimer>

#include <algorithm>

#include "exchange/model/setting_names.h"
#include "exchange/model/settings_reply.h"
#include "exchange/model/settings_update.h"
#include "exchange/wire/request.h"
#include "host/fleet/fleet_run_state.h"
#include "host/log.h"
#include "host/relay/link_pool.h"
#include "host/relay/link_traffic.h"
#include "host/servers/servers_file.h"
#include "host/traffic/traffic_model.h"
#include "remote/validation/privilege_guard.h"

namespace jexhost::fleet {

namespace model = kdrsm::model;
namespace wire = kdrsm::wire;
using servers::ServerEntry;

QString failureText(LinkFailure failure, const QString& remote) {
    switch (failure) {
        case LinkFailure::TimedOut:
            return QStringLiteral("no answer from %1 in time").arg(remote);
        case LinkFailure::Refused:
            return QStringLiteral("%1 refused the console's token").arg(remote);
        default:
            return QStringLiteral("cannot reach %1").arg(remote);
    }
}

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

bool FleetRun::isRunning() const {
    return d_->running;
}

const QString& FleetRun::batchId() const {
    return d_->batch;
}

const QList<ServerOutcome>& FleetRun::outcomes() const {
    return d_->outcomes;
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
                  fetched.reason = failureText(failure, remote);
                  return done(fetched);
              }
              fetched.version = answer->version;
              if (answer->text == kNotManaged) {
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
    start(static_cast<int>(RunMode::Preview), servers);
}

void FleetRun::apply(const QList<ServerEntry>& servers, const SettingsSource& source,
                     const QStringList& keys) {
    d_->source = source;
    d_->keys = keys;
    d_->record = {};
    d_->record.summary.source = source.name();
    start(static_cast<int>(RunMode::Apply), servers);
}

void FleetRun::start(int mode, const QList<ServerEntry>& servers) {
    State& d = *d_;
    d.mode = static_cast<RunMode>(mode);
    d.running = true;
    d.batch = d.mode == RunMode::Preview ? QString() : newBatchId();
    const auto count = servers.size();
    d.outcomes.clear();
    for (const ServerEntry& server : servers) d.outcomes.append({server});
    d.current = QList<ServerSettings>(count);
    d.desired = QList<ServerSettings>(count);
    d.toSend = QList<bool>(count, false);
    d.retries = QList<int>(count, 0);
    d.done = 0;
    emit progress(0, static_cast<int>(count));
    if (count == 0) return fetchedAll();
    d.waiting = static_cast<int>(count);
    for (int row = 0; row < count; ++row) {
        if (d.mode == RunMode::Undo && !d.problems[row].isEmpty()) {
            d.outcomes[row].reason = d.problems[row];
            judged(row, Outcome::Refused);
            continue;
        }
        if (servers[row].remote.isEmpty()) {  // an undo's server no longer in the list
            d.outcomes[row].reason = QStringLiteral("no longer in the servers file");
            judged(row, Outcome::Unreachable);
            continue;
        }
        fetch(servers[row], [self = QPointer(this), row](const Fetched& fetched) {
            if (self) self->judge(row, fetched);
        });
    }
}

// Decides what a fetched server gets, before anything is sent.
void FleetRun::judge(int row, const Fetched& fetched) {
    State& d = *d_;
    ServerOutcome& outcome = d.outcomes[row];
    outcome.versionBefore = fetched.version;
    if (!fetched.settings) {
        outcome.reason = fetched.reason;
        return judged(row, fetched.refused ? Outcome::Refused : Outcome::Unreachable);
    }
    const ServerSettings& current = d.current[row] = *fetched.settings;
    const RemoteLink* link = d.links.find(LinkPool::keyOf(
        outcome.server.remote, servers::tokenFilePath(outcome.server, d.serversFile)));
    const jexlink::Welcome welcome =
        link && link->welcome() ? *link->welcome() : jexlink::Welcome{};
    outcome.operatorName = welcome.operatorName;

    QStringList keys = d.keys;
    const auto take = [&] {
        auto next = d.source.applyTo(current, keys);
        if (const auto* fault = std::get_if<model::Fault>(&next)) {
            outcome.reason = QStringLiteral("%1: %2").arg(fault->setting, fault->reason);
            return false;
        }
        d.desired[row] = std::get<ServerSettings>(std::move(next));
        outcome.changes = shownChanges(current, d.desired[row]);
        return true;
    };
    if (d.mode == RunMode::Undo) {
        if (!judgeUndo(row, current)) return;
    } else if (!take()) {
        return judged(row, Outcome::Refused);
    }
    if (outcome.changes.isEmpty()) return judged(row, Outcome::Unchanged);
    const QString who =
        welcome.operatorName.isEmpty() ? QStringLiteral("the operator") : welcome.operatorName;
    QStringList leftOut;
    while (const auto field = jexremote::forbiddenChange(welcome, current, d.desired[row])) {
        QString label = model::settingLabel(*field);
        label.chop(1);  // the form's colon
        if (leftOut.isEmpty())
            outcome.reason = QStringLiteral("%1 lacks the privilege to change %2").arg(who, label);
        // Left out, the other chosen settings may still go.
        if (d.mode == RunMode::Undo || !d.leaveOutForbidden ||
            !keys.removeOne(model::settingKey(*field)) || !take())
            return judged(row, Outcome::Refused);
        leftOut << label;
        if (outcome.changes.isEmpty()) return judged(row, Outcome::Refused);
    }
    if (!leftOut.isEmpty()) {
        outcome.leftOut = QStringLiteral("left out %1, which %2 may not change")
                              .arg(leftOut.join(QStringLiteral(", ")), who);
        outcome.reason.clear();
    }
    if (d.mode == RunMode::Preview) return judged(row, Outcome::DryRun);
    d.toSend[row] = true;
    judged(row, Outcome::Waiting);
}

void FleetRun::judged(int row, Outcome outcome) {
    State& d = *d_;
    if (outcome != Outcome::Waiting) settle(row, outcome);
    if (--d.waiting == 0) fetchedAll();
}

void FleetRun::settle(int row, Outcome outcome) {
    State& d = *d_;
    d.outcomes[row].outcome = outcome;
    ++d.done;
    emit serverFinished(row, d.outcomes[row]);
    emit progress(d.done, static_cast<int>(d.outcomes.size()));
}

void FleetRun::fetchedAll() {
    State& d = *d_;
    if (d.mode == RunMode::Preview) return end({});
    BatchSummary& summary = d.record.summary;
    summary.id = d.batch;
    summary.time = QDateTime::currentDateTimeUtc();
    summary.keys = d.keys;
    d.record.servers.clear();
    for (int row = 0; row < d.outcomes.size(); ++row) {
        const ServerOutcome& outcome = d.outcomes[row];
        if (!outcome.operatorName.isEmpty() && !summary.operators.contains(outcome.operatorName))
            summary.operators << outcome.operatorName;
        BatchServer server{outcome.server.id,
                           outcome.server.name,
                           outcome.outcome,
                           outcome.versionBefore,
                           std::nullopt,
                           {},
                           {}};
        if (d.toSend[row]) {
            server.before = chosenValues(d.current[row], d.keys);
            server.after = chosenValues(d.desired[row], d.keys);
        }
        d.record.servers << server;
    }
    // The values a batch replaces are on disk before the first update leaves.
    QString error;
    if (!d.journal || !d.journal->write(d.record, &error)) {
        if (!d.journal) error = QStringLiteral("no batch journal");
        for (int row = 0; row < d.outcomes.size(); ++row) {
            if (!d.toSend[row]) continue;
            d.toSend[row] = false;
            d.outcomes[row].reason = QStringLiteral("the batch could not be recorded");
            settle(row, Outcome::Refused);
        }
        return end(QStringLiteral("the batch could not be recorded: ") + error);
    }
    d.waiting = static_cast<int>(std::count(d.toSend.begin(), d.toSend.end(), true));
    if (d.waiting == 0) return end({});
    for (int row = 0; row < d.outcomes.size(); ++row)
        if (d.toSend[row]) send(row);
}

void FleetRun::send(int row) {
    State& d = *d_;
    const ServerEntry& server = d.outcomes[row].server;
    // Made from the settings fetched for this run, an undo's as an apply's.
    const std::optional<qint64> base = d.outcomes[row].versionBefore;
    if (base && (*base < 1 || *base > jexlink::kMaxId)) {
        d.outcomes[row].reason = QStringLiteral("version %1 is no version").arg(*base);
        return sentDone(row, Outcome::Refused);
    }
    const QString text = wire::requestText(wire::kSetSettings, server.tag, server.profile,
                                           model::updateBody(d.desired[row]));
    carry(server, text, base, true,
          [self = QPointer(this), row](const QString& message, LinkFailure failure) {
              if (self) self->answered(row, message, failure);
          });
}

void FleetRun::answered(int row, const QString& message, LinkFailure failure) {
    State& d = *d_;
    ServerOutcome& outcome = d.outcomes[row];
    const auto answer = jexlink::readAnswerMessage(message);
    if (failure != LinkFailure::None || !answer) {
        // Sent but not answered: it may have been stored. The reason says so.
        outcome.reason =
            failureText(failure, outcome.server.remote) +
            QStringLiteral(" after the update was sent; fetch to see whether it was stored");
        return sentDone(row, Outcome::Unreachable);
    }
    if (answer->text != kStored) {
        outcome.conflicts = answer->conflicts;
        if (!answer->conflicts.isEmpty()) {
            outcome.reason = conflictText(answer->conflicts);
            return sentDone(row, Outcome::Conflict);
        }
        if (answer->reason.endsWith(kRateLimited) && d.retries[row]++ < kMaxRetries) {
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
        self->d_->outcomes[row].versionAfter = fetched.version;
        self->sentDone(row, Outcome::Applied);
    });
}

void FleetRun::sentDone(int row, Outcome outcome) {
    State& d = *d_;
    d.record.servers[row].outcome = outcome;
    d.record.servers[row].versionAfter = d.outcomes[row].versionAfter;
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
        for (int row = 0; row < d.outcomes.size(); ++row) {
            summary.servers << d.outcomes[row].server.name;
            d.record.servers[row].outcome = d.outcomes[row].outcome;
            ++summary.counts[d.outcomes[row].outcome];
        }
        d.record.finished = true;
        QString reason;
        if (!d.journal->write(d.record, &reason)) {
            failure = QStringLiteral("the batch's outcome could not be recorded: ") + reason;
            qCWarning(lcHost) << "batch" << d.batch << ":" << failure;
        }
    }
    d.running = false;
    emit finished(failure);
}

}  // namespace jexhost::fleet
