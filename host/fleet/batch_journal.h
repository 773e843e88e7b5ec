#pragma once
// The console's record of its fleet runs, below ROOT/settings/batches (owner
// only: a record keeps the values a batch replaced, passwords included, so
// that it can be undone). Each batch is one file, BATCH.json, written whole
// and durably before the first update is sent and again when the run ends:
// a first line with the batch's summary, then one line per server, so that
// a record is read a server at a time and a damaged line costs only its own
// server. A record is bounded (kMaxBatchServers servers of at most
// kMaxEntryBytes each) before anything of it is read. A finished batch adds
// one summary line to batches.jsonl, which the Batches list reads. Nothing
// of a record is ever logged.

#include <QDateTime>
#include <QJsonObject>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

#include <optional>

#include "host/fleet/fleet_outcome.h"

namespace jexhost::fleet {

// As many servers as a servers file holds.
inline constexpr int kMaxBatchServers = 10000;
// One server's line: its values before and after, weapon lists included.
inline constexpr qint64 kMaxEntryBytes = 64 << 10;
// A whole record: the summary and ten thousand servers of some 8 KiB.
inline constexpr qint64 kMaxRecordBytes = qint64(80) << 20;

// A batch id: UTC time and 48 random bits, "20261207T024501Z-9f3a0c51d2e7".
QString newBatchId();
// Whether `id` could be one (letters, digits, "-", at most 64 characters).
bool isBatchId(const QString& id);

struct BatchServer {
    QString id;    // the server's section in the servers file
    QString name;  // its name then
    Outcome outcome = Outcome::Waiting;
    std::optional<qint64> versionBefore;
    std::optional<qint64> versionAfter;
    QJsonObject before;  // the chosen settings' values before the batch
    QJsonObject after;   // and the values it stored
    // Why the record of this server cannot be trusted (a line that cannot
    // be read, a version that is not a whole number from 1 to 2^53); empty
    // for a sound one.
    QString damage = {};
};

struct BatchSummary {
    QString id;
    QDateTime time;         // UTC, when it started
    QStringList operators;  // as whom the links were welcomed
    QStringList keys;       // the chosen settings
    QString source;         // the preset file or server the values came from
    QString undoes;         // for an undo: the batch it undid
    QStringList servers;    // names
    QMap<Outcome, int> counts;
};

struct BatchRecord {
    BatchSummary summary;
    bool finished = false;
    QList<BatchServer> servers;
};

class BatchJournal {
public:
    explicit BatchJournal(QString folder);
    // ROOT/settings/batches
    static QString folderOf(const QString& hostRoot);
    const QString& folder() const { return folder_; }

    // Writes the whole record (creating the folder owner-only); with
    // `finished` set also appends its summary to the list. A record larger
    // than read() takes is refused.
    bool write(const BatchRecord& record, QString* error) const;
    // A batch's record; nothing, with the reason, when there is none, it is
    // larger than a record may be (refused before it is read), or its
    // summary cannot be read. A server line that cannot be read is that
    // server's damage.
    std::optional<BatchRecord> read(const QString& id, QString* error) const;
    // The finished batches, newest first; unreadable lines are skipped.
    QList<BatchSummary> list(QString* error = nullptr) const;
    // The servers (by id) that undos of batch `id` applied and that were
    // not undone in turn, with the undo that did it; read from the records
    // of the finished undos.
    QMap<QString, QString> undoneServers(const QString& id) const;

private:
    QString folder_;
};

}  // namespace jexhost::fleet
