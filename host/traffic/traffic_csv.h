#pragma once
// The traffic view as CSV (RFC 4180: comma-separated, CRLF line ends, a
// field with a comma, quote or line break in quotes with its quotes
// doubled): the view's columns, then the update fields, one "label value"
// line each.

#include <QString>

#include <optional>

namespace jexhost::traffic {

class TrafficModel;

QString csvField(const QString& text);
QString trafficCsv(const TrafficModel& model);

// Writes the CSV atomically; nothing on success, otherwise what went wrong.
std::optional<QString> saveTrafficCsv(const TrafficModel& model, const QString& path);

}  // namespace jexhost::traffic
