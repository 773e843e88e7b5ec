// Two hosts editing one server over loopback: root stores an update, then
// the second host sends one made from the version both fetched. What is
// merged, what is a conflict and how it is told, and who hears of a change.
#include <QJsonObject>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>

#include "link/link_messages.h"
#include "remote/remote_service.h"
#include "remote_client.h"
#include "remote_fixture.h"
#include "support/temp_host.h"

namespace {

using jextest::Client;
using jextest::kLeeToken;  // no Max Players
using jextest::kRootToken;

struct Team : jextest::InProcessRemote {
    Client a, b;  // root, and the second host

    explicit Team(const QString& bToken) {
        EXPECT_TRUE(a.welcomed(url(), kRootToken) && b.welcomed(url(), bToken));
    }
};

jexlink::Envelope send(Client& client, const QString& message) {
    const qsizetype before = client.received.size();
    client.socket.sendTextMessage(message);
    return client.first<jexlink::Envelope>(jexlink::readAnswerMessage, before)
        .value_or(jexlink::Envelope{-1, {}});
}

jexlink::Envelope fetch(Client& client) {
    return send(client, jexlink::requestMessage(1, jextest::fetchRequest()));
}

QList<jexlink::ChangedNotice> notices(const Client& client) {
    QList<jexlink::ChangedNotice> found;
    for (const QString& message : client.received)
        if (auto notice = jexlink::readChangedMessage(message)) {
            notice->time.clear();
            found.append(*notice);
        }
    return found;
}

// One setting of the hand-written server given a new value: the name, the
// password (free text) or Max Players (stored 31 and shown as 32).
struct Edit {
    int field;
    const char* value;
};

QString updateText(const Edit& edit) {
    auto body = jextest::restatingBody();
    body.fields[edit.field] = edit.field == 4 ? edit.value : jextest::base64(edit.value);
    return jextest::updateRequest(body);
}

enum class Base { Fetched, None, NeverKept };

struct TeamCase {
    const char* name;
    Edit first, second;  // root's update from version 1, then the second host's
    Base base;
    QString secondToken;
    const char* answer;
    QList<QStringList> conflicts;  // setting, base, theirs, yours
    const char* finalName;
    const char* finalPlayers;
    bool noChange = false;  // answered "1" with nothing left to store
};

class TeamEdits : public ::testing::TestWithParam<TeamCase> {};

TEST_P(TeamEdits, SecondUpdateIsMergedOrRefusedWithItsConflicts) {
    const TeamCase& row = GetParam();
    Team team(row.secondToken);
    EXPECT_EQ(fetch(team.b).version, 1) << "the state file as found";
    const auto rootsAnswer = send(team.a, jexlink::requestMessage(2, updateText(row.first), 1));
    ASSERT_EQ(rootsAnswer.text, "1");
    EXPECT_EQ(rootsAnswer.version, 2) << "a stored update names the version it made";
    const auto rootsChange = team.b.first<jexlink::ChangedNotice>(jexlink::readChangedMessage);
    ASSERT_TRUE(rootsChange);
    EXPECT_EQ(rootsChange->version, 2);

    const std::optional<qint64> base = row.base == Base::Fetched     ? std::optional<qint64>(1)
                                       : row.base == Base::NeverKept ? std::optional<qint64>(99)
                                                                     : std::nullopt;
    const qsizetype before = team.b.received.size();
    const auto answer =
        send(team.b, jexlink::requestMessage(4, updateText(row.second), base, "fleet-7"));
    EXPECT_EQ(answer.text, row.answer);
    QList<QStringList> conflicts;
    for (const jexlink::Conflict& conflict : answer.conflicts) {
        conflicts.append({conflict.setting, conflict.base, conflict.theirs, conflict.yours});
        EXPECT_EQ(conflict.operatorName + conflict.time, "root" + rootsChange->time);
    }
    EXPECT_EQ(conflicts, row.conflicts);
    const QString seen = team.b.received.mid(before).join(u'\n');
    for (const char* password : {"Hunter2Secret!", "Swordfish99"})
        EXPECT_FALSE(seen.contains(QLatin1String(password)));

    const bool answered = answer.text == u"1";
    const bool stored = answered && !row.noChange;
    // A stored update names the version it made; one that changed nothing the
    // version the server holds; a refusal none.
    EXPECT_EQ(answer.version, stored     ? std::optional<qint64>(3)
                              : answered ? std::optional<qint64>(2)
                                         : std::nullopt);
    EXPECT_EQ(fetch(team.a).version, stored ? 3 : 2);
    EXPECT_EQ(notices(team.a).size(), stored ? 1 : 0) << "never of root's own change";
    team.a.socket.sendTextMessage(jexlink::historyRequestMessage(3, 0));
    const auto history = team.a.first<QPair<qint64, jexlink::History>>(jexlink::readHistoryAnswer);
    ASSERT_TRUE(history);
    const QJsonObject record = history->second.records.at(0).toObject();
    EXPECT_EQ(record.value("version"), stored ? 3 : 2) << "a refusal stores nothing";
    EXPECT_EQ(record.value("noChange").toBool(), row.noChange);
    EXPECT_EQ(record.value("batch").toString(), answered ? "fleet-7" : "");
    EXPECT_EQ(record.value("mergedWith").toInteger(0), answered && row.base != Base::None ? 2 : 0);
    const auto settings = team.service->settings(0);
    EXPECT_EQ(settings->fields[0] + u'|' + settings->fields[4],
              QString(row.finalName) + u'|' + row.finalPlayers);
}

const QString kChanged = QStringLiteral("changed");
const Edit kAlpha{0, "Alpha"}, kBravo{0, "Bravo"}, k25Players{4, "24"};

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    TwoHosts, TeamEdits,
    ::testing::Values(
        TeamCase{"DisjointChangesAreBothKept", kAlpha, k25Players, Base::Fetched, kRootToken,
                 "1", {}, "Alpha", "24"},
        TeamCase{"SameSettingToAnotherValueIsAConflict", kAlpha, kBravo, Base::Fetched,
                 kRootToken, "0", {{"Name:", "Night Ops", "Alpha", "Bravo"}}, "Alpha", "31"},
        TeamCase{"SameSettingToTheSameValueIsNoConflictAndNoChange", k25Players, k25Players,
                 Base::Fetched, kRootToken, "1", {}, "Night Ops", "24", true},
        TeamCase{"WithoutBaseTheLastWriterWins", kAlpha, k25Players, Base::None, kRootToken,
                 "1", {}, "Night Ops", "24"},
        TeamCase{"BaseNeverKeptConflictsWhereValuesDiffer", kAlpha, k25Players,
                 Base::NeverKept, kRootToken, "0",
                 {{"Name:", "(not kept)", "Alpha", "Night Ops"},
                  {"Max Players:", "(not kept)", "32", "25"}}, "Alpha", "31"},
        TeamCase{"PasswordConflictNamesTheSettingOnly", {3, "Hunter2Secret!"},
                 {3, "Swordfish99"}, Base::Fetched, kRootToken, "0",
                 {{"Password:", kChanged, kChanged, kChanged}}, "Night Ops", "31"},
        TeamCase{"GuardedSettingSomeoneElseChangedIsNoRefusal", k25Players, kBravo,
                 Base::Fetched, kLeeToken, "1", {}, "Bravo", "24"},
        TeamCase{"MergeCannotChangeAGuardedSettingWithoutItsPrivilege", kAlpha, k25Players,
                 Base::Fetched, kLeeToken, "0", {}, "Alpha", "31"}),
    [](const auto& info) { return std::string(info.param.name); });
