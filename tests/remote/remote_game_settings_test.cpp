// Settings reaching a real Teeworlds server run by jexremote, seen through the
// game's own query: written at a start with auto-load on (a hand-edited file
// kept as a copy, or kept as it is with auto-load off), handed live to the
// running game on an update, restart-only settings listed until a restart,
// a value the game clamps named, and hostile text passed as that one value;
// GAME's players and maxPlayers as the query says, a restart when empty.
#include <gtest/gtest.h>

#include <QJsonArray>

#include "game_remote.h"
#include "link/game_messages.h"
#include "teeworlds_query.h"

namespace {

using namespace jextest;

const QByteArray kHandEdited = "# tuned by hand\nsv_name \"Hand Made\"\n";
const QStringList kAllOurs{"Name", "Max Players", "Password", "Host Message", "Time Limit"};

QString gameFolder(const GameRemote& remote) {
    return remote.state + QStringLiteral("/games/profile-0");
}

QByteArray configuration(const GameRemote& remote) {
    QFile file(gameFolder(remote) + QStringLiteral("/server.cfg"));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The copies kept beside the configuration, by content.
QList<QByteArray> keptCopies(const GameRemote& remote) {
    QList<QByteArray> out;
    const QDir folder(gameFolder(remote));
    for (const QString& name : folder.entryList({QStringLiteral("server.cfg.edited-*")})) {
        QFile file(folder.filePath(name));
        EXPECT_EQ(file.permissions() & (QFile::ReadGroup | QFile::ReadOther), 0)
            << name.toStdString();
        if (file.open(QIODevice::ReadOnly)) out << file.readAll();
    }
    return out;
}

// The first game pushed to `client` that says the game holds `version`.
std::optional<jexlink::GameStatus> pushedWith(Client& client, qint64 version) {
    return pushedWhere(client,
                       [version](const auto& game) { return game.appliedVersion == version; });
}

kdrsm::wire::UpdateBody changed(const QString& name, const QString& players, const QString& time,
                                const QString& message) {
    kdrsm::wire::UpdateBody body = restatingBody(name);
    body.fields[3] = base64(kServerPassword);
    body.fields[4] = players;
    body.fields[5] = time;
    body.fields[13] = base64(message);
    body.autoLoad = QStringLiteral("1");
    return body;
}

TEST(RemoteGameSettings, StartWritesTheStoredSettingsOnlyWithAutoLoad) {
    if (!teeworldsInstalled()) GTEST_SKIP() << "teeworlds-server is not installed";
    struct Row {
        const char* name;
        bool autoLoad;
        QString gameName;
        bool password;
        int maxClients;
        std::optional<qint64> appliedVersion;
    };
    const QList<Row> rows = {
        {"auto-load on: the stored settings", true, "Night Ops", true, 32, 1},
        {"auto-load off: the hand-edited file", false, "Hand Made", false, 8, std::nullopt},
    };
    for (const Row& row : rows) {
        GameRemote remote;
        if (!row.autoLoad) {
            QByteArray text = stateText();
            text.replace("Password=\n", "Password=" + kServerPassword.toUtf8() + "\n");
            remote.host.write(QStringLiteral("state/server-0.ini"), text);
        }
        remote.host.write(QStringLiteral("state/games/profile-0/server.cfg"), kHandEdited);
        Client root;
        const quint16 port = remote.startGame(root);
        ASSERT_NE(port, 0) << row.name;
        const jexlink::GameStatus game = gameOf(root, 1);
        remote.gamePid = game.pid.value_or(0);
        const auto info = queryTeeworlds(port);
        ASSERT_TRUE(info) << row.name;
        EXPECT_EQ(info->name, row.gameName) << row.name;
        EXPECT_EQ(info->password, row.password) << row.name;
        EXPECT_EQ(info->maxPlayers, row.maxClients) << row.name;
        // GAME says what the game's query says.
        const auto queried =
            pushedWhere(root, [](const auto& game) { return game.maxPlayers.has_value(); });
        ASSERT_TRUE(queried) << row.name;
        EXPECT_EQ(queried->players, std::optional<int>(0)) << row.name;
        EXPECT_EQ(queried->maxPlayers, std::optional<int>(row.maxClients)) << row.name;
        EXPECT_EQ(game.appliedVersion, row.appliedVersion) << row.name;
        EXPECT_EQ(game.drift, kAllOurs) << row.name;
        EXPECT_EQ(keptCopies(remote), QList<QByteArray>{kHandEdited}) << row.name;
        EXPECT_EQ(configuration(remote).contains("sv_name \"Hand Made\""), !row.autoLoad)
            << row.name;
    }
}

TEST(RemoteGameSettings, UpdateReachesTheRunningGameLiterally) {
    if (!teeworldsInstalled()) GTEST_SKIP() << "teeworlds-server is not installed";
    GameRemote remote;
    Client root;
    const quint16 port = remote.startGame(root);
    ASSERT_NE(port, 0);
    const jexlink::GameStatus before = gameOf(root, 1);
    remote.gamePid = before.pid.value_or(0);
    ASSERT_EQ(before.appliedVersion, std::optional<qint64>(1));
    // Edited by hand while it runs: kept as a copy at the next write.
    QFile file(gameFolder(remote) + QStringLiteral("/server.cfg"));
    ASSERT_TRUE(file.open(QIODevice::Append));
    file.write("sv_motd \"by hand\"\n");
    file.close();
    const QByteArray handEdited = configuration(remote);

    const QString hostile = QStringLiteral("Q\"uote\\ ;shutdown #1");
    ASSERT_EQ(root.ask(updateRequest(changed(hostile, "15", "30", "Hi\nthere; shutdown"))), "1");
    const auto applied = pushedWith(root, 2);
    ASSERT_TRUE(applied);
    EXPECT_EQ(applied->pid, before.pid);  // no restart
    EXPECT_EQ(applied->state, QStringLiteral("running"));
    EXPECT_TRUE(applied->restartNeeded.isEmpty());
    EXPECT_TRUE(applied->applyProblems.isEmpty())
        << applied->applyProblems.value(0).reason.toStdString();
    EXPECT_EQ(applied->drift, (QStringList{"Name", "Max Players", "Host Message"}));
    EXPECT_EQ(keptCopies(remote), QList<QByteArray>{handEdited});
    const auto info = queryTeeworlds(port);
    ASSERT_TRUE(info);
    EXPECT_EQ(info->name, hostile);
    EXPECT_EQ(info->maxPlayers, 16);
    EXPECT_TRUE(info->password);
}

TEST(RemoteGameSettings, RestartOnlySettingWaitsForTheRestartAndAClampIsNamed) {
    if (!teeworldsInstalled()) GTEST_SKIP() << "teeworlds-server is not installed";
    GameRemote remote;
    remote.useDefinition([](QJsonObject& definition) {
        QJsonArray settings = definition.value("settings").toArray();
        QJsonObject players = settings[1].toObject(), time = settings[4].toObject();
        players["add"] = 40;  // past the 64 clients the game takes
        time["live"] = false;
        settings[1] = players;
        settings[4] = time;
        definition["settings"] = settings;
    });
    Client root;
    ASSERT_NE(remote.startGame(root), 0);
    remote.gamePid = gameOf(root, 1).pid.value_or(0);

    ASSERT_EQ(root.ask(updateRequest(changed("Night Ops", "30", "45", "Hi"))), "1");
    const auto applied = pushedWith(root, 2);
    ASSERT_TRUE(applied);
    EXPECT_EQ(applied->restartNeeded, QStringList{"Time Limit"});
    EXPECT_EQ(applied->applyProblems,
              (QList<jexlink::ApplyProblem>{
                  {"Max Players", "sv_max_clients is 64 in the game, not 70"}}));
    EXPECT_TRUE(configuration(remote).contains("\nsv_timelimit 45\n"));

    // Restarted when empty: held as pending, carried out as the query finds nobody on it.
    root.socket.sendTextMessage(
        jexlink::controlRequestMessage({2, 0, QStringLiteral("restart"), true}));
    EXPECT_TRUE(pushedWhere(root, [](const auto& game) { return game.pending == u"restart"; }));
    const auto restarted = jexlink::readControlAnswer(answerTo(root, 2));
    ASSERT_TRUE(restarted && restarted->second.ok) << restarted->second.reason.toStdString();
    EXPECT_EQ(restarted->second.state, QStringLiteral("running"));
    const jexlink::GameStatus after = gameOf(root, 3);
    remote.gamePid = after.pid.value_or(0);
    EXPECT_TRUE(after.restartNeeded.isEmpty());
    EXPECT_EQ(after.appliedVersion, std::optional<qint64>(2));
}

}  // namespace
