#include "host/fleet/batch_journal.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QRandomGenerator>
#include <QRegularExpression>

#include <algorithm>
#include <functional>

#include "jex/durable_file.h"
#include "link/link_messages.h"

namespace jexhost::fleet {

namespace {

const QString kListFile = QStringLiteral("batches.jsonl");
constexpr qint64 kMaxListBytes = qint64(64) << 20;
const QString kEntries = QStringLiteral("entries");
// An undo of an undo of ... is followed this deep.
constexpr int kMaxUndoDepth = 16;

QJsonValue versionJson(const std::optional<qint64>& version) {
    return version ? QJsonValue(*version) : QJsonValue();
}

// Null is no version; anything but a whole number from 1 to 2^53 is damage.
std::optional<qint64> versionOf(const QJsonValue& value, const QString& name, QString* damage) {
    if (value.isNull() || value.isUndefined()) return std::nullopt;
    const double number = value.toDouble(-1);
    if (!value.isDouble() || number < 1 || number > double(jexlink::kMaxId) ||
        number != double(qint64(number))) {
        *damage = QStringLiteral("its %1 is not a version").arg(name);
        return std::nullopt;
    }
    return qint64(number);
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
    server.versionBefore = versionOf(object.value(QStringLiteral("versionBefore")),
                                     QStringLiteral("versionBefore"), &server.damage);
    server.versionAfter = versionOf(object.value(QStringLiteral("versionAfter")),
                                    QStringLiteral("versionAfter"), &server.damage);
    server.before = object.value(QStringLiteral("before")).toObject();
    server.after = object.value(QStringLiteral("after")).toObject();
    if (server.id.isEmpty()) server.damage = QStringLiteral("it names no server");
    return server;
}

// A server line: one JSON object of at most kMaxEntryBytes.
BatchServer serverOfLine(const QByteArray& line, int number) {
    const QJsonDocument document =
        line.size() > kMaxEntryBytes ? QJsonDocument() : QJsonDocument::fromJson(line);
    if (document.isObject()) return serverOf(document.object());
    BatchServer damaged;
    damaged.name = QStringLiteral("server %1 of the record").arg(number);
    damaged.damage = line.size() > kMaxEntryBytes
                         ? QStringLiteral("its line is longer than %1 bytes").arg(kMaxEntryBytes)
                         : QStringLiteral("its line cannot be read");
    return damaged;
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
    if (record.servers.size() > kMaxBatchServers) {
        *error = QStringLiteral("a batch holds at most %1 servers").arg(kMaxBatchServers);
        return false;
    }
    QJsonObject header = summaryJson(record.summary);
    header.insert(QStringLiteral("finished"), record.finished);
    header.insert(kEntries, record.servers.size());
    QByteArray bytes = QJsonDocument(header).toJson(QJsonDocument::Compact) + '\n';
    for (const BatchServer& server : record.servers) {
        const QByteArray line = QJsonDocument(serverJson(server)).toJson(QJsonDocument::Compact);
        // What could not be read back could not be undone.
        if (line.size() > kMaxEntryBytes || bytes.size() + line.size() >= kMaxRecordBytes) {
            *error = QStringLiteral("the record of server %1 would be too large to be read back")
                         .arg(server.name);
            return false;
        }
        bytes += line + '\n';
    }
    const QString file = folder_ + u'/' + record.summary.id + QStringLiteral(".json");
    if (const auto failed = jex::fs::writeFileDurably(file, bytes)) {
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
    // Judged by its size before a byte of it is read.
    const auto tooLarge = [&] {
        *error = QStringLiteral("%1: larger than a batch of %2 servers can be (%3 MiB); not read")
                     .arg(file)
                     .arg(kMaxBatchServers)
                     .arg(kMaxRecordBytes >> 20);
        return std::nullopt;
    };
    if (QFileInfo(file).size() > kMaxRecordBytes) return tooLarge();
    const auto bytes = jex::fs::readRegularFile(file, kMaxRecordBytes + 1, error);
    if (!bytes) return std::nullopt;
    if (bytes->size() > kMaxRecordBytes) return tooLarge();  // grew meanwhile
    const auto firstEnd = bytes->indexOf('\n');
    const QJsonObject header =
        QJsonDocument::fromJson(firstEnd < 0 ? *bytes : bytes->first(firstEnd)).object();
    auto summary = summaryOf(header);
    if (!summary || summary->id != id || !header.value(kEntries).isDouble()) {
        *error = file + QStringLiteral(": not a batch record");
        return std::nullopt;
    }
    BatchRecord record;
    record.summary = std::move(*summary);
    record.finished = header.value(QStringLiteral("finished")).toBool();
    const qint64 entries = header.value(kEntries).toInteger(-1);
    qsizetype at = firstEnd < 0 ? bytes->size() : firstEnd + 1;
    while (at < bytes->size()) {
        auto end = bytes->indexOf('\n', at);
        if (end < 0) end = bytes->size();
        if (record.servers.size() == kMaxBatchServers) {
            *error = file + QStringLiteral(": more than %1 servers").arg(kMaxBatchServers);
            return std::nullopt;
        }
        const int number = static_cast<int>(record.servers.size()) + 1;
        record.servers.append(serverOfLine(bytes->sliced(at, end - at), number));
        at = end + 1;
    }
    // Records are replaced whole, so one cut short was not written by a run:
    // which servers it lost cannot be told.
    if (entries != record.servers.size()) {
        *error =
            file +
            QStringLiteral(": holds %1 of its %2 servers").arg(record.servers.size()).arg(entries);
        return std::nullopt;
    }
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

QMap<QString, QString> BatchJournal::undoneServers(const QString& id) const {
    const QList<BatchSummary> batches = list();
    const std::function<QMap<QString, QString>(const QString&, int)> undoneOf =
        [&](const QString& batch, int depth) {
            QMap<QString, QString> undone;
            if (depth > kMaxUndoDepth) return undone;
            for (const BatchSummary& undo : batches) {
                if (undo.undoes != batch || undo.counts.value(Outcome::Applied) == 0) continue;
                QString error;
                const auto record = read(undo.id, &error);
                if (!record) continue;
                const QMap<QString, QString> redone = undoneOf(undo.id, depth + 1);
                for (const BatchServer& server : record->servers)
                    if (server.outcome == Outcome::Applied && !redone.contains(server.id) &&
                        !undone.contains(server.id))
                        undone.insert(server.id, undo.id);
            }
            return undone;
        };
    return undoneOf(id, 0);
}

}  // namespace jexhost::fleet
