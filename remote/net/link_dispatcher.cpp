#include "remote/net/link_dispatcher.h"

#include "exchange/wire/request.h"
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

LinkDispatcher::Outcome LinkDispatcher::dispatch(const QString& message,
                                                 const jexlink::Welcome& who, qint64 nowMs) {
    if (const auto request = jexlink::readRequestMessage(message)) {
        const QString refused =
            isUpdate(request->text) ? refusal(who.operatorName, true, nowMs) : QString();
        if (!refused.isEmpty())
            return answered(jexlink::answerMessage(request->id, QStringLiteral("0"), refused));
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
    const QString why =
        QStringLiteral("operator %1: too many %2 (the limit is %3 a second); try again shortly")
            .arg(operatorName,
                 update ? QStringLiteral("updates") : QStringLiteral("history requests"))
            .arg(limit.perSecond);
    if (!std::exchange(turns.refusalLogged, true))
        qCWarning(lcRemote).noquote() << "refused:" << boundedText(why);
    return why;
}

}  // namespace jexremote
