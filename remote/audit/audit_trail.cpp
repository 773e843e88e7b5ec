#include "remote/audit/audit_trail.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QTimeZone>

#include <sys/stat.h>

#include <algorithm>

#include "jex/durable_file.h"
#include "link/link_words.h"
#include "remote/audit/audit_log.h"
#include "remote/audit/gzip_text.h"

namespace jexremote {

namespace {

// A file appended to by hand may be larger; only this much of it is read.
constexpr qint64 kMaxReadBytes = 64 << 20;
const QString kCurrent = QStringLiteral("audit.jsonl");
const QString kTimeFormat = QStringLiteral("yyyyMMdd'T'HHmmss'Z'");
// "audit-000007.jsonl" (not yet compressed) or "audit-000007-20240501T120000Z.jsonl.gz".
const QRegularExpression kArchiveName(
    QStringLiteral("^audit-([0-9]{6,12})(?:-([0-9]{8}T[0-9]{6}Z)\\.jsonl\\.gz|\\.jsonl)$"));
constexpr int kEarlierKeptFiles = 5;  // audit.1.jsonl .. audit.4.jsonl

qint64 sizeOf(const QString& path) {
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_size : -1;
}

// The text of a trail file, uncompressed.
std::optional<QByteArray> readTrailFile(const QString& path, QString* error) {
    auto bytes = jex::fs::readRegularFile(path, kMaxReadBytes, error);
    if (!bytes || !path.endsWith(u".gz")) return bytes;
    auto text = gunzipped(*bytes, kMaxReadBytes);
    if (!text) *error = QStringLiteral("%1: not a whole gzip file").arg(path);
    return text;
}

template <typename Visit>
void forEachLine(const QByteArray& text, Visit visit) {
    qsizetype from = 0;
    while (from < text.size()) {
        qsizetype end = text.indexOf('\n', from);
        if (end < 0) end = text.size();
        const qsizetype length = end - from;
        if (length > 0 && length <= kMaxAuditRecordBytes) {
            const QJsonDocument document = QJsonDocument::fromJson(text.sliced(from, length));
            if (document.isObject()) visit(document.object(), qint64(length));
        }
        from = end + 1;
    }
}

QDateTime timeOf(const QJsonObject& record) {
    const QDateTime time =
        QDateTime::fromString(record.value(jexlink::field::kTime).toString(), Qt::ISODateWithMs);
    return time.isValid() ? time.toUTC() : QDateTime();
}

QDateTime later(const QDateTime& a, const QDateTime& b) {
    if (!a.isValid()) return b;
    return b.isValid() && b > a ? b : a;
}

// The time of the newest record of a trail file's text, wherever it stands:
// after the clock was set back, the last record is not the newest.
QDateTime newestTime(const QByteArray& text) {
    QDateTime newest;
    forEachLine(text,
                [&](const QJsonObject& record, qint64) { newest = later(newest, timeOf(record)); });
    return newest;
}

void syncOrLog(const QString& folder) {
    if (const auto failure = jex::fs::syncFolder(folder))
        qCWarning(lcRemote).noquote() << failure->text;
}

}  // namespace

AuditTrail::AuditTrail(QString folder, AuditLimits limits)
    : folder_(std::move(folder)), limits_(limits) {}

QString AuditTrail::currentFile() const {
    return QDir(folder_).filePath(kCurrent);
}

QList<AuditTrail::Archive> AuditTrail::archives() const {
    QMap<qint64, Archive> bySeq;
    const QStringList names =
        QDir(folder_).entryList({QStringLiteral("audit-*.jsonl*")}, QDir::Files | QDir::System);
    for (const QString& name : names) {
        const auto match = kArchiveName.match(name);
        if (!match.hasMatch()) continue;
        const qint64 seq = match.captured(1).toLongLong();
        Archive archive{seq, QDir(folder_).filePath(name), {}};
        if (match.hasCaptured(2)) {
            archive.newest = QDateTime::fromString(match.captured(2), kTimeFormat);
            archive.newest.setTimeZone(QTimeZone::utc());  // the name's time is UTC
        }
        // A compressed archive is whole (it is written atomically): it wins.
        if (!bySeq.contains(seq) || archive.newest.isValid()) bySeq.insert(seq, archive);
    }
    return bySeq.values();
}

QStringList AuditTrail::files() const {
    QStringList paths;
    for (const Archive& archive : archives()) paths << archive.path;
    if (QFile::exists(currentFile())) paths << currentFile();
    return paths;
}

void AuditTrail::open() {
    // An earlier release numbered its files from the newest (audit.1.jsonl).
    const QList<Archive> found = archives();
    qint64 seq = found.isEmpty() ? 0 : found.last().seq;
    for (int age = kEarlierKeptFiles - 1; age >= 1; --age) {
        const QString earlier = QDir(folder_).filePath(QStringLiteral("audit.%1.jsonl").arg(age));
        if (!QFile::exists(earlier)) continue;
        const QString archive =
            QDir(folder_).filePath(QStringLiteral("audit-%1.jsonl").arg(++seq, 6, 10, QChar(u'0')));
        if (!QFile::rename(earlier, archive))
            qCWarning(lcRemote).noquote() << "cannot take" << earlier << "in as an archive";
    }
    syncOrLog(folder_);
    compressPending();
    expire();
}

void AuditTrail::compressPending() {
    for (const Archive& archive : archives()) {
        const QString plain = QDir(folder_).filePath(
            QStringLiteral("audit-%1.jsonl").arg(archive.seq, 6, 10, QChar(u'0')));
        if (archive.newest.isValid()) {
            // Compressed before a stop, the plain one still there.
            if (QFile::exists(plain)) QFile::remove(plain);
            continue;
        }
        QString error;
        const auto text = readTrailFile(plain, &error);
        const QByteArray gzip = text ? gzipped(*text) : QByteArray();
        if (gzip.isEmpty()) {
            qCWarning(lcRemote).noquote() << "cannot compress" << plain << error;
            continue;
        }
        const QDateTime newest = newestTime(*text);
        const QString compressed = QDir(folder_).filePath(
            QStringLiteral("audit-%1-%2.jsonl.gz")
                .arg(archive.seq, 6, 10, QChar(u'0'))
                .arg((newest.isValid() ? newest : utcNow(limits_.clock)).toString(kTimeFormat)));
        if (const auto failure = jex::fs::writeFileDurably(compressed, gzip)) {
            // Kept as it is; compressed at the next rotation or start.
            qCWarning(lcRemote).noquote() << "cannot archive" << plain << ":" << failure->text;
            continue;
        }
        QFile::remove(plain);
        syncOrLog(folder_);
        qCInfo(lcRemote).noquote()
            << "archived the audit records of" << plain << "in" << compressed;
    }
}

QDateTime AuditTrail::newestHeld() {
    if (!newest_) {
        QDateTime newest;
        for (const Archive& archive : archives()) {
            if (archive.newest.isValid()) {
                newest = later(newest, archive.newest);
                continue;
            }
            QString error;  // not compressed yet: its records say
            if (const auto text = readTrailFile(archive.path, &error))
                newest = later(newest, newestTime(*text));
        }
        QString error;
        if (const auto text = readTrailFile(currentFile(), &error))
            newest = later(newest, newestTime(*text));
        newest_ = newest;
    }
    return *newest_;
}

// A clock set ahead must not age every record at once, and records written
// under a clock set back must not look old once it is right again. So an
// archive's records count as written no earlier than any record archived
// before them, and their age is counted back from the newest record the
// trail holds, never from a clock that is ahead of it; a clock behind it
// removes nothing.
void AuditTrail::expire() {
    const QDateTime now = utcNow(limits_.clock);
    const QDateTime newest = newestHeld();
    if (!newest.isValid()) return;
    if (now < newest) {
        qCWarning(lcRemote).noquote()
            << "audit trail: the clock" << now.toString(Qt::ISODateWithMs)
            << "is before the newest audit record" << newest.toString(Qt::ISODateWithMs)
            << "; no archive removed";
        return;
    }
    const QDateTime oldestKept = newest.addDays(-limits_.retentionDays);
    QDateTime written;  // no earlier than this, the archives so far
    bool removed = false;
    for (const Archive& archive : archives()) {
        if (!archive.newest.isValid()) continue;  // not compressed yet
        written = later(written, archive.newest);
        if (written >= oldestKept) break;
        // The name may be an earlier release's (its last record's time): the
        // records themselves decide.
        QString error;
        const auto text = readTrailFile(archive.path, &error);
        if (!text) {
            qCWarning(lcRemote).noquote() << "audit trail:" << error << "; not removed";
            continue;
        }
        written = later(written, newestTime(*text));
        if (written >= oldestKept) break;
        if (!QFile::remove(archive.path)) {
            qCWarning(lcRemote).noquote() << "cannot remove" << archive.path;
            continue;
        }
        removed = true;
        qCInfo(lcRemote).noquote()
            << "removed" << archive.path << ": all its records are older than"
            << limits_.retentionDays << "days";
    }
    if (removed) syncOrLog(folder_);
}

bool AuditTrail::rotate(QString* error) {
    const QList<Archive> found = archives();
    const qint64 seq = found.isEmpty() ? 1 : found.last().seq + 1;
    const QString archive =
        QDir(folder_).filePath(QStringLiteral("audit-%1.jsonl").arg(seq, 6, 10, QChar(u'0')));
    if (!QFile::rename(currentFile(), archive)) {
        *error = QStringLiteral("cannot rename %1 to %2").arg(currentFile(), archive);
        return false;
    }
    if (const auto failure = jex::fs::syncFolder(folder_)) {
        *error = failure->text;
        return false;
    }
    // Compressing and expiring cost no record when they fail: both are tried
    // again at the next rotation.
    compressPending();
    expire();
    return true;
}

bool AuditTrail::append(const QJsonObject& record, QString* error, qint64* length) {
    const QByteArray line = QJsonDocument(record).toJson(QJsonDocument::Compact) + '\n';
    if (line.size() > kMaxAuditRecordBytes) {
        *error = QStringLiteral("an audit record of %1 bytes").arg(line.size());
        return false;
    }
    const qint64 size = sizeOf(currentFile());
    if (size > 0 && size + line.size() > limits_.rotateBytes && !rotate(error)) return false;
    if (const auto failure = jex::fs::appendLineDurably(currentFile(), line)) {
        *error = failure->text;
        return false;
    }
    if (newest_) newest_ = later(*newest_, timeOf(record));
    if (length) *length = line.size() - 1;  // without its line feed
    return true;
}

void AuditTrail::forEach(const std::function<void(const QJsonObject&, qint64)>& visit) const {
    for (const QString& path : files()) {
        QString error;
        const auto text = readTrailFile(path, &error);
        if (!text) {
            qCWarning(lcRemote).noquote() << "audit trail:" << error;
            continue;
        }
        forEachLine(*text, visit);
    }
}

QList<QJsonObject> AuditTrail::records() const {
    QList<QJsonObject> all;
    forEach([&](const QJsonObject& record, qint64) { all.append(record); });
    return all;
}

}  // namespace jexremote