// clang-format on

// A revert is announced too, to every other connection of any operator.
TEST(TeamNotices, RevertReachesEveryOtherConnection) {
    Team team(kLeeToken);
    Client c;  // root again
    ASSERT_TRUE(c.welcomed(team.url(), kRootToken));
    ASSERT_EQ(send(team.a, jexlink::requestMessage(2, updateText(kAlpha), 1)).text, "1");
    team.b.socket.sendTextMessage(jexlink::revertRequestMessage({5, 0, 1}));
    const auto reverted =
        team.b.first<QPair<qint64, jexlink::RevertOutcome>>(jexlink::readRevertAnswer);
    ASSERT_TRUE(reverted && reverted->second.ok);
    EXPECT_EQ(reverted->second.version, 3) << "a stored revert names the version it made";
    const jexlink::ChangedNotice renamed{0, 2, "root", {}, {"Name:"}};
    const jexlink::ChangedNotice revert{0, 3, "lee", {}, {"Name:"}};
    EXPECT_TRUE(QTest::qWaitFor([&] { return notices(c).size() == 2; }, jextest::kRemoteWaitMs));
    EXPECT_EQ(notices(c), (QList{renamed, revert}));
    EXPECT_EQ(fetch(team.b).version, 3);
    EXPECT_EQ(notices(team.b), QList{renamed}) << "never of lee's own revert";
}

}  // namespace
