#include "remote/store/server_settings.h"

#include "remote/validation/field_rules.h"

namespace jexremote {

namespace {

// The game's weapons.
constexpr const char* kGameWeapons[] = {
    "M16/M203", "M4",      "CAR-15",     "CAR-15/M203", "M21", "Barrett .50", "M249 SAW", "M60",
    "MP5",      "Shotgun", ".45 Pistol", "Claymore",    "LAW", "Grenade",     "Satchel"};

}  // namespace

ServerSettings defaultSettings() {
    ServerSettings settings;
    for (int i = 0; i < kdrsm::model::kSettingCount; ++i)
        settings.fields[i] = QString::fromUtf8(kFieldRules[i].initial);
    settings.roles = kdrsm::model::gameRoles();
    for (const char* weapon : kGameWeapons)
        settings.weapons.append({QString::fromUtf8(weapon), false});
    return settings;
}

}  // namespace jexremote
