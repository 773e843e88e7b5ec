// What jexhost sets up before the panel runs: its command line, the panel's
// available size, privileges from a file, and the staged host files.
#include <QFileInfo>
#include <QImage>
#include <QSettings>

#include <gtest/gtest.h>

#include "host/host_options.h"
#include "host/plugin_client.h"
#include "support/temp_host.h"

namespace {

using jexhost::HostOptions;
using jexhost::ParseExit;

struct OptionsCase {
    const char* name;
    QStringList arguments;
    bool accepted;
    std::function<void(const HostOptions&)> check = [](const HostOptions&) {};
};

class HostOptionsCases : public ::testing::TestWithParam<OptionsCase> {};

TEST_P(HostOptionsCases, ParsesOrRefuses) {
    const auto result =
        jexhost::parseHostOptions(QStringList{QStringLiteral("jexhost")} + GetParam().arguments);
    ASSERT_EQ(std::holds_alternative<HostOptions>(result), GetParam().accepted)
        << (GetParam().accepted ? std::get<ParseExit>(result).text.toStdString() : "");
    if (GetParam().accepted) GetParam().check(std::get<HostOptions>(result));
}

// clang-format off
const OptionsCase kOptionsCases[] = {
    {"Defaults", {}, true, [](const HostOptions& o) {
        EXPECT_TRUE(o.remote.isEmpty()); EXPECT_EQ(o.profile, 0);
        EXPECT_EQ(o.tag, "jexhost"); EXPECT_TRUE(o.privilegesFile.isEmpty());
        EXPECT_EQ(o.quitAfterMs, -1); }},
    {"Everything", {"--remote", "ws://server:4711", "--profile", "3", "--tag", "a_b",
                    "--privileges", "p.ini", "--quit-after-ms", "0", "--state", "s.ini"},
     true, [](const HostOptions& o) {
        EXPECT_EQ(o.remote, QUrl("ws://server:4711")); EXPECT_EQ(o.profile, 3);
        EXPECT_EQ(o.tag, "a_b"); EXPECT_EQ(o.privilegesFile, "p.ini");
        EXPECT_EQ(o.quitAfterMs, 0); EXPECT_EQ(o.remoteState, "s.ini"); }},
    {"EmptyTag", {"--tag", ""}, true, [](const HostOptions& o) { EXPECT_EQ(o.tag, ""); }},
    {"NegativeProfile", {"--profile", "-1"}, true,
     [](const HostOptions& o) { EXPECT_EQ(o.profile, -1); }},
    {"HttpRemote", {"--remote", "http://server:80"}, false},
    {"RemoteWithoutHost", {"--remote", "ws://"}, false},
    {"ProfileNotANumber", {"--profile", "one"}, false},
    {"NegativeQuitTime", {"--quit-after-ms", "-5"}, false},
    {"UnknownOption", {"--colour", "red"}, false},
    {"StrayArgument", {"extra"}, false},
    {"Help", {"--help"}, false},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(CommandLines, HostOptionsCases, ::testing::ValuesIn(kOptionsCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(PanelSize, PixelsBecomeTwipsAtTheScreenResolution) {
    EXPECT_EQ(jexhost::pixelsToTwips(760, 96), 11400);
    EXPECT_EQ(jexhost::pixelsToTwips(430, 96), 6450);
    EXPECT_EQ(jexhost::pixelsToTwips(100, 144), 1000);
}

TEST(Privileges, ReadsNamesWithBlanksAndNumericValues) {
    jextest::TempHost host;
    host.write(QStringLiteral("privileges.ini"),
               "Change Session Type=0\nChange Max Players=1\nChange Dedicated Mode=-1\n"
               "Note=granted\n");
    jex::Collection privileges;
    ASSERT_TRUE(jexhost::readPrivileges(host.path(QStringLiteral("privileges.ini")), privileges));
    EXPECT_EQ(privileges.count(), 4);
    EXPECT_EQ(privileges.item(QStringLiteral("Change Session Type")), QVariant(0));
    EXPECT_EQ(privileges.item(QStringLiteral("Change Max Players")), QVariant(1));
    EXPECT_EQ(privileges.item(QStringLiteral("Change Dedicated Mode")), QVariant(-1));
    EXPECT_EQ(privileges.item(QStringLiteral("Note")), QVariant(QStringLiteral("granted")));
}

TEST(Privileges, MissingFileIsRefused) {
    jextest::TempHost host;
    jex::Collection privileges;
    EXPECT_FALSE(jexhost::readPrivileges(host.path(QStringLiteral("none.ini")), privileges));
}

TEST(StagedHost, ButtonFacesAreGreyGifsOfButtonSize) {
    for (const char* name : {"butup.gif", "butdown.gif"}) {
        const QImage face(QStringLiteral(JEX_STAGE_DIR "/imgs/") + QLatin1String(name));
        ASSERT_FALSE(face.isNull()) << name;
        EXPECT_EQ(face.size(), QSize(81, 33)) << name;
        EXPECT_EQ(face.pixelColor(40, 16), QColor(0xC0, 0xC0, 0xC0)) << name;
    }
    const QImage up(QStringLiteral(JEX_STAGE_DIR "/imgs/butup.gif"));
    const QImage down(QStringLiteral(JEX_STAGE_DIR "/imgs/butdown.gif"));
    EXPECT_NE(up.pixelColor(0, 0), down.pixelColor(0, 0));  // raised vs pressed edge
}

TEST(StagedHost, ConfigurationAndProfileFolderExist) {
    QSettings config(QStringLiteral(JEX_STAGE_DIR "/settings/config.ini"), QSettings::IniFormat);
    EXPECT_TRUE(config.contains(QStringLiteral("Settings/ReportErrors")));
    EXPECT_TRUE(QFileInfo(QStringLiteral(JEX_STAGE_DIR "/profiles/0")).isDir());
}

}  // namespace
