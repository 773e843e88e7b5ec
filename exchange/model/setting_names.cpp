#include "exchange/model/setting_names.h"

namespace kdrsm::model {

// The captions are the form's own, misspellings included.
// clang-format off
const std::array<SettingName, kFieldCount> kSettingNames = {{
    {0,  "ServerName",       "Name:",                  false},
    {1,  "Country",          "Country:",               false},
    {2,  "Session",          "Sesstion Type:",         false},
    {3,  "Password",         "Password:",              true},
    {4,  "Players",          "Max Players:",           false},
    {5,  "Time",             "Time Limit:",            false},
    {6,  "Delay",            "Start Delay:",           false},
    {7,  "Maps",             "Replay Maps:",           false},
    {8,  "Respawn",          "Respawn Time:",          false},
    {9,  "Dedicated",        "Dedicated:",             false},
    {10, "NovaLogin",        "Req. Nova Login:",       false},
    {11, "Skins",            "Custom Skins:",          false},
    {12, "AutoBalance",      "Auto Balance:",          false},
    {13, "Message",          "Host Message:",          false},
    {14, "BluePass",         "Blue Password:",         true},
    {15, "RedPass",          "Red Password:",          true},
    {16, "FFKills",          "Friendly Fire Kills:",   false},
    {17, "MaxFF",            "Max Friendly Kills:",    false},
    {18, "FFTags",           "Show Friendly Tags:",    false},
    {19, "FFWarn",           "Friendly Fire Warning:", false},
    {20, "PSPTime",          "PSP Takeover Time:",     false},
    {21, "FlagReturn",       "Flag Return Time:",      false},
    {22, "Lives",            "Max Team Lives:",        false},
    {23, "Tracers",          "Show Tracers:",          false},
    {24, "Clays",            "Show Team Clays:",       false},
    {25, "AutoRange",        "Allow Auto Range:",      false},
    {26, "MinPingChk",       "Enable Min Ping Check:", false},
    {27, "MinPing",          "Min Ping:",              false},
    {28, "MaxPingChk",       "Enable Max Ping Check:", false},
    {29, "MaxPing",          "Max Ping:",              false},
    {30, "OneShot",          "One Shot Kills:",        false},
    {31, "FatBullets",       "Fat Bullets:",           false},
    {32, "DestroyBuildings", "Destroy Buildings:",     false},
    {33, "GamePort",         "Game Port:",             false},
}};
// clang-format on

QString settingKey(int field) {
    return QString::fromLatin1(kSettingNames.at(static_cast<size_t>(field)).key);
}

QString settingLabel(int field) {
    return QString::fromLatin1(kSettingNames.at(static_cast<size_t>(field)).label);
}

bool isSecret(int field) {
    return field >= 0 && field < kFieldCount && kSettingNames[static_cast<size_t>(field)].secret;
}

int fieldOfKey(QStringView key) {
    for (const SettingName& name : kSettingNames)
        if (key == QLatin1StringView(name.key)) return name.field;
    return -1;
}

QString labelOfKey(QStringView key) {
    const int field = fieldOfKey(key);
    if (field >= 0) return settingLabel(field);
    if (key == QLatin1StringView(kRolesKey)) return QString::fromLatin1(kRolesLabel);
    if (key == QLatin1StringView(kWeaponsKey)) return QString::fromLatin1(kWeaponsLabel);
    if (key == QLatin1StringView(kAutoLoadKey)) return QString::fromLatin1(kAutoLoadLabel);
    return {};
}

QString captionWords(QStringView caption) {
    return (caption.endsWith(u':') ? caption.chopped(1) : caption).toString();
}

}  // namespace kdrsm::model
