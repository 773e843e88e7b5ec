#pragma once
// jexhost --start|--stop|--restart|--kill (--servers NAME[,NAME...] | --all)
// [--when-empty] [--config FILE]: a game action for scripts, without a
// window. It takes the console's root folder for the run as the fleet
// commands do (a console holding it makes it refuse), reads the servers file,
// sends the action to every server at once and prints one line per server,
// in the order of the servers file:
//   {"server": NAME, "action": A, "outcome": "done" | "waiting" | "refused" |
//    "unreachable" | "failed", "state": S | null, "reason": TEXT | null}

#include <QTextStream>

#include "host/games/game_actions.h"
#include "host/host_options.h"

namespace jexhost::games {

// Exit codes.
inline constexpr int kGameAllDone = 0;  // every server done or waiting
inline constexpr int kGameUsage = 1;    // a usage error, an unknown server, a console running
inline constexpr int kGameNotAllDone = 4;

QString actionLine(const ActionResult& result);

// Needs an application object, not a display.
int runGameCommand(const HostOptions& options, QTextStream& out, QTextStream& err);

}  // namespace jexhost::games
