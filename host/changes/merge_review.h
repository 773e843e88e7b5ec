#pragma once
// What the review before an update shows: not only the operator's own edits
// but the update merged with what the server holds now. A row per setting the
// update changes on the server, per setting someone else changed since the
// operator's fetch (kept by the merge), and per setting both changed to
// different values (a conflict: the update will be refused).

#include <QList>
#include <QString>

#include "host/changes/settings_difference.h"
#include "link/link_messages.h"

namespace jexhost::changes {

struct ReviewRow {
    QString setting;
    QString before;  // on the server now (someone else's change: as fetched)
    QString after;   // once the update is stored (someone else's change: now)
    QString note;    // "yours", "alice's, kept" ("someone else's"), "conflict: ..."
    friend bool operator==(const ReviewRow&, const ReviewRow&) = default;
};

struct MergeReview {
    QString error;  // not empty: nothing could be compared, and why
    QList<ReviewRow> rows;
    QString summary;
    int omittedRows = 0;  // beyond the shown bound
};

// What the console knows of others' changes since the operator's fetch.
struct OthersSince {
    // The remote side's notices, oldest first: a change is named after the
    // newest operator whose notice names its setting ("someone else" when none).
    QList<jexlink::ChangedNotice> notices;
    // The server could not be asked what it holds now: `current` is the fetch.
    bool unchecked = false;
};

// `base` is what the operator fetched, `current` what the server holds now,
// `yours` the update applied to `base`.
MergeReview reviewMerge(const Snapshot& base, const Snapshot& current, const Snapshot& yours,
                        const OthersSince& others = {});

}  // namespace jexhost::changes
