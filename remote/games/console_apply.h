#pragma once
// Hands a running game what an update changed through its console, then asks
// the game for each variable again and compares what it holds with what was
// sent: a value the game refused or changed (clamped to its range, cut
// short) becomes a problem with the setting's caption. The read-back is the
// econ console's answer to a bare variable name, "[Console]: Value: TEXT";
// an unknown variable answers "No such command". What the game does not
// confirm within the wait is a problem too.

#include <QList>
#include <QObject>
#include <QPointer>
#include <QTimer>

#include "link/game_messages.h"
#include "remote/games/settings_mapping.h"

namespace jexremote::games {

class GameConsole;

class ConsoleApply : public QObject {
    Q_OBJECT
public:
    static constexpr int kConfirmMs = 5000;

    ConsoleApply(GameConsole& console, LiveChange change, QObject* parent = nullptr);
    // Sends the lines once the console is logged in; `done` follows.
    void start();

signals:
    void done(const QList<jexlink::ApplyProblem>& problems);

private:
    void send();
    void received(const QString& line);
    void finish(const QString& unconfirmed);

    QPointer<GameConsole> console_;
    LiveChange change_;
    int confirmed_ = 0;
    bool sent_ = false;
    bool finished_ = false;
    QList<jexlink::ApplyProblem> problems_;
    QTimer wait_;
};

}  // namespace jexremote::games
