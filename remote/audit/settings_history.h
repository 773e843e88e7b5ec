#pragma once
// Stores a server's new settings so that who changed what, and the way back,
// survive a crash. An update is stored in this order:
//   1. its version is staged (flushed to disk);
//   2. its audit record is appended (flushed to disk): from here on the
//      update counts as made;
//   3. the state file is replaced;
//   4. the staged version is kept.
// Only then is the update answered "1". When step 1 or 2 fails nothing has
// changed. When step 3 fails, a record saying the update was undone follows
// its record and the staged version is dropped. After a stop between steps 2
// and 4, open() finishes the update from its staged version; a staged version
// without a record (a stop between 1 and 2) is dropped.
//
// History answers come from an index kept in memory, built at open() from the
// whole retained trail and updated on each append: for each server and each
// operator, that operator's newest records (enough for one answer). So an
// answer costs the same whatever the trail's size, and no operator's flood of
// updates hides another operator's records: when more records qualify than
// one answer holds, every operator's newest records are taken before anyone's
// older ones.

#include <QHash>
#include <QJsonArray>
#include <QString>

#include <optional>

#include "link/audit_record.h"
#include "link/link_messages.h"
#include "remote/audit/audit_trail.h"
#include "remote/store/server_settings.h"
#include "remote/store/version_store.h"

namespace jexremote {

class ServerStore;

// Who asks for a change, and how it came about.
struct ChangeOrigin {
    QString operatorName;
    QString tag;                            // the request's host tag; empty for a revert
    std::optional<qint64> revertOf;         // the version a revert restores
    QString batch = {};                     // the fleet batch the request belongs to
    std::optional<qint64> mergedWith = {};  // the later version an update was merged with
};

// What an operator did to a profile's game: an action (start, stop, restart,
// kill) or a console line, masked by the caller.
struct GameAction {
    enum Kind { Control, Command } kind;
    QString text;
};

// At most this many records, and about this many bytes of them, in one history.
inline constexpr int kMaxHistoryRecords = 200;
inline constexpr qint64 kMaxHistoryBytes = 512 * 1024;

class SettingsHistory {
public:
    SettingsHistory(ServerStore& store, const QString& stateFolder, AuditLimits limits = {},
                    int keepVersionDays = kDefaultKeepVersionDays);

    // Reads the audit trail into the index, finishes or drops updates a stop
    // interrupted, and keeps each server's current settings as a version when
    // they are not its newest one (a state file edited by hand; a new server's
    // state file is its first version as it is). False, with the reason in
    // `error`, when that cannot be written.
    bool open(QString* error);

    // Stores `after` as the profile's settings (see above). The new version,
    // or nothing with the reason in `error`; the profile keeps `before`.
    std::optional<VersionInfo> store(int profile, const ServerSettings& before,
                                     const ServerSettings& after, const ChangeOrigin& origin,
                                     QString* error);

    // Records an update that would change nothing: no version is stored and
    // the profile keeps the one it holds, which the record names. False,
    // with the reason in `error`, when the record cannot be written.
    bool recordUnchanged(int profile, const ChangeOrigin& origin, QString* error);

    // Records what an operator did to the profile's game. The settings are
    // untouched. False, with the reason in `error`, when the record cannot be
    // written.
    bool recordGameAction(int profile, const QString& operatorName, const GameAction& action,
                          QString* error);

    // The version of the settings the profile holds now; 0 for a profile
    // not managed here.
    qint64 currentVersion(int profile) const { return current_.value(profile); }

    // Who made the newest stored change after version `after` that touched
    // the setting (`key` as the audit trail names it, with the role or
    // weapon for those), and when. Nothing when no record still held says.
    std::optional<VersionInfo> lastChange(int profile, qint64 after, const QString& key,
                                          const QString& entry) const;

    // A server's records, newest first, bounded, and its kept versions.
    jexlink::History history(int profile) const;

    const VersionStore& versions() const { return versions_; }
    const AuditTrail& audit() const { return audit_; }

private:
    struct Indexed {
        qint64 seq = 0;    // the record's place in the trail
        qint64 bytes = 0;  // the length of its line
        QJsonObject record;
    };
    // One operator's newest records of one server, oldest first.
    struct Window {
        QList<Indexed> records;
        qint64 bytes = 0;
    };

    bool finishStaged(int profile, QString* error);
    bool appendRecord(const jexlink::AuditRecord& record, QString* error);
    void remember(const QJsonObject& record, qint64 bytes);

    QString now() const;

    ServerStore& store_;
    UtcClock clock_;
    AuditTrail audit_;
    VersionStore versions_;
    QHash<int, QHash<QString, Window>> index_;  // profile -> operator -> records
    QHash<int, qint64> current_;                // profile -> the version it holds
    qint64 nextSeq_ = 0;
};

}  // namespace jexremote
