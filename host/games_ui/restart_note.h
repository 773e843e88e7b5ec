#pragma once
// The line above the open server's panel while some of its settings wait for
// the game's next restart: "Max Players and Game Play take effect at the
// next restart", with Restart now and Restart when empty beside it. Hidden
// otherwise.

#include <QWidget>

class QLabel;
class QPushButton;

namespace jexhost {
class HostSession;
namespace games {
class GameStates;
}
}  // namespace jexhost

namespace jexhost::games_ui {

class GameControls;

class RestartNote final : public QWidget {
    Q_OBJECT
public:
    RestartNote(HostSession& session, games::GameStates& states, GameControls& controls,
                QWidget* parent = nullptr);

    QLabel* text() const { return text_; }
    QPushButton* restartNow() const { return now_; }
    QPushButton* restartWhenEmpty() const { return whenEmpty_; }

private:
    void showFor();

    HostSession& session_;
    games::GameStates& states_;
    GameControls& controls_;
    QLabel* text_;
    QPushButton* now_;
    QPushButton* whenEmpty_;
};

}  // namespace jexhost::games_ui
