#pragma once
// The link's JSON in small steps every reader shares: a message as an object,
// an object as compact text, and values read only when they are what and as
// large as the reader allows.

#include <QJsonObject>
#include <QJsonValue>
#include <QPair>
#include <QString>

#include <optional>

namespace jexlink::json {

QString compact(const QJsonObject& object);
std::optional<QJsonObject> objectOf(const QString& message);
// A whole number from `low` to `high`; JSON numbers are doubles, so the range
// is checked before the conversion.
std::optional<qint64> wholeNumber(const QJsonValue& value, qint64 low, qint64 high);
// A string of at most `limit` characters.
std::optional<QString> boundedText(const QJsonValue& value, int limit);
// A profile number: a whole number from 0 up.
std::optional<int> profileOf(const QJsonValue& value);
// The object under `kind` in a message with a good id: the id and that value.
std::optional<QPair<qint64, QJsonValue>> withId(const QString& message, const QString& kind);

}  // namespace jexlink::json
