#pragma once
// What one stored update changed, as the audit trail keeps it: one JSON
// object per change of the settings model's difference, in its order.
//   {"setting": "Players", "old": "31", "new": "15"}    a field, as stored
//   {"setting": "Password", "changed": true}            a password: never its text
//   {"setting": "Roles", "entry": "Medic", "old": false, "new": true}
//   {"setting": "Weapons", "entry": "M4", "added": true, "new": true}
//   {"setting": "Weapons", "entry": "M4", "removed": true, "old": false}
//   {"setting": "AutoLoad", "old": "0", "new": "1"}
// Role and weapon values are their restriction flags.

#include <QJsonArray>

#include "remote/store/server_settings.h"

namespace jexremote {

QJsonArray settingsChanges(const ServerSettings& before, const ServerSettings& after);

}  // namespace jexremote
