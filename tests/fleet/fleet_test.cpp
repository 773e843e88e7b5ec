// Fleet runs as scripts start them: jexhost --apply and --undo-batch against
// three remote sides of this process, ten servers between them, one of them
// on a port nobody listens on.
#include <QJsonDocument>
#include <QJsonObject>
#include <QLockFile>

#include <gtest/gtest.h>

#include <map>
#include <memory>

#include "remote/remote_service.h"
#include "remote_fixture.h"
#include "support/host_program.h"
#include "support/temp_host.h"

namespace {

const QString kAdmin = QStringLiteral("admin-token-0123456789abcdef");
const QString kLee = QStringLiteral("lee-token-0123456789abcdef");  // may not change Max Players

// The preset: three settings the default takes, the name and a password it leaves.
const QByteArray kPreset =
    "[Server]\nServerName=Preset\nPassword=secret\nPlayers=15\nTime=45\nMessage=Hello\n";
// A later change by someone else: one of the batch's settings.
const QByteArray kLaterPreset = "[Server]\nTime=20\n";

struct Fleet {
    jextest::TempHost host;
    std::map<QString, std::unique_ptr<jexremote::RemoteService>> remotes;
    QByteArray deadUrl;

    Fleet() {
        // A, B: four and three servers as they start; C: lee's server and one
        // that holds the preset's values already.
        const std::map<QString, int> profiles{{"A", 4}, {"B", 3}, {"C", 2}};
        for (const auto& [name, count] : profiles) {
            for (int p = 0; p < count; ++p)
                host.write(name + "/state/server-" + QString::number(p) + ".ini",
                           name == "C" && p == 1 ? jextest::stateText()
                                                       .replace("Players=31", "Players=15")
                                                       .replace("Time=30", "Time=45")
                                                       .replace("Message=Hi", "Message=Hello")
                                                 : jextest::stateText());
            remotes[name] = jextest::serveRemote(
                host.path(name + "/state"),
                jextest::writeTokenFile(
                    host.path(name + "/tokens"),
                    (kAdmin + " admin 1 1 1 1 1 1\n" + kLee + " lee 0 1 0 1 1 1\n").toUtf8()));
        }
        deadUrl = "ws://127.0.0.1:" + QByteArray::number(jextest::freeTcpPort());
        host.write("settings/admin.token", kAdmin.toUtf8() + "\n");
        host.write("settings/lee.token", kLee.toUtf8() + "\n");
        QByteArray file;
        const auto server = [&](const QString& name, const QByteArray& url, const char* token,
                                int profile) {
            const QByteArray n = name.toUtf8();
            file += jextest::serverSection(n, n, QUrl(QString::fromUtf8(url)), token, n, profile);
        };
        for (const QString name : {"A", "B"})
            for (int p = 0; p < profiles.at(name); ++p)
                server(name + QString::number(p), url(name), "admin.token", p);
        server("Lee", url("C"), "lee.token", 0);
        server("Same", url("C"), "admin.token", 1);
        server("Dead", deadUrl, "admin.token", 0);
        server("Ghost", url("C"), "admin.token", 9);  // a profile C does not manage
        host.write("settings/servers.ini", file);
        host.write("preset.ssf", kPreset);
        host.write("later.ssf", kLaterPreset);
    }
    QByteArray url(const QString& remote) const {
        return remotes.at(remote)->url().toString().toUtf8();
    }

