#pragma once
// The remote side on the network: a WebSocket server that hands each request
// message to the remote plug-in and sends its answer back to the client that
// asked, under the request's id.

#include <QHostAddress>
#include <QObject>
#include <QUrl>
#include <QWebSocketServer>

namespace jexremote {

class RemotePlugin;

class RemoteServer : public QObject {
    Q_OBJECT
public:
    explicit RemoteServer(RemotePlugin& plugin, QObject* parent = nullptr);

    // Port 0 picks a free port. False (see errorString) when it cannot listen.
    bool listen(const QHostAddress& address = QHostAddress::LocalHost, quint16 port = 0);
    QUrl url() const;
    QString errorString() const { return server_.errorString(); }

private:
    void acceptClients();

    RemotePlugin& plugin_;
    QWebSocketServer server_;
};

}  // namespace jexremote
