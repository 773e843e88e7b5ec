// Every setting's names and its values as the form shows them.
#include <gtest/gtest.h>

#include "exchange/model/setting_names.h"
#include "exchange/model/setting_text.h"

namespace {

using namespace kdrsm::model;

struct Shown {
    std::string name;
    int field;
    QString stored;
    QString shown;
};

const Shown kShown[] = {
    {"PlayersByTheirNumber", 4, "23", "24"},
    {"PlayersWithBlanksRoundHalfToEven", 4, " 22.5 ", "23"},
    {"PlayersNoSelection", 4, "-1", "(none)"},
    {"PlayersOffTheList", 4, "60", "(entry 60)"},
    {"PlayersNotANumber", 4, "abc", "(not a number)"},
    {"PlayersBeyondSixteenBits", 4, "40000", "(out of range)"},
    {"TimeZeroIsInfinite", 5, "0", "Infinite"},
    {"TimeThirty", 5, "30", "30"},
    {"SessionNovaWorld", 2, "0", "NovaWorld"},
    {"SessionLanIp", 2, "1", "LAN IP"},
    {"DelayTwoMinutes", 6, "2", "2 Minutes"},
    {"MapsCycle", 7, "2", "Cycle"},
    {"RespawnIsItsNumber", 8, "0", "0"},
    {"FriendlyKillsOneHigherOnTheWire", 17, "6", "6"},
    {"FriendlyKillsZeroSelectsNothing", 17, "0", "(none)"},
    {"TakeoverOneHigherOnTheWire", 20, "1", "1"},
    {"CheckOn", 9, "1", "on"},
    {"CheckGreyed", 23, "2", "greyed"},
    {"CheckOffTheBox", 9, "3", "(value 3)"},
    {"AutoBalanceStoredOneIsOff", 12, "1", "off"},
    {"AutoBalanceAnyOtherNumberIsOn", 12, "2", "on"},
    {"GamePortZeroIsTheDefault", 33, " 0 ", "17479"},
    {"GamePortDoubleZeroStays", 33, "00", "00"},
    {"FreeTextAsTyped", 13, "Hi\r\nthere", "Hi\r\nthere"},
    {"NumericTextAsTyped", 22, " 45 ", " 45 "},
    {"PasswordHidden", 3, "secret", "(hidden)"},
    {"TeamPasswordHiddenEvenEmpty", 15, "", "(hidden)"},
};

class ShownValue : public testing::TestWithParam<Shown> {};

TEST_P(ShownValue, IsWhatTheFormShows) {
    EXPECT_EQ(shownField(GetParam().field, GetParam().stored), GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(Fields, ShownValue, testing::ValuesIn(kShown),
                         [](const auto& info) { return info.param.name; });

TEST(SettingNames, KeysCaptionsAndSecrets) {
    EXPECT_EQ(settingKey(0), "ServerName");
    EXPECT_EQ(settingKey(32), "DestroyBuildings");
    EXPECT_EQ(settingLabel(10), "Req. Nova Login:");
    EXPECT_EQ(fieldOfKey(u"GamePort"), 33);
    EXPECT_EQ(fieldOfKey(u"Players"), 4);
    EXPECT_EQ(fieldOfKey(u"players"), -1);
    EXPECT_EQ(fieldOfKey(u"Roles"), -1);
    EXPECT_EQ(labelOfKey(u"Session"), "Sesstion Type:");
    EXPECT_EQ(labelOfKey(u"Weapons"), "Weapon Restrictions");
    EXPECT_EQ(labelOfKey(u"AutoLoad"), "Autoload last known settings on start up.");
    EXPECT_EQ(labelOfKey(u"Nothing"), "");
    QStringList secrets;
    for (int i = 0; i < kSettingCount; ++i)
        if (isSecret(i)) secrets << settingKey(i);
    EXPECT_EQ(secrets, (QStringList{"Password", "BluePass", "RedPass"}));
}

TEST(OneLine, BlanksBreaksMarksEmptyAndCuts) {
    EXPECT_EQ(oneLine("a\r\nb\tc\u2029d"), "a  b c d");
    EXPECT_EQ(oneLine(""), "(empty)");
    EXPECT_EQ(oneLine("abcdef", 4), "abc…");
    EXPECT_EQ(oneLine("abcd", 4), "abcd");
}

}  // namespace
