#pragma once
// The server manager jexKDRSM as this side plays it: takes one request text
// from an operator and answers with the text the panel expects. The profile
// index of the request selects the server.
//   "GetSettingsRem": the settings reply
//   "SetSettingsRem": "1" once the new settings are on disk, "0" when the
//                     update is refused or cannot be stored
//   anything else, or a profile not managed here: "Failed"
// Beside requests, it shows a server's history and puts a kept version back
// through the same rules and privileges as an update.

#include <QString>

#include "link/link_messages.h"

namespace jexremote {

class ServerStore;
class SettingsHistory;

inline const QString kFailedAnswer = QStringLiteral("Failed");
inline const QString kUpdatedAnswer = QStringLiteral("1");
inline const QString kRefusedAnswer = QStringLiteral("0");

class ServerManager {
public:
    ServerManager(ServerStore& store, SettingsHistory& history);

    QString answer(const QString& requestText, const jexlink::Welcome& who);

    // Empty lists for a profile not managed here.
    jexlink::History history(int profile) const;
    jexlink::RevertOutcome revert(int profile, qint64 version, const jexlink::Welcome& who);

private:
    QString update(const QString& tag, int profile, const QString& body,
                   const jexlink::Welcome& who, qsizetype size);

    ServerStore& store_;
    SettingsHistory& history_;
};

}  // namespace jexremote
