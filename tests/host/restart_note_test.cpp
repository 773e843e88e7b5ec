// The line above the open server's panel while settings wait for its game's
// next restart, following the remote side's pushes.
#include <QLabel>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>

#include <gtest/gtest.h>

#include "exchange/model/settings_reply.h"
#include "fake_remote.h"
#include "host/games_ui/restart_note.h"
#include "host_fixture.h"
#include "link/privilege_names.h"
#include "remote/store/server_settings.h"
#include "support/game_status.h"
#include "support/modal_driver.h"

namespace {

jexlink::GameStatus running(const QStringList& restartNeeded) {
    jexlink::GameStatus game = jextest::teeworldsGame(QStringLiteral("running"));
    game.restartNeeded = restartNeeded;
    return game;
}

TEST(RestartNote, SaysWhichSettingsWaitForTheRestartAndOffersIt) {
    jextest::TempHost host;
    jextest::prepareHostRoot(host);
    jextest::FakeRemote fake(QStringLiteral("0123456789abcdef-fake"));
    jexlink::Welcome welcome{QStringLiteral("ann"), true, {}, true};
    for (const char* name : jexlink::kPrivilegeNames)
        welcome.privileges.append({QString::fromLatin1(name), 1});
    fake.welcome = jexlink::welcomeMessage(welcome);
    fake.games = {running({})};
    fake.settingsReply = kdrsm::model::replyText(jexremote::defaultSettings());
    fake.version = 1;
    jextest::ModalDriver driver;  // a box the panel shows would otherwise wait for a click
    jextest::writeTokenFile(host.path("settings/fake.token"), "0123456789abcdef-fake\n");
    host.write("settings/servers.ini",
               jextest::serverSection("fake", "Fake", fake.url(), "fake.token", "fake0"));
    jexhost::HostSession session{{}};
    QString error;
    ASSERT_TRUE(session.start(&error)) << error.toStdString();
    jextest::ShownConsole console(session);
    ASSERT_TRUE(console.open("Fake"));
    auto* note = console.window().findChild<jexhost::games_ui::RestartNote*>();
    ASSERT_NE(note, nullptr);
    EXPECT_FALSE(note->isVisible());

    fake.broadcast(jexlink::gamePushMessage(running({"Max Players", "Game Play"})));
    ASSERT_TRUE(QTest::qWaitFor([&] { return note->isVisible(); }, jextest::kHostWaitMs));
    EXPECT_EQ(note->text()->text(), "Max Players and Game Play take effect at the next restart");
    EXPECT_TRUE(note->restartNow()->isEnabled());
    EXPECT_TRUE(note->restartWhenEmpty()->isEnabled());
    note->restartNow()->click();
    EXPECT_EQ(console.window().statusBar()->currentMessage(), "Fake, Restart: sent.");

    // Restarted: nothing waits any longer.
    fake.broadcast(jexlink::gamePushMessage(running({})));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !note->isVisible(); }, jextest::kHostWaitMs));
    EXPECT_EQ(driver.texts(), QStringList{});
}

}  // namespace
