#pragma once
// The messages on the remote link, one WebSocket text message each, a small
// JSON object:
//   host -> remote, first message:  {"token": "..."}
//   remote -> host, on a good token: {"welcome": {"operator": NAME,
//                                     "superAdmin": BOOL, "privileges": {NAME: VALUE, ...}}}
//   host -> remote:                  {"id": N, "request": TEXT}
//                                    {"id": N, "request": TEXT, "base": V, "batch": ID}
//                                    (an update made from version V, as part of
//                                    fleet batch ID; both optional)
//   remote -> host:                  {"id": N, "answer": TEXT}
//                                    {"id": N, "answer": TEXT, "version": V} (settings served)
//                                    {"id": N, "answer": "1", "version": V} (update stored
//                                     as version V, or holding V already)
//                                    {"id": N, "answer": "0", "reason": TEXT} (refused)
//                                    {"id": N, "answer": "0", "conflict": [{"setting": LABEL,
//                                     "base": TEXT, "theirs": TEXT, "yours": TEXT,
//                                     "operator": NAME, "time": ISO}, ...]} (not merged)
//   remote -> host, unasked:         {"changed": {"profile": P, "version": V, "operator": NAME,
//                                     "time": ISO, "settings": [LABEL, ...]}}
//   host -> remote:                  {"id": N, "history": PROFILE}
//   remote -> host:                  {"id": N, "history": {"records": [...], "versions": [...]}}
//                                    {"id": N, "history": {"reason": TEXT}} (refused)
//   host -> remote:                  {"id": N, "revert": {"profile": P, "version": V}}
//   remote -> host:                  {"id": N, "revert": {"ok": BOOL, "reason": TEXT}}
//                                    (stored: "ok" true and "version": V, the version made)
//   host -> remote:                  {"id": N, "settings": {"profile": P, "version": V}}
//   remote -> host:                  {"id": N, "settings": {"answer": TEXT}} (the settings
//                                    reply of kept version V, as a fetch answers it)
//                                    {"id": N, "settings": {"reason": TEXT}} (refused)
// The remote side sends the welcome again, same shape, whenever the operator's
// name or privileges change while the link is open.
// The id lets a client match answers to the requests it sent; it is a whole
// number from 0 to kMaxId in every kind. Readers answer nothing
// (std::nullopt) for a message that is not of their kind or whose id is not
// such a number.

#include <QJsonArray>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

#include <optional>

