#include "host/host_session.h"

#include <QDir>
#include <QEventLoop>

#include "exchange/wire/request.h"
#include "host/log.h"
#include "host/remote_link.h"
#include "host/request_carrier.h"
#include "jex/error.h"
#include "jex/hostpaths.h"
#include "remote/remote_service.h"

namespace jexhost {

namespace {

constexpr QFile::Permissions kOwnerOnlyFolder = QFile::ReadOwner | QFile::WriteOwner |
                                                QFile::ExeOwner | QFile::ReadUser |
                                                QFile::WriteUser | QFile::ExeUser;

bool samePrivileges(const jexlink::Welcome& a, const jexlink::Welcome& b) {
    return a.superAdmin == b.superAdmin && a.privileges == b.privileges;
}

}  // namespace

HostSession::HostSession(HostOptions options, QObject* parent)
    : QObject(parent), options_(std::move(options)) {}

// The carrier and link go before the remote side they talk to.
HostSession::~HostSession() {
    carrier_.reset();
    link_.reset();
}

bool HostSession::start(QString* error) {
    const QString root = jex::hostExecutableFolder();
    if (!lockRoot(root, error)) return false;

    remoteUrl_ = options_.remote;
    tokenFile_ = options_.tokenFile;
    if (remoteUrl_.isEmpty() && !startEmbeddedRemote(root, error)) return false;
    if (!openLink(error)) return false;

    try {
        plugin_ = std::make_unique<PluginClient>();
    } catch (const jex::Error& failure) {
        *error = QStringLiteral("cannot create %1: %2").arg(kPanelProgId, failure.description());
        return false;
    }
    descriptor_ = plugin_->descriptor();
    // Before the panel is shown, so that it allows what the remote side will.
    plugin_->setPrivileges(*link_->welcome());
    connect(link_.get(), &RemoteLink::welcomed, this,
            [this, granted = *link_->welcome()](const jexlink::Welcome& welcome) mutable {
                if (samePrivileges(welcome, granted)) return;
                qCInfo(lcHost) << "the operator's privileges changed; applying them";
                plugin_->setPrivileges(welcome);
                granted = welcome;
            });

    // The panel saves settings files below its profile's folder.
    QDir().mkpath(root + QStringLiteral("/profiles/") + QString::number(options_.profile));

    carrier_ = std::make_unique<RequestCarrier>(
        kdrsm::wire::requestFolder(root), options_.tag, *link_,
        [this](const QString& answer) { plugin_->remoteData(answer); });
    return carrier_->start(error);
}

// One host per root: two would take each other's request files.
bool HostSession::lockRoot(const QString& root, QString* error) {
    rootLock_ = std::make_unique<QLockFile>(root + QStringLiteral("/jexhost.lock"));
    rootLock_->setStaleLockTime(0);  // stale only when its process is gone
    if (rootLock_->tryLock(0)) return true;
    qint64 pid = 0;
    QString hostName, application;
    if (rootLock_->error() == QLockFile::LockFailedError &&
        rootLock_->getLockInfo(&pid, &hostName, &application)) {
        *error = QStringLiteral("another jexhost (process %1) already uses the folder %2")
                     .arg(pid)
                     .arg(root);
    } else {
        *error = QStringLiteral("cannot lock the folder %1").arg(root);
    }
    return false;
}

// The in-process remote side keeps its token and state below the root,
// readable by this user only; the host presents that token like any other.
bool HostSession::startEmbeddedRemote(const QString& root, QString* error) {
    const QString folder = root + QStringLiteral("/remote");
    if (!QDir().exists(folder) && !QDir().mkdir(folder, kOwnerOnlyFolder)) {
        *error = QStringLiteral("cannot create ") + folder;
        return false;
    }
    jexremote::RemoteOptions remote;
    remote.tokenFile = tokenFile_.isEmpty() ? folder + QStringLiteral("/token") : tokenFile_;
    remote.stateDir =
        options_.stateDir.isEmpty() ? folder + QStringLiteral("/state") : options_.stateDir;
    embeddedRemote_ = std::make_unique<jexremote::RemoteService>(remote);
    QString reason;
    if (!embeddedRemote_->start(&reason)) {
        *error = QStringLiteral("cannot start the remote side: ") + reason;
        return false;
    }
    remoteUrl_ = embeddedRemote_->url();
    tokenFile_ = embeddedRemote_->tokenFile();
    return true;
}

// Waits for the welcome: it names the privileges the panel must show.
bool HostSession::openLink(QString* error) {
    QString reason;
    const auto token = jexremote::firstToken(tokenFile_, &reason);
    if (!token) {
        *error = QStringLiteral("no token in %1: %2").arg(tokenFile_, reason);
        return false;
    }
    qCInfo(lcHost) << "remote side at" << remoteUrl_.toString();
    LinkOptions link;
    link.url = remoteUrl_;
    link.token = *token;
    link.timeoutMs = options_.timeoutMs;
    link.keepAliveMs = options_.keepAliveMs;
    link_ = std::make_unique<RemoteLink>(link);

    QEventLoop loop;
    connect(link_.get(), &RemoteLink::welcomed, &loop, &QEventLoop::quit);
    connect(link_.get(), &RemoteLink::down, &loop, [&](const QString& why) {
        reason = why;
        loop.quit();
    });
    link_->open();
    loop.exec();  // bounded: the link gives up on a welcome after the timeout
    link_->disconnect(&loop);
    if (link_->welcome()) return true;
    *error = QStringLiteral("the remote side at %1 did not let this host in: %2")
                 .arg(remoteUrl_.toString(), reason);
    return false;
}

void HostSession::openPanel(qint64 parentHandle, const QSize& pixels, int dpiX, int dpiY) {
    if (!plugin_) return;
    plugin_->loadInterface(options_.profile, parentHandle, options_.tag,
                           pixelsToTwips(pixels.height(), dpiY),
                           pixelsToTwips(pixels.width(), dpiX));
}

void HostSession::hidePanel() {
    if (plugin_) plugin_->hideInterface();
}

}  // namespace jexhost
