#include "link/json_fields.h"

#include <QJsonDocument>

#include <climits>

#include "link/link_messages.h"
#include "link/link_words.h"

namespace jexlink::json {

QString compact(const QJsonObject& object) {
    return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact));
}

std::optional<QJsonObject> objectOf(const QString& message) {
    const QJsonDocument document = QJsonDocument::fromJson(message.toUtf8());
    if (!document.isObject()) return std::nullopt;
    return document.object();
}

std::optional<qint64> wholeNumber(const QJsonValue& value, qint64 low, qint64 high) {
    if (!value.isDouble()) return std::nullopt;
    const double number = value.toDouble();
    if (!(number >= double(low) && number <= double(high)) || number != double(qint64(number)))
        return std::nullopt;
    return qint64(number);
}

std::optional<QString> boundedText(const QJsonValue& value, int limit) {
    if (!value.isString() || value.toString().size() > limit) return std::nullopt;
    return value.toString();
}

std::optional<int> profileOf(const QJsonValue& value) {
    const auto profile = wholeNumber(value, 0, INT_MAX);
    return profile ? std::optional<int>(int(*profile)) : std::nullopt;
}

std::optional<QPair<qint64, QJsonValue>> withId(const QString& message, const QString& kind) {
    const auto object = objectOf(message);
    if (!object || !object->contains(kind)) return std::nullopt;
    const auto id = wholeNumber(object->value(field::kId), 0, kMaxId);
    if (!id) return std::nullopt;
    return QPair<qint64, QJsonValue>{*id, object->value(kind)};
}

}  // namespace jexlink::json
