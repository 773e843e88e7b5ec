#pragma once
// The games of one state folder: the definitions found in the games folder,
// the profiles bound to them, a runner and a console for each, and the
// actions operators ask for. Each game runs in DIR/games/profile-N/, owner-
// only, with a console password made up here and never shown. At start every
// game an earlier manager left running is found again and goes on. Our
// settings reach the games through it (game_supervisor_settings.cpp).
//
// Widget-free and socket-free towards the operators: the link server asks it
// and forwards what it says (game changes, output lines) to its connections.

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QTimer>

#include <functional>
#include <map>
#include <memory>

#include "exchange/model/server_settings.h"
#include "link/game_messages.h"
#include "link/player_messages.h"
#include "remote/games/console_apply.h"
#include "remote/games/game_bindings.h"
#include "remote/games/game_console.h"
#include "remote/games/game_definition.h"
#include "remote/games/game_query.h"
#include "remote/games/game_runner.h"

namespace jexremote::games {

// The definitions in `folder` (NAME.json each), by name; a file that breaks a
// rule is left out and named in `problems` ("FILE: reason").
std::map<QString, GameDefinition> readDefinitions(const QString& folder, QStringList* problems);

class GameSupervisor : public QObject {
    Q_OBJECT
public:
    GameSupervisor(QString stateFolder, std::map<QString, GameDefinition> definitions,
                   QObject* parent = nullptr);
    ~GameSupervisor() override;

    // Reads the bindings, finds the games still running and makes a runner
    // for each bound profile. False, with the reason, when the bindings
    // cannot be read or name an unknown definition.
    bool open(QString* error);
    void setCrashPolicy(const CrashPolicy& policy);

    QList<jexlink::GameStatus> games() const;
    std::optional<jexlink::GameStatus> game(int profile) const;
    // The definition a profile runs, or empty.
    QString definitionOf(int profile) const;

    using ControlDone = std::function<void(const jexlink::ControlOutcome&)>;
    // Carries out `action` on the profile's game and calls `done` once it is
    // done (a start once ready, a stop once no process is left) or refused.
    // With `whenEmpty` (stop and restart), a running game carries the action
    // as pending until its query says nobody plays (game_supervisor_players.cpp);
    // any later action replaces a pending one, which is answered so.
    void control(int profile, const QString& action, ControlDone done, bool whenEmpty = false);
    // Who plays on the profile's game, as its query said last; why not, when it cannot say.
    jexlink::PlayersAnswer players(int profile) const;
    // The last `count` output lines, masked.
    QStringList output(int profile, int count) const;
    // Passes one line to the game's console; the reason when it cannot.
    QString command(int profile, const QString& line);
    // The server's passwords, masked in its output.
    void setSecrets(int profile, const QStringList& secrets);
    // The game's secret-variable pattern (see GameOutput::masked), for a
    // console line that goes anywhere but the game.
    QString masked(int profile, const QString& line) const;

    // A profile's stored settings: its current ones (no version), or those
    // of a kept version; nothing when they cannot be had.
    struct StoredSettings {
        kdrsm::model::ServerSettings settings;
        qint64 version = 0;
    };
    using StoredSource =
        std::function<std::optional<StoredSettings>(int profile, std::optional<qint64> version)>;
    // With auto-load on, a start writes the current ones into the game's
    // configuration first; updates are compared with what the game holds.
    void setStoredSettings(StoredSource source);
    // The profile's stored settings changed (an update, a revert): a running
    // game gets what changed, live, and is asked to confirm it; a restart-
    // only setting is listed in restartNeeded. A stopped game gets nothing.
    void settingsStored(int profile);

signals:
    void gameChanged(const jexlink::GameStatus& game);
    void printed(int profile, const QStringList& lines);

private:
    struct Game {
        GameBinding binding;
        std::unique_ptr<GameRunner> runner;
        std::unique_ptr<GameConsole> console;
        QStringList secrets;
        std::optional<qint64> appliedVersion;  // the stored version the game holds
        // Of our settings: what the game holds as far as we know (updates are
        // compared with it), and what it was started with (restart-only
        // settings are); each with its stored version.
        std::optional<StoredSettings> held;
        std::optional<StoredSettings> startedWith;
        QStringList restartNeeded;
        QList<jexlink::ApplyProblem> applyProblems;
        QStringList drift;
        QPointer<ConsoleApply> applying;
        bool applyAgain = false;  // stored again while applying
        bool updating = false;    // the configuration is written for an update, not a start
        // Live state from the game's own query while it runs; the last answer is kept.
        std::unique_ptr<GameQuery> query;
        std::optional<int> players;
        std::optional<int> maxPlayers;
        QList<QueryClient> clients;
        QHash<QString, qint64> seenSinceMs;  // by name, on a steady clock
        QString pending;                     // "stop" or "restart" once the game is empty
        ControlDone pendingDone;
    };
    void watchConsole(Game& game);
    void configurationWritten(Game& game, const ConfigWrite& written);
    void recordApplied(const Game& game) const;
    void readApplied(Game& game);
    // Settings stored while the game was starting, or while no manager ran,
    // go to it live once it runs.
    void catchUp(Game& game);
    static void logProblems(int profile, const QList<jexlink::ApplyProblem>& problems);
    jexlink::GameStatus statusOf(const Game& game) const;
    // The game's query, asked as it turns running and at each poll; dropped
    // with what it said once the game stops running.
    void followQuery(Game& game);
    void queryAnswered(Game& game, const QueryInfo& info);
    // Answers a pending action as replaced by `by`; false when none waits.
    bool replacePending(Game& game, const QString& by);
    // Takes a "when empty" action; false when it is carried out at once instead.
    bool holdUntilEmpty(Game& game, const QString& action, ControlDone& done);
    void carryOutPending(Game& game);

    QString stateFolder_;
    std::map<QString, GameDefinition> definitions_;
    std::map<int, std::unique_ptr<Game>> games_;
    CrashPolicy policy_;
    StoredSource stored_;
    QTimer queryPoll_;
};

}  // namespace jexremote::games
