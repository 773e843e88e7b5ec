// Binding profiles to games: what --set-game takes and refuses, and the
// bindings file as the service reads it at start.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "remote/games/game_bindings.h"
#include "support/printers.h"

namespace {

using jexremote::games::GameBinding;

const QList<GameBinding> kBound{{0, "teeworlds", 8303}, {1, "teeworlds", 8400}};

struct BindCase {
    const char* name;
    int profile;
    QString definition;
    int port;
    QList<GameBinding> after;  // empty with a reason: refused
    QString reason;
};

class SetGame : public ::testing::TestWithParam<BindCase> {};

TEST_P(SetGame, BindsOrRefusesWithTheReason) {
    QString reason;
    const auto after =
        jexremote::games::withBinding(kBound, GetParam().profile, GetParam().definition,
                                      GetParam().port, {"teeworlds", "ddnet"}, {0, 1, 2}, &reason);
    EXPECT_EQ(after.value_or(QList<GameBinding>()), GetParam().after);
    EXPECT_EQ(reason, GetParam().reason);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Rows, SetGame, ::testing::Values(
    BindCase{"NewOnTheDefaultPort", 2, "ddnet", 0, {kBound[0], kBound[1], {2, "ddnet", 8305}}, ""},
    BindCase{"AgainOnAnotherPort", 1, "teeworlds", 8500, {kBound[0], {1, "teeworlds", 8500}}, ""},
    BindCase{"Unbound", 0, "none", 0, {kBound[1]}, ""},
    BindCase{"UnknownDefinition", 2, "quake", 0, {},
             R"(no game definition named "quake" (known: teeworlds, ddnet))"},
    BindCase{"AnotherProfilesPort", 2, "teeworlds", 8400, {}, "port 8400 is profile 1's"},
    BindCase{"NotAPort", 2, "teeworlds", 70000, {}, "port 70000 is not a port"},
    BindCase{"ProfileNotServed", 7, "teeworlds", 0, {},
             "profile 7 is not a server of this state folder"}),
    [](const auto& info) { return info.param.name; });
// clang-format on

struct FileCase {
    const char* name;
    QByteArray content;
    QString error;  // empty: read
};

class BindingsFile : public ::testing::TestWithParam<FileCase> {};

TEST_P(BindingsFile, IsReadOrRefused) {
    QTemporaryDir dir;
    QFile file(dir.filePath("games.json"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(GetParam().content);
    file.close();
    QString error;
    const auto read = jexremote::games::readBindings(dir.path(), &error);
    EXPECT_EQ(read.has_value(), GetParam().error.isEmpty());
    EXPECT_EQ(error, QString(GetParam().error).replace("{dir}", dir.path()));
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Rows, BindingsFile, ::testing::Values(
    FileCase{"Good", R"({"bindings": [{"profile": 0, "definition": "teeworlds", "port": 8303}]})", ""},
    FileCase{"NotJson", "bindings", "{dir}/games.json: not a list of at most 10000 bindings"},
    FileCase{"PortTwice", R"({"bindings": [{"profile": 0, "definition": "a", "port": 8303},
                                           {"profile": 1, "definition": "a", "port": 8303}]})",
             "{dir}/games.json: profile 1 or port 8303 bound twice"},
    FileCase{"PortZero", R"({"bindings": [{"profile": 0, "definition": "a", "port": 0}]})",
             "{dir}/games.json: binding 1 is not a profile, a definition and a port"}),
    [](const auto& info) { return info.param.name; });
// clang-format on

TEST(BindingsFile, WrittenOwnerOnlyAndReadBack) {
    QTemporaryDir dir;
    EXPECT_EQ(jexremote::games::readBindings(dir.path(), nullptr), QList<GameBinding>());
    EXPECT_EQ(jexremote::games::writeBindings(dir.path(), kBound), QString());
    QString error;
    EXPECT_EQ(jexremote::games::readBindings(dir.path(), &error), kBound);
    EXPECT_EQ(
        QFile(dir.filePath("games.json")).permissions() & (QFile::ReadGroup | QFile::ReadOther), 0);
}

}  // namespace
