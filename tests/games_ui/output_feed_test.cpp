// The Console dock's feed without its widget: what it asks of a server's
// link, the lines it keeps from the answer and the pushes, how it says why it
// shows nothing, and the command lines it sends or refuses; and the history
// Up and Down walk.
#include <gtest/gtest.h>

#include <functional>

#include "fake_link.h"
#include "host/games/output_feed.h"
#include "support/printers.h"

namespace {

using jexhost::LinkFailure;
using jexhost::games_ui::CommandHistory;
using jexhost::games_ui::FeedState;
using jexhost::games_ui::OutputFeed;
using jextest::FakeLink;

jexlink::Welcome welcome(bool control) {
    return {QStringLiteral("ann"), false, {}, control};
}

QStringList numbered(int from, int count) {
    QStringList lines;
    for (int i = from; i < from + count; ++i) lines << QStringLiteral("line %1").arg(i);
    return lines;
}

QString answerOf(int id, const QStringList& lines) {
    return QStringLiteral(R"({"id":%1,"output":{"lines":["%2"]}})")
        .arg(id)
        .arg(lines.join(R"(",")"));
}

const QString kAsk2 =
    QStringLiteral(R"({"id":1,"output":{"follow":true,"lines":1000,"profile":2}})");

struct FeedRun {
    OutputFeed feed;
    FakeLink lobby, other;
    QStringList answered;  // "ok|line|reason" for each command answered
    FeedRun() {
        QObject::connect(&feed, &OutputFeed::commandAnswered,
                         [this](const QString& line, bool ok, const QString& reason) {
                             answered << QStringLiteral("%1|%2|%3").arg(ok).arg(line, reason);
                         });
    }
    void followLobby(std::optional<jexlink::Welcome> who = welcome(true)) {
        feed.follow(
            {{}, QStringLiteral("Lobby"), QStringLiteral("ws://far:4711"), 2, lobby.sender(), who});
    }
};

struct FeedRow {
    const char* name;
    std::function<void(FeedRun&)> steps;
    QStringList lobbySent;
    QStringList otherSent;
    FeedState state;
    const char* stateText;
    int keptLines;
    const char* firstLine;  // "" when none is kept
    const char* lastLine;
    QStringList answered = {};
    friend void PrintTo(const FeedRow& row, std::ostream* out) { *out << row.name; }
};

class OutputFeedRows : public ::testing::TestWithParam<FeedRow> {};

TEST_P(OutputFeedRows, AsksKeepsAndSays) {
    const FeedRow& row = GetParam();
    FeedRun run;
    row.steps(run);
    EXPECT_EQ(run.lobby.sent, row.lobbySent);
    EXPECT_EQ(run.other.sent, row.otherSent);
    EXPECT_EQ(run.feed.state(), row.state);
    EXPECT_EQ(run.feed.stateText(), QString::fromUtf8(row.stateText));
    EXPECT_EQ(run.feed.lines().size(), row.keptLines);
    EXPECT_EQ(run.feed.lines().value(0), QString::fromUtf8(row.firstLine));
    EXPECT_EQ(run.feed.lines().isEmpty() ? QString() : run.feed.lines().last(),
              QString::fromUtf8(row.lastLine));
    EXPECT_EQ(run.answered, row.answered);
}

INSTANTIATE_TEST_SUITE_P(
    Feed, OutputFeedRows,
    ::testing::Values(
        FeedRow{"the last lines then the pushed ones",
                [](FeedRun& r) {
                    r.followLobby();
                    r.lobby.reply(0, answerOf(1, numbered(1, 2)));
                    r.feed.pushed(2, {QStringLiteral("line 3")});
                    r.feed.pushed(5, {QStringLiteral("another profile's")});
                },
                {kAsk2},
                {},
                FeedState::Following,
                "Lobby: following the game's output.",
                3,
                "line 1",
                "line 3"},
        FeedRow{"kept lines stay at a thousand",
                [](FeedRun& r) {
                    r.followLobby();
                    r.lobby.reply(0, answerOf(1, numbered(1, 1000)));
                    r.feed.pushed(2, numbered(1001, 5));
                },
                {kAsk2},
                {},
                FeedState::Following,
                "Lobby: following the game's output.",
                1000,
                "line 6",
                "line 1005"},
        FeedRow{"a push larger than the bound keeps its newest",
                [](FeedRun& r) {
                    r.followLobby();
                    r.lobby.reply(0, answerOf(1, numbered(1, 3)));
                    r.feed.pushed(2, numbered(1, 1200));
                },
                {kAsk2},
                {},
                FeedState::Following,
                "Lobby: following the game's output.",
                1000,
                "line 201",
                "line 1200"},
        FeedRow{"pushes before the answer are not the answer's",
                [](FeedRun& r) {
                    r.followLobby();
                    r.feed.pushed(2, {QStringLiteral("early")});
                },
                {kAsk2},
                {},
                FeedState::Asking,
                "Lobby: asking for the game's last lines...",
                0,
                "",
                ""},
        FeedRow{"without control nothing is asked and nothing sent",
                [](FeedRun& r) {
                    r.followLobby(welcome(false));
                    r.feed.sendCommand(QStringLiteral("status"));
                },
                {},
                {},
                FeedState::NoControl,
                "Lobby: operator ann lacks the privilege to control game servers.",
                0,
                "",
                "",
                {"0|status|operator ann lacks the privilege to control game servers"}},
        FeedRow{
            "refused by the remote side in its words",
            [](FeedRun& r) {
                r.followLobby();
                r.lobby.reply(
                    0,
                    R"({"id":1,"output":{"lines":[],"ok":false,"reason":"profile 2 runs no game here"}})");
            },
            {kAsk2},
            {},
            FeedState::Refused,
            "Lobby: profile 2 runs no game here.",
            0,
            "",
            ""},
        FeedRow{"no answer in time",
                [](FeedRun& r) {
                    r.followLobby();
                    r.lobby.reply(0, {}, LinkFailure::TimedOut);
                },
                {kAsk2},
                {},
                FeedState::Down,
                "Lobby: no answer from ws://far:4711 in time.",
                0,
                "",
                ""},
        FeedRow{"not welcomed yet: asked at the welcome",
                [](FeedRun& r) {
                    r.followLobby(std::nullopt);
                    r.feed.welcomed(welcome(true));
                },
                {kAsk2},
                {},
                FeedState::Asking,
                "Lobby: asking for the game's last lines...",
                0,
                "",
                ""},
        FeedRow{"the link down and back: asked again, the lines replaced",
                [](FeedRun& r) {
                    r.followLobby();
                    r.lobby.reply(0, answerOf(1, numbered(1, 4)));
                    r.feed.linkDown(LinkFailure::Unreachable);
                    r.feed.pushed(2, {QStringLiteral("lost with the link")});
                    r.feed.welcomed(welcome(true));
                    r.lobby.reply(1, answerOf(2, numbered(3, 3)));
                },
                {kAsk2, R"({"id":2,"output":{"follow":true,"lines":1000,"profile":2}})"},
                {},
                FeedState::Following,
                "Lobby: following the game's output.",
                3,
                "line 3",
                "line 5"},
        FeedRow{"the privilege taken away at a new welcome",
                [](FeedRun& r) {
                    r.followLobby();
                    r.lobby.reply(0, answerOf(1, numbered(1, 4)));
                    r.feed.welcomed(welcome(false));
                    r.feed.pushed(2, {QStringLiteral("not for ann any more")});
                },
                {kAsk2},
                {},
                FeedState::NoControl,
                "Lobby: operator ann lacks the privilege to control game servers.",
                4,
                "line 1",
                "line 4"},
        FeedRow{"another server: the first stops following, its late answer dropped",
                [](FeedRun& r) {
                    r.followLobby();
                    r.feed.follow({{},
                                   QStringLiteral("Dusk"),
                                   QStringLiteral("ws://near:4711"),
                                   0,
                                   r.other.sender(),
                                   welcome(true)});
                    r.other.reply(0, answerOf(1, {QStringLiteral("dusk")}));
                    r.lobby.reply(0, answerOf(1, numbered(1, 2)));
                },
                {kAsk2, R"({"id":2,"output":{"follow":false,"lines":0,"profile":2}})"},
                {R"({"id":1,"output":{"follow":true,"lines":1000,"profile":0}})"},
                FeedState::Following,
                "Dusk: following the game's output.",
                1,
                "dusk",
                "dusk"},
        FeedRow{
            "commands: sent, refused by the game, refused before sending",
            [](FeedRun& r) {
                r.followLobby();
                r.feed.sendCommand(QStringLiteral("status"));
                r.lobby.reply(1, R"({"command":{"ok":true,"reason":""},"id":2})");
                r.feed.sendCommand(QStringLiteral("kick 1"));
                r.lobby.reply(
                    2,
                    R"({"command":{"ok":false,"reason":"the game's console is not ready"},"id":3})");
                r.feed.sendCommand(QStringLiteral("say a\nb"));
                r.feed.sendCommand(QString(257, u'x'));
                r.feed.sendCommand(QStringLiteral("  "));
                r.feed.sendCommand(QStringLiteral("status"));
                r.lobby.reply(3, {}, LinkFailure::Unreachable);
            },
            {kAsk2, R"({"command":{"line":"status","profile":2},"id":2})",
             R"({"command":{"line":"kick 1","profile":2},"id":3})",
             R"({"command":{"line":"status","profile":2},"id":4})"},
            {},
            FeedState::Asking,
            "Lobby: asking for the game's last lines...",
            0,
            "",
            "",
            {"1|status|", "0|kick 1|the game's console is not ready",
             "0|say a\nb|A command line holds no control characters (tabs, line breaks).",
             "0|" + QString(257, u'x') +
                 "|A command line holds at most 256 characters; this one has 257.",
             "0|  |Type a command first.", "0|status|cannot reach ws://far:4711"}},
        FeedRow{"stopped: the server told, nothing kept",
                [](FeedRun& r) {
                    r.followLobby();
                    r.lobby.reply(0, answerOf(1, numbered(1, 2)));
                    r.feed.stop();
                    r.feed.sendCommand(QStringLiteral("status"));
                },
                {kAsk2, R"({"id":2,"output":{"follow":false,"lines":0,"profile":2}})"},
                {},
                FeedState::NoServer,
                "Select a server to see its game's output.",
                0,
                "",
                "",
                {"0|status|Select a server first."}}),
    jextest::RowName());

// Up and Down as a shell walks its history: Up to older lines, Down back to
// what was being typed; a line sent twice in a row is kept once.
TEST(CommandHistoryWalk, UpAndDown) {
    struct Step {
        const char* name;
        char key;  // 'U'p, 'D'own, 'S'end
        const char* typed;
        const char* shown;
    };
    const QList<Step> steps = {
        {"nothing sent yet: Up keeps the line", 'U', "sta", "sta"},
        {"first sent", 'S', "status", ""},
        {"second sent", 'S', "kick 1", ""},
        {"the same again", 'S', "kick 1", ""},
        {"Up: the newest", 'U', "say hi", "kick 1"},
        {"Up: the older", 'U', "kick 1", "status"},
        {"Up at the oldest stays", 'U', "status", "status"},
        {"Down: newer", 'D', "status", "kick 1"},
        {"Down past the newest: what was typed", 'D', "kick 1", "say hi"},
        {"Down with no walk keeps the line", 'D', "say hi", "say hi"},
    };
    CommandHistory history;
    for (const Step& step : steps) {
        QString shown;
        if (step.key == 'U') shown = history.older(QString::fromUtf8(step.typed));
        if (step.key == 'D') shown = history.newer(QString::fromUtf8(step.typed));
        if (step.key == 'S') history.add(QString::fromUtf8(step.typed));
        EXPECT_EQ(shown, QString::fromUtf8(step.shown)) << step.name;
    }
    EXPECT_EQ(history.lines(), (QStringList{"status", "kick 1"}));
}

}  // namespace
