#pragma once
// Which game actions a server allows now, and why not in the operator's
// words: the Start, Stop, Restart, Restart when empty and Kill entries are
// greyed with the reason in their tooltip. An action is offered for a
// selection when one of its servers allows it; the others then get their
// own outcome ("refused: ...") from the remote side.

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

#include "link/game_messages.h"
#include "link/link_messages.h"

namespace jexhost::games_ui {

// What the console knows of one server when the entries are judged.
struct ServerGameView {
    QString name;
    QString remote;
    std::optional<jexlink::Welcome> welcome;  // of its link; none while not welcomed
    bool known = false;                       // its remote side said which games it runs
    std::optional<jexlink::GameStatus> game;  // none: it runs no game
};

// The five entries, in the menu's order.
enum class GameAction { Start, Stop, Restart, RestartWhenEmpty, Kill };
inline constexpr GameAction kGameActions[] = {GameAction::Start, GameAction::Stop,
                                              GameAction::Restart, GameAction::RestartWhenEmpty,
                                              GameAction::Kill};

// The link's word for it ("start", "stop", "restart", "kill") and whether it
// waits until the game is empty.
QString controlWord(GameAction action);
bool waitsUntilEmpty(GameAction action);
// "Start", "Restart when empty", ... as the menu says it.
QString actionTitle(GameAction action);

// Why `action` cannot be done on `server` now; empty when it can.
QString actionProblem(GameAction action, const ServerGameView& server);
// Why it cannot be done on any of `servers`: empty when one of them allows
// it; the first server's reason, or "Select a server first." for none.
QString selectionProblem(GameAction action, const QList<ServerGameView>& servers);

}  // namespace jexhost::games_ui
