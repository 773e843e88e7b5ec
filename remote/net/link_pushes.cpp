// What every welcomed connection is told unasked: another operator's stored
// change, a game's new status, and the output of the games it follows.
#include "remote/net/link_server.h"

#include <QWebSocket>

#include "link/game_messages.h"

namespace jexremote {

void LinkServer::announce(QWebSocket* sender, const std::optional<jexlink::ChangedNotice>& notice) {
    if (!notice) return;
    const QString message = jexlink::changedMessage(*notice);
    for (QWebSocket* socket : connections_.keys())
        if (const auto it = connections_.constFind(socket);
            socket != sender && it != connections_.cend() && it->who)
            send(socket, message);
}

void LinkServer::pushGame(const jexlink::GameStatus& game) {
    const QString message = jexlink::gamePushMessage(game);
    for (QWebSocket* socket : connections_.keys())
        if (const auto it = connections_.constFind(socket); it != connections_.cend() && it->who)
            send(socket, message);
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
