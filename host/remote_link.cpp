#include "host/remote_link.h"

#include <QTimer>

#include <algorithm>
#include <utility>

#include "host/log.h"
#include "remote/envelope.h"

namespace jexhost {

RemoteLink::RemoteLink(const QUrl& url, int timeoutMs, QObject* parent)
    : QObject(parent), url_(url), timeoutMs_(timeoutMs) {
    connect(&socket_, &QWebSocket::connected, this, &RemoteLink::flushQueue);
    connect(&socket_, &QWebSocket::textMessageReceived, this, &RemoteLink::onMessage);
    connect(&socket_, &QWebSocket::disconnected, this,
            [this] { failAll(QStringLiteral("link closed")); });
    connect(&socket_, qOverload<QAbstractSocket::SocketError>(&QWebSocket::error), this,
            [this] { failAll(socket_.errorString()); });
}

RemoteLink::~RemoteLink() {
    socket_.disconnect(this);
    socket_.abort();
}

void RemoteLink::send(const QString& request, AnswerCallback onAnswer) {
    const qint64 id = nextId_++;
    auto* deadline = new QTimer(this);
    deadline->setSingleShot(true);
    connect(deadline, &QTimer::timeout, this, [this, id] {
        qCWarning(lcHost) << "no answer from" << url_.toString() << "in time";
        finish(id, QString());
    });
    deadline->start(timeoutMs_);
    pending_.insert(id, {std::move(onAnswer), deadline});
    queue_.append({id, jexremote::requestMessage(id, request)});

    if (socket_.state() == QAbstractSocket::ConnectedState)
        flushQueue();
    else if (socket_.state() == QAbstractSocket::UnconnectedState)
        socket_.open(url_);
}

void RemoteLink::flushQueue() {
    const auto queued = std::exchange(queue_, {});
    for (const auto& [id, message] : queued)
        if (pending_.contains(id)) socket_.sendTextMessage(message);
}

void RemoteLink::onMessage(const QString& message) {
    const auto answer = jexremote::readAnswerMessage(message);
    if (!answer) {
        qCWarning(lcHost) << "not an answer message:" << message.left(80);
        return;
    }
    finish(answer->id, answer->text);
}

// Takes the request out before calling back: the callback may open a modal
// box, whose event loop can deliver further answers to this link.
void RemoteLink::finish(qint64 id, const QString& answer) {
    const auto found = pending_.constFind(id);
    if (found == pending_.cend()) return;  // answered already, or timed out
    const Pending request = *found;
    pending_.erase(found);
    request.deadline->deleteLater();
    request.onAnswer(answer);
}

void RemoteLink::failAll(const QString& reason) {
    if (pending_.isEmpty()) return;
    qCWarning(lcHost) << "remote link" << url_.toString() << "down:" << reason;
    queue_.clear();
    QList<qint64> ids = pending_.keys();
    std::sort(ids.begin(), ids.end());  // in the order they were sent
    for (qint64 id : ids) finish(id, QString());
}

}  // namespace jexhost
