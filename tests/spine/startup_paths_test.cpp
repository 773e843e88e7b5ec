// Host root rules: the executable's folder, and the development host's
// library folder with the plug-in folders cut out.
#include <gtest/gtest.h>

#include "plugin/startup.h"

namespace {

struct PathRow {
    const char* name;
    const char* input;
    const char* expected;
};

class LibraryFolderTest : public ::testing::TestWithParam<PathRow> {};

TEST_P(LibraryFolderTest, CutsPluginFolders) {
    EXPECT_EQ(kdrsm::hostRootFromLibraryFolder(GetParam().input).toStdString(),
              GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, LibraryFolderTest,
    ::testing::Values(
        PathRow{"WinServerManagerDlls", R"(D:\Host\dlls\KDR Server Manager)", R"(D:\Host)"},
        PathRow{"WinPlugins", R"(D:\Host\Plugins)", R"(D:\Host)"},
        PathRow{"WinUpperCaseKept", R"(D:\Host\PLUGINS)", R"(D:\Host\PLUGINS)"},
        PathRow{"WinMiddlePieces", R"(D:\plugins\Host\Plugins)", R"(D:\Host)"},
        PathRow{"UnixServerManagerDlls", "/opt/host/dlls/KDR Server Manager", "/opt/host"},
        PathRow{"UnixPlugins", "/opt/host/Plugins", "/opt/host"},
        PathRow{"UnixUpperCaseKept", "/opt/host/PLUGINS", "/opt/host/PLUGINS"},
        PathRow{"UnixMiddlePieces", "/plugins/host/Plugins", "/host"},
        PathRow{"PrefixOfLongerNameCut", "/opt/Pluginsfolder", "/optfolder"}),
    [](const auto& info) { return std::string(info.param.name); });

class ExecutableFolderTest : public ::testing::TestWithParam<PathRow> {};

TEST_P(ExecutableFolderTest, DropsTheFileName) {
    EXPECT_EQ(kdrsm::folderOfExecutable(GetParam().input).toStdString(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, ExecutableFolderTest,
    ::testing::Values(PathRow{"WinNested", R"(C:\Games\Host\JEXV3.exe)", R"(C:\Games\Host)"},
                      PathRow{"WinDriveRoot", R"(C:\JEXV3.exe)", "C:"},
                      PathRow{"UnixNested", "/opt/jex/jexhost", "/opt/jex"},
                      PathRow{"UnixRoot", "/jexhost", ""}, PathRow{"NoFolder", "jexhost", ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DevelopmentHost, IsRecognisedByItsNameWhateverTheCase) {
    EXPECT_TRUE(kdrsm::isDevelopmentHostPath("  /usr/bin/jexide  "));
    EXPECT_TRUE(kdrsm::isDevelopmentHostPath(R"(C:\Tools\JexIde.exe)"));
    EXPECT_FALSE(kdrsm::isDevelopmentHostPath("/opt/jex/jexhost"));
    EXPECT_FALSE(kdrsm::isDevelopmentHostPath(""));
}

}  // namespace
