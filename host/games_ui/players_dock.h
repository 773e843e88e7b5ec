#pragma once
// The Players dock: who plays on the game of the server selected in the list
// (name, clan, score, time on the server; spectators said so), as its remote
// side heard from the game's own query, refreshed every 5 s while the dock
// is shown and not at all while it is hidden behind another tab.

#include <QDockWidget>

#include "host/games/players_watch.h"
#include "host/games_ui/current_server_link.h"

class QLabel;
class QTableWidget;

namespace jexhost::games_ui {

class PlayersDock final : public QDockWidget {
    Q_OBJECT
public:
    // Its object name is "playersDock", so the window's saved state restores it.
    PlayersDock(HostSession& session, servers::ServerListPanel* list, QWidget* parent = nullptr);

    PlayersWatch* watch() const { return watch_; }
    QTableWidget* table() const { return table_; }
    QLabel* stateLine() const { return state_; }

private:
    void showPlayers();

    CurrentServerLink* current_;
    PlayersWatch* watch_;
    QLabel* state_;
    QTableWidget* table_;
};

}  // namespace jexhost::games_ui
