#include "remote/net/link_server.h"

#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QWebSocket>
#include <QWebSocketCorsAuthenticator>
#include <QWebSocketServer>

#include <algorithm>

#include "remote/audit/audit_log.h"
#include "remote/net/admission.h"
#include "remote/net/client_stream.h"
#include "remote/net/link_dispatcher.h"
#include "remote/net/link_listener.h"

namespace jexremote {

namespace {

// What a connection may send before it is welcomed: one token message.
constexpr qint64 kMaxHandshakeMessageBytes = 4096;

QString peerOf(const QWebSocket* socket) {
    return QStringLiteral("%1:%2").arg(socket->peerAddress().toString()).arg(socket->peerPort());
}

}  // namespace

LinkServer::LinkServer(QList<Operator> operators, Handlers handlers, LinkLimits limits,
                       QObject* parent)
    : QObject(parent),
      operators_(std::move(operators)),
      dispatcher_(std::move(handlers), limits.updates, limits.history),
      limits_(limits) {
    clock_.start();
    serving_.setSingleShot(true);
    serving_.setInterval(0);
    connect(&serving_, &QTimer::timeout, this, &LinkServer::serveRound);
    connect(&ticker_, &QTimer::timeout, this, &LinkServer::tick);
    gameSend_.setSingleShot(true);
    connect(&gameSend_, &QTimer::timeout, this, &LinkServer::sendGames);
}

LinkServer::~LinkServer() {
    for (QWebSocket* socket : connections_.keys()) socket->abort();
}

bool LinkServer::listen(const RemoteOptions& options, QString* error) {
    LinkListener listener = openLinkListener(options, limits_.handshakeMs, error);
    if (!listener.server) return false;
    listener_ = std::move(listener.server);
    secure_ = listener.secure;
    server_ = std::make_unique<QWebSocketServer>(QStringLiteral("jexremote"),
                                                 QWebSocketServer::NonSecureMode);
    server_->setHandshakeTimeout(limits_.handshakeMs);
    // Announced once a socket is ready: for TLS, after its handshake.
    connect(listener_.get(), &QTcpServer::pendingConnectionAvailable, this,
            &LinkServer::acceptSockets);
    connect(server_.get(), &QWebSocketServer::newConnection, this, &LinkServer::acceptConnections);
    connect(server_.get(), &QWebSocketServer::originAuthenticationRequired, this,
            &LinkServer::checkOrigin);
    // Checked often enough that the silence limit holds to within a second.
    ticker_.start(std::clamp(std::min(limits_.pingMs, limits_.silenceMs) / 4, 10, 1000));
    qCInfo(lcRemote).noquote() << "listening on" << url().toString();
    return true;
}

quint16 LinkServer::port() const {
    return listener_ ? listener_->serverPort() : 0;
}

QUrl LinkServer::url() const {
    if (!listener_) return {};
    QUrl url;
    url.setScheme(secure_ ? QStringLiteral("wss") : QStringLiteral("ws"));
    url.setHost(listener_->serverAddress().toString());
    url.setPort(listener_->serverPort());
    return url;
}

void LinkServer::setOperatorsCheck(std::function<void()> check) {
    operatorsCheck_ = std::move(check);
}

void LinkServer::refuseLogins() {
    loginsOpen_ = false;
}

void LinkServer::setOperators(QList<Operator> operators) {
    for (const Operator& was : std::as_const(operators_))
        if (!operatorWithDigest(operators, was.tokenDigest) &&
            !operatorWithDigest(removed_, was.tokenDigest))
            removed_.append(was);
    removed_.removeIf([&](const Operator& gone) {
        return operatorWithDigest(operators, gone.tokenDigest) != nullptr;
    });
    constexpr int kRemovedKept = 1000;  // a bound on what a churning file can make us keep
    if (removed_.size() > kRemovedKept) removed_.remove(0, removed_.size() - kRemovedKept);
    operators_ = std::move(operators);
    loginsOpen_ = true;
    for (QWebSocket* socket : connections_.keys()) {
        Connection& connection = connections_[socket];
        if (!connection.who) continue;
        const Operator* now = operatorWithDigest(operators_, connection.who->tokenDigest);
        if (!now) {
            drop(socket, QStringLiteral("operator %1 is no longer in the token file")
                             .arg(boundedText(connection.who->welcome.operatorName)));
        } else if (now->welcome != connection.who->welcome) {
            connection.who = *now;
            if (!controlRefusal(now->welcome).isEmpty()) connection.following.clear();
            qCInfo(lcRemote).noquote() << "welcomed" << peerOf(socket) << "again as operator"
                                       << boundedText(now->welcome.operatorName);
            send(socket, jexlink::welcomeMessage(now->welcome));
        }
    }
}

// A page in a browser always sends an Origin header; hosts never do.
void LinkServer::checkOrigin(QWebSocketCorsAuthenticator* authenticator) {
    const bool allowed = authenticator->origin().isEmpty();
    if (!allowed) qCWarning(lcRemote) << "refused a handshake carrying an Origin header";
    authenticator->setAllowed(allowed);
}

int LinkServer::count(const std::function<bool(const Connection&)>& which) const {
    return int(std::count_if(connections_.cbegin(), connections_.cend(), which));
}

void LinkServer::acceptSockets() {
    while (QTcpSocket* tcp = listener_->nextPendingConnection()) {
        makeRoomForNewcomer(tcp->peerAddress().toString());
        auto* stream = new ClientStream(tcp, clock_.elapsed());
        upgrading_.append(stream);
        connect(stream, &ClientStream::unmaskedFrame, this,
                [this, stream] { drop(stream->webSocket(), QStringLiteral("an unmasked frame")); });
        // An upgrade never finished would hold its place for good; one with
        // a token still to come has its own, shorter time (handshakeMs).
        QTimer::singleShot(limits_.upgradeMs, stream, [this, stream] {
            if (stream->webSocket()) return;
            qCWarning(lcRemote).noquote() << "closed" << stream->socket()->peerAddress().toString()
                                          << ": not upgraded within" << limits_.upgradeMs << "ms";
            upgrading_.removeAll(stream);
            stream->socket()->abort();
        });
        server_->handleConnection(tcp);
        // A TLS socket comes after its handshake, often with the upgrade
        // request already read: nothing would announce it again.
        if (tcp->bytesAvailable() > 0) emit tcp->readyRead();
    }
}

void LinkServer::acceptConnections() {
    while (QWebSocket* socket = server_->nextPendingConnection()) {
        socket->setParent(this);
        ClientStream* stream = nullptr;
        for (const QPointer<ClientStream>& waiting : std::as_const(upgrading_))
            if (waiting && waiting->socket()->peerPort() == socket->peerPort() &&
                waiting->socket()->peerAddress() == socket->peerAddress())
                stream = waiting;
        upgrading_.removeAll(stream);
        if (!stream) {  // not from this side's listener
            socket->abort();
            socket->deleteLater();
            continue;
        }
        stream->upgraded(socket);
        const QString address = socket->peerAddress().toString();
        socket->setMaxAllowedIncomingMessageSize(kMaxHandshakeMessageBytes);
        socket->setMaxAllowedIncomingFrameSize(kMaxHandshakeMessageBytes);
        auto* handshake = new QTimer(socket);
        const qint64 now = clock_.elapsed();
        Connection connection;
        connection.handshake = handshake;
        connection.address = address;
        connection.since = stream->since();
        connection.lastHeardMs = connection.lastPingMs = now;
        connections_.insert(socket, connection);
        qCInfo(lcRemote).noquote() << "connection from" << peerOf(socket);

        handshake->setSingleShot(true);
        connect(handshake, &QTimer::timeout, this,
                [this, socket] { drop(socket, QStringLiteral("no token in time")); });
        handshake->start(limits_.handshakeMs);

        connect(socket, &QWebSocket::textMessageReceived, this,
                [this, socket](const QString& message) { onMessage(socket, message); });
        connect(socket, &QWebSocket::binaryMessageReceived, this,
                [this, socket] { drop(socket, QStringLiteral("a binary message")); });
        connect(socket, &QWebSocket::pong, this, [this, socket] {
            if (auto it = connections_.find(socket); it != connections_.end())
                it->lastHeardMs = clock_.elapsed();
        });
        connect(socket, &QWebSocket::disconnected, this, [this, socket] {
            if (socket->closeCode() == QWebSocketProtocol::CloseCodeTooMuchData)
                qCWarning(lcRemote).noquote() << "closed" << peerOf(socket) << ": a message over"
                                              << socket->maxAllowedIncomingMessageSize() << "bytes";
            connections_.remove(socket);
            socket->deleteLater();
        });
    }
}

// At a cap of connections without a welcome, the ones that waited longest
// make room (see admission.h); welcomed connections are never touched.
void LinkServer::makeRoomForNewcomer(const QString& address) {
    upgrading_.removeIf([](const QPointer<ClientStream>& stream) {
        return !stream || stream->socket()->state() != QAbstractSocket::ConnectedState;
    });
    // Those still upgrading, then those upgraded and waiting for their token.
    QList<WaitingConnection> waiting;
    QList<QObject*> sockets;
    for (const QPointer<ClientStream>& stream : std::as_const(upgrading_)) {
        waiting.append({stream->since(), stream->socket()->peerAddress().toString()});
        sockets.append(stream->socket());
    }
    for (auto it = connections_.cbegin(); it != connections_.cend(); ++it) {
        if (it->who) continue;
        waiting.append({it->since, it->address});
        sockets.append(it.key());
    }
    for (const Eviction& eviction :
         makeRoom(waiting, address, limits_.maxUnwelcomed, limits_.maxUnwelcomedPerAddress)) {
        const QString why =
            QStringLiteral(
                "no token yet, and its place went to a newer connection (%1 without a "
                "welcome%2)")
                .arg(eviction.forAddress ? limits_.maxUnwelcomedPerAddress : limits_.maxUnwelcomed)
                .arg(eviction.forAddress ? QStringLiteral(" from ") + address : QString());
        QObject* socket = sockets[eviction.index];
        if (auto* upgraded = qobject_cast<QWebSocket*>(socket)) {
            drop(upgraded, why);
        } else if (auto* upgrading = qobject_cast<QTcpSocket*>(socket)) {
            qCWarning(lcRemote).noquote()
                << "closed" << upgrading->peerAddress().toString() << ":" << why;
            upgrading_.removeAll(upgrading->findChild<ClientStream*>());
            upgrading->abort();
        }
    }
}

// A welcomed connection's messages wait in its own queue; each round serves
// one message of every connection that has some, and the event loop runs
// between rounds: many requests on one connection delay the others by one
// answer, not by all of theirs.
void LinkServer::onMessage(QWebSocket* socket, const QString& message) {
    if (operatorsCheck_) operatorsCheck_();  // may close this very connection
    const auto it = connections_.find(socket);
    if (it == connections_.end()) return;
    Connection& connection = *it;
    connection.lastHeardMs = clock_.elapsed();
    if (!connection.who) {
        welcome(socket, connection, message);
        return;
    }
    const qint64 bytes = 2 * message.size();
    if (!connection.waiting.isEmpty() && connection.waitingBytes + bytes > limits_.maxWaitingBytes)
        return drop(socket, QStringLiteral("over %1 bytes of messages waiting for their answers")
                                .arg(limits_.maxWaitingBytes));
    connection.waiting.append(message);
    connection.waitingBytes += bytes;
    if (!serving_.isActive()) serving_.start();
}

void LinkServer::serveRound() {
    bool more = false;
    for (QWebSocket* socket : connections_.keys()) {
        auto it = connections_.find(socket);
        if (it == connections_.end() || it->waiting.isEmpty()) continue;
        // A message that waited is judged by the operator's entry as it is now.
        if (operatorsCheck_) operatorsCheck_();
        it = connections_.find(socket);
        if (it == connections_.end()) continue;
        const QString message = it->waiting.takeFirst();
        it->waitingBytes -= 2 * message.size();
        const jexlink::Welcome who = it->who->welcome;  // serving may close the connection
        serve(socket, who, message);
        it = connections_.find(socket);
        more = more || (it != connections_.end() && !it->waiting.isEmpty());
    }
    if (more) serving_.start();
}

void LinkServer::serve(QWebSocket* socket, const jexlink::Welcome& who, const QString& message) {
    // A late answer goes to the connection only if it is still open.
    const QPointer<QWebSocket> asker(socket);
    const auto later = [this, asker](const QString& answer) {
        if (asker && connections_.contains(asker.data())) send(asker.data(), answer);
    };
    const auto outcome = dispatcher_.dispatch(message, who, clock_.elapsed(), later);
    if (!outcome.closing.isEmpty()) return drop(socket, outcome.closing);
    if (outcome.follow) {
        if (const auto it = connections_.find(socket); it != connections_.end()) {
            if (outcome.follow->second)
                it->following.insert(outcome.follow->first);
            else
                it->following.remove(outcome.follow->first);
        }
    }
    if (!outcome.deferred) send(socket, outcome.answer);
    announce(socket, outcome.changed);
}

void LinkServer::welcome(QWebSocket* socket, Connection& connection, const QString& message) {
    const auto token = jexlink::readTokenMessage(message);
    const Operator* who = token ? operatorWithToken(operators_, *token) : nullptr;
    if (who && !loginsOpen_)
        return drop(socket, QStringLiteral("the token file is gone or holds no operator"));
    if (!who) {
        if (!token) return drop(socket, QStringLiteral("a first message that is no token message"));
        if (const Operator* gone = operatorWithToken(removed_, *token)) {
            const QString name = boundedText(gone->welcome.operatorName);
            return refuseLogin(socket, jexlink::kOperatorRemovedCode,
                               QStringLiteral("operator %1 was removed from this remote").arg(name),
                               QStringLiteral("the token of operator %1, removed").arg(name));
        }
        return refuseLogin(socket, jexlink::kTokenRefusedCode, QStringLiteral("a wrong token"),
                           QStringLiteral("a wrong token"));
    }
    const QString name = who->welcome.operatorName;
    if (count([](const Connection& c) { return c.who.has_value(); }) >= limits_.maxConnections)
        return drop(socket,
                    QStringLiteral("already %1 welcomed connections").arg(limits_.maxConnections));
    if (count([&](const Connection& c) { return c.who && c.who->welcome.operatorName == name; }) >=
        limits_.maxPerOperator)
        return drop(socket, QStringLiteral("operator %1 has %2 connections already")
                                .arg(boundedText(name))
                                .arg(limits_.maxPerOperator));
    connection.handshake->stop();
    connection.who = *who;
    socket->setMaxAllowedIncomingMessageSize(quint64(limits_.maxMessageBytes));
    socket->setMaxAllowedIncomingFrameSize(quint64(limits_.maxMessageBytes));
    qCInfo(lcRemote).noquote() << "welcomed" << peerOf(socket) << "as operator"
                               << boundedText(name);
    send(socket, jexlink::welcomeMessage(who->welcome));
}

// The answer leaves now, not after every message already received. What the
// peer does not read stays in the socket's buffer; past the bound the
// connection is closed rather than let the buffer grow.
void LinkServer::send(QWebSocket* socket, const QString& message) {
    send(socket, QStringList{message});
}

// Written together, so that a peer is woken once for them.
void LinkServer::send(QWebSocket* socket, const QStringList& messages) {
    for (const QString& message : messages) socket->sendTextMessage(message);
    socket->flush();
    if (socket->bytesToWrite() > limits_.maxUnsentBytes)
        drop(socket,
             QStringLiteral("over %1 bytes of answers left unread").arg(limits_.maxUnsentBytes));
}

void LinkServer::drop(QWebSocket* socket, const QString& why) {
    if (!socket || !connections_.remove(socket)) return;
    qCWarning(lcRemote).noquote() << "closed" << peerOf(socket) << ":" << why;
    socket->abort();
    socket->deleteLater();
}

// The close frame carries the reason to the host; the socket goes once it
// is out.
void LinkServer::refuseLogin(QWebSocket* socket, int code, const QString& reason,
                             const QString& why) {
    if (!connections_.remove(socket)) return;
    qCWarning(lcRemote).noquote() << "closed" << peerOf(socket) << ":" << why;
    socket->close(QWebSocketProtocol::CloseCode(code), reason.left(jexlink::kMaxCloseReasonLength));
    socket->flush();
    socket->deleteLater();
}

void LinkServer::tick() {
    if (operatorsCheck_) operatorsCheck_();  // should a notice of the file's change go astray
    const qint64 now = clock_.elapsed();
    for (QWebSocket* socket : connections_.keys()) {
        Connection& connection = connections_[socket];
        if (now - connection.lastHeardMs > limits_.silenceMs) {
            drop(socket, QStringLiteral("silent"));
        } else if (now - connection.lastPingMs >= limits_.pingMs) {
            connection.lastPingMs = now;
            socket->ping();
        }
    }
}

}  // namespace jexremote
