#pragma once
// Stand-ins for the remote side in the link's tests. FakeRemote checks the
// token, welcomes and answers each request with "echo:" and its text, unless
// told otherwise. FreezingProxy sits between a link and a server and can stop
// carrying bytes, as a link whose far end died without closing it.

#include <QList>
#include <QObject>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUrl>
#include <QWebSocketServer>

namespace jextest {

class FakeRemote : public QObject {
    Q_OBJECT
public:
    explicit FakeRemote(QString token);
    QUrl url() const { return server_.serverUrl(); }
    void closeAll();
    // Sends `message` to every welcomed connection, as the remote side
    // welcomes an operator again whose privileges changed.
    void welcomeAgain(const QString& message);

    QString welcome;         // the reply to a right token
    int silentRequests = 0;  // the next N requests get no answer
    int connections = 0;
    QStringList requests;  // request texts received, in order
    // The reply to a history request, "%1" standing for its id; none when empty.
    QString historyReply;

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
