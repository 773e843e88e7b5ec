// How the supervisor hands our settings to its games: written into the
// configuration at a start (auto-load on), given live to a running game after
// an update and confirmed by reading them back, and what waits for a
// restart. A record in the game's folder (`applied.json`) keeps what the game
// holds, so a manager started later goes on from there.
#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>

#include "jex/durable_file.h"
#include "remote/audit/audit_log.h"
#include "remote/games/game_supervisor.h"
#include "remote/games/settings_mapping.h"

namespace jexremote::games {

namespace {

const QString kAppliedFile = QStringLiteral("applied.json");

QJsonValue versionValue(const std::optional<GameSupervisor::StoredSettings>& stored) {
    return stored ? QJsonValue(stored->version) : QJsonValue();
}

}  // namespace

void GameSupervisor::setStoredSettings(StoredSource source) {
    stored_ = std::move(source);
}

void GameSupervisor::logProblems(int profile, const QList<jexlink::ApplyProblem>& problems) {
    for (const auto& problem : problems)
        qCWarning(lcRemote).noquote() << "profile" << profile << ": setting" << problem.setting
                                      << "not applied:" << problem.reason;
}

void GameSupervisor::configurationWritten(Game& game, const ConfigWrite& written) {
    const int profile = game.binding.profile;
    const auto current = stored_ ? stored_(profile, std::nullopt) : std::nullopt;
    const GameDefinition& definition = definitions_.at(game.binding.definition);
    if (!written.ok)
        qCWarning(lcRemote).noquote() << "profile" << profile << ": the game's configuration"
                                      << "was not written:" << written.reason;
    if (written.edited) {
        game.drift =
            current ? drift(definition, *written.edited, current->settings) : QStringList();
        qCWarning(lcRemote).noquote()
            << "profile" << profile << ": the game's configuration was changed by someone else"
            << (game.drift.isEmpty() ? QStringLiteral("(none of our settings differ)")
                                     : QStringLiteral("(%1 differ from the stored settings)")
                                           .arg(game.drift.join(QStringLiteral(", "))))
            << "; a copy of it is kept as" << written.copy;
    } else if (written.ok) {
        game.drift.clear();
    }
    if (game.updating || !written.ok) return;
    // A start: the game takes the file as it is now.
    game.restartNeeded.clear();
    game.applyProblems.clear();
    game.appliedVersion = written.version;
    game.held = written.version && *written.version != (current ? current->version : -1)
                    ? stored_(profile, written.version)
                    : current;
    if (written.version && current && *written.version == current->version)
        game.applyProblems = configurationLines(definition, current->settings).problems;
    game.startedWith = game.held;
    recordApplied(game);
}

void GameSupervisor::settingsStored(int profile) {
    const auto found = games_.find(profile);
    if (found == games_.end() || !stored_) return;
    Game& game = *found->second;
    if (game.runner->state() != GameState::Running) return;
    if (game.applying) {
        game.applyAgain = true;
        return;
    }
    const auto current = stored_(profile, std::nullopt);
    if (!current) return;
    const GameDefinition& definition = definitions_.at(game.binding.definition);
    if (current->settings.autoLoad) {
        // The file holds them for the next start, restart-only ones included.
        const auto mapped = configurationLines(definition, current->settings);
        game.runner->setSettingLines(mapped.lines, current->version);
        game.updating = true;
        QString reason;
        game.runner->writeConfig(&reason);
        game.updating = false;
    }
    if (!game.held) game.held = current;
    if (!game.startedWith) game.startedWith = game.held;
    LiveChange change = liveChange(definition, game.held->settings, current->settings);
    game.restartNeeded =
        liveChange(definition, game.startedWith->settings, current->settings).restartNeeded;
    if (!game.console) {
        // No console to hand them to: they wait for a restart like the others.
        for (const QString& caption : std::as_const(change.captions))
            if (!game.restartNeeded.contains(caption)) game.restartNeeded << caption;
        game.applyProblems = change.problems;
        emit gameChanged(statusOf(game));
        return;
    }
    auto* apply = new ConsoleApply(*game.console, change, this);
    game.applying = apply;
    Game* raw = &game;
    connect(apply, &ConsoleApply::done, this,
            [this, raw, apply, current](const QList<jexlink::ApplyProblem>& problems) {
                apply->deleteLater();
                raw->applying = nullptr;
                logProblems(raw->binding.profile, problems);
                if (raw->runner->state() == GameState::Running) {
                    raw->applyProblems = problems;
                    raw->held = current;
                    raw->appliedVersion = current->version;
                    recordApplied(*raw);
                    emit gameChanged(statusOf(*raw));
                }
                if (raw->applyAgain) {
                    raw->applyAgain = false;
                    settingsStored(raw->binding.profile);
                }
            });
    apply->start();
}

void GameSupervisor::catchUp(Game& game) {
    if (!stored_ || !game.held) return;
    const auto current = stored_(game.binding.profile, std::nullopt);
    if (current && current->version != game.held->version) settingsStored(game.binding.profile);
}

void GameSupervisor::recordApplied(const Game& game) const {
    const QJsonObject record{
        {"appliedVersion", game.appliedVersion ? QJsonValue(*game.appliedVersion) : QJsonValue()},
        {"heldVersion", versionValue(game.held)},
        {"startedVersion", versionValue(game.startedWith)}};
    const QString path = QDir(game.runner->place().folder).filePath(kAppliedFile);
    if (const auto failure =
            jex::fs::writeFileDurably(path, QJsonDocument(record).toJson(QJsonDocument::Compact)))
        qCWarning(lcRemote).noquote() << "profile" << game.binding.profile << ":" << failure->text;
}

void GameSupervisor::readApplied(Game& game) {
    QString unread;
    const auto bytes = jex::fs::readRegularFile(
        QDir(game.runner->place().folder).filePath(kAppliedFile), 4096, &unread);
    if (!bytes || !stored_) return;
    const QJsonObject record = QJsonDocument::fromJson(*bytes).object();
    const auto version = [&](const char* key) -> std::optional<qint64> {
        const QJsonValue value = record.value(QLatin1String(key));
        return value.isDouble() ? std::optional<qint64>(value.toInteger()) : std::nullopt;
    };
    game.appliedVersion = version("appliedVersion");
    if (const auto held = version("heldVersion")) game.held = stored_(game.binding.profile, held);
    if (const auto started = version("startedVersion"))
        game.startedWith = stored_(game.binding.profile, started);
    if (game.held && game.startedWith)
        game.restartNeeded = liveChange(definitions_.at(game.binding.definition),
                                        game.startedWith->settings, game.held->settings)
                                 .restartNeeded;
}

}  // namespace jexremote::games
