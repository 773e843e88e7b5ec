#pragma once
// The audit trail: who changed what on which server, one JSON object per line
// in the state folder's "audit.jsonl", owner-only. A record is on disk when
// append() returns true. The file is only ever appended to; when it would
// grow past the rotation size it becomes "audit.1.jsonl" (and so on, up to a
// bounded number of files, the oldest dropped). A line cut by a crash, or any
// line that is not a JSON object, is skipped on read, and the next append
// starts on a fresh line.

#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>

namespace jexremote {

struct AuditLimits {
    qint64 rotateBytes = 1 << 20;
    int keptFiles = 5;  // audit.jsonl and audit.1.jsonl .. audit.4.jsonl
};

// No record is longer; a longer line is not read.
inline constexpr qint64 kMaxAuditRecordBytes = 256 * 1024;

class AuditTrail {
public:
    explicit AuditTrail(QString folder, AuditLimits limits = {});

    // Writes the record as one line and flushes it to disk. False, with the
    // reason in `error`, when it cannot; nothing of the record is left then.
    bool append(const QJsonObject& record, QString* error);

    // Every readable record of the kept files, oldest first.
    QList<QJsonObject> records() const;
    // The readable records of the current file only (the newest ones).
    QList<QJsonObject> recentRecords() const;

    // The kept files, newest first ("audit.jsonl" first).
    QStringList files() const;

private:
    QString fileAt(int age) const;
    bool rotate(QString* error);

    QString folder_;
    AuditLimits limits_;
};

}  // namespace jexremote
