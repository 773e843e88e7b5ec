#include "host/games_ui/restart_note.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

#include "host/games/game_states.h"
#include "host/games_ui/game_column.h"
#include "host/games_ui/game_controls.h"
#include "host/host_session.h"

namespace jexhost::games_ui {

RestartNote::RestartNote(HostSession& session, games::GameStates& states, GameControls& controls,
                         QWidget* parent)
    : QWidget(parent),
      session_(session),
      states_(states),
      controls_(controls),
      text_(new QLabel),
      now_(new QPushButton(tr("Restart now"))),
      whenEmpty_(new QPushButton(tr("Restart when empty"))) {
    setObjectName(QStringLiteral("restartNote"));
    text_->setObjectName(QStringLiteral("restartNoteText"));
    text_->setWordWrap(true);
    now_->setObjectName(QStringLiteral("restartNow"));
    whenEmpty_->setObjectName(QStringLiteral("restartWhenEmpty"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(text_, 1);
    layout->addWidget(now_);
    layout->addWidget(whenEmpty_);
    connect(now_, &QPushButton::clicked, this,
            [this] { controls_.trigger(GameAction::Restart, {session_.openId()}); });
    connect(whenEmpty_, &QPushButton::clicked, this,
            [this] { controls_.trigger(GameAction::RestartWhenEmpty, {session_.openId()}); });
    connect(&session_, &HostSession::panelStateChanged, this, &RestartNote::showFor);
    connect(&session_, &HostSession::panelOpened, this, &RestartNote::showFor);
    connect(&states_, &games::GameStates::gameChanged, this, [this](const QString& id) {
        if (id == session_.openId()) showFor();
    });
    showFor();
}

void RestartNote::showFor() {
    const QString id = session_.openId();
    const std::optional<jexlink::GameStatus> game = id.isEmpty() ? std::nullopt : states_.game(id);
    if (!game || game->restartNeeded.isEmpty()) return hide();
    text_->setText(restartNeededText(game->restartNeeded));
    const auto views = controls_.views({id});
    const QString now = views.isEmpty() ? QString() : actionProblem(GameAction::Restart, views[0]);
    const QString empty =
        views.isEmpty() ? QString() : actionProblem(GameAction::RestartWhenEmpty, views[0]);
    now_->setEnabled(now.isEmpty());
    now_->setToolTip(now);
    whenEmpty_->setEnabled(empty.isEmpty());
    whenEmpty_->setToolTip(empty);
    show();
}

}  // namespace jexhost::games_ui
