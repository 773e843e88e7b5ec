#pragma once
// Start, Stop, Restart, Restart when empty and Kill for the servers selected
// in the list: one entry each, for the Server menu, the list's context menu
// and the tool bar, with keyboard shortcuts. An entry is greyed, its tooltip
// saying why, when no selected server allows it (no `control` privilege, no
// game, a state that does not allow it). One server's outcome goes to the
// status bar; many servers' to a dialog with progress and a row per server.
// Kill asks first.

#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QTimer>

#include "host/games/game_action_rules.h"

class QAction;
class QWidget;

namespace jexhost {
class HostSession;
namespace games {
class GameStates;
struct ActionResult;
}  // namespace games
namespace servers {
class ServerListPanel;
}
}  // namespace jexhost

namespace jexhost::games_ui {

class GameActionDialog;

class GameControls : public QObject {
    Q_OBJECT
public:
    // `window` is where the question and dialogs show.
    GameControls(HostSession& session, servers::ServerListPanel* list, games::GameStates& states,
                 QWidget* window);

    QList<QAction*> actions() const { return ordered_; }  // in the menu's order
    QAction* action(GameAction which) const { return actions_.value(which); }
    // What the console knows of these servers' games, for the rules.
    QList<ServerGameView> views(const QStringList& ids) const;

public slots:
    // Runs `which` on the servers `ids` (the selected ones when empty),
    // asking first for Kill. The dialog shown for many servers, or null.
    GameActionDialog* trigger(GameAction which, QStringList ids = {});
    // Greys the entries the selection does not allow, saying why.
    void judge();

signals:
    // A line for the status bar.
    void notice(const QString& text);

private:
    void runOne(GameAction which, const QString& id);

    HostSession& session_;
    servers::ServerListPanel* list_;
    games::GameStates& states_;
    QPointer<QWidget> window_;
    QHash<GameAction, QAction*> actions_;
    QList<QAction*> ordered_;
    QSet<QString> selected_;  // as last judged
    QTimer soon_;
};

}  // namespace jexhost::games_ui
