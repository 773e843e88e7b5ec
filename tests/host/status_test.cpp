// jexhost --status as a script runs it, with no display: one JSON line per
// server in the file's order, and an exit code that says whether every link
// is connected.

#include <gtest/gtest.h>

#include "fake_remote.h"
#include "host_fixture.h"
#include "support/host_program.h"

namespace {

const QString kToken = QStringLiteral("0123456789abcdef-status");

struct StatusCase {
    const char* name;
    QStringList servers;  // which of the servers below the file holds
    QStringList lines;    // expected output
    int exitCode;
};
const QString kAllGranted =
    R"({"Change Session Type": 1, "Change Max Players": 1, "Change Dedicated Mode": 1, )"
    R"("Change Custom Skins Option": 1, "Change Req Nova Login Option": 1})";

class StatusRun : public testing::TestWithParam<StatusCase> {};

TEST_P(StatusRun, PrintsEachServersLinkAndExits) {
    jextest::TempHost host;
    jextest::prepareHostRoot(host);
    jextest::FakeRemote remote(kToken);
    const QUrl deadUrl(QStringLiteral("ws://127.0.0.1:%1").arg(jextest::freeTcpPort()));
    jextest::writeTokenFile(host.path("settings/right.token"), kToken.toUtf8() + "\n");
    jextest::writeTokenFile(host.path("settings/wrong.token"), "ffffffffffffffff-wrong\n");

    const QMap<QString, QByteArray> sections{
        {"lobby",
         "[lobby]\nName=Lobby\nGame=Delta Force,  V1.5.0.5\nRemote=embedded\nProfile=0\nTag=a\n"},
        {"fake", jextest::serverSection("fake", "Fake", remote.url(), "right.token", "b")},
        {"wrong", jextest::serverSection("wrong", "Wrong", remote.url(), "wrong.token", "b", 1)},
        {"dead", jextest::serverSection("dead", "Dead", deadUrl, "right.token", "d")},
    };
    QByteArray file;
    for (const QString& name : GetParam().servers) file += sections[name];
    host.write("settings/servers.ini", file);

    // The stand-in remote answers from this process's event loop meanwhile.
    const jextest::HostRun status = jextest::runJexhost(
        {"--status", "--wait-ms", "8000", "--config", host.path("settings/servers.ini")}, false);
    QStringList expected;
    for (QString line : GetParam().lines)
        expected << line.replace("%FAKE", remote.url().toString())
                        .replace("%DEAD", deadUrl.toString())
                        .replace("%ALL", kAllGranted);
    EXPECT_EQ(status.lines, expected) << status.err.toStdString();
    EXPECT_EQ(status.exitCode, GetParam().exitCode);
    EXPECT_EQ(host.read("settings/servers.ini"), file) << "the servers file is only read";
}

const QString kLobbyLine =
    R"({"server": "Lobby", "remote": "embedded", "profile": 0, "link": "connected", )"
    R"("operator": "admin", "superAdmin": true, "privileges": %ALL, "game": null})";
const QString kFakeLine =
    R"({"server": "Fake", "remote": "%FAKE", "profile": 0, "link": "connected", )"
    R"("operator": "ann", "superAdmin": false, "privileges": %ALL, "game": null})";

INSTANTIATE_TEST_SUITE_P(
    Host, StatusRun,
    testing::Values(
        StatusCase{"AllConnected", {"lobby", "fake"}, {kLobbyLine, kFakeLine}, 0},
        StatusCase{"RefusedAndUnreachable",
                   {"lobby", "wrong", "fake", "dead"},
                   {kLobbyLine,
                    R"({"server": "Wrong", "remote": "%FAKE", "profile": 1, "link": "refused", )"
                    R"("operator": null, "superAdmin": null, "privileges": null, "game": null})",
                    kFakeLine,
                    R"({"server": "Dead", "remote": "%DEAD", "profile": 0, )"
                    R"("link": "unreachable", "operator": null, "superAdmin": null, )"
                    R"("privileges": null, "game": null})"},
                   3}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
