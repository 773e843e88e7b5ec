#include "remote/games/console_apply.h"

#include "remote/games/game_console.h"

namespace jexremote::games {

namespace {

const QString kValue = QStringLiteral("[Console]: Value: ");
const QString kNoSuchCommand = QStringLiteral("[Console]: No such command");

}  // namespace

ConsoleApply::ConsoleApply(GameConsole& console, LiveChange change, QObject* parent)
    : QObject(parent), console_(&console), change_(std::move(change)) {
    problems_ = change_.problems;
    wait_.setSingleShot(true);
    connect(&wait_, &QTimer::timeout, this,
            [this] { finish(QStringLiteral("the game did not confirm it in time")); });
    connect(console_, &GameConsole::received, this, &ConsoleApply::received);
    connect(console_, &GameConsole::ready, this, &ConsoleApply::send);
    connect(console_, &GameConsole::closed, this,
            [this](const QString& reason) { finish(reason); });
    connect(console_, &QObject::destroyed, this,
            [this] { finish(QStringLiteral("the game's console is gone")); });
}

void ConsoleApply::start() {
    wait_.start(kConfirmMs);
    if (change_.lines.isEmpty()) return finish({});
    if (console_->isReady()) send();
}

void ConsoleApply::send() {
    if (sent_ || finished_) return;
    sent_ = true;
    for (const QString& line : std::as_const(change_.lines)) console_->send(line);
    for (const QString& variable : std::as_const(change_.variables)) console_->send(variable);
}

void ConsoleApply::received(const QString& line) {
    if (!sent_ || finished_) return;
    QString held;
    if (const qsizetype at = line.indexOf(kValue); at >= 0) {
        held = line.mid(at + kValue.size());
    } else if (!line.contains(kNoSuchCommand)) {
        return;
    }
    const int index = confirmed_++;
    const bool known = !line.contains(kNoSuchCommand);
    if (!known) {
        problems_.append(
            {change_.captions.at(index),
             QStringLiteral("the game has no variable %1").arg(change_.variables.at(index))});
    } else if (held.trimmed() != change_.expected.at(index).trimmed()) {
        // A number is shown; a text (a password among them) is never quoted.
        bool number = false;
        held.toLongLong(&number);
        const QString& variable = change_.variables.at(index);
        problems_.append(
            {change_.captions.at(index),
             number ? QStringLiteral("%1 is %2 in the game, not %3")
                          .arg(variable, held, change_.expected.at(index))
                    : QStringLiteral("%1 holds another value in the game").arg(variable)});
    }
    if (confirmed_ == change_.variables.size()) finish({});
}

void ConsoleApply::finish(const QString& unconfirmed) {
    if (finished_) return;
    finished_ = true;
    wait_.stop();
    for (int i = confirmed_; i < change_.variables.size(); ++i)
        problems_.append({change_.captions.at(i), unconfirmed});
    emit done(problems_);
}

}  // namespace jexremote::games
