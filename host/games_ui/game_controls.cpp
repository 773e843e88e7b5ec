#include "host/games_ui/game_controls.h"

#include <QAction>
#include <QItemSelectionModel>
#include <QMessageBox>
#include <QTableView>

#include "host/games/game_actions.h"
#include "host/games/game_states.h"
#include "host/games_ui/game_action_dialog.h"
#include "host/host_session.h"
#include "host/relay/link_pool.h"
#include "host/servers/server_list_model.h"
#include "host/servers_ui/server_list_panel.h"

namespace jexhost::games_ui {

namespace {

QKeySequence shortcutOf(GameAction which) {
    switch (which) {
        case GameAction::Start:
            return QKeySequence(QStringLiteral("Ctrl+Shift+S"));
        case GameAction::Stop:
            return QKeySequence(QStringLiteral("Ctrl+Shift+T"));
        case GameAction::Restart:
            return QKeySequence(QStringLiteral("Ctrl+Shift+R"));
        case GameAction::RestartWhenEmpty:
            return QKeySequence(QStringLiteral("Ctrl+Shift+E"));
        case GameAction::Kill:
            return QKeySequence(QStringLiteral("Ctrl+Shift+K"));
    }
    return {};
}

const char* const kObjectNames[] = {"startGameAction", "stopGameAction", "restartGameAction",
                                    "restartWhenEmptyAction", "killGameAction"};

}  // namespace

namespace {
constexpr int kJudgeSoonMs = 100;
}

GameControls::GameControls(HostSession& session, servers::ServerListPanel* list,
                           games::GameStates& states, QWidget* window)
    : QObject(window), session_(session), list_(list), states_(states), window_(window) {
    for (const GameAction which : kGameActions) {
        auto* action = new QAction(actionTitle(which), this);
        action->setObjectName(QString::fromLatin1(kObjectNames[int(which)]));
        action->setShortcut(shortcutOf(which));
        action->setShortcutContext(Qt::WindowShortcut);
        connect(action, &QAction::triggered, this, [this, which] { trigger(which); });
        actions_.insert(which, action);
        ordered_ << action;
    }
    // The list's context menu holds them.
    list_->view()->setContextMenuPolicy(Qt::ActionsContextMenu);
    list_->view()->addActions(actions());
    connect(list_->view()->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &GameControls::judge);
    // A game that is not selected changes nothing here; a selected one's
    // changes are judged together, a thousand games pushing each second.
    soon_.setSingleShot(true);
    soon_.setInterval(kJudgeSoonMs);
    connect(&soon_, &QTimer::timeout, this, &GameControls::judge);
    connect(&states_, &games::GameStates::gameChanged, this, [this](const QString& id) {
        if (selected_.contains(id) && !soon_.isActive()) soon_.start();
    });
    connect(&states_, &games::GameStates::gamesKnown, this, &GameControls::judge);
    connect(session_.links(), &LinkPool::welcomed, this, &GameControls::judge);
    connect(session_.links(), &LinkPool::stateChanged, this, &GameControls::judge);
    judge();
}

QList<ServerGameView> GameControls::views(const QStringList& ids) const {
    QList<ServerGameView> views;
    for (const QString& id : ids) {
        const auto entry = session_.server(id);
        if (!entry) continue;
        RemoteLink* link = session_.links()->find(session_.linkKey(*entry));
        ServerGameView view{entry->name, entry->remote,
                            link && link->isReady() ? link->welcome() : std::nullopt,
                            states_.known(id), states_.game(id)};
        views << view;
    }
    return views;
}

void GameControls::judge() {
    soon_.stop();
    const QStringList ids = list_->selectedIds();
    selected_ = QSet<QString>(ids.cbegin(), ids.cend());
    const QList<ServerGameView> selected = views(ids);
    for (const GameAction which : kGameActions) {
        QAction* action = actions_.value(which);
        const QString problem = selectionProblem(which, selected);
        action->setEnabled(problem.isEmpty());
        const QString title = actionTitle(which) + QStringLiteral(" (") +
                              action->shortcut().toString(QKeySequence::NativeText) + u')';
        action->setToolTip(problem.isEmpty() ? title : title + u'\n' + problem);
    }
}

GameActionDialog* GameControls::trigger(GameAction which, QStringList ids) {
    if (ids.isEmpty()) ids = list_->selectedIds();
    if (!selectionProblem(which, views(ids)).isEmpty()) return nullptr;
    if (which == GameAction::Kill) {
        // The question runs a loop of its own: the list, the links and this
        // window may change or go meanwhile.
        const QPointer<GameControls> self(this);
        const auto first = session_.server(ids.value(0));
        const QString whose = ids.size() == 1 && first
                                  ? tr("the game of %1").arg(first->name)
                                  : tr("the games of %1 servers").arg(ids.size());
        const auto answer = QMessageBox::question(
            window_, tr("Kill"),
            tr("Kill %1 at once? Players are dropped and nothing is stopped gracefully.")
                .arg(whose),
            QMessageBox::Yes | QMessageBox::Cancel, QMessageBox::Cancel);
        if (!self || answer != QMessageBox::Yes) return nullptr;
    }
    QList<servers::ServerEntry> servers;
    for (const QString& id : std::as_const(ids))
        if (const auto entry = session_.server(id)) servers << *entry;
    if (servers.isEmpty()) {
        emit notice(tr("Select a server first."));
        return nullptr;
    }
    if (servers.size() == 1) {
        runOne(which, servers.first().id);
        return nullptr;
    }
    auto* dialog = new GameActionDialog(
        *session_.links(), tr("%1: %2 servers").arg(actionTitle(which)).arg(servers.size()),
        window_);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->run(servers, session_.serversFile(), controlWord(which), waitsUntilEmpty(which));
    dialog->open();
    return dialog;
}

void GameControls::runOne(GameAction which, const QString& id) {
    const auto entry = session_.server(id);
    auto* run = new games::GameActions(*session_.links(), this);
    connect(run, &games::GameActions::finished, this,
            [this, run, which](const QList<games::ActionResult>& results) {
                run->deleteLater();
                if (results.isEmpty()) return;
                emit notice(tr("%1, %2: %3")
                                .arg(results.first().server, actionTitle(which),
                                     resultText(results.first())));
            });
    emit notice(tr("%1, %2: sent.").arg(entry->name, actionTitle(which)));
    run->run({*entry}, session_.serversFile(), controlWord(which), waitsUntilEmpty(which));
}

}  // namespace jexhost::games_ui
