#include "host/games_ui/players_dock.h"

#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>
#include <QVBoxLayout>

#include "host/games/game_description.h"
#include "host/games_ui/dock_body.h"

namespace jexhost::games_ui {

namespace {
enum Column { kName, kClan, kScore, kTime, kAs, kColumns };

// "42 s" before "13 min": sorted by the seconds, not by the words.
class SpanItem : public QTableWidgetItem {
public:
    explicit SpanItem(qint64 seconds) : QTableWidgetItem(games::describeSpan(seconds)) {
        setData(Qt::UserRole, seconds);
    }
    bool operator<(const QTableWidgetItem& other) const override {
        return data(Qt::UserRole).toLongLong() < other.data(Qt::UserRole).toLongLong();
    }
};
}  // namespace

PlayersDock::PlayersDock(HostSession& session, servers::ServerListPanel* list, QWidget* parent)
    : QDockWidget(tr("Players"), parent),
      current_(new CurrentServerLink(session, list, this)),
      watch_(new PlayersWatch(this)),
      state_(new QLabel),
      table_(new QTableWidget(0, kColumns)) {
    setObjectName(QStringLiteral("playersDock"));
    state_->setObjectName(QStringLiteral("playersState"));
    state_->setWordWrap(true);
    state_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    table_->setObjectName(QStringLiteral("playersTable"));
    table_->setHorizontalHeaderLabels({tr("Name"), tr("Clan"), tr("Score"), tr("Time"), tr("As")});
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->verticalHeader()->hide();
    table_->horizontalHeader()->setMinimumSectionSize(60);
    table_->setMinimumHeight(40);
    table_->setSortingEnabled(true);
    table_->sortByColumn(kScore, Qt::DescendingOrder);
    QVBoxLayout* layout = setDockBody(this);
    layout->addWidget(state_);
    layout->addWidget(table_, 1);

    connect(current_, &CurrentServerLink::followed, this,
            [this](const FollowedServer& server) { watch_->watch(server); });
    connect(current_, &CurrentServerLink::none, watch_, &PlayersWatch::stop);
    connect(current_, &CurrentServerLink::welcomed, watch_, &PlayersWatch::welcomed);
    connect(current_, &CurrentServerLink::down, watch_, &PlayersWatch::linkDown);
    connect(watch_, &PlayersWatch::changed, this, &PlayersDock::showPlayers);
    connect(this, &QDockWidget::visibilityChanged, watch_, &PlayersWatch::setActive);
    current_->refresh();
    showPlayers();
}

void PlayersDock::showPlayers() {
    state_->setText(watch_->stateText());
    const auto& players = watch_->players();
    table_->setSortingEnabled(false);
    table_->setRowCount(int(players.size()));
    for (int row = 0; row < players.size(); ++row) {
        const jexlink::PlayerEntry& player = players[row];
        auto* score = new QTableWidgetItem;
        score->setData(Qt::DisplayRole, player.score);
        table_->setItem(row, kName, new QTableWidgetItem(player.name));
        table_->setItem(row, kClan, new QTableWidgetItem(player.clan));
        table_->setItem(row, kScore, score);
        table_->setItem(row, kTime, new SpanItem(player.seconds));
        table_->setItem(row, kAs,
                        new QTableWidgetItem(player.spectator ? tr("spectator") : tr("player")));
    }
    table_->setSortingEnabled(true);
    table_->resizeColumnsToContents();
}

}  // namespace jexhost::games_ui
