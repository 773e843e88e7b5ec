#include "remote/games/game_supervisor.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QRandomGenerator>
#include <QTcpServer>

#include "jex/durable_file.h"
#include "remote/games/console_line.h"
#include "remote/games/game_console.h"
#include "remote/games/game_output.h"
#include "remote/games/settings_mapping.h"

namespace jexremote::games {

namespace {

constexpr int kMaxDefinitions = 256;

QString madeUpPassword() {
    static const char kAlphabet[] = "abcdefghijkmnopqrstuvwxyzABCDEFGHJKLMNPQRSTUVWXYZ23456789";
    QString out;
    for (int i = 0; i < 24; ++i)
        out += QChar::fromLatin1(kAlphabet[QRandomGenerator::system()->bounded(
            static_cast<int>(sizeof(kAlphabet) - 1))]);
    return out;
}

quint16 freeLoopbackPort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    return probe.serverPort();
}

}  // namespace

std::map<QString, GameDefinition> readDefinitions(const QString& folder, QStringList* problems) {
    std::map<QString, GameDefinition> out;
    const QFileInfoList files =
        QDir(folder).entryInfoList({QStringLiteral("*.json")}, QDir::Files, QDir::Name);
    for (const QFileInfo& file : files.mid(0, kMaxDefinitions)) {
        QString error;
        const auto bytes =
            jex::fs::readRegularFile(file.filePath(), kMaxDefinitionBytes + 1, &error);
        auto definition =
            bytes ? readGameDefinition(*bytes, file.completeBaseName(), &error) : std::nullopt;
        if (definition)
            out.emplace(definition->name, std::move(*definition));
        else if (problems)
            *problems << file.filePath() + QStringLiteral(": ") + error;
    }
    return out;
}

GameSupervisor::GameSupervisor(QString stateFolder, std::map<QString, GameDefinition> definitions,
                               QObject* parent)
    : QObject(parent), stateFolder_(std::move(stateFolder)), definitions_(std::move(definitions)) {}

GameSupervisor::~GameSupervisor() = default;

void GameSupervisor::setCrashPolicy(const CrashPolicy& policy) {
    policy_ = policy;
    for (auto& [profile, game] : games_) game->runner->setCrashPolicy(policy);
}

bool GameSupervisor::open(QString* error) {
    const auto bindings = readBindings(stateFolder_, error);
    if (!bindings) return false;
    for (const GameBinding& binding : *bindings) {
        const auto found = definitions_.find(binding.definition);
        if (found == definitions_.end()) {
            *error = QStringLiteral("profile %1 is bound to the unknown game definition \"%2\"")
                         .arg(binding.profile)
                         .arg(binding.definition);
            return false;
        }
        auto game = std::make_unique<Game>();
        game->binding = binding;
        const RunnerPlace place{
            binding.profile,
            QDir(stateFolder_).filePath(QStringLiteral("games/profile-%1").arg(binding.profile)),
            binding.port, freeLoopbackPort(), madeUpPassword()};
        game->runner = std::make_unique<GameRunner>(found->second, place);
        game->runner->setCrashPolicy(policy_);
        Game* raw = game.get();
        raw->runner->setConfigWatcher(
            [this, raw](const ConfigWrite& written) { configurationWritten(*raw, written); });
        connect(game->runner.get(), &GameRunner::changed, this, [this, raw] {
            if (raw->runner->state() == GameState::Running && !raw->console) {
                watchConsole(*raw);
                catchUp(*raw);
            }
            if (raw->runner->state() == GameState::Running) {
                followQuery(*raw);
            } else {
                // Its answer may be what stopped the game: gone once that answer is handled.
                if (raw->query) {
                    raw->query->disconnect(this);
                    raw->query.release()->deleteLater();
                }
                raw->players.reset();
                raw->maxPlayers.reset();
                raw->clients.clear();
                raw->seenSinceMs.clear();
            }
            if (raw->runner->state() != GameState::Running &&
                raw->runner->state() != GameState::Stopping)
                raw->console.reset();
            // Nobody plays on a game that stopped or gave up: what waited for that is due.
            if (!raw->pending.isEmpty() && (raw->runner->state() == GameState::Stopped ||
                                            raw->runner->state() == GameState::Failed))
                QTimer::singleShot(0, this, [this, raw] {
                    if (!raw->pending.isEmpty()) carryOutPending(*raw);
                });
            emit gameChanged(statusOf(*raw));
        });
        connect(
            game->runner.get(), &GameRunner::printed, this,
            [this, raw](const QStringList& lines) { emit printed(raw->binding.profile, lines); });
        games_.emplace(binding.profile, std::move(game));
        // Found running: its console is opened as it turns running.
        if (raw->runner->attach()) {
            readApplied(*raw);
            catchUp(*raw);
        }
    }
    return true;
}

void GameSupervisor::watchConsole(Game& game) {
    const GameDefinition& definition = definitions_.at(game.binding.definition);
    if (definition.consoleKind.isEmpty()) return;
    game.console =
        std::make_unique<GameConsole>(static_cast<quint16>(game.runner->place().consolePort),
                                      game.runner->place().consolePassword);
    GameConsole* console = game.console.get();
    game.runner->setConsoleSender([console](const QString& line) { return console->send(line); });
    // The game prints a command's echo to its output before its console answers:
    // read it at once, so a follower sees it without waiting for the next poll.
    connect(console, &GameConsole::received, game.runner.get(), &GameRunner::readOutput);
    game.console->open();
}

