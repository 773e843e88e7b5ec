#include "host/games_ui/game_action_dialog.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QMap>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "host/fleet_ui/outcome_table.h"

namespace jexhost::games_ui {

using games::ActionOutcome;

namespace {

fleet::Outcome toneOf(ActionOutcome outcome) {
    switch (outcome) {
        case ActionOutcome::Done:
            return fleet::Outcome::Applied;
        case ActionOutcome::Waiting:
            return fleet::Outcome::Unchanged;  // grey: nothing happened yet
        case ActionOutcome::Refused:
        case ActionOutcome::Failed:
            return fleet::Outcome::Refused;
        case ActionOutcome::Unreachable:
            break;
    }
    return fleet::Outcome::Unreachable;
}

}  // namespace

QString resultText(const games::ActionResult& result) {
    QString text = games::outcomeWord(result.outcome);
    if (result.outcome == ActionOutcome::Done || result.outcome == ActionOutcome::Waiting) {
        if (!result.state.isEmpty()) text += QStringLiteral(": ") + result.state;
        return text;
    }
    if (!result.reason.isEmpty()) text += QStringLiteral(": ") + result.reason;
    return text;
}

GameActionDialog::GameActionDialog(LinkPool& pool, const QString& title, QWidget* parent)
    : QDialog(parent),
      actions_(new games::GameActions(pool, this)),
      progress_(new QProgressBar),
      table_(new fleet_ui::OutcomeTable),
      summary_(new QLabel) {
    setObjectName(QStringLiteral("gameActionDialog"));
    setWindowTitle(title);
    table_->setColumnHidden(fleet_ui::OutcomeTable::ChangesColumn, true);
    table_->setColumnHidden(fleet_ui::OutcomeTable::PreviewColumn, true);
    table_->horizontalHeader()->setStretchLastSection(true);
    summary_->setObjectName(QStringLiteral("gameActionSummary"));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(progress_);
    layout->addWidget(table_, 1);
    layout->addWidget(summary_);
    layout->addWidget(buttons);
    resize(560, 360);
    connect(actions_, &games::GameActions::progress, this, [this](int done, int total) {
        progress_->setRange(0, total);
        progress_->setValue(done);
    });
    connect(actions_, &games::GameActions::serverDone, this, &GameActionDialog::showResult);
    connect(actions_, &games::GameActions::finished, this,
            [this](const QList<games::ActionResult>& results) {
                showCounts(results, true);
                emit finished(results);
            });
}

bool GameActionDialog::run(const QList<servers::ServerEntry>& servers, const QString& serversFile,
                           const QString& action, bool whenEmpty) {
    ids_.clear();
    QStringList names;
    for (const auto& entry : servers) {
        ids_ << entry.id;
        names << entry.name;
    }
    table_->setServers(names);
    table_->clearOutcomes(true);
    summary_->setText(tr("Asking %1 servers...").arg(servers.size()));
    return actions_->run(servers, serversFile, action, whenEmpty);
}

void GameActionDialog::showResult(const games::ActionResult& result) {
    table_->showOutcomeText(int(ids_.indexOf(result.serverId)), resultText(result),
                            toneOf(result.outcome));
    showCounts(actions_->results(), false);
}

void GameActionDialog::showCounts(const QList<games::ActionResult>& results, bool over) {
    QMap<ActionOutcome, int> counts;
    for (const auto& result : results) ++counts[result.outcome];
    QStringList parts;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        parts << QStringLiteral("%1 %2").arg(it.value()).arg(games::outcomeWord(it.key()));
    const QString counted = parts.join(QStringLiteral(", "));
    summary_->setText(
        over ? counted
             : tr("%1 of %2 answered: %3").arg(results.size()).arg(ids_.size()).arg(counted));
}

}  // namespace jexhost::games_ui
