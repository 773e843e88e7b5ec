#pragma once
// What a welcomed operator's message is answered with, away from any socket:
// requests, history, reverts and kept versions go to their handlers; updates
// (and reverts) and history requests only within the operator's rate, the
// excess refused at once with the reason; a message that cannot be read
// closes its connection.

#include <QHash>
#include <QString>

#include <functional>
#include <optional>

#include "link/link_messages.h"
#include "remote/net/rate_limit.h"
#include "remote/served.h"

namespace jexremote {

// What the welcomed operator's messages are answered with.
struct LinkHandlers {
    std::function<Served<jexlink::Envelope>(const jexlink::Envelope& request,
                                            const jexlink::Welcome& who)>
        request;
    std::function<jexlink::History(int profile)> history;
    std::function<Served<jexlink::RevertOutcome>(int profile, qint64 version,
                                                 const jexlink::Welcome& who)>
        revert;
    // A kept version's settings reply, or why there is none.
    std::function<jexlink::KeptSettings(int profile, qint64 version)> keptSettings;
};

class LinkDispatcher {
public:
    struct Outcome {
        QString answer;  // the message sent back
        // A stored change's notice, for every other welcomed connection.
        std::optional<jexlink::ChangedNotice> changed;
        QString closing;  // set instead of an answer: why the connection is closed
    };

    LinkDispatcher(LinkHandlers handlers, RateLimit updates, RateLimit history);

    // `nowMs` is a monotonic clock's, for the rates.
    Outcome dispatch(const QString& message, const jexlink::Welcome& who, qint64 nowMs);

private:
    struct Turns {
        RateBucket updates, history;
        bool refusalLogged = false;  // one log line per run of refusals
    };
    // Why the operator may not do this now; empty when a turn was taken.
    QString refusal(const QString& operatorName, bool update, qint64 nowMs);

    LinkHandlers handlers_;
    RateLimit updates_, history_;
    QHash<QString, Turns> turns_;  // per operator name
};

}  // namespace jexremote