jexlink::GameStatus GameSupervisor::statusOf(const Game& game) const {
    const GameRunner& runner = *game.runner;
    jexlink::GameStatus status;
    status.profile = game.binding.profile;
    status.definition = game.binding.definition;
    status.state = stateName(runner.state());
    if (const auto process = runner.process()) status.pid = process->pid;
    if (runner.process()) status.since = runner.toJson().value(QStringLiteral("since")).toString();
    status.restarts = runner.restarts();
    status.appliedVersion = game.appliedVersion;
    status.restartNeeded = game.restartNeeded;
    status.applyProblems = game.applyProblems;
    status.drift = game.drift;
    status.players = game.players;
    status.maxPlayers = game.maxPlayers;
    status.pending = game.pending;
    status.lastExit = runner.state() == GameState::Failed && !runner.reason().isEmpty()
                          ? runner.reason()
                          : runner.lastExit();
    return status;
}

QList<jexlink::GameStatus> GameSupervisor::games() const {
    QList<jexlink::GameStatus> out;
    for (const auto& [profile, game] : games_) out << statusOf(*game);
    return out;
}

std::optional<jexlink::GameStatus> GameSupervisor::game(int profile) const {
    const auto found = games_.find(profile);
    if (found == games_.end()) return std::nullopt;
    return statusOf(*found->second);
}

QString GameSupervisor::definitionOf(int profile) const {
    const auto found = games_.find(profile);
    return found == games_.end() ? QString() : found->second->binding.definition;
}

void GameSupervisor::control(int profile, const QString& action, ControlDone done, bool whenEmpty) {
    const auto found = games_.find(profile);
    if (found == games_.end()) {
        done({false, QStringLiteral("stopped"),
              QStringLiteral("profile %1 runs no game here").arg(profile)});
        return;
    }
    if (whenEmpty && (action == u"stop" || action == u"restart") &&
        holdUntilEmpty(*found->second, action, done))
        return;
    if (replacePending(*found->second, action)) emit gameChanged(statusOf(*found->second));
    GameRunner* runner = found->second->runner.get();
    const auto answer = [runner, done](bool ok, const QString& reason) {
        done({ok, stateName(runner->state()), reason});
    };
    if (action == u"start") {
        if (runner->state() == GameState::Running) return answer(true, {});
        Game& game = *found->second;
        const auto stored = stored_ ? stored_(profile, std::nullopt) : std::nullopt;
        if (stored && stored->settings.autoLoad) {
            const auto mapped =
                configurationLines(definitions_.at(game.binding.definition), stored->settings);
            logProblems(profile, mapped.problems);
            runner->setSettingLines(mapped.lines, stored->version);
        } else {
            runner->setSettingLines(std::nullopt);
        }
        // One answer, when this start is over one way or the other.
        auto* once = new QObject(this);
        connect(runner, &GameRunner::started, once, [answer, once](bool ok, const QString& reason) {
            once->deleteLater();
            answer(ok, reason);
        });
        runner->start();
        if (runner->state() == GameState::Failed) {
            once->deleteLater();
            answer(false, runner->reason());
        }
        return;
    }
    if (action == u"stop" || action == u"kill" || action == u"restart") {
        const bool restart = action == u"restart";
        auto* once = new QObject(this);
        connect(runner, &GameRunner::stopped, once, [this, profile, restart, answer, once, done] {
            once->deleteLater();
            if (restart) return control(profile, QStringLiteral("start"), done);
            answer(true, {});
        });
        if (action == u"kill" && runner->process())
            runner->kill();
        else
            runner->stop();
        return;
    }
    answer(false, QStringLiteral("unknown action %1").arg(action));
}

QStringList GameSupervisor::output(int profile, int count) const {
    const auto found = games_.find(profile);
    return found == games_.end() ? QStringList() : found->second->runner->output().last(count);
}

QString GameSupervisor::command(int profile, const QString& line) {
    const auto found = games_.find(profile);
    if (found == games_.end()) return QStringLiteral("profile %1 runs no game here").arg(profile);
    if (const QString fault = commandLineFault(line); !fault.isEmpty()) return fault;
    Game& game = *found->second;
    if (!game.console || !game.console->isReady())
        return QStringLiteral("the game's console is not open (the game is %1)")
            .arg(stateName(game.runner->state()));
    game.console->send(line);
    return {};
}

void GameSupervisor::setSecrets(int profile, const QStringList& secrets) {
    const auto found = games_.find(profile);
    if (found == games_.end()) return;
    found->second->secrets = secrets;
    found->second->runner->setSecrets(secrets);
}

QString GameSupervisor::masked(int profile, const QString& line) const {
    const auto found = games_.find(profile);
    if (found == games_.end()) return line;
    const GameDefinition& definition = definitions_.at(found->second->binding.definition);
    const QStringList secrets =
        found->second->secrets + QStringList{found->second->runner->place().consolePassword};
    return GameOutput::masked(line, secrets,
                              GameOutput::secretVariablePattern(definition.secretVariables));
}

}  // namespace jexremote::games
