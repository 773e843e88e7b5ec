// The Game column's words and how a control reply reads as an outcome, by
// hand-written rows.
#include <gtest/gtest.h>

#include <QDateTime>

#include "host/games/apply_watch.h"
#include "host/games/game_actions.h"
#include "host/games/game_description.h"
#include "support/game_status.h"

namespace {

using jexhost::LinkFailure;
using jexhost::games::ActionOutcome;

const QDateTime kNow = QDateTime::fromString("2026-12-07T15:00:00.000Z", Qt::ISODateWithMs);

using jextest::teeworldsGame;

TEST(GameWords, DescribeGame) {
    struct Row {
        const char* name;
        jexlink::GameStatus game;
        QDateTime restartDue;
        QString words;
    };
    auto running = [](const char* since, const char* pending = "") {
        auto status = teeworldsGame("running");
        status.since = QString::fromLatin1(since);
        status.pending = QString::fromLatin1(pending);
        return status;
    };
    auto crashed = [](int restarts) {
        auto status = teeworldsGame("crashed");
        status.restarts = restarts;
        return status;
    };
    auto failed = [](const char* lastExit) {
        auto status = teeworldsGame("failed");
        status.lastExit = QString::fromLatin1(lastExit);
        return status;
    };
    const Row rows[] = {
        {"running hours", running("2026-12-07T12:47:00.000Z"), {}, "running 2 h 13 min"},
        {"running seconds", running("2026-12-07T14:59:18.500Z"), {}, "running 41 s"},
        {"running minutes", running("2026-12-07T14:47:00.000Z"), {}, "running 13 min"},
        {"running days", running("2026-12-04T11:00:00.000Z"), {}, "running 3 d 4 h"},
        {"running unknown since", running(""), {}, "running"},
        {"restart when empty",
         running("2026-12-07T14:00:00.000Z", "restart"),
         {},
         "running 1 h 0 min, restart when empty"},
        {"starting", teeworldsGame("starting"), {}, "starting"},
        {"stopping", teeworldsGame("stopping"), {}, "stopping"},
        {"stopped", teeworldsGame("stopped"), {}, "stopped"},
        {"crashed with a due restart", crashed(2), kNow.addMSecs(7200),
         "crashed, restart in 8 s (3rd)"},
        {"crashed the first time", crashed(0), kNow.addSecs(1), "crashed, restart in 1 s (1st)"},
        {"crashed 12th", crashed(11), kNow.addSecs(60), "crashed, restart in 1 min (12th)"},
        {"crashed past due", crashed(1), kNow.addSecs(-1), "crashed, restarting (2nd)"},
        {"crashed due unknown", crashed(21), {}, "crashed, restarting (22nd)"},
        {"failed after five",
         failed("exited with code 1 5 times in 10 minutes"),
         {},
         "failed: exited with code 1 five times in 10 minutes"},
        {"failed to start",
         failed("no ready sign within 20 s; its last lines: x"),
         {},
         "failed: no ready sign within 20 s; its last lines: x"},
        {"failed without a reason", failed(""), {}, "failed"},
    };
    for (const Row& row : rows)
        EXPECT_EQ(jexhost::games::describeGame(row.game, kNow, row.restartDue), row.words)
            << row.name;
}

TEST(GameWords, DescribePlayers) {
    struct Row {
        const char* name;
        std::optional<int> players;
        std::optional<int> maxPlayers;
        QString words;
    };
    const Row rows[] = {
        {"both", 5, 16, "5/16"},
        {"none on", 0, 8, "0/8"},
        {"no maximum", 3, std::nullopt, "3"},
        {"not said", std::nullopt, 16, ""},
    };
    for (const Row& row : rows) {
        auto status = teeworldsGame("running");
        status.players = row.players;
        status.maxPlayers = row.maxPlayers;
        EXPECT_EQ(jexhost::games::describePlayers(status), row.words) << row.name;
    }
}

TEST(GameWords, JudgeControlReply) {
    struct Row {
        const char* name;
        QString answer;
        LinkFailure failure;
        ActionOutcome outcome;
        QString state;
        QString reason;
    };
    const QString remote = QStringLiteral("ws://127.0.0.1:4711");
    const Row rows[] = {
        {"started", R"({"id":3,"control":{"ok":true,"state":"running","reason":""}})",
         LinkFailure::None, ActionOutcome::Done, "running", ""},
        {"no privilege",
         R"({"id":3,"control":{"ok":false,"state":"stopped","reason":"operator lee lacks the privilege to control game servers"}})",
         LinkFailure::None, ActionOutcome::Refused, "stopped",
         "operator lee lacks the privilege to control game servers"},
        {"no game there",
         R"({"id":3,"control":{"ok":false,"state":"","reason":"profile 4 runs no game here"}})",
         LinkFailure::None, ActionOutcome::Refused, "", "profile 4 runs no game here"},
        {"not ready",
         R"({"id":3,"control":{"ok":false,"state":"failed","reason":"no ready sign within 20 s"}})",
         LinkFailure::None, ActionOutcome::Failed, "failed", "no ready sign within 20 s"},
        {"token refused", "", LinkFailure::Refused, ActionOutcome::Refused, "",
         "ws://127.0.0.1:4711 refused the console's token"},
        {"unreachable", "", LinkFailure::Unreachable, ActionOutcome::Unreachable, "",
         "cannot reach ws://127.0.0.1:4711"},
        {"timed out", "", LinkFailure::TimedOut, ActionOutcome::Unreachable, "",
         "no answer from ws://127.0.0.1:4711 in time"},
        {"another answer", R"({"id":3,"answer":"1"})", LinkFailure::None, ActionOutcome::Failed, "",
         "ws://127.0.0.1:4711 answered something other than a control answer"},
    };
    for (const Row& row : rows) {
        const auto result = jexhost::games::judgeControlReply(row.answer, row.failure, remote);
        EXPECT_EQ(result.outcome, row.outcome) << row.name;
        EXPECT_EQ(result.state, row.state) << row.name;
        EXPECT_EQ(result.reason, row.reason) << row.name;
    }
}

}  // namespace

namespace {

TEST(GameWords, AppliedText) {
    struct Row {
        const char* name;
        const char* state;
        std::optional<qint64> appliedVersion;
        QList<jexlink::ApplyProblem> problems;
        QString words;  // for stored version 5
    };
    const Row rows[] = {
        {"taken", "running", 5, {}, "Arena: applied to the running game."},
        {"a later version taken", "running", 6, {}, "Arena: applied to the running game."},
        {"not yet", "running", 4, {}, ""},
        {"not known yet", "running", std::nullopt, {}, ""},
        {"clamped and refused",
         "running",
         5,
         {{"Max Players", "sv_max_clients is 64 in the game, not 70"},
          {"Name", "the game did not confirm it in time"}},
         "Arena: applied to the running game but Max Players: sv_max_clients is 64 in the game, "
         "not 70; Name: the game did not confirm it in time."},
        {"stopped",
         "stopped",
         std::nullopt,
         {},
         "Arena: the game is stopped; it takes the settings at its next start."},
        {"crashed",
         "crashed",
         4,
         {},
         "Arena: the game is crashed; it takes the settings at its next start."},
    };
    for (const Row& row : rows) {
        auto status = jextest::teeworldsGame(QString::fromLatin1(row.state));
        status.appliedVersion = row.appliedVersion;
        status.applyProblems = row.problems;
        EXPECT_EQ(jexhost::games::appliedText("Arena", status, 5), row.words) << row.name;
    }
}

}  // namespace
