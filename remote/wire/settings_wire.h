#pragma once
// What an update body would make of a server's settings on this side: read
// through the settings model, then held to the server's own weapons and the
// same rules as a state file.

#include <QString>

#include <variant>

#include "remote/store/server_settings.h"
#include "remote/validation/settings_check.h"

namespace jexremote {

// The settings an update body would store, or the first fault. The game
// port, never sent, keeps its value; weapons must be the server's own, role
// slots empty or the role's name.
std::variant<ServerSettings, Fault> updatedSettings(const ServerSettings& current,
                                                    const QString& body);

}  // namespace jexremote
