#include "host/fleet/fleet_settings.h"

#include <QFileInfo>
#include <QHash>
#include <QJsonValue>

#include <memory>

#include "exchange/model/setting_names.h"
#include "ini_file.h"
#include "jex/error.h"

namespace jexhost::fleet {

namespace model = kdrsm::model;

namespace {

const QString kRoles = QString::fromLatin1(model::kRolesKey);
const QString kWeapons = QString::fromLatin1(model::kWeaponsKey);

QList<SettingChoice> makeChoices() {
    QList<SettingChoice> choices;
    for (int field = 0; field < model::kSettingCount; ++field) {
        if (field == model::kGamePortField) continue;
        choices.append({model::settingKey(field), model::captionWords(model::settingLabel(field)),
                        model::isSecret(field)});
    }
    choices.append({kRoles, QString::fromLatin1(model::kRolesLabel), false});
    choices.append({kWeapons, QString::fromLatin1(model::kWeaponsLabel), false});
    return choices;
}

bool isChoice(const QString& key) {
    for (const SettingChoice& choice : settingChoices())
        if (choice.key == key) return true;
    return false;
}

QJsonObject restrictions(const QList<model::Restriction>& entries) {
    QJsonObject flags;
    for (const model::Restriction& entry : entries) flags.insert(entry.name, entry.restricted);
    return flags;
}

void putRestrictions(QList<model::Restriction>& entries, const QJsonObject& flags) {
    for (model::Restriction& entry : entries) {
        const QJsonValue flag = flags.value(entry.name);
        if (flag.isBool()) entry.restricted = flag.toBool();
    }
}

}  // namespace

const QList<SettingChoice>& settingChoices() {
    static const QList<SettingChoice> choices = makeChoices();
    return choices;
}

QStringList unknownKeys(const QStringList& keys) {
    QStringList unknown;
    for (const QString& key : keys)
        if (!isChoice(key)) unknown << key;
    return unknown;
}

QJsonObject chosenValues(const ServerSettings& settings, const QStringList& keys) {
    QJsonObject values;
    for (const QString& key : keys) {
        if (key == kRoles) {
            values.insert(key, restrictions(settings.roles));
        } else if (key == kWeapons) {
            values.insert(key, restrictions(settings.weapons));
        } else if (const int field = model::fieldOfKey(key); field >= 0) {
            values.insert(key, settings.fields[static_cast<size_t>(field)]);
        }
    }
    return values;
}

ServerSettings withValues(ServerSettings settings, const QJsonObject& values) {
    for (auto value = values.begin(); value != values.end(); ++value) {
        if (value.key() == kRoles) {
            putRestrictions(settings.roles, value->toObject());
        } else if (value.key() == kWeapons) {
            putRestrictions(settings.weapons, value->toObject());
        } else if (const int field = model::fieldOfKey(value.key());
                   field >= 0 && field != model::kGamePortField && value->isString()) {
            settings.fields[static_cast<size_t>(field)] = value->toString();
        }
    }
    return settings;
}

std::variant<SettingsSource, QString> SettingsSource::fromPresetFile(const QString& path) {
    const QFileInfo info(path);
    if (!info.isFile()) return path + QStringLiteral(": no such file");
    std::shared_ptr<const zta::IniFile> ini;
    try {
        ini = std::make_shared<const zta::IniFile>(path);
    } catch (const jex::Error& error) {
        return path + QStringLiteral(": cannot read: ") + error.object().description;
    }
    SettingsSource source;
    source.name_ = info.fileName();
    source.lookup_ = [ini](const QString& section, const QString& key) {
        return ini->value(section, key);
    };
    for (const SettingChoice& choice : settingChoices()) {
        const bool held = choice.key == kRoles || choice.key == kWeapons
                              ? ini->hasSection(choice.key)
                              : ini->contains(model::kServerSection, choice.key);
        if (held) source.held_ << choice.key;
    }
    if (source.held_.isEmpty()) return path + QStringLiteral(": holds no settings");
    return source;
}

SettingsSource SettingsSource::fromSettings(const ServerSettings& settings, const QString& name) {
    // What the server's panel would save to a preset.
    QHash<QString, QString> values;
    for (const model::PresetEntry& entry : model::presetEntries(settings))
        values.insert(entry.section + u'\n' + entry.key, entry.value);
    SettingsSource source;
    source.name_ = name;
    source.lookup_ = [values = std::move(values)](const QString& section, const QString& key) {
        return values.value(section + u'\n' + key);
    };
    for (const SettingChoice& choice : settingChoices()) source.held_ << choice.key;
    return source;
}

QStringList SettingsSource::defaultKeys() const {
    QStringList keys;
    for (const SettingChoice& choice : settingChoices()) {
        if (choice.secret || choice.key == model::settingKey(0)) continue;
        if (held_.contains(choice.key)) keys << choice.key;
    }
    return keys;
}

model::Read<ServerSettings> SettingsSource::applyTo(const ServerSettings& server,
                                                    const QStringList& keys) const {
    // The settings not chosen load the server's own values, so that a preset
    // that lacks them (or holds what Load would stop at) still serves the
    // chosen ones; only the chosen ones are taken.
    QHash<QString, QString> own;
    for (const model::PresetEntry& entry : model::presetEntries(server))
        own.insert(entry.section + u'\n' + entry.key, entry.value);
    const auto lookup = [&](const QString& section, const QString& key) {
        const bool chosen =
            section == model::kServerSection ? keys.contains(key) : keys.contains(section);
        return chosen ? lookup_(section, key) : own.value(section + u'\n' + key);
    };
    const model::Read<ServerSettings> loaded = model::settingsOfPreset(lookup, server);
    if (const auto* fault = std::get_if<model::Fault>(&loaded)) return *fault;
    return withValues(server, chosenValues(std::get<ServerSettings>(loaded), keys));
}

}  // namespace jexhost::fleet
