#pragma once
// One run of the host without its windows: the lock on its root folder, the
// remote side (in-process or remote), the link to it, the plug-in and the
// carrier that brings the plug-in's requests to the remote side and the
// answers back.

#include <QLockFile>
#include <QObject>
#include <QSize>
#include <QUrl>

#include <memory>

#include "host/host_options.h"
#include "host/plugin_client.h"

namespace jexremote {
class RemoteService;
}

namespace jexhost {

class RemoteLink;
class RequestCarrier;

class HostSession : public QObject {
    Q_OBJECT
public:
    explicit HostSession(HostOptions options, QObject* parent = nullptr);
    ~HostSession() override;

    // Takes the root folder for this host, starts the in-process remote side
    // when no URL was given, opens the link and waits for the welcome,
    // creates the plug-in, hands it the operator's privileges and starts
    // carrying requests. False, with the reason in `error`, when any of it
    // fails.
    bool start(QString* error);

    const PluginDescriptor& descriptor() const { return descriptor_; }
    const QUrl& remoteUrl() const { return remoteUrl_; }
    const HostOptions& options() const { return options_; }
    jexremote::RemoteService* embeddedRemote() const { return embeddedRemote_.get(); }
    RemoteLink* link() const { return link_.get(); }
    RequestCarrier* carrier() const { return carrier_.get(); }

    // Shows the panel in the host window `parentHandle` whose client area is
    // `pixels` large on a screen of the given dots per inch.
    void openPanel(qint64 parentHandle, const QSize& pixels, int dpiX, int dpiY);
    void hidePanel();

private:
    bool lockRoot(const QString& root, QString* error);
    bool startEmbeddedRemote(const QString& root, QString* error);
    bool openLink(QString* error);

    HostOptions options_;
    std::unique_ptr<QLockFile> rootLock_;
    QUrl remoteUrl_;
    QString tokenFile_;
    std::unique_ptr<jexremote::RemoteService> embeddedRemote_;
    std::unique_ptr<RemoteLink> link_;
    std::unique_ptr<PluginClient> plugin_;
    std::unique_ptr<RequestCarrier> carrier_;
    PluginDescriptor descriptor_;
};

}  // namespace jexhost
