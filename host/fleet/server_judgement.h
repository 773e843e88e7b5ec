#pragma once
// What one fetched server of a fleet run gets, decided before anything is
// sent: nothing to change, refused (a setting cannot be applied, or its
// operator lacks the privilege for a chosen setting), or an update. No link
// and no state of the run: the same settings and privileges give the same
// answer.

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

#include "exchange/model/server_settings.h"
#include "host/fleet/fleet_outcome.h"
#include "link/link_messages.h"

namespace jexhost::fleet {

struct JudgeInput {
    kdrsm::model::ServerSettings current;  // as fetched
    jexlink::Welcome welcome;              // the privileges the link was given
    QStringList keys;                      // the chosen settings
    // The settings to send when only `keys` are replaced.
    std::function<kdrsm::model::Read<kdrsm::model::ServerSettings>(const QStringList& keys)> make;
    // Whether a chosen setting the operator may not change is left out
    // (the others still go) rather than refusing the server.
    bool leaveOutForbidden = false;
};

struct Judgement {
    // Unchanged, Refused, or Waiting: to be sent (a preview's DryRun).
    Outcome outcome = Outcome::Refused;
    QList<ShownChange> changes;
    QString reason;   // why refused
    QString leftOut;  // "left out Max Players, which ann may not change"
    std::optional<kdrsm::model::ServerSettings> desired;  // what the server would be sent
};

Judgement judgeServer(const JudgeInput& input);

}  // namespace jexhost::fleet
