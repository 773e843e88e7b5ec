#include "host/relay/link_pool.h"

#include "host/log.h"
#include "remote/remote_service.h"

namespace jexhost {

using servers::LinkState;

LinkPool::LinkPool(int timeoutMs, int keepAliveMs, QObject* parent)
    : QObject(parent), timeoutMs_(timeoutMs), keepAliveMs_(keepAliveMs) {}

void LinkPool::setEmbedded(const QUrl& url, const QString& tokenFile) {
    embeddedUrl_ = url;
    embeddedTokenFile_ = tokenFile;
}

RemoteLink* LinkPool::link(const QString& remote, const QString& tokenFile) {
    if (RemoteLink* known = find(remote)) return known;
    const bool embedded = remote == servers::kEmbeddedRemote;
    const QString tokens = embedded ? embeddedTokenFile_ : tokenFile;
    QString reason;
    const auto token = jexremote::firstToken(tokens, &reason);
    if (!token) {
        qCWarning(lcHost).noquote() << "no token for" << remote << "in" << tokens << ":" << reason;
        report(remote, LinkState::Refused);
        return nullptr;
    }
    LinkOptions options;
    options.url = embedded ? embeddedUrl_ : QUrl(remote);
    options.token = *token;
    options.timeoutMs = timeoutMs_;
    options.keepAliveMs = keepAliveMs_;
    auto* link = new RemoteLink(options, this);
    connect(link, &RemoteLink::welcomed, this, [this, remote](const jexlink::Welcome& welcome) {
        report(remote, LinkState::Connected, welcome.operatorName);
        emit welcomed(remote, welcome);
    });
    connect(link, &RemoteLink::down, this, [this, remote, link] {
        report(remote, link->lastFailure() == LinkFailure::Refused ? LinkState::Refused
                                                                   : LinkState::Unreachable);
    });
    links_.insert(remote, link);
    return link;
}

void LinkPool::markConnecting(const QString& remote, RemoteLink* link) {
    if (!link->isReady()) report(remote, LinkState::Connecting);
}

void LinkPool::send(const QString& remote, const QString& tokenFile, const QString& request,
                    ReplyCallback onReply) {
    RemoteLink* to = link(remote, tokenFile);
    if (!to) return onReply(QString(), LinkFailure::Refused);
    markConnecting(remote, to);
    to->send(request, std::move(onReply));
}

void LinkPool::sendMessage(const QString& remote, const QString& tokenFile,
                           const ComposeMessage& compose, ReplyCallback onReply) {
    RemoteLink* to = link(remote, tokenFile);
    if (!to) return onReply(QString(), LinkFailure::Refused);
    markConnecting(remote, to);
    to->sendMessage(compose, std::move(onReply));
}

void LinkPool::open(const QString& remote, const QString& tokenFile, bool atOnce) {
    RemoteLink* to = link(remote, tokenFile);
    if (!to || !to->isClosed()) return;
    markConnecting(remote, to);
    atOnce ? to->openAtOnce() : to->open();
}

// The link goes later: its own signal may be what led here.
void LinkPool::forget(const QString& remote) {
    RemoteLink* link = links_.take(remote);
    states_.remove(remote);
    if (!link) return;
    link->disconnect(this);
    link->deleteLater();
}

LinkState LinkPool::state(const QString& remote) const {
    return states_.value(remote, LinkState::Idle);
}

void LinkPool::report(const QString& remote, LinkState state, const QString& operatorName) {
    states_.insert(remote, state);
    emit stateChanged(remote, state, operatorName);
}

}  // namespace jexhost
