#pragma once
// Three-way merge of a server's settings: an update made from `base` meets
// the settings the server holds now (`theirs`, perhaps changed by someone
// else since). Setting by setting (the 34 fields, each role, each weapon's
// restriction, the auto-load flag): what the update left as it was in the
// base keeps the current value; what it changed is taken; what both changed,
// to different values, is a conflict. Two values the form shows alike are
// the same value.

#include <QList>
#include <QString>

#include <optional>

#include "exchange/model/server_settings.h"

namespace kdrsm::model {

struct MergeConflict {
    QString key;                  // "Players", "Roles", "Weapons", "AutoLoad"
    int field = -1;               // the field of a field's conflict
    QString entry;                // the role or weapon
    std::optional<QString> base;  // stored values ("0"/"1" for flags); none when not kept
    QString theirs;
    QString yours;

    friend bool operator==(const MergeConflict&, const MergeConflict&) = default;
};

// Whose value a conflicting setting takes when the conflicts are settled.
enum class MergeSide { Theirs, Yours };

struct MergeResult {
    // What the update makes; none when anything conflicts.
    std::optional<ServerSettings> merged;
    QList<MergeConflict> conflicts;

    // Every setting merged, each conflicting one given `side`'s value:
    // Theirs keeps the server's, Yours takes the update's.
    ServerSettings settled(MergeSide side) const;

private:
    friend MergeResult mergeSettings(const std::optional<ServerSettings>& base,
                                     const ServerSettings& theirs, const ServerSettings& yours);
    // The merge with the server's value wherever both changed a setting.
    ServerSettings keptTheirs_;
};

// `yours` is the update applied to `base`. Without a base (one no longer
// kept), every setting where `yours` and `theirs` differ is a conflict.
// The weapon list itself is the server's: weapons `theirs` lacks are not
// merged.
MergeResult mergeSettings(const std::optional<ServerSettings>& base, const ServerSettings& theirs,
                          const ServerSettings& yours);

// The conflict's setting and its three values as the form shows them, a
// password only as "changed", a base no longer kept as "(not kept)":
// "Max Players:", "16", "24", "32".
QString conflictLabel(const MergeConflict& conflict);
QString shownConflictValue(const MergeConflict& conflict, const std::optional<QString>& value);

}  // namespace kdrsm::model
