// The window's menus and tool bar: the console's own entries, the fleet's,
// and those the plug-ins add.
#include <QDesktopServices>
#include <QDockWidget>
#include <QMenuBar>
#include <QMessageBox>
#include <QStatusBar>
#include <QToolBar>
#include <QUrl>

#include "host/catalogue_ui/plugins_dialog.h"
#include "host/console/console_window.h"
#include "host/fleet_ui/fleet_actions.h"
#include "host/games_ui/game_controls.h"
#include "host/host_options.h"
#include "host/host_session.h"
#include "host/servers_ui/server_list_panel.h"

namespace jexhost {

void ConsoleWindow::buildMenus() {
    QMenu* server = menuBar()->addMenu(tr("&Server"));
    QAction* open = server->addAction(tr("&Open"), this, &ConsoleWindow::openSelected);
    QAction* refresh = server->addAction(tr("&Refresh"), this, &ConsoleWindow::refresh);
    refresh->setShortcut(QKeySequence::Refresh);
    QAction* retry = server->addAction(tr("Re&try link"), this, &ConsoleWindow::retrySelected);
    open->setObjectName(QStringLiteral("openAction"));
    refresh->setObjectName(QStringLiteral("refreshAction"));
    retry->setObjectName(QStringLiteral("retryAction"));
    QAction* history = server->addAction(tr("&History..."), this, &ConsoleWindow::showHistory);
    history->setObjectName(QStringLiteral("historyAction"));
    reviewUpdates_ = server->addAction(tr("Review changes before &Update"));
    reviewUpdates_->setObjectName(QStringLiteral("reviewUpdatesAction"));
    reviewUpdates_->setCheckable(true);
    connect(reviewUpdates_, &QAction::toggled, this, &ConsoleWindow::setReviewUpdates);
    server->addSeparator();
    server->addAction(tr("&Add..."), serverList_, &servers::ServerListPanel::addServer);
    server
        ->addAction(tr("Add a remote's &servers..."), this,
                    [this] { serverList_->addRemoteServers(session_.links()); })
        ->setObjectName(QStringLiteral("addRemoteAction"));
    server->addAction(tr("&Edit..."), serverList_, &servers::ServerListPanel::editServer);
    server->addAction(tr("Re&move"), serverList_, &servers::ServerListPanel::removeServer);
    server->addSeparator();
    fleet_ = new fleet_ui::FleetActions(session_, serverList_, this);
    fleet_->addTo(server);
    connect(fleet_, &fleet_ui::FleetActions::notice, this, &ConsoleWindow::showOutcome);
    connect(fleet_, &fleet_ui::FleetActions::noticeOver, this, [this](const QString& text) {
        if (statusBar()->currentMessage() == text) statusBar()->clearMessage();
    });
    connect(fleet_, &fleet_ui::FleetActions::settingsStored, this, &ConsoleWindow::storedElsewhere);

    server->addSeparator();
    server->addActions(gameControls_->actions());
    connect(gameControls_, &games_ui::GameControls::notice, this, &ConsoleWindow::showOutcome);

    QToolBar* tools = addToolBar(tr("Server"));
    tools->setObjectName(QStringLiteral("serverTools"));
    tools->addActions({open, refresh, retry});
    tools->addSeparator();
    tools->addActions(gameControls_->actions());

    QMenu* view = menuBar()->addMenu(tr("&View"));
    for (auto* dock : findChildren<QDockWidget*>()) view->addAction(dock->toggleViewAction());

    QMenu* help = menuBar()->addMenu(tr("&Help"));
    addPluginMenus(server, help);
    help->addSeparator();
    help->addAction(tr("&About jexhost"), this, [this] {
        QMessageBox::about(this, tr("About jexhost"),
                           tr("jexhost %1\nOperator's console for game servers.")
                               .arg(QString::fromLatin1(kHostVersion)));
    });
    server->addSeparator();
    server->addAction(tr("&Quit"), this, &QWidget::close)->setShortcut(QKeySequence::Quit);
}

// Entries the plug-ins add: each opens the selected server's panel when that
// plug-in serves its game; help files open when they exist.
void ConsoleWindow::addPluginMenus(QMenu* serverMenu, QMenu* helpMenu) {
    const auto& catalogue = session_.catalogue();
    const auto items = catalogue.serverMenu();
    if (!items.isEmpty()) serverMenu->addSeparator();
    for (const auto& item : items) {
        // A plug-in names its entry for its own menu ("Server"): here it
        // stands among the console's own, so it says whose it is.
        QString text = tr("%1: %2").arg(item.plugin, item.text);
        serverMenu->addAction(text.replace(u'&', QStringLiteral("&&")), this, [this, item] {
            const auto entry = session_.server(serverList_->currentId());
            if (!entry) return showOutcome(tr("Select a server first."));
            for (const auto& offer : session_.catalogue().offersFor(entry->game))
                if (offer.progId() == item.progId) return openServer(entry->id);
            showOutcome(tr("%1 does not serve %2.").arg(item.plugin, entry->game));
        });
    }
    for (const auto& file : catalogue.helpFiles()) {
        helpMenu->addAction(tr("%1 help").arg(file.plugin), this, [this, file] {
            if (file.exists)
                QDesktopServices::openUrl(QUrl::fromLocalFile(file.path));
            else
                QMessageBox::information(this, tr("Help"), file.note);
        });
    }
    helpMenu->addAction(tr("&Plug-ins..."), this,
                        [this] { catalogue::PluginsDialog(session_.catalogue(), this).exec(); });
}

}  // namespace jexhost
