#pragma once
// The server manager jexKDRSM as the remote side plays it: takes a request
// text, answers with the text the panel expects, and keeps the server's
// settings (in a state file when one is given).

#include <QString>

#include "remote/server_settings.h"

namespace jexremote {

inline const QString kFailedAnswer = QStringLiteral("Failed");
inline const QString kUpdatedAnswer = QStringLiteral("1");
inline const QString kRefusedAnswer = QStringLiteral("0");

class RemotePlugin {
public:
    // An empty statePath keeps the settings in memory only.
    explicit RemotePlugin(const QString& statePath = {});

    // "GetSettingsRem": the settings reply. "SetSettingsRem": "1" when the
    // body was applied, "0" when it was refused. Anything else: "Failed".
    QString answer(const QString& requestText);

    const ServerSettings& settings() const { return settings_; }
    void setSettings(const ServerSettings& settings) { settings_ = settings; }

private:
    QString statePath_;
    ServerSettings settings_;
};

}  // namespace jexremote
