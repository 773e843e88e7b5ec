#pragma once
// Keeps the server list's Game column in step with the games: each change a
// remote side pushes shows within a quarter of a second, and the words that
// tell time ("running 2 h 13 min", "crashed, restart in 8 s") move on by
// themselves: every second for a crashed game and one in its first minute,
// twice a minute for the others, so a long list costs little while nothing
// happens. Changes are gathered for a quarter of a
// second and shown together: a thousand games changing each second cost the
// list four redraws, not a thousand.

#include <QObject>
#include <QPointer>
#include <QSet>
#include <QTimer>

#include <optional>

#include "host/servers/server_list_model.h"
#include "link/game_messages.h"

namespace jexhost::games {
class GameStates;
}

namespace jexhost::games_ui {

// The cell of one game at `now`: its state and players, the mark and the
// tooltip that says what waits for a restart or drifted.
servers::GameCell gameCell(const std::optional<jexlink::GameStatus>& game, const QDateTime& now,
                           const QDateTime& restartDue = {});

// "Max Players and Game Play take effect at the next restart": the captions
// of the settings that wait, "A, B and C".
QString restartNeededText(const QStringList& captions);

class GameColumn : public QObject {
    Q_OBJECT
public:
    GameColumn(games::GameStates& states, servers::ServerListModel& model,
               QObject* parent = nullptr);
    ~GameColumn() override;

private:
    void show(const QString& id);
    void showDue();
    void showAll();
    void tick();

    games::GameStates& states_;
    servers::ServerListModel& model_;
    QPointer<servers::ServerListModel> modelAlive_;  // asks this for cells until it goes
    QSet<QString> ticking_;  // shown each second: a restart nears, or the first minute runs
    QTimer clock_;
    QSet<QString> due_;  // changed since the last showing
    QTimer gather_;
    int ticks_ = 0;
};

}  // namespace jexhost::games_ui
