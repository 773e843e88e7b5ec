// A game's changes reach the welcomed connections gathered: a lone change at
// once, those that follow it within the gathering time together, in order.
#include <QTest>

#include <gtest/gtest.h>

#include "link/game_messages.h"
#include "remote/net/link_server.h"
#include "remote/remote_service.h"
#include "remote_client.h"
#include "remote_fixture.h"
#include "support/game_status.h"

namespace {

// Profile `profile` running with `players` playing.
jexlink::GameStatus running(int profile, int players) {
    jexlink::GameStatus game = jextest::teeworldsGame(QStringLiteral("running"), profile);
    game.players = players;
    return game;
}

// The pushes received after the welcome, as "PROFILE:PLAYERS".
QStringList pushesOf(const jextest::Client& client) {
    QStringList pushes;
    for (const QString& message : client.received.mid(1))
        if (const auto game = jexlink::readGamePush(message))
            pushes << QStringLiteral("%1:%2").arg(game->profile).arg(game->players.value_or(-1));
    return pushes;
}

TEST(GamePushes, ALoneChangeGoesAtOnceThoseAfterItTogetherInOrder) {
    QString error;
    const auto operators =
        jexremote::parseTokenFile(jextest::kRootLine, QStringLiteral("tokens"), &error);
    ASSERT_TRUE(operators) << error.toStdString();
    jexremote::LinkLimits limits;
    limits.gameSendMs = 4000;  // long beside the waits below, so that held is told from sent
    jexremote::LinkServer server(*operators, {}, limits);
    ASSERT_TRUE(server.listen(jexremote::RemoteOptions{}, &error)) << error.toStdString();
    jextest::Client client;
    ASSERT_TRUE(client.welcomed(server.url(), jextest::kRootToken));

    server.pushGame(running(1, 1));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !pushesOf(client).isEmpty(); }, 2000));
    // Within the gathering time that send opened: profile 1 twice, profile 2 once.
    server.pushGame(running(1, 2));
    server.pushGame(running(2, 7));
    server.pushGame(running(1, 3));
    QTest::qWait(500);
    EXPECT_EQ(pushesOf(client), QStringList{"1:1"});
    EXPECT_TRUE(QTest::qWaitFor([&] { return pushesOf(client).size() >= 4; }, 3 * 4000));
    QTest::qWait(200);  // nothing more comes
    EXPECT_EQ(pushesOf(client), (QStringList{"1:1", "1:2", "2:7", "1:3"}));
}

}  // namespace
