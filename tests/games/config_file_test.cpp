// The game's configuration file as jexremote writes it: our lines or the
// operator's kept, the version it holds, and a file changed by someone else
// kept as a copy before it is replaced.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "remote/games/config_file.h"
#include "support/printers.h"

namespace {

using namespace jexremote::games;

const QStringList kFixed{R"(sv_port "8303")"};
const QStringList kOurs{R"(sv_name "Lobby")"};

struct WriteCase {
    const char* name;
    bool writtenBefore;   // by us, with version 4
    QByteArray editedTo;  // empty: left as we wrote it (or absent)
    bool autoLoad;
    QByteArray file;  // as written now
    bool copied;
    std::optional<qint64> version;
};

class ConfigFile : public ::testing::TestWithParam<WriteCase> {};

TEST_P(ConfigFile, KeepsWhatOthersWrote) {
    const WriteCase& row = GetParam();
    QTemporaryDir dir;
    const auto write = [&](bool autoLoad, qint64 version) {
        return writeConfiguration(dir.path(), "server.cfg", kFixed, {"sv_port"},
                                  autoLoad ? std::optional<QStringList>(kOurs) : std::nullopt,
                                  version);
    };
    if (row.writtenBefore) {
        ASSERT_TRUE(write(true, 4).ok);
    }
    if (!row.editedTo.isEmpty()) {
        QFile file(dir.filePath("server.cfg"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(row.editedTo);
    }
    const ConfigWrite written = write(row.autoLoad, 5);
    ASSERT_TRUE(written.ok) << written.reason.toStdString();
    QFile file(dir.filePath("server.cfg"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), row.file);
    EXPECT_EQ(written.version, row.version);
    const QStringList copies = QDir(dir.path()).entryList({"server.cfg.edited-*"});
    ASSERT_EQ(copies.size(), row.copied ? 1 : 0);
    EXPECT_EQ(written.edited.has_value(), row.copied);
    if (!row.copied) return;
    QFile copy(dir.filePath(copies.at(0)));
    ASSERT_TRUE(copy.open(QIODevice::ReadOnly));
    EXPECT_EQ(copy.readAll(), row.editedTo);
    EXPECT_EQ(copy.permissions() & (QFile::ReadGroup | QFile::ReadOther | QFile::WriteOther), 0);
    EXPECT_EQ(written.edited, row.editedTo);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Rows, ConfigFile, ::testing::Values(
    WriteCase{"FirstWrite", false, "", true, "sv_port \"8303\"\nsv_name \"Lobby\"\n", false, 5},
    WriteCase{"OursRewritten", true, "", true, "sv_port \"8303\"\nsv_name \"Lobby\"\n", false, 5},
    WriteCase{"HandEditedCopiedThenReplaced", true, "sv_name \"Mine\"\n", true,
              "sv_port \"8303\"\nsv_name \"Lobby\"\n", true, 5},
    WriteCase{"AutoLoadOffKeepsTheOperatorsLines", false, "# mine\nsv_port 1\nsv_name \"Mine\"\n",
              false, "sv_port \"8303\"\n# mine\nsv_name \"Mine\"\n", true, std::nullopt},
    WriteCase{"AutoLoadOffOnOurFileHoldsOurVersion", true, "", false,
              "sv_port \"8303\"\nsv_name \"Lobby\"\n", false, 4}),
    [](const auto& info) { return info.param.name; });
// clang-format on

}  // namespace
