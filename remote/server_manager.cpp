#include "remote/server_manager.h"

#include <variant>

#include "exchange/model/setting_names.h"
#include "exchange/model/settings_difference.h"
#include "exchange/model/settings_reply.h"
#include "exchange/wire/request.h"
#include "remote/audit/audit_log.h"
#include "remote/audit/settings_history.h"
#include "remote/store/server_store.h"
#include "remote/validation/privilege_guard.h"
#include "remote/wire/settings_wire.h"

namespace jexremote {

namespace {

namespace wire = kdrsm::wire;

// The keys of the settings `next` changes, for the log.
QString changedSettings(const ServerSettings& current, const ServerSettings& next) {
    const QStringList keys = kdrsm::model::changedKeys(kdrsm::model::differences(current, next));
    return QStringLiteral("changed=[%1]").arg(keys.join(u','));
}

QString faultDetail(int field, const QString& setting, const QString& reason) {
    const QString number = field < 0 ? QStringLiteral("-") : QString::number(field);
    return QStringLiteral("field=%1 %2: %3").arg(number, setting, reason);
}

}  // namespace

ServerManager::ServerManager(ServerStore& store, SettingsHistory& history)
    : store_(store), history_(history) {}

QString ServerManager::answer(const QString& requestText, const jexlink::Welcome& who) {
    const auto request = wire::parseRequestText(requestText);
    if (!request) {
        logRequest({QStringLiteral("-"),
                    {},
                    0,
                    requestText.size(),
                    QStringLiteral("failed"),
                    QStringLiteral("not a request text")});
        return kFailedAnswer;
    }
    RequestEvent event{request->command,   request->hostTag,         request->profileIndex,
                       requestText.size(), QStringLiteral("failed"), {}};
    const auto current = store_.settings(request->profileIndex);
    if (!current) {
        event.detail = QStringLiteral("profile not managed here");
        logRequest(event);
        return kFailedAnswer;
    }
    if (request->command == wire::kGetSettings) {
        event.outcome = QStringLiteral("served");
        logRequest(event);
        return kdrsm::model::replyText(*current);
    }
    if (request->command == wire::kSetSettings)
        return update(request->hostTag, request->profileIndex, request->data, who,
                      requestText.size());
    event.detail = QStringLiteral("unknown command");
    logRequest(event);
    return kFailedAnswer;
}

QString ServerManager::update(const QString& tag, int profile, const QString& body,
                              const jexlink::Welcome& who, qsizetype size) {
    RequestEvent event{wire::kSetSettings, tag, profile, size, QStringLiteral("refused"), {}};
    const ServerSettings current = *store_.settings(profile);
    auto checked = updatedSettings(current, body);
    if (const Fault* fault = std::get_if<Fault>(&checked)) {
        event.detail = faultDetail(fault->field, fault->setting, fault->reason);
        logRequest(event);
        return kRefusedAnswer;
    }
    const ServerSettings& next = std::get<ServerSettings>(checked);
    if (const auto field = forbiddenChange(who, current, next)) {
        event.detail = faultDetail(
            *field, kdrsm::model::settingKey(*field),
            QStringLiteral("operator %1 lacks the privilege").arg(boundedText(who.operatorName)));
        logRequest(event);
        return kRefusedAnswer;
    }
    QString error;
    if (!history_.store(profile, current, next, {who.operatorName, tag, std::nullopt}, &error)) {
        event.outcome = QStringLiteral("not stored");
        event.detail = error;
        logRequest(event);
        return kRefusedAnswer;
    }
    event.outcome = QStringLiteral("stored");
    event.detail = changedSettings(current, next);
    logRequest(event);
    return kUpdatedAnswer;
}

jexlink::History ServerManager::history(int profile) const {
    if (!store_.settings(profile)) return {};
    return history_.history(profile);
}

jexlink::RevertOutcome ServerManager::revert(int profile, qint64 version,
                                             const jexlink::Welcome& who) {
    const QString command = QStringLiteral("revert to version %1").arg(version);
    RequestEvent event{command, {}, profile, 0, QStringLiteral("refused"), {}};
    auto refuse = [&](const QString& reason) {
        event.detail = reason;
        logRequest(event);
        return jexlink::RevertOutcome{false, reason};
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
                          .arg(kdrsm::model::settingKey(*field), boundedText(who.operatorName)));
    QString error;
    if (!history_.store(profile, *current, next, {who.operatorName, {}, version}, &error)) {
        event.outcome = QStringLiteral("not stored");
        return refuse(QStringLiteral("not stored: %1").arg(error));
    }
    event.outcome = QStringLiteral("stored");
    event.detail = changedSettings(*current, next);
    logRequest(event);
    return {true, {}};
}

}  // namespace jexremote
