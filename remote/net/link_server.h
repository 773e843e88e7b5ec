#pragma once
// The remote link's server side. A new connection must present an operator's
// token in its first message within the handshake time; it is then welcomed
// and may send requests, history and revert messages, each answered under
// its id. Anything else closes
// the connection without an answer: a wrong token, another first message, a
// late token, a browser's handshake (one with an Origin header), a message
// over the size limit, a connection beyond the limit, silence after pings.

#include <QHash>
#include <QObject>
#include <QTimer>
#include <QUrl>

#include <functional>
#include <memory>

#include "remote/net/operators.h"

class QWebSocket;
class QWebSocketServer;
class QWebSocketCorsAuthenticator;

namespace jexremote {

struct RemoteOptions;

struct LinkLimits {
    qint64 maxMessageBytes = jexlink::kDefaultMaxMessageBytes;
    int maxConnections = 64;
    int handshakeMs = 5000;
    int pingMs = 30000;     // how often every connection is pinged
    int silenceMs = 90000;  // closed after this long with neither a message nor a pong
};

class LinkServer : public QObject {
    Q_OBJECT
public:
    // What the welcomed operator's messages are answered with.
    struct Handlers {
        std::function<QString(const QString& request, const jexlink::Welcome& who)> request;
        std::function<jexlink::History(int profile)> history;
        std::function<jexlink::RevertOutcome(int profile, qint64 version,
                                             const jexlink::Welcome& who)>
            revert;
    };

    LinkServer(QList<Operator> operators, Handlers handlers, LinkLimits limits,
               QObject* parent = nullptr);
    ~LinkServer() override;

    // Listens as the options say: wss:// with a certificate and key, ws://
    // otherwise, and a non-loopback address only over wss:// or when allowed
    // to be insecure. False, with the reason in `error`, when it cannot.
    bool listen(const RemoteOptions& options, QString* error);

    quint16 port() const;
    QUrl url() const;

private:
    struct Connection {
        const Operator* who = nullptr;  // set once welcomed
        QTimer* handshake = nullptr;    // a child of the socket
        qint64 lastHeardMs = 0;
    };

    void acceptConnections();
    void checkOrigin(QWebSocketCorsAuthenticator* authenticator);
    void onMessage(QWebSocket* socket, const QString& message);
    void welcome(QWebSocket* socket, Connection& connection, const QString& message);
    void drop(QWebSocket* socket, const QString& why);
    void pingIdle();

    QList<Operator> operators_;
    Handlers handlers_;
    LinkLimits limits_;
    std::unique_ptr<QWebSocketServer> server_;
    QHash<QWebSocket*, Connection> connections_;
    QTimer pinger_;
};

}  // namespace jexremote
