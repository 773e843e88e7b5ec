#pragma once
// One record of a remote side's audit trail, as jexremote writes it to its
// trail and sends it in a history answer, and as both sides read it back:
//   {"time": ISO, "operator": NAME, "tag": TAG, "profile": P, "version": V,
//    "changes": [CHANGE, ...]}                      a stored update, with
//    "revertOf": V (a revert), "mergedWith": V (merged with a later version)
//    and "batch": ID (part of a fleet batch) when they apply;
//    "noChange": true                               an update that changed nothing
//   {"time", "operator", "profile", "version", "undone": true, "reason": TEXT}
//                                                   the update of that version
//                                                   was not stored after all
//   {"time", "operator", "profile", "version", "changes": [],
//    "game": ACTION | "command": LINE}              an action on the profile's game
// CHANGE is {"setting": KEY, "old": TEXT, "new": TEXT} for a value,
// {"setting": KEY, "changed": true} for a password (never its text), and
// {"setting": KEY, "entry": NAME, "old": FLAG, "new": FLAG} for a role or
// weapon restriction, with "added": true (no "old") or "removed": true (no
// "new") for an entry that came or went.
// A history answer's list of kept versions holds
//   {"version": V, "time": ISO, "operator": NAME}.
// The readers take what is there: a field missing or of the wrong type reads
// as empty, and callers decide what they show of it.

#include <QJsonObject>
#include <QJsonValue>
#include <QList>
#include <QString>

#include <optional>

namespace jexlink {

struct AuditChange {
    QString setting;                    // the setting's key
    std::optional<QString> entry = {};  // the role or weapon of a restriction
    // "old" and "new": a stored text or a restriction flag; undefined when absent.
    QJsonValue before = QJsonValue::Undefined;
    QJsonValue after = QJsonValue::Undefined;
    bool secret = false;  // a password changed: no values
    bool added = false;
    bool removed = false;
    bool operator==(const AuditChange&) const = default;
};

struct AuditRecord {
    QString time;  // ISO 8601, UTC
    QString operatorName;
    std::optional<QString> tag = {};  // a request's host tag; written when set
    std::optional<int> profile = {};
    std::optional<qint64> version = {};  // a whole number of at least 0
    // The record's changes; nothing for a record of an undone update.
    std::optional<QList<AuditChange>> changes = {};
    std::optional<qint64> revertOf = {};
    std::optional<qint64> mergedWith = {};
    QString batch = {};
    bool noChange = false;
    bool undone = false;
    QString reason = {};                  // why an update was undone
    std::optional<QString> game = {};     // the action on the game: start, stop, restart, kill
    std::optional<QString> command = {};  // the console line sent to the game, masked
    bool operator==(const AuditRecord&) const = default;
};

QJsonObject auditRecordObject(const AuditRecord& record);
AuditRecord readAuditRecord(const QJsonObject& object);

// Whether the record changed the setting `key` (and the role or weapon `entry`).
bool touchesSetting(const AuditRecord& record, const QString& key, const QString& entry);

struct KeptVersionEntry {
    std::optional<qint64> version;
    QString time;
    QString operatorName;
    bool operator==(const KeptVersionEntry&) const = default;
};

QJsonObject keptVersionObject(const KeptVersionEntry& entry);
KeptVersionEntry readKeptVersion(const QJsonObject& object);

}  // namespace jexlink
