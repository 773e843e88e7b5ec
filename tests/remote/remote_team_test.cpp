// Two hosts editing one server over loopback: the second sends an update
// made from the version both fetched, after the first stored its own. What
// is merged, what is a conflict and how it is told, and who hears of a
// change.
#include <QFile>
#include <QJsonArray>
#include <QJsonObject>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>

#include "exchange/wire/request.h"
#include "link/link_messages.h"
#include "remote/remote_service.h"
#include "remote_client.h"
#include "remote_fixture.h"
#include "support/temp_host.h"

namespace {

using jextest::base64;
using jextest::Client;
namespace wire = kdrsm::wire;
constexpr int kWaitMs = jextest::kRemoteWaitMs;
const QString kRootToken = QStringLiteral("root-token-0123456789abcdef");
const QString kLeeToken = QStringLiteral("lee-token-0123456789abcdef");  // no Max Players
const QString kBatch = QStringLiteral("fleet-7");

struct Team {
    jextest::TempHost host;
    jexremote::RemoteService service{options(host)};
    Client a, b;

    explicit Team(const QString& bToken) {
        host.write(QStringLiteral("state/server-0.ini"), jextest::stateText());
        host.write(QStringLiteral("tokens"),
                   (kRootToken + " root 1 1 1 1 1 1\n" + kLeeToken + " lee 0 1 0 1 1 1\n").toUtf8());
        QFile::setPermissions(host.path(QStringLiteral("tokens")),
                              QFile::ReadOwner | QFile::WriteOwner);
        QString error;
        EXPECT_TRUE(service.start(&error)) << error.toStdString();
        EXPECT_TRUE(a.welcomed(service.url(), kRootToken));
        EXPECT_TRUE(b.welcomed(service.url(), bToken));
    }
    static jexremote::RemoteOptions options(const jextest::TempHost& host) {
        jexremote::RemoteOptions options;
        options.stateDir = host.path(QStringLiteral("state"));
        options.tokenFile = host.path(QStringLiteral("tokens"));
        return options;
    }
};

// The first message from `from` on that `read` takes, waiting for it.
template <typename T>
std::optional<T> next(Client& client, qsizetype from,
                      const std::function<std::optional<T>(const QString&)>& read) {
    std::optional<T> found;
    (void)QTest::qWaitFor(
        [&] {
            for (qsizetype i = from; i < client.received.size() && !found; ++i)
                found = read(client.received.at(i));
            return found || client.closed;
        },
        kWaitMs);
    return found;
}

jexlink::Envelope send(Client& client, const QString& message) {
    const qsizetype before = client.received.size();
    client.socket.sendTextMessage(message);
    return next<jexlink::Envelope>(client, before, jexlink::readAnswerMessage)
        .value_or(jexlink::Envelope{-1, QStringLiteral("(no answer)")});
}

jexlink::Envelope fetch(Client& client) {
    return send(client, jexlink::requestMessage(
                            1, wire::requestText(wire::kGetSettings, QStringLiteral("t"), 0, {})));
}

QString updateText(const wire::UpdateBody& body) {
    return wire::requestText(wire::kSetSettings, QStringLiteral("t"), 0,
                             wire::joinUpdateBody(body));
}

QJsonObject newestRecord(Client& client) {
    const qsizetype before = client.received.size();
    client.socket.sendTextMessage(jexlink::historyRequestMessage(3, 0));
    const auto history = next<QPair<qint64, jexlink::History>>(client, before,
                                                               jexlink::readHistoryAnswer);
    return history ? history->second.records.at(0).toObject() : QJsonObject();
}

using Edit = void (*)(wire::UpdateBody&);
void renameAlpha(wire::UpdateBody& body) {
    body.fields[0] = base64(QStringLiteral("Alpha"));
}
void renameBravo(wire::UpdateBody& body) {
    body.fields[0] = base64(QStringLiteral("Bravo"));
}
void players24(wire::UpdateBody& body) {
    body.fields[4] = QStringLiteral("24");
}
void passwordOne(wire::UpdateBody& body) {
    body.fields[3] = base64(QStringLiteral("Hunter2Secret!"));
}
void passwordTwo(wire::UpdateBody& body) {
    body.fields[3] = base64(QStringLiteral("Swordfish99"));
}

enum class Base { Fetched, None, NeverKept };

struct TeamCase {
    const char* name;
    Edit first;   // root's update, from the version both fetched
    Edit second;  // then the second host's, from `base`
    Base base;
    QString secondToken;
    const char* answer;
    QList<QStringList> conflicts;  // setting, base, theirs, yours
    const char* finalName;         // the server's name and Max Players afterwards
    const char* finalPlayers;
};

class TeamEdits : public ::testing::TestWithParam<TeamCase> {};

TEST_P(TeamEdits, SecondUpdateIsMergedOrRefusedWithItsConflicts) {
    const TeamCase& row = GetParam();
    Team team(row.secondToken);
    const jexlink::Envelope fetched = fetch(team.b);
    EXPECT_EQ(fetched.version, 1) << "the state file as found is version 1";
    EXPECT_EQ(fetch(team.a).version, 1);

    auto first = jextest::restatingBody();
    row.first(first);
    ASSERT_EQ(send(team.a, jexlink::requestMessage(2, updateText(first), 1)).text, "1");
    const auto notice =
        next<jexlink::ChangedNotice>(team.b, 0, jexlink::readChangedMessage)
            .value_or(jexlink::ChangedNotice{});
    EXPECT_EQ(notice.version, 2);

    auto second = jextest::restatingBody();
    row.second(second);
    const std::optional<qint64> base = row.base == Base::Fetched     ? std::optional<qint64>(1)
                                       : row.base == Base::NeverKept ? std::optional<qint64>(99)
                                                                     : std::nullopt;
    const QString message = jexlink::requestMessage(4, updateText(second), base, kBatch);
    const qsizetype before = team.b.received.size();
    const jexlink::Envelope answer = send(team.b, message);
    EXPECT_EQ(answer.text, row.answer);
    QList<QStringList> conflicts;
    for (const jexlink::Conflict& conflict : answer.conflicts) {
        conflicts.append({conflict.setting, conflict.base, conflict.theirs, conflict.yours});
        EXPECT_EQ(conflict.operatorName, "root");
        EXPECT_EQ(conflict.time, notice.time) << "the time of root's change";
    }
    EXPECT_EQ(conflicts, row.conflicts);
    for (const char* secret : {"Hunter2Secret!", "Swordfish99"}) {
        EXPECT_FALSE(team.b.received.mid(before).join(u'\n').contains(QLatin1String(secret)));
        EXPECT_FALSE(team.b.received.mid(before).join(u'\n').contains(base64(secret)));
    }

    const QJsonObject record = newestRecord(team.a);
    const bool stored = answer.text == u"1";
    EXPECT_EQ(record.value("version"), stored ? 3 : 2) << "a refusal stores nothing";
    EXPECT_EQ(record.value("batch").toString(), stored ? kBatch : QString());
    EXPECT_EQ(record.value("mergedWith").toInteger(0), stored && row.base != Base::None ? 2 : 0);
    const auto settings = team.service.settings(0);
    ASSERT_TRUE(settings);
    EXPECT_EQ(settings->fields[0], row.finalName);
    EXPECT_EQ(settings->fields[4], row.finalPlayers);
    EXPECT_EQ(fetch(team.b).version, stored ? 3 : 2);
}

const QString kChanged = QStringLiteral("changed");

INSTANTIATE_TEST_SUITE_P(
    TwoHosts, TeamEdits,
    ::testing::Values(
        TeamCase{"DisjointChangesAreBothKept", renameAlpha, players24, Base::Fetched, kRootToken,
                 "1", {}, "Alpha", "24"},
        TeamCase{"SameSettingToAnotherValueIsAConflict",
                 renameAlpha,
                 renameBravo,
                 Base::Fetched,
                 kRootToken,
                 "0",
                 {{"Name:", "Night Ops", "Alpha", "Bravo"}},
                 "Alpha",
                 "31"},
        TeamCase{"SameSettingToTheSameValueIsNoConflict", players24, players24, Base::Fetched,
                 kRootToken, "1", {}, "Night Ops", "24"},
        TeamCase{"WithoutBaseTheLastWriterWins", renameAlpha, players24, Base::None, kRootToken,
                 "1", {}, "Night Ops", "24"},
        TeamCase{"BaseNeverKeptConflictsWhereValuesDiffer",
                 renameAlpha,
                 players24,
                 Base::NeverKept,
                 kRootToken,
                 "0",
                 {{"Name:", "(not kept)", "Alpha", "Night Ops"},
                  {"Max Players:", "(not kept)", "32", "25"}},
                 "Alpha",
                 "31"},
        TeamCase{"PasswordConflictNamesTheSettingOnly",
                 passwordOne,
                 passwordTwo,
                 Base::Fetched,
                 kRootToken,
                 "0",
                 {{"Password:", kChanged, kChanged, kChanged}},
                 "Night Ops",
                 "31"},
        TeamCase{"GuardedSettingSomeoneElseChangedIsNoRefusal", players24, renameBravo,
                 Base::Fetched, kLeeToken, "1", {}, "Bravo", "24"},
        TeamCase{"MergeCannotChangeAGuardedSettingWithoutItsPrivilege", renameAlpha, players24,
                 Base::Fetched, kLeeToken, "0", {}, "Alpha", "31"}),
    [](const auto& info) { return std::string(info.param.name); });

// Every stored change, an update or a revert, reaches each other welcomed
// connection and never the one that made it.
TEST(TeamNotices, ReachEveryOtherConnectionNeverTheSender) {
    Team team(kLeeToken);
    Client c;  // root again, on a third connection
    ASSERT_TRUE(c.welcomed(team.service.url(), kRootToken));
    auto body = jextest::restatingBody();
    renameAlpha(body);
    ASSERT_EQ(send(team.a, jexlink::requestMessage(2, updateText(body), 1)).text, "1");
    team.b.socket.sendTextMessage(jexlink::revertRequestMessage({5, 0, 1}));
    const auto reverted = next<QPair<qint64, jexlink::RevertOutcome>>(
        team.b, 0, jexlink::readRevertAnswer);
    ASSERT_TRUE(reverted && reverted->second.ok);

    const auto notices = [](Client& client) {
        QList<jexlink::ChangedNotice> found;
        for (const QString& message : client.received)
            if (const auto notice = jexlink::readChangedMessage(message)) found.append(*notice);
        for (jexlink::ChangedNotice& notice : found) notice.time.clear();
        return found;
    };
    const jexlink::ChangedNotice renamed{0, 2, "root", {}, {"Name:"}};
    const jexlink::ChangedNotice revert{0, 3, "lee", {}, {"Name:"}};
    EXPECT_TRUE(QTest::qWaitFor([&] { return notices(c).size() == 2; }, kWaitMs));
    EXPECT_EQ(notices(c), (QList{renamed, revert}));
    EXPECT_EQ(notices(team.b), QList{renamed});
    // Answered after the notices would have been sent: none came.
    EXPECT_EQ(fetch(team.a).version, 3);
    EXPECT_EQ(notices(team.a), QList{revert});
}

}  // namespace
