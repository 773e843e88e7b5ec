#pragma once
// The settings of one game server, as the whole system keeps them (see
// exchange/model/server_settings.h). The roles and weapons are the server's
// own data; a new server starts with the game's.

#include "exchange/model/server_settings.h"

namespace jexremote {

using kdrsm::model::Restriction;
using kdrsm::model::ServerSettings;

// A new server: the initial field values, the game's roles and weapons, none
// restricted.
ServerSettings defaultSettings();

}  // namespace jexremote
