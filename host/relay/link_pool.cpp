#include "host/relay/link_pool.h"

#include <QCryptographicHash>
#include <QFileInfo>

#include "host/log.h"
#include "remote/remote_service.h"

namespace jexhost {

using servers::LinkState;
using servers::LinkStatus;

namespace {

QByteArray digestOf(const QString& token) {
    return QCryptographicHash::hash(token.toUtf8(), QCryptographicHash::Sha256);
}

}  // namespace

LinkPool::LinkPool(int timeoutMs, int keepAliveMs, QObject* parent)
    : QObject(parent), timeoutMs_(timeoutMs), keepAliveMs_(keepAliveMs) {
    tokenSettle_.setSingleShot(true);
    tokenSettle_.setInterval(100);
    connect(&tokenWatch_, &QFileSystemWatcher::fileChanged, &tokenSettle_,
            qOverload<>(&QTimer::start));
    connect(&tokenWatch_, &QFileSystemWatcher::directoryChanged, &tokenSettle_,
            qOverload<>(&QTimer::start));
    connect(&tokenSettle_, &QTimer::timeout, this, &LinkPool::tokenFilesChanged);
}

void LinkPool::setEmbedded(const QUrl& url, const QString& tokenFile) {
    embeddedUrl_ = url;
    embeddedTokenFile_ = tokenFile;
}

QString LinkPool::keyOf(const QString& remote, const QString& tokenFile) {
    if (remote == servers::kEmbeddedRemote) return remote;
    return remote + u' ' + QFileInfo(tokenFile).absoluteFilePath();
}

RemoteLink* LinkPool::link(const QString& remote, const QString& tokenFile) {
    const QString key = keyOf(remote, tokenFile);
    if (RemoteLink* known = find(key)) return known;
    made_.insert(key, {remote, tokenFile});
    const bool embedded = remote == servers::kEmbeddedRemote;
    const QString tokens = embedded ? embeddedTokenFile_ : tokenFile;
    QString reason;
    const auto token = jexremote::firstToken(tokens, &reason);
    if (!token) {
        qCWarning(lcHost).noquote() << "no token for" << remote << "in" << tokens << ":" << reason;
        LinkStatus status;
        status.state = LinkState::Refused;
        status.detail = QStringLiteral("no token in %1: %2").arg(tokens, reason);
        report(key, status);
        return nullptr;
    }
    const QByteArray digest = digestOf(*token);
    tokenDigests_.insert(key, digest);
    // Token files of one operator on one remote share its connection.
    for (auto other = links_.cbegin(); other != links_.cend(); ++other)
        if (made_.value(other.key()).first == remote &&
            tokenDigests_.value(other.key()) == digest) {
            links_.insert(key, other.value());
            states_.insert(key, states_.value(other.key()));
            return other.value();
        }
    LinkOptions options;
    options.url = embedded ? embeddedUrl_ : QUrl(remote);
    options.token = *token;
    options.timeoutMs = timeoutMs_;
    options.keepAliveMs = keepAliveMs_;
    options.stayOpen = true;
    auto* link = new RemoteLink(options, this);
    connect(link, &RemoteLink::welcomed, this, [this, link](const jexlink::Welcome& welcome) {
        LinkStatus status;
        status.state = LinkState::Connected;
        status.operatorName = welcome.operatorName;
        for (const QString& key : links_.keys(link)) {
            report(key, status);
            emit welcomed(key, welcome);
        }
    });
    connect(link, &RemoteLink::down, this, [this, link] {
        for (const QString& key : links_.keys(link)) reportDown(key, link);
    });
    connect(link, &RemoteLink::changed, this, [this, link](const jexlink::ChangedNotice& notice) {
        for (const QString& key : links_.keys(link)) emit changed(key, notice);
    });
    connect(link, &RemoteLink::gamePushed, this, [this, link](const jexlink::GameStatus& game) {
        for (const QString& key : links_.keys(link)) emit gamePushed(key, game);
    });
    connect(link, &RemoteLink::outputPushed, this,
            [this, link](int profile, const QStringList& lines) {
                for (const QString& key : links_.keys(link)) emit outputPushed(key, profile, lines);
            });
    links_.insert(key, link);
    return link;
}

void LinkPool::reportDown(const QString& key, RemoteLink* link) {
    LinkStatus status;
    switch (link->lastFailure()) {
        case LinkFailure::Refused:
            status.state = LinkState::Refused;
            status.detail = link->url().toString();
            status.refusal = link->refusal();
            status.removed = link->removed();
            watchTokenFile(key);
            break;
        case LinkFailure::TurnedAway:  // not a failure to show: the next try comes soon
            status.state = LinkState::Connecting;
            break;
        case LinkFailure::TimedOut:
            status.state = LinkState::TimedOut;
            break;
        default:
            status.state = LinkState::Unreachable;
    }
    status.since = link->failingSince();
    status.nextTry = link->nextAttempt();
    report(key, status);
}

// The file and its folder: an editor often replaces the file rather than
// writing it.
void LinkPool::watchTokenFile(const QString& key) {
    const auto made = made_.constFind(key);
    if (made == made_.cend()) return;
    const QString file =
        made->first == servers::kEmbeddedRemote ? embeddedTokenFile_ : made->second;
    const QStringList paths{file, QFileInfo(file).absolutePath()};
    for (const QString& path : paths)
        if (!tokenWatch_.files().contains(path) && !tokenWatch_.directories().contains(path))
            tokenWatch_.addPath(path);
}

void LinkPool::tokenFilesChanged() {
    for (const QString& key : links_.keys()) {
        RemoteLink* link = links_.value(key);
        if (!link->isClosed() || link->refusal().isEmpty()) continue;
        const auto [remote, tokenFile] = made_.value(key);
        QString ignored;
        const auto token = jexremote::firstToken(
            remote == servers::kEmbeddedRemote ? embeddedTokenFile_ : tokenFile, &ignored);
        if (!token || digestOf(*token) == tokenDigests_.value(key)) continue;  // not its token
        qCInfo(lcHost).noquote() << "token file of" << remote << "changed; trying it again";
        forget(key);
        open(remote, tokenFile, true);
    }
}

// The first attempt shows "connecting"; the retries after failures keep the
// failure on screen with the time of the next one.
void LinkPool::markConnecting(const QString& key, RemoteLink* link, bool evenAfterFailures) {
    if (link->isReady()) return;
    const LinkState now = states_.value(key).state;
    if (now == LinkState::Idle || (evenAfterFailures && now != LinkState::Connecting)) {
        LinkStatus status;
        status.state = LinkState::Connecting;
        report(key, status);
    }
}

void LinkPool::send(const QString& remote, const QString& tokenFile, const QString& request,
                    ReplyCallback onReply) {
    RemoteLink* to = link(remote, tokenFile);
    if (!to) return onReply(QString(), LinkFailure::Refused);
    markConnecting(keyOf(remote, tokenFile), to, false);
    to->send(request, std::move(onReply));
}

void LinkPool::sendMessage(const QString& remote, const QString& tokenFile,
                           const ComposeMessage& compose, ReplyCallback onReply, int timeoutMs) {
    RemoteLink* to = link(remote, tokenFile);
    if (!to) return onReply(QString(), LinkFailure::Refused);
    markConnecting(keyOf(remote, tokenFile), to, false);
    to->sendMessage(compose, std::move(onReply), timeoutMs);
}

void LinkPool::open(const QString& remote, const QString& tokenFile, bool atOnce) {
    RemoteLink* to = link(remote, tokenFile);
    if (!to || !to->isClosed()) return;
    markConnecting(keyOf(remote, tokenFile), to, atOnce);
    atOnce ? to->openAtOnce() : to->open();
}

// The link goes later: its own signal may be what led here.
void LinkPool::forget(const QString& key) {
    RemoteLink* link = links_.take(key);
    states_.remove(key);
    if (!link || !links_.keys(link).isEmpty()) return;  // other token files still use it
    link->disconnect(this);
    link->close(QStringLiteral("no longer used by the server list"));  // waiting requests end now
    link->deleteLater();
}

LinkStatus LinkPool::status(const QString& key) const {
    return states_.value(key);
}

void LinkPool::report(const QString& key, LinkStatus status) {
    states_.insert(key, status);
    emit stateChanged(key, status);
}

}  // namespace jexhost