namespace jexlink {

// A login the remote side refuses is closed with one of these WebSocket
// close codes and a reason the host shows: a token it does not know ("a wrong
// token"), or the token of an operator taken out of the token file since the
// remote side started ("operator bob was removed from this remote"). Neither
// is tried again until the token file changes or the operator says Retry; a
// connection closed at login without either code was turned away for the
// moment (too many connections) and is tried again after a wait.
inline constexpr int kTokenRefusedCode = 4001;
inline constexpr int kOperatorRemovedCode = 4002;
inline constexpr int kMaxCloseReasonLength = 123;  // what a close frame carries

// Bounds on what a peer may send.
inline constexpr qint64 kDefaultMaxMessageBytes = 1 << 20;
inline constexpr int kMaxTokenLength = 256;
inline constexpr int kMaxOperatorNameLength = 64;
inline constexpr qint64 kMaxId = qint64(1) << 53;  // every id fits a JSON number exactly
inline constexpr int kMaxBatchIdLength = 64;
inline constexpr int kMaxConflicts = 64;  // more than a server has settings
inline constexpr int kMaxConflictTextLength = 4096;
inline constexpr int kMaxChangedSettings = 64;
inline constexpr int kMaxReasonLength = 4096;

// One setting an update and a later version changed to different values, in
// the form's words (a password's values only as "changed").
struct Conflict {
    QString setting;
    QString base;
    QString theirs;
    QString yours;
    QString operatorName;  // who made the later change
    QString time;          // when, ISO 8601
    bool operator==(const Conflict&) const = default;
};

struct Envelope {
    qint64 id = 0;
    QString text;
    QString reason = {};  // an answer's: why it was refused; empty otherwise
    // A request's: the version the update was made from; an answer's: the
    // version of the settings it served.
    std::optional<qint64> version = {};
    QString batch = {};              // a request's: the fleet batch it belongs to
    QList<Conflict> conflicts = {};  // an answer's: why an update was not merged
};

// `base`, when given, is the version the update was made from; `batch`, when
// not empty, the fleet batch it belongs to.
QString requestMessage(qint64 id, const QString& request, std::optional<qint64> base = {},
                       const QString& batch = {});
// A non-empty `reason` goes with a refusal ("0") and says why.
QString answerMessage(qint64 id, const QString& answer, const QString& reason = {});
// The whole answer: text, reason, version and conflicts as the envelope holds them.
QString answerMessage(const Envelope& answer);
// A request's version is read from "base", an answer's from "version". A
// version that is not a whole number from 1 to kMaxId, a batch id longer than
// kMaxBatchIdLength, or a conflict list that is not well formed makes the
// message unreadable.
std::optional<Envelope> readRequestMessage(const QString& message);
std::optional<Envelope> readAnswerMessage(const QString& message);

// Sent by the remote side to every other welcomed connection after it stored a
// change of a server's settings.
struct ChangedNotice {
    int profile = 0;
    qint64 version = 0;
    QString operatorName;
    QString time;          // ISO 8601
    QStringList settings;  // the form's labels of the settings that changed
    bool operator==(const ChangedNotice&) const = default;
};

QString changedMessage(const ChangedNotice& notice);
std::optional<ChangedNotice> readChangedMessage(const QString& message);

QString tokenMessage(const QString& token);
// The token, when the message is a token message whose token is a non-empty
// text of at most kMaxTokenLength characters.
std::optional<QString> readTokenMessage(const QString& message);

struct Welcome {
    QString operatorName;
    bool superAdmin = false;
    // Privilege name and value (0 = not granted), in kPrivilegeNames order.
    QList<QPair<QString, int>> privileges;
    // May start, stop and command the game servers and read their output
    // (a super-administrator always may); a welcome without it says no.
    bool control = false;
    bool operator==(const Welcome&) const = default;
};

QString welcomeMessage(const Welcome& welcome);
std::optional<Welcome> readWelcomeMessage(const QString& message);

// A server's audit records (newest first) and its kept versions (newest
// first), as jexremote's README describes them.
struct History {
    QJsonArray records;
    QJsonArray versions;  // {"version": ID, "time": ISO, "operator": NAME}
    QString refusal =
        {};  // set: the request was refused, for this reason, and both lists are empty
};

// A request about one kept version of a server's settings: to put it back
// (a revert) or to read it (to compare two versions).
struct VersionRequest {
    qint64 id = 0;
    int profile = 0;
    qint64 version = 0;
    bool operator==(const VersionRequest&) const = default;
};
using RevertRequest = VersionRequest;
using KeptSettingsRequest = VersionRequest;

struct RevertOutcome {
    bool ok = false;
    QString reason;                   // why it was refused; empty when ok
    std::optional<qint64> version{};  // when ok: the version the revert stored
};

// The id and profile of a history request.
struct HistoryRequest {
    qint64 id = 0;
    int profile = 0;
};

QString historyRequestMessage(qint64 id, int profile);
std::optional<HistoryRequest> readHistoryRequest(const QString& message);
QString historyAnswerMessage(qint64 id, const History& history);
// A refused history answer comes back with its `refusal` set.
std::optional<QPair<qint64, History>> readHistoryAnswer(const QString& message);

QString revertRequestMessage(const RevertRequest& request);
std::optional<RevertRequest> readRevertRequest(const QString& message);
QString revertAnswerMessage(qint64 id, const RevertOutcome& outcome);
std::optional<QPair<qint64, RevertOutcome>> readRevertAnswer(const QString& message);

// The settings reply text of a kept version, or (refusal set) why there is none.
struct KeptSettings {
    QString answer;
    QString refusal = {};
    bool operator==(const KeptSettings&) const = default;
};

QString keptSettingsRequestMessage(const KeptSettingsRequest& request);
// The profile must fit an int and the version be a whole number from 1 to kMaxId.
std::optional<KeptSettingsRequest> readKeptSettingsRequest(const QString& message);
QString keptSettingsAnswerMessage(qint64 id, const KeptSettings& kept);
// Exactly one of "answer" (at most kDefaultMaxMessageBytes characters) and
// "reason" (at most kMaxReasonLength) is read.
std::optional<QPair<qint64, KeptSettings>> readKeptSettingsAnswer(const QString& message);

// Whether the message is a JSON object with an "id" that is not a whole
// number from 0 to kMaxId (what the remote side closes a connection for).
bool hasBadId(const QString& message);

}  // namespace jexlink
