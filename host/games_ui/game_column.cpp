#include "host/games_ui/game_column.h"

#include "host/games/game_description.h"
#include "host/games/game_states.h"

namespace jexhost::games_ui {

namespace {
constexpr int kEveryoneEvery = 30;  // ticks of a second
constexpr int kGatherMs = 250;

// Whether the cell's words change each second: a crashed game's restart
// nears, a game running for less than a minute counts its seconds. `aMinuteAgo`
// is the moment a minute ago as the remote side writes times (with and without
// milliseconds): most games' start is then told by comparing texts, not by
// reading a date a thousand times a second.
struct MinuteAgo {
    QString withMs, withoutMs;
};

bool countsSeconds(const std::optional<jexlink::GameStatus>& game, const QDateTime& now,
                   const MinuteAgo& aMinuteAgo) {
    if (!game) return false;
    if (game->state == QLatin1String("crashed")) return true;
    if (game->state != QLatin1String("running") || game->since.isEmpty()) return false;
    if (game->since.endsWith(u'Z')) {
        if (game->since.size() == aMinuteAgo.withMs.size()) return game->since > aMinuteAgo.withMs;
        if (game->since.size() == aMinuteAgo.withoutMs.size())
            return game->since > aMinuteAgo.withoutMs;
    }
    const QDateTime since = QDateTime::fromString(game->since, Qt::ISODateWithMs);
    return since.isValid() && since.secsTo(now) < 60;
}
}  // namespace

QString restartNeededText(const QStringList& captions) {
    QString joined = captions.value(0);
    for (qsizetype i = 1; i < captions.size(); ++i)
        joined += (i + 1 == captions.size() ? QStringLiteral(" and ") : QStringLiteral(", ")) +
                  captions[i];
    return captions.size() == 1 ? QObject::tr("%1 takes effect at the next restart").arg(joined)
                                : QObject::tr("%1 take effect at the next restart").arg(joined);
}

servers::GameCell gameCell(const std::optional<jexlink::GameStatus>& game, const QDateTime& now,
                           const QDateTime& restartDue) {
    if (!game) return {};
    servers::GameCell cell;
    cell.text = games::describeGame(*game, now, restartDue);
    const QString players = games::describePlayers(*game);
    if (!players.isEmpty()) cell.text += QStringLiteral(", ") + players;
    QStringList tip{QObject::tr("%1 (%2)").arg(cell.text, game->definition)};
    if (!game->restartNeeded.isEmpty()) tip << restartNeededText(game->restartNeeded);
    if (!game->drift.isEmpty())
        tip << QObject::tr("Changed in the game's file outside the console: %1")
                   .arg(game->drift.join(QStringLiteral(", ")));
    for (const auto& problem : game->applyProblems)
        tip << QObject::tr("%1 not applied: %2").arg(problem.setting, problem.reason);
    if (!game->lastExit.isEmpty() && game->state != QLatin1String("failed"))
        tip << QObject::tr("Last exit: %1").arg(game->lastExit);
    cell.marked = !game->restartNeeded.isEmpty() || !game->drift.isEmpty();
    cell.toolTip = tip.join(u'\n');
    return cell;
}

GameColumn::GameColumn(games::GameStates& states, servers::ServerListModel& model, QObject* parent)
    : QObject(parent), states_(states), model_(model), modelAlive_(&model) {
    connect(&states_, &games::GameStates::gameChanged, this, &GameColumn::show);
    connect(&states_, &games::GameStates::gamesKnown, this, [this](const QStringList& ids) {
        for (const QString& id : ids) show(id);
    });
    model_.setGameCellSource([this](const QString& id) {
        return gameCell(states_.game(id), QDateTime::currentDateTimeUtc(), states_.restartDue(id));
    });
    gather_.setSingleShot(true);
    gather_.setInterval(kGatherMs);
    connect(&gather_, &QTimer::timeout, this, &GameColumn::showDue);
    // A new list: every row is shown anew.
    connect(&model_, &QAbstractItemModel::modelReset, this, &GameColumn::showAll);
    connect(&clock_, &QTimer::timeout, this, &GameColumn::tick);
    clock_.start(1000);
    showAll();
}

GameColumn::~GameColumn() {
    if (modelAlive_) modelAlive_->setGameCellSource({});
}

void GameColumn::show(const QString& id) {
    due_.insert(id);
    if (!gather_.isActive()) gather_.start();
}

void GameColumn::showDue() {
    const QDateTime now = QDateTime::currentDateTimeUtc();
    const QDateTime minuteAgo = now.addSecs(-60);
    const MinuteAgo aMinuteAgo{minuteAgo.toString(Qt::ISODateWithMs),
                               minuteAgo.toString(Qt::ISODate)};
    for (const QString& id : std::as_const(due_)) {
        if (countsSeconds(states_.game(id), now, aMinuteAgo))
            ticking_.insert(id);
        else
            ticking_.remove(id);
    }
    model_.gamesChanged(std::exchange(due_, {}));
}

void GameColumn::showAll() {
    ticking_.clear();
    for (int row = 0; row < model_.rowCount(); ++row) due_.insert(model_.server(row).id);
    showDue();
}

void GameColumn::tick() {
    if (++ticks_ % kEveryoneEvery == 0) return showAll();
    due_ += ticking_;
    showDue();
}

}  // namespace jexhost::games_ui
