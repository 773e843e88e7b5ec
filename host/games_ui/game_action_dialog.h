#pragma once
// One game action on many servers: a progress bar and a row per server whose
// outcome fills as its remote side answers ("done: running", "refused: ...",
// "unreachable: ..."), red where the operator has to look, the remotes asked
// in parallel. It stays open once all have answered, with the counts.

#include <QDialog>
#include <QList>

#include "host/games/game_actions.h"

class QLabel;
class QProgressBar;

namespace jexhost {
class LinkPool;
}
namespace jexhost::fleet_ui {
class OutcomeTable;
}

namespace jexhost::games_ui {

// "done: running", "waiting: restart when empty", "refused: REASON", ...
QString resultText(const games::ActionResult& result);

class GameActionDialog final : public QDialog {
    Q_OBJECT
public:
    GameActionDialog(LinkPool& pool, const QString& title, QWidget* parent = nullptr);

    // Runs `action` on `servers`; false when it could not start.
    bool run(const QList<servers::ServerEntry>& servers, const QString& serversFile,
             const QString& action, bool whenEmpty);
    fleet_ui::OutcomeTable* table() const { return table_; }
    QLabel* summary() const { return summary_; }
    bool isRunning() const { return actions_->isRunning(); }

signals:
    void finished(const QList<jexhost::games::ActionResult>& results);

private:
    void showResult(const games::ActionResult& result);
    void showCounts(const QList<games::ActionResult>& results, bool over);

    games::GameActions* actions_;
    QStringList ids_;
    QProgressBar* progress_;
    fleet_ui::OutcomeTable* table_;
    QLabel* summary_;
};

}  // namespace jexhost::games_ui
