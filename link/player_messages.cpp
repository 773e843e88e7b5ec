#include "link/player_messages.h"

#include <QJsonArray>
#include <QJsonObject>

#include <climits>

#include "link/json_fields.h"
#include "link/link_messages.h"
#include "link/link_words.h"

namespace jexlink {

using namespace json;
using namespace field;

namespace {
constexpr qint64 kMostSeconds = qint64(1) << 40;
}

QString playersRequestMessage(const PlayersRequest& request) {
    return compact({{kId, request.id}, {kPlayers, QJsonObject{{kProfile, request.profile}}}});
}

std::optional<PlayersRequest> readPlayersRequest(const QString& message) {
    const auto found = withId(message, kPlayers);
    if (!found || !found->second.isObject()) return std::nullopt;
    const auto profile = profileOf(found->second.toObject().value(kProfile));
    if (!profile) return std::nullopt;
    return PlayersRequest{found->first, *profile};
}

QString playersAnswerMessage(qint64 id, const PlayersAnswer& answer) {
    QJsonArray list;
    for (const PlayerEntry& player : answer.players)
        list.append(QJsonObject{{kName, player.name},
                                {kClan, player.clan},
                                {kScore, player.score},
                                {kSeconds, player.seconds},
                                {kSpectator, player.spectator}});
    return compact(
        {{kId, id},
         {kPlayers, QJsonObject{{kOk, answer.ok}, {kReason, answer.reason}, {kList, list}}}});
}

std::optional<QPair<qint64, PlayersAnswer>> readPlayersAnswer(const QString& message) {
    const auto found = withId(message, kPlayers);
    if (!found || !found->second.isObject()) return std::nullopt;
    const QJsonObject object = found->second.toObject();
    const auto reason = boundedText(object.value(kReason), kMaxReasonLength);
    const QJsonValue list = object.value(kList);
    if (!object.value(kOk).isBool() || !reason || !list.isArray() ||
        list.toArray().size() > kMaxPlayersListed)
        return std::nullopt;
    PlayersAnswer answer{object.value(kOk).toBool(), *reason, {}};
    for (const QJsonValue& item : list.toArray()) {
        const QJsonObject entry = item.toObject();
        const auto name = boundedText(entry.value(kName), kMaxPlayerTextLength);
        const auto clan = boundedText(entry.value(kClan), kMaxPlayerTextLength);
        const auto score = wholeNumber(entry.value(kScore), INT_MIN, INT_MAX);
        const auto seconds = wholeNumber(entry.value(kSeconds), 0, kMostSeconds);
        if (!name || !clan || !score || !seconds || !entry.value(kSpectator).isBool())
            return std::nullopt;
        answer.players.append(
            {*name, *clan, int(*score), *seconds, entry.value(kSpectator).toBool()});
    }
    return QPair<qint64, PlayersAnswer>{found->first, answer};
}

}  // namespace jexlink
