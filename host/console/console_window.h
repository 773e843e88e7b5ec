#pragma once
// The console's window: the server list on the left, the open server's panel
// in the middle, the traffic view below; menus to open, refresh and retry a
// server, the plug-ins' own Server menu entries and help files. Its geometry,
// dock layout and last open server are kept between runs.
//
// The panel area shows the form only over the open server's own settings;
// until they come, or when they cannot, it shows that server's state. Changes
// typed into the form and not sent are asked about before they would be lost.
// A bar above the panel tells what other operators changed on the open
// server meanwhile, and lets the operator settle an update refused for it.

#include <QMainWindow>

#include "host/console/edit_watch.h"
#include "host/panel_state.h"

class QAction;
class QLabel;
class QPushButton;
class QSettings;
class QStackedWidget;

namespace jexhost {

class HostSession;
class SyncBar;
class ConcurrentEdits;
class UnsentEdits;
namespace servers {
class ServerListPanel;
struct ServerEntry;
}  // namespace servers
namespace traffic {
class TrafficDock;
}
namespace history {
class HistoryDialog;
}
namespace fleet_ui {
class FleetActions;
}
namespace games {
class GameStates;
}
namespace games_ui {
class ConsoleDock;
class PlayersDock;
class GameControls;
}  // namespace games_ui

class ConsoleWindow : public QMainWindow {
    Q_OBJECT
public:
    // `settings` keeps the window's layout and last server; not owned.
    ConsoleWindow(HostSession& session, QSettings& settings, QWidget* parent = nullptr);
    ~ConsoleWindow() override;

    QWidget* panelHost() const { return panelHost_; }
    // The form's page or the state page, whichever the area shows.
    QStackedWidget* panelArea() const { return panelArea_; }
    // The text shown in place of the form, and its Retry button.
    QLabel* stateText() const { return stateText_; }
    QPushButton* stateRetry() const { return stateRetry_; }
    QLabel* heading() const { return openLabel_; }
    // Others' changes to the open server, or why its update was refused.
    SyncBar* syncBar() const { return syncBar_; }
    // Whether the form holds changes not sent.
    bool hasUnsentEdits() const { return edits_.edited(); }
    servers::ServerListPanel* serverList() const { return serverList_; }
    traffic::TrafficDock* trafficDock() const { return trafficDock_; }
    // The selected server's game output and console.
    games_ui::ConsoleDock* consoleDock() const { return consoleDock_; }
    games_ui::PlayersDock* playersDock() const { return playersDock_; }
    // The games of the listed servers, and the entries that control them.
    games::GameStates* gameStates() const { return gameStates_; }
    games_ui::GameControls* gameControls() const { return gameControls_; }

    // Opens server `id`'s panel (and selects it in the list), once changes
    // not sent in the open one are settled.
    void openServer(const QString& id);
    // Opens the History dialog of the selected server (null when none is
    // selected); it closes itself.
    history::HistoryDialog* showHistory();
    // Whether each settings update is shown for approval before it is sent.
    void setReviewUpdates(bool on);

    // The server to open at start: the one named `name`, else the last one
    // open (when `remembered`), else the first. Empty when the list is empty.
    QString startServer(const QString& name, bool remembered = true) const;

public slots:
    void openSelected();
    void refresh();
    void retrySelected();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // Asks about changes not sent (see UnsentEdits). False when they stay.
    bool settleEdits();
    void showPanelState();
    void buildMenus();
    void addPluginMenus(QMenu* serverMenu, QMenu* helpMenu);
    void showOutcome(const QString& text);
    bool reviewUpdate(const servers::ServerEntry& server, const QString& body,
                      const QString& currentReply);
    // Settings were stored behind these servers' backs: an open panel among
    // them fetches again, unless it holds changes not sent.
    void storedElsewhere(const QStringList& ids);

    HostSession& session_;
    QSettings& settings_;
    QWidget* panelHost_;
    QStackedWidget* panelArea_;
    QWidget* statePage_;
    QLabel* stateText_;
    QPushButton* stateRetry_;
    EditWatch edits_;
    SyncBar* syncBar_;
    ConcurrentEdits* concurrent_ = nullptr;
    UnsentEdits* unsent_ = nullptr;
    servers::ServerListPanel* serverList_;
    traffic::TrafficDock* trafficDock_;
    games::GameStates* gameStates_ = nullptr;
    games_ui::ConsoleDock* consoleDock_ = nullptr;
    games_ui::PlayersDock* playersDock_ = nullptr;
    games_ui::GameControls* gameControls_ = nullptr;
    QLabel* openLabel_;
    QAction* reviewUpdates_ = nullptr;
    fleet_ui::FleetActions* fleet_ = nullptr;
};

}  // namespace jexhost
