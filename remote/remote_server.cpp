#include "remote/remote_server.h"

#include <QWebSocket>

#include "remote/envelope.h"
#include "remote/log.h"
#include "remote/remote_plugin.h"

namespace jexremote {

RemoteServer::RemoteServer(RemotePlugin& plugin, QObject* parent)
    : QObject(parent),
      plugin_(plugin),
      server_(QStringLiteral("jexremote"), QWebSocketServer::NonSecureMode) {
    connect(&server_, &QWebSocketServer::newConnection, this, &RemoteServer::acceptClients);
}

bool RemoteServer::listen(const QHostAddress& address, quint16 port) {
    return server_.listen(address, port);
}

QUrl RemoteServer::url() const {
    QUrl url = server_.serverUrl();
    if (server_.serverAddress() == QHostAddress::Any ||
        server_.serverAddress() == QHostAddress::AnyIPv4)
        url.setHost(QStringLiteral("127.0.0.1"));
    return url;
}

void RemoteServer::acceptClients() {
    while (QWebSocket* client = server_.nextPendingConnection()) {
        client->setParent(this);
        qCInfo(lcRemote) << "client connected from" << client->peerAddress().toString();
        connect(client, &QWebSocket::disconnected, client, &QObject::deleteLater);
        connect(
            client, &QWebSocket::textMessageReceived, client,
            [this, client](const QString& message) {
                const auto request = readRequestMessage(message);
                if (!request) {
                    qCWarning(lcRemote) << "not a request message:" << message.left(80);
                    return;
                }
                client->sendTextMessage(answerMessage(request->id, plugin_.answer(request->text)));
            });
    }
}

}  // namespace jexremote
