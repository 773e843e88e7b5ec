#include "remote/games/game_runner.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>

#include <csignal>

#include "jex/durable_file.h"
#include "remote/games/console_line.h"

namespace jexremote::games {

namespace {

const QString kRunFile = QStringLiteral("run.json");
const QString kRawOutput = QStringLiteral("output.raw");
const QString kKeptOutput = QStringLiteral("output.log");
constexpr int kOutputPollMs = 50;
constexpr int kLinesWithAFailure = 10;
constexpr qint64 kMaxRunFileBytes = 4096;
// After the game ended, how often and how many times its group is looked at
// until nothing of it runs.
constexpr int kGroupPollMs = 10;
constexpr int kGroupWaits = 300;

}  // namespace

QString stateName(GameState state) {
    switch (state) {
        case GameState::Stopped:
            return QStringLiteral("stopped");
        case GameState::Starting:
            return QStringLiteral("starting");
        case GameState::Running:
            return QStringLiteral("running");
        case GameState::Stopping:
            return QStringLiteral("stopping");
        case GameState::Crashed:
            return QStringLiteral("crashed");
        case GameState::Failed:
            return QStringLiteral("failed");
    }
    return {};
}

GameRunner::GameRunner(GameDefinition definition, RunnerPlace place, QObject* parent)
    : QObject(parent),
      definition_(std::move(definition)),
      place_(std::move(place)),
      output_(QDir(place_.folder).filePath(kRawOutput), QDir(place_.folder).filePath(kKeptOutput)) {
    output_.setSecrets({place_.consolePassword});
    output_.setSecretVariables(definition_.secretVariables);
    outputTimer_.setInterval(kOutputPollMs);
    connect(&outputTimer_, &QTimer::timeout, this, &GameRunner::readOutput);
    readyTimer_.setSingleShot(true);
    connect(&readyTimer_, &QTimer::timeout, this, &GameRunner::readyTimedOut);
    stepTimer_.setSingleShot(true);
}

GameRunner::~GameRunner() = default;

void GameRunner::setSecrets(const QStringList& secrets) {
    secrets_ = secrets;
    output_.setSecrets(QStringList(secrets) << place_.consolePassword);
}

QString GameRunner::filled(QString text) const {
    return text.replace(QStringLiteral("{port}"), QString::number(place_.port))
        .replace(QStringLiteral("{consolePort}"), QString::number(place_.consolePort))
        .replace(QStringLiteral("{consolePassword}"), place_.consolePassword)
        .replace(QStringLiteral("{configFile}"), definition_.configFile);
}

bool GameRunner::writeConfig(QString* reason) {
    QStringList lines;
    QStringList variables;
    for (const auto& [variable, value] : definition_.fixedLines) {
        // Every value is quoted, the definition's own and the filled-in ones alike.
        const SettingMapping mapping{.setting = {}, .variable = variable};
        QString why;
        const auto quoted = quotedValue(filled(value), mapping, &why);
        if (!quoted) {
            *reason = QStringLiteral("%1 in the definition %2").arg(variable, why);
            return false;
        }
        lines << variable + u' ' + *quoted;
        variables << variable;
    }
    const ConfigWrite written = writeConfiguration(place_.folder, definition_.configFile, lines,
                                                   variables, settingLines_, settingsVersion_);
    if (configWatch_) configWatch_(written);
    if (!written.ok) *reason = written.reason;
    return written.ok;
}

void GameRunner::finishStart(bool ok, const QString& reason) {
    if (!awaitingReady_) return;
    awaitingReady_ = false;
    emit started(ok, reason);
}

void GameRunner::setState(GameState state) {
    if (state_ == state) return;
    state_ = state;
    emit changed();
}

bool GameRunner::attach() {
    QString unread;
    const auto record =
        jex::fs::readRegularFile(QDir(place_.folder).filePath(kRunFile), kMaxRunFileBytes, &unread);
    if (!record) return false;
    const QJsonObject run = QJsonDocument::fromJson(*record).object();
    const ProcessIdentity identity{
        run.value(QStringLiteral("pid")).toInteger(),
        run.value(QStringLiteral("startTicks")).toString().toULongLong()};
    if (!isRunning(identity)) {
        forgetRun();
        return false;
    }
    process_ = identity;
    since_ =
        QDateTime::fromString(run.value(QStringLiteral("since")).toString(), Qt::ISODateWithMs);
    restarts_ = run.value(QStringLiteral("restarts")).toInt();
    // The console it was started with, not the one this manager would make up.
    place_.consolePort = run.value(QStringLiteral("consolePort")).toInt(place_.consolePort);
    const QString password = run.value(QStringLiteral("consolePassword")).toString();
    if (!password.isEmpty()) place_.consolePassword = password;
    output_.setSecrets(QStringList(secrets_) << place_.consolePassword);
    output_.skipToEnd();
    watch_ = std::make_unique<ProcessWatch>(identity);
    connect(watch_.get(), &ProcessWatch::ended, this, &GameRunner::processEnded);
    outputTimer_.start();
    setState(GameState::Running);
    return true;
}

void GameRunner::start() {
    if (ending_ || state_ == GameState::Running || state_ == GameState::Starting) return;
    stepTimer_.stop();
    if (state_ == GameState::Failed || state_ == GameState::Stopped) crashTimes_.clear();
    reason_.clear();
    launch();
}

void GameRunner::launch() {
    QString why;
    if (const auto failure = jex::fs::createOwnerOnlyFolder(place_.folder)) {
        why = failure->text;
    } else if (writeConfig(&why)) {
        QStringList arguments;
        for (const QString& argument : definition_.arguments) arguments << filled(argument);
        process_ = startProcess({definition_.program, arguments, place_.folder,
                                 QDir(place_.folder).filePath(kRawOutput)},
                                &why);
    }
    if (!process_) {
        reason_ = why;
        setState(GameState::Failed);
        awaitingReady_ = true;
        finishStart(false, reason_);
        return;
    }
    since_ = QDateTime::currentDateTimeUtc();
    recordRun();
    watch_ = std::make_unique<ProcessWatch>(*process_);
    connect(watch_.get(), &ProcessWatch::ended, this, &GameRunner::processEnded);
    outputTimer_.start();
    readyTimer_.start(definition_.readySeconds * 1000);
    awaitingReady_ = true;
    setState(GameState::Starting);
}

void GameRunner::readOutput() {
    const QStringList lines = output_.readNew();
    if (lines.isEmpty()) return;
    emit printed(lines);
    if (state_ != GameState::Starting) return;
    for (const QString& line : lines) {
        if (definition_.readyLine.match(line).hasMatch()) {
            readyTimer_.stop();
            setState(GameState::Running);
            finishStart(true, {});
            return;
        }
    }
}

void GameRunner::readyTimedOut() {
    if (state_ != GameState::Starting) return;
    reason_ = QStringLiteral("no ready sign within %1 s; its last lines: %2")
                  .arg(definition_.readySeconds)
                  .arg(output_.last(kLinesWithAFailure).join(QStringLiteral(" | ")));
    giveUpAfterStop_ = true;
    stop();
}

void GameRunner::stop() {
    // Ending already: it is told as a stop once nothing of it runs.
    if (ending_) {
        setState(GameState::Stopping);
        return;
    }
    stepTimer_.disconnect();
    stepTimer_.stop();
    if (!process_ || state_ == GameState::Crashed || state_ == GameState::Failed) {
        // Nothing runs: a crashed game waiting for its restart stays down.
        if (state_ == GameState::Crashed) setState(GameState::Stopped);
        emit stopped();
        return;
    }
    if (state_ == GameState::Stopping) return;
    readyTimer_.stop();
    setState(GameState::Stopping);
    // Each step waits its time, then the next one is harsher.
    stopStep_ = 0;
    connect(&stepTimer_, &QTimer::timeout, this, [this] {
        ++stopStep_;
        if (stopStep_ == 1) {
            signalGroup(definition_.stopSignal);
            stepTimer_.start(definition_.signalSeconds * 1000);
        } else {
            signalGroup(SIGKILL);
        }
    });
    const bool graceful =
        !definition_.stopCommand.isEmpty() && console_ && console_(definition_.stopCommand);
    if (graceful) {
        stepTimer_.start(definition_.graceSeconds * 1000);
    } else {
        stopStep_ = 1;
        signalGroup(definition_.stopSignal);
        stepTimer_.start(definition_.signalSeconds * 1000);
    }
}

void GameRunner::kill() {
    if (!process_ || ending_) return;
    stepTimer_.disconnect();
    stepTimer_.stop();
    readyTimer_.stop();
    setState(GameState::Stopping);
    signalGroup(SIGKILL);
}

void GameRunner::signalGroup(int sig) {
    if (!process_ || !(process_->startTicks == 0 || isRunning(*process_))) return;
    // The game leads its own session and group: the group holds whatever it started.
    ::kill(-static_cast<pid_t>(process_->pid), sig);
    ::kill(static_cast<pid_t>(process_->pid), sig);
}

void GameRunner::processEnded(std::optional<int> waitStatus) {
    readOutput();
    outputTimer_.stop();
    readyTimer_.stop();
    stepTimer_.disconnect();
    stepTimer_.stop();
    watch_.reset();
    const qint64 group = process_ ? process_->pid : 0;
    // Whatever the game started in its group goes with it; its end is told
    // once not one of them runs.
    if (group > 0) ::kill(-static_cast<pid_t>(group), SIGKILL);
    int waits = 0;
    ending_ = true;
    stepTimer_.setSingleShot(false);
    connect(&stepTimer_, &QTimer::timeout, this, [this, group, waitStatus, waits]() mutable {
        if (groupHasLiving(group) && ++waits < kGroupWaits) return;
        stepTimer_.stop();
        stepTimer_.disconnect();
        stepTimer_.setSingleShot(true);
        ending_ = false;
        concludeEnd(waitStatus);
    });
    stepTimer_.start(kGroupPollMs);
}

void GameRunner::concludeEnd(std::optional<int> waitStatus) {
    process_.reset();
    forgetRun();
    lastExit_ = exitText(waitStatus);
    const GameState was = state_;
    if (was == GameState::Stopping) {
        setState(giveUpAfterStop_ ? GameState::Failed : GameState::Stopped);
        giveUpAfterStop_ = false;
        // A start cut short by a stop is answered too: nothing waits for ever.
        finishStart(false,
                    reason_.isEmpty() ? QStringLiteral("stopped before it was ready") : reason_);
        emit stopped();
        return;
    }
    // Exited unasked.
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    crashTimes_.push_back(now);
    while (!crashTimes_.empty() && crashTimes_.front() < now - policy_.windowMs)
        crashTimes_.pop_front();
    if (was == GameState::Starting)
        finishStart(false, QStringLiteral("%1 before it was ready; its last lines: %2")
                               .arg(lastExit_, output_.last(kLinesWithAFailure).join(" | ")));
    if (static_cast<int>(crashTimes_.size()) >= policy_.crashesToGiveUp) {
        reason_ = QStringLiteral("%1 %2 times in %3 minutes")
                      .arg(lastExit_)
                      .arg(crashTimes_.size())
                      .arg(policy_.windowMs / 60000);
        setState(GameState::Failed);
        return;
    }
    const int delay = static_cast<int>(std::min<qint64>(
        policy_.maxDelayMs, qint64(policy_.firstDelayMs) << (crashTimes_.size() - 1)));
    connect(&stepTimer_, &QTimer::timeout, this, [this] {
        stepTimer_.disconnect();
        ++restarts_;
        launch();
    });
    stepTimer_.start(delay);
    setState(GameState::Crashed);
}

void GameRunner::recordRun() {
    QJsonObject run{{"pid", process_->pid},
                    {"startTicks", QString::number(process_->startTicks)},
                    {"since", since_.toString(Qt::ISODateWithMs)},
                    {"restarts", restarts_},
                    {"consolePort", place_.consolePort},
                    {"consolePassword", place_.consolePassword}};
    jex::fs::writeFileDurably(QDir(place_.folder).filePath(kRunFile),
                              QJsonDocument(run).toJson(QJsonDocument::Compact));
}

void GameRunner::forgetRun() {
    QFile::remove(QDir(place_.folder).filePath(kRunFile));
}

QJsonObject GameRunner::toJson() const {
    const bool live = process_.has_value();
    return {{"profile", place_.profile},
            {"definition", definition_.name},
            {"state", stateName(state_)},
            {"pid", live ? QJsonValue(process_->pid) : QJsonValue()},
            {"since", live && since_.isValid() ? QJsonValue(since_.toString(Qt::ISODateWithMs))
                                               : QJsonValue()},
            {"players", QJsonValue()},
            {"maxPlayers", QJsonValue()},
            {"restarts", restarts_},
            {"lastExit", lastExit_.isEmpty() ? QJsonValue() : QJsonValue(lastExit_)},
            {"restartNeeded", QJsonArray()},
            {"appliedVersion", QJsonValue()}};
}

}  // namespace jexremote::games
