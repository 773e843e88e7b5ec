// What jexhost sets up before the panel runs: its command line, the panel's
// available size and privileges from a file.
#include <gtest/gtest.h>

#include <optional>
#include <tuple>

#include "host/host_options.h"
#include "host/plugin_client.h"
#include "support/temp_host.h"

namespace {

using jexhost::HostOptions;
using jexhost::ParseExit;

// remote, remote state, profile, tag, privileges file, quit time
using Fields = std::tuple<QUrl, QString, qint32, QString, QString, int>;

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
        EXPECT_EQ(Fields(o->remote, o->remoteState, o->profile, o->tag, o->privilegesFile,
                         o->quitAfterMs),
                  *GetParam().expected);
    }
}

// clang-format off
const OptionsCase kOptionsCases[] = {
    {"Defaults", {}, Fields{QUrl(), "", 0, "jexhost", "", -1}},
    {"Everything", {"--remote", "ws://server:4711", "--profile", "3", "--tag", "a_b",
                    "--privileges", "p.ini", "--quit-after-ms", "0", "--state", "s.ini"},
     Fields{QUrl("ws://server:4711"), "s.ini", 3, "a_b", "p.ini", 0}},
    {"HttpRemote", {"--remote", "http://server:80"}, {}},
    {"RemoteWithoutHost", {"--remote", "ws://"}, {}},
    {"ProfileNotANumber", {"--profile", "one"}, {}},
    {"NegativeQuitTime", {"--quit-after-ms", "-5"}, {}},
    {"UnknownOption", {"--colour", "red"}, {}},
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

TEST(Privileges, ReadsNamesWithBlanksAndNumericValuesAndRefusesAMissingFile) {
    jextest::TempHost host;
    host.write("privileges.ini", "Change Session Type=0\nChange Dedicated Mode=-1\nNote=granted\n");
    jex::Collection privileges;
    EXPECT_FALSE(jexhost::readPrivileges(host.path(QStringLiteral("none.ini")), privileges));
    ASSERT_TRUE(jexhost::readPrivileges(host.path(QStringLiteral("privileges.ini")), privileges));
    EXPECT_EQ(privileges.count(), 3);
    EXPECT_EQ(privileges.item(QStringLiteral("Change Session Type")), QVariant(0));
    EXPECT_EQ(privileges.item(QStringLiteral("Change Dedicated Mode")), QVariant(-1));
    EXPECT_EQ(privileges.item(QStringLiteral("Note")), QVariant(QStringLiteral("granted")));
}

}  // namespace
