// The game commands as scripts run them: jexhost --start/--stop, --status and
// --add-remote against two real jexremote processes, each running real
// Teeworlds servers. One case: every run takes the console's root folder.
#include <QJsonObject>

#include <gtest/gtest.h>

#include <array>
#include <map>

#include "link/game_messages.h"
#include "remote_fixture.h"
#include "support/host_program.h"

namespace {

using namespace jextest;

const QByteArray kComment = "# Our servers.\n; kept as written\n";

// A jexremote whose profiles 0 and 1 hold stateText(); those in `games` run Teeworlds.
struct GameRemote {
    TempHost host;
    QString state = host.path(QStringLiteral("state"));
    RemoteProgram program;

    bool start(const QList<int>& games) {
        for (int profile : {0, 1})
            host.write(QStringLiteral("state/server-%1.ini").arg(profile),
                       stateText(QStringLiteral("Night Ops %1").arg(profile)));
        writeTokenFile(host);
        for (int profile : games)
            if (!bindTeeworlds(state, profile).isEmpty()) return false;
        return program.start({"--state-dir", state, "--token-file", host.path("tokens")});
    }
    QByteArray url() const { return program.url.toString().toUtf8(); }
    // Kills its games after jexremote goes: they outlive it otherwise.
    ~GameRemote() {
        program.stop();
        for (int profile : {0, 1}) killLeftGame(state, profile);
    }
};

// jexhost on `serversFile`, whose folder is the last TempHost made and so the
// console's root: no other test's run holds its lock.
HostRun jexhost(const QStringList& arguments, const QString& serversFile) {
    return runJexhost(arguments + QStringList{"--config", serversFile});
}

QByteArray section(const char* name, const QByteArray& url, const char* token, int profile) {
    return serverSection(name, name, QUrl(url), token, name, profile);
}

TEST(GameCommands, ActStatusAndAddAcrossTwoRemotes) {
    if (!teeworldsInstalled()) GTEST_SKIP() << "teeworlds-server is not installed";
    GameRemote a, b;
    ASSERT_TRUE(a.start({0, 1}));
    ASSERT_TRUE(b.start({0}));
    TempHost console;
    console.write("root.token", kRootToken.toUtf8() + "\n");
    console.write("lee.token", kLeeToken.toUtf8() + "\n");
    const QString serversFile = console.path("servers.ini");
    console.write("servers.ini", kComment + section("A0", a.url(), "root.token", 0) +
                                     section("A1", a.url(), "root.token", 1) +
                                     section("B0", b.url(), "root.token", 0) +
                                     section("B1", b.url(), "root.token", 1) +
                                     section("Lee", b.url(), "lee.token", 0));

    // Unknown names are a usage error, and nothing is asked.
    const HostRun unknown = jexhost({"--start", "--servers", "A0,Nope"}, serversFile);
    EXPECT_EQ(unknown.exitCode, 1);
    EXPECT_TRUE(unknown.lines.isEmpty());
    EXPECT_TRUE(unknown.err.contains("no server named Nope")) << unknown.err.toStdString();

    struct Expected {
        const char* server;
        const char* outcome;
        QJsonValue state;
        const char* reasonHas;  // empty: null
    };
    const auto check = [](const HostRun& run, const char* action, const QList<Expected>& rows) {
        ASSERT_EQ(run.lines.size(), rows.size()) << run.err.toStdString();
        for (const Expected& row : rows) {
            const QJsonObject line = run.byServer.at(row.server);
            EXPECT_EQ(line["action"].toString(), action) << row.server;
            EXPECT_EQ(line["outcome"].toString(), row.outcome) << row.server;
            if (!row.state.isUndefined()) {
                EXPECT_EQ(line["state"], row.state) << row.server;
            }
            if (*row.reasonHas)
                EXPECT_TRUE(line["reason"].toString().contains(row.reasonHas))
                    << row.server << ": " << line["reason"].toString().toStdString();
            else
                EXPECT_TRUE(line["reason"].isNull()) << row.server;
        }
    };
    const HostRun started = jexhost({"--start", "--servers", "A0,A1,B0,B1,Lee"}, serversFile);
    check(
        started, "start",
        {{"A0", "done", "running", ""},
         {"A1", "done", "running", ""},
         {"B0", "done", "running", ""},
         {"B1", "refused", QJsonValue(), "profile 1 runs no game here"},
         {"Lee", "refused", QJsonValue::Undefined, "lacks the privilege to control game servers"}});
    EXPECT_EQ(started.exitCode, 4);
    EXPECT_TRUE(started.lines.first().startsWith(
        R"({"server": "A0", "action": "start", "outcome": "done", "state": "running", )"))
        << started.lines.first().toStdString();

    const HostRun status = jexhost({"--status", "--wait-ms", "10000"}, serversFile);
    ASSERT_EQ(status.lines.size(), 5) << status.err.toStdString();
    for (const char* server : {"A0", "A1", "B0", "Lee"}) {
        const QJsonObject game = status.byServer.at(server)["game"].toObject();
        EXPECT_EQ(game["state"].toString(), "running") << server;
        EXPECT_EQ(game["definition"].toString(), "teeworlds") << server;
        EXPECT_TRUE(game["pid"].isDouble()) << server;
    }
    EXPECT_TRUE(status.byServer.at("B1")["game"].isNull());

    const HostRun stopped = jexhost({"--stop", "--servers", "A0,B0"}, serversFile);
    check(stopped, "stop", {{"A0", "done", "stopped", ""}, {"B0", "done", "stopped", ""}});
    EXPECT_EQ(stopped.exitCode, 0);
    const HostRun all = jexhost({"--kill", "--all"}, serversFile);
    EXPECT_EQ(all.exitCode, 4) << "B1 runs no game, Lee may not";
    EXPECT_EQ(all.byServer.at("A1")["outcome"].toString(), "done");

    // Found, not typed: B's game profile by default, named as stored; then
    // every profile of A, of which A0 is listed already.
    const QString foundFile = console.path("found.ini");
    const QByteArray before = kComment + section("A0", a.url(), "root.token", 0);
    console.write("found.ini", before);
    const auto add = [&](const QByteArray& url, const QStringList& choice) {
        return jexhost(QStringList{"--add-remote", QString::fromUtf8(url), "--token-file",
                                   console.path("root.token")} +
                           choice,
                       foundFile);
    };
    const HostRun fromB = add(b.url(), {});
    EXPECT_EQ(fromB.exitCode, 0) << fromB.err.toStdString();
    ASSERT_EQ(fromB.lines,
              QStringList{R"({"server": "Night Ops 0", "id": "server-1", "remote": ")" +
                          QString::fromUtf8(b.url()) +
                          R"(", "profile": 0, "game": "Delta Force,  V1.5.0.5", )"
                          R"("definition": "teeworlds"})"})
        << fromB.err.toStdString();
    const HostRun fromA = add(a.url(), {"--all-profiles"});
    EXPECT_EQ(fromA.exitCode, 0) << fromA.err.toStdString();
    EXPECT_EQ(fromA.lines.size(), 1);
    EXPECT_EQ(fromA.byServer.count("Night Ops 1"), 1u);
    EXPECT_TRUE(fromA.err.contains("profile 0 of " + a.program.url.toString() +
                                   " is in the list already as A0"))
        << fromA.err.toStdString();
    const auto added = [](const char* id, const char* name, const RemoteProgram& remote,
                          int profile) {
        return QByteArray("\n[") + id + "]\nName=" + name +
               "\nGame=Delta Force,  V1.5.0.5\nRemote=" + remote.url.toString().toUtf8() +
               "\nTokenFile=root.token\nProfile=" + QByteArray::number(profile) +
               "\nTag=" + remote.url.authority().toUtf8() + "\n";
    };
    EXPECT_EQ(console.read("found.ini"), before + added("server-1", "Night Ops 0", b.program, 0) +
                                             added("server-2", "Night Ops 1", a.program, 1));
    const HostRun missing = add(b.url(), {"--profiles", "7"});
    EXPECT_EQ(missing.exitCode, 4);
    EXPECT_TRUE(missing.err.contains("holds no profile 7")) << missing.err.toStdString();
}

}  // namespace
