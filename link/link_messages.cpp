#include "link/link_messages.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <climits>

#include "link/privilege_names.h"

namespace jexlink {

namespace {

const QString kId = QStringLiteral("id");
const QString kRequest = QStringLiteral("request");
const QString kAnswer = QStringLiteral("answer");
const QString kToken = QStringLiteral("token");
const QString kWelcome = QStringLiteral("welcome");
const QString kOperator = QStringLiteral("operator");
const QString kSuperAdmin = QStringLiteral("superAdmin");
const QString kPrivileges = QStringLiteral("privileges");
const QString kHistory = QStringLiteral("history");
const QString kRecords = QStringLiteral("records");
const QString kVersions = QStringLiteral("versions");
const QString kRevert = QStringLiteral("revert");
const QString kProfile = QStringLiteral("profile");
const QString kVersion = QStringLiteral("version");
const QString kOk = QStringLiteral("ok");
const QString kReason = QStringLiteral("reason");

QString compact(const QJsonObject& object) {
    return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact));
}

std::optional<QJsonObject> objectOf(const QString& message) {
    const QJsonDocument document = QJsonDocument::fromJson(message.toUtf8());
    if (!document.isObject()) return std::nullopt;
    return document.object();
}

// A whole number that fits the type it is read into; JSON numbers are doubles.
// The range is checked first: a double beyond qint64 has no qint64 to compare.
std::optional<qint64> wholeNumber(const QJsonValue& value, qint64 low, qint64 high) {
    if (!value.isDouble()) return std::nullopt;
    const double number = value.toDouble();
    if (!(number >= double(low) && number <= double(high)) || number != double(qint64(number)))
        return std::nullopt;
    return qint64(number);
}

std::optional<Envelope> readEnvelope(const QString& message, const QString& key) {
    const auto object = objectOf(message);
    if (!object) return std::nullopt;
    const auto id = wholeNumber(object->value(kId), 0, kMaxId);
    const QJsonValue text = object->value(key);
    if (!id || !text.isString()) return std::nullopt;
    return Envelope{*id, text.toString(), object->value(kReason).toString()};
}

}  // namespace

QString requestMessage(qint64 id, const QString& request) {
    return compact({{kId, id}, {kRequest, request}});
}
QString answerMessage(qint64 id, const QString& answer, const QString& reason) {
    QJsonObject object{{kId, id}, {kAnswer, answer}};
    if (!reason.isEmpty()) object.insert(kReason, reason);
    return compact(object);
}
std::optional<Envelope> readRequestMessage(const QString& message) {
    return readEnvelope(message, kRequest);
}
std::optional<Envelope> readAnswerMessage(const QString& message) {
    return readEnvelope(message, kAnswer);
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
    return compact({{kWelcome, body}});
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
    const QJsonObject body{{kProfile, request.profile}, {kVersion, request.version}};
    return compact({{kId, request.id}, {kRevert, body}});
}

std::optional<RevertRequest> readRevertRequest(const QString& message) {
    const auto object = objectOf(message);
    if (!object) return std::nullopt;
    const QJsonObject body = object->value(kRevert).toObject();
    const auto id = wholeNumber(object->value(kId), 0, kMaxId);
    const auto profile = wholeNumber(body.value(kProfile), INT_MIN, INT_MAX);
    const auto version = wholeNumber(body.value(kVersion), 1, kMaxId);
    if (!id || !profile || !version) return std::nullopt;
    return RevertRequest{*id, int(*profile), *version};
}

QString revertAnswerMessage(qint64 id, const RevertOutcome& outcome) {
    const QJsonObject body{{kOk, outcome.ok}, {kReason, outcome.reason}};
    return compact({{kId, id}, {kRevert, body}});
}

std::optional<QPair<qint64, RevertOutcome>> readRevertAnswer(const QString& message) {
    const auto object = objectOf(message);
    if (!object) return std::nullopt;
    const QJsonObject body = object->value(kRevert).toObject();
    const auto id = wholeNumber(object->value(kId), 0, kMaxId);
    if (!id || !body.value(kOk).isBool() || !body.value(kReason).isString()) return std::nullopt;
    return qMakePair(*id, RevertOutcome{body.value(kOk).toBool(), body.value(kReason).toString()});
}

bool hasBadId(const QString& message) {
    const auto object = objectOf(message);
    return object && object->contains(kId) && !wholeNumber(object->value(kId), 0, kMaxId);
}

}  // namespace jexlink
