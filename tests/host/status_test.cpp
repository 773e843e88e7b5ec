// jexhost --status as a script runs it, with no display: one JSON line per
// server in the file's order, and an exit code that says whether every link
// is connected.
#include <QProcess>
#include <QTcpServer>
#include <QTest>

#include <gtest/gtest.h>

#include "fake_remote.h"
#include "host_fixture.h"

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
    QTcpServer closed;  // a port nobody listens on once closed
    closed.listen(QHostAddress::LocalHost);
    const QByteArray deadUrl = "ws://127.0.0.1:" + QByteArray::number(closed.serverPort());
    closed.close();
    jextest::writeTokenFile(host.path("settings/right.token"), kToken.toUtf8() + "\n");
    jextest::writeTokenFile(host.path("settings/wrong.token"), "ffffffffffffffff-wrong\n");

    const QByteArray game = "Game=Delta Force,  V1.5.0.5\n";
    const QMap<QString, QByteArray> sections{
        {"lobby", "[lobby]\nName=Lobby\n" + game + "Remote=embedded\nProfile=0\nTag=a\n"},
        {"fake", "[fake]\nName=Fake\n" + game + "Remote=" + remote.url().toString().toUtf8() +
                     "\nTokenFile=right.token\nProfile=0\nTag=b\n"},
        {"wrong", "[wrong]\nName=Wrong\n" + game + "Remote=" + remote.url().toString().toUtf8() +
                      "\nTokenFile=wrong.token\nProfile=1\nTag=b\n"},
        {"dead", "[dead]\nName=Dead\n" + game + "Remote=" + deadUrl +
                     "\nTokenFile=right.token\nProfile=0\nTag=d\n"},
    };
    QByteArray file;
    for (const QString& name : GetParam().servers) file += sections[name];
    host.write("settings/servers.ini", file);

    QProcess status;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(QString::fromLatin1(name));
    status.setProcessEnvironment(environment);
    status.start(QStringLiteral(JEXHOST_PATH),
                 {"--status", "--wait-ms", "8000", "--config", host.path("settings/servers.ini")});
    // The stand-in remote answers from this process's event loop meanwhile.
    ASSERT_TRUE(QTest::qWaitFor([&] { return status.state() == QProcess::NotRunning; }, 20000));
    const QString out = QString::fromUtf8(status.readAllStandardOutput());
    QStringList lines = out.split(u'\n', Qt::SkipEmptyParts);
    QStringList expected;
    for (QString line : GetParam().lines)
        expected << line.replace("%FAKE", remote.url().toString())
                        .replace("%DEAD", QString::fromUtf8(deadUrl))
                        .replace("%ALL", kAllGranted);
    EXPECT_EQ(lines, expected) << status.readAllStandardError().toStdString();
    EXPECT_EQ(status.exitCode(), GetParam().exitCode);
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
