#pragma once
// Says when an update made in the open panel reached the server's running
// game: once the remote side pushes a GAME whose appliedVersion is the
// stored one, "Arena: applied to the running game.", or the settings the
// game did not take and why ("Arena: applied to the running game but Max
// Players: sv_max_clients is 64 in the game, not 70."). A game that does not
// run takes the settings at its next start, and is said so at once; a server
// without a game says nothing.

#include <QHash>
#include <QObject>

#include <optional>

#include "link/game_messages.h"

namespace jexhost {
class HostSession;
}

namespace jexhost::games {

class GameStates;

// What an applied update comes to, for the status bar; empty while the game
// has not yet taken `version`.
QString appliedText(const QString& name, const jexlink::GameStatus& game, qint64 version);

class ApplyWatch : public QObject {
    Q_OBJECT
public:
    ApplyWatch(HostSession& session, GameStates& states, QObject* parent = nullptr);

signals:
    void notice(const QString& text);

private:
    void stored(const QString& id);
    void changed(const QString& id);

    HostSession& session_;
    GameStates& states_;
    QHash<QString, qint64> awaited_;  // server id -> the stored version its game should take
};

}  // namespace jexhost::games
