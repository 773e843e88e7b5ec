// Whole-file writes of jexrcZTA.clsMFD: WriteFile replaces a file's content
// at once, and a failing write (WriteFile or WriteIniKey) leaves the old file
// as it was.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include <sys/resource.h>
#include <unistd.h>
#include <csignal>

#include "component_test.h"
#include "jex/latebound.h"
#include "support/temp_host.h"

namespace {

using jextest::raisedNumber;

class FileWrites : public testing::Test {
protected:
    void writeFile(const QString& path, const QString& text) {
        jex::call(mfd.get(), "WriteFile", {path, text});
    }

    jextest::TempHost host;
    std::unique_ptr<QObject> mfd = jextest::createComponent("jexrcZTA.clsMFD");
};

TEST_F(FileWrites, TextBecomesTheWholeContent) {
    host.write("RCData/req.txt", "a much longer old content that must disappear");
    writeFile(host.path("RCData/req.txt"), "cmd_tag_data");
    EXPECT_EQ(host.read("RCData/req.txt"), QByteArray("cmd_tag_data"));
}

TEST_F(FileWrites, TextIsWrittenAsUtf8Unchanged) {
    writeFile(host.path("req.txt"), QStringLiteral("Grüße\r\nline 2\n"));
    EXPECT_EQ(host.read("req.txt"), QStringLiteral("Grüße\r\nline 2\n").toUtf8());
}

TEST_F(FileWrites, EmptyTextLeavesAnEmptyFile) {
    host.write("req.txt", "old");
    writeFile(host.path("req.txt"), QString());
    EXPECT_TRUE(host.exists("req.txt"));
    EXPECT_TRUE(host.read("req.txt").isEmpty());
}

TEST_F(FileWrites, NoTemporaryFileIsLeftBehind) {
    writeFile(host.path("req.txt"), "x");
    EXPECT_EQ(QDir(host.root()).entryList(QDir::Files), QStringList({"req.txt"}));
}

struct PathCase {
    friend void PrintTo(const PathCase& row, std::ostream* os) { *os << row.name; }
    const char* name;
    const char* relative;  // nullptr: an empty path
    qint32 error;
};

class WriteFileFailure : public FileWrites, public testing::WithParamInterface<PathCase> {};

TEST_P(WriteFileFailure, RaisesItsNumber) {
    host.write("plain", "a regular file");
    host.write("folder/inside", "x");
    const QString path = GetParam().relative ? host.path(GetParam().relative) : QString();
    EXPECT_EQ(raisedNumber([&] { writeFile(path, "text"); }), GetParam().error);
    EXPECT_EQ(host.read("plain"), QByteArray("a regular file"));
}

INSTANTIATE_TEST_SUITE_P(
    ComponentFiles, WriteFileFailure,
    testing::Values(PathCase{"MissingFolder", "RCData/req.txt", jex::err::PathNotFound},
                    PathCase{"ParentIsAFile", "plain/req.txt", jex::err::PathNotFound},
                    PathCase{"FolderInPlaceOfFile", "folder", jex::err::PathFileAccess},
                    PathCase{"EmptyPath", nullptr, jex::err::BadFileName}),
    [](const auto& info) { return info.param.name; });

// Each operation that replaces a file, writing a given text into it.
struct Replacer {
    friend void PrintTo(const Replacer& row, std::ostream* os) { *os << row.name; }
    const char* name;
    void (*replace)(QObject* mfd, const QString& path, const QString& text);
};

const Replacer kReplacers[] = {
    {"WriteFile",
     [](QObject* mfd, const QString& path, const QString& text) {
         jex::call(mfd, "WriteFile", {path, text});
     }},
    {"WriteIniKey",
     [](QObject* mfd, const QString& path, const QString& text) {
         jex::call(mfd, "WriteIniKey", {"Server", "Name", text, path});
     }},
};

class FailedReplace : public FileWrites, public testing::WithParamInterface<Replacer> {
protected:
    const QByteArray old = "[Server]\nName=Old\n";
    void SetUp() override { host.write("settings/server.ssf", old); }
    void replace(const QString& text) {
        GetParam().replace(mfd.get(), host.path("settings/server.ssf"), text);
    }
};

// A file-size limit makes the write fail part-way, even for root.
TEST_P(FailedReplace, WriteCutShortLeavesOldFile) {
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limited = saved;
    limited.rlim_cur = 1024;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);

    const qint32 error = raisedNumber([&] { replace(QString(64 * 1024, u'x')); });

    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);
    EXPECT_EQ(error, jex::err::PathFileAccess);
    EXPECT_EQ(host.read("settings/server.ssf"), old);
    EXPECT_EQ(QDir(host.path("settings")).entryList(QDir::Files), QStringList({"server.ssf"}));
}

TEST_P(FailedReplace, ReadOnlyFolderRaises70AndLeavesOldFile) {
    if (geteuid() == 0) GTEST_SKIP() << "permissions do not stop root";
    QFile::setPermissions(host.path("settings"), QFile::ReadOwner | QFile::ExeOwner);
    const qint32 error = raisedNumber([&] { replace("New"); });
    QFile::setPermissions(host.path("settings"),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_EQ(error, jex::err::PermissionDenied);
    EXPECT_EQ(host.read("settings/server.ssf"), old);
}

INSTANTIATE_TEST_SUITE_P(ComponentFiles, FailedReplace, testing::ValuesIn(kReplacers),
                         [](const auto& info) { return info.param.name; });

}  // namespace
