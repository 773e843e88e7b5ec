#pragma once
// The audit trail: who changed what on which server, one JSON object per line
// in the state folder's "audit.jsonl", owner-only. A record is on disk when
// append() returns true. The file is only ever appended to; when it would
// grow past the rotation size it is archived: renamed "audit-SEQ.jsonl", then
// compressed to "audit-SEQ-TIME.jsonl.gz" (gzip; SEQ counts up, TIME is the
// UTC time of its newest record, "20240501T120000Z"). No record is dropped
// for the trail's size. Retention does not trust the clock alone: an archive
// is removed only once its newest record, and every record archived before
// it, is older than the retention time counted back from the newest record
// the trail holds; while the clock reads a time before that record (set
// back), nothing is removed. A line cut by a crash, or any line that is not
// a JSON object, is skipped on read, and the next append starts on a fresh
// line.

#include <QDateTime>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

#include "remote/store/utc_clock.h"

namespace jexremote {

struct AuditLimits {
    qint64 rotateBytes = 1 << 20;
    int retentionDays = 365;
    UtcClock clock = {};  // the times records carry and retention is judged by
};

// The retention times a command line may ask for.
inline constexpr int kMinAuditDays = 1;
inline constexpr int kMaxAuditDays = 36500;

// No record is longer; a longer line is not read.
inline constexpr qint64 kMaxAuditRecordBytes = 256 * 1024;

class AuditTrail {
public:
    explicit AuditTrail(QString folder, AuditLimits limits = {});

    // Finishes what a stop left half done (an archive not yet compressed),
    // takes the numbered files of an earlier release ("audit.4.jsonl" ..
    // "audit.1.jsonl") in as archives, and removes archives past the
    // retention time. What fails is logged; the trail stays usable.
    void open();

    // Writes the record as one line and syncs it to disk. False, with the
    // reason in `error`, when it cannot; nothing of the record is left then.
    // The length of the line written goes to `length`, as forEach gives it.
    bool append(const QJsonObject& record, QString* error, qint64* length = nullptr);

    // Each readable record of the archives and the current file, oldest
    // first, with the length of its line.
    void forEach(const std::function<void(const QJsonObject&, qint64)>& visit) const;
    QList<QJsonObject> records() const;

    // The archives, oldest first, then the current file when it exists.
    QStringList files() const;

private:
    struct Archive {
        qint64 seq = 0;
        QString path;
        QDateTime newest;  // invalid while not compressed
    };
    QList<Archive> archives() const;
    QString currentFile() const;
    bool rotate(QString* error);
    void compressPending();
    void expire();
    // The time of the newest record the trail holds; invalid when none has one.
    QDateTime newestHeld();

    QString folder_;
    AuditLimits limits_;
    std::optional<QDateTime> newest_;  // newestHeld(), once read
};

}  // namespace jexremote
