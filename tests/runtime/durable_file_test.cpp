// The one writer every file goes through: a failure at any step leaves the
// old file whole and no replacement behind, files come out owner-only under
// any umask, and nothing is written through a symbolic link.
#include <QDir>
#include <QFile>

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>

#include "jex/durable_file.h"
#include "support/temp_host.h"

namespace {

using jex::fs::WriteStep;

int modeOf(const QString& path) {
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? int(st.st_mode & 07777) : -1;
}

// Everything in a folder, for "nothing left behind".
QStringList entries(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                  QDir::NoDotAndDotDot);
}

// The umask is 0 for a test: modes come from the writer alone.
struct OpenUmask {
    mode_t before = ::umask(0);
    ~OpenUmask() {
        ::umask(before);
        jex::fs::setWriteFaultHook({});
    }
};

enum class Found { Nothing, OldFile, LinkToOutside, Folder };

void prepare(const jextest::TempHost& host, Found found) {
    host.write("outside.txt", "outside");
    host.write("dir/keep", "");
    if (found == Found::OldFile) host.write("dir/target", "old");
    if (found == Found::LinkToOutside) {
        ASSERT_TRUE(QFile::link(host.path("outside.txt"), host.path("dir/target")));
    }
    if (found == Found::Folder) {
        ASSERT_TRUE(QDir().mkdir(host.path("dir/target")));
    }
}

void failAt(WriteStep step, int code) {
    jex::fs::setWriteFaultHook(
        [step, code](const QString&, WriteStep at) { return at == step ? code : 0; });
}

struct ReplaceCase {
    const char* name;
    Found found;
    std::optional<WriteStep> faultAt;  // ENOSPC (a full disk) injected at this step
    std::optional<WriteStep> failedAt;
    int code;                  // errno of the failure
    const char* after;         // content of dir/target afterwards ("" when none)
    QStringList leftInFolder;  // dir/ afterwards
};

class ReplaceCases : public ::testing::TestWithParam<ReplaceCase> {};

TEST_P(ReplaceCases, SucceedsWholeOrLeavesTheOldFile) {
    const ReplaceCase& c = GetParam();
    jextest::TempHost host;
    OpenUmask umask;
    prepare(host, c.found);
    if (c.faultAt) failAt(*c.faultAt, ENOSPC);

    const auto failure = jex::fs::writeFileDurably(host.path("dir/target"), "new");
    ASSERT_EQ(failure.has_value(), c.failedAt.has_value());
    if (failure) {
        EXPECT_EQ(failure->step, *c.failedAt);
        EXPECT_EQ(failure->code, c.code);
        EXPECT_TRUE(failure->text.contains(host.path("dir/target"))) << failure->text.toStdString();
    }
    if (c.found != Found::Folder) {
        EXPECT_EQ(host.read("dir/target"), c.after);
    }
    EXPECT_EQ(entries(host.path("dir")), c.leftInFolder);
    EXPECT_EQ(host.read("outside.txt"), "outside");
    if (!failure) {
        EXPECT_EQ(modeOf(host.path("dir/target")), 0600);
    }
}

const QStringList kKeepAndTarget{"keep", "target"};

// clang-format off
const ReplaceCase kReplaceCases[] = {
    {"NewFile", Found::Nothing, {}, {}, 0, "new", kKeepAndTarget},
    {"OldFileReplaced", Found::OldFile, {}, {}, 0, "new", kKeepAndTarget},
    {"DiskFullOnOpen", Found::OldFile, WriteStep::Open, WriteStep::Open, ENOSPC, "old", kKeepAndTarget},
    {"DiskFullOnWrite", Found::OldFile, WriteStep::Write, WriteStep::Write, ENOSPC, "old", kKeepAndTarget},
    {"DiskFullOnSync", Found::OldFile, WriteStep::Sync, WriteStep::Sync, ENOSPC, "old", kKeepAndTarget},
    {"RenameFails", Found::OldFile, WriteStep::Rename, WriteStep::Rename, ENOSPC, "old", kKeepAndTarget},
    {"NewFileDiskFull", Found::Nothing, WriteStep::Write, WriteStep::Write, ENOSPC, "", {"keep"}},
    // Renamed already: the new content is there but not known to be safe.
    {"FolderSyncFails", Found::OldFile, WriteStep::SyncFolder, WriteStep::SyncFolder, ENOSPC, "new", kKeepAndTarget},
    {"SymbolicLink", Found::LinkToOutside, {}, WriteStep::Open, ELOOP, "outside", kKeepAndTarget},
    {"FolderInItsPlace", Found::Folder, {}, WriteStep::Open, EISDIR, "", kKeepAndTarget},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Writes, ReplaceCases, ::testing::ValuesIn(kReplaceCases),
                         [](const auto& info) { return std::string(info.param.name); });

