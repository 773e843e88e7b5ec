// Our settings through the shipped Teeworlds mapping: the configuration a
// start writes, what an update hands the running game or leaves for a
// restart, and the settings a hand-edited file holds otherwise.
#include <gtest/gtest.h>

#include "remote/games/settings_mapping.h"
#include "support/game_servers.h"
#include "support/printers.h"

namespace {

using namespace jexremote::games;
using kdrsm::model::ServerSettings;

GameDefinition teeworlds() {
    return *readGameDefinition(jextest::shippedTeeworlds(), QStringLiteral("teeworlds"), nullptr);
}

ServerSettings lobby() {
    ServerSettings settings;
    settings.fields[0] = QStringLiteral("Lobby");     // Name
    settings.fields[3] = QStringLiteral("pw");        // Password
    settings.fields[4] = QStringLiteral("15");        // Max Players: 16
    settings.fields[5] = QStringLiteral("30");        // Time Limit: 30 minutes
    settings.fields[13] = QStringLiteral("Hi\nall");  // Host Message
    return settings;
}

const QStringList kLobbyLines{R"(sv_name "Lobby")", "sv_max_clients 16", R"(password "pw")",
                              R"(sv_motd "Hi\\nall")", "sv_timelimit 30"};

TEST(SettingsMapping, StartWritesEveryMappedSetting) {
    const MappedLines mapped = configurationLines(teeworlds(), lobby());
    EXPECT_EQ(mapped.lines, kLobbyLines);
    EXPECT_TRUE(mapped.problems.isEmpty());
}

TEST(SettingsMapping, AValueThatCannotBeOneIsLeftOutWithItsReason) {
    ServerSettings settings = lobby();
    settings.fields[0] = QStringLiteral("Lobby\nshutdown");
    const MappedLines mapped = configurationLines(teeworlds(), settings);
    EXPECT_EQ(mapped.lines, kLobbyLines.mid(1));
    EXPECT_EQ(
        mapped.problems,
        (QList<jexlink::ApplyProblem>{{"Name", "holds a line break, which sv_name cannot take"}}));
}

TEST(SettingsMapping, UpdateGoesLiveOrWaitsForARestart) {
    GameDefinition definition = teeworlds();
    ServerSettings after = lobby();
    after.fields[0] = QStringLiteral("Night \"Ops\"");
    after.fields[4] = QStringLiteral("7");
    after.fields[1] = QStringLiteral("DE");  // Country: not the game's
    LiveChange change = liveChange(definition, lobby(), after);
    EXPECT_EQ(change.lines, (QStringList{R"(sv_name "Night \"Ops\"")", "sv_max_clients 8"}));
    EXPECT_EQ(change.variables, (QStringList{"sv_name", "sv_max_clients"}));
    EXPECT_EQ(change.captions, (QStringList{"Name", "Max Players"}));
    EXPECT_EQ(change.expected, (QStringList{R"(Night "Ops")", "8"}));  // as the game shows them
    EXPECT_TRUE(change.restartNeeded.isEmpty());

    definition.settings[1].live = false;  // a game that takes its player count at a start only
    change = liveChange(definition, lobby(), after);
    EXPECT_EQ(change.lines, QStringList{R"(sv_name "Night \"Ops\"")"});
    EXPECT_EQ(change.restartNeeded, QStringList{"Max Players"});
}

struct DriftCase {
    const char* name;
    QByteArray configuration;
    QStringList drift;
};

class Drift : public ::testing::TestWithParam<DriftCase> {};

TEST_P(Drift, NamesTheSettingsTheFileHoldsOtherwise) {
    EXPECT_EQ(drift(teeworlds(), GetParam().configuration, lobby()), GetParam().drift);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Rows, Drift, ::testing::Values(
    DriftCase{"AsWritten", "sv_port \"8303\"\n" + kLobbyLines.join('\n').toUtf8() + "\n", {}},
    DriftCase{"MessageEditedByHand", "# tuned by hand\n" +
              kLobbyLines.join('\n').toUtf8().replace("Hi\\\\nall", "Welcome") + "\n",
              {"Host Message"}},
    DriftCase{"QuotedOrBareAlike", "sv_name Lobby\nsv_max_clients \"16\"\npassword pw\n"
              "sv_motd \"Hi\\\\nall\"\nsv_timelimit 30\n", {}},
    DriftCase{"LaterLineWins", kLobbyLines.join('\n').toUtf8() + "\nsv_timelimit 5\n",
              {"Time Limit"}},
    DriftCase{"EmptyFile", "", {"Name", "Max Players", "Password", "Host Message", "Time Limit"}}),
    [](const auto& info) { return info.param.name; });
// clang-format on

}  // namespace
