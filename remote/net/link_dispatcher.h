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

#include "link/game_messages.h"
#include "link/link_messages.h"
#include "link/player_messages.h"
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

    // The game servers. Unset: this side runs none ("games" answers []).
    std::function<QList<jexlink::GameStatus>()> games;
    // Calls `done` once the action is over (or refused); maybe much later.
    std::function<void(const jexlink::ControlRequest&, const jexlink::Welcome& who,
                       std::function<void(const jexlink::ControlOutcome&)> done)>
        control;
    // The last lines of a game's output, masked; nothing for a profile without a game.
    std::function<std::optional<QStringList>(int profile, int lines)> output;
    std::function<jexlink::CommandOutcome(const jexlink::CommandRequest&,
                                          const jexlink::Welcome& who)>
        command;
    std::function<QList<jexlink::ProfileEntry>()> profiles;
    // Who plays on a profile's game; unset: this side runs none.
    std::function<jexlink::PlayersAnswer(int profile)> players;
};

// Why an operator may not control game servers; empty when it may.
QString controlRefusal(const jexlink::Welcome& who);

class LinkDispatcher {
public:
    struct Outcome {
        QString answer;  // the message sent back
        // A stored change's notice, for every other welcomed connection.
        std::optional<jexlink::ChangedNotice> changed;
        QString closing;  // set instead of an answer: why the connection is closed
        // Set when the answer comes later, through the `later` callback.
        bool deferred = false;
        // An output request: follow this profile's output from now on (true) or no more.
        std::optional<std::pair<int, bool>> follow;
    };
    using Later = std::function<void(const QString& answer)>;

    LinkDispatcher(LinkHandlers handlers, RateLimit updates, RateLimit history);

    // `nowMs` is a monotonic clock's, for the rates.
    // An answer that takes time (a game's start) is sent through `later`.
    Outcome dispatch(const QString& message, const jexlink::Welcome& who, qint64 nowMs,
                     const Later& later = {});

private:
    std::optional<Outcome> dispatchGame(const QString& message, const jexlink::Welcome& who,
                                        const Later& later);
    // The state of a profile's game; stopped when it has none.
    QString stateOf(int profile) const;
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
