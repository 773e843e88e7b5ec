#include "host/host_session.h"

#include <QDir>

#include "exchange/wire/request.h"
#include "host/log.h"
#include "host/remote_link.h"
#include "host/request_carrier.h"
#include "jex/error.h"
#include "jex/hostpaths.h"
#include "remote/remote_plugin.h"
#include "remote/remote_server.h"

namespace jexhost {

HostSession::HostSession(HostOptions options, QObject* parent)
    : QObject(parent), options_(std::move(options)) {}

HostSession::~HostSession() = default;

bool HostSession::start(QString* error) {
    std::unique_ptr<jex::Collection> privileges;
    if (!options_.privilegesFile.isEmpty()) {
        privileges = std::make_unique<jex::Collection>();
        if (!readPrivileges(options_.privilegesFile, *privileges)) {
            *error = QStringLiteral("cannot read the privileges file ") + options_.privilegesFile;
            return false;
        }
    }

    remoteUrl_ = options_.remote;
    if (remoteUrl_.isEmpty()) {
        embeddedRemote_ = std::make_unique<jexremote::RemotePlugin>(options_.remoteState);
        embeddedServer_ = std::make_unique<jexremote::RemoteServer>(*embeddedRemote_);
        if (!embeddedServer_->listen()) {
            *error =
                QStringLiteral("cannot start the remote side: ") + embeddedServer_->errorString();
            return false;
        }
        remoteUrl_ = embeddedServer_->url();
    }
    qCInfo(lcHost) << "remote side at" << remoteUrl_.toString();
    link_ = std::make_unique<RemoteLink>(remoteUrl_);

    try {
        plugin_ = std::make_unique<PluginClient>();
    } catch (const jex::Error& failure) {
        *error = QStringLiteral("cannot create %1: %2").arg(kPanelProgId, failure.description());
        return false;
    }
    descriptor_ = plugin_->descriptor();
    plugin_->setPrivileges(std::move(privileges));

    // The panel saves settings files below its profile's folder.
    const QString hostRoot = jex::hostExecutableFolder();
    QDir().mkpath(hostRoot + QStringLiteral("/profiles/") + QString::number(options_.profile));

    const QString folder = kdrsm::wire::requestFolder(hostRoot);
    carrier_ = std::make_unique<RequestCarrier>(
        folder, *link_, [this](const QString& answer) { plugin_->remoteData(answer); });
    carrier_->start();
    return true;
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
