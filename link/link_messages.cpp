#include "link/link_messages.h"

#include <QJsonArray>
#include <QJsonObject>

#include <climits>

#include "link/json_fields.h"
#include "link/link_words.h"
#include "link/privilege_names.h"

namespace jexlink {

using namespace json;
using namespace field;

namespace {

QJsonObject conflictObject(const Conflict& conflict) {
    return {{kSetting, conflict.setting},       {kBase, conflict.base},
            {kTheirs, conflict.theirs},         {kYours, conflict.yours},
            {kOperator, conflict.operatorName}, {kTime, conflict.time}};
}

std::optional<Conflict> readConflict(const QJsonValue& value) {
    const QJsonObject object = value.toObject();
    const auto text = [&object](const QString& key) {
        return boundedText(object.value(key), kMaxConflictTextLength);
    };
    const auto setting = text(kSetting), base = text(kBase), theirs = text(kTheirs),
               yours = text(kYours), time = text(kTime);
    const auto who = boundedText(object.value(kOperator), kMaxOperatorNameLength);
    if (!setting || !base || !theirs || !yours || !time || !who) return std::nullopt;
    return Conflict{*setting, *base, *theirs, *yours, *who, *time};
}

std::optional<QList<Conflict>> readConflicts(const QJsonObject& object) {
    if (!object.contains(kConflict)) return QList<Conflict>{};
    const QJsonValue list = object.value(kConflict);
    if (!list.isArray() || list.toArray().size() > kMaxConflicts) return std::nullopt;
    QList<Conflict> conflicts;
    for (const QJsonValue& entry : list.toArray()) {
        const auto conflict = readConflict(entry);
        if (!conflict) return std::nullopt;
        conflicts.append(*conflict);
    }
    return conflicts;
}

// The optional version under `key`: absent is fine, anything but a whole
// number from 1 to kMaxId is not.
std::optional<std::optional<qint64>> optionalVersion(const QJsonObject& object,
                                                     const QString& key) {
    if (!object.contains(key)) return std::optional<qint64>{};
    const auto version = wholeNumber(object.value(key), 1, kMaxId);
    if (!version) return std::nullopt;
    return version;
}

std::optional<Envelope> readEnvelope(const QString& message, const QString& key,
                                     const QString& versionKey) {
    const auto object = objectOf(message);
    if (!object) return std::nullopt;
    const auto id = wholeNumber(object->value(kId), 0, kMaxId);
    const QJsonValue text = object->value(key);
    const auto version = optionalVersion(*object, versionKey);
    const auto batch = object->contains(kBatch)
                           ? boundedText(object->value(kBatch), kMaxBatchIdLength)
                           : std::optional<QString>(QString());
    const auto conflicts = readConflicts(*object);
    if (!id || !text.isString() || !version || !batch || !conflicts) return std::nullopt;
    return Envelope{*id,      text.toString(), object->value(kReason).toString(),
                    *version, *batch,          *conflicts};
}

// {"id": N, KIND: {"profile": P, "version": V}}: a request about one kept version.
QString versionRequestMessage(const QString& kind, const VersionRequest& request) {
    const QJsonObject body{{kProfile, request.profile}, {kVersion, request.version}};
    return compact({{kId, request.id}, {kind, body}});
}

std::optional<VersionRequest> readVersionRequest(const QString& message, const QString& kind) {
    const auto object = objectOf(message);
    if (!object) return std::nullopt;
    const QJsonObject body = object->value(kind).toObject();
    const auto id = wholeNumber(object->value(kId), 0, kMaxId);
    const auto profile = wholeNumber(body.value(kProfile), INT_MIN, INT_MAX);
    const auto version = wholeNumber(body.value(kVersion), 1, kMaxId);
    if (!id || !profile || !version) return std::nullopt;
    return VersionRequest{*id, int(*profile), *version};
}

}  // namespace

QString requestMessage(qint64 id, const QString& request, std::optional<qint64> base,
                       const QString& batch) {
    QJsonObject object{{kId, id}, {kRequest, request}};
    if (base) object.insert(kBase, *base);
    if (!batch.isEmpty()) object.insert(kBatch, batch);
    return compact(object);
}
QString answerMessage(qint64 id, const QString& answer, const QString& reason) {
    return answerMessage(Envelope{id, answer, reason});
}
QString answerMessage(const Envelope& answer) {
    QJsonObject object{{kId, answer.id}, {kAnswer, answer.text}};
    if (!answer.reason.isEmpty()) object.insert(kReason, answer.reason);
    if (answer.version) object.insert(kVersion, *answer.version);
    if (!answer.conflicts.isEmpty()) {
        QJsonArray conflicts;
        for (const Conflict& conflict : answer.conflicts)
            conflicts.append(conflictObject(conflict));
        object.insert(kConflict, conflicts);
    }
    return compact(object);
}
std::optional<Envelope> readRequestMessage(const QString& message) {
    return readEnvelope(message, kRequest, kBase);
}
std::optional<Envelope> readAnswerMessage(const QString& message) {
    return readEnvelope(message, kAnswer, kVersion);
}

QString changedMessage(const ChangedNotice& notice) {
    const QJsonObject body{{kProfile, notice.profile},
                           {kVersion, notice.version},
                           {kOperator, notice.operatorName},
                           {kTime, notice.time},
                           {kSettings, QJsonArray::fromStringList(notice.settings)}};
    return compact({{kChanged, body}});
}

std::optional<ChangedNotice> readChangedMessage(const QString& message) {
    const auto object = objectOf(message);
    if (!object) return std::nullopt;
    const QJsonObject body = object->value(kChanged).toObject();
    const auto profile = wholeNumber(body.value(kProfile), INT_MIN, INT_MAX);
    const auto version = wholeNumber(body.value(kVersion), 1, kMaxId);
    const auto who = boundedText(body.value(kOperator), kMaxOperatorNameLength);
    const auto time = boundedText(body.value(kTime), kMaxConflictTextLength);
    const QJsonValue list = body.value(kSettings);
    if (!profile || !version || !who || !time || !list.isArray() ||
        list.toArray().size() > kMaxChangedSettings)
        return std::nullopt;
    ChangedNotice notice{int(*profile), *version, *who, *time, {}};
    for (const QJsonValue& entry : list.toArray()) {
        const auto setting = boundedText(entry, kMaxConflictTextLength);
        if (!setting) return std::nullopt;
        notice.settings.append(*setting);
    }
    return notice;
}

QString tokenMessage(const QString& token) {
    return compact({{kToken, token}});
}

std::optional<QString> readTokenMessage(const QString& message) {
    const auto object = objectOf(message);
    if (!object || object->size() != 1) return std::nullopt;
    const QJsonValue token = object->value(kToken);
    if (!token.isString()) return std::nullopt;
    const QString text = token.toString();
    if (text.isEmpty() || text.size() > kMaxTokenLength) return std::nullopt;
    return text;
}

QString welcomeMessage(const Welcome& welcome) {
    QJsonObject privileges;
    for (const auto& [name, value] : welcome.privileges) privileges.insert(name, value);
    const QJsonObject body{{kOperator, welcome.operatorName},
                           {kSuperAdmin, welcome.superAdmin},
                           {kPrivileges, privileges}};
    return compact({{kWelcome, body}, {kControl, welcome.control}});
}

// A welcome names every one of the five privileges with a whole number; the
// operator's name is bounded. Anything else is no welcome.
std::optional<Welcome> readWelcomeMessage(const QString& message) {
    const auto object = objectOf(message);
    if (!object) return std::nullopt;
    const QJsonValue body = object->value(kWelcome);
    if (!body.isObject()) return std::nullopt;
    const QJsonObject fields = body.toObject();
    const QJsonValue name = fields.value(kOperator);
    const QJsonValue superAdmin = fields.value(kSuperAdmin);
    const QJsonValue privileges = fields.value(kPrivileges);
    if (!name.isString() || name.toString().size() > kMaxOperatorNameLength ||
        !superAdmin.isBool() || !privileges.isObject())
        return std::nullopt;
    Welcome welcome{name.toString(), superAdmin.toBool(), {}};
    const QJsonObject granted = privileges.toObject();
    for (const char* privilege : kPrivilegeNames) {
        const QString key = QString::fromLatin1(privilege);
        const QJsonValue value = granted.value(key);
        if (!value.isDouble() || value.toDouble() != double(value.toInt())) return std::nullopt;
        welcome.privileges.append({key, value.toInt()});
    }
    const QJsonValue control = object->value(kControl);
    if (!control.isUndefined() && !control.isBool()) return std::nullopt;
    welcome.control = control.toBool();
    return welcome;
}

}  // namespace jexlink

