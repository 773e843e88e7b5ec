#pragma once
// What a fleet operation did, or would do, to one server, and the line that
// the command line prints for it:
//   {"server": NAME, "outcome": WORD, "changes": [{"setting": LABEL, "old": TEXT,
//    "new": TEXT}], "reason": TEXT or null, "batch": ID or null}

#include <QList>
#include <QString>

#include <optional>

#include "exchange/model/server_settings.h"
#include "host/servers/server_entry.h"
#include "link/link_messages.h"

namespace jexhost::fleet {

enum class Outcome {
    Waiting,      // not settled yet
    Applied,      // the update was stored
    Unchanged,    // nothing to change: nothing was sent
    DryRun,       // would change (a preview or --dry-run): nothing was sent
    Refused,      // by a privilege the operator lacks (found before sending) or by the remote side
    Conflict,     // someone else changed a chosen setting: nothing stored
    Unreachable,  // no settings could be fetched
};

// "applied", "unchanged", "dry-run", "refused", "conflict", "unreachable"
// ("waiting" for an unsettled one).
QString outcomeWord(Outcome outcome);
// The outcome of a word outcomeWord() gives; Waiting for any other.
Outcome outcomeOfWord(const QString& word);
// Whether a run with this outcome counts as a success (exit status 0).
bool isSuccess(Outcome outcome);

// A change in the form's words: "Max Players", "16", "24". A password's
// values are "(hidden)" and "changed".
struct ShownChange {
    QString setting;
    QString before;
    QString after;
    friend bool operator==(const ShownChange&, const ShownChange&) = default;
};

QList<ShownChange> shownChanges(const kdrsm::model::ServerSettings& before,
                                const kdrsm::model::ServerSettings& after);

struct ServerOutcome {
    servers::ServerEntry server;
    Outcome outcome = Outcome::Waiting;
    QList<ShownChange> changes = {};  // what changes (or would, or was meant to)
    QString reason = {};              // why refused, conflicting or unreachable; empty otherwise
    QList<jexlink::Conflict> conflicts = {};
    std::optional<qint64> versionBefore = {};  // of the settings the change was made from
    std::optional<qint64> versionAfter = {};   // of the settings the change stored
    QString operatorName = {};                 // as whom the link was welcomed
    // The chosen settings left out for want of a privilege, in the form's
    // words: "left out Max Players, which ann may not change".
    QString leftOut = {};
};

// The command line's line for one server; `batch` empty prints null.
QString outcomeLine(const ServerOutcome& outcome, const QString& batch);

}  // namespace jexhost::fleet
