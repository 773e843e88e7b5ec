#pragma once
// The settings a fleet operation may change and where their new values come
// from. A setting is named by its preset key: the Server section's keys, and
// "Roles" and "Weapons" for those sections. A source is a preset file (.ssf),
// read the way the panel's Load reads it, or another server's settings (Copy
// settings), taken as if its panel had saved them to a preset. Either way a
// server gets exactly what its panel would store after Load and Update, for
// the chosen settings only; everything else stays the server's own.

#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>

#include <variant>

#include "exchange/model/server_settings.h"
#include "exchange/model/settings_preset.h"

namespace jexhost::fleet {

using kdrsm::model::ServerSettings;

// One setting an operator can choose, with the form's caption ("Max Players").
struct SettingChoice {
    QString key;
    QString label;
    bool secret = false;  // a password
};

// Every setting an update can change, in the order of the fields, then Roles and
// Weapons. The game port is not among them: no update carries it.
const QList<SettingChoice>& settingChoices();

// The keys of `keys` that name no choosable setting (matched as written).
QStringList unknownKeys(const QStringList& keys);

// The values of the chosen settings of a server, as the batch journal keeps
// them: {"Players": "16", "Roles": {"Medic": true, ...}, "Weapons": {...}}
// (stored texts as the settings model holds them; passwords included).
QJsonObject chosenValues(const ServerSettings& settings, const QStringList& keys);
// `settings` with the values put back: fields by key, roles and weapons by
// name (an entry the server no longer has is skipped).
ServerSettings withValues(ServerSettings settings, const QJsonObject& values);

class SettingsSource {
public:
    // Reads a preset file; the reason ("FILE: cannot read ...") when it cannot.
    static std::variant<SettingsSource, QString> fromPresetFile(const QString& path);
    // Another server's settings, `name` for messages and the journal.
    static SettingsSource fromSettings(const ServerSettings& settings, const QString& name);

    const QString& name() const { return name_; }
    // The choosable settings the source holds, in settingChoices() order.
    const QStringList& heldKeys() const { return held_; }
    // What is chosen when the operator names nothing: every held setting
    // but the server's name and the three passwords.
    QStringList defaultKeys() const;

    // `server`'s settings with the chosen ones as its panel would store them
    // after Load of this source and Update. A value the panel's Load stops at
    // is a fault naming its key.
    kdrsm::model::Read<ServerSettings> applyTo(const ServerSettings& server,
                                               const QStringList& keys) const;

private:
    SettingsSource() = default;
    kdrsm::model::PresetLookup lookup_;
    QStringList held_;
    QString name_;
};

}  // namespace jexhost::fleet
