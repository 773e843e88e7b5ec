// A game's output as operators may see it: cut into lines, every secret
// masked however the game printed it, bounded in memory and on disk.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "remote/games/game_output.h"
#include "support/printers.h"

namespace {

using jexremote::games::GameOutput;

void append(const QString& file, const QByteArray& bytes) {
    QFile raw(file);
    ASSERT_TRUE(raw.open(QIODevice::Append));
    raw.write(bytes);
}

struct OutputCase {
    const char* name;
    QStringList secrets;
    QByteArray raw;
    QStringList lines;
};

class OutputLines : public ::testing::TestWithParam<OutputCase> {};

TEST_P(OutputLines, AreMaskedBeforeAnyoneSeesThem) {
    QTemporaryDir dir;
    const QString raw = dir.filePath("output.raw"), kept = dir.filePath("output.log");
    GameOutput output(raw, kept);
    output.setSecrets(GetParam().secrets);
    output.setSecretVariables({"password", "sv_rcon_password"});
    append(raw, GetParam().raw);
    EXPECT_EQ(output.readNew(), GetParam().lines);
    EXPECT_EQ(output.last(1000), GetParam().lines);
    QFile keptFile(kept);
    if (!GetParam().lines.isEmpty()) {
        ASSERT_TRUE(keptFile.open(QIODevice::ReadOnly));
        EXPECT_EQ(QString::fromUtf8(keptFile.readAll()), GetParam().lines.join('\n') + '\n');
        EXPECT_EQ(keptFile.permissions() & (QFile::ReadGroup | QFile::ReadOther), 0);
    }
}

const QString kLong = QString(4090, 'x');

// clang-format off
INSTANTIATE_TEST_SUITE_P(Rows, OutputLines, ::testing::Values(
    OutputCase{"Lines", {}, "one\ntwo\n", {"one", "two"}},
    OutputCase{"UnfinishedLineWaits", {}, "one\ntw", {"one"}},
    OutputCase{"NulsAndCarriageReturnsDropped", {}, QByteArray("a\0\0b\r\n", 6), {"ab"}},
    OutputCase{"RconPasswordBox", {"YVnGgo"}, "[server]: | rcon password: 'YVnGgo' |\n",
               {"[server]: | rcon password: '********' |"}},
    OutputCase{"EchoedConsoleCommand", {"hunter2"}, "cid=0 cmd='password \"hunter2\"'\n",
               {"cid=0 cmd='password ********'"}},
    OutputCase{"EchoedEscaped", {"se\"c\\ret"}, "say se\\\"c\\\\ret\n", {"say ********"}},
    OutputCase{"SecretInsideAnother", {"abc", "abcdef"}, "x abcdef y abc\n",
               {"x ******** y ********"}},
    OutputCase{"EmptySecretIgnored", {""}, "plain\n", {"plain"}},
    OutputCase{"NewPasswordSetOnTheConsole", {}, "cmd='sv_rcon_password fresh1' ok\n",
               {"cmd='sv_rcon_password ********' ok"}},
    OutputCase{"NewPasswordQuotedWithEscapes", {}, "cmd='password \"a\\\" b\"'\n",
               {"cmd='password ********'"}},
    OutputCase{"PasswordInsideAWordIsNotAVariable", {}, "sv_rcon_password_hint x; mypassword y\n",
               {"sv_rcon_password_hint x; mypassword y"}},
    OutputCase{"LongLineCutAfterMasking", {"secret"}, (kLong + "secret\n").toUtf8(),
               {kLong + "******"}}),
    [](const auto& info) { return info.param.name; });
// clang-format on

TEST(GameOutput, FollowsAnUnfinishedLineAndEmptiesTheRawFilePastItsBound) {
    QTemporaryDir dir;
    const QString raw = dir.filePath("output.raw");
    GameOutput output(raw, {});
    append(raw, "start of ");
    EXPECT_EQ(output.readNew(), QStringList());
    append(raw, "a line\n");
    EXPECT_EQ(output.readNew(), QStringList{"start of a line"});

    append(raw, QByteArray(300 * 1024, 'y') + '\n');
    EXPECT_EQ(output.readNew().size(), 1);
    EXPECT_EQ(QFile(raw).size(), 0);
    append(raw, "after\n");  // the game writes on at the new end
    EXPECT_EQ(output.readNew(), QStringList{"after"});
}

TEST(GameOutput, KeepsTheLastThousandLines) {
    QTemporaryDir dir;
    const QString raw = dir.filePath("output.raw");
    GameOutput output(raw, {});
    QByteArray lines;
    for (int i = 1; i <= 1200; ++i) lines += QByteArray::number(i) + '\n';
    append(raw, lines);
    output.readNew();
    const QStringList kept = output.last(5000);
    ASSERT_EQ(kept.size(), 1000);
    EXPECT_EQ(kept.first(), QStringLiteral("201"));
    EXPECT_EQ(output.last(2), (QStringList{"1199", "1200"}));
}

}  // namespace
