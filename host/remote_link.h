#pragma once
// The host's link to the remote side: a WebSocket client that sends each
// request as {"id", "request"} and hands the matching {"id", "answer"} to the
// request's callback. The link opens on first use and reopens after a drop.
//
// A request never goes unanswered: while the link is connecting it waits in
// a queue; when the link cannot be opened, drops, or the answer does not come
// within the timeout, the callback gets an empty answer (which the panel
// shows as "no data received"). A late answer is then ignored.

#include <QHash>
#include <QList>
#include <QObject>
#include <QTimer>
#include <QUrl>
#include <QWebSocket>

#include <functional>

namespace jexhost {

using AnswerCallback = std::function<void(const QString& answer)>;

class RemoteLink : public QObject {
    Q_OBJECT
public:
    explicit RemoteLink(const QUrl& url, int timeoutMs = 10000, QObject* parent = nullptr);
    ~RemoteLink() override;

    void send(const QString& request, AnswerCallback onAnswer);
    const QUrl& url() const { return url_; }
    int pendingCount() const { return static_cast<int>(pending_.size()); }
    bool isConnected() const { return socket_.state() == QAbstractSocket::ConnectedState; }

private:
    struct Pending {
        AnswerCallback onAnswer;
        QTimer* deadline = nullptr;
    };
    void flushQueue();
    void onMessage(const QString& message);
    void finish(qint64 id, const QString& answer);
    void failAll(const QString& reason);

    QUrl url_;
    int timeoutMs_;
    QWebSocket socket_;
    qint64 nextId_ = 1;
    QHash<qint64, Pending> pending_;
    QList<std::pair<qint64, QString>> queue_;  // not yet sent: id, message
};

}  // namespace jexhost
