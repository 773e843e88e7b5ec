#include "remote/server_manager.h"

#include <variant>

#include "exchange/wire/request.h"
#include "remote/audit/audit_log.h"
#include "remote/store/server_store.h"
#include "remote/validation/field_rules.h"
#include "remote/validation/privilege_guard.h"
#include "remote/wire/settings_wire.h"

namespace jexremote {

namespace {

namespace wire = kdrsm::wire;

// The names of the settings `next` changes, for the log.
QString changedSettings(const ServerSettings& current, const ServerSettings& next) {
    QStringList names;
    for (int i = 0; i < wire::kReplyFieldCount; ++i)
        if (next.fields[i] != current.fields[i]) names << settingName(i);
    if (next.roles != current.roles) names << QStringLiteral("Roles");
    if (next.weapons != current.weapons) names << QStringLiteral("Weapons");
    if (next.autoLoad != current.autoLoad) names << QStringLiteral("AutoLoad");
    return QStringLiteral("changed=[%1]").arg(names.join(u','));
}

QString faultDetail(int field, const QString& setting, const QString& reason) {
    const QString number = field < 0 ? QStringLiteral("-") : QString::number(field);
    return QStringLiteral("field=%1 %2: %3").arg(number, setting, reason);
}

}  // namespace

ServerManager::ServerManager(ServerStore& store) : store_(store) {}

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
        return settingsReplyText(*current);
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
            *field, settingName(*field),
            QStringLiteral("operator %1 lacks the privilege").arg(boundedText(who.operatorName)));
        logRequest(event);
        return kRefusedAnswer;
    }
    QString error;
    if (!store_.store(profile, next, &error)) {
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

}  // namespace jexremote
