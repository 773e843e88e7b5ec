#include "remote/server_manager.h"

#include <QSet>

#include <variant>

#include "exchange/model/setting_names.h"
#include "exchange/model/settings_difference.h"
#include "exchange/model/settings_reply.h"
#include "remote/audit/audit_log.h"
#include "remote/audit/settings_history.h"
#include "remote/store/server_store.h"
#include "remote/validation/privilege_guard.h"
#include "remote/wire/settings_wire.h"

namespace jexremote {

namespace {

namespace wire = kdrsm::wire;
namespace model = kdrsm::model;

// The keys of the settings a change changes, for the log.
QString changedSettings(const QStringList& keys) {
    return QStringLiteral("changed=[%1]").arg(keys.join(u','));
}

QString faultDetail(int field, const QString& setting, const QString& reason) {
    const QString number = field < 0 ? QStringLiteral("-") : QString::number(field);
    return QStringLiteral("field=%1 %2: %3").arg(number, setting, reason);
}

// The notice of a stored change: the form's captions of what changed, each once.
jexlink::ChangedNotice noticeOf(int profile, const VersionInfo& stored, const QStringList& keys) {
    QStringList labels;
    for (const QString& key : keys) labels.append(model::labelOfKey(key));
    return {profile, stored.version, stored.operatorName, stored.time, labels};
}

}  // namespace

ServerManager::ServerManager(ServerStore& store, SettingsHistory& history)
    : store_(store), history_(history) {}

QString ServerManager::answer(const QString& requestText, const jexlink::Welcome& who) {
    return answer(jexlink::Envelope{0, requestText}, who).answer.text;
}

Served<jexlink::Envelope> ServerManager::answer(const jexlink::Envelope& message,
                                                const jexlink::Welcome& who) {
    Served<jexlink::Envelope> served{{message.id, jexlink::kFailedAnswer}};
    const QString& requestText = message.text;
    const auto request = wire::parseRequestText(requestText);
    if (!request) {
        logRequest({QStringLiteral("-"),
                    {},
                    0,
                    requestText.size(),
                    QStringLiteral("failed"),
                    QStringLiteral("not a request text")});
        return served;
    }
    RequestEvent event{request->command,   request->hostTag,         request->profileIndex,
                       requestText.size(), QStringLiteral("failed"), {}};
    const auto current = store_.settings(request->profileIndex);
    if (!current) {
        event.detail = QStringLiteral("profile not managed here");
        logRequest(event);
        return served;
    }
    if (request->command == wire::kGetSettings) {
        event.outcome = QStringLiteral("served");
        const qint64 version = history_.currentVersion(request->profileIndex);
        event.detail = QStringLiteral("version %1").arg(version);
        logRequest(event);
        served.answer.text = model::replyText(*current);
        if (version > 0) served.answer.version = version;
        return served;
    }
    if (request->command == wire::kSetSettings) return update(*request, message, who);
    event.detail = QStringLiteral("unknown command");
    logRequest(event);
    return served;
}

// The update is read against the settings it was made from: what its body
// does not carry (the game port, the weapons it leaves unrestricted) keeps
// that version's values. Made from the version the server holds, it is an
// update like any; made from an older one, it is merged with what changed
// since. Privileges are judged on what would be stored against what is: the
// operator's own changes, never a change someone else made in between.
Served<jexlink::Envelope> ServerManager::update(const wire::Request& request,
                                                const jexlink::Envelope& message,
                                                const jexlink::Welcome& who) {
    const int profile = request.profileIndex;
    RequestEvent event{wire::kSetSettings,  request.hostTag,           profile,
                       message.text.size(), QStringLiteral("refused"), {}};
    Served<jexlink::Envelope> served{{message.id, jexlink::kRefusedAnswer}};
    const ServerSettings current = *store_.settings(profile);
    const qint64 currentVersion = history_.currentVersion(profile);
    const std::optional<qint64> base = message.version;
    const bool merging = base && *base != currentVersion;
    QString basis =
        !base     ? QStringLiteral("no base")
        : merging ? QStringLiteral("base %1, merged with version %2").arg(*base).arg(currentVersion)
                  : QStringLiteral("base %1").arg(*base);
    if (!message.batch.isEmpty())
        basis += QStringLiteral(", batch \"%1\"").arg(boundedText(message.batch));
    const auto finish = [&](const QString& outcome, const QString& detail) {
        event.outcome = outcome;
        event.detail = basis + QStringLiteral("; ") + detail;
        logRequest(event);
        return served;
    };

    std::optional<ServerSettings> baseSettings;  // kept: the version the update was made from
    if (merging)
        if (const auto kept = history_.versions().load(profile, *base);
            const auto* version = std::get_if<StoredVersion>(&kept))
            baseSettings = version->settings;
    auto read = updatedSettings(baseSettings.value_or(current), request.data);
    if (const Fault* fault = std::get_if<Fault>(&read))
        return finish(QStringLiteral("refused"),
                      faultDetail(fault->field, fault->setting, fault->reason));
    ServerSettings next = std::get<ServerSettings>(read);
    if (merging) {
        model::MergeResult merged = model::mergeSettings(baseSettings, current, next);
        if (!merged.conflicts.isEmpty()) {
            served.answer.conflicts = conflictsOf(profile, *base, merged.conflicts);
            if (merged.conflicts.size() > served.answer.conflicts.size())
                served.answer.reason =
                    QStringLiteral("%1 settings conflict; the first %2 are listed")
                        .arg(merged.conflicts.size())
                        .arg(served.answer.conflicts.size());
            QStringList keys;
            for (const model::MergeConflict& conflict : merged.conflicts)
                if (!keys.contains(conflict.key)) keys.append(conflict.key);
            return finish(QStringLiteral("conflict"),
                          QStringLiteral("conflicts=[%1]").arg(keys.join(u',')));
        }
        next = *merged.merged;
        if (const auto fault = checkSettings(next))
            return finish(QStringLiteral("refused"),
                          faultDetail(fault->field, fault->setting, fault->reason));
    }
    if (const auto field = forbiddenChange(who, current, next))
        return finish(QStringLiteral("refused"),
                      faultDetail(*field, model::settingKey(*field),
                                  QStringLiteral("operator %1 lacks the privilege")
                                      .arg(boundedText(who.operatorName))));
    QString error;
    const ChangeOrigin origin{who.operatorName, request.hostTag, std::nullopt, message.batch,
                              merging ? std::optional(currentVersion) : std::nullopt};
    if (next == current) {
        // Nothing to store: no version is spent (a burst of these would push
        // out the kept ones) and nobody is told of a change. The answer names
        // the version the server holds.
        if (!history_.recordUnchanged(profile, origin, &error))
            return finish(QStringLiteral("not stored"), error);
        served.answer.text = jexlink::kUpdatedAnswer;
        served.answer.version = currentVersion;
        return finish(QStringLiteral("no change"),
                      QStringLiteral("version %1").arg(currentVersion));
    }
    const auto stored = history_.store(profile, current, next, origin, &error);
    if (!stored) return finish(QStringLiteral("not stored"), error);
    served.answer.text = jexlink::kUpdatedAnswer;
    served.answer.version = stored->version;  // the sender's next update is made from it
    const QStringList keys = model::changedKeys(model::differences(current, next));
    served.changed = noticeOf(profile, *stored, keys);
    return finish(QStringLiteral("stored"), changedSettings(keys));
}

// Each conflict in the form's words, with who made the later change and
// when; the version the server holds stands in when the trail no longer
// says. A list longer than a message may carry is cut.
QList<jexlink::Conflict> ServerManager::conflictsOf(
    int profile, qint64 base, const QList<model::MergeConflict>& conflicts) const {
    VersionInfo latest;
    for (const VersionInfo& kept : history_.versions().list(profile))
        if (kept.version == history_.currentVersion(profile)) latest = kept;
    QList<jexlink::Conflict> listed;
    for (const model::MergeConflict& conflict :
         conflicts.first(std::min<qsizetype>(conflicts.size(), jexlink::kMaxConflicts))) {
        const VersionInfo by =
            history_.lastChange(profile, base, conflict.key, conflict.entry).value_or(latest);
        listed.append({model::conflictLabel(conflict),
                       model::shownConflictValue(conflict, conflict.base),
                       model::shownConflictValue(conflict, conflict.theirs),
                       model::shownConflictValue(conflict, conflict.yours),
                       by.operatorName.left(jexlink::kMaxOperatorNameLength),
                       by.time.left(jexlink::kMaxConflictTextLength)});
    }
    return listed;
}

jexlink::History ServerManager::history(int profile) const {
    if (!store_.settings(profile)) return {};
    return history_.history(profile);
}

Served<jexlink::RevertOutcome> ServerManager::revert(int profile, qint64 version,
                                                     const jexlink::Welcome& who) {
    const QString command = QStringLiteral("revert to version %1").arg(version);
    RequestEvent event{command, {}, profile, 0, QStringLiteral("refused"), {}};
    auto refuse = [&](const QString& reason) {
        event.detail = reason;
        logRequest(event);
        return Served<jexlink::RevertOutcome>{{false, reason}};
    };
    const auto current = store_.settings(profile);
    if (!current) return refuse(QStringLiteral("profile %1 is not managed here").arg(profile));
    // A kept version is read with the state file's rules: a hand-edited or
    // cut one is refused whole.
    const auto kept = history_.versions().load(profile, version);
    if (const auto* reason = std::get_if<QString>(&kept)) return refuse(*reason);
    const ServerSettings& next = std::get<StoredVersion>(kept).settings;
    if (const auto field = forbiddenChange(who, *current, next))
        return refuse(QStringLiteral("setting %1: operator %2 lacks the privilege to change it")
                          .arg(model::settingKey(*field), boundedText(who.operatorName)));
    QString error;
    const auto stored =
        history_.store(profile, *current, next, {who.operatorName, {}, version}, &error);
    if (!stored) {
        event.outcome = QStringLiteral("not stored");
        return refuse(QStringLiteral("not stored: %1").arg(error));
    }
    event.outcome = QStringLiteral("stored");
    const QStringList keys = model::changedKeys(model::differences(*current, next));
    event.detail = changedSettings(keys);
    logRequest(event);
    return {{true, {}, stored->version}, noticeOf(profile, *stored, keys)};
}

}  // namespace jexremote