    // jexhost with `arguments` and the fixture's servers file.
    jextest::HostRun run(const QStringList& arguments) {
        return jextest::runJexhost(arguments +
                                   QStringList{"--config", host.path("settings/servers.ini")});
    }
    // Every file of the three state folders, audit trail included.
    QMap<QString, QByteArray> stateFiles() const {
        QMap<QString, QByteArray> files = jextest::filesBelow(host.root());
        files.removeIf([](const auto& file) { return !file.key().contains("/state/"); });
        return files;
    }
    QString field(const QString& remote, int profile, int field) const {
        const auto settings = remotes.at(remote)->settings(profile);
        return settings ? settings->fields[static_cast<size_t>(field)] : QString();
    }
};

std::map<QString, QString> outcomes(const jextest::HostRun& run) {
    std::map<QString, QString> words;
    for (const auto& [server, line] : run.byServer) words[server] = line["outcome"].toString();
    return words;
}

// The batch a run's lines name; empty when none.
QString batchOf(const jextest::HostRun& run) {
    return run.byServer.empty() ? QString() : run.byServer.begin()->second["batch"].toString();
}

const std::map<QString, QString> kApplied = {
    {"A0", "applied"},     {"A1", "applied"},       {"A2", "applied"},   {"A3", "applied"},
    {"B0", "applied"},     {"B1", "applied"},       {"B2", "applied"},   {"Lee", "refused"},
    {"Same", "unchanged"}, {"Dead", "unreachable"}, {"Ghost", "refused"}};

// A dry run first, which sends nothing.
TEST(FleetRun, DryRunsAppliesUndoesAndNeverOverwritesALaterChange) {
    Fleet fleet;
    const auto before = fleet.stateFiles();
    const jextest::HostRun dry =
        fleet.run({"--apply", fleet.host.path("preset.ssf"), "--all", "--dry-run"});
    std::map<QString, QString> expected = kApplied;
    for (auto& [server, word] : expected)
        if (word == "applied") word = "dry-run";
    EXPECT_EQ(outcomes(dry), expected) << dry.err.toStdString();
    EXPECT_EQ(batchOf(dry), "");
    EXPECT_TRUE(fleet.stateFiles() == before) << "a dry run leaves state and audit trails alone";

    const jextest::HostRun applied = fleet.run({"--apply", fleet.host.path("preset.ssf"), "--all"});
    EXPECT_EQ(outcomes(applied), kApplied) << applied.err.toStdString();
    EXPECT_EQ(applied.exitCode, 4);
    EXPECT_EQ(QJsonDocument(applied.byServer.at("A0")["changes"].toArray())
                  .toJson(QJsonDocument::Compact),
              R"([{"new":"16","old":"32","setting":"Max Players"},)"
              R"({"new":"45","old":"30","setting":"Time Limit"},)"
              R"({"new":"Hello","old":"Hi","setting":"Host Message"}])");
    EXPECT_EQ(applied.byServer.at("Lee")["reason"].toString(),
              "lee lacks the privilege to change Max Players");
    EXPECT_EQ(fleet.field("A", 0, 0), "Night Ops") << "the name is not taken by default";
    EXPECT_EQ(fleet.field("C", 0, 4), "31") << "lee's server is left alone";
    EXPECT_TRUE(fleet.host.read("B/state/audit.jsonl").contains(batchOf(applied).toUtf8()))
        << "the batch id reaches the audit trail";

    const jextest::HostRun later =
        fleet.run({"--apply", fleet.host.path("later.ssf"), "--servers", "A1"});
    ASSERT_EQ(outcomes(later), (std::map<QString, QString>{{"A1", "applied"}}));

    const jextest::HostRun undone = fleet.run({"--undo-batch", batchOf(applied)});
    expected.clear();
    for (const auto& [server, word] : kApplied)
        if (word == "applied") expected[server] = server == "A1" ? "conflict" : "applied";
    EXPECT_EQ(outcomes(undone), expected) << undone.err.toStdString();
    EXPECT_EQ(undone.exitCode, 4);
    EXPECT_TRUE(undone.byServer.at("A1")["reason"].toString().contains("Time Limit"));
    EXPECT_NE(batchOf(undone), batchOf(applied));
    // Back where they were, but A1 keeps the later Time and so the batch's Players.
    EXPECT_EQ(fleet.field("A", 0, 4) + fleet.field("A", 0, 5) + fleet.field("B", 2, 13), "3130Hi");
    EXPECT_EQ(fleet.field("A", 1, 4) + fleet.field("A", 1, 5), "1520");
    EXPECT_EQ(undone.byServer.at("A1")["reason"].toString(),
              "changed by someone else: Time Limit (theirs 20 by admin, yours 30)");

    // The later change undone, twice: the second time nothing is left to undo.
    const jextest::HostRun laterUndone = fleet.run({"--undo-batch", batchOf(later)});
    EXPECT_EQ(outcomes(laterUndone), (std::map<QString, QString>{{"A1", "applied"}}));
    const jextest::HostRun again = fleet.run({"--undo-batch", batchOf(later)});
    EXPECT_EQ(again.exitCode, 1);
    EXPECT_TRUE(again.byServer.empty());
    EXPECT_TRUE(again.err.contains("jexhost: batch " + batchOf(later) +
                                   " was undone already (by batch " + batchOf(laterUndone) +
                                   "); nothing was sent"))
        << again.err.toStdString();
}

struct ExitCase {
    const char* name;
    QStringList arguments;  // PRESET stands for the preset's path
    bool consoleRunning;
    int exitCode;
};

class FleetExit : public testing::TestWithParam<ExitCase> {};

TEST_P(FleetExit, ExitCodeSaysWhetherEveryServerWasDone) {
    Fleet fleet;
    QLockFile console(fleet.host.path("jexhost.lock"));
    ASSERT_TRUE(!GetParam().consoleRunning || console.tryLock(0));
    QStringList arguments = GetParam().arguments;
    arguments.replaceInStrings("PRESET", fleet.host.path("preset.ssf"));
    const jextest::HostRun run = fleet.run(arguments);
    EXPECT_EQ(run.exitCode, GetParam().exitCode) << run.err.toStdString();
    EXPECT_TRUE(GetParam().exitCode != 1 || run.byServer.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Fleet, FleetExit,
    testing::Values(
        ExitCase{"AppliedAndUnchanged", {"--apply", "PRESET", "--servers", "A0,Same"}, false, 0},
        ExitCase{"DryRun", {"--apply", "PRESET", "--servers", "B1", "--dry-run"}, false, 0},
        ExitCase{"OneUnreachable", {"--apply", "PRESET", "--servers", "A0,Dead"}, false, 4},
        ExitCase{"NeitherServersNorAll", {"--apply", "PRESET"}, false, 1},
        ExitCase{"UnknownServer", {"--apply", "PRESET", "--servers", "A0,Nobody"}, false, 1},
        ExitCase{"SettingThePresetLacks",
                 {"--apply", "PRESET", "--all", "--settings", "Lives"},
                 false,
                 1},
        ExitCase{"UnknownBatch", {"--undo-batch", "20260101T000000Z-0"}, false, 1},
        ExitCase{"ConsoleHoldsTheRoot", {"--apply", "PRESET", "--servers", "A0"}, true, 1}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
