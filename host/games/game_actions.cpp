#include "host/games/game_actions.h"

#include <QPointer>

#include "host/relay/link_pool.h"
#include "host/servers/servers_file.h"

namespace jexhost::games {

namespace {

// A start waits for the game's ready line and a stop for its last process,
// each within the game definition's own times: longer than a request's.
constexpr int kControlTimeoutMs = 120000;

}  // namespace

QString outcomeWord(ActionOutcome outcome) {
    switch (outcome) {
        case ActionOutcome::Done:
            return QStringLiteral("done");
        case ActionOutcome::Waiting:
            return QStringLiteral("waiting");
        case ActionOutcome::Refused:
            return QStringLiteral("refused");
        case ActionOutcome::Unreachable:
            return QStringLiteral("unreachable");
        case ActionOutcome::Failed:
            break;
    }
    return QStringLiteral("failed");
}

ActionResult judgeControlReply(const QString& answer, LinkFailure failure, const QString& remote) {
    ActionResult result;
    if (answer.isEmpty()) {
        result.outcome =
            failure == LinkFailure::Refused ? ActionOutcome::Refused : ActionOutcome::Unreachable;
        result.reason = linkFailureText(failure, remote);
        return result;
    }
    const auto read = jexlink::readControlAnswer(answer);
    if (!read) {
        result.reason =
            QStringLiteral("%1 answered something other than a control answer").arg(remote);
        return result;
    }
    const jexlink::ControlOutcome& outcome = read->second;
    result.state = outcome.state;
    result.reason = outcome.reason;
    if (outcome.ok) {
        result.outcome = ActionOutcome::Done;
        return result;
    }
    // The remote side's words for what it would not try (remote/README.md).
    const bool refused = outcome.reason.contains(QLatin1String("lacks the privilege")) ||
                         outcome.reason.contains(QLatin1String("runs no game here"));
    result.outcome = refused ? ActionOutcome::Refused : ActionOutcome::Failed;
    if (result.reason.isEmpty()) result.reason = QStringLiteral("the remote side gave no reason");
    return result;
}

GameActions::GameActions(LinkPool& pool, QObject* parent) : QObject(parent), pool_(pool) {
    connect(&pool_, &LinkPool::gamePushed, this, &GameActions::gamePushed);
}

bool GameActions::run(const QList<servers::ServerEntry>& servers, const QString& serversFile,
                      const QString& action, bool whenEmpty) {
    if (isRunning()) return false;
    const quint64 run = ++run_;
    servers_ = servers;
    action_ = action;
    whenEmpty_ = whenEmpty && (action == u"stop" || action == u"restart");
    keys_.clear();
    results_ = QList<std::optional<ActionResult>>(servers.size());
    waiting_ = static_cast<int>(servers.size());
    emit progress(0, waiting_);
    if (servers.isEmpty()) {
        emit finished({});
        return true;
    }
    const QPointer<GameActions> self(this);  // an answer may come after this is gone
    for (int i = 0; i < servers.size(); ++i) {
        const servers::ServerEntry& entry = servers[i];
        const QString tokenFile = servers::tokenFilePath(entry, serversFile);
        keys_ << LinkPool::keyOf(entry.remote, tokenFile);
        jexlink::ControlRequest request;
        request.profile = entry.profile;
        request.action = action;
        request.whenEmpty = whenEmpty_;
        pool_.sendMessage(
            entry.remote, tokenFile,
            [request](qint64 id) mutable {
                request.id = id;
                return jexlink::controlRequestMessage(request);
            },
            [this, self, run, i, remote = entry.remote](const QString& answer,
                                                        LinkFailure failure) {
                if (!self || run != run_) return;
                conclude(i, judgeControlReply(answer, failure, remote));
            },
            whenEmpty_ ? 0 : kControlTimeoutMs);
    }
    return true;
}

// A "when empty" action is under way once the game carries it as pending;
// its answer comes only when it is done.
void GameActions::gamePushed(const QString& key, const jexlink::GameStatus& game) {
    if (!whenEmpty_ || !isRunning() || game.pending != action_) return;
    for (int i = 0; i < servers_.size(); ++i)
        if (!results_[i] && keys_[i] == key && servers_[i].profile == game.profile) {
            ActionResult waiting;
            waiting.outcome = ActionOutcome::Waiting;
            waiting.state = game.state;
            conclude(i, waiting);
        }
}

void GameActions::conclude(int index, ActionResult result) {
    if (results_[index]) return;  // waiting already, then answered
    result.serverId = servers_[index].id;
    result.server = servers_[index].name;
    result.action = action_;
    results_[index] = result;
    --waiting_;
    emit serverDone(result);
    const int total = static_cast<int>(servers_.size());
    emit progress(total - waiting_, total);
    if (waiting_ == 0) emit finished(results());
}

QList<ActionResult> GameActions::results() const {
    QList<ActionResult> out;
    for (const auto& result : results_)
        if (result) out << *result;
    return out;
}

}  // namespace jexhost::games
