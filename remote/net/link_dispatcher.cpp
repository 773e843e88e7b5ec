#include "remote/net/link_dispatcher.h"

#include "exchange/wire/request.h"
#include "link/game_messages.h"
#include "link/link_words.h"
#include "remote/audit/audit_log.h"

namespace jexremote {

namespace {

bool isUpdate(const QString& request) {
    const auto parsed = kdrsm::wire::parseRequestText(request);
    return parsed && parsed->command == kdrsm::wire::kSetSettings;
}

using Outcome = LinkDispatcher::Outcome;

Outcome answered(QString message, std::optional<jexlink::ChangedNotice> changed = std::nullopt) {
    Outcome outcome;
    outcome.answer = std::move(message);
    outcome.changed = std::move(changed);
    return outcome;
}

Outcome closing(QString why) {
    Outcome outcome;
    outcome.closing = std::move(why);
    return outcome;
}

}  // namespace

LinkDispatcher::LinkDispatcher(LinkHandlers handlers, RateLimit updates, RateLimit history)
    : handlers_(std::move(handlers)), updates_(updates), history_(history) {}

QString controlRefusal(const jexlink::Welcome& who) {
    if (who.control || who.superAdmin) return {};
    return QStringLiteral("operator %1 lacks the privilege to control game servers")
        .arg(boundedText(who.operatorName));
}

QString LinkDispatcher::stateOf(int profile) const {
    if (handlers_.games)
        for (const jexlink::GameStatus& game : handlers_.games())
            if (game.profile == profile) return game.state;
    return QStringLiteral("stopped");
}

// Games, profiles and players are read by anyone welcomed; control, output and command
// need the privilege. An output refused answers with no lines and follows nothing.
std::optional<LinkDispatcher::Outcome> LinkDispatcher::dispatchGame(const QString& message,
                                                                    const jexlink::Welcome& who,
                                                                    const Later& later) {
    if (const auto id = jexlink::readGamesRequest(message))
        return answered(jexlink::gamesAnswerMessage(
            *id, handlers_.games ? handlers_.games() : QList<jexlink::GameStatus>()));
    if (const auto id = jexlink::readProfilesRequest(message))
        return answered(jexlink::profilesAnswerMessage(
            *id, handlers_.profiles ? handlers_.profiles() : QList<jexlink::ProfileEntry>()));
    if (const auto players = jexlink::readPlayersRequest(message))
        return answered(jexlink::playersAnswerMessage(
            players->id,
            handlers_.players
                ? handlers_.players(players->profile)
                : jexlink::PlayersAnswer{
                      false,
                      QStringLiteral("profile %1 runs no game here").arg(players->profile)}));
    const QString refused = controlRefusal(who);
    if (const auto control = jexlink::readControlRequest(message)) {
        if (!refused.isEmpty() || !handlers_.control || !later) {
            const QString reason =
                !refused.isEmpty()
                    ? refused
                    : QStringLiteral("profile %1 runs no game here").arg(control->profile);
            return answered(jexlink::controlAnswerMessage(
                control->id, {false, stateOf(control->profile), reason}));
        }
        const qint64 id = control->id;
        handlers_.control(*control, who, [later, id](const jexlink::ControlOutcome& outcome) {
            later(jexlink::controlAnswerMessage(id, outcome));
        });
        Outcome outcome;
        outcome.deferred = true;
        return outcome;
    }
    if (const auto command = jexlink::readCommandRequest(message)) {
        if (!refused.isEmpty() || !handlers_.command)
            return answered(jexlink::commandAnswerMessage(
                command->id,
                {false,
                 !refused.isEmpty()
                     ? refused
                     : QStringLiteral("profile %1 runs no game here").arg(command->profile)}));
        return answered(
            jexlink::commandAnswerMessage(command->id, handlers_.command(*command, who)));
    }
    if (const auto output = jexlink::readOutputRequest(message)) {
        const auto lines = refused.isEmpty() && handlers_.output
                               ? handlers_.output(output->profile, output->lines)
                               : std::nullopt;
        Outcome outcome =
            answered(jexlink::outputAnswerMessage(output->id, lines.value_or(QStringList())));
        if (!refused.isEmpty()) {
            // The lines stay empty and the refusal says why, as for control and command.
            outcome.answer = jexlink::outputRefusalMessage(output->id, refused);
            return outcome;
        }
        if (lines) outcome.follow = std::pair{output->profile, output->follow};
        return outcome;
    }
    return std::nullopt;
}

LinkDispatcher::Outcome LinkDispatcher::dispatch(const QString& message,
                                                 const jexlink::Welcome& who, qint64 nowMs,
                                                 const Later& later) {
    if (auto game = dispatchGame(message, who, later)) return std::move(*game);
    if (const auto request = jexlink::readRequestMessage(message)) {
        const QString refused =
            isUpdate(request->text) ? refusal(who.operatorName, true, nowMs) : QString();
        if (!refused.isEmpty())
            return answered(jexlink::answerMessage(request->id, jexlink::kRefusedAnswer, refused));
        const auto served = handlers_.request(*request, who);
        return answered(jexlink::answerMessage(served.answer), served.changed);
    }
    if (const auto history = jexlink::readHistoryRequest(message)) {
        const QString refused = refusal(who.operatorName, false, nowMs);
        return answered(jexlink::historyAnswerMessage(
            history->id, refused.isEmpty() ? handlers_.history(history->profile)
                                           : jexlink::History{{}, {}, refused}));
    }
    if (const auto revert = jexlink::readRevertRequest(message)) {
        const QString refused = refusal(who.operatorName, true, nowMs);
        if (!refused.isEmpty())
            return answered(
                jexlink::revertAnswerMessage(revert->id, jexlink::RevertOutcome{false, refused}));
        const auto served = handlers_.revert(revert->profile, revert->version, who);
        return answered(jexlink::revertAnswerMessage(revert->id, served.answer), served.changed);
    }
    if (const auto kept = jexlink::readKeptSettingsRequest(message)) {
        const QString refused = refusal(who.operatorName, false, nowMs);
        return answered(jexlink::keptSettingsAnswerMessage(
            kept->id, refused.isEmpty() ? handlers_.keptSettings(kept->profile, kept->version)
                                        : jexlink::KeptSettings{{}, refused}));
    }
    if (jexlink::hasBadId(message))
        return closing(QStringLiteral("an id that is not a whole number from 0 to 2^53"));
    return closing(QStringLiteral("not a well-formed request, history, revert or kept-version "
                                  "message (%1 characters)")
                       .arg(message.size()));
}

QString LinkDispatcher::refusal(const QString& operatorName, bool update, qint64 nowMs) {
    Turns& turns = turns_[operatorName];
    const RateLimit& limit = update ? updates_ : history_;
    if ((update ? turns.updates : turns.history).take(limit, nowMs)) {
        turns.refusalLogged = false;
        return {};
    }
    const QString why = jexlink::rateLimitReason(
        operatorName,
        update ? jexlink::LimitedKind::Updates : jexlink::LimitedKind::HistoryRequests,
        limit.perSecond);
    if (!std::exchange(turns.refusalLogged, true))
        qCWarning(lcRemote).noquote() << "refused:" << boundedText(why);
    return why;
}

}  // namespace jexremote
