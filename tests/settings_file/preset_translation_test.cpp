// A preset applied without a panel stores what the panel stores: Load of the
// preset into a filled form, then Update, sends a body that the settings
// model reads into exactly the settings it makes of the preset directly.
#include <gtest/gtest.h>

#include <map>

#include "exchange/model/settings_preset.h"
#include "exchange/model/settings_reply.h"
#include "exchange/model/settings_update.h"
#include "exchange/update.h"
#include "exchange/wire/request.h"
#include "panel_support/server_state.h"
#include "plugin/module_state.h"
#include "settings_file_fixture.h"

namespace {

namespace model = kdrsm::model;

// A whole preset, every value inside its list, as "section/key=value" entries.
std::map<QString, QString> entries(const QString& text) {
    std::map<QString, QString> values;
    for (const QString& entry : text.split(u'|'))
        values[entry.section(u'=', 0, 0)] = entry.section(u'=', 1);
    return values;
}
const std::map<QString, QString> kPreset = entries(
    "Server/AutoBalance=1|Server/NovaLogin=1|Server/Skins=0|Server/Message=Hello there|"
    "Server/Dedicated=1|Server/Respawn=10|Server/Maps=1|Server/Delay=3|Server/Time=45|"
    "Server/Players=15|Server/Session=1|Server/Country=52|Server/Password=pw|"
    "Server/ServerName=Preset Server|Server/GamePort=2000|Server/FatBullets=0|"
    "Server/DestroyBuildings=1|Server/OneShot=2|Server/MaxPing=900|Server/MaxPingChk=1|"
    "Server/MinPing=20|Server/MinPingChk=1|Server/MaxFF=9|Server/FFWarn=0|Server/FFTags=1|"
    "Server/FFKills=1|Server/Lives=50|Server/FlagReturn=120|Server/PSPTime=29|"
    "Server/AutoRange=1|Server/Clays=0|Server/Tracers=1|Server/RedPass=red|Server/BluePass=blue|"
    "Roles/CQB=0|Roles/Gunner=1|Roles/Medic=1|Roles/Sniper=0|"
    "Weapons/M16=0|Weapons/MP5=1|Weapons/Barrett .50=1");

struct Row {
    std::string name;
    std::map<QString, QString> changed;  // keys of kPreset given another value ("" removes)
    std::map<int, QString> stored;       // fields the server then holds, written by hand
};

// clang-format off
const Row kRows[] = {
    {"WholePreset", {},
     {{0, "Preset Server"}, {1, "DE"}, {2, "1"}, {3, "pw"}, {4, "15"}, {5, "45"}, {6, "3"}, {7, "1"},
      {8, "10"}, {12, "0"}, {13, "Hello there"}, {17, "10"}, {20, "30"}, {21, "120"}, {29, "900"},
      {30, "2"}, {33, "0"}}},
    // Each correction (no selection, blank or unreadable texts) is pinned on
    // both sides by hand: the form's in the Update tests, the model's in its own.
    {"RoleAndWeaponKeysMissing", {{"Roles/Medic", ""}, {"Weapons/MP5", ""}}, {}},
};
// clang-format on

class PresetTranslation : public jextest::SettingsFileTest,
                          public testing::WithParamInterface<Row> {};

TEST_P(PresetTranslation, StoresWhatLoadThenUpdateStores) {
    std::map<QString, QString> values = kPreset;
    for (const auto& [key, value] : GetParam().changed) {
        if (value.isEmpty() && !key.startsWith("Server/"))
            values.erase(key);
        else
            values[key] = value;
    }
    QByteArray text;
    QString section;
    for (const auto& [key, value] : values) {
        const QString name = key.section('/', 0, 0);
        if (name != section) text += "[" + (section = name).toUtf8() + "]\n";
        // A value with outer blanks is quoted, as Save writes it.
        const QString written = value.trimmed() == value ? value : '"' + value + '"';
        text += key.section('/', 1).toUtf8() + "=" + written.toUtf8() + "\n";
    }
    host.write("profiles/2/settings/fleet.ssf", text);
    load(settingsPath("fleet.ssf"));
    ASSERT_EQ(modals.boxes().size(), 1);
    kdrsm::updateSettings(form());
    const auto sent = kdrsm::wire::parseRequestText(
        QString::fromUtf8(host.read("RCData/reply_jexKDRSM_SetSettingsRem.txt")));
    ASSERT_TRUE(sent.has_value());

    const auto server = std::get<model::ServerSettings>(
        model::settingsOfReply(jextest::ServerState::typical().reply()));
    const auto byPanel = model::settingsOfUpdate(sent->data, server);
    const auto byModel = model::settingsOfPreset(
        [&](const QString& s, const QString& k) {
            const auto found = values.find(s + '/' + k);
            return found == values.end() ? QString() : found->second;
        },
        server);
    ASSERT_TRUE(std::holds_alternative<model::ServerSettings>(byPanel));
    ASSERT_TRUE(std::holds_alternative<model::ServerSettings>(byModel));
    const auto& stored = std::get<model::ServerSettings>(byModel);
    const auto& sentByPanel = std::get<model::ServerSettings>(byPanel);
    // Value by value: two texts the form shows alike are still two values.
    for (int field = 0; field < model::kSettingCount; ++field)
        EXPECT_EQ(sentByPanel.fields[static_cast<size_t>(field)],
                  stored.fields[static_cast<size_t>(field)])
            << "field " << field;
    EXPECT_EQ(sentByPanel.roles, stored.roles);
    EXPECT_EQ(sentByPanel.weapons, stored.weapons);
    EXPECT_EQ(sentByPanel.autoLoad, stored.autoLoad);
    for (const auto& [field, value] : GetParam().stored)
        EXPECT_EQ(stored.fields[static_cast<size_t>(field)], value) << "field " << field;
    QStringList restricted;
    for (const model::Restriction& entry : stored.roles + stored.weapons)
        if (entry.restricted) restricted << entry.name;
    const bool keysMissing = GetParam().name == "RoleAndWeaponKeysMissing";
    const QStringList expected = keysMissing ? QStringList{"Gunner", "Barrett .50"}
                                             : QStringList{"Gunner", "Medic", "MP5", "Barrett .50"};
    EXPECT_EQ(restricted, expected);
}

INSTANTIATE_TEST_SUITE_P(Presets, PresetTranslation, testing::ValuesIn(kRows),
                         [](const auto& info) { return info.param.name; });

}  // namespace
