// The shipped Teeworlds definition run for real: the game gets ready on
// loopback, its console takes a command, a password typed there never shows
// in its output, and a stop is the game's own shutdown with nothing left.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>

#include "remote/games/game_console.h"
#include "remote/games/game_runner.h"
#include "support/game_servers.h"
#include "support/printers.h"

namespace {

using namespace jexremote::games;

using jextest::freeTcpPort;
using jextest::freeUdpPort;

GameDefinition shipped() {
    QString error;
    auto definition =
        readGameDefinition(jextest::shippedTeeworlds(), QStringLiteral("teeworlds"), &error);
    EXPECT_TRUE(definition) << error.toStdString();
    return *definition;
}

TEST(Teeworlds, ReadyCommandedMaskedAndShutDown) {
    const GameDefinition definition = shipped();
    if (!QFile::exists(definition.program)) GTEST_SKIP() << "teeworlds-server is not installed";
    QTemporaryDir dir;
    const quint16 consolePort = freeTcpPort();
    GameRunner game(definition, {0, dir.filePath("game-0"), freeUdpPort(), consolePort,
                                 QStringLiteral("c0ns0le-pw")});
    game.setSecrets({QStringLiteral("hunter2")});
    game.setSettingLines(QStringList{QStringLiteral("sv_name \"Lobby; shutdown\"")});
    QSignalSpy started(&game, &GameRunner::started);
    game.start();
    ASSERT_TRUE(started.wait(30000));
    ASSERT_TRUE(started.at(0).at(0).toBool()) << started.at(0).at(1).toString().toStdString();

    GameConsole console(consolePort, QStringLiteral("c0ns0le-pw"));
    QSignalSpy ready(&console, &GameConsole::ready);
    console.open();
    ASSERT_TRUE(ready.wait(10000));
    game.setConsoleSender([&console](const QString& line) { return console.send(line); });

    QSignalSpy received(&console, &GameConsole::received);
    ASSERT_TRUE(console.send(QStringLiteral("sv_name")));
    QStringList answer;
    for (int i = 0; i < 20 && !answer.join('\n').contains("Value: "); ++i) {
        received.wait(1000);
        answer.clear();
        for (const auto& args : received) answer << args.at(0).toString();
    }
    EXPECT_TRUE(answer.join('\n').contains("Value: Lobby; shutdown"))
        << answer.join('\n').toStdString();

    ASSERT_TRUE(console.send(QStringLiteral("password \"hunter2\"")));
    QSignalSpy printed(&game, &GameRunner::printed);
    for (int i = 0; i < 20 && !game.output().last(50).join('\n').contains("cmd='password"); ++i)
        printed.wait(500);
    const QString output = game.output().last(1000).join('\n');
    EXPECT_TRUE(output.contains("cmd='password ********'")) << output.toStdString();
    EXPECT_FALSE(output.contains("hunter2"));
    EXPECT_FALSE(output.contains("c0ns0le-pw"));

    const qint64 pid = game.process()->pid;
    QSignalSpy stopped(&game, &GameRunner::stopped);
    game.stop();
    ASSERT_TRUE(stopped.wait(20000));
    EXPECT_EQ(game.lastExit(), QStringLiteral("exited with code 0"));
    EXPECT_FALSE(groupHasLiving(pid));
}

}  // namespace
