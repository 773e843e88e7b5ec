#include "host/host_session.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

#include "exchange/wire/request.h"
#include "host/log.h"
#include "host/relay/link_pool.h"
#include "host/relay/request_carrier.h"
#include "host/relay/request_router.h"
#include "host/servers/embedded_profiles.h"
#include "host/servers/server_list_model.h"
#include "host/servers/servers_file.h"
#include "host/traffic/traffic_model.h"
#include "jex/error.h"
#include "jex/hostpaths.h"
#include "link/privilege_names.h"
#include "remote/remote_service.h"

namespace jexhost {

using servers::LinkState;
using servers::ServerEntry;

namespace {

constexpr QFile::Permissions kOwnerOnlyFolder = QFile::ReadOwner | QFile::WriteOwner |
                                                QFile::ExeOwner | QFile::ReadUser |
                                                QFile::WriteUser | QFile::ExeUser;

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
    if (!lockRoot(error)) return false;

    serversFile_ = options_.config.isEmpty() ? servers::serversFilePath(root_)
                                             : QFileInfo(options_.config).absoluteFilePath();
    const auto read = servers::openServersFile(serversFile_);
    if (!read.ok()) {
        *error = read.error;
        return false;
    }
    if (read.created) qCInfo(lcHost).noquote() << "wrote the default servers to" << serversFile_;
    servers_ = std::make_unique<servers::ServerListModel>();
    servers_->setServers(read.servers);
    traffic_ = std::make_unique<traffic::TrafficModel>();

    links_ = std::make_unique<LinkPool>(options_.timeoutMs, options_.keepAliveMs);
    if (!startEmbeddedRemote(read.servers, error)) return false;
    connect(links_.get(), &LinkPool::stateChanged, this,
            [this](const QString& remote, LinkState state, const QString& operatorName) {
                servers_->setRemoteLinkState(remote, state, operatorName);
                if (awaitingWelcome_ && state != LinkState::Connecting) {
                    const auto open = server(openId_);
                    if (open && open->remote == remote) finishOpen();
                }
            });
    connect(links_.get(), &LinkPool::welcomed, this, &HostSession::applyWelcome);

    catalogue_ = catalogue::Catalogue::scan();
    for (const auto& plugin : catalogue_.entries())
        if (!plugin.usable())
            qCWarning(lcHost).noquote()
                << "plug-in" << plugin.progId << "in" << plugin.libraryPath << plugin.stateText();

