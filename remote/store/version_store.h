#pragma once
// The last stored versions of each server's settings, for going back:
// "versions/server-N/ID.json" in the state folder, owner-only, each written
// atomically. A version is a JSON object
//   {"version": ID, "time": "2024-05-01T12:00:00.000Z", "operator": NAME,
//    "state": TEXT}
// where TEXT is the server's state file as it was stored, read back with the
// state file's own rules. ID counts up per server and is never handed out
// twice: an id the audit trail has used, even for an update that could not
// be stored, stays used. An update first stages its version as
// "ID.pending.json" and keeps it once the update is stored. Versions are
// kept by count and by age: the last kKeptVersions, and every version of the
// last `keepDays` days, so that no burst of changes pushes out the week's
// versions. Every folder below the state folder is opened without following
// a symbolic link, at each write: a link planted while running is refused.
//
// A server that has no version yet (one never changed here) has its state
// file as version 1, with the file's time and the operator "(state file)".
// The state file is already a durable copy of those settings: writing a
// second one for every server at its first start would cost a synced write
// each (seconds for thousands of servers). The first stage() writes version 1
// down, synced, before the update can replace the state file, so history and
// revert see the same version 1 before and after.

#include <QHash>
#include <QList>
#include <QString>

#include <optional>
#include <variant>

#include "remote/store/server_settings.h"
#include "remote/store/utc_clock.h"

namespace jexremote {

inline constexpr int kKeptVersions = 20;
// Every version of this many last days is kept beside the last 20.
inline constexpr int kDefaultKeepVersionDays = 7;
inline constexpr int kMaxKeepVersionDays = 36500;
// A history answer lists at most this many of them, the newest.
inline constexpr int kMaxListedVersions = 200;

// The operator of versions taken from a state file as found.
inline const QString kStateFileOperator = QStringLiteral("(state file)");

struct VersionInfo {
    qint64 version = 0;
    QString time;
    QString operatorName;
};

struct StoredVersion {
    VersionInfo info;
    ServerSettings settings;
};

class VersionStore {
public:
    explicit VersionStore(QString stateFolder, int keepDays = kDefaultKeepVersionDays,
                          UtcClock clock = {});

    // The kept versions of a server, newest first. A file whose time or
    // operator cannot be read is listed with them empty. Read once, then
    // again after each keep().
    QList<VersionInfo> list(int profile) const;
    // A kept version, or why it cannot be used ("version 7: ...", naming
    // line and setting when its state breaks a rule).
    std::variant<StoredVersion, QString> load(int profile, qint64 version) const;
    // The ids of staged versions, oldest first, and one of them.
    QList<qint64> staged(int profile) const;
    std::variant<StoredVersion, QString> loadStaged(int profile, qint64 version) const;

    qint64 nextVersion(int profile) const;
    // An id the audit trail names (a stored version, or one whose update was
    // undone): nextVersion() never hands it out again.
    void noteUsed(int profile, qint64 version);

    // Keeps `current` as a new version by kStateFileOperator unless it is
    // the newest already (a state file edited by hand while the service was
    // stopped), and returns the id of the version it is. Nothing, with the
    // reason in `error`, when it cannot be written.
    std::optional<qint64> keepFound(int profile, const ServerSettings& current, QString* error);

    // Writes a staged version of settings whose stateFileText() is
    // `stateText` (flushed to disk, owner-only), after version 1 when the
    // state file stood for it.
    bool stage(int profile, const VersionInfo& info, const QByteArray& stateText, QString* error);
    // Keeps a staged version, then removes the oldest beyond kKeptVersions
    // that are older than the days versions are kept.
    bool keep(int profile, qint64 version, QString* error);
    void discard(int profile, qint64 version);

private:
    QString folderOf(int profile) const;
    // Version 1 when the state file stands for it: no version kept or staged.
    std::optional<VersionInfo> foundVersion(int profile) const;
    std::variant<StoredVersion, QString> loadFound(const VersionInfo& info, int profile) const;
    // The server's folder, opened without following links; -1 with the
    // reason in `error` when it cannot be.
    int openFolder(int profile, bool create, QString* error) const;
    bool write(int folder, int profile, const VersionInfo& info, const QByteArray& stateText,
               bool kept, QString* error);
    VersionInfo infoOf(int profile, qint64 version) const;
    void prune(int folder, int profile);
    // The ids kept or staged, oldest first, and what is known of those this
    // process has read or written: the folder is listed once per server,
    // then followed through every write, rename and removal made here.
    struct Known {
        QList<qint64> kept;
        QList<qint64> staged;
        QHash<qint64, VersionInfo> infos;
    };
    Known& known(int profile) const;
    QList<qint64> listed(int profile, const QString& suffix) const;
    QList<qint64> ids(int profile, const QString& suffix) const;
    VersionInfo knownInfo(int profile, qint64 version) const;
    std::variant<StoredVersion, QString> read(int profile, qint64 version,
                                              const QString& suffix) const;

    QString stateFolder_;
    QString folder_;
    int keepDays_;
    UtcClock clock_;
    mutable QHash<int, QList<VersionInfo>> listed_;  // newest first
    mutable QHash<int, Known> known_;
    QHash<int, qint64> used_;  // the highest id the trail names
};

}  // namespace jexremote
