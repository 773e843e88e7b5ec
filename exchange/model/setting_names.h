#pragma once
// The names of every setting, read from its row of kSettings: its key in
// presets and state files (the form's control name without "sav"), the
// caption the form shows beside it, and whether it is a password. A
// password's text is never shown, logged or kept outside the settings.

#include <QString>

#include "exchange/model/server_settings.h"

namespace kdrsm::model {

// The settings beside the fields: their keys and the captions the form gives them.
inline constexpr const char* kRolesKey = "Roles";
inline constexpr const char* kWeaponsKey = "Weapons";
inline constexpr const char* kAutoLoadKey = "AutoLoad";
inline constexpr const char* kRolesLabel = "Role Restrictions";
inline constexpr const char* kWeaponsLabel = "Weapon Restrictions";
inline constexpr const char* kAutoLoadLabel = "Autoload last known settings on start up.";

QString settingKey(int field);
QString settingLabel(int field);
bool isSecret(int field);

// The field of a key ("Players" -> 4); -1 for none, and for the keys beside
// the fields.
int fieldOfKey(QStringView key);

// The caption of any setting key, the fields' and those beside them; empty
// for a key that names nothing.
QString labelOfKey(QStringView key);

// A caption as words in a sentence: the form's trailing colon taken off
// ("Max Players:" -> "Max Players").
QString captionWords(QStringView caption);

}  // namespace kdrsm::model
