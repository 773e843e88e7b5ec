#pragma once
// The console's window: the server list on the left, the open server's panel
// in the middle, the traffic view below; menus to open, refresh and retry a
// server, the plug-ins' own Server menu entries and help files. Its geometry,
// dock layout and last open server are kept between runs.

#include <QMainWindow>

class QAction;
class QLabel;
class QSettings;

namespace jexhost {

class HostSession;
namespace servers {
class ServerListPanel;
}
namespace traffic {
class TrafficDock;
}
namespace history {
class HistoryDialog;
}

class ConsoleWindow : public QMainWindow {
    Q_OBJECT
public:
    // `settings` keeps the window's layout and last server; not owned.
    ConsoleWindow(HostSession& session, QSettings& settings, QWidget* parent = nullptr);
    ~ConsoleWindow() override;

    QWidget* panelHost() const { return panelHost_; }
    servers::ServerListPanel* serverList() const { return serverList_; }
    traffic::TrafficDock* trafficDock() const { return trafficDock_; }

    // Opens server `id`'s panel (and selects it in the list).
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
    void buildMenus();
    void addPluginMenus(QMenu* serverMenu, QMenu* helpMenu);
    void showOutcome(const QString& text);
    bool reviewUpdate(const QString& serverName, const QString& body);

    HostSession& session_;
    QSettings& settings_;
    QWidget* panelHost_;
    servers::ServerListPanel* serverList_;
    traffic::TrafficDock* trafficDock_;
    QLabel* openLabel_;
    QAction* reviewUpdates_ = nullptr;
};

}  // namespace jexhost
