// The games of a state folder driven as operators drive them: control actions
// answered once done, refusals in words, and a manager started later finding
// the game the earlier one left running.
#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "remote/games/game_supervisor.h"
#include "support/game_servers.h"
#include "support/printers.h"

namespace {

using namespace jexremote::games;

// The shipped definition with a shell script standing in for the game.
std::map<QString, GameDefinition> standIn() {
    QString json =
        QString::fromUtf8(jextest::shippedTeeworlds())
            .replace(R"("/usr/games/teeworlds-server")", R"("/bin/sh")")
            .replace(R"(["-f", "{configFile}"])", R"(["-c", "echo ready; exec sleep 60"])")
            .replace(R"("\\[server\\]: version ")", R"("^ready$")")
            .replace(R"("kind": "econ", )", "");
    QString error;
    auto definition = readGameDefinition(json.toUtf8(), QStringLiteral("teeworlds"), &error);
    EXPECT_TRUE(definition) << error.toStdString();
    return {{QStringLiteral("teeworlds"), *definition}};
}

jexlink::ControlOutcome controlled(GameSupervisor& games, int profile, const QString& action,
                                   bool whenEmpty = false) {
    std::optional<jexlink::ControlOutcome> outcome;
    games.control(
        profile, action, [&outcome](const jexlink::ControlOutcome& o) { outcome = o; }, whenEmpty);
    for (int i = 0; i < 200 && !outcome; ++i) QTest::qWait(50);
    return outcome.value_or(jexlink::ControlOutcome{false, "", "no answer"});
}

class Supervisor : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(writeBindings(dir_.path(), {{0, "teeworlds", 9100}}), QString());
    }
    std::unique_ptr<GameSupervisor> opened() {
        auto games = std::make_unique<GameSupervisor>(dir_.path(), standIn());
        QString error;
        EXPECT_TRUE(games->open(&error)) << error.toStdString();
        return games;
    }
    QTemporaryDir dir_;
};

TEST_F(Supervisor, ActionsAreAnsweredOnceDone) {
    auto games = opened();
    EXPECT_EQ(controlled(*games, 0, "start"), (jexlink::ControlOutcome{true, "running", ""}));
    const qint64 first = games->game(0)->pid.value_or(0);
    EXPECT_GT(first, 0);
    EXPECT_EQ(controlled(*games, 0, "restart"), (jexlink::ControlOutcome{true, "running", ""}));
    EXPECT_NE(games->game(0)->pid.value_or(first), first);
    EXPECT_EQ(controlled(*games, 0, "kill"), (jexlink::ControlOutcome{true, "stopped", ""}));
    EXPECT_EQ(games->game(0)->lastExit, QStringLiteral("killed by signal 9 (Killed)"));
    EXPECT_EQ(controlled(*games, 0, "stop"), (jexlink::ControlOutcome{true, "stopped", ""}));
}

// The stand-in never answers the query: not known to be empty, its
// when-empty restart waits, pending, until a later action takes its place.
TEST_F(Supervisor, WhenEmptyWaitsForAnEmptyGameAndALaterActionReplacesIt) {
    auto games = opened();
    ASSERT_TRUE(controlled(*games, 0, "start").ok);
    std::optional<jexlink::ControlOutcome> waiting;
    games->control(
        0, "restart", [&](const jexlink::ControlOutcome& o) { waiting = o; }, true);
    EXPECT_EQ(games->game(0)->pending, QStringLiteral("restart"));
    EXPECT_FALSE(waiting);
    EXPECT_EQ(controlled(*games, 0, "stop"), (jexlink::ControlOutcome{true, "stopped", ""}));
    EXPECT_EQ(waiting, (jexlink::ControlOutcome{false, "running", "replaced by stop"}));
    EXPECT_EQ(games->game(0)->pending, QString());
    // Nobody plays on a stopped game: done at once.
    EXPECT_EQ(controlled(*games, 0, "stop", true), (jexlink::ControlOutcome{true, "stopped", ""}));
}

TEST_F(Supervisor, RefusalsSayWhy) {
    auto games = opened();
    EXPECT_EQ(controlled(*games, 5, "start"),
              (jexlink::ControlOutcome{false, "stopped", "profile 5 runs no game here"}));
    EXPECT_EQ(games->command(0, "say hi"),
              QStringLiteral("the game's console is not open (the game is stopped)"));
    EXPECT_EQ(games->command(0, "say hi\nshutdown"),
              QStringLiteral("the command holds a control character"));
}

TEST_F(Supervisor, LaterManagerFindsTheRunningGame) {
    qint64 pid = 0;
    {
        auto first = opened();
        ASSERT_TRUE(controlled(*first, 0, "start").ok);
        pid = first->game(0)->pid.value_or(0);
    }
    auto second = opened();
    EXPECT_EQ(second->game(0)->state, QStringLiteral("running"));
    EXPECT_EQ(second->game(0)->pid, pid);
    EXPECT_TRUE(controlled(*second, 0, "stop").ok);
}

TEST_F(Supervisor, BindingToAnUnknownGameStopsTheStart) {
    ASSERT_EQ(writeBindings(dir_.path(), {{0, "quake", 9100}}), QString());
    GameSupervisor games(dir_.path(), standIn());
    QString error;
    EXPECT_FALSE(games.open(&error));
    EXPECT_EQ(error, QStringLiteral("profile 0 is bound to the unknown game definition \"quake\""));
}

}  // namespace
