// A game's process: started in its own folder and session, its output in its
// file, its end seen with how it ended, and known again only by pid and start
// time together.
#include <gtest/gtest.h>

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <unistd.h>

#include "remote/games/game_process.h"
#include "support/printers.h"

namespace {

using namespace jexremote::games;

struct EndCase {
    const char* name;
    QString script;  // run by /bin/sh -c
    QString ended;
    QString output;  // what the output file holds afterwards; "{dir}" is the game's folder
};

class ProcessEnd : public ::testing::TestWithParam<EndCase> {};

TEST_P(ProcessEnd, IsSeenWithHowItEnded) {
    QTemporaryDir dir;
    const QString outputFile = dir.filePath(QStringLiteral("output.log"));
    QString reason;
    const auto identity = startProcess({QStringLiteral("/bin/sh"),
                                        {QStringLiteral("-c"), GetParam().script},
                                        dir.path(),
                                        outputFile},
                                       &reason);
    ASSERT_TRUE(identity) << reason.toStdString();
    ProcessWatch watch(*identity);
    QSignalSpy ended(&watch, &ProcessWatch::ended);
    ASSERT_TRUE(ended.wait(10000));
    EXPECT_EQ(exitText(ended.at(0).at(0).value<std::optional<int>>()), GetParam().ended);
    EXPECT_FALSE(isRunning(*identity));
    QFile output(outputFile);
    ASSERT_TRUE(output.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(output.readAll()),
              QString(GetParam().output).replace("{dir}", dir.path()));
    EXPECT_EQ(output.permissions() & (QFile::ReadGroup | QFile::ReadOther), 0);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Rows, ProcessEnd, ::testing::Values(
    EndCase{"ExitCode", "echo started; exit 3", "exited with code 3", "started\n"},
    EndCase{"ErrorsInTheSameFile", "echo out; echo err >&2", "exited with code 0", "out\nerr\n"},
    EndCase{"KilledBySignal", "kill -9 $$", "killed by signal 9 (Killed)", ""},
    EndCase{"OwnFolderAndHome", "pwd; echo \"$HOME\"", "exited with code 0", "{dir}\n{dir}\n"},
    EndCase{"NoInput", "read line || echo none", "exited with code 0", "none\n"},
    EndCase{"SessionOfItsOwn", "test \"$(cut -d' ' -f6 /proc/$$/stat)\" = $$ && echo leader",
            "exited with code 0", "leader\n"}),
    [](const auto& info) { return info.param.name; });
// clang-format on

TEST(GameProcess, MissingProgramIsRefusedWithTheReason) {
    QTemporaryDir dir;
    QString reason;
    EXPECT_FALSE(startProcess({QStringLiteral("/nonexistent/game"),
                               {},
                               dir.path(),
                               dir.filePath(QStringLiteral("output.log"))},
                              &reason));
    EXPECT_EQ(reason,
              QStringLiteral("could not start /nonexistent/game: No such file or directory"));
}

TEST(GameProcess, KnownAgainByPidAndStartTimeTogether) {
    const auto self = identityOf(::getpid());
    ASSERT_TRUE(self);
    EXPECT_TRUE(isRunning(*self));
    EXPECT_FALSE(isRunning({self->pid, self->startTicks + 1}));  // the pid reused by another
    EXPECT_FALSE(identityOf(0));
}

}  // namespace
