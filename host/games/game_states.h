#pragma once
// The game of every server in the list: the GAME its remote side reports for
// its profile, taken from a `games` request each time a link is welcomed and
// from the `{"game": ...}` pushes after it. Servers on one remote share its
// link (see LinkPool); this opens no link, it follows those the caller opens.
// A server whose profile runs no game there has none. A state stays as last
// reported while its link is down.

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <optional>

#include "host/servers/server_entry.h"
#include "link/game_messages.h"

namespace jexhost {
class LinkPool;
}

namespace jexhost::games {

class GameStates : public QObject {
    Q_OBJECT
public:
    explicit GameStates(LinkPool& pool, QObject* parent = nullptr);

    // The servers followed, their token files relative to `serversFile`.
    // Links already welcomed are asked for their games at once.
    void setServers(const QList<servers::ServerEntry>& servers, const QString& serversFile);
    // Asks every link already welcomed for its games again.
    void refresh();

    // The server's game (by entry id); nullopt when it runs none, or before
    // its remote side has said. Valid until the servers or their games change.
    const std::optional<jexlink::GameStatus>& game(const QString& serverId) const;
    // Whether its remote side answered a `games` request since the server was set.
    bool known(const QString& serverId) const;
    // When a crashed game is due to start again: the remote side's waits
    // (1 s, doubled after each crash within 10 minutes, at most 60 s) from
    // when this console saw the crash. Invalid unless the game is crashed.
    QDateTime restartDue(const QString& serverId) const;

signals:
    // A server's game changed, came or went (`game(serverId)` has it now).
    void gameChanged(const QString& serverId);
    // A `games` answer came for these servers (all of one link).
    void gamesKnown(const QStringList& serverIds);
    // New output of a server's game, pushed while someone follows it.
    void outputPushed(const QString& serverId, const QStringList& lines);

private:
    struct Followed {
        servers::ServerEntry entry;
        QString tokenFile;
        std::optional<jexlink::GameStatus> game;
        bool known = false;
        QList<QDateTime> crashes;  // seen within the last 10 minutes
        QDateTime restartDue;
    };
    void ask(const QString& key);
    void take(const QString& key, const QList<jexlink::GameStatus>& games);
    void pushed(const QString& key, const jexlink::GameStatus& game);
    void update(const QString& serverId, const std::optional<jexlink::GameStatus>& game);

    LinkPool& pool_;
    QHash<QString, Followed> servers_;    // by entry id
    QHash<QString, QStringList> byLink_;  // link key: entry ids, in list order
    // Link key and profile: the entry ids a push names (a remote's every
    // game may change each second; a push must not walk the whole list).
    QHash<QPair<QString, int>, QStringList> byProfile_;
    quint64 generation_ = 0;  // answers to an older list are dropped
};

}  // namespace jexhost::games
