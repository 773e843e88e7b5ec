// Which game actions a server allows, and the words of the tooltip that says
// why an entry is greyed.
#include <gtest/gtest.h>

#include "host/games/game_action_rules.h"
#include "support/game_status.h"
#include "support/printers.h"

namespace {

using jexhost::games_ui::GameAction;
using jexhost::games_ui::ServerGameView;

ServerGameView arena(const QString& state, bool control = true, const QString& pending = {}) {
    jexlink::GameStatus game = jextest::teeworldsGame(state);
    game.pending = pending;
    return {QStringLiteral("Arena"), QStringLiteral("ws://east:4711"),
            jexlink::Welcome{QStringLiteral("ann"), false, {}, control}, true, game};
}

struct RuleRow {
    const char* name;
    GameAction action;
    QList<ServerGameView> servers;
    const char* problem;  // "" when allowed
    friend void PrintTo(const RuleRow& row, std::ostream* out) { *out << row.name; }
};

class GameActionRules : public ::testing::TestWithParam<RuleRow> {};

TEST_P(GameActionRules, AllowOrSayWhy) {
    const RuleRow& row = GetParam();
    EXPECT_EQ(jexhost::games_ui::selectionProblem(row.action, row.servers),
              QString::fromUtf8(row.problem));
}

ServerGameView noGame() {
    ServerGameView view = arena("stopped");
    view.game.reset();
    return view;
}

ServerGameView notWelcomed() {
    ServerGameView view = arena("running");
    view.welcome.reset();
    return view;
}

ServerGameView unknown() {
    ServerGameView view = arena("running");
    view.known = false;
    view.game.reset();
    return view;
}

INSTANTIATE_TEST_SUITE_P(
    Rules, GameActionRules,
    ::testing::Values(
        RuleRow{"start a stopped game", GameAction::Start, {arena("stopped")}, ""},
        RuleRow{"start a failed game", GameAction::Start, {arena("failed")}, ""},
        RuleRow{
            "start a crashed game before its restart", GameAction::Start, {arena("crashed")}, ""},
        RuleRow{"start a running game",
                GameAction::Start,
                {arena("running")},
                "Arena: the game is running"},
        RuleRow{"stop a starting game", GameAction::Stop, {arena("starting")}, ""},
        RuleRow{"stop a stopped game",
                GameAction::Stop,
                {arena("stopped")},
                "Arena: the game is stopped"},
        RuleRow{"restart a running game", GameAction::Restart, {arena("running")}, ""},
        RuleRow{"restart a stopping game",
                GameAction::Restart,
                {arena("stopping")},
                "Arena: the game is stopping"},
        RuleRow{"restart when empty a running game",
                GameAction::RestartWhenEmpty,
                {arena("running")},
                ""},
        RuleRow{"restart when empty twice",
                GameAction::RestartWhenEmpty,
                {arena("running", true, "restart")},
                "Arena: a restart waits for the game to be empty already"},
        RuleRow{"restart when empty a crashed game",
                GameAction::RestartWhenEmpty,
                {arena("crashed")},
                "Arena: the game is crashed"},
        RuleRow{"kill a game stuck stopping", GameAction::Kill, {arena("stopping")}, ""},
        RuleRow{"kill a stopped game",
                GameAction::Kill,
                {arena("stopped")},
                "Arena: the game is stopped"},
        RuleRow{"without the privilege",
                GameAction::Start,
                {arena("stopped", false)},
                "Arena: operator ann lacks the privilege to control game servers"},
        RuleRow{"not connected",
                GameAction::Stop,
                {notWelcomed()},
                "Arena: not connected to ws://east:4711"},
        RuleRow{"not known yet", GameAction::Stop, {unknown()}, "Arena: its game is not known yet"},
        RuleRow{"no game there", GameAction::Start, {noGame()}, "Arena runs no game"},
        RuleRow{"none selected", GameAction::Start, {}, "Select a server first."},
        RuleRow{"one of many allows it",
                GameAction::Start,
                {arena("running"), noGame(), arena("stopped")},
                ""},
        RuleRow{"none of many allows it",
                GameAction::Stop,
                {arena("stopped"), noGame()},
                "None of the 2 servers selected allows it; Arena: the game is stopped"}),
    jextest::RowName());

}  // namespace
