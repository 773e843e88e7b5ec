#include "remote/envelope.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace jexremote {

namespace {

const QString kId = QStringLiteral("id");
const QString kRequest = QStringLiteral("request");
const QString kAnswer = QStringLiteral("answer");

QString write(qint64 id, const QString& key, const QString& text) {
    const QJsonObject object{{kId, id}, {key, text}};
    return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact));
}

std::optional<Envelope> read(const QString& message, const QString& key) {
    const QJsonDocument document = QJsonDocument::fromJson(message.toUtf8());
    const QJsonObject object = document.object();
    const QJsonValue id = object.value(kId);
    const QJsonValue text = object.value(key);
    if (!document.isObject() || !id.isDouble() || !text.isString()) return std::nullopt;
    return Envelope{id.toInteger(), text.toString()};
}

}  // namespace

QString requestMessage(qint64 id, const QString& request) {
    return write(id, kRequest, request);
}
QString answerMessage(qint64 id, const QString& answer) {
    return write(id, kAnswer, answer);
}

std::optional<Envelope> readRequestMessage(const QString& message) {
    return read(message, kRequest);
}
std::optional<Envelope> readAnswerMessage(const QString& message) {
    return read(message, kAnswer);
}

}  // namespace jexremote
