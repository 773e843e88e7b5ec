#pragma once
// One link per remote side the servers name, made on first use and shared by
// every server on that remote. The pool reports each link's state as the
// server list shows it: connecting, connected as an operator, unreachable or
// refused.

#include <QHash>
#include <QObject>
#include <QString>
#include <QUrl>

#include "host/link/remote_link.h"
#include "host/servers/server_list_model.h"

namespace jexhost {

class LinkPool : public QObject {
    Q_OBJECT
public:
    LinkPool(int timeoutMs, int keepAliveMs, QObject* parent = nullptr);

    // Where the host's own remote side listens and the token file it made.
    void setEmbedded(const QUrl& url, const QString& tokenFile);

    // The link to `remote` ("embedded" or a ws:// or wss:// address),
    // presenting the first token of `tokenFile` (ignored for the embedded
    // side). Null, with the remote reported refused, when no token can be read.
    RemoteLink* link(const QString& remote, const QString& tokenFile);
    RemoteLink* find(const QString& remote) const { return links_.value(remote); }
    QStringList remotes() const { return links_.keys(); }

    // Sends `request` over that remote's link; the reply comes at once, empty
    // and refused, when the link cannot be made.
    void send(const QString& remote, const QString& tokenFile, const QString& request,
              ReplyCallback onReply);
    // The same for another link message (see RemoteLink::sendMessage).
    void sendMessage(const QString& remote, const QString& tokenFile, const ComposeMessage& compose,
                     ReplyCallback onReply);
    // Opens the link when it is closed: at once (Retry), or after the wait
    // that follows failures.
    void open(const QString& remote, const QString& tokenFile, bool atOnce);
    // Closes and forgets the link to `remote` (its address or token file
    // changed, or no server names it any longer); the next use makes it anew.
    void forget(const QString& remote);

    servers::LinkState state(const QString& remote) const;

signals:
    void stateChanged(const QString& remote, jexhost::servers::LinkState state,
                      const QString& operatorName);
    void welcomed(const QString& remote, const jexlink::Welcome& welcome);

private:
    void report(const QString& remote, servers::LinkState state, const QString& operatorName = {});
    void markConnecting(const QString& remote, RemoteLink* link);

    int timeoutMs_;
    int keepAliveMs_;
    QUrl embeddedUrl_;
    QString embeddedTokenFile_;
    QHash<QString, RemoteLink*> links_;  // children of the pool
    QHash<QString, servers::LinkState> states_;
};

}  // namespace jexhost
