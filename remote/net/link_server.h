#pragma once
// The remote link's server side. A new connection must present an operator's
// token in its first message within the handshake time; it is then welcomed
// and may send requests, history, revert and kept-version messages, each answered under
// its id. Anything else closes the connection without an answer: a wrong
// token, another first message, a late token, a browser's handshake (one with
// an Origin header), a message over the size limit, an id that is not a whole
// number from 0 to 2^53, a connection beyond a limit, silence after pings,
// answers left unread past a bound, an operator taken out of the token file.
//
// Connections not yet welcomed have caps of their own, in all and per peer
// address, so that they never take a welcomed host's place (see admission.h),
// and an upgrade not finished in time is closed; welcomed ones are capped in
// all and per operator. Before a token or a message is judged the operators
// are brought up to date, so a change to the token file reaches every request
// sent after it. Updates (and reverts) and history requests are limited per
// operator: the excess is refused at once with the reason, so a busy operator
// costs the others nothing. After a stored change every other welcomed
// connection is told; a notice counts against the same bound of unread bytes
// as an answer, so a host that does not read loses its connection rather than
// hold up the others.

#include <QElapsedTimer>
#include <QHash>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QStringList>
#include <QTimer>
#include <QUrl>

#include <functional>
#include <memory>
#include <optional>

#include "remote/net/link_dispatcher.h"
#include "remote/net/operators.h"
#include "remote/net/rate_limit.h"
#include "remote/served.h"

class QTcpServer;
class QWebSocket;
class QWebSocketServer;
class QWebSocketCorsAuthenticator;

namespace jexremote {

struct RemoteOptions;
class ClientStream;

struct LinkLimits {
    qint64 maxMessageBytes = jexlink::kDefaultMaxMessageBytes;
    int maxConnections = 64;  // welcomed, in all
    int maxPerOperator = 8;   // welcomed, per operator
    // Not yet welcomed: room for a console logging in with every token it
    // holds at once, from one address, and for many such consoles.
    int maxUnwelcomed = 256;           // in all
    int maxUnwelcomedPerAddress = 64;  // per peer address
    qint64 maxUnsentBytes = 4 << 20;   // answers a peer has not read; past it, closed
    qint64 maxWaitingBytes = 8 << 20;  // messages received, not yet answered; past it, closed
    int upgradeMs = 10000;             // from the connection to the end of the WebSocket upgrade
    int handshakeMs = 5000;            // the TLS handshake; from the upgrade to the token
    int pingMs = 30000;                // how often every connection is pinged
    int silenceMs = 90000;             // closed after this long with neither a message nor a pong
    int gameSendMs = 250;              // game pushes gathered at most this long (see pushGame)
    RateLimit updates{10, 20};
    RateLimit history{5, 10};
};

class LinkServer : public QObject {
    Q_OBJECT
public:
    // What the welcomed operator's messages are answered with. A stored
    // change's notice goes to every other welcomed connection.
    using Handlers = LinkHandlers;

    LinkServer(QList<Operator> operators, Handlers handlers, LinkLimits limits,
               QObject* parent = nullptr);
    ~LinkServer() override;

    // Listens as the options say: wss:// with a certificate and key, ws://
    // otherwise, and a non-loopback address only over wss:// or when allowed
    // to be insecure. False, with the reason in `error`, when it cannot.
    bool listen(const RemoteOptions& options, QString* error);

    quint16 port() const;
    // ws:// or wss://, the address and port actually bound.
    QUrl url() const;

    // Takes a new set of operators: open connections whose token is no longer
    // in it are closed; those whose operator changed get a new welcome. The
    // tokens taken out are remembered (their digests, in memory) so that a
    // later login with one is told that its operator was removed. New logins
    // are taken again.
    void setOperators(QList<Operator> operators);
    // Welcomed connections stay, and no new login is taken until the next
    // set of operators.
    void refuseLogins();
    // Asked before a token or a message is judged, and at every tick, to
    // bring the operators up to date (through setOperators).
    void setOperatorsCheck(std::function<void()> check);

    // A game's new status, to every welcomed connection. Sent at once when
    // none went in the last `gameSendMs`; otherwise gathered with the others
    // due and sent together, in order, at the end of that time: a fleet whose
    // thousand games change each second then wakes a console four times a
    // second, not a thousand.
    void pushGame(const jexlink::GameStatus& game);
    // A game's new output lines, to the connections that follow that profile.
    void pushOutput(int profile, const QStringList& lines);

private:
    struct Connection {
        std::optional<Operator> who;  // set once welcomed
        QTimer* handshake = nullptr;  // a child of the socket
        QString address;              // the peer's, for the cap per address
        qint64 since = 0;             // when it connected
        qint64 lastHeardMs = 0;
        qint64 lastPingMs = 0;
        QStringList waiting;  // received, not yet answered
        qint64 waitingBytes = 0;
        QSet<int> following;  // profiles whose output it is sent
    };
    void acceptSockets();
    void acceptConnections();
    void checkOrigin(QWebSocketCorsAuthenticator* authenticator);
    void makeRoomForNewcomer(const QString& address);
    void onMessage(QWebSocket* socket, const QString& message);
    void welcome(QWebSocket* socket, Connection& connection, const QString& message);
    void serveRound();
    void serve(QWebSocket* socket, const jexlink::Welcome& who, const QString& message);
    void send(QWebSocket* socket, const QString& message);
    void send(QWebSocket* socket, const QStringList& messages);
    // The notice to every welcomed connection but the sender's.
    void announce(QWebSocket* sender, const std::optional<jexlink::ChangedNotice>& notice);
    void drop(QWebSocket* socket, const QString& why);
    // Closes a login with a close frame the host reads: `code` and `reason`
    // (see jexlink::kTokenRefusedCode); `why` goes to the log.
    void refuseLogin(QWebSocket* socket, int code, const QString& reason, const QString& why);
    void tick();
    void sendGames();
    int count(const std::function<bool(const Connection&)>& which) const;

    QList<Operator> operators_;
    bool loginsOpen_ = true;
    std::function<void()> operatorsCheck_;
    LinkDispatcher dispatcher_;
    QList<Operator> removed_;  // taken out of the token file since the start, newest last
    LinkLimits limits_;
    std::unique_ptr<QTcpServer> listener_;      // TCP or TLS
    std::unique_ptr<QWebSocketServer> server_;  // upgrades the listener's sockets
    bool secure_ = false;
    QList<QPointer<ClientStream>> upgrading_;  // accepted, not yet upgraded
    QHash<QWebSocket*, Connection> connections_;
    QElapsedTimer clock_;
    QTimer ticker_;               // pings and the silence limit
    QTimer serving_;              // the next round of waiting messages
    QStringList gamesDue_;        // game pushes not yet sent, in order
    QTimer gameSend_;             // sends gamesDue_
    qint64 lastGameSendMs_ = -1;  // on clock_; -1 before the first
};

}  // namespace jexremote
