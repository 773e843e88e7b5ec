// The Players view without its widget: what it asks of a server's link and
// when, the players it keeps from an answer, and how it says why it lists
// nobody.
#include <gtest/gtest.h>

#include <QRegularExpression>

#include <functional>

#include "fake_link.h"
#include "host/games/players_watch.h"
#include "support/printers.h"

namespace {

using jexhost::LinkFailure;
using jexhost::games_ui::PlayersWatch;
using jextest::FakeLink;

const jexlink::Welcome kAnn{QStringLiteral("ann"), false, {}, false};
const QString kAsk1 = QStringLiteral(R"({"id":1,"players":{"profile":2}})");
const QString kAsk2 = QStringLiteral(R"({"id":2,"players":{"profile":2}})");
const QString kThree = QStringLiteral(
    R"({"id":1,"players":{"ok":true,"reason":"","list":[
        {"name":"Ann","clan":"Red","score":12,"seconds":75,"spectator":false},
        {"name":"zed","clan":"","score":-1,"seconds":3,"spectator":false},
        {"name":"tee","clan":"","score":0,"seconds":600,"spectator":true}]}})");

struct WatchRun {
    PlayersWatch watch;
    FakeLink lobby, other;
    void watchLobby(std::optional<jexlink::Welcome> who = kAnn) {
        watch.watch(
            {{}, QStringLiteral("Lobby"), QStringLiteral("ws://far:4711"), 2, lobby.sender(), who});
    }
};

struct WatchRow {
    const char* name;
    std::function<void(WatchRun&)> steps;
    QStringList lobbySent;
    const char* stateText;
    QStringList players;  // their names, as kept
    friend void PrintTo(const WatchRow& row, std::ostream* out) { *out << row.name; }
};

class PlayersWatchRows : public ::testing::TestWithParam<WatchRow> {};

TEST_P(PlayersWatchRows, AsksWhileShownAndSays) {
    const WatchRow& row = GetParam();
    WatchRun run;
    row.steps(run);
    EXPECT_EQ(run.lobby.sent, row.lobbySent);
    EXPECT_EQ(run.watch.stateText(), QString::fromUtf8(row.stateText));
    QStringList names;
    for (const auto& player : run.watch.players()) names << player.name;
    EXPECT_EQ(names, row.players);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Watch, PlayersWatchRows, ::testing::Values(
    WatchRow{"shown: asks and lists who plays",
             [](WatchRun& r) { r.watch.setActive(true); r.watchLobby(); r.lobby.reply(0, kThree); },
             {kAsk1}, "Lobby: 2 playing, 1 watching.", {"Ann", "zed", "tee"}},
    WatchRow{"hidden: asks nothing",
             [](WatchRun& r) { r.watchLobby(); },
             {}, "Lobby: asking who plays...", {}},
    WatchRow{"shown later: asks then",
             [](WatchRun& r) { r.watchLobby(); r.watch.setActive(true); },
             {kAsk1}, "Lobby: asking who plays...", {}},
    WatchRow{"nobody plays",
             [](WatchRun& r) {
                 r.watch.setActive(true);
                 r.watchLobby();
                 r.lobby.reply(0, R"({"id":1,"players":{"ok":true,"reason":"","list":[]}})");
             },
             {kAsk1}, "Lobby: nobody plays.", {}},
    WatchRow{"the remote side says why not",
             [](WatchRun& r) {
                 r.watch.setActive(true);
                 r.watchLobby();
                 r.lobby.reply(0, R"({"id":1,"players":{"ok":false,"reason":"the game is stopped","list":[]}})");
             },
             {kAsk1}, "Lobby: the game is stopped.", {}},
    WatchRow{"no answer in time",
             [](WatchRun& r) {
                 r.watch.setActive(true);
                 r.watchLobby();
                 r.lobby.reply(0, {}, LinkFailure::TimedOut);
             },
             {kAsk1}, "Lobby: no answer from ws://far:4711 in time.", {}},
    WatchRow{"an unreadable answer",
             [](WatchRun& r) {
                 r.watch.setActive(true);
                 r.watchLobby();
                 r.lobby.reply(0, R"({"id":1,"players":{"ok":true}})");
             },
             {kAsk1}, "Lobby: ws://far:4711 answered with no list of players.", {}},
    WatchRow{"not welcomed yet: asks at the welcome",
             [](WatchRun& r) {
                 r.watch.setActive(true);
                 r.watchLobby(std::nullopt);
                 r.watch.welcomed(kAnn);
             },
             {kAsk1}, "Lobby: waiting for the link to ws://far:4711.", {}},
    WatchRow{"an answer after the link went down is dropped",
             [](WatchRun& r) {
                 r.watch.setActive(true);
                 r.watchLobby();
                 r.watch.linkDown(LinkFailure::Unreachable);
                 r.lobby.reply(0, kThree);
             },
             {kAsk1}, "Lobby: cannot reach ws://far:4711.", {}},
    WatchRow{"an answer for the server watched before is dropped",
             [](WatchRun& r) {
                 r.watch.setActive(true);
                 r.watchLobby();
                 r.watch.watch({{}, "Arena", "ws://near:4711", 0, r.other.sender(), kAnn});
                 r.lobby.reply(0, kThree);
             },
             {kAsk1}, "Arena: asking who plays...", {}},
    WatchRow{"the list goes with its server",
             [](WatchRun& r) {
                 r.watch.setActive(true);
                 r.watchLobby();
                 r.lobby.reply(0, kThree);
                 r.watch.stop();
             },
             {kAsk1}, "Select a server to see who plays on it.", {}},
    WatchRow{"hidden and shown again while an ask waits: one ask",
             [](WatchRun& r) {
                 r.watch.setActive(true);
                 r.watchLobby();
                 r.watch.setActive(false);
                 r.watch.setActive(true);
             },
             {kAsk1}, "Lobby: asking who plays...", {}},
    WatchRow{"hidden and shown again once answered: asks again",
             [](WatchRun& r) {
                 r.watch.setActive(true);
                 r.watchLobby();
                 r.lobby.reply(0, kThree);
                 r.watch.setActive(false);
                 r.watch.setActive(true);
             },
             {kAsk1, kAsk2}, "Lobby: 2 playing, 1 watching.", {"Ann", "zed", "tee"}}),
    [](const auto& info) {
        QString name = QString::fromUtf8(info.param.name);
        name.replace(QRegularExpression("[^A-Za-z0-9]"), "_");
        return name.toStdString();
    });
// clang-format on

}  // namespace
