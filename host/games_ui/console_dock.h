#pragma once
// The Console dock: the game output of the server selected in the list, as
// it comes (its last lines, then what the game prints), with search, pause
// and copy; and a command line for the game's console below it, Up and Down
// walking the lines sent before. Without the privilege to control game
// servers the dock says so and the command line takes nothing.

#include <QDockWidget>

#include "host/games/output_feed.h"
#include "host/games_ui/current_server_link.h"

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QToolButton;

namespace jexhost {
class HostSession;
class RemoteLink;
namespace servers {
class ServerListPanel;
}
namespace games {
class GameStates;
}
}  // namespace jexhost

namespace jexhost::games_ui {

class ConsoleDock final : public QDockWidget {
    Q_OBJECT
public:
    // Follows the list's current server; the lines its game prints come
    // through `states`. Its object name is "consoleDock", so the window's
    // saved state restores it.
    ConsoleDock(HostSession& session, servers::ServerListPanel* list, games::GameStates& states,
                QWidget* parent = nullptr);

    OutputFeed* feed() const { return feed_; }
    QPlainTextEdit* output() const { return output_; }
    QLineEdit* commandLine() const { return command_; }
    QLineEdit* searchBox() const { return search_; }
    QToolButton* pauseButton() const { return pause_; }
    QLabel* stateLine() const { return state_; }

public slots:
    // Follows the list's current server (or nothing when none is current).
    void followCurrent();
    // Finds the search box's text after the cursor (before it, backwards),
    // round the end; the state line says when it is nowhere.
    void findNext(bool backwards = false);
    // Copies the selected output, or all of it when nothing is selected.
    void copy();
    void setPaused(bool paused);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showAll();
    void showAdded(int count);
    void showState();
    void sendCommand();
    void commandAnswered(const QString& line, bool ok, const QString& reason);

    CurrentServerLink* current_;
    OutputFeed* feed_;
    CommandHistory history_;
    int unseen_ = 0;  // lines come while paused
    QString note_;    // the last command's outcome or a search's
    QPlainTextEdit* output_;
    QLineEdit* search_;
    QToolButton* pause_;
    QToolButton* copy_;
    QLabel* state_;
    QLineEdit* command_;
};

}  // namespace jexhost::games_ui
