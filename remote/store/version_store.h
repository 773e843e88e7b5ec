#pragma once
// The last stored versions of each server's settings, for going back:
// "versions/server-N/ID.json" in the state folder, owner-only, each written
// atomically. A version is a JSON object
//   {"version": ID, "time": "2024-05-01T12:00:00.000Z", "operator": NAME,
//    "state": TEXT}
// where TEXT is the server's state file as it was stored, read back with the
// state file's own rules. ID counts up per server. An update first stages its
// version as "ID.pending.json" and keeps it once the update is stored; the
// oldest beyond the last kKeptVersions are removed.

#include <QHash>
#include <QList>
#include <QString>

#include <variant>

#include "remote/store/server_settings.h"

namespace jexremote {

inline constexpr int kKeptVersions = 20;

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
    explicit VersionStore(QString stateFolder);

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

    // Writes a staged version (flushed to disk, owner-only).
    bool stage(int profile, const VersionInfo& info, const ServerSettings& settings,
               QString* error);
    // Keeps a staged version, then removes the oldest beyond kKeptVersions.
    bool keep(int profile, qint64 version, QString* error);
    void discard(int profile, qint64 version);

private:
    QString folderOf(int profile) const;
    QList<qint64> ids(int profile, const QString& suffix) const;
    std::variant<StoredVersion, QString> read(const QString& path, qint64 version) const;

    QString folder_;
    mutable QHash<int, QList<VersionInfo>> listed_;
};

}  // namespace jexremote