namespace jexlink {

QString historyRequestMessage(qint64 id, int profile) {
    return compact({{kId, id}, {kHistory, profile}});
}

std::optional<HistoryRequest> readHistoryRequest(const QString& message) {
    const auto object = objectOf(message);
    if (!object) return std::nullopt;
    const auto id = wholeNumber(object->value(kId), 0, kMaxId);
    const auto profile = wholeNumber(object->value(kHistory), INT_MIN, INT_MAX);
    if (!id || !profile) return std::nullopt;
    return HistoryRequest{*id, int(*profile)};
}

QString historyAnswerMessage(qint64 id, const History& history) {
    const QJsonObject body = history.refusal.isEmpty() ? QJsonObject{{kRecords, history.records},
                                                                     {kVersions, history.versions}}
                                                       : QJsonObject{{kReason, history.refusal}};
    return compact({{kId, id}, {kHistory, body}});
}

std::optional<QPair<qint64, History>> readHistoryAnswer(const QString& message) {
    const auto object = objectOf(message);
    if (!object) return std::nullopt;
    const auto id = wholeNumber(object->value(kId), 0, kMaxId);
    const QJsonObject body = object->value(kHistory).toObject();
    if (!id) return std::nullopt;
    if (const QJsonValue reason = body.value(kReason); reason.isString())
        return qMakePair(*id, History{{}, {}, reason.toString()});
    if (!body.value(kRecords).isArray() || !body.value(kVersions).isArray()) return std::nullopt;
    return qMakePair(*id,
                     History{body.value(kRecords).toArray(), body.value(kVersions).toArray(), {}});
}

QString revertRequestMessage(const RevertRequest& request) {
    return versionRequestMessage(kRevert, request);
}

std::optional<RevertRequest> readRevertRequest(const QString& message) {
    return readVersionRequest(message, kRevert);
}

QString revertAnswerMessage(qint64 id, const RevertOutcome& outcome) {
    QJsonObject body{{kOk, outcome.ok}, {kReason, outcome.reason}};
    if (outcome.ok && outcome.version) body.insert(kVersion, *outcome.version);
    return compact({{kId, id}, {kRevert, body}});
}

std::optional<QPair<qint64, RevertOutcome>> readRevertAnswer(const QString& message) {
    const auto object = objectOf(message);
    if (!object) return std::nullopt;
    const QJsonObject body = object->value(kRevert).toObject();
    const auto id = wholeNumber(object->value(kId), 0, kMaxId);
    if (!id || !body.value(kOk).isBool() || !body.value(kReason).isString()) return std::nullopt;
    RevertOutcome outcome{body.value(kOk).toBool(), body.value(kReason).toString()};
    if (body.contains(kVersion)) {
        outcome.version = wholeNumber(body.value(kVersion), 1, kMaxId);
        if (!outcome.version) return std::nullopt;
    }
    return qMakePair(*id, outcome);
}

QString keptSettingsRequestMessage(const KeptSettingsRequest& request) {
    return versionRequestMessage(kSettings, request);
}

std::optional<KeptSettingsRequest> readKeptSettingsRequest(const QString& message) {
    return readVersionRequest(message, kSettings);
}

QString keptSettingsAnswerMessage(qint64 id, const KeptSettings& kept) {
    const QJsonObject body = kept.refusal.isEmpty() ? QJsonObject{{kAnswer, kept.answer}}
                                                    : QJsonObject{{kReason, kept.refusal}};
    return compact({{kId, id}, {kSettings, body}});
}

std::optional<QPair<qint64, KeptSettings>> readKeptSettingsAnswer(const QString& message) {
    const auto object = objectOf(message);
    if (!object) return std::nullopt;
    const QJsonObject body = object->value(kSettings).toObject();
    const auto id = wholeNumber(object->value(kId), 0, kMaxId);
    const auto answer = boundedText(body.value(kAnswer), int(kDefaultMaxMessageBytes));
    const auto reason = boundedText(body.value(kReason), kMaxReasonLength);
    // A refusal carries a reason and no answer; anything else is no kept-version answer.
    if (!id || answer.has_value() == reason.has_value() || body.size() != 1) return std::nullopt;
    if (reason) return qMakePair(*id, KeptSettings{{}, *reason});
    return qMakePair(*id, KeptSettings{*answer, {}});
}

bool hasBadId(const QString& message) {
    const auto object = objectOf(message);
    return object && object->contains(kId) && !wholeNumber(object->value(kId), 0, kMaxId);
}

}  // namespace jexlink
