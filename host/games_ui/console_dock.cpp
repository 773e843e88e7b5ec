#include "host/games_ui/console_dock.h"

#include <QApplication>
#include <QClipboard>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextDocumentFragment>
#include <QToolButton>
#include <QVBoxLayout>

#include "host/games/game_states.h"
#include "host/games_ui/dock_body.h"

namespace jexhost::games_ui {

ConsoleDock::ConsoleDock(HostSession& session, servers::ServerListPanel* list,
                         games::GameStates& states, QWidget* parent)
    : QDockWidget(tr("Console"), parent),
      current_(new CurrentServerLink(session, list, this)),
      feed_(new OutputFeed(this)),
      output_(new QPlainTextEdit),
      search_(new QLineEdit),
      pause_(new QToolButton),
      copy_(new QToolButton),
      state_(new QLabel),
      command_(new QLineEdit) {
    setObjectName(QStringLiteral("consoleDock"));
    output_->setObjectName(QStringLiteral("consoleOutput"));
    output_->setReadOnly(true);
    output_->setMaximumBlockCount(kKeptOutputLines);
    output_->setLineWrapMode(QPlainTextEdit::NoWrap);
    output_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    output_->setMinimumHeight(40);
    search_->setObjectName(QStringLiteral("consoleSearch"));
    search_->setPlaceholderText(tr("Search the output"));
    search_->setToolTip(tr("Enter: the next line that holds it; Shift+Enter: the one before"));
    search_->setClearButtonEnabled(true);
    pause_->setObjectName(QStringLiteral("consolePause"));
    pause_->setText(tr("Pause"));
    pause_->setCheckable(true);
    pause_->setToolTip(tr("Stop the output from moving; the lines that come meanwhile are kept"));
    copy_->setObjectName(QStringLiteral("consoleCopy"));
    copy_->setText(tr("Copy"));
    copy_->setToolTip(tr("Copy the selected lines, or all of them when none is selected"));
    state_->setObjectName(QStringLiteral("consoleState"));
    state_->setWordWrap(true);
    state_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    command_->setObjectName(QStringLiteral("consoleCommand"));
    command_->setMaxLength(jexlink::kMaxCommandLineLength);
    command_->installEventFilter(this);

    // What the dock follows, then its tools, on one line: the output and the
    // command line keep the room a laptop's screen leaves.
    auto* tools = new QHBoxLayout;
    tools->addWidget(state_, 1);
    tools->addWidget(search_);
    tools->addWidget(pause_);
    tools->addWidget(copy_);
    search_->setMinimumWidth(180);
    QVBoxLayout* layout = setDockBody(this);
    layout->addLayout(tools);
    layout->addWidget(output_, 1);
    layout->addWidget(command_);

    connect(search_, &QLineEdit::returnPressed, this,
            [this] { findNext(QApplication::keyboardModifiers().testFlag(Qt::ShiftModifier)); });
    connect(pause_, &QToolButton::toggled, this, &ConsoleDock::setPaused);
    connect(copy_, &QToolButton::clicked, this, &ConsoleDock::copy);
    connect(command_, &QLineEdit::returnPressed, this, &ConsoleDock::sendCommand);
    connect(feed_, &OutputFeed::linesReset, this, &ConsoleDock::showAll);
    connect(feed_, &OutputFeed::linesAdded, this, &ConsoleDock::showAdded);
    connect(feed_, &OutputFeed::stateChanged, this, [this] {
        note_.clear();
        showState();
    });
    connect(feed_, &OutputFeed::commandAnswered, this, &ConsoleDock::commandAnswered);
    connect(&states, &games::GameStates::outputPushed, this,
            [this](const QString& id, const QStringList& lines) {
                if (id == current_->id()) feed_->pushed(feed_->profile(), lines);
            });
    connect(current_, &CurrentServerLink::followed, this,
            [this](const FollowedServer& server) { feed_->follow(server); });
    connect(current_, &CurrentServerLink::none, feed_, &OutputFeed::stop);
    connect(current_, &CurrentServerLink::welcomed, feed_, &OutputFeed::welcomed);
    connect(current_, &CurrentServerLink::down, feed_, &OutputFeed::linkDown);
    followCurrent();
}

void ConsoleDock::followCurrent() {
    current_->refresh();
}

void ConsoleDock::showAll() {
    unseen_ = 0;
    output_->setPlainText(feed_->lines().join(u'\n'));
    output_->verticalScrollBar()->setValue(output_->verticalScrollBar()->maximum());
    showState();
}

void ConsoleDock::showAdded(int count) {
    if (pause_->isChecked()) {
        unseen_ += count;
        return showState();
    }
    QScrollBar* bar = output_->verticalScrollBar();
    const bool atEnd = bar->value() == bar->maximum();
    const QStringList& lines = feed_->lines();
    for (qsizetype i = lines.size() - count; i < lines.size(); ++i)
        output_->appendPlainText(lines[i]);
    if (atEnd) bar->setValue(bar->maximum());
}

void ConsoleDock::setPaused(bool paused) {
    if (pause_->isChecked() != paused) return pause_->setChecked(paused);
    pause_->setText(paused ? tr("Resume") : tr("Pause"));
    if (!paused && unseen_ > 0) showAll();
    showState();
}

void ConsoleDock::showState() {
    QString text = feed_->stateText();
    if (pause_->isChecked()) text += u' ' + tr("Paused; %1 new lines wait.").arg(unseen_);
    if (!note_.isEmpty()) text += u' ' + note_;
    state_->setText(text);
    const bool takes =
        feed_->state() != FeedState::NoServer && feed_->state() != FeedState::NoControl;
    command_->setEnabled(takes);
    const QString why = feed_->state() == FeedState::NoControl ? feed_->stateText()
                        : takes
                            ? tr("A command for the game's console (Up/Down: lines sent before)")
                            : tr("Select a server to command its game.");
    command_->setPlaceholderText(why);
    command_->setToolTip(why);
}

void ConsoleDock::findNext(bool backwards) {
    const QString text = search_->text();
    if (text.isEmpty()) return;
    const QTextDocument::FindFlags flags =
        backwards ? QTextDocument::FindBackward : QTextDocument::FindFlags();
    if (output_->find(text, flags)) {
        note_.clear();
        return showState();
    }
    // Round the end: from the other end once.
    QTextCursor cursor = output_->textCursor();
    cursor.movePosition(backwards ? QTextCursor::End : QTextCursor::Start);
    output_->setTextCursor(cursor);
    note_ = output_->find(text, flags) ? QString() : tr("\"%1\" is not in the output.").arg(text);
    showState();
}

void ConsoleDock::copy() {
    const QString selected = output_->textCursor().selection().toPlainText();
    QApplication::clipboard()->setText(selected.isEmpty() ? feed_->lines().join(u'\n') : selected);
}

void ConsoleDock::sendCommand() {
    const QString line = command_->text();
    feed_->sendCommand(line);
}

void ConsoleDock::commandAnswered(const QString& line, bool ok, const QString& reason) {
    if (ok) {
        history_.add(line);
        if (command_->text() == line) command_->clear();
        note_ = tr("Sent: %1").arg(line);
    } else {
        note_ = tr("Not sent: %1").arg(reason);
    }
    showState();
}

bool ConsoleDock::eventFilter(QObject* watched, QEvent* event) {
    if (watched == command_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Up) {
            command_->setText(history_.older(command_->text()));
            return true;
        }
        if (key == Qt::Key_Down) {
            command_->setText(history_.newer(command_->text()));
            return true;
        }
    }
    return QDockWidget::eventFilter(watched, event);
}

}  // namespace jexhost::games_ui
