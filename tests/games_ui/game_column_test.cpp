// What the server list's Game column shows of a game: its state and players,
// the mark for settings waiting for a restart or a drifted file, and the
// tooltip that says which.
#include <gtest/gtest.h>

#include "host/games_ui/game_column.h"
#include "host/servers/server_list_model.h"
#include "support/game_status.h"
#include "support/printers.h"

namespace {

using jexhost::servers::ServerListModel;

const QDateTime kNow = QDateTime::fromString("2026-12-07T16:00:00Z", Qt::ISODate);

using jextest::teeworldsGame;

struct CellRow {
    const char* name;
    std::optional<jexlink::GameStatus> game;
    const char* shown;  // as the list shows it, mark included
    const char* toolTip;
    friend void PrintTo(const CellRow& row, std::ostream* out) { *out << row.name; }
};

class GameColumnCells : public ::testing::TestWithParam<CellRow> {};

TEST_P(GameColumnCells, ShowStatePlayersAndMark) {
    const CellRow& row = GetParam();
    ServerListModel model;
    model.setServers({{"a", "Arena", "G", "embedded", {}, 0, "t0"}});
    model.setGameCell("a", jexhost::games_ui::gameCell(row.game, kNow));
    const QModelIndex cell = model.index(0, ServerListModel::GameColumn);
    EXPECT_EQ(cell.data().toString(), QString::fromUtf8(row.shown));
    EXPECT_EQ(cell.data(Qt::ToolTipRole).toString(), QString::fromUtf8(row.toolTip));
    EXPECT_EQ(model.index(0, ServerListModel::KindColumn).data().toString(), "G");
}

jexlink::GameStatus running() {
    auto g = teeworldsGame("running");
    g.since = QStringLiteral("2026-12-07T13:47:00.000Z");
    g.players = 5;
    g.maxPlayers = 16;
    return g;
}

jexlink::GameStatus waiting() {
    auto g = running();
    g.restartNeeded = {QStringLiteral("Max Players"), QStringLiteral("Game Play")};
    return g;
}

jexlink::GameStatus drifted() {
    auto g = teeworldsGame("stopped");
    g.drift = {QStringLiteral("Name")};
    g.lastExit = QStringLiteral("exited with code 0");
    return g;
}

jexlink::GameStatus unapplied() {
    auto g = running();
    g.players.reset();
    g.applyProblems = {{QStringLiteral("Host Message"), QStringLiteral("longer than 899 bytes")}};
    return g;
}

INSTANTIATE_TEST_SUITE_P(
    Cells, GameColumnCells,
    ::testing::Values(
        CellRow{"no game shows nothing", std::nullopt, "", ""},
        CellRow{"running with players", running(), "running 2 h 13 min, 5/16",
                "running 2 h 13 min, 5/16 (teeworlds)"},
        CellRow{"settings waiting for a restart", waiting(), "running 2 h 13 min, 5/16 *",
                "running 2 h 13 min, 5/16 (teeworlds)\n"
                "Max Players and Game Play take effect at the next restart"},
        CellRow{"a drifted file and the last exit", drifted(), "stopped *",
                "stopped (teeworlds)\nChanged in the game's file outside the console: Name\n"
                "Last exit: exited with code 0"},
        CellRow{"a setting not applied is no mark", unapplied(), "running 2 h 13 min",
                "running 2 h 13 min (teeworlds)\nHost Message not applied: longer than 899 "
                "bytes"}),
    jextest::RowName());

TEST(RestartNeededText, JoinsTheCaptions) {
    const struct {
        const char* name;
        QStringList captions;
        const char* text;
    } rows[] = {
        {"one", {"Time Limit"}, "Time Limit takes effect at the next restart"},
        {"two",
         {"Max Players", "Game Play"},
         "Max Players and Game Play take effect at the next restart"},
        {"three",
         {"Name", "Max Players", "Game Play"},
         "Name, Max Players and Game Play take effect at the next restart"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(jexhost::games_ui::restartNeededText(row.captions), QString::fromUtf8(row.text))
            << row.name;
}

}  // namespace
