#pragma once
// jexhost --status: the state of every server's link for scripts and
// monitoring, without a window. It reads the servers file (never writes it),
// starts the links of every server as the window does, waits until each has
// a state or the wait is over, and prints one JSON object per server and line:
//   {"server": NAME, "remote": "embedded" | URL, "profile": N,
//    "link": "connected" | "refused" | "unreachable" | "timeout" | "connecting",
//    "operator": NAME or null, "superAdmin": BOOL or null,
//    "privileges": {NAME: VALUE, ...} or null, "game": GAME or null}
// GAME is the remote side's own object for the server's profile (see
// remote/README.md); null when the profile runs no game or the link is down.

#include <QString>
#include <QTextStream>

#include <memory>
#include <optional>

#include "host/host_options.h"
#include "host/servers/server_entry.h"
#include "host/servers/server_list_model.h"
#include "link/game_messages.h"
#include "link/link_messages.h"

namespace jexremote {
class RemoteService;
}

namespace jexhost {

class LinkPool;

// Exit codes: every link connected, or not.
inline constexpr int kStatusAllConnected = 0;
inline constexpr int kStatusNotAllConnected = 3;

// One server's line; `welcome` is that of its link while connected, `game`
// its profile's game as the remote side reported it.
QString statusLine(const servers::ServerEntry& server, const servers::LinkStatus& link,
                   const std::optional<jexlink::Welcome>& welcome,
                   const std::optional<jexlink::GameStatus>& game = std::nullopt);

// Runs the whole report; needs an application object, not a display.
// Returns the exit code (1 when the servers file cannot be read).
int runStatus(const HostOptions& options, QTextStream& out, QTextStream& err);

}  // namespace jexhost
