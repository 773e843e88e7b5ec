// What an update changes against the settings last fetched, in the form's
// terms; a password says "changed" and nothing else; a text that cannot be
// read says why. And the ledger that keeps, per server, the settings its
// panel was handed, their version, the settings last seen, others' changes
// since and the privileges in force.
#include <gtest/gtest.h>

#include <QStringList>

#include <algorithm>
#include <map>
#include <optional>
#include <string>
#include <type_traits>
#include <vector>

#include "exchange/model/settings_update.h"
#include "host/changes/settings_difference.h"
#include "host/servers/server_ledger.h"
#include "link/privilege_names.h"

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
    if (const auto* fault = snapshot.fault()) return {fault->setting, fault->reason};
    QStringList texts;
    for (int i = 0; i < kdrsm::model::kSettingCount; ++i) texts << snapshot.field(i);
    return texts;
}

// A snapshot, whose passwords are fingerprints, turns into nothing an update
// body is made from.
template <typename T>
concept ReadWhole = requires(const T& snapshot) {
    std::get<kdrsm::model::ServerSettings>(snapshot);
};
static_assert(!ReadWhole<Snapshot>);
static_assert(!std::is_convertible_v<Snapshot, kdrsm::model::ServerSettings>);
static_assert(!std::is_invocable_v<decltype(&kdrsm::model::updateBody), Snapshot>);

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

// ---------------------------------------------------------------------------
// The ledger, step by step.

using jexhost::servers::ServerLedger;

enum class Op { Handed, Stored, Seen, Noticed, Grant, Revoke, Forget };

struct Step {
    Op op;
    QString text = {};  // a reply or an answer; for Grant the five privileges ("10110") or "super"
    std::optional<qint64> version = {};
    QString said = {};  // what the step answers, in words
    QString server = "A";
};

struct LedgerCase {
    std::string name;
    std::vector<Step> steps;
    std::map<QString, QString> states;  // by server, as stateOf words it
};

const QString kNone = "seen: no settings fetched from this server";

QString doStep(ServerLedger& ledger, const Step& step) {
    const jexlink::Envelope answer{0, step.text, {}, step.version};
    switch (step.op) {
        case Op::Handed:
            return ledger.handed(step.server, answer) ? "mark ends" : "";
        case Op::Stored:
            ledger.stored(step.server, answer);
            break;
        case Op::Seen:
            ledger.seen(step.server, step.text);
            break;
        case Op::Noticed:
            return ledger.noticed(step.server, {0, *step.version, "bob", {}, {"Max Players:"}})
                       ? "marked"
                       : "";
        case Op::Grant: {
            jexlink::Welcome welcome{"bob", step.text == "super", {}};
            for (int i = 0; i < 5 && step.text != "super"; ++i)
                welcome.privileges.append({QString::fromLatin1(jexlink::kPrivilegeNames[i]),
                                           step.text[i] == u'1' ? 1 : 0});
            const auto lowered = ledger.grant(step.server, welcome);
            if (!lowered) return "unchanged";
            return "lowered: " + (lowered->isEmpty() ? "nothing" : lowered->join(", "));
        }
        case Op::Revoke:
            ledger.revoke(step.server);
            break;
        case Op::Forget:
            ledger.forget(step.server);
            break;
    }
    return {};
}

QString players(const Snapshot& snapshot) {
    return snapshot.fault() ? snapshot.fault()->reason : snapshot.field(4);
}

QString stateOf(const ServerLedger& ledger, const QString& server) {
    QStringList said;
    const QString handed = ledger.handedReply(server);
    said << (handed.isEmpty() ? "nothing handed" : "handed " + players(snapshotOfReply(handed)));
    const auto version = ledger.version(server);
    said << (version ? QString("version %1").arg(*version) : "no version");
    said << "seen: " + players(ledger.lastSeen(server));
    if (ledger.changedSinceHanded(server)) said << "marked";
    for (const auto& notice : ledger.noticesSinceHanded(server))
        said << QString("notice %1").arg(notice.version);
    if (const auto& privileges = ledger.privileges(server))
        said << (privileges->superAdmin
                     ? "super"
                     : QString("%1 privileges")
                           .arg(std::count_if(privileges->privileges.cbegin(),
                                              privileges->privileges.cend(),
                                              [](const auto& p) { return p.second; })));
    return said.join(", ");
}

