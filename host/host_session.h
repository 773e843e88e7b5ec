#pragma once
// One run of the console without its windows: the lock on its root folder,
// the servers file, the host's own remote side for the embedded servers, one
// link per remote, the plug-in catalogue and the plug-ins it created, and the
// carrier that routes each of the panel's requests to the remote of the
// server it names and the answer back to the panel.
//
// One panel is open at a time. Opening a server waits for its link's
// welcome (or for the link to fail), hands that link's privileges to the
// plug-in (none when it is not welcomed) and loads the panel with the
// server's profile and tag. Until the server's own settings have come, the
// panel state says what the window shows instead of the form. An answer
// meant for a server whose panel is no longer open is dropped.
//
// Other operators may change a server meanwhile. The session writes in the
// ledger (servers/server_ledger.h), per server, the settings answer it last
// handed to that server's panel and its version: each update of the panel is
// sent as made from that version. A change stored by someone else marks the
// server in the list until its panel has been handed settings at least that
// new.

#include <QHash>
#include <QLockFile>
#include <QObject>
#include <QSet>
#include <QSize>

#include <map>
#include <memory>
#include <optional>

#include "host/catalogue/catalogue.h"
#include "host/host_options.h"
#include "host/link/remote_link.h"
#include "host/panel_state.h"
#include "host/plugin_client.h"
#include "host/servers/server_entry.h"
#include "host/servers/server_ledger.h"

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
    // The profiles the console's own remote side serves (read once at start).
    const QSet<int>& embeddedProfiles() const { return embeddedProfiles_; }

    std::optional<servers::ServerEntry> server(const QString& id) const;
    // The name of the link server `entry` uses (see LinkPool::keyOf).
    QString linkKey(const servers::ServerEntry& entry) const;
    // The state of that link.
    servers::LinkStatus linkStatus(const servers::ServerEntry& entry) const;
    // The list changed (an edit in the servers file): requests are routed by
    // the new list; the link of a changed server is made anew and its panel,
    // or that of a removed one, is closed.
    void serversEdited(const QString& changedId = {});

    // Opens server `id`'s panel at `place`, hiding the open one first.
    // `panelOpened` or `openFailed` tells how it went.
    void openServer(const QString& id, const PanelPlace& place);
    // Loads the open panel again, which fetches its settings again.
    void refresh();
    // Opens the link of server `id` at once when it is down; a refused one
    // is made anew, reading its token file again.
    void retry(const QString& id);
    void closePanel();
    // The server whose panel is open (or opening); empty when none.
    const QString& openId() const { return openId_; }
    PanelState panelState() const { return panelState_; }
    // What the panel area shows in place of the form; empty while it is shown.
    QString panelStateText() const;
    // The privileges handed to the open panel (nothing while none is open).
    const std::optional<jexlink::Welcome>& granted() const { return ledger_.privileges(openId_); }
    // What the console knows of each server: what its panel was handed, the
    // version its updates are made from, others' changes since.
    const servers::ServerLedger& ledger() const { return ledger_; }

signals:
    void panelOpened(const QString& id);
    void openFailed(const QString& id, const QString& reason);
    // An answer was handed to the open panel of server `id`; `settings` when
    // it filled the form with that server's settings.
    void answerApplied(const QString& id, bool settings = false);
    // An update of the open panel was stored ("1").
    void updateStored(const QString& id);
    // The answer to an update of the open panel reached it: stored or not.
    void updateAnswered(const QString& id, bool stored);
    // The open panel was last told that no data came (so it refuses to send
    // an update until data comes again), and its link is back.
    void panelMissedData(const QString& id);
    // What the panel area shows changed (or its text, as the next try nears).
    void panelStateChanged();
    // The link of the open server changed state.
    void openLinkChanged();
    // The remote side took privileges of the open server's operator away.
    void privilegesLowered(const QString& id, const QStringList& names);
    // Someone else stored a change of server `id`'s settings.
    void changedElsewhere(const QString& id, const jexlink::ChangedNotice& notice);

private:
    bool startEmbeddedRemote(const QList<servers::ServerEntry>& list, QString* error);
    PluginClient* pluginFor(const servers::ServerEntry& entry, QString* error);
    void finishOpen();
    void deliver(const QString& serverId, const QString& command, const jexlink::Envelope& answer,
                 LinkFailure failure);
    void noticeCame(const QString& key, const jexlink::ChangedNotice& notice);
    // The id of the server named `name`; empty when there is none.
    QString idOfName(const QString& name) const;
    void applyWelcome(const QString& key, const jexlink::Welcome& welcome);
    void linkChanged(const QString& key, const servers::LinkStatus& status);
    void setPanelState(PanelState state);
    // Gives every server its link's state and opens the links not open yet.
    void showLinks();

    HostOptions options_;
    QString root_;
    QString serversFile_;
    std::unique_ptr<QLockFile> rootLock_;
    std::unique_ptr<jexremote::RemoteService> embeddedRemote_;
    QSet<int> embeddedProfiles_;
    servers::ServerLedger ledger_;  // read by the traffic view, so made before it
    std::unique_ptr<servers::ServerListModel> servers_;
    std::unique_ptr<traffic::TrafficModel> traffic_;
    catalogue::Catalogue catalogue_;
    std::unique_ptr<LinkPool> links_;
    std::unique_ptr<RequestRouter> router_;
    std::unique_ptr<RequestCarrier> carrier_;
    std::map<QString, std::unique_ptr<PluginClient>> plugins_;  // by ProgID

    QString openId_;
    // The servers of each link, so that a link's change reaches its rows
    // without going through thousands of servers.
    QHash<QString, QStringList> serversOfLink_;
    PluginClient* openPlugin_ = nullptr;
    PanelPlace place_;
    bool awaitingWelcome_ = false;  // the open server's panel waits for its link
    PanelState panelState_ = PanelState::Closed;
    QString openFailure_;   // why no panel could be shown
    bool starved_ = false;  // the panel's last answer carried no data
};

}  // namespace jexhost
