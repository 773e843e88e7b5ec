#pragma once
// The words of the remote link, each written once and used by both sides:
// the names of its JSON fields (link_messages.h, game_messages.h and
// audit_record.h show where each stands), the answers of the server manager
// the panel reads, and the reason a request refused by the remote side's
// rate limit carries.

#include <QString>

namespace jexlink {

// The answers to a settings request: an update stored ("1") or refused
// ("0"), and "Failed" for a request the remote side cannot serve (a profile
// it does not manage, a request it does not know).
inline const QString kUpdatedAnswer = QStringLiteral("1");
inline const QString kRefusedAnswer = QStringLiteral("0");
inline const QString kFailedAnswer = QStringLiteral("Failed");

// What a rate limit counts: an operator's updates, or the requests that read
// a server's history and kept versions.
enum class LimitedKind { Updates, HistoryRequests };

// "operator bob: too many updates (the limit is 1 a second); try again
// shortly": the reason of a request refused by the rate limit only, which a
// client may send again after a second.
QString rateLimitReason(const QString& operatorName, LimitedKind kind, int perSecond);
// Whether a refusal's reason, read whole, is such a reason.
bool isRateLimitReason(const QString& reason);

namespace field {
inline const QString kAction = QStringLiteral("action");
inline const QString kAdded = QStringLiteral("added");
inline const QString kAnswer = QStringLiteral("answer");
inline const QString kAppliedVersion = QStringLiteral("appliedVersion");
inline const QString kApplyProblems = QStringLiteral("applyProblems");
inline const QString kBase = QStringLiteral("base");
inline const QString kBatch = QStringLiteral("batch");
inline const QString kChanged = QStringLiteral("changed");
inline const QString kChanges = QStringLiteral("changes");
inline const QString kClan = QStringLiteral("clan");
inline const QString kCommand = QStringLiteral("command");
inline const QString kConflict = QStringLiteral("conflict");
inline const QString kControl = QStringLiteral("control");
inline const QString kDefinition = QStringLiteral("definition");
inline const QString kDrift = QStringLiteral("drift");
inline const QString kEmpty = QStringLiteral("empty");
inline const QString kEntry = QStringLiteral("entry");
inline const QString kFollow = QStringLiteral("follow");
inline const QString kGame = QStringLiteral("game");
inline const QString kGames = QStringLiteral("games");
inline const QString kHistory = QStringLiteral("history");
inline const QString kId = QStringLiteral("id");
inline const QString kLastExit = QStringLiteral("lastExit");
inline const QString kLine = QStringLiteral("line");
inline const QString kLines = QStringLiteral("lines");
inline const QString kList = QStringLiteral("list");
inline const QString kMaxPlayers = QStringLiteral("maxPlayers");
inline const QString kMergedWith = QStringLiteral("mergedWith");
inline const QString kName = QStringLiteral("name");
inline const QString kNew = QStringLiteral("new");
inline const QString kNoChange = QStringLiteral("noChange");
inline const QString kOk = QStringLiteral("ok");
inline const QString kOld = QStringLiteral("old");
inline const QString kOperator = QStringLiteral("operator");
inline const QString kOutput = QStringLiteral("output");
inline const QString kPending = QStringLiteral("pending");
inline const QString kPid = QStringLiteral("pid");
inline const QString kPlayers = QStringLiteral("players");
inline const QString kPrivileges = QStringLiteral("privileges");
inline const QString kProfile = QStringLiteral("profile");
inline const QString kProfiles = QStringLiteral("profiles");
inline const QString kReason = QStringLiteral("reason");
inline const QString kRecords = QStringLiteral("records");
inline const QString kRemoved = QStringLiteral("removed");
inline const QString kRequest = QStringLiteral("request");
inline const QString kRestartNeeded = QStringLiteral("restartNeeded");
inline const QString kRestarts = QStringLiteral("restarts");
inline const QString kRevert = QStringLiteral("revert");
inline const QString kRevertOf = QStringLiteral("revertOf");
inline const QString kScore = QStringLiteral("score");
inline const QString kSeconds = QStringLiteral("seconds");
inline const QString kSetting = QStringLiteral("setting");
inline const QString kSettings = QStringLiteral("settings");
inline const QString kSince = QStringLiteral("since");
inline const QString kSpectator = QStringLiteral("spectator");
inline const QString kState = QStringLiteral("state");
inline const QString kSuperAdmin = QStringLiteral("superAdmin");
inline const QString kTag = QStringLiteral("tag");
inline const QString kTheirs = QStringLiteral("theirs");
inline const QString kTime = QStringLiteral("time");
inline const QString kToken = QStringLiteral("token");
inline const QString kUndone = QStringLiteral("undone");
inline const QString kVersion = QStringLiteral("version");
inline const QString kVersions = QStringLiteral("versions");
inline const QString kWelcome = QStringLiteral("welcome");
inline const QString kWhen = QStringLiteral("when");
inline const QString kYours = QStringLiteral("yours");
}  // namespace field

}  // namespace jexlink
