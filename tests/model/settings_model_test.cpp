// The settings model against texts written by hand: the reply, the update
// body and the preset of one server in both directions, what each reading
// refuses and why, what Load then Update makes of a preset, and what two
// settings values differ in, in the form's words.
#include <gtest/gtest.h>

#include <QHash>

#include <functional>
#include <map>

#include "exchange/model/settings_difference.h"
#include "exchange/model/settings_merge.h"
#include "exchange/model/settings_preset.h"
#include "exchange/model/settings_reply.h"
#include "exchange/model/settings_update.h"
#include "lobby.h"

namespace {

using namespace kdrsm::model;
using modeltest::kLobbyReply;
using modeltest::kLobbyUpdate;
using modeltest::lobby;

using Change = std::function<void(ServerSettings&)>;

ServerSettings lobbyWith(const Change& change) {
    ServerSettings settings = lobby();
    if (change) change(settings);
    return settings;
}

Change field(int index, const QString& value) {
    return [=](ServerSettings& s) { s.fields[static_cast<size_t>(index)] = value; };
}

// A section's "key=value" entries, parted by bars.
QList<PresetEntry> entries(const QString& section, const QString& text) {
    QList<PresetEntry> list;
    for (const QString& entry : text.split(u'|'))
        list.append({section, entry.section(u'=', 0, 0), entry.section(u'=', 1)});
    return list;
}

// The preset as Save writes the lobby, in Save's order.
const QList<PresetEntry> kLobbyPreset =
    entries("Server",
            "AutoBalance=1|NovaLogin=1|Skins=0|Message=Welcome!\r\nNo camping.|Dedicated=1|"
            "Respawn=8|Maps=2|Delay=2|Time=0|Players=23|Session=0|Country=215|Password=secret|"
            "ServerName=Lobby|GamePort=17479|FatBullets=0|DestroyBuildings=1|OneShot=0|"
            "MaxPing=15000|MaxPingChk=0|MinPing=0|MinPingChk=0|MaxFF=5|FFWarn=1|FFTags=1|"
            "FFKills=1|Lives=100|FlagReturn=210|PSPTime=14|AutoRange=0|Clays=1|Tracers=1|"
            "RedPass=|BluePass=") +
    entries("Roles", "CQB=0|Gunner=0|Medic=1|Sniper=0") + entries("Weapons", "M4=1|Claymore=0");

PresetLookup lookup(const QList<PresetEntry>& entries,
                    const std::map<QString, QString>& changed = {}) {
    QHash<QString, QString> values;
    for (const PresetEntry& entry : entries)
        values.insert(entry.section + u'/' + entry.key, entry.value);
    for (const auto& [key, value] : changed) {
        if (value.isNull())
            values.remove(key);
        else
            values.insert(key, value);
    }
    return [values](const QString& section, const QString& key) {
        return values.value(section + u'/' + key);
    };
}

TEST(Formats, WriteEachTextAsWrittenByHandAndReadItBack) {
    EXPECT_EQ(replyText(lobby()), kLobbyReply);
    EXPECT_EQ(updateBody(lobby()), kLobbyUpdate);
    EXPECT_EQ(presetEntries(lobby()), kLobbyPreset);

    EXPECT_EQ(std::get<ServerSettings>(settingsOfReply(kLobbyReply)), lobby());
    // An update keeps the game port and weapon list of what it changes.
    ServerSettings before = lobbyWith(field(4, "7"));
    before.weapons = {{"M4", false}, {"Claymore", true}};
    EXPECT_EQ(std::get<ServerSettings>(settingsOfUpdate(kLobbyUpdate, before)), lobby());
    EXPECT_EQ(std::get<ServerSettings>(settingsOfPreset(lookup(kLobbyPreset), before)), lobby());
}

struct RoundTrip {
    std::string name;
    Change change;
    bool keptByUpdate;
    bool keptByPreset;
};

// clang-format off
const RoundTrip kRoundTrips[] = {
    {"LoneLineFeedInTheMessage", field(13, "Line1\nLine2"), true, true},
    {"LoneCarriageReturnAndParagraphSeparator", field(13, "a\rb\u2029c"), true, true},
    {"OuterBlanksOfAName", field(0, " Lobby "), true, true},
    {"TextOutsideLatin1", field(13, "Grüße ✓"), true, true},
    {"GreyedChecks", [](ServerSettings& s) { s.fields[9] = s.fields[23] = "2"; }, true, true},
    {"TimeAndKillsAtTheirEnds", [](ServerSettings& s) { s.fields[5] = "100"; s.fields[17] = "1"; }, true, true},
    {"WeaponNameWithCommaAndBar", [](ServerSettings& s) { s.weapons[1] = {"A,B|C", true}; }, true, true},
    {"AllRolesRestricted",
     [](ServerSettings& s) { for (Restriction& role : s.roles) role.restricted = true; }, true, true},
    // The panel sends a blank text as an empty field and corrects a blank name.
    {"BlankMessageIsSentEmpty", field(13, "   "), false, false},
    {"BlankNameBecomesUntitled", field(0, "  "), false, false},
    // A preset keeps only the index of a code chosen from the list.
    {"TypedCountryIsLostInAPreset", field(1, "Atlantis"), true, false},
    {"AutoLoadOff", [](ServerSettings& s) { s.autoLoad = false; }, true, true},
};
// clang-format on

class RoundTripOf : public testing::TestWithParam<RoundTrip> {};

TEST_P(RoundTripOf, EachFormatKeepsWhatItCan) {
    const ServerSettings settings = lobbyWith(GetParam().change);
    EXPECT_EQ(std::get<ServerSettings>(settingsOfReply(replyText(settings))), settings);
    // Read against the same server with every flag the other way round.
    ServerSettings server = lobby();
    server.weapons = settings.weapons;
    for (QList<Restriction>* entries : {&server.roles, &server.weapons})
        for (Restriction& entry : *entries) entry.restricted = !entry.restricted;
    server.autoLoad = !settings.autoLoad;
    const auto updated = settingsOfUpdate(updateBody(settings), server);
    EXPECT_EQ(std::get<ServerSettings>(updated) == settings, GetParam().keptByUpdate);
    server.autoLoad = settings.autoLoad;  // a preset leaves it as the server has it
    const auto preset = settingsOfPreset(lookup(presetEntries(settings)), server);
    EXPECT_EQ(std::get<ServerSettings>(preset) == settings, GetParam().keptByPreset);
}

INSTANTIATE_TEST_SUITE_P(Values, RoundTripOf, testing::ValuesIn(kRoundTrips),
                         [](const auto& info) { return info.param.name; });

struct Refusal {
    std::string name;
    std::function<Read<ServerSettings>()> read;
    int field;
    QString setting;
    QString reason;
};

QString replaced(QString text, const QString& from, const QString& to) {
    return text.replace(from, to);
}

Read<ServerSettings> reply(const QString& text) {
    return settingsOfReply(text);
}
Read<ServerSettings> update(const QString& text) {
    return settingsOfUpdate(text, lobby());
}
// The lobby's reply or update body with one text replaced.
std::function<Read<ServerSettings>()> replyWith(const QString& from, const QString& to) {
    return [=] { return reply(replaced(kLobbyReply, from, to)); };
}
std::function<Read<ServerSettings>()> updateWith(const QString& from, const QString& to) {
    return [=] { return update(replaced(kLobbyUpdate, from, to)); };
}
// Reads the lobby's preset with some keys changed (a null value removes the key).
std::function<Read<ServerSettings>()> presetWith(std::map<QString, QString> changed) {
    return [=] { return settingsOfPreset(lookup(kLobbyPreset, changed), lobby()); };
}

// clang-format off
const Refusal kRefusals[] = {
    {"ReplyOfThreeSections", [] { return reply(kLobbyReply.section("[-]", 0, 2)); }, -1, "", "the settings reply has 3 sections, not 4"},
    {"EmptyReply", [] { return reply(""); }, -1, "", "the settings reply has 0 sections, not 4"},
    {"ReplyOfThirtyThreeFields", replyWith("|17479[-]", "[-]"), -1, "", "the settings reply has 33 fields, not 34"},
    {"ReplyOfThreeRoleFlags", replyWith("|True|False[-]", "|True[-]"), -1, "", "the settings reply has 3 role flags, not 4"},
    {"ReplyPlayersNotANumber", replyWith("c2VjcmV0|23|", "c2VjcmV0|x|"), 4, "Players", "not a number"},
    {"ReplyTimeBeyondSixteenBits", replyWith("|23|0|2|", "|23|40000|2|"), 5, "Time", "out of range"},
    {"ReplyNameNotBase64", replyWith("TG9iYnk=", "Lobby"), 0, "ServerName", "not Base64"},
    {"ReplyWeaponWithoutComma", replyWith("TTQ=,1", "TTQ="), -1, "Weapons", "weapon entry 0 has no comma"},
    {"UpdateOneFieldShort", updateWith("|1[-]TTQ=", "[-]TTQ="), -1, "Body", "not four sections of 33 fields and 4 role slots"},
    {"UpdatePasswordNotBase64", updateWith("c2VjcmV0", "s3cr3t!"), 3, "Password", "not Base64"},
    {"UpdateSlotOfAnotherRole", updateWith("||Medic|", "|Medic||"), -1, "Roles", "a slot holding another role"},
    {"UpdateAutoLoadNoCheckValue", updateWith("|[-]1", "|[-]3"), -1, "AutoLoad", "not a check value"},
    {"PresetPlayersNotAWholeNumber", presetWith({{"Server/Players", "abc"}}), 4, "Players", "not a whole number"},
    {"PresetSessionOffItsList", presetWith({{"Server/Session", "2"}}), 2, "Session", "outside the list"},
    {"PresetRespawnOffItsList", presetWith({{"Server/Respawn", "121"}}), 8, "Respawn", "outside the list"},
    {"PresetCheckOfThree", presetWith({{"Server/Dedicated", "3"}}), 9, "Dedicated", "not a check value"},
    // Load reads AutoBalance first: its missing key stops it there.
    {"PresetWithoutAutoBalance", presetWith({{"Server/AutoBalance", QString()}}), 12, "AutoBalance", "not a whole number"},
};
// clang-format on

class RefusalOf : public testing::TestWithParam<Refusal> {};

TEST_P(RefusalOf, NamesThePlaceAndTheReason) {
    const auto read = GetParam().read();
    ASSERT_TRUE(std::holds_alternative<Fault>(read));
    const Fault& fault = std::get<Fault>(read);
    EXPECT_EQ(fault.field, GetParam().field);
    EXPECT_EQ(fault.setting, GetParam().setting);
    EXPECT_EQ(fault.reason, GetParam().reason);
}

INSTANTIATE_TEST_SUITE_P(Texts, RefusalOf, testing::ValuesIn(kRefusals),
                         [](const auto& info) { return info.param.name; });

struct Reading {
    std::string name;
    std::function<Read<ServerSettings>()> read;
    Change expected;  // the lobby changed so
};

// clang-format off
const Reading kReadings[] = {
    {"ReplyBlankWeaponEntrySkipped", replyWith("TTQ=,1|", "TTQ=,1| |"), nullptr},
    {"ReplyRoleFlagIsCaseSensitive", replyWith("False|True|False[-]", "False|true|False[-]"),
     [](ServerSettings& s) { s.roles[2].restricted = false; }},
    {"ReplyFieldsAfterTheGamePortIgnored", replyWith("|17479[-]", "|17479|9|9[-]"), nullptr},
    {"UpdateNamesAWeaponTheServerLacks", updateWith("[-]TTQ=[-]", "[-]TTQ=|TEFX[-]"),
     [](ServerSettings& s) { s.weapons.append({"LAW", true}); }},
    {"UpdateGreyedAutoLoadIsOff", updateWith("|[-]1", "|[-]2"), [](ServerSettings& s) { s.autoLoad = false; }},
    {"PresetPlayersNoSelectionTakesFifty", presetWith({{"Server/Players", "-1"}}), field(4, "49")},
    {"PresetPlayersFractionRoundsHalfToEven", presetWith({{"Server/Players", "22.5"}}), field(4, "22")},
    {"PresetTimeNoSelectionTakesThirty", presetWith({{"Server/Time", "-1"}}), field(5, "30")},
    {"PresetKillsAndTakeoverNoSelection", presetWith({{"Server/MaxFF", "-1"}, {"Server/PSPTime", "-1"}}),
     [](ServerSettings& s) { s.fields[17] = "6"; s.fields[20] = "15"; }},
    {"PresetBlankNameIsUntitled", presetWith({{"Server/ServerName", " "}}), field(0, "Untitled")},
    {"PresetFlagReturnNotNumericSends210", presetWith({{"Server/FlagReturn", "abc"}}), field(21, "210")},
    {"PresetLivesWithBlanksSentAsTyped", presetWith({{"Server/Lives", " 45 "}}), field(22, " 45 ")},
    {"PresetPingsBlankOrNotNumeric", presetWith({{"Server/MinPing", QString()}, {"Server/MaxPing", "x"}}),
     [](ServerSettings& s) { s.fields[27] = "0"; s.fields[29] = "15000"; }},
    {"PresetCountryChosenFromTheList", presetWith({{"Server/Country", "72"}}), field(1, "GB")},
    {"PresetCountryTypedIsEmpty", presetWith({{"Server/Country", "-1"}}), field(1, "")},
    {"PresetAutoBalanceUnchecked", presetWith({{"Server/AutoBalance", "0"}}), field(12, "1")},
    {"PresetBlankMessageSentEmpty", presetWith({{"Server/Message", " "}}), field(13, "")},
    {"PresetGamePortNeverSent", presetWith({{"Server/GamePort", "1234"}}), nullptr},
    {"PresetRoleMissingOrNotOne", presetWith({{"Roles/Medic", QString()}, {"Roles/Sniper", "yes"}}),
     [](ServerSettings& s) { s.roles[2].restricted = false; }},
    {"PresetWeaponsOfTheServerOnly",
     presetWith({{"Weapons/Claymore", "1"}, {"Weapons/LAW", "1"}, {"Weapons/M4", QString()}}),
     [](ServerSettings& s) { s.weapons = {{"M4", false}, {"Claymore", true}}; }},
};
// clang-format on

class ReadingOf : public testing::TestWithParam<Reading> {};

TEST_P(ReadingOf, GivesTheSettingsWrittenByHand) {
    const auto read = GetParam().read();
    ASSERT_TRUE(std::holds_alternative<ServerSettings>(read))
        << std::get<Fault>(read).reason.toStdString();
    EXPECT_EQ(std::get<ServerSettings>(read), lobbyWith(GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(Texts, ReadingOf, testing::ValuesIn(kReadings),
                         [](const auto& info) { return info.param.name; });

struct Difference {
    std::string name;
    Change change;
    QStringList texts;
    QStringList keys;
};

// clang-format off
const Difference kDifferences[] = {
    {"Nothing", nullptr, {}, {}},
    {"PlayersByTheirNumber", field(4, "15"), {"Max Players: 24 -> 16"}, {"Players"}},
    {"SameNumberWrittenDifferently", field(4, " 23.0 "), {}, {}},
    {"SessionByItsEntry", field(2, "1"), {"Sesstion Type: NovaWorld -> LAN IP"}, {"Session"}},
    {"TimeAndDelay", [](ServerSettings& s) { s.fields[5] = "20"; s.fields[6] = "3"; },
     {"Time Limit: Infinite -> 20", "Start Delay: 2 Minutes -> 3 Minutes"}, {"Time", "Delay"}},
    {"AutoBalanceInverted", field(12, "1"), {"Auto Balance: on -> off"}, {"AutoBalance"}},
    {"PasswordOnlyChanged", field(3, "n3w"), {"Password: changed"}, {"Password"}},
    {"EmptyNameAndMessageOnOneLine", [](ServerSettings& s) { s.fields[0] = ""; s.fields[13] = "Hi\nthere"; },
     {"Name: Lobby -> (empty)", "Host Message: Welcome!  No camping. -> Hi there"}, {"ServerName", "Message"}},
    {"RoleAndWeaponFlags", [](ServerSettings& s) { s.roles[3].restricted = true; s.weapons[0].restricted = false; },
     {"Role Restrictions: Sniper unrestricted -> restricted", "Weapon Restrictions: M4 restricted -> unrestricted"},
     {"Roles", "Weapons"}},
    {"WeaponAddedAndRemoved", [](ServerSettings& s) { s.weapons = {{"Claymore", false}, {"LAW", true}}; },
     {"Weapon Restrictions: LAW added, restricted", "Weapon Restrictions: M4 removed"}, {"Weapons"}},
    {"AutoLoad", [](ServerSettings& s) { s.autoLoad = false; },
     {"Autoload last known settings on start up. on -> off"}, {"AutoLoad"}},
};
// clang-format on

class DifferenceOf : public testing::TestWithParam<Difference> {};

TEST_P(DifferenceOf, SaysWhatChangedInTheFormsWords) {
    const QList<SettingChange> changes = differences(lobby(), lobbyWith(GetParam().change));
    QStringList texts;
    for (const SettingChange& change : changes) texts << changeText(change);
    EXPECT_EQ(texts, GetParam().texts);
    EXPECT_EQ(changedKeys(changes), GetParam().keys);
    for (const SettingChange& change : changes) {
        if (change.kind != ChangeKind::Secret) continue;
        EXPECT_TRUE(change.before.isEmpty() && change.after.isEmpty());
    }
}

INSTANTIATE_TEST_SUITE_P(Values, DifferenceOf, testing::ValuesIn(kDifferences),
                         [](const auto& info) { return info.param.name; });

struct Merge {
    std::string name;
    bool baseKept;
    Change theirs;
    Change yours;
    Change merged;                 // the lobby changed so; a conflict keeps theirs
    QList<QStringList> conflicts;  // label, base, theirs, yours as the form shows them
    Change settledYours = nullptr;  // a conflict's lobby when it takes yours
};

// clang-format off
const Merge kMerges[] = {
    {"DisjointChangesBothKept", true, field(0, "Renamed"), field(4, "31"),
     [](ServerSettings& s) { s.fields[0] = "Renamed"; s.fields[4] = "31"; }, {}},
    {"UpdateLeavingASettingKeepsTheirs", true, field(13, "New rules"), nullptr, field(13, "New rules"), {}},
    {"SameSettingSameValue", true, field(4, "31"), field(4, "31"), field(4, "31"), {}},
    {"SameNumberWrittenDifferently", true, field(4, " 23 "), field(4, "31"), field(4, "31"), {}},
    {"FlagsOfDifferentEntries", true,
     [](ServerSettings& s) { s.weapons[1].restricted = true; s.autoLoad = false; },
     [](ServerSettings& s) { s.weapons[0].restricted = false; s.roles[3].restricted = true; },
     [](ServerSettings& s) {
         s.weapons = {{"M4", false}, {"Claymore", true}};
         s.roles[3].restricted = true;
         s.autoLoad = false; }, {}},
    {"SameSettingDifferentValues", true, field(4, "31"), field(4, "15"), field(4, "31"),
     {{"Max Players:", "24", "32", "16"}}, field(4, "15")},
    {"PasswordConflictNamesItOnly", true, field(3, "ours"), field(3, "mine"), field(3, "ours"),
     {{"Password:", "changed", "changed", "changed"}}, field(3, "mine")},
    {"BaseNoLongerKeptConflictsWhereverTheyDiffer", false, field(0, "Renamed"), field(4, "31"), field(0, "Renamed"),
     {{"Name:", "(not kept)", "Renamed", "Lobby"}, {"Max Players:", "(not kept)", "24", "32"}}, field(4, "31")},
    {"RoleConflictSettledEitherWay", false, [](ServerSettings& s) { s.roles[3].restricted = true; },
     nullptr, [](ServerSettings& s) { s.roles[3].restricted = true; },
     {{"Role Restrictions: Sniper", "(not kept)", "restricted", "unrestricted"}}, nullptr},
    {"BaseNoLongerKeptSameValuesMerge", false, field(4, "31"), field(4, "31"), field(4, "31"), {}},
};
// clang-format on

class MergeOf : public testing::TestWithParam<Merge> {};

TEST_P(MergeOf, KeepsEveryonesChangesOrNamesTheConflicts) {
    const std::optional<ServerSettings> base =
        GetParam().baseKept ? std::optional(lobby()) : std::nullopt;
    const MergeResult result =
        mergeSettings(base, lobbyWith(GetParam().theirs), lobbyWith(GetParam().yours));
    QList<QStringList> conflicts;
    for (const MergeConflict& c : result.conflicts)
        conflicts.append({conflictLabel(c), shownConflictValue(c, c.base),
                          shownConflictValue(c, c.theirs), shownConflictValue(c, c.yours)});
    EXPECT_EQ(conflicts, GetParam().conflicts);
    EXPECT_EQ(result.settled(MergeSide::Theirs), lobbyWith(GetParam().merged));
    if (!GetParam().conflicts.isEmpty()) {
        EXPECT_EQ(result.merged, std::nullopt) << "a merge that conflicts makes nothing";
        EXPECT_EQ(result.settled(MergeSide::Yours), lobbyWith(GetParam().settledYours));
        return;
    }
    EXPECT_EQ(result.merged, lobbyWith(GetParam().merged));
    EXPECT_EQ(result.settled(MergeSide::Yours), lobbyWith(GetParam().merged));
}

INSTANTIATE_TEST_SUITE_P(Values, MergeOf, testing::ValuesIn(kMerges),
                         [](const auto& info) { return info.param.name; });

}  // namespace
