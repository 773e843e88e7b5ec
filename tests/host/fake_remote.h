#pragma once
// Stand-ins for the remote side in the link's tests. FakeRemote checks the
// token, welcomes and answers each request with "echo:" and its text, unless
// told otherwise; given settings, it serves them with a version and answers
// updates as told, as a remote side that merges them. FreezingProxy sits between a link and a
// server and can stop carrying bytes, as a link whose far end died without closing it.

#include <QList>
#include <QObject>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUrl>
#include <QWebSocketServer>

#include <optional>

#include "link/game_messages.h"
#include "link/link_messages.h"

namespace jextest {

class FakeRemote : public QObject {
    Q_OBJECT
public:
    explicit FakeRemote(QString token);
    QUrl url() const { return server_.serverUrl(); }
    void closeAll();
    // Sends `message` to every welcomed connection, as the remote side
    // welcomes an operator again or tells of a change stored.
    void broadcast(const QString& message);

    QString welcome;         // the reply to a right token
    int silentRequests = 0;  // the next N requests (profiles too) get no answer
    int connections = 0;
    QStringList requests;  // request texts received, in order
    // The reply to a history request, "%1" standing for its id; none when empty.
    QString historyReply;
    // The answer to a games request, as a remote side with no game bound gives it.
    QList<jexlink::GameStatus> games;
    // The answer to a profiles request.
    QList<jexlink::ProfileEntry> profiles;
    // When set, settings requests get this reply and `version`, and updates
    // the first of `updateAnswers` ("1" when none is left).
    QString settingsReply;
    qint64 version = 0;
    QList<jexlink::Envelope> updateAnswers;
    QList<std::optional<qint64>> bases;  // each request's base, in order

private:
    QString token_;
    QWebSocketServer server_;
    QList<QWebSocket*> welcomed_;  // children of this remote
};

class FreezingProxy : public QObject {
    Q_OBJECT
public:
    explicit FreezingProxy(quint16 targetPort);
    QUrl url() const;
    bool frozen = false;

private:
    QTcpServer server_;
    quint16 targetPort_;
};

}  // namespace jextest
