#pragma once
// The server manager jexKDRSM as this side plays it: takes one request text
// from an operator and answers with the text the panel expects. The profile
// index of the request selects the server.
//   "GetSettingsRem": the settings reply
//   "SetSettingsRem": "1" once the new settings are on disk, "0" when the
//                     update is refused or cannot be stored
//   anything else, or a profile not managed here: "Failed"

#include <QString>

#include "link/link_messages.h"

namespace jexremote {

class ServerStore;

inline const QString kFailedAnswer = QStringLiteral("Failed");
inline const QString kUpdatedAnswer = QStringLiteral("1");
inline const QString kRefusedAnswer = QStringLiteral("0");

class ServerManager {
public:
    explicit ServerManager(ServerStore& store);

    QString answer(const QString& requestText, const jexlink::Welcome& who);

private:
    QString update(const QString& tag, int profile, const QString& body,
                   const jexlink::Welcome& who, qsizetype size);

    ServerStore& store_;
};

}  // namespace jexremote
