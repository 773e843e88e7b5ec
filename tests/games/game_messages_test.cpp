// The link's game messages: exactly the texts the remote side's README gives,
// and what makes each one unreadable.
#include <gtest/gtest.h>

#include <functional>

#include "link/game_messages.h"
#include "link/player_messages.h"
#include "support/printers.h"

namespace {

using namespace jexlink;

struct ReadCase {
    const char* name;
    std::function<bool(const QString&)> reads;
    QString message;
    bool readable;
};

class GameReaders : public ::testing::TestWithParam<ReadCase> {};

TEST_P(GameReaders, TakeOnlyWellFormedMessages) {
    EXPECT_EQ(GetParam().reads(GetParam().message), GetParam().readable);
}

template <auto Reader>
bool reads(const QString& message) {
    return Reader(message).has_value();
}

const QString kGame = QStringLiteral(
    R"({"profile": 0, "definition": "teeworlds", "state": "%1", "pid": null, "since": null,
        "players": null, "maxPlayers": null, "restarts": 0, "lastExit": null,
        "restartNeeded": [], "appliedVersion": null%2})");

// clang-format off
INSTANTIATE_TEST_SUITE_P(Rows, GameReaders, ::testing::Values(
    ReadCase{"GamesRequest", reads<readGamesRequest>, R"({"id": 3, "games": {}})", true},
    ReadCase{"GamesRequestAsList", reads<readGamesRequest>, R"({"id": 3, "games": []})", false},
    ReadCase{"GamesRequestIdBeyond2Pow53", reads<readGamesRequest>,
             R"({"id": 9007199254740994, "games": {}})", false},
    ReadCase{"Start", reads<readControlRequest>,
             R"({"id": 1, "control": {"profile": 0, "action": "start"}})", true},
    ReadCase{"RestartWhenEmpty", reads<readControlRequest>,
             R"({"id": 1, "control": {"profile": 2, "action": "restart", "when": "empty"}})", true},
    ReadCase{"StartWhenEmpty", reads<readControlRequest>,
             R"({"id": 1, "control": {"profile": 0, "action": "start", "when": "empty"}})", false},
    ReadCase{"StopWhenLater", reads<readControlRequest>,
             R"({"id": 1, "control": {"profile": 0, "action": "stop", "when": "later"}})", false},
    ReadCase{"UnknownAction", reads<readControlRequest>,
             R"({"id": 1, "control": {"profile": 0, "action": "reboot"}})", false},
    ReadCase{"NegativeProfile", reads<readControlRequest>,
             R"({"id": 1, "control": {"profile": -1, "action": "stop"}})", false},
    ReadCase{"OutputThousandLines", reads<readOutputRequest>,
             R"({"id": 1, "output": {"profile": 0, "lines": 1000, "follow": true}})", true},
    ReadCase{"OutputOneLineTooMany", reads<readOutputRequest>,
             R"({"id": 1, "output": {"profile": 0, "lines": 1001, "follow": true}})", false},
    ReadCase{"OutputFollowAsText", reads<readOutputRequest>,
             R"({"id": 1, "output": {"profile": 0, "lines": 5, "follow": "yes"}})", false},
    ReadCase{"CommandLongest", reads<readCommandRequest>,
             QString(R"({"id": 1, "command": {"profile": 0, "line": "%1"}})").arg(QString(256, 'a')), true},
    ReadCase{"CommandTooLong", reads<readCommandRequest>,
             QString(R"({"id": 1, "command": {"profile": 0, "line": "%1"}})").arg(QString(257, 'a')), false},
    ReadCase{"GamePush", reads<readGamePush>, QString(R"({"game": %1})").arg(kGame.arg("running", "")), true},
    ReadCase{"GamePushUnknownState", reads<readGamePush>,
             QString(R"({"game": %1})").arg(kGame.arg("paused", "")), false},
    ReadCase{"GamePushPendingStart", reads<readGamePush>,
             QString(R"({"game": %1})").arg(kGame.arg("running", R"(, "pending": "start")")), false},
    ReadCase{"GamePushWithId", reads<readGamePush>,
             QString(R"({"id": 1, "game": %1})").arg(kGame.arg("running", "")), false},
    ReadCase{"OutputPushIsNotAnAnswer", reads<readOutputAnswer>,
             R"({"output": {"profile": 0, "lines": ["x"]}})", false},
    ReadCase{"ProfilesVersionZero", reads<readProfilesAnswer>,
             R"({"id": 1, "profiles": [{"profile": 0, "name": "Lobby", "version": 0, "game": null}]})", false},
    ReadCase{"PlayersRequest", reads<readPlayersRequest>, R"({"id": 2, "players": {"profile": 1}})", true},
    ReadCase{"PlayersRequestWithoutProfile", reads<readPlayersRequest>, R"({"id": 2, "players": {}})", false},
    ReadCase{"PlayersAnswerIsNotARequest", reads<readPlayersRequest>,
             R"({"id": 2, "players": {"ok": true, "reason": "", "list": []}})", false},
    ReadCase{"PlayersAnswerNegativeSeconds", reads<readPlayersAnswer>,
             R"({"id": 2, "players": {"ok": true, "reason": "", "list": [{"name": "a", "clan": "",
                 "score": 0, "seconds": -1, "spectator": false}]}})", false},
    ReadCase{"PlayersAnswerSecondsAtTheirMost", reads<readPlayersAnswer>,
             R"({"id": 2, "players": {"ok": true, "reason": "", "list": [{"name": "a", "clan": "",
                 "score": 0, "seconds": 1099511627776, "spectator": false}]}})", true},
    ReadCase{"PlayersAnswerSecondsPastTheirMost", reads<readPlayersAnswer>,
             R"({"id": 2, "players": {"ok": true, "reason": "", "list": [{"name": "a", "clan": "",
                 "score": 0, "seconds": 1099511627777, "spectator": false}]}})", false},
    ReadCase{"PlayersAnswerNameTooLong", reads<readPlayersAnswer>,
             QString(R"({"id": 2, "players": {"ok": true, "reason": "", "list": [{"name": "%1",
                 "clan": "", "score": 0, "seconds": 1, "spectator": false}]}})").arg(QString(65, 'a')), false},
    ReadCase{"PlayersAnswerTooManyPlayers", reads<readPlayersAnswer>,
             QString(R"({"id": 2, "players": {"ok": true, "reason": "", "list": [%1]}})")
                 .arg(QStringList(257, R"({"name": "a", "clan": "", "score": 0, "seconds": 1, "spectator": false})").join(',')), false}),
    [](const auto& info) { return info.param.name; });
