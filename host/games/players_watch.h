#pragma once
// Who plays on one server's game, for the Players view: asked of its remote
// side (the game's own query, as the remote side heard it last) when the
// server is chosen and every 5 s after while the view is shown; nothing is
// asked while it is hidden. Widget-free: it talks to the server's link
// through a sender and is told of the link's welcomes and failures.

#include <QList>
#include <QObject>
#include <QTimer>

#include <optional>

#include "host/games/output_feed.h"
#include "link/player_messages.h"

namespace jexhost::games_ui {

inline constexpr int kPlayersRefreshMs = 5000;

class PlayersWatch : public QObject {
    Q_OBJECT
public:
    explicit PlayersWatch(QObject* parent = nullptr);

    void watch(const FollowedServer& server);
    void stop();
    // Asks now and then every kPlayersRefreshMs while active; not at all while not.
    void setActive(bool active);
    void welcomed(const jexlink::Welcome& welcome);
    void linkDown(LinkFailure failure);

    const QList<jexlink::PlayerEntry>& players() const { return players_; }
    // "Lobby: 3 playing, 1 watching.", "Lobby: nobody plays.", "Lobby: the game is stopped." ...
    const QString& stateText() const { return text_; }

signals:
    void changed();

private:
    void ask();
    void answered(qint64 asked, const QString& answer, LinkFailure failure);
    void show(const QString& text, QList<jexlink::PlayerEntry> players = {});

    FollowedServer server_;
    bool active_ = false;
    qint64 asking_ = 0;     // which ask an answer belongs to; a new server outdates the rest
    bool waiting_ = false;  // an ask is under way: the next tick does not ask again
    QTimer refresh_;
    QList<jexlink::PlayerEntry> players_;
    QString text_;
};

// "3 playing, 1 watching", "nobody plays", "2 playing": the list in words.
QString describeRoster(const QList<jexlink::PlayerEntry>& players);

}  // namespace jexhost::games_ui