struct AppendCase {
    const char* name;
    Found found;
    const char* old;  // dir/target's content when Found::OldFile
    std::optional<WriteStep> faultAt;
    const char* after;
};

class AppendCases : public ::testing::TestWithParam<AppendCase> {};

TEST_P(AppendCases, AppendsAWholeLineOrNothing) {
    const AppendCase& c = GetParam();
    jextest::TempHost host;
    OpenUmask umask;
    prepare(host, c.found);
    if (c.found == Found::OldFile) host.write("dir/target", c.old);
    if (c.faultAt) failAt(*c.faultAt, ENOSPC);

    const auto failure = jex::fs::appendLineDurably(host.path("dir/target"), "{\"n\":2}\n");
    EXPECT_EQ(failure.has_value(), c.faultAt.has_value() || c.found == Found::LinkToOutside);
    EXPECT_EQ(host.read("dir/target"), c.after);
    EXPECT_EQ(host.read("outside.txt"), "outside");
    if (!failure) {
        EXPECT_EQ(modeOf(host.path("dir/target")), 0600);
    }
}

// clang-format off
const AppendCase kAppendCases[] = {
    {"NewFile", Found::Nothing, "", {}, "{\"n\":2}\n"},
    {"AfterAWholeLine", Found::OldFile, "{\"n\":1}\n", {}, "{\"n\":1}\n{\"n\":2}\n"},
    {"AfterACutLine", Found::OldFile, "{\"n\":1}\n{\"n", {}, "{\"n\":1}\n{\"n\n{\"n\":2}\n"},
    {"DiskFullOnWrite", Found::OldFile, "{\"n\":1}\n", WriteStep::Write, "{\"n\":1}\n"},
    {"DiskFullOnSync", Found::OldFile, "{\"n\":1}\n{\"n", WriteStep::Sync, "{\"n\":1}\n{\"n"},
    {"SymbolicLink", Found::LinkToOutside, "", {}, "outside"},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Appends, AppendCases, ::testing::ValuesIn(kAppendCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(DurableFile, FoldersOwnerOnlyLeftoversRemovedLinksNotRead) {
    jextest::TempHost host;
    OpenUmask umask;
    host.write("state/server-0.ini", "x");
    host.write("outside.txt", "outside");
    ASSERT_EQ(::chmod(QFile::encodeName(host.path("state")).constData(), 0755), 0);
    ASSERT_FALSE(jex::fs::createOwnerOnlyFolder(host.path("state/versions/server-0")));
    EXPECT_EQ(modeOf(host.path("state/versions")), 0700);
    EXPECT_EQ(modeOf(host.path("state/versions/server-0")), 0700);
    EXPECT_EQ(modeOf(host.path("state")), 0755) << "an existing folder is left as it is";

    for (const char* name : {"server-0.ini.partial-ab12cd", "audit.jsonl.partial-000000",
                             "server-0.ini.partial-AB12CD", "server-0.ini.partial-ab12c", "tokens"})
        host.write(QStringLiteral("state/") + name, "left");
    EXPECT_EQ(jex::fs::removePartialFiles(host.path("state")),
              (QStringList{host.path("state/audit.jsonl.partial-000000"),
                           host.path("state/server-0.ini.partial-ab12cd")}));
    EXPECT_EQ(entries(host.path("state")),
              (QStringList{"server-0.ini", "server-0.ini.partial-ab12c",
                           "server-0.ini.partial-AB12CD", "tokens", "versions"}));

    ASSERT_TRUE(QFile::link(host.path("outside.txt"), host.path("state/link")));
    QString error;
    EXPECT_FALSE(jex::fs::readRegularFile(host.path("state/link"), 100, &error));
    EXPECT_EQ(error, host.path("state/link") + ": cannot read: a symbolic link");
    EXPECT_EQ(jex::fs::readRegularFile(host.path("state/server-0.ini"), 100, &error), "x");
}

}  // namespace
