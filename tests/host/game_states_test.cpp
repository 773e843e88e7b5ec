// The console follows the games of its servers: the games a remote side holds
// once its link is welcomed, then its pushes, for each server whose profile
// they name; servers sharing a remote share its link.
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include "fake_remote.h"
#include "host/games/game_actions.h"
#include "host/games/game_states.h"
#include "host/relay/link_pool.h"
#include "host_fixture.h"
#include "support/game_status.h"
#include "support/temp_host.h"

namespace {

using jexhost::servers::ServerEntry;

const QString kToken = QStringLiteral("0123456789abcdef-games");
constexpr int kWaitMs = 10000;

TEST(GameStates, FollowsAnswersAndPushesPerServer) {
    jextest::TempHost host;
    jextest::FakeRemote remote(kToken);
    remote.games = {jextest::teeworldsGame(QStringLiteral("running")),
                    jextest::teeworldsGame(QStringLiteral("stopped"), 2)};
    jextest::writeTokenFile(host.path("settings/fake.token"), kToken.toUtf8() + "\n");
    const QString serversFile = host.path("settings/servers.ini");
    QList<ServerEntry> servers;
    for (int profile : {0, 1, 2})
        servers << ServerEntry{QStringLiteral("s%1").arg(profile),
                               QStringLiteral("S%1").arg(profile),
                               QStringLiteral("Delta Force"),
                               remote.url().toString(),
                               QStringLiteral("fake.token"),
                               profile,
                               QStringLiteral("t")};

    jexhost::LinkPool pool(kWaitMs, 15000);
    jexhost::games::GameStates states(pool);
    QSignalSpy changed(&states, &jexhost::games::GameStates::gameChanged);
    QSignalSpy output(&states, &jexhost::games::GameStates::outputPushed);
    states.setServers(servers, serversFile);
    pool.open(remote.url().toString(), host.path("settings/fake.token"), true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return states.known("s0") && states.known("s2"); }, kWaitMs));
    EXPECT_EQ(remote.connections, 1) << "the three servers share one link";
    EXPECT_EQ(states.game("s0"), jextest::teeworldsGame(QStringLiteral("running")));
    EXPECT_EQ(states.game("s1"), std::nullopt) << "profile 1 runs no game";
    EXPECT_EQ(states.game("s2"), jextest::teeworldsGame(QStringLiteral("stopped"), 2));
    EXPECT_EQ(changed.size(), 2);

    // Pushed: the game of profile 0 crashed; then output of profile 2.
    auto crashed = jextest::teeworldsGame(QStringLiteral("crashed"));
    crashed.restarts = 2;
    crashed.lastExit = QStringLiteral("killed by signal 9 (Killed)");
    remote.broadcast(jexlink::gamePushMessage(crashed));
    remote.broadcast(jexlink::outputPushMessage(2, {QStringLiteral("[server]: ready")}));
    ASSERT_TRUE(QTest::qWaitFor([&] { return output.size() == 1; }, kWaitMs));
    EXPECT_EQ(states.game("s0"), crashed);
    EXPECT_TRUE(states.restartDue("s0").isValid());
    EXPECT_FALSE(states.restartDue("s2").isValid());
    EXPECT_EQ(changed.size(), 3);
    EXPECT_EQ(changed.last().at(0).toString(), QStringLiteral("s0"));
    EXPECT_EQ(output.first().at(0).toString(), QStringLiteral("s2"));
    EXPECT_EQ(output.first().at(1).toStringList(), QStringList{"[server]: ready"});
}

// A restart when empty is under way once the game carries it as pending; a
// server whose remote cannot be reached says so, and the others do not wait for it.
TEST(GameActions, WhenEmptyWaitsOnThePendingPushAndTheUnreachableSayItFirst) {
    jextest::TempHost host;
    jextest::FakeRemote remote(kToken);  // answers no control request: the restart waits
    jextest::writeTokenFile(host.path("settings/fake.token"), kToken.toUtf8() + "\n");
    const QList<ServerEntry> servers{
        {"s0", "S0", "G", remote.url().toString(), "fake.token", 0, "t"},
        {"dead", "Dead", "G", "ws://127.0.0.1:1", "fake.token", 0, "d"}};
    jexhost::LinkPool pool(kWaitMs, 15000);
    jexhost::games::GameActions actions(pool);
    QSignalSpy done(&actions, &jexhost::games::GameActions::serverDone);
    QSignalSpy finished(&actions, &jexhost::games::GameActions::finished);
    ASSERT_TRUE(actions.run(servers, host.path("settings/servers.ini"), "restart", true));
    EXPECT_FALSE(actions.run(servers, host.path("settings/servers.ini"), "stop", false))
        << "one run at a time";
    ASSERT_TRUE(QTest::qWaitFor([&] { return done.size() == 1; }, kWaitMs));
    EXPECT_EQ(actions.results().value(0).server, "Dead");
    EXPECT_EQ(actions.results().value(0).outcome, jexhost::games::ActionOutcome::Unreachable);
    const QString key =
        jexhost::LinkPool::keyOf(remote.url().toString(), host.path("settings/fake.token"));
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return pool.find(key) && pool.find(key)->isReady(); }, kWaitMs));

    auto pending = jextest::teeworldsGame(QStringLiteral("running"));
    pending.players = 3;
    pending.pending = QStringLiteral("restart");
    auto other = pending;
    other.state = QStringLiteral("stopping");
    other.profile = 1;  // another profile's pending restart is not this one's
    remote.broadcast(jexlink::gamePushMessage(other));
    remote.broadcast(jexlink::gamePushMessage(pending));
    ASSERT_TRUE(QTest::qWaitFor([&] { return finished.size() == 1; }, kWaitMs));
    const jexhost::games::ActionResult waiting = actions.results().value(0);
    EXPECT_EQ(waiting.server, "S0");
    EXPECT_EQ(waiting.action, "restart");
    EXPECT_EQ(waiting.outcome, jexhost::games::ActionOutcome::Waiting);
    EXPECT_EQ(waiting.state, "running");
    EXPECT_FALSE(actions.isRunning());
}

}  // namespace