// clang-format off
const LedgerCase kLedgerCases[] = {
    {"HandedReplyThenAnotherOperatorsChange",
     {{Op::Handed, reply(), 5}, {Op::Noticed, {}, 6, "marked"}, {Op::Noticed, {}, 5}},
     {{"A", "handed 15, version 5, seen: 15, marked, notice 6"},
      {"B", "nothing handed, no version, " + kNone}}},
    {"OnlySettingsAsNewAsTheMarkEndIt",
     {{Op::Handed, reply(), 5}, {Op::Noticed, {}, 6, "marked"}, {Op::Noticed, {}, 7, "marked"},
      {Op::Handed, reply({{4, "23"}}), 6}},
     {{"A", "handed 23, version 6, seen: 23, marked, notice 7"}}},
    {"HandedTheMarkedVersion",
     {{Op::Handed, reply(), 5}, {Op::Noticed, {}, 6, "marked"}, {Op::Handed, reply({{4, "23"}}), 6, "mark ends"}},
     {{"A", "handed 23, version 6, seen: 23"}}},
    {"StoredUpdateMovesTheVersion",
     {{Op::Handed, reply(), 5}, {Op::Stored, "1", 7}, {Op::Stored, "0", 9}, {Op::Stored, "1", 6},
      {Op::Stored, "1"}},
     {{"A", "handed 15, version 7, seen: 15"}}},
    // The update was merged with bob's change, which the form lacks.
    {"StoredUpdateAfterAnotherOperatorsChangeKeepsTheVersion",
     {{Op::Handed, reply(), 5}, {Op::Noticed, {}, 6, "marked"}, {Op::Stored, "1", 7}},
     {{"A", "handed 15, version 5, seen: 15, marked, notice 6"}}},
    {"StoredWithNothingHandedNamesNoVersion",
     {{Op::Seen, reply()}, {Op::Stored, "1", 7}},
     {{"A", "nothing handed, no version, seen: 15"}}},
    {"PrivilegesLowered",
     {{Op::Grant, "11111", {}, "lowered: nothing"},
      {Op::Grant, "10110", {}, "lowered: Change Max Players, Change Req Nova Login Option"},
      {Op::Grant, "10110", {}, "unchanged"}, {Op::Grant, "super", {}, "lowered: nothing"},
      {Op::Grant, "01000", {}, "lowered: Change Session Type, Change Dedicated Mode, "
                               "Change Custom Skins Option, Change Req Nova Login Option"}},
     {{"A", "nothing handed, no version, " + kNone + ", 1 privileges"}}},
    {"ClosedPanelHasNoPrivileges",
     {{Op::Grant, "super", {}, "lowered: nothing"}, {Op::Revoke}, {Op::Grant, "00000", {}, "lowered: nothing"}},
     {{"A", "nothing handed, no version, " + kNone + ", 0 privileges"}}},
    // A failed or empty fetch keeps the last good one, per server.
    {"LastGoodSettingsSeenPerServer",
     {{Op::Seen, reply()}, {Op::Seen, reply({{4, "23"}}), {}, {}, "B"}, {Op::Seen, "Failed"},
      {Op::Seen, ""}},
     {{"A", "nothing handed, no version, seen: 15"}, {"B", "nothing handed, no version, seen: 23"}}},
    {"ForgottenServerKeepsNothing",
     {{Op::Handed, reply(), 5}, {Op::Noticed, {}, 6, "marked"}, {Op::Grant, "11111", {}, "lowered: nothing"},
      {Op::Seen, reply({{4, "23"}}), {}, {}, "B"}, {Op::Forget}},
     {{"A", "nothing handed, no version, " + kNone}, {"B", "nothing handed, no version, seen: 23"}}},
};
// clang-format on

class Ledger : public testing::TestWithParam<LedgerCase> {};

TEST_P(Ledger, KeepsWhatTheConsoleKnowsOfEachServer) {
    ServerLedger ledger;
    for (const Step& step : GetParam().steps)
        EXPECT_EQ(doStep(ledger, step), step.said) << step.text.left(20).toStdString();
    for (const auto& [server, state] : GetParam().states)
        EXPECT_EQ(stateOf(ledger, server), state) << server.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Steps, Ledger, testing::ValuesIn(kLedgerCases),
                         [](const auto& info) { return info.param.name; });

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
