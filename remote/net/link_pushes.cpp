// What every welcomed connection is told unasked: another operator's stored
// change, a game's new status, and the output of the games it follows.
#include "remote/net/link_server.h"

#include <QWebSocket>

#include <algorithm>

#include "link/game_messages.h"

namespace jexremote {

namespace {
// A game flapping faster than the gathering time fills no more than this.
constexpr qsizetype kMostGamesGathered = 4096;
}  // namespace

void LinkServer::announce(QWebSocket* sender, const std::optional<jexlink::ChangedNotice>& notice) {
    if (!notice) return;
    const QString message = jexlink::changedMessage(*notice);
    for (QWebSocket* socket : connections_.keys())
        if (const auto it = connections_.constFind(socket);
            socket != sender && it != connections_.cend() && it->who)
            send(socket, message);
}

void LinkServer::pushGame(const jexlink::GameStatus& game) {
    gamesDue_ << jexlink::gamePushMessage(game);
    if (gamesDue_.size() >= kMostGamesGathered) return sendGames();
    if (gameSend_.isActive()) return;
    const qint64 wait =
        lastGameSendMs_ < 0 ? 0 : lastGameSendMs_ + limits_.gameSendMs - clock_.elapsed();
    gameSend_.start(int(std::clamp<qint64>(wait, 0, limits_.gameSendMs)));
}

void LinkServer::sendGames() {
    gameSend_.stop();
    lastGameSendMs_ = clock_.elapsed();
    const QStringList due = std::exchange(gamesDue_, {});
    for (QWebSocket* socket : connections_.keys())
        if (const auto it = connections_.constFind(socket); it != connections_.cend() && it->who)
            send(socket, due);
}

void LinkServer::pushOutput(int profile, const QStringList& lines) {
    if (lines.isEmpty()) return;
    QString message;
    for (QWebSocket* socket : connections_.keys()) {
        const auto it = connections_.constFind(socket);
        if (it == connections_.cend() || !it->who || !it->following.contains(profile)) continue;
        if (message.isEmpty()) message = jexlink::outputPushMessage(profile, lines);
        send(socket, message);
    }
}

}  // namespace jexremote
