// What jexhost sets up before the panel runs: its command line and the
// panel's available size.
#include <gtest/gtest.h>

#include <optional>
#include <tuple>

#include "host/host_options.h"
#include "host/plugin_client.h"

namespace {

using jexhost::HostOptions;
using jexhost::ParseExit;

// remote, token file, state folder, profile, tag, timeout, keep-alive, quit time
using Fields = std::tuple<QUrl, QString, QString, qint32, QString, int, int, int>;

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
        EXPECT_EQ(Fields(o->remote, o->tokenFile, o->stateDir, o->profile, o->tag, o->timeoutMs,
                         o->keepAliveMs, o->quitAfterMs),
                  *GetParam().expected);
    }
}

// clang-format off
const OptionsCase kOptionsCases[] = {
    {"Defaults", {}, Fields{QUrl(), "", "", 0, "jexhost", 10000, 15000, -1}},
    {"Remote", {"--remote", "wss://server:4711", "--token-file", "t", "--profile", "3",
                "--tag", "a_b", "--timeout-ms", "500", "--keepalive-ms", "900",
                "--quit-after-ms", "0"},
     Fields{QUrl("wss://server:4711"), "t", "", 3, "a_b", 500, 900, 0}},
    {"InProcess", {"--state-dir", "s", "--token-file", "t"},
     Fields{QUrl(), "t", "s", 0, "jexhost", 10000, 15000, -1}},
    {"EmptyTag", {"--tag", ""}, Fields{QUrl(), "", "", 0, "", 10000, 15000, -1}},
    {"TagEndingLikeAProfile", {"--tag", "a_VB6_7_b"}, {}},
    {"RemoteWithoutToken", {"--remote", "ws://server:4711"}, {}},
    {"RemoteWithStateFolder", {"--remote", "ws://s:1", "--token-file", "t", "--state-dir", "s"}, {}},
    {"HttpRemote", {"--remote", "http://server:80", "--token-file", "t"}, {}},
    {"RemoteWithoutHost", {"--remote", "ws://", "--token-file", "t"}, {}},
    {"ProfileNotANumber", {"--profile", "one"}, {}},
    {"ZeroTimeout", {"--timeout-ms", "0"}, {}},
    {"KeepAliveNotANumber", {"--keepalive-ms", "soon"}, {}},
    {"NegativeQuitTime", {"--quit-after-ms", "-5"}, {}},
    {"ScreenshotWithoutQuit", {"--screenshot", "a.png"}, {}},
    {"UnknownOption", {"--privileges", "p.ini"}, {}},
    {"StrayArgument", {"extra"}, {}},
    {"Help", {"--help"}, {}},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(CommandLines, HostOptionsCases, ::testing::ValuesIn(kOptionsCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(PanelSize, PixelsBecomeTwipsAtTheScreenResolution) {
    EXPECT_EQ(jexhost::pixelsToTwips(760, 96), 11400);
    EXPECT_EQ(jexhost::pixelsToTwips(100, 144), 1000);
}

}  // namespace
