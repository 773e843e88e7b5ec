#pragma once
// A game's state in the operator's words, as the server list's Game column
// shows it: "running 2 h 13 min", "starting", "crashed, restart in 8 s (3rd)",
// "failed: exited with code 1 five times in 10 minutes"; players as "5/16".

#include <QDateTime>
#include <QString>

#include "link/game_messages.h"

namespace jexhost::games {

// `now` for the time running and the wait before a restart; `restartDue`,
// when known, is when a crashed game is started again (the remote side does
// not say: see GameStates::restartDue).
QString describeGame(const jexlink::GameStatus& game, const QDateTime& now,
                     const QDateTime& restartDue = {});
// "5/16", "5" without a maximum, empty while the game does not say.
QString describePlayers(const jexlink::GameStatus& game);
// A span as the column shows it: "42 s", "13 min", "2 h 13 min", "3 d 4 h".
QString describeSpan(qint64 seconds);

}  // namespace jexhost::games
