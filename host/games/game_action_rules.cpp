#include "host/games/game_action_rules.h"

#include <QObject>

namespace jexhost::games_ui {

namespace {

// The states from which each action makes sense. A crashed game waits for
// its restart and may be started at once or stopped; a game stuck stopping
// may still be killed.
QStringList allowedStates(GameAction action) {
    switch (action) {
        case GameAction::Start:
            return {"stopped", "crashed", "failed"};
        case GameAction::Stop:
            return {"starting", "running", "crashed"};
        case GameAction::Restart:
            return {"running", "crashed"};
        case GameAction::RestartWhenEmpty:
            return {"running"};
        case GameAction::Kill:
            return {"starting", "running", "stopping"};
    }
    return {};
}

}  // namespace

QString controlWord(GameAction action) {
    switch (action) {
        case GameAction::Start:
            return QStringLiteral("start");
        case GameAction::Stop:
            return QStringLiteral("stop");
        case GameAction::Restart:
        case GameAction::RestartWhenEmpty:
            return QStringLiteral("restart");
        case GameAction::Kill:
            return QStringLiteral("kill");
    }
    return {};
}

bool waitsUntilEmpty(GameAction action) {
    return action == GameAction::RestartWhenEmpty;
}

QString actionTitle(GameAction action) {
    switch (action) {
        case GameAction::Start:
            return QObject::tr("Start");
        case GameAction::Stop:
            return QObject::tr("Stop");
        case GameAction::Restart:
            return QObject::tr("Restart");
        case GameAction::RestartWhenEmpty:
            return QObject::tr("Restart when empty");
        case GameAction::Kill:
            return QObject::tr("Kill");
    }
    return {};
}

QString actionProblem(GameAction action, const ServerGameView& server) {
    if (!server.welcome)
        return QObject::tr("%1: not connected to %2").arg(server.name, server.remote);
    if (!server.welcome->control)
        return QObject::tr("%1: operator %2 lacks the privilege to control game servers")
            .arg(server.name, server.welcome->operatorName);
    if (!server.known) return QObject::tr("%1: its game is not known yet").arg(server.name);
    if (!server.game) return QObject::tr("%1 runs no game").arg(server.name);
    const QString& state = server.game->state;
    if (action == GameAction::RestartWhenEmpty && server.game->pending == QLatin1String("restart"))
        return QObject::tr("%1: a restart waits for the game to be empty already").arg(server.name);
    if (!allowedStates(action).contains(state))
        return QObject::tr("%1: the game is %2").arg(server.name, state);
    return {};
}

QString selectionProblem(GameAction action, const QList<ServerGameView>& servers) {
    if (servers.isEmpty()) return QObject::tr("Select a server first.");
    QString first;
    for (const ServerGameView& server : servers) {
        const QString problem = actionProblem(action, server);
        if (problem.isEmpty()) return {};
        if (first.isEmpty()) first = problem;
    }
    if (servers.size() == 1) return first;
    return QObject::tr("None of the %1 servers selected allows it; %2")
        .arg(servers.size())
        .arg(first);
}

}  // namespace jexhost::games_ui
