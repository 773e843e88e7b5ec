#include "link/json_fields.h"

#include <QJsonDocument>

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

}  // namespace jexlink::json
