#pragma once
// Settings and presets (.ssf): section "Server" with one key per setting
// control (its list index, check value or text), sections "Roles" and
// "Weapons" with "1" or "0" per entry. A preset holds the form's list
// indexes, not the wire's numbers, and only the index of a country code
// chosen from the list (-1 for one typed).

#include <QList>
#include <QString>

#include <functional>

#include "exchange/model/server_settings.h"

namespace kdrsm::model {

inline const QString kServerSection = QStringLiteral("Server");
inline const QString kRolesSection = QStringLiteral("Roles");
inline const QString kWeaponsSection = QStringLiteral("Weapons");

struct PresetEntry {
    QString section;
    QString key;
    QString value;
    friend bool operator==(const PresetEntry&, const PresetEntry&) = default;
};

// The keys the panel's Save writes for a form showing `settings`, in its
// order.
QList<PresetEntry> presetEntries(const ServerSettings& settings);

// A preset's value of a key, as the INI reader gives it: empty text for a
// key the file lacks.
using PresetLookup = std::function<QString(const QString& section, const QString& key)>;

// What `server` stores once its panel has loaded the preset and sent Update:
// every setting control takes the preset's value, then the update's
// corrections and conversions apply; the game port, the weapon list itself
// and the auto-load flag stay the server's. A value the panel's Load would
// stop at (not a whole number, outside its list, no check value) is a fault
// naming its key.
Read<ServerSettings> settingsOfPreset(const PresetLookup& preset, const ServerSettings& server);

}  // namespace kdrsm::model
