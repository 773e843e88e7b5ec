#pragma once
// jexhost --add-remote ws://HOST:PORT --token-file FILE [--profiles P,... |
// --all-profiles] [--config FILE]: adds a remote side's servers to the
// servers file without a display. It asks the remote side for its profiles
// (the `profiles` link message), takes the chosen ones (by default those that
// run a game there) that the list does not hold yet, and adds them in one
// write, comments kept. One line per server added:
//   {"server": NAME, "id": SECTION, "remote": URL, "profile": P,
//    "game": PLUGIN_GAME, "definition": NAME | null}
// A profile the list holds already (same remote and profile) is named on
// standard error and left as it is.

#include <QList>
#include <QString>
#include <QStringList>
#include <QTextStream>

#include <functional>
#include <optional>

#include "host/host_options.h"
#include "host/servers/server_entry.h"
#include "link/game_messages.h"

namespace jexhost {
class LinkPool;
}

namespace jexhost::games {

// Exit codes.
inline constexpr int kAddedAll = 0;   // every chosen profile is in the list now
inline constexpr int kAddUsage = 1;   // a usage error, an unreadable file, a console running
inline constexpr int kAddFailed = 4;  // the remote side not asked, a profile it lacks, no write

// The plug-in game for a profile whose remote side runs `definition`: a game
// of the catalogue's that the definition names (case aside), else the one
// the listed servers use most, else the catalogue's first; empty when the
// catalogue knows none.
QString chooseGame(const QString& definition, const QStringList& catalogueGames,
                   const QList<servers::ServerEntry>& listed);
// The name of a server added: the profile's stored name, else "HOST:PORT
// profile P"; " (HOST:PORT)", then a number, added while the name is taken.
QString chooseName(const QString& storedName, const QString& authority, int profile,
                   const QStringList& takenNames);

// A server to add and the game definition its remote side runs there.
struct Addition {
    servers::ServerEntry entry;
    QString definition;
};

// The listed server that is profile `profile` of the remote side at `remote`;
// null when the list holds none.
const servers::ServerEntry* listedAs(const QList<servers::ServerEntry>& listed,
                                     const QString& remote, int profile);
// The servers for the `chosen` profiles of the remote side at `remote` that
// `listed` lacks, named and given a game; nothing, and `error` set, when no
// plug-in gives a game.
QList<Addition> plannedAdditions(const QString& remote, const QString& tokenFile,
                                 const QString& serversFile,
                                 const QList<jexlink::ProfileEntry>& chosen,
                                 const QList<servers::ServerEntry>& listed,
                                 const QStringList& catalogueGames, QString* error);

// Asks the remote side at `remote` for its profiles through `pool`. `done`
// gets them, or nothing and the reason in words; it may be called before
// askProfiles returns.
using ProfilesReply =
    std::function<void(std::optional<QList<jexlink::ProfileEntry>> profiles, const QString& why)>;
void askProfiles(LinkPool& pool, const QString& remote, const QString& tokenFile,
                 ProfilesReply done);

// Needs an application object; loads the plug-ins to know their games.
int runAddRemote(const HostOptions& options, QTextStream& out, QTextStream& err);

}  // namespace jexhost::games
