#pragma once
// Runs one profile's game as its definition says, and says what it is doing.
//
//   stopped --start--> starting --ready line--> running --stop--> stopping --> stopped
//   starting --no ready sign in time--> failed (the process is stopped)
//   starting/running --exits unasked--> crashed --after a growing delay--> starting
//   crashed five times within ten minutes --> failed, down until started again
//
// A stop is graceful first (the game's own console command, when it has one
// and a console is connected), then the definition's signal, then a kill,
// each after the definition's wait; signals go to the game's whole process
// group, so no process of the game is left behind. Nothing stays "starting"
// or "stopping" for ever.
//
// The runner records the running process (pid and start time) in its folder,
// so a manager started later finds the same game again and goes on with it.

#include <QDateTime>
#include <QJsonObject>
#include <QObject>
#include <QTimer>

#include <deque>
#include <functional>
#include <memory>
#include <optional>

#include "remote/games/config_file.h"
#include "remote/games/game_definition.h"
#include "remote/games/game_output.h"
#include "remote/games/game_process.h"

namespace jexremote::games {

enum class GameState { Stopped, Starting, Running, Stopping, Crashed, Failed };
QString stateName(GameState state);

struct RunnerPlace {
    int profile = 0;
    QString folder;  // the game's own folder, owner-only
    int port = 0;
    int consolePort = 0;
    QString consolePassword;  // made up by the manager, never shown
};

// How long the runner waits between crashes; tests make it short.
struct CrashPolicy {
    int firstDelayMs = 1000;  // doubled after each crash, up to maxDelayMs
    int maxDelayMs = 60000;
    int crashesToGiveUp = 5;
    qint64 windowMs = 10 * 60 * 1000;
};

class GameRunner : public QObject {
    Q_OBJECT
public:
    GameRunner(GameDefinition definition, RunnerPlace place, QObject* parent = nullptr);
    ~GameRunner() override;

    void setCrashPolicy(const CrashPolicy& policy) { policy_ = policy; }
    // Sends a line to the game's console; set once a console is connected.
    // False when it could not be sent (then the stop goes on to the signal).
    void setConsoleSender(std::function<bool(const QString&)> send) { console_ = std::move(send); }
    // The lines of the configuration file written before each start, after
    // the definition's fixed lines (the settings of the stored `version`,
    // masked nowhere: the file is owner-only); nothing keeps the lines the
    // file holds (see config_file.h).
    void setSettingLines(std::optional<QStringList> lines, std::optional<qint64> version = {}) {
        settingLines_ = std::move(lines);
        settingsVersion_ = version;
    }
    // Told of every write of the configuration file, before the game reads it.
    void setConfigWatcher(std::function<void(const ConfigWrite&)> watch) {
        configWatch_ = std::move(watch);
    }
    // Writes the configuration file now (a start does so first); false, with
    // the reason, when it could not.
    bool writeConfig(QString* reason);
    // The server's passwords, masked in its output from now on (the console
    // password always is).
    void setSecrets(const QStringList& secrets);

    // Goes on with the game an earlier manager started, when its recorded
    // process still runs, with the console it was started with; true when it
    // does.
    bool attach();
    void start();
    void stop();
    void kill();
    // Reads what the game printed since the last look, now rather than at the
    // next poll: its console answered, so its output has news.
    void readOutput();

    GameState state() const { return state_; }
    std::optional<ProcessIdentity> process() const { return process_; }
    int restarts() const { return restarts_; }
    const QString& lastExit() const { return lastExit_; }
    // Why the last start failed or why the game was given up.
    const QString& reason() const { return reason_; }
    GameOutput& output() { return output_; }
    const RunnerPlace& place() const { return place_; }
    // GAME as the link sends it.
    QJsonObject toJson() const;

signals:
    // The state, pid or restart count changed.
    void changed();
    // A start finished: ready, or failed with the reason and the last lines.
    void started(bool ok, const QString& reason);
    // A stop finished: no process of the game is left.
    void stopped();
    // New lines of output, masked.
    void printed(const QStringList& lines);

private:
    void setState(GameState state);
    void finishStart(bool ok, const QString& reason);
    void launch();
    void processEnded(std::optional<int> waitStatus);
    void concludeEnd(std::optional<int> waitStatus);
    void readyTimedOut();
    void signalGroup(int sig);
    void recordRun();
    void forgetRun();
    QString filled(QString text) const;

    GameDefinition definition_;
    RunnerPlace place_;
    CrashPolicy policy_;
    std::function<bool(const QString&)> console_;
    std::optional<QStringList> settingLines_;
    std::optional<qint64> settingsVersion_;
    std::function<void(const ConfigWrite&)> configWatch_;
    QStringList secrets_;
    GameOutput output_;
    GameState state_ = GameState::Stopped;
    std::optional<ProcessIdentity> process_;
    std::unique_ptr<ProcessWatch> watch_;
    QDateTime since_;
    int restarts_ = 0;
    QString lastExit_;
    QString reason_;
    bool giveUpAfterStop_ = false;   // a start that never got ready
    std::deque<qint64> crashTimes_;  // ms since the epoch, within the window
    QTimer outputTimer_;
    QTimer readyTimer_;
    QTimer stepTimer_;  // the next step of a stop, or the restart after a crash
    int stopStep_ = 0;
    bool ending_ = false;
    bool awaitingReady_ =
        false;  // a start not answered yet  // the game ended; waiting for its group to go
};

}  // namespace jexremote::games
