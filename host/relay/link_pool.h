#pragma once
// One link per identity the servers name: a remote side and the token the
// host presents there. Two servers on one remote with different tokens get a
// link each, each welcomed as its own operator; servers that share both
// share the link, also when their token files are two (each token file is
// still a key of its own). Links stay open by themselves: one that fails is tried
// again after a wait that grows to a cap. The pool reports each link's state
// as the server list shows it.

#include <QFileSystemWatcher>
#include <QHash>
#include <QObject>
#include <QString>
#include <QTimer>
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

    // The name of the link to `remote` ("embedded" or a ws:// or wss://
    // address) presenting the first token of `tokenFile` (ignored for the
    // embedded side).
    static QString keyOf(const QString& remote, const QString& tokenFile);

    // That link, made on first use. Null, with the link reported refused,
    // when no token can be read.
    RemoteLink* link(const QString& remote, const QString& tokenFile);
    RemoteLink* find(const QString& key) const { return links_.value(key); }
    QStringList keys() const { return links_.keys(); }

    // Sends `request` over that link; the reply comes at once, empty and
    // refused, when the link cannot be made.
    void send(const QString& remote, const QString& tokenFile, const QString& request,
              ReplyCallback onReply);
    // The same for another link message (see RemoteLink::sendMessage).
    void sendMessage(const QString& remote, const QString& tokenFile, const ComposeMessage& compose,
                     ReplyCallback onReply, int timeoutMs = -1);
    // Opens the link when it is closed: at once (Retry), or after the wait
    // that follows failures.
    void open(const QString& remote, const QString& tokenFile, bool atOnce);
    // Closes and forgets a link (its token file changed, or no server names it
    // any longer); the next use makes it anew.
    void forget(const QString& key);

    servers::LinkStatus status(const QString& key) const;

signals:
    void stateChanged(const QString& key, const jexhost::servers::LinkStatus& status);
    // A link's welcome, the first of a connection or a later one.
    void welcomed(const QString& key, const jexlink::Welcome& welcome);
    // A change someone else stored, as that link's remote side reported it.
    void changed(const QString& key, const jexlink::ChangedNotice& notice);
    // A game's GAME, and new lines of its output, as that link's remote side pushed them.
    void gamePushed(const QString& key, const jexlink::GameStatus& game);
    void outputPushed(const QString& key, int profile, const QStringList& lines);

private:
    // A refused link waits for its token file to change (or for Retry): then
    // it is made anew from the file and tried at once.
    void watchTokenFile(const QString& key);
    void tokenFilesChanged();
    void report(const QString& key, servers::LinkStatus status);
    void reportDown(const QString& key, RemoteLink* link);
    void markConnecting(const QString& key, RemoteLink* link, bool evenAfterFailures);

    int timeoutMs_;
    int keepAliveMs_;
    QUrl embeddedUrl_;
    QString embeddedTokenFile_;
    QHash<QString, RemoteLink*> links_;  // children of the pool
    QHash<QString, servers::LinkStatus> states_;
    QHash<QString, std::pair<QString, QString>> made_;  // key: remote and token file as given
    QHash<QString, QByteArray> tokenDigests_;           // key: what its link presents, hashed
    QFileSystemWatcher tokenWatch_;
    QTimer tokenSettle_;  // a file is often written in steps: look once they are done
};

}  // namespace jexhost
