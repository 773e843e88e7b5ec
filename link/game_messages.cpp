#include "link/game_messages.h"

#include <QJsonArray>
#include <QJsonObject>

#include <climits>

#include "link/json_fields.h"
#include "link/link_messages.h"
#include "link/link_words.h"

namespace jexlink {

using namespace json;
using namespace field;

const QStringList kGameStates{"stopped", "starting", "running", "stopping", "crashed", "failed"};
const QStringList kControlActions{"start", "stop", "restart", "kill"};

namespace {

QJsonValue orNull(const QString& text) {
    return text.isEmpty() ? QJsonValue() : QJsonValue(text);
}
template <typename T>
QJsonValue orNull(const std::optional<T>& number) {
    return number ? QJsonValue(qint64(*number)) : QJsonValue();
}

// A list of at most `most` texts of at most `limit` characters each.
std::optional<QStringList> texts(const QJsonValue& value, int most, int limit) {
    if (!value.isArray() || value.toArray().size() > most) return std::nullopt;
    QStringList out;
    for (const QJsonValue& item : value.toArray()) {
        const auto text = boundedText(item, limit);
        if (!text) return std::nullopt;
        out << *text;
    }
    return out;
}

// A value that may be null: nothing read is "absent", a wrong one is a fault.
template <typename T>
bool nullable(const QJsonValue& value, qint64 low, qint64 high, std::optional<T>* out) {
    if (value.isNull() || value.isUndefined()) return true;
    const auto number = wholeNumber(value, low, high);
    if (number) *out = T(*number);
    return number.has_value();
}

bool nullableText(const QJsonValue& value, int limit, QString* out) {
    if (value.isNull() || value.isUndefined()) return true;
    const auto text = boundedText(value, limit);
    if (text) *out = *text;
    return text.has_value();
}

QJsonObject gameObject(const GameStatus& game) {
    QJsonObject object{{kProfile, game.profile},
                       {kDefinition, game.definition},
                       {kState, game.state},
                       {kPid, orNull(game.pid)},
                       {kSince, orNull(game.since)},
                       {kPlayers, orNull(game.players)},
                       {kMaxPlayers, orNull(game.maxPlayers)},
                       {kRestarts, game.restarts},
                       {kLastExit, orNull(game.lastExit)},
                       {kRestartNeeded, QJsonArray::fromStringList(game.restartNeeded)},
                       {kAppliedVersion, orNull(game.appliedVersion)}};
    if (!game.pending.isEmpty()) object.insert(kPending, game.pending);
    if (!game.applyProblems.isEmpty()) {
        QJsonArray problems;
        for (const ApplyProblem& problem : game.applyProblems)
            problems.append(QJsonObject{{kSetting, problem.setting}, {kReason, problem.reason}});
        object.insert(kApplyProblems, problems);
    }
    if (!game.drift.isEmpty()) object.insert(kDrift, QJsonArray::fromStringList(game.drift));
    return object;
}

std::optional<GameStatus> readGame(const QJsonValue& value) {
    const QJsonObject object = value.toObject();
    GameStatus game;
    const auto profile = profileOf(object.value(kProfile));
    const auto definition = boundedText(object.value(kDefinition), kMaxGameNameLength);
    const auto state = boundedText(object.value(kState), kMaxGameNameLength);
    const auto restarts = wholeNumber(object.value(kRestarts), 0, INT_MAX);
    const auto restartNeeded = texts(object.value(kRestartNeeded), 64, kMaxGameNameLength);
    if (!profile || !definition || !state || !kGameStates.contains(*state) || !restarts ||
        !restartNeeded)
        return std::nullopt;
    game.profile = *profile;
    game.definition = *definition;
    game.state = *state;
    game.restarts = int(*restarts);
    game.restartNeeded = *restartNeeded;
    if (!nullable(object.value(kPid), 1, INT_MAX, &game.pid) ||
        !nullable(object.value(kPlayers), 0, 100000, &game.players) ||
        !nullable(object.value(kMaxPlayers), 0, 100000, &game.maxPlayers) ||
        !nullable(object.value(kAppliedVersion), 1, kMaxId, &game.appliedVersion) ||
        !nullableText(object.value(kSince), kMaxGameNameLength, &game.since) ||
        !nullableText(object.value(kLastExit), kMaxGameTextLength, &game.lastExit) ||
        !nullableText(object.value(kPending), kMaxGameNameLength, &game.pending))
        return std::nullopt;
    if (!game.pending.isEmpty() && game.pending != u"restart" && game.pending != u"stop")
        return std::nullopt;
    const QJsonValue problems = object.value(kApplyProblems);
    if (!problems.isUndefined()) {
        if (!problems.isArray() || problems.toArray().size() > 64) return std::nullopt;
        for (const QJsonValue& item : problems.toArray()) {
            const auto setting = boundedText(item.toObject().value(kSetting), kMaxGameNameLength);
            const auto reason = boundedText(item.toObject().value(kReason), kMaxReasonLength);
            if (!setting || !reason) return std::nullopt;
            game.applyProblems.append({*setting, *reason});
        }
    }
    const QJsonValue drift = object.value(kDrift);
    if (!drift.isUndefined()) {
        const auto captions = texts(drift, 64, kMaxGameNameLength);
        if (!captions) return std::nullopt;
        game.drift = *captions;
    }
    return game;
}

// {"id": N, KIND: {}}: a request that carries nothing but its kind.
std::optional<qint64> bareRequest(const QString& message, const QString& kind) {
    const auto found = withId(message, kind);
    if (!found || !found->second.isObject()) return std::nullopt;
    return found->first;
}

}  // namespace

QString gamesRequestMessage(qint64 id) {
    return compact({{kId, id}, {kGames, QJsonObject()}});
}

std::optional<qint64> readGamesRequest(const QString& message) {
    return bareRequest(message, kGames);
}

QString gamesAnswerMessage(qint64 id, const QList<GameStatus>& games) {
    QJsonArray list;
    for (const GameStatus& game : games) list.append(gameObject(game));
    return compact({{kId, id}, {kGames, list}});
}

std::optional<QPair<qint64, QList<GameStatus>>> readGamesAnswer(const QString& message) {
    const auto found = withId(message, kGames);
    if (!found || !found->second.isArray() || found->second.toArray().size() > kMaxGames)
        return std::nullopt;
    QList<GameStatus> games;
    for (const QJsonValue& item : found->second.toArray()) {
        const auto game = readGame(item);
        if (!game) return std::nullopt;
        games.append(*game);
    }
    return QPair<qint64, QList<GameStatus>>{found->first, games};
}

QString gamePushMessage(const GameStatus& game) {
    return compact({{kGame, gameObject(game)}});
}

std::optional<GameStatus> readGamePush(const QString& message) {
    const auto object = objectOf(message);
    return object ? readParsedGamePush(*object) : std::nullopt;
}

std::optional<GameStatus> readParsedGamePush(const QJsonObject& message) {
    if (message.contains(kId)) return std::nullopt;
    return readGame(message.value(kGame));
}

QString controlRequestMessage(const ControlRequest& request) {
    QJsonObject control{{kProfile, request.profile}, {kAction, request.action}};
    if (request.whenEmpty) control.insert(kWhen, kEmpty);
    return compact({{kId, request.id}, {kControl, control}});
}

std::optional<ControlRequest> readControlRequest(const QString& message) {
    const auto found = withId(message, kControl);
    if (!found) return std::nullopt;
    const QJsonObject object = found->second.toObject();
    const auto profile = profileOf(object.value(kProfile));
    const auto action = boundedText(object.value(kAction), kMaxGameNameLength);
    if (!profile || !action || !kControlActions.contains(*action)) return std::nullopt;
    const QJsonValue when = object.value(kWhen);
    const bool whenEmpty = when == QJsonValue(kEmpty);
    if (!when.isUndefined() && !(whenEmpty && (*action == u"stop" || *action == u"restart")))
        return std::nullopt;
    return ControlRequest{found->first, *profile, *action, whenEmpty};
}

QString controlAnswerMessage(qint64 id, const ControlOutcome& outcome) {
    return compact(
        {{kId, id},
         {kControl,
          QJsonObject{{kOk, outcome.ok}, {kState, outcome.state}, {kReason, outcome.reason}}}});
}

std::optional<QPair<qint64, ControlOutcome>> readControlAnswer(const QString& message) {
    const auto found = withId(message, kControl);
    if (!found) return std::nullopt;
    const QJsonObject object = found->second.toObject();
    const auto state = boundedText(object.value(kState), kMaxGameNameLength);
    const auto reason = boundedText(object.value(kReason), kMaxReasonLength);
    if (!object.value(kOk).isBool() || !state || !reason) return std::nullopt;
    return QPair<qint64, ControlOutcome>{found->first,
                                         {object.value(kOk).toBool(), *state, *reason}};
}

QString outputRequestMessage(const OutputRequest& request) {
    return compact({{kId, request.id},
                    {kOutput, QJsonObject{{kProfile, request.profile},
                                          {kLines, request.lines},
                                          {kFollow, request.follow}}}});
}

std::optional<OutputRequest> readOutputRequest(const QString& message) {
    const auto found = withId(message, kOutput);
    if (!found) return std::nullopt;
    const QJsonObject object = found->second.toObject();
    const auto profile = profileOf(object.value(kProfile));
    const auto lines = wholeNumber(object.value(kLines), 0, kMaxOutputLines);
    if (!profile || !lines || !object.value(kFollow).isBool()) return std::nullopt;
    return OutputRequest{found->first, *profile, int(*lines), object.value(kFollow).toBool()};
}

QString outputAnswerMessage(qint64 id, const QStringList& lines) {
    return compact(
        {{kId, id}, {kOutput, QJsonObject{{kLines, QJsonArray::fromStringList(lines)}}}});
}

QString outputRefusalMessage(qint64 id, const QString& reason) {
    return compact(
        {{kId, id},
         {kOutput, QJsonObject{{kLines, QJsonArray()}, {kOk, false}, {kReason, reason}}}});
}

std::optional<QPair<qint64, QStringList>> readOutputAnswer(const QString& message) {
    const auto found = withId(message, kOutput);
    if (!found) return std::nullopt;
    const auto lines =
        texts(found->second.toObject().value(kLines), kMaxOutputLines, kMaxOutputLineLength);
    if (!lines) return std::nullopt;
    return QPair<qint64, QStringList>{found->first, *lines};
}

QString outputPushMessage(int profile, const QStringList& lines) {
    return compact(
        {{kOutput, QJsonObject{{kProfile, profile}, {kLines, QJsonArray::fromStringList(lines)}}}});
}

std::optional<QPair<int, QStringList>> readOutputPush(const QString& message) {
    const auto object = objectOf(message);
    if (!object || object->contains(kId)) return std::nullopt;
    const QJsonObject output = object->value(kOutput).toObject();
    const auto profile = profileOf(output.value(kProfile));
    const auto lines = texts(output.value(kLines), kMaxOutputLines, kMaxOutputLineLength);
    if (!profile || !lines) return std::nullopt;
    return QPair<int, QStringList>{*profile, *lines};
}

QString commandRequestMessage(const CommandRequest& request) {
    return compact({{kId, request.id},
                    {kCommand, QJsonObject{{kProfile, request.profile}, {kLine, request.line}}}});
}

std::optional<CommandRequest> readCommandRequest(const QString& message) {
    const auto found = withId(message, kCommand);
    if (!found) return std::nullopt;
    const QJsonObject object = found->second.toObject();
    const auto profile = profileOf(object.value(kProfile));
    const auto line = boundedText(object.value(kLine), kMaxCommandLineLength);
    if (!profile || !line) return std::nullopt;
    return CommandRequest{found->first, *profile, *line};
}

QString commandAnswerMessage(qint64 id, const CommandOutcome& outcome) {
    return compact(
        {{kId, id}, {kCommand, QJsonObject{{kOk, outcome.ok}, {kReason, outcome.reason}}}});
}

std::optional<QPair<qint64, CommandOutcome>> readCommandAnswer(const QString& message) {
    const auto found = withId(message, kCommand);
    if (!found) return std::nullopt;
    const QJsonObject object = found->second.toObject();
    const auto reason = boundedText(object.value(kReason), kMaxReasonLength);
    if (!object.value(kOk).isBool() || !reason) return std::nullopt;
    return QPair<qint64, CommandOutcome>{found->first, {object.value(kOk).toBool(), *reason}};
}

QString profilesRequestMessage(qint64 id) {
    return compact({{kId, id}, {kProfiles, QJsonObject()}});
}

std::optional<qint64> readProfilesRequest(const QString& message) {
    return bareRequest(message, kProfiles);
}

QString profilesAnswerMessage(qint64 id, const QList<ProfileEntry>& profiles) {
    QJsonArray list;
    for (const ProfileEntry& entry : profiles)
        list.append(QJsonObject{{kProfile, entry.profile},
                                {kName, entry.name},
                                {kVersion, entry.version},
                                {kGame, orNull(entry.game)}});
    return compact({{kId, id}, {kProfiles, list}});
}

std::optional<QPair<qint64, QList<ProfileEntry>>> readProfilesAnswer(const QString& message) {
    const auto found = withId(message, kProfiles);
    if (!found || !found->second.isArray() || found->second.toArray().size() > kMaxGames)
        return std::nullopt;
    QList<ProfileEntry> profiles;
    for (const QJsonValue& item : found->second.toArray()) {
        const QJsonObject object = item.toObject();
        ProfileEntry entry;
        const auto profile = profileOf(object.value(kProfile));
        const auto name = boundedText(object.value(kName), kMaxGameTextLength);
        const auto version = wholeNumber(object.value(kVersion), 1, kMaxId);
        if (!profile || !name || !version ||
            !nullableText(object.value(kGame), kMaxGameNameLength, &entry.game))
            return std::nullopt;
        entry.profile = *profile;
        entry.name = *name;
        entry.version = *version;
        profiles.append(entry);
    }
    return QPair<qint64, QList<ProfileEntry>>{found->first, profiles};
}

}  // namespace jexlink
