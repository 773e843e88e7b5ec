#include "host/games/apply_watch.h"

#include "host/games/game_states.h"
#include "host/host_session.h"

namespace jexhost::games {

QString appliedText(const QString& name, const jexlink::GameStatus& game, qint64 version) {
    if (game.state != QLatin1String("running") && game.state != QLatin1String("stopping"))
        return QObject::tr("%1: the game is %2; it takes the settings at its next start.")
            .arg(name, game.state);
    if (!game.appliedVersion || *game.appliedVersion < version) return {};
    if (game.applyProblems.isEmpty())
        return QObject::tr("%1: applied to the running game.").arg(name);
    QStringList problems;
    for (const jexlink::ApplyProblem& problem : game.applyProblems)
        problems << QObject::tr("%1: %2").arg(problem.setting, problem.reason);
    return QObject::tr("%1: applied to the running game but %2.")
        .arg(name, problems.join(QStringLiteral("; ")));
}

ApplyWatch::ApplyWatch(HostSession& session, GameStates& states, QObject* parent)
    : QObject(parent), session_(session), states_(states) {
    connect(&session_, &HostSession::updateStored, this, &ApplyWatch::stored);
    connect(&states_, &GameStates::gameChanged, this, &ApplyWatch::changed);
}

void ApplyWatch::stored(const QString& id) {
    const auto version = session_.ledger().version(id);
    if (!version || !states_.game(id)) return;  // no game: nothing to say
    awaited_.insert(id, *version);
    changed(id);
}

void ApplyWatch::changed(const QString& id) {
    const auto awaited = awaited_.constFind(id);
    if (awaited == awaited_.cend()) return;
    const auto game = states_.game(id);
    const auto entry = session_.server(id);
    if (!game || !entry) {
        awaited_.remove(id);
        return;
    }
    const QString text = appliedText(entry->name, *game, *awaited);
    if (text.isEmpty()) return;
    awaited_.remove(id);
    emit notice(text);
}

}  // namespace jexhost::games
