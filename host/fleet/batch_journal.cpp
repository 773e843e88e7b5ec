#include "host/fleet/batch_journal.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QRandomGenerator>
#include <QRegularExpression>

#include <algorithm>

#include "jex/durable_file.h"
#include "link/link_messages.h"

namespace jexhost::fleet {

namespace {

const QString kListFile = QStringLiteral("batches.jsonl");
// Far beyond a batch of 10 000 servers with their weapon lists.
constexpr qint64 kMaxRecordBytes = qint64(512) << 20;
constexpr qint64 kMaxListBytes = qint64(64) << 20;

QJsonValue versionJson(const std::optional<qint64>& version) {
    return version ? QJsonValue(*version) : QJsonValue();
}

std::optional<qint64> versionOf(const QJsonValue& value) {
    if (!value.isDouble()) return std::nullopt;
    return value.toInteger();
}

QStringList texts(const QJsonValue& value) {
    QStringList list;
    for (const QJsonValue& item : value.toArray()) list << item.toString();
    return list;
}

QJsonObject summaryJson(const BatchSummary& summary) {
    QJsonObject counts;
    for (auto count = summary.counts.begin(); count != summary.counts.end(); ++count)
        counts.insert(outcomeWord(count.key()), count.value());
    return {{QStringLiteral("id"), summary.id},
            {QStringLiteral("time"), summary.time.toUTC().toString(Qt::ISODate)},
            {QStringLiteral("operators"), QJsonArray::fromStringList(summary.operators)},
            {QStringLiteral("settings"), QJsonArray::fromStringList(summary.keys)},
            {QStringLiteral("source"), summary.source},
            {QStringLiteral("undoes"), summary.undoes},
            {QStringLiteral("servers"), QJsonArray::fromStringList(summary.servers)},
            {QStringLiteral("counts"), counts}};
}

std::optional<BatchSummary> summaryOf(const QJsonObject& object) {
    BatchSummary summary;
    summary.id = object.value(QStringLiteral("id")).toString();
    if (!isBatchId(summary.id)) return std::nullopt;
    summary.time =
        QDateTime::fromString(object.value(QStringLiteral("time")).toString(), Qt::ISODate);
    summary.operators = texts(object.value(QStringLiteral("operators")));
    summary.keys = texts(object.value(QStringLiteral("settings")));
    summary.source = object.value(QStringLiteral("source")).toString();
    summary.undoes = object.value(QStringLiteral("undoes")).toString();
    summary.servers = texts(object.value(QStringLiteral("servers")));
    const QJsonObject counts = object.value(QStringLiteral("counts")).toObject();
    for (auto count = counts.begin(); count != counts.end(); ++count)
        if (const Outcome outcome = outcomeOfWord(count.key()); outcome != Outcome::Waiting)
            summary.counts.insert(outcome, count->toInt());
    return summary;
}

QJsonObject serverJson(const BatchServer& server) {
    return {{QStringLiteral("id"), server.id},
            {QStringLiteral("name"), server.name},
            {QStringLiteral("outcome"), outcomeWord(server.outcome)},
            {QStringLiteral("versionBefore"), versionJson(server.versionBefore)},
            {QStringLiteral("versionAfter"), versionJson(server.versionAfter)},
            {QStringLiteral("before"), server.before},
            {QStringLiteral("after"), server.after}};
}

BatchServer serverOf(const QJsonObject& object) {
    BatchServer server;
    server.id = object.value(QStringLiteral("id")).toString();
    server.name = object.value(QStringLiteral("name")).toString();
    server.outcome = outcomeOfWord(object.value(QStringLiteral("outcome")).toString());
    server.versionBefore = versionOf(object.value(QStringLiteral("versionBefore")));
    server.versionAfter = versionOf(object.value(QStringLiteral("versionAfter")));
    server.before = object.value(QStringLiteral("before")).toObject();
    server.after = object.value(QStringLiteral("after")).toObject();
    return server;
}

}  // namespace

QString newBatchId() {
    const quint64 random = QRandomGenerator::system()->generate64() & 0xFFFFFFFFFFFFULL;
    return QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd'T'HHmmss'Z-'")) +
           QStringLiteral("%1").arg(random, 12, 16, QLatin1Char('0'));
}

bool isBatchId(const QString& id) {
    static const QRegularExpression pattern(QStringLiteral("^[A-Za-z0-9-]+$"));
    return !id.isEmpty() && id.size() <= jexlink::kMaxBatchIdLength && pattern.match(id).hasMatch();
}

BatchJournal::BatchJournal(QString folder) : folder_(std::move(folder)) {}

QString BatchJournal::folderOf(const QString& hostRoot) {
    return hostRoot + QStringLiteral("/settings/batches");
}

bool BatchJournal::write(const BatchRecord& record, QString* error) const {
    if (!isBatchId(record.summary.id)) {
        *error = QStringLiteral("not a batch id: ") + record.summary.id;
        return false;
    }
    if (const auto failed = jex::fs::createOwnerOnlyFolder(folder_)) {
        *error = failed->text;
        return false;
    }
    QJsonArray servers;
    for (const BatchServer& server : record.servers) servers.append(serverJson(server));
    QJsonObject object = summaryJson(record.summary);
    object.insert(QStringLiteral("finished"), record.finished);
    object.insert(QStringLiteral("servers"), servers);
    const QString file = folder_ + u'/' + record.summary.id + QStringLiteral(".json");
    if (const auto failed =
            jex::fs::writeFileDurably(file, QJsonDocument(object).toJson(QJsonDocument::Compact))) {
        *error = failed->text;
        return false;
    }
    if (!record.finished) return true;
    const QByteArray line =
        QJsonDocument(summaryJson(record.summary)).toJson(QJsonDocument::Compact) + '\n';
    if (const auto failed = jex::fs::appendLineDurably(folder_ + u'/' + kListFile, line)) {
        *error = failed->text;
        return false;
    }
    return true;
}

std::optional<BatchRecord> BatchJournal::read(const QString& id, QString* error) const {
    if (!isBatchId(id)) {
        *error = QStringLiteral("not a batch id: ") + id;
        return std::nullopt;
    }
    const QString file = folder_ + u'/' + id + QStringLiteral(".json");
    if (!QFileInfo::exists(file)) {
        *error = QStringLiteral("no batch %1 in %2").arg(id, folder_);
        return std::nullopt;
    }
    const auto bytes = jex::fs::readRegularFile(file, kMaxRecordBytes + 1, error);
    if (!bytes) return std::nullopt;
    const QJsonObject object = QJsonDocument::fromJson(*bytes).object();
    auto summary = summaryOf(object);
    if (bytes->size() > kMaxRecordBytes || !summary || summary->id != id) {
        *error = file + QStringLiteral(": not a batch record");
        return std::nullopt;
    }
    BatchRecord record;
    record.summary = std::move(*summary);
    record.finished = object.value(QStringLiteral("finished")).toBool();
    for (const QJsonValue& server : object.value(QStringLiteral("servers")).toArray())
        record.servers.append(serverOf(server.toObject()));
    record.summary.servers.clear();
    for (const BatchServer& server : record.servers) record.summary.servers << server.name;
    return record;
}

QList<BatchSummary> BatchJournal::list(QString* error) const {
    QList<BatchSummary> batches;
    const QString file = folder_ + u'/' + kListFile;
    if (!QFileInfo::exists(file)) return batches;
    QString reason;
    const auto bytes = jex::fs::readRegularFile(file, kMaxListBytes, &reason);
    if (!bytes) {
        if (error) *error = reason;
        return batches;
    }
    for (const QByteArray& line : bytes->split('\n'))
        if (const auto summary = summaryOf(QJsonDocument::fromJson(line).object()))
            batches.prepend(*summary);
    return batches;
}

}  // namespace jexhost::fleet
