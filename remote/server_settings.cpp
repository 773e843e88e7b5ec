#include "remote/server_settings.h"

#include <QSettings>

#include "remote/field_table.h"

namespace jexremote {

namespace {

const QStringList kDefaultWeapons{
    QStringLiteral("M16/M203"),    QStringLiteral("M4"),         QStringLiteral("CAR-15"),
    QStringLiteral("CAR-15/M203"), QStringLiteral("M21"),        QStringLiteral("Barrett .50"),
    QStringLiteral("M249 SAW"),    QStringLiteral("M60"),        QStringLiteral("MP5"),
    QStringLiteral("Shotgun"),     QStringLiteral(".45 Pistol"), QStringLiteral("Claymore"),
    QStringLiteral("LAW"),         QStringLiteral("Grenade"),    QStringLiteral("Satchel"),
};

const QString kSettingsGroup = QStringLiteral("Settings");
const QString kRolesGroup = QStringLiteral("Roles");
const QString kWeaponsArray = QStringLiteral("Weapons");
const QString kAutoLoadKey = QStringLiteral("Options/AutoLoad");

}  // namespace

ServerSettings defaultSettings() {
    ServerSettings settings;
    for (int i = 0; i < kdrsm::wire::kReplyFieldCount; ++i)
        settings.fields[i] = QString::fromUtf8(kFieldRules[i].initial);
    for (const QString& name : kDefaultWeapons) settings.weapons.append({name, false});
    return settings;
}

ServerSettings loadSettings(const QString& path) {
    ServerSettings settings = defaultSettings();
    QSettings ini(path, QSettings::IniFormat);
    ini.beginGroup(kSettingsGroup);
    for (int i = 0; i < kdrsm::wire::kReplyFieldCount; ++i)
        settings.fields[i] = ini.value(fieldKey(i), settings.fields[i]).toString();
    ini.endGroup();
    ini.beginGroup(kRolesGroup);
    for (int slot = 0; slot < 4; ++slot)
        settings.roles[slot] = ini.value(kRoleNames[slot], settings.roles[slot]).toBool();
    ini.endGroup();
    const int count = ini.beginReadArray(kWeaponsArray);
    if (count > 0) settings.weapons.clear();
    for (int i = 0; i < count; ++i) {
        ini.setArrayIndex(i);
        const QString name = ini.value(QStringLiteral("name")).toString();
        if (!name.isEmpty())
            settings.weapons.append({name, ini.value(QStringLiteral("selected")).toBool()});
    }
    ini.endArray();
    settings.autoLoad = ini.value(kAutoLoadKey, settings.autoLoad).toBool();
    return settings;
}

bool saveSettings(const ServerSettings& settings, const QString& path) {
    QSettings ini(path, QSettings::IniFormat);
    ini.clear();
    ini.beginGroup(kSettingsGroup);
    for (int i = 0; i < kdrsm::wire::kReplyFieldCount; ++i)
        ini.setValue(fieldKey(i), settings.fields[i]);
    ini.endGroup();
    ini.beginGroup(kRolesGroup);
    for (int slot = 0; slot < 4; ++slot) ini.setValue(kRoleNames[slot], settings.roles[slot]);
    ini.endGroup();
    ini.beginWriteArray(kWeaponsArray, static_cast<int>(settings.weapons.size()));
    for (int i = 0; i < settings.weapons.size(); ++i) {
        ini.setArrayIndex(i);
        ini.setValue(QStringLiteral("name"), settings.weapons[i].name);
        ini.setValue(QStringLiteral("selected"), settings.weapons[i].selected);
    }
    ini.endArray();
    ini.setValue(kAutoLoadKey, settings.autoLoad);
    ini.sync();
    return ini.status() == QSettings::NoError;
}

}  // namespace jexremote