    router_ = std::make_unique<RequestRouter>(*links_, traffic_.get(), serversFile_);
    router_->setServers(read.servers);
    // Added servers are routed at once; edits and removals see serversEdited.
    connect(servers_.get(), &QAbstractItemModel::modelReset, this,
            [this] { router_->setServers(servers_->servers()); });
    connect(router_.get(), &RequestRouter::answered, this, &HostSession::deliver);
    carrier_ = std::make_unique<RequestCarrier>(
        kdrsm::wire::requestFolder(root_),
        [this](const kdrsm::wire::Request& request) { return router_->accepts(request); },
        [this](const QString& text, const kdrsm::wire::Request& request) {
            router_->carry(text, request);
        });
    return carrier_->start(error);
}

// One host per root: two would take each other's request files.
bool HostSession::lockRoot(QString* error) {
    rootLock_ = std::make_unique<QLockFile>(root_ + QStringLiteral("/jexhost.lock"));
    rootLock_->setStaleLockTime(0);  // stale only when its process is gone
    if (rootLock_->tryLock(0)) return true;
    qint64 pid = 0;
    QString hostName, application;
    if (rootLock_->error() == QLockFile::LockFailedError &&
        rootLock_->getLockInfo(&pid, &hostName, &application)) {
        *error = QStringLiteral("another jexhost (process %1) already uses the folder %2")
                     .arg(pid)
                     .arg(root_);
    } else {
        *error = QStringLiteral("cannot lock the folder %1").arg(root_);
    }
    return false;
}

// The host's own remote side keeps its token and state below the root,
// readable by this user only; the host presents that token like any other.
// It reads its state folder once, so the embedded servers' profiles are
// written first.
bool HostSession::startEmbeddedRemote(const QList<ServerEntry>& list, QString* error) {
    const QString folder = root_ + QStringLiteral("/remote");
    if (!QDir().exists(folder) && !QDir().mkdir(folder, kOwnerOnlyFolder)) {
        *error = QStringLiteral("cannot create ") + folder;
        return false;
    }
    jexremote::RemoteOptions remote;
    remote.tokenFile = folder + QStringLiteral("/token");
    remote.stateDir =
        options_.stateDir.isEmpty() ? folder + QStringLiteral("/state") : options_.stateDir;
    if (!servers::seedEmbeddedProfiles(remote.stateDir, list, error)) return false;
    embeddedRemote_ = std::make_unique<jexremote::RemoteService>(remote);
    QString reason;
    if (!embeddedRemote_->start(&reason)) {
        *error = QStringLiteral("cannot start the host's own remote side: ") + reason;
        return false;
    }
    links_->setEmbedded(embeddedRemote_->url(), embeddedRemote_->tokenFile());
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
    // Its address or token file may have changed: the next use makes it anew.
    if (const auto changed = server(changedId)) links_->forget(changed->remote);
    QSet<QString> named;
    for (const auto& entry : list) named.insert(entry.remote);
    for (const QString& remote : links_->remotes())
        if (!named.contains(remote)) links_->forget(remote);
}

// Only plug-ins the catalogue accepts for the server's game are loaded.
PluginClient* HostSession::pluginFor(const ServerEntry& entry, QString* error) {
    const auto offers = catalogue_.offersFor(entry.game);
    if (offers.isEmpty()) {
        *error = QStringLiteral("no plug-in serves %1").arg(entry.game);
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
    QString error;
    PluginClient* plugin = pluginFor(*entry, &error);
    if (!plugin) {
        qCWarning(lcHost).noquote() << entry->name << ":" << error;
        return emit openFailed(id, error);
    }
    openId_ = id;
    openPlugin_ = plugin;
    place_ = place;
    RemoteLink* link = links_->link(entry->remote, servers::tokenFilePath(*entry, serversFile_));
    if (link && !link->welcome()) {
        awaitingWelcome_ = true;
        links_->open(entry->remote, servers::tokenFilePath(*entry, serversFile_), false);
        return;
    }
    finishOpen();
}

// The privileges go first, so the panel allows what the remote side will.
void HostSession::finishOpen() {
    awaitingWelcome_ = false;
    const auto entry = server(openId_);
    if (!entry || !openPlugin_) return;
    RemoteLink* link = links_->find(entry->remote);
    granted_ = link && link->welcome() ? *link->welcome() : nothingGranted();
    openPlugin_->setPrivileges(*granted_);
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
    if (entry) links_->open(entry->remote, servers::tokenFilePath(*entry, serversFile_), true);
}

void HostSession::closePanel() {
    if (openPlugin_ && !awaitingWelcome_) openPlugin_->hideInterface();
    openPlugin_ = nullptr;
    openId_.clear();
    awaitingWelcome_ = false;
}

void HostSession::deliver(const QString& serverId, const QString& answer) {
    if (serverId != openId_ || !openPlugin_ || awaitingWelcome_) return;  // not its panel now
    openPlugin_->remoteData(answer);
    emit answerApplied(serverId);
}

// A later welcome with other privileges is applied to the open panel.
void HostSession::applyWelcome(const QString& remote, const jexlink::Welcome& welcome) {
    const auto entry = server(openId_);
    if (!entry || entry->remote != remote || !openPlugin_ || awaitingWelcome_) return;
    if (granted_ && granted_->superAdmin == welcome.superAdmin &&
        granted_->privileges == welcome.privileges)
        return;
    qCInfo(lcHost) << "the operator's privileges changed; applying them";
    granted_ = welcome;
    openPlugin_->setPrivileges(welcome);
}

}  // namespace jexhost
