// jexremote running a real Teeworlds server for its operators: bound from the
// command line, started and stopped over the link, its output followed with
// the passwords masked, and still running, same pid, after jexremote is killed.
#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>

#include <functional>

#include "game_remote.h"
#include "link/game_messages.h"
#include "link/player_messages.h"
#include "support/teeworlds_bot.h"

namespace {

using namespace jextest;

TEST(RemoteGames, SetGameBindsKnownDefinitionsToServedProfilesOnly) {
    struct Row {
        const char* name;
        QStringList options;
        int exitCode;
        const char* says;
    };
    const QList<Row> rows = {
        {"unknown definition",
         {"--set-game", "0", "--definition", "quake"},
         1,
         "no game definition named \"quake\""},
        {"profile not served", {"--set-game", "7", "--definition", "teeworlds"}, 1, "7"},
        {"bound",
         {"--set-game", "0", "--definition", "teeworlds", "--game-port", "18303"},
         0,
         "profile 0 runs teeworlds on port 18303"},
        {"port of another profile",
         {"--set-game", "1", "--definition", "teeworlds", "--game-port", "18303"},
         1,
         "18303"},
        {"unbound", {"--set-game", "0", "--definition", "none"}, 0, "profile 0 runs no game"},
    };
    GameRemote remote;
    remote.host.write(QStringLiteral("state/server-1.ini"), stateText(QStringLiteral("Dusk")));
    for (const Row& row : rows) {
        const auto [code, said] = remote.run(row.options);
        EXPECT_EQ(code, row.exitCode) << row.name << ": " << said.toStdString();
        EXPECT_TRUE(said.contains(QLatin1String(row.says)))
            << row.name << ": " << said.toStdString();
    }
}

TEST(RemoteGames, ControlOutputAndCommandNeedThePrivilege) {
    GameRemote remote;
    ASSERT_EQ(remote.run({"--set-game", "0", "--definition", "teeworlds"}).first, 0);
    ASSERT_TRUE(remote.serve());
    struct Row {
        const char* name;
        QString token;
        QString message;
        bool control;  // in the welcome
        QString answer;
    };
    const QString leeRefused =
        QStringLiteral("operator lee lacks the privilege to control game servers");
    const QList<Row> rows = {
        {"control refused", kLeeToken,
         jexlink::controlRequestMessage({5, 0, QStringLiteral("start"), false}), false,
         R"({"control":{"ok":false,"reason":")" + leeRefused + R"(","state":"stopped"},"id":5})"},
        {"command refused", kLeeToken,
         jexlink::commandRequestMessage({6, 0, QStringLiteral("status")}), false,
         R"({"command":{"ok":false,"reason":")" + leeRefused + R"("},"id":6})"},
        {"output refused", kLeeToken, jexlink::outputRequestMessage({7, 0, 10, true}), false,
         R"({"id":7,"output":{"lines":[],"ok":false,"reason":")" + leeRefused + R"("}})"},
        {"games read without it", kLeeToken, jexlink::gamesRequestMessage(8), false,
         R"({"games":[{"appliedVersion":null,"definition":"teeworlds","lastExit":null,)"
         R"("maxPlayers":null,"pid":null,"players":null,"profile":0,"restartNeeded":[],)"
         R"("restarts":0,"since":null,"state":"stopped"}],"id":8})"},
        {"profiles read without it", kLeeToken, jexlink::profilesRequestMessage(9), false,
         R"({"id":9,"profiles":[{"game":"teeworlds","name":"Night Ops","profile":0,"version":1}]})"},
        {"players read without it", kLeeToken, jexlink::playersRequestMessage({12, 0}), false,
         R"({"id":12,"players":{"list":[],"ok":false,"reason":"the game is stopped"}})"},
        {"players of a profile with no game", kLeeToken, jexlink::playersRequestMessage({13, 3}),
         false,
         R"({"id":13,"players":{"list":[],"ok":false,"reason":"profile 3 runs no game here"}})"},
        {"granted by the ninth field", kAnaToken,
         jexlink::commandRequestMessage({10, 3, QStringLiteral("status")}), true,
         R"({"command":{"ok":false,"reason":"profile 3 runs no game here"},"id":10})"},
        {"a super-administrator has it", kRootToken,
         jexlink::outputRequestMessage({11, 0, 10, false}), true,
         R"({"id":11,"output":{"lines":[]}})"},
    };
    for (const Row& row : rows) {
        Client client;
        ASSERT_TRUE(client.welcomed(remote.program.url, row.token)) << row.name;
        const auto welcome = jexlink::readWelcomeMessage(client.received.at(0));
        EXPECT_EQ(welcome->control, row.control) << row.name;
        client.socket.sendTextMessage(row.message);
        const qint64 id =
            QJsonDocument::fromJson(row.message.toUtf8()).object().value("id").toInteger();
        const QString answer = answerTo(client, id, kRemoteWaitMs);
        EXPECT_EQ(QJsonDocument::fromJson(answer.toUtf8()).object(),
                  QJsonDocument::fromJson(row.answer.toUtf8()).object())
            << row.name << ": " << answer.toStdString();
    }
}

// The whole life of one game: started and answered once ready, its change
// pushed, output followed with both passwords masked, jexremote killed and a
// new one finding it, then stopped with no process left.
TEST(RemoteGames, StartFollowReattachAndStop) {
    if (!teeworldsInstalled()) GTEST_SKIP() << "teeworlds-server is not installed";
    GameRemote remote;
    const quint16 gamePort = freeUdpPort();
    ASSERT_TRUE(remote.bind(gamePort));
    ASSERT_TRUE(remote.serve());
    Client root, watcher;
    ASSERT_TRUE(root.welcomed(remote.program.url, kRootToken));
    ASSERT_TRUE(watcher.welcomed(remote.program.url, kAnaToken));
    watcher.socket.sendTextMessage(jexlink::outputRequestMessage({1, 0, 100, true}));
    ASSERT_FALSE(answerTo(watcher, 1).isEmpty());

    const auto started = control(root, 2, "start");
    ASSERT_TRUE(started && started->ok) << (started ? started->reason.toStdString() : "none");
    EXPECT_EQ(started->state, QStringLiteral("running"));
    const auto pushed =
        pushedWhere(watcher, [](const auto& game) { return game.state == u"running"; });
    ASSERT_TRUE(pushed && pushed->pid);
    remote.gamePid = *pushed->pid;
    EXPECT_EQ(pushed->appliedVersion, std::optional<qint64>(1));  // auto-load is on
    // Who plays, as the game's own query lists them: two players who joined.
    jextest::TeeworldsBot bots;
    QString error;
    ASSERT_TRUE(bots.join(gamePort, {"Ann", "Bo"}, "Red", &error, kServerPassword))
        << error.toStdString();
    std::optional<QPair<qint64, jexlink::PlayersAnswer>> players;
    for (qint64 id = 300; id < 800 && !(players && players->second.players.size() == 2); ++id) {
        if (players) QTest::qWait(50);
        watcher.socket.sendTextMessage(jexlink::playersRequestMessage({id, 0}));
        players = jexlink::readPlayersAnswer(answerTo(watcher, id));
    }
    ASSERT_TRUE(players && players->second.ok) << players->second.reason.toStdString();
    QStringList listed;
    for (const jexlink::PlayerEntry& player : players->second.players)
        listed << QStringLiteral("%1|%2|%3|%4")
                      .arg(player.name, player.clan)
                      .arg(player.score)
                      .arg(player.spectator);
    listed.sort();
    EXPECT_EQ(listed, (QStringList{"Ann|Red|0|0", "Bo|Red|0|0"}));

    // The console logs in just after the ready line: asked again until it takes the line.
    std::optional<QPair<qint64, jexlink::CommandOutcome>> commanded;
    for (qint64 id = 100; id < 200 && !(commanded && commanded->second.ok); ++id) {
        if (commanded) QTest::qWait(50);
        root.socket.sendTextMessage(
            jexlink::commandRequestMessage({id, 0, QStringLiteral("password ") + kTypedPassword}));
        commanded = jexlink::readCommandAnswer(answerTo(root, id));
    }
    ASSERT_TRUE(commanded && commanded->second.ok) << commanded->second.reason.toStdString();
    // The game echoes the command: the echo comes masked.
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            for (const QString& message : std::as_const(watcher.received))
                if (const auto output = jexlink::readOutputPush(message))
                    for (const QString& line : output->second)
                        if (line.contains(QLatin1String("password"))) return true;
            return false;
        },
        kRemoteWaitMs));
    root.socket.sendTextMessage(jexlink::historyRequestMessage(4, 0));
    const QString history = answerTo(root, 4);
    EXPECT_TRUE(history.contains(QLatin1String("\"command\""))) << history.toStdString();
    EXPECT_TRUE(history.contains(QLatin1String("\"game\":\"start\""))) << history.toStdString();
    for (const QString& said : watcher.received + QStringList{history})
        for (const QString& secret : {kServerPassword, kTypedPassword})
            EXPECT_FALSE(said.contains(secret)) << said.toStdString();

    // jexremote killed outright: the game goes on and a new one finds it.
    remote.program.stop();
    ASSERT_TRUE(processExists(remote.gamePid));
    ASSERT_TRUE(remote.serve());
    Client again;
    ASSERT_TRUE(again.welcomed(remote.program.url, kRootToken));
    const jexlink::GameStatus game = gameOf(again, 5);
    EXPECT_EQ(game.state, QStringLiteral("running"));
    EXPECT_EQ(game.pid, std::optional<qint64>(remote.gamePid));
    EXPECT_EQ(game.appliedVersion, std::optional<qint64>(1));  // kept in its folder

    const auto stopped = control(again, 6, "stop");
    ASSERT_TRUE(stopped && stopped->ok) << (stopped ? stopped->reason.toStdString() : "none");
    EXPECT_EQ(stopped->state, QStringLiteral("stopped"));
    EXPECT_FALSE(processExists(remote.gamePid));
}

