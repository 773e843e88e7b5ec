#pragma once
// One run of the console without its windows: the lock on its root folder,
// the servers file, the host's own remote side for the embedded servers, one
// link per remote, the plug-in catalogue and the plug-ins it created, and the
// carrier that routes each of the panel's requests to the remote of the
// server it names and the answer back to the panel.
//
// One panel is open at a time. Opening a server waits for its remote's
// welcome (or for the link to fail), hands the welcome's privileges to the
// plug-in and loads the panel with the server's profile and tag. An answer
// meant for a server whose panel is no longer open is dropped.

#include <QLockFile>
#include <QObject>
#include <QSize>

#include <map>
#include <memory>
#include <optional>

#include "host/catalogue/catalogue.h"
#include "host/host_options.h"
#include "host/plugin_client.h"
#include "host/servers/server_entry.h"

namespace jexremote {
class RemoteService;
}

namespace jexhost {

namespace servers {
class ServerListModel;
}
namespace traffic {
class TrafficModel;
}
class LinkPool;
class RequestCarrier;
class RequestRouter;

// Where a panel goes: the host window's handle, its client area in pixels and
// the screen's dots per inch.
struct PanelPlace {
    qint64 handle = 0;
    QSize pixels;
    int dpiX = 96;
    int dpiY = 96;
};

class HostSession : public QObject {
    Q_OBJECT
public:
    explicit HostSession(HostOptions options, QObject* parent = nullptr);
    ~HostSession() override;

    // Takes the root folder, reads the servers file (writing the default on
    // the first start), gives the embedded servers their state files, starts
    // the host's own remote side, scans the plug-ins and starts carrying
    // requests. False, with the reason in `error`, when any of it fails.
    bool start(QString* error);

    const QString& root() const { return root_; }
    const QString& serversFile() const { return serversFile_; }
    const HostOptions& options() const { return options_; }
    servers::ServerListModel* servers() const { return servers_.get(); }
    traffic::TrafficModel* traffic() const { return traffic_.get(); }
    const catalogue::Catalogue& catalogue() const { return catalogue_; }
    LinkPool* links() const { return links_.get(); }
    RequestCarrier* carrier() const { return carrier_.get(); }
    RequestRouter* router() const { return router_.get(); }
    jexremote::RemoteService* embeddedRemote() const { return embeddedRemote_.get(); }

    std::optional<servers::ServerEntry> server(const QString& id) const;
    // The list changed (an edit in the servers file): requests are routed by
    // the new list; the link of a changed server is made anew and its panel,
    // or that of a removed one, is closed.
    void serversEdited(const QString& changedId = {});

    // Opens server `id`'s panel at `place`, hiding the open one first.
    // `panelOpened` or `openFailed` tells how it went.
    void openServer(const QString& id, const PanelPlace& place);
    // Loads the open panel again, which fetches its settings again.
    void refresh();
    // Opens the link to server `id`'s remote at once when it is down.
    void retry(const QString& id);
    void closePanel();
    // The server whose panel is open (or opening); empty when none.
    const QString& openId() const { return openId_; }

signals:
    void panelOpened(const QString& id);
    void openFailed(const QString& id, const QString& reason);
    // An answer was handed to the open panel of server `id`.
    void answerApplied(const QString& id);

private:
    bool lockRoot(QString* error);
    bool startEmbeddedRemote(const QList<servers::ServerEntry>& list, QString* error);
    PluginClient* pluginFor(const servers::ServerEntry& entry, QString* error);
    void finishOpen();
    void deliver(const QString& serverId, const QString& answer);
    void applyWelcome(const QString& remote, const jexlink::Welcome& welcome);

    HostOptions options_;
    QString root_;
    QString serversFile_;
    std::unique_ptr<QLockFile> rootLock_;
    std::unique_ptr<jexremote::RemoteService> embeddedRemote_;
    std::unique_ptr<servers::ServerListModel> servers_;
    std::unique_ptr<traffic::TrafficModel> traffic_;
    catalogue::Catalogue catalogue_;
    std::unique_ptr<LinkPool> links_;
    std::unique_ptr<RequestRouter> router_;
    std::unique_ptr<RequestCarrier> carrier_;
    std::map<QString, std::unique_ptr<PluginClient>> plugins_;  // by ProgID

    QString openId_;
    PluginClient* openPlugin_ = nullptr;
    PanelPlace place_;
    bool awaitingWelcome_ = false;             // the open server's panel waits for its remote
    std::optional<jexlink::Welcome> granted_;  // what the open panel was given
};

}  // namespace jexhost
