#include "error_report.h"

#include <QDateTime>
#include <QJsonDocument>
#include <QJsonObject>
#include <QUuid>

#include <array>

#include "atomic_file.h"
#include "host_folder.h"
#include "local_time.h"

namespace zta {

namespace {

// Field names, in the order of the record's entries.
constexpr std::array<const char*, kReportEntries> kFieldNames = {
    "number", "description", "library", "procedure", "critical", "line"};

QJsonObject errorReport(const QVariantList& record) {
    QJsonObject report;
    for (qsizetype i = 0; i < kReportEntries; ++i)
        report.insert(QLatin1String(kFieldNames[static_cast<size_t>(i)]),
                      QJsonValue::fromVariant(record.value(i)));
    report.insert(QStringLiteral("created"), localTimeStamp());
    return report;
}

}  // namespace

QString writeErrorReport(const QVariantList& record) {
    // The time orders the reports for a reader; the UUID keeps names unique.
    const QString name =
        QStringLiteral("error-report-%1-%2.json")
            .arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmsszzz")),
                 QUuid::createUuid().toString(QUuid::WithoutBraces));
    const QString path = hostSubfolder(QStringLiteral("outbox")) + u'/' + name;
    writeFileAtomically(path, QJsonDocument(errorReport(record)).toJson());
    return path;
}

}  // namespace zta
