#pragma once
// The server manager jexKDRSM as this side plays it: takes one request text
// from an operator and answers with the text the panel expects. The profile
// index of the request selects the server.
//   "GetSettingsRem": the settings reply, with the version it holds
//   "SetSettingsRem": "1" once the new settings are on disk (when they change
//                     nothing: once that is recorded, with the version held),
//                     "0" when the
//                     update is refused, conflicts with a later change or
//                     cannot be stored
//   anything else, or a profile not managed here: "Failed"
// An update made from an older version than the server holds is merged,
// setting by setting, with what changed since; one that changes a setting
// someone else changed since to another value is refused with the
// conflicts. Beside requests, it shows a server's history and puts a kept
// version back through the same rules and privileges as an update. Every
// stored change comes with the notice the other connections get.

#include <QString>

#include "exchange/model/settings_merge.h"
#include "exchange/wire/request.h"
#include "link/link_messages.h"
#include "link/link_words.h"
#include "remote/served.h"
#include "remote/store/server_settings.h"

namespace jexremote {

class ServerStore;
class SettingsHistory;

// The answers' words are the link's.
using jexlink::kFailedAnswer;
using jexlink::kRefusedAnswer;
using jexlink::kUpdatedAnswer;

class ServerManager {
public:
    ServerManager(ServerStore& store, SettingsHistory& history);

    // The answer under the request's id; the request's version is the base
    // an update was made from, its batch goes into the audit record.
    Served<jexlink::Envelope> answer(const jexlink::Envelope& request, const jexlink::Welcome& who);
    // The answer's text alone, for a request without base or batch.
    QString answer(const QString& requestText, const jexlink::Welcome& who);

    // Empty lists for a profile not managed here.
    jexlink::History history(int profile) const;
    Served<jexlink::RevertOutcome> revert(int profile, qint64 version, const jexlink::Welcome& who);

private:
    Served<jexlink::Envelope> update(const kdrsm::wire::Request& request,
                                     const jexlink::Envelope& message, const jexlink::Welcome& who);
    QList<jexlink::Conflict> conflictsOf(int profile, qint64 base,
                                         const QList<kdrsm::model::MergeConflict>& conflicts) const;

    ServerStore& store_;
    SettingsHistory& history_;
};

}  // namespace jexremote
