#pragma once
// `jexremote --state-dir DIR --set-game PROFILE --definition NAME [--game-port PORT]`:
// binds a profile to a game (or unbinds it with `--definition none`) in the
// state folder's bindings, read by the service at its next start.

#include <QString>
#include <QTextStream>

namespace jexremote::games {

// The folder of game definitions next to the program: stage/games in the
// build tree, /usr/share/jexremote/games once installed.
QString defaultGamesFolder();

// The profiles the state folder serves (its server-N.ini files).
QList<int> servedProfiles(const QString& stateFolder);

// Does the binding; prints what it did or why not. The exit status: 0 done,
// 1 refused.
int setGame(const QString& stateFolder, const QString& gamesFolder, int profile,
            const QString& definition, int port, QTextStream& out, QTextStream& err);

}  // namespace jexremote::games