// The profile's GAME as a games answer gives it, asked again until `until`
// holds or the wait is over.
jexlink::GameStatus gameWhen(Client& client, qint64& id,
                             const std::function<bool(const jexlink::GameStatus&)>& until) {
    jexlink::GameStatus last;
    (void)QTest::qWaitFor([&] { return until(last = gameOf(client, ++id)); }, 60000);
    return last;
}

// Whether any process works in the folder (a game left behind).
bool anyProcessIn(const QString& folder) {
    const QString canonical = QFileInfo(folder).canonicalFilePath();
    for (const QString& pid : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        const QString cwd = QFileInfo(QStringLiteral("/proc/%1/cwd").arg(pid)).symLinkTarget();
        if (!canonical.isEmpty() && cwd.startsWith(canonical)) return true;
    }
    return false;
}

// A game killed from outside is restarted, counted and said; the fifth crash
// within ten minutes gives up and leaves it down.
TEST(RemoteGames, CrashesAreRestartedUntilTheFifthGivesUp) {
    if (!teeworldsInstalled()) GTEST_SKIP() << "teeworlds-server is not installed";
    GameRemote remote;
    Client root;
    ASSERT_NE(remote.startGame(root), 0);
    qint64 id = 100;
    jexlink::GameStatus game =
        gameWhen(root, id, [](const auto& g) { return g.state == u"running" && g.pid; });
    for (int crash = 1; crash <= 5; ++crash) {
        remote.gamePid = game.pid.value_or(0);
        ASSERT_GT(remote.gamePid, 0) << "crash " << crash;
        ::kill(pid_t(remote.gamePid), SIGKILL);
        const qint64 before = remote.gamePid;
        game = gameWhen(root, id, [&](const auto& g) {
            return (g.state == u"running" && g.pid != before) || g.state == u"failed";
        });
        // The give-up's reason is how the game ended, and how often.
        EXPECT_EQ(game.lastExit, crash < 5 ? QStringLiteral("killed by signal 9 (Killed)")
                                           : QStringLiteral("killed by signal 9 (Killed) 5 times "
                                                            "in 10 minutes"))
            << crash;
        EXPECT_EQ(game.state, crash < 5 ? QStringLiteral("running") : QStringLiteral("failed"))
            << crash;
        EXPECT_EQ(game.restarts, std::min(crash, 4)) << crash;
    }
    EXPECT_FALSE(anyProcessIn(remote.state + QStringLiteral("/games")));
}

