#include "remote/wire/settings_wire.h"

#include "exchange/model/settings_update.h"

namespace jexremote {

std::variant<ServerSettings, Fault> updatedSettings(const ServerSettings& current,
                                                    const QString& body) {
    auto next = kdrsm::model::settingsOfUpdate(body, current);
    if (const Fault* fault = std::get_if<Fault>(&next)) return *fault;
    const ServerSettings& settings = std::get<ServerSettings>(next);
    // The model adds a weapon the server lacks; this side never stores one.
    if (settings.weapons.size() != current.weapons.size())
        return Fault{-1, QStringLiteral("Weapons"), QStringLiteral("a weapon this server lacks")};
    if (auto fault = checkSettings(settings)) return *fault;
    return settings;
}

}  // namespace jexremote
