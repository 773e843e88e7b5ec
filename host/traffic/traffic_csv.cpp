#include "host/traffic/traffic_csv.h"

#include <QStringList>

#include <algorithm>

#include "host/traffic/traffic_model.h"

#include "jex/durable_file.h"

namespace jexhost::traffic {

namespace {

const QString kFieldsTitle = QStringLiteral("Fields");

QString csvLine(const QStringList& fields) {
    QStringList quoted;
    for (const QString& field : fields) quoted << csvField(field);
    return quoted.join(u',') + QStringLiteral("\r\n");
}

QString fieldLines(const QList<FieldLine>& fields) {
    QStringList lines;
    for (const FieldLine& field : fields) lines << field.label + u' ' + field.value;
    return lines.join(u'\n');
}

}  // namespace

QString csvField(const QString& text) {
    static const QString kSpecial = QStringLiteral(",\"\r\n");
    if (std::none_of(text.begin(), text.end(), [](QChar c) { return kSpecial.contains(c); }))
        return text;
    QString quoted = text;
    quoted.replace(u'"', QStringLiteral("\"\""));
    return u'"' + quoted + u'"';
}

QString trafficCsv(const TrafficModel& model) {
    QStringList header;
    for (int c = 0; c < TrafficModel::ColumnCount; ++c)
        header << columnTitle(static_cast<TrafficModel::Column>(c));
    QString csv = csvLine(header << kFieldsTitle);
    for (int r = 0; r < model.rowCount(); ++r) {
        const TrafficRow& row = model.trafficRow(r);
        QStringList cells;
        for (int c = 0; c < TrafficModel::ColumnCount; ++c)
            cells << cellText(row, static_cast<TrafficModel::Column>(c));
        csv += csvLine(cells << fieldLines(row.request.fields));
    }
    return csv;
}

std::optional<QString> saveTrafficCsv(const TrafficModel& model, const QString& path) {
    if (const auto failure = jex::fs::writeFileDurably(path, trafficCsv(model).toUtf8()))
        return QStringLiteral("Cannot save %1: %2").arg(path, failure->reason);
    return std::nullopt;
}

}  // namespace jexhost::traffic
