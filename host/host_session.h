#pragma once
// One run of the host without its windows: the remote side (in-process or
// remote), the link to it, the plug-in and the carrier that brings the
// plug-in's requests to the remote side and the answers back.

#include <QObject>
#include <QSize>
#include <QUrl>

#include <memory>

#include "host/host_options.h"
#include "host/plugin_client.h"

namespace jexremote {
class RemotePlugin;
class RemoteServer;
}  // namespace jexremote

namespace jexhost {

class RemoteLink;
class RequestCarrier;

class HostSession : public QObject {
    Q_OBJECT
public:
    explicit HostSession(HostOptions options, QObject* parent = nullptr);
    ~HostSession() override;

    // Starts the in-process remote side when no URL was given, creates the
    // plug-in, hands it the privileges and starts carrying requests. False,
    // with the reason in `error`, when any of it fails.
    bool start(QString* error);

    const PluginDescriptor& descriptor() const { return descriptor_; }
    const QUrl& remoteUrl() const { return remoteUrl_; }
    const HostOptions& options() const { return options_; }
    jexremote::RemotePlugin* embeddedRemote() const { return embeddedRemote_.get(); }
    RequestCarrier* carrier() const { return carrier_.get(); }

    // Shows the panel in the host window `parentHandle` whose client area is
    // `pixels` large on a screen of the given dots per inch.
    void openPanel(qint64 parentHandle, const QSize& pixels, int dpiX, int dpiY);
    void hidePanel();

private:
    HostOptions options_;
    QUrl remoteUrl_;
    std::unique_ptr<jexremote::RemotePlugin> embeddedRemote_;
    std::unique_ptr<jexremote::RemoteServer> embeddedServer_;
    std::unique_ptr<RemoteLink> link_;
    std::unique_ptr<PluginClient> plugin_;
    std::unique_ptr<RequestCarrier> carrier_;
    PluginDescriptor descriptor_;
};

}  // namespace jexhost
