// What an update changes against the settings last fetched, in the form's
// terms; a password says "changed" and nothing else; a text that cannot be
// read says why.
#include <gtest/gtest.h>

#include <QStringList>

#include <map>
#include <string>

#include "host/changes/settings_difference.h"
#include "host/changes/settings_memory.h"

namespace {

using namespace jexhost::changes;

// The fetched settings: "My server", DE, NovaWorld, password "s3cr3t!", 16
// players, no time limit, auto balance off (field 12 is "1"), host message
// "Hi", team passwords "blue pass" / "red pass", 6 friendly kills, takeover
// 15; roles CQB and Medic; M4 and M60 restricted, Knife not; auto-load on.
const QStringList kFields =
    QStringLiteral(
        "TXkgc2VydmVy|REU=|0|czNjcjN0IQ==|15|0|2|2|8|1|0|1|1|SGk=|Ymx1ZSBwYXNz|cmVkIHBhc3M=|"
        "0|6|1|1|15|210|100|1|0|0|1|0|1|0|0|0|1")
        .split(u'|');

QStringList fields(const std::map<int, QString>& changed) {
    QStringList list = kFields;
    for (const auto& [index, value] : changed) list[index] = value;
    return list;
}

QString reply(const std::map<int, QString>& changed = {},
              const QString& rest = "True|False|True|False[-]TTQ=,1|S25pZmU=,0|TTYw,1[-]1") {
    return fields(changed).join(u'|') + "|17479[-]" + rest;
}

QString update(const std::map<int, QString>& changed = {},
               const QString& rest = "TTQ=|TTYw[-]CQB||Medic|[-]1") {
    return fields(changed).join(u'|') + "[-]" + rest;
}

struct Case {
    std::string name;
    QString reply;
    QString update;
    QStringList lines;
    QString summary;
};

// clang-format off
const Case kCases[] = {
    {"NothingChanged", reply(), update(), {"No settings changed"}, "No settings changed"},
    {"ThreeSettingsARoleTwoWeaponsAndAPassword", reply(),
     update({{2, "1"}, {3, "bjN3LXBhc3M="}, {4, "23"}, {5, "30"}}, "TTQ=|S25pZmU=[-]CQB||Medic|Sniper[-]1"),
     {"Sesstion Type: NovaWorld -> LAN IP", "Password: changed", "Max Players: 16 -> 24",
      "Time Limit: Infinite -> 30", "Role Restrictions: Sniper unrestricted -> restricted",
      "Weapon Restrictions: Knife unrestricted -> restricted", "Weapon Restrictions: M60 restricted -> unrestricted"},
     "7 changes"},
    {"TeamPasswordsClearedAndRoleDropped", reply(), update({{14, ""}, {15, ""}}, "TTQ=|TTYw[-]||Medic|[-]1"),
     {"Blue Password: changed", "Red Password: changed", "Role Restrictions: CQB restricted -> unrestricted"},
     "3 changes"},
    {"ChecksTextsAndAutoLoad", reply(),
     update({{9, "2"}, {13, "R3LDvMOfZQ=="}, {1, ""}, {22, " 45 "}}, "TTQ=|TTYw[-]CQB||Medic|[-]0"),
     {"Country: DE -> (empty)", "Dedicated: on -> greyed", "Host Message: Hi -> Grüße",
      "Max Team Lives: 100 ->  45 ", "Autoload last known settings on start up. on -> off"},
     "5 changes"},
    {"BodyOneFieldShort", reply(), "0|1[-][-]|||[-]0",
     {"cannot compare: Body: not four sections of 33 fields and 4 role slots"},
     "cannot compare: Body: not four sections of 33 fields and 4 role slots"},
    // The text that failed to read is a password: only its name is told.
    {"PasswordNotBase64", reply(), update({{3, "s3cr3t!"}}),
     {"cannot compare: Password: not Base64"}, "cannot compare: Password: not Base64"},
};
// clang-format on

SettingsDifference difference(const QString& reply, const QString& body) {
    const Snapshot last = snapshotOfReply(reply);
    return compare(last, snapshotOfUpdate(body, last));
}

// Every text a snapshot holds.
QStringList textsOf(const Snapshot& snapshot) {
    if (const auto* fault = std::get_if<kdrsm::model::Fault>(&snapshot))
        return {fault->setting, fault->reason};
    const auto& settings = std::get<kdrsm::model::ServerSettings>(snapshot);
    return QStringList(settings.fields.cbegin(), settings.fields.cend());
}

class Difference : public testing::TestWithParam<Case> {};

TEST_P(Difference, ShowsEachChangeInTheFormsTerms) {
    const Case& c = GetParam();
    const SettingsDifference result = difference(c.reply, c.update);
    EXPECT_EQ(differenceLines(result), c.lines);
    EXPECT_EQ(differenceSummary(result), c.summary);

    // No password, plain or encoded, in any row, whatever the outcome.
    QStringList seen = differenceLines(result);
    for (const SettingChange& change : result.changes) seen << change.before << change.after;
    // Nor in what is remembered of either text.
    const Snapshot last = snapshotOfReply(c.reply);
    seen << textsOf(last) << textsOf(snapshotOfUpdate(c.update, last));
    for (const char* secret : {"s3cr3t!", "czNjcjN0IQ", "n3w-pass", "bjN3LXBhc3M", "blue pass",
                               "Ymx1ZSBwYXNz", "red pass", "cmVkIHBhc3M"})
        for (const QString& text : seen)
            EXPECT_FALSE(text.contains(QLatin1String(secret))) << text.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Updates, Difference, testing::ValuesIn(kCases),
                         [](const auto& info) { return info.param.name; });

// The max-players field of what is remembered for a server, or why nothing is.
QString playersKept(const SettingsMemory& memory, const QString& server) {
    const Snapshot kept = memory.lastFetched(server);
    if (const auto* fault = std::get_if<kdrsm::model::Fault>(&kept)) return fault->reason;
    return std::get<kdrsm::model::ServerSettings>(kept).fields[4];
}

// The remembered settings are per server, replaced by each good fetch and
// kept through a failed or empty one.
TEST(SettingsMemory, KeepsTheLastGoodFetchOfEachServer) {
    SettingsMemory memory;
    EXPECT_EQ(playersKept(memory, "Alpha"), "no settings fetched from this server");
    memory.remember("Alpha", reply());
    memory.remember("Bravo", reply({{4, "23"}}));
    memory.remember("Alpha", "Failed");
    memory.remember("Alpha", "");
    EXPECT_EQ(playersKept(memory, "Alpha"), "15");
    EXPECT_EQ(playersKept(memory, "Bravo"), "23");
    memory.remember("Alpha", reply({{4, "31"}}));
    EXPECT_EQ(playersKept(memory, "Alpha"), "31");
    memory.forget("Alpha");
    EXPECT_EQ(playersKept(memory, "Alpha"), "no settings fetched from this server");
    EXPECT_EQ(playersKept(memory, "Bravo"), "23");
}

TEST(SettingsDifference, BoundsLongValuesAndManyWeapons) {
    const QString longName = QString::fromLatin1(QByteArray(300, 'a').toBase64());
    QStringList weapons;
    for (int i = 0; i < 150; ++i)
        weapons << QString::fromLatin1(QStringLiteral("w%1").arg(i).toUtf8().toBase64());
    const SettingsDifference result =
        difference(reply(), update({{0, longName}}, weapons.join(u'|') + "[-]CQB||Medic|[-]1"));
    ASSERT_TRUE(result.comparable());
    EXPECT_EQ(kdrsm::model::shownAfter(result.changes.first()), QString(199, u'a') + "…");
    // Two no longer restricted (M4, M60) and 98 of the 150 added are shown; 52 are counted.
    EXPECT_EQ(result.changes.size(), 101);
    EXPECT_EQ(result.omittedWeapons, 52);
    EXPECT_EQ(differenceLines(result).constLast(), "Weapon Restrictions: and 52 more");
    EXPECT_EQ(differenceSummary(result), "153 changes");
}

}  // namespace
