// One profile's game run through its life with stand-in games (shell
// scripts): ready, stopped with nothing left behind, never ready, deaf to the
// polite signal, crashing and restarted, given up, and found again by a
// manager started later.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>

#include "remote/games/game_runner.h"
#include "support/printers.h"

namespace {

using namespace jexremote::games;

GameDefinition standIn(const QString& script, int readySeconds = 20) {
    GameDefinition definition;
    definition.name = QStringLiteral("standin");
    definition.program = QStringLiteral("/bin/sh");
    definition.arguments = {QStringLiteral("-c"), script};
    definition.configFile = QStringLiteral("game.cfg");
    definition.fixedLines = {{"port", "{port}"}, {"console_password", "{consolePassword}"}};
    definition.readyLine = QRegularExpression(QStringLiteral("^ready$"));
    definition.readySeconds = readySeconds;
    definition.signalSeconds = 1;
    return definition;
}

// The processes of group `group` that still run (a zombie waits only for its reaper).
int livingInGroup(qint64 group) {
    int living = 0;
    for (const QString& entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(entry));
        if (!stat.open(QIODevice::ReadOnly)) continue;
        const QByteArray line = stat.readAll();
        const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
        if (fields.size() > 2 && fields[2].toLongLong() == group && fields[0] != "Z") ++living;
    }
    return living;
}

class Runner : public ::testing::Test {
protected:
    std::unique_ptr<GameRunner> runner(const QString& script, int readySeconds = 20) {
        auto made = std::make_unique<GameRunner>(
            standIn(script, readySeconds),
            RunnerPlace{0, dir_.filePath("game-0"), 18400, 18401, QStringLiteral("s3cr\"et")});
        made->setCrashPolicy({.firstDelayMs = 10, .maxDelayMs = 40});
        return made;
    }
    static bool startsReady(GameRunner& game) {
        QSignalSpy started(&game, &GameRunner::started);
        game.start();
        return started.wait(10000) && started.at(0).at(0).toBool();
    }
    static void stopAndExpectNothingLeft(GameRunner& game) {
        const qint64 pid = game.process()->pid;
        QSignalSpy stopped(&game, &GameRunner::stopped);
        game.stop();
        ASSERT_TRUE(stopped.wait(10000));
        EXPECT_EQ(game.state(), GameState::Stopped);
        EXPECT_EQ(livingInGroup(pid), 0);
    }
    QTemporaryDir dir_;
};

TEST_F(Runner, ReadyLineMakesItRunningAndAStopLeavesNoProcess) {
    auto game = runner("echo ready; sleep 60 & wait");
    ASSERT_TRUE(startsReady(*game));
    EXPECT_EQ(game->state(), GameState::Running);
    EXPECT_EQ(game->toJson().value("pid").toInteger(), game->process()->pid);
    stopAndExpectNothingLeft(*game);
    EXPECT_TRUE(game->toJson().value("pid").isNull());
}

TEST_F(Runner, ConfigurationWrittenOwnerOnlyWithEveryValueQuoted) {
    auto game = runner("echo ready; exec sleep 60");
    game->setSettingLines(QStringList{QStringLiteral("sv_name \"Lobby\"")});
    ASSERT_TRUE(startsReady(*game));
    QFile config(dir_.filePath("game-0/game.cfg"));
    ASSERT_TRUE(config.open(QIODevice::ReadOnly));
    EXPECT_EQ(config.readAll(),
              "port \"18400\"\nconsole_password \"s3cr\\\"et\"\nsv_name \"Lobby\"\n");
    EXPECT_EQ(config.permissions() & (QFile::ReadGroup | QFile::ReadOther), 0);
    stopAndExpectNothingLeft(*game);
}

TEST_F(Runner, NeverReadyFailsWithItsLastLinesAndIsStopped) {
    auto game = runner("echo loading maps; exec sleep 60", 1);
    QSignalSpy started(game.get(), &GameRunner::started);
    game->start();
    ASSERT_TRUE(started.wait(10000));
    EXPECT_FALSE(started.at(0).at(0).toBool());
    EXPECT_EQ(started.at(0).at(1).toString(),
              QStringLiteral("no ready sign within 1 s; its last lines: loading maps"));
    if (game->state() != GameState::Failed) QSignalSpy(game.get(), &GameRunner::stopped).wait(5000);
    EXPECT_EQ(game->state(), GameState::Failed);
    EXPECT_FALSE(game->process());
}

TEST_F(Runner, DeafToTheSignalIsKilledAfterItsWait) {
    auto game = runner("trap '' TERM; echo ready; while :; do sleep 0.1; done");
    ASSERT_TRUE(startsReady(*game));
    stopAndExpectNothingLeft(*game);
    EXPECT_EQ(game->lastExit(), QStringLiteral("killed by signal 9 (Killed)"));
}

TEST_F(Runner, CrashIsRestartedAndCounted) {
    auto game =
        runner("echo ready; if [ -e crashed ]; then exec sleep 60; fi; touch crashed; exit 3");
    ASSERT_TRUE(startsReady(*game));
    QSignalSpy started(game.get(), &GameRunner::started);
    ASSERT_TRUE(started.wait(10000));  // the restart got ready
    EXPECT_EQ(game->state(), GameState::Running);
    EXPECT_EQ(game->restarts(), 1);
    EXPECT_EQ(game->lastExit(), QStringLiteral("exited with code 3"));
    stopAndExpectNothingLeft(*game);
}

TEST_F(Runner, FiveCrashesInTenMinutesGiveUp) {
    auto game = runner("echo ready; exit 1");
    game->start();
    QSignalSpy changed(game.get(), &GameRunner::changed);
    for (int i = 0; i < 100 && game->state() != GameState::Failed; ++i) changed.wait(2000);
    EXPECT_EQ(game->state(), GameState::Failed);
    EXPECT_EQ(game->restarts(), 4);
    EXPECT_EQ(game->reason(), QStringLiteral("exited with code 1 5 times in 10 minutes"));
}

TEST_F(Runner, ManagerStartedLaterFindsTheSameGame) {
    qint64 pid = 0;
    {
        auto first = runner("echo ready; exec sleep 60");
        ASSERT_TRUE(startsReady(*first));
        pid = first->process()->pid;
    }  // the manager goes away; its game does not
    auto second = std::make_unique<GameRunner>(
        standIn("echo ready; exec sleep 60"),
        RunnerPlace{0, dir_.filePath("game-0"), 18400, 18999, QStringLiteral("made-up-anew")});
    ASSERT_TRUE(second->attach());
    EXPECT_EQ(second->state(), GameState::Running);
    EXPECT_EQ(second->process()->pid, pid);
    EXPECT_EQ(second->place().consolePort, 18401);  // the console it was started with
    EXPECT_EQ(second->place().consolePassword, QStringLiteral("s3cr\"et"));
    stopAndExpectNothingLeft(*second);
    EXPECT_FALSE(runner("echo ready")->attach());  // nothing recorded once it stopped
}

TEST_F(Runner, ConsolePasswordNeverInItsOutput) {
    auto game = runner("echo 'console password: s3cr\"et'; echo ready; exec sleep 60");
    QSignalSpy printed(game.get(), &GameRunner::printed);
    ASSERT_TRUE(startsReady(*game));
    EXPECT_EQ(game->output().last(2), (QStringList{"console password: ********", "ready"}));
    stopAndExpectNothingLeft(*game);
}

}  // namespace
