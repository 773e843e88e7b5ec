#pragma once
// The settings of one game server as this side keeps them: the 34 fields in
// the settings reply's convention (free text unencoded), the server's roles
// and weapons with their restriction flags, and the auto-load flag. The roles
// and weapons are the server's own data; a new server starts with the game's.

#include <QList>
#include <QString>

#include <array>

#include "exchange/wire/settings_text.h"

namespace jexremote {

struct Restriction {
    QString name;
    bool restricted = false;
    friend bool operator==(const Restriction&, const Restriction&) = default;
};

struct ServerSettings {
    std::array<QString, kdrsm::wire::kReplyFieldCount> fields;
    QList<Restriction> roles;  // always four: the panel's role list
    QList<Restriction> weapons;
    bool autoLoad = false;

    friend bool operator==(const ServerSettings&, const ServerSettings&) = default;
};

// A new server: the initial field values, the game's roles and weapons, none
// restricted.
ServerSettings defaultSettings();

}  // namespace jexremote
