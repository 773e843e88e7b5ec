#pragma once
// The link's message for who plays on a game, as its own query lists them:
//   host -> remote:  {"id": N, "players": {"profile": P}}
//   remote -> host:  {"id": N, "players": {"ok": BOOL, "reason": TEXT,
//                    "list": [{"name": TEXT, "clan": TEXT, "score": INT,
//                              "seconds": INT, "spectator": BOOL}, ...]}}
// `seconds` is how long the remote side has seen that name on the game (its
// query is asked every 5 s, so it is known to within that). "ok": false says
// why there is no list: no game, a game that does not run, one whose
// definition cannot list players, or one that has not answered yet.
// Readers answer nothing for a message not of their kind or out of bounds.

#include <QList>
#include <QPair>
#include <QString>

#include <optional>

namespace jexlink {

inline constexpr int kMaxPlayersListed = 256;
inline constexpr int kMaxPlayerTextLength = 64;

struct PlayerEntry {
    QString name;
    QString clan = {};
    int score = 0;
    qint64 seconds = 0;
    bool spectator = false;
    bool operator==(const PlayerEntry&) const = default;
};

struct PlayersAnswer {
    bool ok = false;
    QString reason = {};
    QList<PlayerEntry> players = {};
    bool operator==(const PlayersAnswer&) const = default;
};

struct PlayersRequest {
    qint64 id = 0;
    int profile = 0;
    bool operator==(const PlayersRequest&) const = default;
};

QString playersRequestMessage(const PlayersRequest& request);
std::optional<PlayersRequest> readPlayersRequest(const QString& message);
QString playersAnswerMessage(qint64 id, const PlayersAnswer& answer);
std::optional<QPair<qint64, PlayersAnswer>> readPlayersAnswer(const QString& message);

}  // namespace jexlink
