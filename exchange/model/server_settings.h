#pragma once
// One game server's settings: the one value that the panel's wire texts, the
// console, the remote side's state files and presets are read into and
// written from. The 34 settings keep the settings reply's convention with
// free text decoded: lists by the number the wire carries, check boxes by
// their value, the auto-balance field inverted, maximum friendly kills and
// takeover time by their entry's number. Beside them the four roles and the
// server's weapons with their restriction flags, and the auto-load flag.

#include <QList>
#include <QString>

#include <array>
#include <variant>

#include "exchange/wire/setting_schema.h"

namespace kdrsm::model {

using wire::kSettingCount;
using wire::kUpdateFieldCount;
inline constexpr int kGamePortField = 33;
inline constexpr int kRoleCount = 4;

struct Restriction {
    QString name;
    bool restricted = false;
    friend bool operator==(const Restriction&, const Restriction&) = default;
};

struct ServerSettings {
    std::array<QString, kSettingCount> fields;
    QList<Restriction> roles;  // the four roles of the panel's role list, in its order
    QList<Restriction> weapons;
    bool autoLoad = false;

    friend bool operator==(const ServerSettings&, const ServerSettings&) = default;
};

// Why a text could not be read into settings, or why settings cannot be
// kept. `field` is the setting's field (0..33) or -1 for the roles, the
// weapons, the auto-load flag or the text as a whole; `setting` its key. The
// reason never quotes a value.
struct Fault {
    int field = -1;
    QString setting;
    QString reason;
};

template <typename T>
using Read = std::variant<T, Fault>;

// The panel's four roles, none restricted.
QList<Restriction> gameRoles();

}  // namespace kdrsm::model
