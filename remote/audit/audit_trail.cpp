#include "remote/audit/audit_trail.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "remote/store/folder_sync.h"

namespace jexremote {

namespace {

// A file may have been appended to by hand; only its newest part is read.
constexpr qint64 kMaxReadBytes = 4 << 20;

QList<QJsonObject> readFile(const QString& path) {
    QList<QJsonObject> records;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return records;
    const qint64 from = qMax<qint64>(0, file.size() - kMaxReadBytes);
    file.seek(from);
    QList<QByteArray> lines = file.read(kMaxReadBytes).split('\n');
    if (from > 0 && !lines.isEmpty()) lines.removeFirst();  // begun before the part read
    for (const QByteArray& line : lines) {
        if (line.isEmpty() || line.size() > kMaxAuditRecordBytes) continue;
        const QJsonDocument document = QJsonDocument::fromJson(line);
        if (document.isObject()) records.append(document.object());
    }
    return records;
}

bool writeAll(int fd, const QByteArray& bytes) {
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += n;
    }
    return true;
}

// True when the file is empty or ends with a line break: a crash may have
// left half a line, which the next record must not continue.
bool endsWithLineBreak(int fd, off_t size) {
    if (size == 0) return true;
    char last = 0;
    return ::pread(fd, &last, 1, size - 1) == 1 && last == '\n';
}

}  // namespace

AuditTrail::AuditTrail(QString folder, AuditLimits limits)
    : folder_(std::move(folder)), limits_(limits) {}

QString AuditTrail::fileAt(int age) const {
    const QString name =
        age == 0 ? QStringLiteral("audit.jsonl") : QStringLiteral("audit.%1.jsonl").arg(age);
    return QDir(folder_).filePath(name);
}

QStringList AuditTrail::files() const {
    QStringList kept;
    for (int age = 0; age < limits_.keptFiles; ++age)
        if (QFile::exists(fileAt(age))) kept << fileAt(age);
    return kept;
}

bool AuditTrail::rotate(QString* error) {
    const int oldest = limits_.keptFiles - 1;
    if (QFile::exists(fileAt(oldest)) && !QFile::remove(fileAt(oldest))) {
        *error = QStringLiteral("cannot remove %1").arg(fileAt(oldest));
        return false;
    }
    for (int age = oldest - 1; age >= 0; --age) {
        if (!QFile::exists(fileAt(age))) continue;
        if (!QFile::rename(fileAt(age), fileAt(age + 1))) {
            *error = QStringLiteral("cannot rename %1").arg(fileAt(age));
            return false;
        }
    }
    return true;
}

bool AuditTrail::append(const QJsonObject& record, QString* error) {
    QByteArray line = QJsonDocument(record).toJson(QJsonDocument::Compact) + '\n';
    if (line.size() > kMaxAuditRecordBytes) {
        *error = QStringLiteral("an audit record of %1 bytes").arg(line.size());
        return false;
    }
    const QString path = fileAt(0);
    QFileInfo info(path);
    if (info.exists() && info.size() > 0 && info.size() + line.size() > limits_.rotateBytes &&
        !rotate(error))
        return false;

    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
        *error =
            QStringLiteral("cannot open %1: %2").arg(path, QString::fromLocal8Bit(strerror(errno)));
        return false;
    }
    struct stat st {};
    bool ok = ::fstat(fd, &st) == 0 && ::fchmod(fd, 0600) == 0;
    const off_t before = st.st_size;
    if (ok && !endsWithLineBreak(fd, before)) line.prepend('\n');
    ok = ok && writeAll(fd, line) && ::fsync(fd) == 0;
    if (!ok) {
        *error = QStringLiteral("cannot write %1: %2")
                     .arg(path, QString::fromLocal8Bit(strerror(errno)));
        if (::ftruncate(fd, before) == 0) (void)::fsync(fd);  // leave no part of the record
    }
    ::close(fd);
    // A new file's name must be on disk too.
    if (ok && before == 0 && !syncFolder(folder_)) {
        *error = QStringLiteral("cannot sync the folder of %1").arg(path);
        return false;
    }
    return ok;
}

QList<QJsonObject> AuditTrail::records() const {
    QList<QJsonObject> all;
    for (int age = limits_.keptFiles - 1; age >= 0; --age) all += readFile(fileAt(age));
    return all;
}

QList<QJsonObject> AuditTrail::recentRecords() const {
    return readFile(fileAt(0));
}

}  // namespace jexremote
