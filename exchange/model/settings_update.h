#pragma once
// Settings and the update body of "SetSettingsRem": 33 fields | the encoded
// names of the restricted weapons | four role slots | the auto-load check
// value. The body carries neither the game port nor the weapons that are not
// restricted, so it is read against the settings it changes.

#include <QString>

#include "exchange/model/server_settings.h"

namespace kdrsm::model {

// The body the panel sends for a form that shows `settings`: free text
// encoded, or an empty field when it is blank (spaces only), as the panel
// sends it; slot 0 of the roles is the literal "CQB".
QString updateBody(const ServerSettings& settings);

// `base` changed by an update body: the 33 fields decoded, the game port
// kept, every weapon of `base` restricted exactly when the body names it (a
// name `base` lacks is added, restricted, for the caller's rules to judge),
// each role restricted when its slot is not empty, auto-load on for "1".
// Faults: a body without four sections, 33 fields and four slots; free text
// or a weapon name that is not Base64; a slot holding another role's name;
// an auto-load value that is no check value.
Read<ServerSettings> settingsOfUpdate(const QString& body, const ServerSettings& base);

// The same against nothing known: every named weapon restricted, the game
// port empty.
Read<ServerSettings> settingsOfUpdate(const QString& body);

}  // namespace kdrsm::model
