#include "host/host_session.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

#include "exchange/wire/request.h"
#include "host/host_root.h"
#include "host/log.h"
#include "host/relay/link_pool.h"
#include "host/relay/request_carrier.h"
#include "host/relay/request_router.h"
#include "host/servers/embedded_profiles.h"
#include "host/servers/server_list_model.h"
#include "host/servers/servers_file.h"
#include "host/sync/sync_texts.h"
#include "host/traffic/traffic_model.h"
#include "jex/durable_file.h"
#include "jex/error.h"
#include "jex/hostpaths.h"
#include "link/privilege_names.h"
#include "remote/remote_service.h"
#include "remote/server_manager.h"

namespace jexhost {

using servers::LinkState;
using servers::ServerEntry;

namespace {

// What a panel gets while its remote has not let the host in: nothing.
jexlink::Welcome nothingGranted() {
    jexlink::Welcome welcome;
    for (const char* name : jexlink::kPrivilegeNames)
        welcome.privileges.append({QString::fromLatin1(name), 0});
    return welcome;
}

}  // namespace

HostSession::HostSession(HostOptions options, QObject* parent)
    : QObject(parent), options_(std::move(options)) {}

// The carrier and links go before the remote side they talk to, the panel
// before its plug-in.
HostSession::~HostSession() {
    carrier_.reset();
    router_.reset();
    links_.reset();
    closePanel();
}

bool HostSession::start(QString* error) {
    root_ = jex::hostExecutableFolder();
    qint64 holder = 0;
    rootLock_ = lockHostRoot(root_, &holder);
    if (!rootLock_) {
        *error = holder ? QStringLiteral("another jexhost (process %1) already uses the folder %2")
                              .arg(holder)
                              .arg(root_)
                        : QStringLiteral("cannot lock the folder %1").arg(root_);
        return false;
    }

    serversFile_ = serversFileOf(root_, options_);
    const auto read = servers::openServersFile(serversFile_);
    if (!read.ok()) {
        *error = read.error;
        return false;
    }
    if (read.created) qCInfo(lcHost).noquote() << "wrote the default servers to" << serversFile_;
    servers_ = std::make_unique<servers::ServerListModel>();
    servers_->setServers(read.servers);
    traffic_ = std::make_unique<traffic::TrafficModel>();
    traffic_->useLedger(&ledger_, [this](const QString& name) { return idOfName(name); });

    links_ = std::make_unique<LinkPool>(options_.timeoutMs, options_.keepAliveMs);
    if (!startEmbeddedRemote(read.servers, error)) return false;
    connect(links_.get(), &LinkPool::stateChanged, this, &HostSession::linkChanged);
    connect(links_.get(), &LinkPool::welcomed, this, &HostSession::applyWelcome);
    connect(links_.get(), &LinkPool::changed, this, &HostSession::noticeCame);

    catalogue_ = catalogue::Catalogue::scan();
    for (const auto& plugin : catalogue_.entries())
        if (!plugin.usable())
            qCWarning(lcHost).noquote()
                << "plug-in" << plugin.progId << "in" << plugin.libraryPath << plugin.stateText();

    router_ = std::make_unique<RequestRouter>(*links_, traffic_.get(), serversFile_);
    router_->setServers(read.servers);
    router_->setBaseLookup([this](const QString& id) { return ledger_.version(id); });
    // Added servers are routed at once; edits and removals see serversEdited.
    connect(servers_.get(), &QAbstractItemModel::modelReset, this, [this] {
        router_->setServers(servers_->servers());
        showLinks();
    });
    connect(router_.get(), &RequestRouter::answered, this, &HostSession::deliver);
    carrier_ = std::make_unique<RequestCarrier>(
        kdrsm::wire::requestFolder(root_),
        [this](const kdrsm::wire::Request& request) { return router_->accepts(request); },
        [this](const QString& text, const kdrsm::wire::Request& request) {
            router_->carry(text, request);
        });
    if (!carrier_->start(error)) return false;
    showLinks();
    return true;
}

QString HostSession::linkKey(const ServerEntry& entry) const {
    return LinkPool::keyOf(entry.remote, servers::tokenFilePath(entry, serversFile_));
}

servers::LinkStatus HostSession::linkStatus(const ServerEntry& entry) const {
    return links_ ? links_->status(linkKey(entry)) : servers::LinkStatus{};
}

// Every server's link is kept open from the start, so the list is true
// before a server is opened.
void HostSession::showLinks() {
    serversOfLink_.clear();
    for (const auto& entry : servers_->servers()) {
        const QString tokenFile = servers::tokenFilePath(entry, serversFile_);
        const QString key = LinkPool::keyOf(entry.remote, tokenFile);
        serversOfLink_[key] << entry.id;
        links_->open(entry.remote, tokenFile, false);
        servers_->setLinkStatus(entry.id, links_->status(key));
    }
}

void HostSession::linkChanged(const QString& key, const servers::LinkStatus& status) {
    servers_->setLinkStatus(serversOfLink_.value(key), status);
    const auto open = server(openId_);
    if (!open || linkKey(*open) != key) return;
    emit openLinkChanged();
    if (awaitingWelcome_ && status.state != LinkState::Connecting) return finishOpen();
    if (panelState_ == PanelState::Shown && starved_ && status.state == LinkState::Connected)
        return emit panelMissedData(openId_);
    if (panelState_ == PanelState::Shown || panelState_ == PanelState::NoPanel) return;
    if (status.state == LinkState::Connected) {
        // The remote side is back: the panel fetches what it could not.
        if (panelState_ != PanelState::Connecting) refresh();
        return;
    }
    emit panelStateChanged();  // the next try's time
}

// The host presents its own remote side's token like any other. That side
// reads its state folder once, so the embedded servers' profiles are written
// first.
bool HostSession::startEmbeddedRemote(const QList<ServerEntry>& list, QString* error) {
    const auto remote = ownRemoteOptions(root_, options_, error);
    if (!remote) return false;
    if (!servers::seedEmbeddedProfiles(remote->stateDir, list, error)) return false;
    embeddedRemote_ = std::make_unique<jexremote::RemoteService>(*remote);
    QString reason;
    if (!embeddedRemote_->start(&reason)) {
        *error = QStringLiteral("cannot start the host's own remote side: ") + reason;
        return false;
    }
    links_->setEmbedded(embeddedRemote_->url(), embeddedRemote_->tokenFile());
    for (const auto& entry : list)
        if (entry.isEmbedded()) embeddedProfiles_.insert(entry.profile);
    return true;
}

std::optional<ServerEntry> HostSession::server(const QString& id) const {
    const int row = servers_ ? servers_->rowOf(id) : -1;
    if (row < 0) return std::nullopt;
    return servers_->server(row);
}

void HostSession::serversEdited(const QString& changedId) {
    const auto list = servers_->servers();
    router_->setServers(list);
    if (changedId.isEmpty()) return;
    if (changedId == openId_) closePanel();
    // What was handed from its old remote says nothing of its new one.
    ledger_.forget(changedId);
    servers_->setChangeMark(changedId, {});
    // Its token file may have changed: the next use reads it again.
    if (const auto changed = server(changedId)) links_->forget(linkKey(*changed));
    QSet<QString> named;
    for (const auto& entry : list) named.insert(linkKey(entry));
    for (const QString& key : links_->keys())
        if (!named.contains(key)) links_->forget(key);
    showLinks();
}

// Only plug-ins the catalogue accepts for the server's game are loaded.
PluginClient* HostSession::pluginFor(const ServerEntry& entry, QString* error) {
    const auto offers = catalogue_.offersFor(entry.game);
    if (offers.isEmpty()) {
        *error = catalogue_.noOfferText(entry.game);
        return nullptr;
    }
    const QString progId = offers.first().progId();
    auto& client = plugins_[progId];
    if (!client) {
        try {
            client = std::make_unique<PluginClient>(progId);
        } catch (const jex::Error& failure) {
            plugins_.erase(progId);
            *error = QStringLiteral("cannot create %1: %2").arg(progId, failure.description());
            return nullptr;
        }
    }
    return client.get();
}

void HostSession::openServer(const QString& id, const PanelPlace& place) {
    closePanel();
    const auto entry = server(id);
    if (!entry) return emit openFailed(id, QStringLiteral("no such server"));
    openId_ = id;
    place_ = place;
    QString error;
    PluginClient* plugin = pluginFor(*entry, &error);
    if (!plugin) {
        qCWarning(lcHost).noquote() << entry->name << ":" << error;
        openFailure_ = error;
        setPanelState(PanelState::NoPanel);
        return emit openFailed(id, error);
    }
    openPlugin_ = plugin;
    setPanelState(PanelState::Connecting);
    const QString tokenFile = servers::tokenFilePath(*entry, serversFile_);
    RemoteLink* link = links_->link(entry->remote, tokenFile);
    // A link on its first attempt is waited for; one that is failing is not:
    // the panel's fetch waits for the next attempt.
    const LinkState state = links_->status(linkKey(*entry)).state;
    if (link && !link->isReady() && (state == LinkState::Idle || state == LinkState::Connecting)) {
        awaitingWelcome_ = true;
        links_->open(entry->remote, tokenFile, false);
        return;
    }
    finishOpen();
}

// The privileges go first, so the panel allows what the remote side will;
// they are those of this server's own link, or none when it is not welcomed.
void HostSession::finishOpen() {
    awaitingWelcome_ = false;
    const auto entry = server(openId_);
    if (!entry || !openPlugin_) return;
    const RemoteLink* link = links_->find(linkKey(*entry));
    const jexlink::Welcome granted =
        link && link->isReady() && link->welcome() ? *link->welcome() : nothingGranted();
    ledger_.grant(openId_, granted);
    openPlugin_->setPrivileges(granted);
    openPlugin_->loadInterface(entry->profile, place_.handle, entry->tag,
                               pixelsToTwips(place_.pixels.height(), place_.dpiY),
                               pixelsToTwips(place_.pixels.width(), place_.dpiX));
    emit panelOpened(openId_);
}

void HostSession::refresh() {
    if (openId_.isEmpty()) return;
    openServer(QString(openId_), place_);
}

void HostSession::retry(const QString& id) {
    const auto entry = server(id);
    if (!entry) return;
    if (links_->status(linkKey(*entry)).state == LinkState::Refused) {
        links_->forget(linkKey(*entry));
        showLinks();
    }
    links_->open(entry->remote, servers::tokenFilePath(*entry, serversFile_), true);
    if (id == openId_ && panelState_ != PanelState::Shown) refresh();
}

void HostSession::closePanel() {
    if (openPlugin_ && !awaitingWelcome_) openPlugin_->hideInterface();
    openPlugin_ = nullptr;
    ledger_.revoke(openId_);
    openId_.clear();
    openFailure_.clear();
    awaitingWelcome_ = false;
    setPanelState(PanelState::Closed);
}

void HostSession::setPanelState(PanelState state) {
    panelState_ = state;
    emit panelStateChanged();
}

QString HostSession::panelStateText() const {
    const auto entry = server(openId_);
    if (!entry) return {};
    return jexhost::panelStateText(panelState_, *entry, linkStatus(*entry), openFailure_);
}

namespace {

PanelState stateAfter(LinkFailure failure) {
    switch (failure) {
        case LinkFailure::Refused:
            return PanelState::Refused;
        case LinkFailure::TimedOut:
            return PanelState::TimedOut;
        case LinkFailure::Unreachable:
        case LinkFailure::TurnedAway:
            return PanelState::Unreachable;
        case LinkFailure::None:
            break;
    }
    return PanelState::NotManaged;
}

}  // namespace

// The area's state is set before the panel gets the answer: an empty one
// opens the panel's own box, whose event loop may deliver more.
void HostSession::deliver(const QString& serverId, const QString& command,
                          const jexlink::Envelope& answer, LinkFailure failure) {
    if (serverId != openId_ || !openPlugin_ || awaitingWelcome_) return;  // not its panel now
    const bool settings = command == kdrsm::wire::kGetSettings && !answer.text.isEmpty() &&
                          answer.text != jexremote::kFailedAnswer;
    if (settings) {
        if (ledger_.handed(serverId, answer)) servers_->setChangeMark(serverId, {});
        setPanelState(PanelState::Shown);
    } else if (command == kdrsm::wire::kGetSettings) {
        setPanelState(stateAfter(failure));
    } else if (command == kdrsm::wire::kSetSettings) {
        ledger_.stored(serverId, answer);
    }
    starved_ = answer.text.isEmpty() || answer.text == jexremote::kFailedAnswer;
    PluginClient* plugin = openPlugin_;
    plugin->remoteData(answer.text);
    if (serverId != openId_) return;  // the box's loop closed or replaced the panel
    if (command == kdrsm::wire::kSetSettings) {
        const bool stored = answer.text == jexremote::kUpdatedAnswer;
        if (stored) emit updateStored(serverId);
        emit updateAnswered(serverId, stored);
    }
    emit answerApplied(serverId, settings);
}

// A later welcome of the open server's link (the operator's privileges
// changed on the remote side) is applied to its panel at once.
void HostSession::applyWelcome(const QString& key, const jexlink::Welcome& welcome) {
    const auto entry = server(openId_);
    if (!entry || linkKey(*entry) != key || !openPlugin_ || awaitingWelcome_) return;
    const auto lowered = ledger_.grant(openId_, welcome);
    if (!lowered) return;  // nothing changed
    qCInfo(lcHost) << "the operator's privileges changed; applying them";
    openPlugin_->setPrivileges(welcome);
    if (!lowered->isEmpty()) emit privilegesLowered(openId_, *lowered);
}

}  // namespace jexhost
