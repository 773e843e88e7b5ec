// What jexhost sets up before a window exists: its command line (read with no
// display at all) and the panel's available size.
#include <QImage>
#include <QProcess>

#include <gtest/gtest.h>

#include <optional>
#include <tuple>

#include "host/host_options.h"
#include "host/plugin_client.h"
#include "host_fixture.h"
#include "support/host_program.h"

namespace {

using jexhost::HostOptions;
using jexhost::ParseExit;

// config, server, screenshot, state folder, timeout, keep-alive, quit time, status, its wait
using Fields = std::tuple<QString, QString, QString, QString, int, int, int, bool, int>;

struct OptionsCase {
    const char* name;
    QStringList arguments;
    std::optional<Fields> expected;  // nothing: refused
};

class HostOptionsCases : public ::testing::TestWithParam<OptionsCase> {};

TEST_P(HostOptionsCases, ParsesOrRefuses) {
    const auto result =
        jexhost::parseHostOptions(QStringList{QStringLiteral("jexhost")} + GetParam().arguments);
    const auto* o = std::get_if<HostOptions>(&result);
    ASSERT_EQ(o != nullptr, GetParam().expected.has_value())
        << (o ? "" : std::get<ParseExit>(result).text.toStdString());
    if (o) {
        EXPECT_EQ(Fields(o->config, o->server, o->screenshot, o->stateDir, o->timeoutMs,
                         o->keepAliveMs, o->quitAfterMs, o->status, o->waitMs),
                  *GetParam().expected);
    }
}

// clang-format off
const OptionsCase kOptionsCases[] = {
    {"Defaults", {}, Fields{"", "", "", "", 10000, 15000, -1, false, 5000}},
    {"Everything", {"--config", "my.ini", "--server", "Night Ops", "--screenshot", "a.png",
                    "--state-dir", "s", "--timeout-ms", "500", "--keepalive-ms", "900",
                    "--quit-after-ms", "0"},
     Fields{"my.ini", "Night Ops", "a.png", "s", 500, 900, 0, false, 5000}},
    {"ScreenshotAlone", {"--screenshot", "a.png"}, Fields{"", "", "a.png", "", 10000, 15000, -1, false, 5000}},
    {"QtOwnOptionsPassThrough", {"-platform", "offscreen", "-reverse"},
     Fields{"", "", "", "", 10000, 15000, -1, false, 5000}},
    {"EmptyConfig", {"--config", ""}, {}},
    {"EmptyScreenshot", {"--screenshot", ""}, {}},
    {"ZeroTimeout", {"--timeout-ms", "0"}, {}},
    {"KeepAliveNotANumber", {"--keepalive-ms", "soon"}, {}},
    {"NegativeQuitTime", {"--quit-after-ms", "-5"}, {}},
    {"LinkOptionOfOneServer", {"--remote", "ws://server:4711"}, {}},
    {"StrayArgument", {"extra"}, {}},
    {"Status", {"--status"}, Fields{"", "", "", "", 10000, 15000, -1, true, 5000}},
    {"StatusWithItsWait", {"--status", "--wait-ms", "0", "--config", "s.ini"},
     Fields{"s.ini", "", "", "", 10000, 15000, -1, true, 0}},
    {"WaitWithoutStatus", {"--wait-ms", "100"}, {}},
    {"NegativeWait", {"--status", "--wait-ms", "-1"}, {}},
    {"Help", {"--help"}, {}},
    {"Version", {"--version"}, {}},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(CommandLines, HostOptionsCases, ::testing::ValuesIn(kOptionsCases),
                         [](const auto& info) { return std::string(info.param.name); });

struct NoDisplayCase {
    const char* name;
    QStringList arguments;
    int exitCode;
    const char* said;  // on standard output when it exits 0, else on standard error
};

class NoDisplayCases : public ::testing::TestWithParam<NoDisplayCase> {};

// The program itself, with no display and no platform chosen: anything it
// answers from the command line alone must not need one.
TEST_P(NoDisplayCases, AnswersWithoutADisplay) {
    const jextest::HostRun run = jextest::runJexhost(GetParam().arguments, false);
    EXPECT_EQ(run.exitCode, GetParam().exitCode);
    const QString said = GetParam().exitCode == 0 ? run.lines.join(u'\n') : run.err;
    EXPECT_TRUE(said.contains(QString::fromUtf8(GetParam().said))) << said.toStdString();
}

// clang-format off
const NoDisplayCase kNoDisplayCases[] = {
    {"Help", {"--help"}, 0, "Usage: jexhost [options]"},
    {"HelpNamesTheScreenshot", {"-h"}, 0, "--screenshot <FILE>"},
    {"Version", {"--version"}, 0, "jexhost 1.5.0"},
    {"UnknownOption", {"--privileges", "p.ini"}, 2, "Unknown option 'privileges'"},
    {"StatusWaitNotANumber", {"--status", "--wait-ms", "abc"}, 2, "--wait-ms needs a number of milliseconds"},
    {"ServersAndAllExcludeEachOther", {"--apply", "p.ssf", "--all", "--servers", "A"}, 1,
     "--servers and --all exclude each other"},
    {"GameActionWithoutServers", {"--start"}, 1,
     "a game action needs either --servers NAME[,NAME...] or --all"},
    {"TwoGameActions", {"--start", "--stop", "--all"}, 1,
     "--start, --stop, --restart and --kill go one at a time"},
    {"WhenEmptyWithAStart", {"--start", "--all", "--when-empty"}, 1,
     "--when-empty goes with --stop or --restart"},
    {"AddRemoteWithoutToken", {"--add-remote", "ws://h:4711"}, 1,
     "--add-remote needs --token-file FILE"},
    {"AddRemoteNotALinkAddress", {"--add-remote", "http://h:4711", "--token-file", "t"}, 1,
     "--add-remote needs ws://HOST:PORT or wss://HOST:PORT"},
    {"AddRemoteProfilesNotNumbers", {"--add-remote", "ws://h:4711", "--token-file", "t",
                                     "--profiles", "0,x"}, 1, "--profiles needs whole numbers"},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(CommandLines, NoDisplayCases, ::testing::ValuesIn(kNoDisplayCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Screenshot, AloneItOpensTheFirstServerAndWritesThePicture) {
    jextest::TempHost host;
    jextest::prepareHostRoot(host);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    QProcess jexhost;
    jexhost.setProcessEnvironment(environment);
    jexhost.start(QStringLiteral(JEXHOST_PATH),
                  {QStringLiteral("--screenshot"), host.path("console.png")});
    ASSERT_TRUE(jexhost.waitForFinished(40000));  // it gives up by itself after 30 s
    EXPECT_EQ(jexhost.exitCode(), 0) << jexhost.readAllStandardError().toStdString();
    const QImage picture(host.path("console.png"));
    EXPECT_FALSE(picture.isNull());
    EXPECT_GT(picture.width(), 760) << "not the whole window";
    EXPECT_TRUE(host.read("settings/console.ini").contains("lastServer=Delta Force lobby"))
        << "the open server is not remembered";
}

TEST(PanelSize, PixelsBecomeTwipsAtTheScreenResolution) {
    EXPECT_EQ(jexhost::pixelsToTwips(760, 96), 11400);
    EXPECT_EQ(jexhost::pixelsToTwips(100, 144), 1000);
}

}  // namespace
