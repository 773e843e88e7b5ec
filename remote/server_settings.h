#pragma once
// The settings of the one game server the remote side manages, and their
// state file (INI). Values are kept in the settings reply's convention, free
// text unencoded.

#include <QList>
#include <QString>
#include <QStringList>

#include <array>

#include "exchange/wire/settings_text.h"

namespace jexremote {

inline const std::array<QString, 4> kRoleNames{QStringLiteral("CQB"), QStringLiteral("Gunner"),
                                               QStringLiteral("Medic"), QStringLiteral("Sniper")};

struct Weapon {
    QString name;
    bool selected = false;
    friend bool operator==(const Weapon&, const Weapon&) = default;
};

struct ServerSettings {
    std::array<QString, kdrsm::wire::kReplyFieldCount> fields;
    std::array<bool, 4> roles{};  // by slot of kRoleNames
    QList<Weapon> weapons;
    bool autoLoad = false;

    friend bool operator==(const ServerSettings&, const ServerSettings&) = default;
};

// A fresh server: the initial field values, no role or weapon restricted.
ServerSettings defaultSettings();

// Reads a state file; what it lacks keeps the default. A missing file gives
// the defaults.
ServerSettings loadSettings(const QString& path);

// Writes the state file; false when it cannot be written.
bool saveSettings(const ServerSettings& settings, const QString& path);

}  // namespace jexremote
