// The console's views of real teeworlds servers run by real jexremote
// processes: the Console dock follows a game's output and sends its console a
// command, and says in words why an operator without the control of game
// servers gets neither; the Players dock lists who plays; an update made in
// the panel is said to have reached the running game.
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTableWidget>
#include <QTest>

#include <gtest/gtest.h>

#include "game_remotes.h"
#include "host/games_ui/console_dock.h"
#include "host/games_ui/players_dock.h"
#include "host/relay/link_pool.h"
#include "host/servers/servers_file.h"
#include "host/servers_ui/server_list_panel.h"
#include "host_fixture.h"
#include "link/game_messages.h"
#include "remote/games/game_bindings.h"
#include "support/modal_driver.h"
#include "support/teeworlds_bot.h"

namespace {

using jexhost::games_ui::FeedState;
constexpr int kGameWaitMs = 40000;  // a game's start included; upper bound only

// Sends one control action over server `name`'s link and waits for its answer.
bool control(jexhost::HostSession& session, const QString& id, const QString& action) {
    const auto entry = session.server(id);
    jexhost::RemoteLink* link = session.links()->link(
        entry->remote, jexhost::servers::tokenFilePath(*entry, session.serversFile()));
    std::optional<jexlink::ControlOutcome> outcome;
    link->sendMessage(
        [&](qint64 n) {
            return jexlink::controlRequestMessage({n, entry->profile, action, false});
        },
        [&](const QString& answer, jexhost::LinkFailure) {
            const auto read = jexlink::readControlAnswer(answer);
            outcome = read ? read->second : jexlink::ControlOutcome{};
        });
    return QTest::qWaitFor([&] { return outcome.has_value(); }, kGameWaitMs) && outcome->ok;
}

TEST(GameConsole, ConsoleDockFollowsOutputAndSendsACommandPlayersDockLists) {
    if (!jextest::teeworldsInstalled()) GTEST_SKIP() << "teeworlds-server is not installed";
    jextest::TempHost host;
    jextest::prepareHostRoot(host);
    jextest::GameRemotes remotes(host, {"east"});
    QString error;
    ASSERT_TRUE(remotes.start(&error)) << error.toStdString();
    host.write("settings/servers.ini", remotes.serversIni());
    jexhost::HostSession session{{}};
    ASSERT_TRUE(session.start(&error)) << error.toStdString();
    jextest::ShownConsole console(session);
    auto* dock = console.window().consoleDock();
    dock->show();
    dock->raise();

    console.window().serverList()->selectServer(console.idOf("east"));
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return dock->feed()->state() == FeedState::Following; }, kGameWaitMs))
        << dock->stateLine()->text().toStdString();
    ASSERT_TRUE(control(session, console.idOf("east"), "start"));
    // The game's own lines come as it prints them.
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return dock->output()->toPlainText().contains("[server]: version "); }, kGameWaitMs))
        << dock->output()->toPlainText().toStdString();

    // The game's console takes its login just after the ready line: typed
    // again until it is sent, as an operator would.
    bool sent = false;
    for (int attempt = 0; attempt < 50 && !sent; ++attempt) {
        if (attempt) QTest::qWait(100);
        dock->commandLine()->clear();
        QSignalSpy answered(dock->feed(), &jexhost::games_ui::OutputFeed::commandAnswered);
        QTest::keyClicks(dock->commandLine(), "say console-check-42");
        QTest::keyClick(dock->commandLine(), Qt::Key_Return);
        ASSERT_TRUE(answered.wait(kGameWaitMs));
        sent = dock->stateLine()->text().endsWith("Sent: say console-check-42");
    }
    ASSERT_TRUE(sent) << dock->stateLine()->text().toStdString();
    EXPECT_TRUE(dock->commandLine()->text().isEmpty());
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return dock->output()->toPlainText().contains("console-check-42"); }, kGameWaitMs))
        << dock->output()->toPlainText().toStdString();
    QTest::keyClick(dock->commandLine(), Qt::Key_Up);
    EXPECT_EQ(dock->commandLine()->text(), "say console-check-42");

    // Who plays, once its tab is shown: nobody on a game just started, then
    // the two who joined.
    auto* players = console.window().playersDock();
    players->raise();
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return players->stateLine()->text() == "east: nobody plays."; }, kGameWaitMs))
        << players->stateLine()->text().toStdString();
    EXPECT_EQ(players->table()->rowCount(), 0);
    const auto bindings = jexremote::games::readBindings(host.path("east-state"), &error);
    ASSERT_TRUE(bindings && bindings->size() == 1) << error.toStdString();
    jextest::TeeworldsBot bots;
    ASSERT_TRUE(bots.join(quint16(bindings->at(0).port), {"Ann", "Bo"}, "Red", &error))
        << error.toStdString();
    EXPECT_TRUE(QTest::qWaitFor([&] { return players->stateLine()->text() == "east: 2 playing."; },
                                kGameWaitMs))
        << players->stateLine()->text().toStdString();
    ASSERT_EQ(players->table()->rowCount(), 2);
    QStringList rows;
    for (int row = 0; row < 2; ++row)
        rows << players->table()->item(row, 0)->text() + u'|' +
                    players->table()->item(row, 1)->text() + u'|' +
                    players->table()->item(row, 4)->text();
    rows.sort();
    EXPECT_EQ(rows, (QStringList{"Ann|Red|player", "Bo|Red|player"}));
    dock->raise();

    // An update made in the panel reaches the running game, and the status bar says so.
    jextest::ModalDriver modal;
    ASSERT_TRUE(console.open("east"));
    console.control<QLineEdit>("savServerName")->setText("Dusk Ops");
    QTest::mouseClick(console.control<QLabel>("cmdUpdate"), Qt::LeftButton);
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            return console.window().statusBar()->currentMessage() ==
                   "east: applied to the running game.";
        },
        kGameWaitMs))
        << console.window().statusBar()->currentMessage().toStdString();
    EXPECT_EQ(modal.texts(), QStringList{"Server Settings Updated."});

    // The guest of the same remote lacks the control of game servers.
    console.window().serverList()->selectServer(console.idOf("east guest"));
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return dock->feed()->state() == FeedState::NoControl; }, kGameWaitMs))
        << dock->stateLine()->text().toStdString();
    EXPECT_EQ(dock->stateLine()->text(),
              "east guest: operator guest lacks the privilege to control game servers.");
    EXPECT_FALSE(dock->commandLine()->isEnabled());
    EXPECT_EQ(dock->commandLine()->toolTip(), dock->stateLine()->text());

    EXPECT_TRUE(control(session, console.idOf("east"), "stop"));
}

}  // namespace
