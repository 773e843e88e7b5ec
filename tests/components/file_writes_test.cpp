// Whole-file writes of jexrcZTA.clsMFD: WriteFile replaces a file's content
// at once, and a failing write (WriteFile or WriteIniKey) leaves the old file
// as it was.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include <sys/resource.h>
#include <unistd.h>
#include <csignal>
#include <string_view>

#include "component_test.h"

namespace {

using jextest::raisedNumber;

using FileWrites = jextest::MfdTest;

TEST_F(FileWrites, TextBecomesTheWholeContentInUtf8) {
    for (const QString& text :
         {QStringLiteral("cmd_tag_data"), QStringLiteral("Grüße\r\nline 2\n"), QString()}) {
        host.write("req.txt", "a much longer old content that must disappear");
        jex::call(mfd.get(), "WriteFile", {host.path("req.txt"), text});
        EXPECT_EQ(host.read("req.txt"), text.toUtf8());
    }
    // The file is there, even empty, and no temporary file is left behind.
    EXPECT_EQ(QDir(host.root()).entryList(QDir::Files), QStringList({"req.txt"}));
}

// Each operation that replaces a file (WriteFile, WriteIniKey), by name.
class FailedReplace : public jextest::MfdTest, public testing::WithParamInterface<const char*> {
protected:
    const QByteArray old = "[Server]\nName=Old\n";
    void SetUp() override { host.write("settings/server.ssf", old); }
    qint32 replace(const QString& path, const QString& text = "New") {
        const QVariantList args = GetParam() == std::string_view("WriteFile")
                                      ? QVariantList{path, text}
                                      : QVariantList{"Server", "Name", text, path};
        return raisedNumber([&] { jex::call(mfd.get(), GetParam(), args); });
    }
};

TEST_P(FailedReplace, BadPathRaisesItsNumberAndWritesNothing) {
    host.write("plain", "a regular file");
    EXPECT_EQ(replace(host.path("RCData/req.txt")), jex::err::PathNotFound);
    EXPECT_EQ(replace(host.path("plain/req.txt")), jex::err::PathNotFound);
    EXPECT_EQ(replace(host.path("settings")), jex::err::PathFileAccess);  // a folder
    EXPECT_EQ(replace(QString()), jex::err::BadFileName);
    EXPECT_EQ(host.read("plain"), QByteArray("a regular file"));
    EXPECT_EQ(host.read("settings/server.ssf"), old);
    EXPECT_FALSE(host.exists("RCData"));
}

// A file-size limit makes the write fail part-way, even for root.
TEST_P(FailedReplace, WriteCutShortLeavesOldFile) {
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limited = saved;
    limited.rlim_cur = 1024;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);

    const qint32 error = replace(host.path("settings/server.ssf"), QString(64 * 1024, u'x'));

    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);
    EXPECT_EQ(error, jex::err::PathFileAccess);
    EXPECT_EQ(host.read("settings/server.ssf"), old);
    EXPECT_EQ(QDir(host.path("settings")).entryList(QDir::Files), QStringList({"server.ssf"}));
}

TEST_P(FailedReplace, ReadOnlyFolderRaises70AndLeavesOldFile) {
    if (geteuid() == 0) GTEST_SKIP() << "permissions do not stop root";
    QFile::setPermissions(host.path("settings"), QFile::ReadOwner | QFile::ExeOwner);
    const qint32 error = replace(host.path("settings/server.ssf"));
    QFile::setPermissions(host.path("settings"),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_EQ(error, jex::err::PermissionDenied);
    EXPECT_EQ(host.read("settings/server.ssf"), old);
}

INSTANTIATE_TEST_SUITE_P(ComponentFiles, FailedReplace, testing::Values("WriteFile", "WriteIniKey"),
                         [](const auto& info) { return std::string(info.param); });

}  // namespace
