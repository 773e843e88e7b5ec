// Who plays on each running game, from its own query, and the actions that
// wait for nobody to play ("when": "empty").
//
// A running game's query is asked as the game turns running and every 5 s:
// one datagram each way on loopback, never waited for. An answer that changes
// players or maxPlayers is pushed; no answer keeps what the last one said.
// A pending action is carried out on the first answer after it was asked
// (it asks at once) that shows no players. A game whose query does not
// answer is not known to be empty, so its pending action waits; a game that
// is not running has nobody on it, so a "when empty" action on it is carried
// out at once, and one pending when the game stops or gives up is then
// carried out.
#include <chrono>

#include "remote/audit/audit_log.h"
#include "remote/games/game_supervisor.h"

namespace jexremote::games {

namespace {
constexpr int kQueryPollMs = 5000;

qint64 steadyMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}
}  // namespace

void GameSupervisor::followQuery(Game& game) {
    const GameDefinition& definition = definitions_.at(game.binding.definition);
    if (!GameQuery::knows(definition.query) || game.query) return;
    game.query =
        std::make_unique<GameQuery>(definition.query, static_cast<quint16>(game.binding.port));
    connect(game.query.get(), &GameQuery::answered, this,
            [this, raw = &game](const QueryInfo& info) { queryAnswered(*raw, info); });
    game.query->ask();
    if (!queryPoll_.isActive()) {
        queryPoll_.setInterval(kQueryPollMs);
        connect(&queryPoll_, &QTimer::timeout, this, [this] {
            for (auto& [profile, each] : games_)
                if (each->query) each->query->ask();
        });
        queryPoll_.start();
    }
}

void GameSupervisor::queryAnswered(Game& game, const QueryInfo& info) {
    if (game.runner->state() != GameState::Running) return;
    const bool changed = game.players != info.players || game.maxPlayers != info.maxPlayers;
    game.players = info.players;
    game.maxPlayers = info.maxPlayers;
    // A name seen since an earlier answer keeps its time; one gone and back starts again.
    QHash<QString, qint64> seen;
    const qint64 now = steadyMs();
    for (const QueryClient& client : info.clients)
        seen.insert(client.name, game.seenSinceMs.value(client.name, now));
    game.seenSinceMs = std::move(seen);
    game.clients = info.clients;
    if (changed) emit gameChanged(statusOf(game));
    if (!game.pending.isEmpty() && info.players == 0) carryOutPending(game);
}

jexlink::PlayersAnswer GameSupervisor::players(int profile) const {
    const auto found = games_.find(profile);
    if (found == games_.end())
        return {false, QStringLiteral("profile %1 runs no game here").arg(profile)};
    const Game& game = *found->second;
    if (!GameQuery::knows(definitions_.at(game.binding.definition).query))
        return {false, QStringLiteral("the game's definition has no query: it cannot list its "
                                      "players")};
    if (game.runner->state() != GameState::Running)
        return {false, QStringLiteral("the game is %1").arg(stateName(game.runner->state()))};
    if (!game.players) return {false, QStringLiteral("the game has not answered its query yet")};
    jexlink::PlayersAnswer answer{true};
    const qint64 now = steadyMs();
    for (const QueryClient& client : game.clients)
        answer.players.append({client.name, client.clan, client.score,
                               (now - game.seenSinceMs.value(client.name, now)) / 1000,
                               client.spectator});
    return answer;
}

bool GameSupervisor::replacePending(Game& game, const QString& by) {
    if (game.pending.isEmpty()) return false;
    const ControlDone done = std::move(game.pendingDone);
    game.pending.clear();
    game.pendingDone = nullptr;
    done({false, stateName(game.runner->state()), QStringLiteral("replaced by ") + by});
    return true;
}

bool GameSupervisor::holdUntilEmpty(Game& game, const QString& action, ControlDone& done) {
    if (game.runner->state() != GameState::Running) return false;
    if (!GameQuery::knows(definitions_.at(game.binding.definition).query)) {
        done({false, stateName(game.runner->state()),
              QStringLiteral("the game's definition has no query: it cannot tell when the game "
                             "is empty")});
        return true;
    }
    replacePending(game, action + QStringLiteral(" when empty"));
    game.pending = action;
    game.pendingDone = std::move(done);
    emit gameChanged(statusOf(game));
    followQuery(game);
    game.query->ask();
    return true;
}

void GameSupervisor::carryOutPending(Game& game) {
    const QString action = game.pending;
    ControlDone done = std::move(game.pendingDone);
    game.pending.clear();
    game.pendingDone = nullptr;
    qCInfo(lcRemote).noquote() << "the game of profile" << game.binding.profile
                               << "is empty:" << action << "it now";
    control(game.binding.profile, action, std::move(done));
}

}  // namespace jexremote::games
