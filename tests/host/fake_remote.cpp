#include "fake_remote.h"

#include <QWebSocket>

#include "exchange/wire/request.h"
#include "link/link_messages.h"
#include "link/privilege_names.h"

namespace jextest {

namespace {

QString everyPrivilegeWelcome() {
    jexlink::Welcome welcome{QStringLiteral("ann"), false, {}};
    for (const char* name : jexlink::kPrivilegeNames)
        welcome.privileges.append({QString::fromLatin1(name), 1});
    return jexlink::welcomeMessage(welcome);
}

}  // namespace

FakeRemote::FakeRemote(QString token)
    : welcome(everyPrivilegeWelcome()),
      token_(std::move(token)),
      server_(QStringLiteral("fake"), QWebSocketServer::NonSecureMode) {
    server_.listen(QHostAddress::LocalHost);
    connect(&server_, &QWebSocketServer::newConnection, this, [this] {
        QWebSocket* client = server_.nextPendingConnection();
        client->setParent(this);
        ++connections;
        connect(client, &QWebSocket::textMessageReceived, client,
                [this, client, welcomed = false](const QString& message) mutable {
                    if (!welcomed) {
                        if (jexlink::readTokenMessage(message) != token_)
                            return client->close(
                                QWebSocketProtocol::CloseCode(jexlink::kTokenRefusedCode),
                                QStringLiteral("a wrong token"));
                        welcomed = true;
                        welcomed_ << client;
                        client->sendTextMessage(welcome);
                        return;
                    }
                    if (const auto id = jexlink::readGamesRequest(message)) {
                        client->sendTextMessage(jexlink::gamesAnswerMessage(*id, games));
                        return;
                    }
                    if (const auto id = jexlink::readProfilesRequest(message)) {
                        if (silentRequests > 0) return void(--silentRequests);
                        client->sendTextMessage(jexlink::profilesAnswerMessage(*id, profiles));
                        return;
                    }
                    if (const auto history = jexlink::readHistoryRequest(message)) {
                        if (!historyReply.isEmpty())
                            client->sendTextMessage(historyReply.arg(history->id));
                        return;
                    }
                    const auto request = jexlink::readRequestMessage(message);
                    if (!request) return;
                    requests << request->text;
                    bases << request->version;
                    if (silentRequests > 0) {
                        --silentRequests;
                        return;
                    }
                    if (const auto wire = kdrsm::wire::parseRequestText(request->text);
                        wire && !settingsReply.isEmpty()) {
                        jexlink::Envelope answer{request->id, settingsReply};
                        if (wire->command == kdrsm::wire::kGetSettings)
                            answer.version = version;
                        else if (!updateAnswers.isEmpty())
                            answer = updateAnswers.takeFirst();
                        else
                            answer.text = QStringLiteral("1");
                        answer.id = request->id;
                        client->sendTextMessage(jexlink::answerMessage(answer));
                        return;
                    }
                    client->sendTextMessage(jexlink::answerMessage(
                        request->id, QStringLiteral("echo:") + request->text));
                });
    });
}

void FakeRemote::closeAll() {
    for (QWebSocket* client : findChildren<QWebSocket*>()) client->close();
}

void FakeRemote::broadcast(const QString& message) {
    for (QWebSocket* client : std::as_const(welcomed_))
        if (client->state() == QAbstractSocket::ConnectedState) client->sendTextMessage(message);
}

FreezingProxy::FreezingProxy(quint16 targetPort) : targetPort_(targetPort) {
    server_.listen(QHostAddress::LocalHost);
    connect(&server_, &QTcpServer::newConnection, this, [this] {
        QTcpSocket* near = server_.nextPendingConnection();
        auto* far = new QTcpSocket(near);
        far->connectToHost(QHostAddress::LocalHost, targetPort_);
        const auto pipe = [this](QTcpSocket* from, QTcpSocket* to) {
            connect(from, &QTcpSocket::readyRead, to, [this, from, to] {
                const QByteArray bytes = from->readAll();
                if (!frozen) to->write(bytes);
            });
        };
        pipe(near, far);
        pipe(far, near);
        connect(far, &QTcpSocket::disconnected, near, &QTcpSocket::disconnectFromHost);
    });
}

QUrl FreezingProxy::url() const {
    return QUrl(QStringLiteral("ws://127.0.0.1:%1").arg(server_.serverPort()));
}

}  // namespace jextest