// A start whose ready line never comes fails with the reason and its last
// lines, and the game is stopped: nothing stays "starting".
TEST(RemoteGames, AStartThatNeverGetsReadyFailsAndLeavesNoProcess) {
    if (!teeworldsInstalled()) GTEST_SKIP() << "teeworlds-server is not installed";
    GameRemote remote;
    remote.useDefinition([](QJsonObject& definition) {
        definition.insert(QStringLiteral("ready"),
                          QJsonObject{{QStringLiteral("line"), QStringLiteral("never printed")},
                                      {QStringLiteral("seconds"), 2}});
    });
    ASSERT_TRUE(remote.bind());
    Client root;
    ASSERT_TRUE(remote.serve() && root.welcomed(remote.program.url, kRootToken));
    const auto started = control(root, 1, "start");
    ASSERT_TRUE(started);
    EXPECT_FALSE(started->ok);
    EXPECT_EQ(started->state, QStringLiteral("failed"));
    EXPECT_TRUE(
        started->reason.startsWith(QStringLiteral("no ready sign within 2 s; its last lines: ")))
        << started->reason.toStdString();
    EXPECT_TRUE(started->reason.contains(QStringLiteral("[server]: version")))
        << started->reason.toStdString();
    EXPECT_FALSE(anyProcessIn(remote.state + QStringLiteral("/games")));
}

}  // namespace
