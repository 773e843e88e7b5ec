#include "remote/remote_plugin.h"

#include "exchange/wire/request.h"
#include "remote/log.h"
#include "remote/settings_exchange.h"

namespace jexremote {

RemotePlugin::RemotePlugin(const QString& statePath)
    : statePath_(statePath),
      settings_(statePath.isEmpty() ? defaultSettings() : loadSettings(statePath)) {}

QString RemotePlugin::answer(const QString& requestText) {
    const auto request = kdrsm::wire::parseRequestText(requestText);
    if (!request) {
        qCWarning(lcRemote) << "not a request:" << requestText.left(80);
        return kFailedAnswer;
    }
    qCInfo(lcRemote) << request->command << "from" << request->hostTag << "profile"
                     << request->profileIndex;
    if (request->command == kdrsm::wire::kGetSettings) return settingsReplyText(settings_);
    if (request->command != kdrsm::wire::kSetSettings) return kFailedAnswer;

    const auto updated = applyUpdate(settings_, request->data);
    if (!updated) {
        qCWarning(lcRemote) << "update refused:" << request->data.left(80);
        return kRefusedAnswer;
    }
    settings_ = *updated;
    if (!statePath_.isEmpty() && !saveSettings(settings_, statePath_))
        qCWarning(lcRemote) << "cannot write the state file" << statePath_;
    return kUpdatedAnswer;
}

}  // namespace jexremote
