#include "remote/net/link_server.h"

#include <QFile>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QWebSocket>
#include <QWebSocketCorsAuthenticator>
#include <QWebSocketServer>

#include <algorithm>

#ifndef QT_NO_SSL
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslKey>
#include <QSslServer>
#endif

#include "exchange/wire/request.h"
#include "remote/audit/audit_log.h"
#include "remote/net/client_stream.h"
#include "remote/remote_service.h"

namespace jexremote {

namespace {

// What a connection may send before it is welcomed: one token message.
constexpr qint64 kMaxHandshakeMessageBytes = 4096;

bool isUpdate(const QString& request) {
    const auto parsed = kdrsm::wire::parseRequestText(request);
    return parsed && parsed->command == kdrsm::wire::kSetSettings;
}

QString peerOf(const QWebSocket* socket) {
    return QStringLiteral("%1:%2").arg(socket->peerAddress().toString()).arg(socket->peerPort());
}

#ifndef QT_NO_SSL
bool loadSslConfiguration(const RemoteOptions& options, QSslConfiguration* configuration,
                          QString* error) {
    const auto certificates = QSslCertificate::fromPath(options.certFile, QSsl::Pem);
    QFile keyFile(options.keyFile);
    if (certificates.isEmpty() || !keyFile.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot read the certificate %1 or the key %2")
                     .arg(options.certFile, options.keyFile);
        return false;
    }
    const QByteArray pem = keyFile.read(1 << 20);
    QSslKey key(pem, QSsl::Rsa, QSsl::Pem);
    if (key.isNull()) key = QSslKey(pem, QSsl::Ec, QSsl::Pem);
    if (key.isNull()) {
        *error = QStringLiteral("the key %1 is not an RSA or EC key in PEM").arg(options.keyFile);
        return false;
    }
    *configuration = QSslConfiguration::defaultConfiguration();
    configuration->setLocalCertificateChain(certificates);
    configuration->setPrivateKey(key);
    configuration->setPeerVerifyMode(QSslSocket::VerifyNone);
    return true;
}
#endif

}  // namespace

LinkServer::LinkServer(QList<Operator> operators, Handlers handlers, LinkLimits limits,
                       QObject* parent)
    : QObject(parent),
      operators_(std::move(operators)),
      handlers_(std::move(handlers)),
      limits_(limits) {
    clock_.start();
    serving_.setSingleShot(true);
    serving_.setInterval(0);
    connect(&serving_, &QTimer::timeout, this, &LinkServer::serveRound);
    connect(&ticker_, &QTimer::timeout, this, &LinkServer::tick);
}

LinkServer::~LinkServer() {
    for (QWebSocket* socket : connections_.keys()) socket->abort();
}

bool LinkServer::listen(const RemoteOptions& options, QString* error) {
    secure_ = !options.certFile.isEmpty() || !options.keyFile.isEmpty();
    if (!secure_ && !options.insecure && !options.address.isLoopback()) {
        *error = QStringLiteral(
                     "refusing to serve ws:// on %1, which is not loopback: give "
                     "--cert and --key for wss://, or --insecure")
                     .arg(options.address.toString());
        return false;
    }
    // The TCP (or TLS) listener is this side's own, so that each socket is
    // seen before the WebSocket layer reads from it.
    if (secure_) {
#ifndef QT_NO_SSL
        QSslConfiguration configuration;
        if (!loadSslConfiguration(options, &configuration, error)) return false;
        auto tls = std::make_unique<QSslServer>();
        tls->setSslConfiguration(configuration);
        tls->setHandshakeTimeout(limits_.handshakeMs);
        listener_ = std::move(tls);
#else
        *error = QStringLiteral("this build has no TLS support");
        return false;
#endif
    } else {
        listener_ = std::make_unique<QTcpServer>();
    }
    server_ = std::make_unique<QWebSocketServer>(QStringLiteral("jexremote"),
                                                 QWebSocketServer::NonSecureMode);
    server_->setHandshakeTimeout(limits_.handshakeMs);
    // Announced once a socket is ready: for TLS, after its handshake.
    connect(listener_.get(), &QTcpServer::pendingConnectionAvailable, this,
            &LinkServer::acceptSockets);
    connect(server_.get(), &QWebSocketServer::newConnection, this, &LinkServer::acceptConnections);
    connect(server_.get(), &QWebSocketServer::originAuthenticationRequired, this,
            &LinkServer::checkOrigin);
    if (!listener_->listen(options.address, options.port)) {
        *error = QStringLiteral("cannot listen on %1:%2: %3")
                     .arg(options.address.toString())
                     .arg(options.port)
                     .arg(listener_->errorString());
        return false;
    }
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
    for (QWebSocket* socket : connections_.keys()) {
        Connection& connection = connections_[socket];
        if (!connection.who) continue;
        const Operator* now = operatorWithDigest(operators_, connection.who->tokenDigest);
        if (!now) {
            drop(socket, QStringLiteral("operator %1 is no longer in the token file")
                             .arg(boundedText(connection.who->welcome.operatorName)));
        } else if (now->welcome != connection.who->welcome) {
            connection.who = *now;
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

// A host sends its token as soon as the connection is up. When the cap of
// connections without a welcome (in all, or from this address) is reached,
// the one that has waited longest for its token gives its place to the new
// one: a crowd of idle sockets can delay a host by no more than its own
// token's way, and welcomed connections are never touched.
void LinkServer::makeRoomForNewcomer(const QString& address) {
    upgrading_.removeIf([](const QPointer<ClientStream>& stream) {
        return !stream || stream->socket()->state() != QAbstractSocket::ConnectedState;
    });
    for (const bool sameAddress : {true, false}) {
        const int cap = sameAddress ? limits_.maxUnwelcomedPerAddress : limits_.maxUnwelcomed;
        for (;;) {
            // The oldest of those still upgrading and those upgraded but not welcomed.
            int waiting = 0;
            qint64 oldestSince = 0;
            QTcpSocket* oldestUpgrading = nullptr;
            QWebSocket* oldestUpgraded = nullptr;
            for (const QPointer<ClientStream>& stream : std::as_const(upgrading_)) {
                if (sameAddress && stream->socket()->peerAddress().toString() != address) continue;
                if (waiting++ == 0 || stream->since() < oldestSince) {
                    oldestSince = stream->since();
                    oldestUpgrading = stream->socket();
                }
            }
            for (auto it = connections_.cbegin(); it != connections_.cend(); ++it) {
                if (it->who || (sameAddress && it->address != address)) continue;
                if (waiting++ == 0 || it->since < oldestSince) {
                    oldestSince = it->since;
                    oldestUpgraded = it.key();
                    oldestUpgrading = nullptr;
                }
            }
            if (waiting < cap) break;
            const QString why =
                QStringLiteral(
                    "no token yet, and its place went to a newer connection (%1 "
                    "without a welcome%2)")
                    .arg(cap)
                    .arg(sameAddress ? QStringLiteral(" from ") + address : QString());
            if (oldestUpgraded) {
                drop(oldestUpgraded, why);
            } else {
                qCWarning(lcRemote).noquote()
                    << "closed" << oldestUpgrading->peerAddress().toString() << ":" << why;
                upgrading_.removeAll(oldestUpgrading->findChild<ClientStream*>());
                oldestUpgrading->abort();
            }
        }
    }
}

// A welcomed connection's messages wait in its own queue; each round serves
// one message of every connection that has some, and the event loop runs
// between rounds: many requests on one connection delay the others by one
// answer, not by all of theirs.
void LinkServer::onMessage(QWebSocket* socket, const QString& message) {
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
    if (const auto request = jexlink::readRequestMessage(message)) {
        const QString refused =
            isUpdate(request->text) ? refusal(who.operatorName, true) : QString();
        if (!refused.isEmpty())
            return send(socket, jexlink::answerMessage(request->id, QStringLiteral("0"), refused));
        const auto served = handlers_.request(*request, who);
        send(socket, jexlink::answerMessage(served.answer));
        announce(socket, served.changed);
    } else if (const auto history = jexlink::readHistoryRequest(message)) {
        const QString refused = refusal(who.operatorName, false);
        send(socket, jexlink::historyAnswerMessage(
                         history->id, refused.isEmpty() ? handlers_.history(history->profile)
                                                        : jexlink::History{{}, {}, refused}));
    } else if (const auto revert = jexlink::readRevertRequest(message)) {
        const QString refused = refusal(who.operatorName, true);
        if (!refused.isEmpty())
            return send(socket, jexlink::revertAnswerMessage(
                                    revert->id, jexlink::RevertOutcome{false, refused}));
        const auto served = handlers_.revert(revert->profile, revert->version, who);
        send(socket, jexlink::revertAnswerMessage(revert->id, served.answer));
        announce(socket, served.changed);
    } else if (const auto kept = jexlink::readKeptSettingsRequest(message)) {
        const QString refused = refusal(who.operatorName, false);
        send(socket,
             jexlink::keptSettingsAnswerMessage(
                 kept->id, refused.isEmpty() ? handlers_.keptSettings(kept->profile, kept->version)
                                             : jexlink::KeptSettings{{}, refused}));
    } else if (jexlink::hasBadId(message)) {
        drop(socket, QStringLiteral("an id that is not a whole number from 0 to 2^53"));
    } else {
        drop(socket, QStringLiteral("not a well-formed request, history, revert or kept-version "
                                    "message (%1 characters)")
                         .arg(message.size()));
    }
}

QString LinkServer::refusal(const QString& operatorName, bool update) {
    Turns& turns = turns_[operatorName];
    const RateLimit& limit = update ? limits_.updates : limits_.history;
    if ((update ? turns.updates : turns.history).take(limit, clock_.elapsed())) {
        turns.refusalLogged = false;
        return {};
    }
    const QString why =
        QStringLiteral("operator %1: too many %2 (the limit is %3 a second); try again shortly")
            .arg(operatorName,
                 update ? QStringLiteral("updates") : QStringLiteral("history requests"))
            .arg(limit.perSecond);
    if (!std::exchange(turns.refusalLogged, true))
        qCWarning(lcRemote).noquote() << "refused:" << boundedText(why);
    return why;
}

void LinkServer::welcome(QWebSocket* socket, Connection& connection, const QString& message) {
    const auto token = jexlink::readTokenMessage(message);
    const Operator* who = token ? operatorWithToken(operators_, *token) : nullptr;
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
    socket->sendTextMessage(message);
    socket->flush();
    if (socket->bytesToWrite() > limits_.maxUnsentBytes)
        drop(socket,
             QStringLiteral("over %1 bytes of answers left unread").arg(limits_.maxUnsentBytes));
}

void LinkServer::announce(QWebSocket* sender, const std::optional<jexlink::ChangedNotice>& notice) {
    if (!notice) return;
    const QString message = jexlink::changedMessage(*notice);
    for (QWebSocket* socket : connections_.keys())
        if (const auto it = connections_.constFind(socket);
            socket != sender && it != connections_.cend() && it->who)
            send(socket, message);
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