// clang-format on

TEST(GameMessages, WrittenExactlyAsDocumented) {
    GameStatus game{.profile = 1,
                    .definition = "teeworlds",
                    .state = "crashed",
                    .pid = {},
                    .since = {},
                    .players = 3,
                    .maxPlayers = 16,
                    .restarts = 2,
                    .lastExit = "exited with code 1",
                    .restartNeeded = {"Max Players"},
                    .appliedVersion = 7,
                    .pending = "restart",
                    .applyProblems = {{"Name", "clamped"}},
                    .drift = {"Host Message"}};
    const QString text = gamePushMessage(game);
    EXPECT_EQ(
        text,
        QStringLiteral(
            R"({"game":{"appliedVersion":7,"applyProblems":[{"reason":"clamped","setting":"Name"}],)"
            R"("definition":"teeworlds","drift":["Host Message"],"lastExit":"exited with code 1",)"
            R"("maxPlayers":16,"pending":"restart","pid":null,"players":3,"profile":1,)"
            R"("restartNeeded":["Max Players"],"restarts":2,"since":null,"state":"crashed"}})"));
    EXPECT_EQ(readGamePush(text), game);

    EXPECT_EQ(
        controlAnswerMessage(
            4, {false, "stopped", "operator bob lacks the privilege to control game servers"}),
        QStringLiteral(
            R"({"control":{"ok":false,"reason":"operator bob lacks the privilege to control game servers","state":"stopped"},"id":4})"));
    EXPECT_EQ(controlRequestMessage({5, 2, "stop", true}),
              QStringLiteral(R"({"control":{"action":"stop","profile":2,"when":"empty"},"id":5})"));
    const QList<ProfileEntry> profiles{{0, "Lobby", 3, "teeworlds"}, {1, "Night Ops", 1, {}}};
    const QString listed = profilesAnswerMessage(6, profiles);
    EXPECT_EQ(
        listed,
        QStringLiteral(
            R"({"id":6,"profiles":[{"game":"teeworlds","name":"Lobby","profile":0,"version":3},)"
            R"({"game":null,"name":"Night Ops","profile":1,"version":1}]})"));
    EXPECT_EQ(readProfilesAnswer(listed)->second, profiles);
    const PlayersAnswer players{true, {}, {{"Ann", "Red", -3, 75, false}, {"tee", "", 0, 2, true}}};
    const QString roster = playersAnswerMessage(8, players);
    EXPECT_EQ(
        roster,
        QStringLiteral(
            R"({"id":8,"players":{"list":[{"clan":"Red","name":"Ann","score":-3,"seconds":75,)"
            R"("spectator":false},{"clan":"","name":"tee","score":0,"seconds":2,"spectator":true}],)"
            R"("ok":true,"reason":""}})"));
    EXPECT_EQ(readPlayersAnswer(roster)->second, players);
    EXPECT_EQ(playersRequestMessage({9, 2}), QStringLiteral(R"({"id":9,"players":{"profile":2}})"));
    EXPECT_EQ(readOutputPush(outputPushMessage(0, {"a", "b"})),
              (QPair<int, QStringList>{0, {"a", "b"}}));
}

}  // namespace
