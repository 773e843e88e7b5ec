#include "remote/net/link_server.h"

#include <QDateTime>
#include <QFile>
#include <QWebSocket>
#include <QWebSocketCorsAuthenticator>
#include <QWebSocketServer>

#ifndef QT_NO_SSL
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslKey>
#endif

#include "remote/audit/audit_log.h"
#include "remote/remote_service.h"

namespace jexremote {

namespace {

// What a connection may send before it is welcomed: one token message.
constexpr qint64 kMaxHandshakeMessageBytes = 4096;

qint64 nowMs() {
    return QDateTime::currentMSecsSinceEpoch();
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
    connect(&pinger_, &QTimer::timeout, this, &LinkServer::pingIdle);
}

LinkServer::~LinkServer() {
    for (QWebSocket* socket : connections_.keys()) socket->abort();
}

bool LinkServer::listen(const RemoteOptions& options, QString* error) {
    const bool secure = !options.certFile.isEmpty() || !options.keyFile.isEmpty();
    if (!secure && !options.insecure && !options.address.isLoopback()) {
        *error = QStringLiteral(
                     "refusing to serve ws:// on %1, which is not loopback: give "
                     "--cert and --key for wss://, or --insecure")
                     .arg(options.address.toString());
        return false;
    }
    server_ = std::make_unique<QWebSocketServer>(
        QStringLiteral("jexremote"),
        secure ? QWebSocketServer::SecureMode : QWebSocketServer::NonSecureMode);
    if (secure) {
#ifndef QT_NO_SSL
        QSslConfiguration configuration;
        if (!loadSslConfiguration(options, &configuration, error)) return false;
        server_->setSslConfiguration(configuration);
#else
        *error = QStringLiteral("this build has no TLS support");
        return false;
#endif
    }
    server_->setHandshakeTimeout(limits_.handshakeMs);
    connect(server_.get(), &QWebSocketServer::newConnection, this, &LinkServer::acceptConnections);
    connect(server_.get(), &QWebSocketServer::originAuthenticationRequired, this,
            &LinkServer::checkOrigin);
    if (!server_->listen(options.address, options.port)) {
        *error = QStringLiteral("cannot listen on %1:%2: %3")
                     .arg(options.address.toString())
                     .arg(options.port)
                     .arg(server_->errorString());
        return false;
    }
    pinger_.start(limits_.pingMs);
    qCInfo(lcRemote).noquote() << "listening on" << url().toString();
    return true;
}

quint16 LinkServer::port() const {
    return server_ ? server_->serverPort() : 0;
}

QUrl LinkServer::url() const {
    if (!server_) return {};
    QUrl url = server_->serverUrl();
    const QHostAddress address = server_->serverAddress();
    if (address == QHostAddress::Any || address == QHostAddress::AnyIPv4)
        url.setHost(QStringLiteral("127.0.0.1"));
    else if (address == QHostAddress::AnyIPv6)
        url.setHost(QStringLiteral("::1"));
    return url;
}

// A page in a browser always sends an Origin header; hosts never do.
void LinkServer::checkOrigin(QWebSocketCorsAuthenticator* authenticator) {
    const bool allowed = authenticator->origin().isEmpty();
    if (!allowed) qCWarning(lcRemote) << "refused a handshake carrying an Origin header";
    authenticator->setAllowed(allowed);
}

void LinkServer::acceptConnections() {
    while (QWebSocket* socket = server_->nextPendingConnection()) {
        socket->setParent(this);
        if (connections_.size() >= limits_.maxConnections) {
            qCWarning(lcRemote).noquote() << "refused" << peerOf(socket) << ": already"
                                          << limits_.maxConnections << "connections";
            socket->abort();
            socket->deleteLater();
            continue;
        }
        socket->setMaxAllowedIncomingMessageSize(kMaxHandshakeMessageBytes);
        socket->setMaxAllowedIncomingFrameSize(kMaxHandshakeMessageBytes);
        auto* handshake = new QTimer(socket);
        connections_.insert(socket, {nullptr, handshake, nowMs()});
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
                it->lastHeardMs = nowMs();
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

void LinkServer::onMessage(QWebSocket* socket, const QString& message) {
    const auto it = connections_.find(socket);
    if (it == connections_.end()) return;
    Connection& connection = *it;
    connection.lastHeardMs = nowMs();
    if (!connection.who) {
        welcome(socket, connection, message);
        return;
    }
    const jexlink::Welcome& who = connection.who->welcome;
    if (const auto request = jexlink::readRequestMessage(message))
        socket->sendTextMessage(
            jexlink::answerMessage(request->id, handlers_.request(request->text, who)));
    else if (const auto history = jexlink::readHistoryRequest(message))
        socket->sendTextMessage(
            jexlink::historyAnswerMessage(history->id, handlers_.history(history->profile)));
    else if (const auto revert = jexlink::readRevertRequest(message))
        socket->sendTextMessage(jexlink::revertAnswerMessage(
            revert->id, handlers_.revert(revert->profile, revert->version, who)));
    else
        return drop(socket,
                    QStringLiteral("not a request, history or revert message (%1 characters)")
                        .arg(message.size()));
    // The answer leaves now, not after every message already received.
    socket->flush();
}

void LinkServer::welcome(QWebSocket* socket, Connection& connection, const QString& message) {
    const auto token = jexlink::readTokenMessage(message);
    const Operator* who = token ? operatorWithToken(operators_, *token) : nullptr;
    if (!who) {
        drop(socket, token ? QStringLiteral("a wrong token")
                           : QStringLiteral("a first message that is no token message"));
        return;
    }
    connection.handshake->stop();
    connection.who = who;
    socket->setMaxAllowedIncomingMessageSize(quint64(limits_.maxMessageBytes));
    socket->setMaxAllowedIncomingFrameSize(quint64(limits_.maxMessageBytes));
    qCInfo(lcRemote).noquote() << "welcomed" << peerOf(socket) << "as operator"
                               << boundedText(who->welcome.operatorName);
    socket->sendTextMessage(jexlink::welcomeMessage(who->welcome));
}

void LinkServer::drop(QWebSocket* socket, const QString& why) {
    qCWarning(lcRemote).noquote() << "closed" << peerOf(socket) << ":" << why;
    connections_.remove(socket);
    socket->abort();
    socket->deleteLater();
}

void LinkServer::pingIdle() {
    for (QWebSocket* socket : connections_.keys()) {
        if (nowMs() - connections_.value(socket).lastHeardMs > limits_.silenceMs)
            drop(socket, QStringLiteral("silent"));
        else
            socket->ping();
    }
}

}  // namespace jexremote
