#pragma once
// The link's messages about the game servers a remote side runs:
//   host -> remote:  {"id": N, "games": {}}
//   remote -> host:  {"id": N, "games": [GAME, ...]}      one per profile with a game
//   remote -> host, unasked, on every change:  {"game": GAME}
//   host -> remote:  {"id": N, "control": {"profile": P, "action": A}}
//                    A: "start", "stop", "restart", "kill"; stop and restart may
//                    add "when": "empty" (done once the game has no players)
//   remote -> host:  {"id": N, "control": {"ok": BOOL, "state": S, "reason": TEXT}}
//   host -> remote:  {"id": N, "output": {"profile": P, "lines": K, "follow": BOOL}}
//   remote -> host:  {"id": N, "output": {"lines": [TEXT, ...]}}   the last K (at most 1000),
//                    or {"id": N, "output": {"lines": [], "ok": false, "reason": TEXT}}
//   remote -> host, unasked, while following:  {"output": {"profile": P, "lines": [TEXT, ...]}}
//   host -> remote:  {"id": N, "command": {"profile": P, "line": TEXT}}
//   remote -> host:  {"id": N, "command": {"ok": BOOL, "reason": TEXT}}
//   host -> remote:  {"id": N, "profiles": {}}
//   remote -> host:  {"id": N, "profiles": [{"profile": P, "name": TEXT, "version": V,
//                    "game": NAME|null}, ...]}
// GAME is {"profile": P, "definition": NAME, "state": S, "pid": INT|null,
// "since": ISO|null, "players": INT|null, "maxPlayers": INT|null, "restarts": INT,
// "lastExit": TEXT|null, "restartNeeded": [CAPTION, ...], "appliedVersion": V|null},
// with "pending": "restart"|"stop" while a "when": "empty" action waits, and
// "applyProblems": [{"setting": CAPTION, "reason": TEXT}] and "drift": [CAPTION, ...]
// when there are any. S is one of stopped, starting, running, stopping,
// crashed, failed. appliedVersion is the stored settings version the game
// holds: the one it was started with (null when auto-load was off and its
// configuration file is not ours), then each one given to it live after an
// update. restartNeeded: captions of stored changes it takes only at a
// restart (its configuration file holds them already). applyProblems: the
// settings the game refused or changed (clamped, read back otherwise) at the
// last apply, or that could not be passed as one value. drift: our settings
// a configuration file changed by someone else held otherwise; a copy of
// that file is kept beside it. Readers answer nothing for a message not of their kind or
// out of its bounds.

#include <QJsonObject>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

#include <optional>

namespace jexlink {

inline constexpr int kMaxGames = 10000;
inline constexpr int kMaxOutputLines = 1000;
inline constexpr int kMaxOutputLineLength = 4096;
inline constexpr int kMaxCommandLineLength = 256;
inline constexpr int kMaxGameNameLength = 64;
inline constexpr int kMaxGameTextLength = 4096;

extern const QStringList kGameStates;
extern const QStringList kControlActions;

struct ApplyProblem {
    QString setting;
    QString reason;
    bool operator==(const ApplyProblem&) const = default;
};

struct GameStatus {
    int profile = 0;
    QString definition;
    QString state;
    std::optional<qint64> pid = {};
    QString since = {};  // empty: null
    std::optional<int> players = {};
    std::optional<int> maxPlayers = {};
    int restarts = 0;
    QString lastExit = {};  // empty: null
    QStringList restartNeeded = {};
    std::optional<qint64> appliedVersion = {};
    QString pending = {};  // "restart", "stop", or empty
    QList<ApplyProblem> applyProblems = {};
    QStringList drift = {};
    bool operator==(const GameStatus&) const = default;
};

QString gamesRequestMessage(qint64 id);
std::optional<qint64> readGamesRequest(const QString& message);
QString gamesAnswerMessage(qint64 id, const QList<GameStatus>& games);
std::optional<QPair<qint64, QList<GameStatus>>> readGamesAnswer(const QString& message);
QString gamePushMessage(const GameStatus& game);
std::optional<GameStatus> readGamePush(const QString& message);
// The same for a message already parsed: a console with a large fleet reads
// a thousand a second, and parses each once.
std::optional<GameStatus> readParsedGamePush(const QJsonObject& message);

struct ControlRequest {
    qint64 id = 0;
    int profile = 0;
    QString action;
    bool whenEmpty = false;
    bool operator==(const ControlRequest&) const = default;
};

struct ControlOutcome {
    bool ok = false;
    QString state;
    QString reason;
    bool operator==(const ControlOutcome&) const = default;
};

QString controlRequestMessage(const ControlRequest& request);
std::optional<ControlRequest> readControlRequest(const QString& message);
QString controlAnswerMessage(qint64 id, const ControlOutcome& outcome);
std::optional<QPair<qint64, ControlOutcome>> readControlAnswer(const QString& message);

struct OutputRequest {
    qint64 id = 0;
    int profile = 0;
    int lines = 0;
    bool follow = false;
    bool operator==(const OutputRequest&) const = default;
};

QString outputRequestMessage(const OutputRequest& request);
std::optional<OutputRequest> readOutputRequest(const QString& message);
QString outputAnswerMessage(qint64 id, const QStringList& lines);
// An output request refused: {"id": N, "output": {"lines": [], "ok": false, "reason": TEXT}}.
QString outputRefusalMessage(qint64 id, const QString& reason);
std::optional<QPair<qint64, QStringList>> readOutputAnswer(const QString& message);
QString outputPushMessage(int profile, const QStringList& lines);
std::optional<QPair<int, QStringList>> readOutputPush(const QString& message);

struct CommandRequest {
    qint64 id = 0;
    int profile = 0;
    QString line;
    bool operator==(const CommandRequest&) const = default;
};

struct CommandOutcome {
    bool ok = false;
    QString reason;
    bool operator==(const CommandOutcome&) const = default;
};

QString commandRequestMessage(const CommandRequest& request);
std::optional<CommandRequest> readCommandRequest(const QString& message);
QString commandAnswerMessage(qint64 id, const CommandOutcome& outcome);
std::optional<QPair<qint64, CommandOutcome>> readCommandAnswer(const QString& message);

struct ProfileEntry {
    int profile = 0;
    QString name;
    qint64 version = 0;
    QString game = {};  // empty: null
    bool operator==(const ProfileEntry&) const = default;
};

QString profilesRequestMessage(qint64 id);
std::optional<qint64> readProfilesRequest(const QString& message);
QString profilesAnswerMessage(qint64 id, const QList<ProfileEntry>& profiles);
std::optional<QPair<qint64, QList<ProfileEntry>>> readProfilesAnswer(const QString& message);

}  // namespace jexlink
