// The server list's Game column and the game entries against real teeworlds
// servers behind two real jexremote processes: the column follows a start
// and a stop, Start and Stop on a selection give an outcome per server, an
// entry the selection does not allow is greyed saying why, and Kill asks
// first, its question left open past a request's time.
#include <QAbstractButton>
#include <QAction>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QMessageBox>
#include <QStatusBar>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <signal.h>

#include "game_remotes.h"
#include "host/fleet_ui/outcome_table.h"
#include "host/games_ui/game_action_dialog.h"
#include "host/games_ui/game_controls.h"
#include "host/servers/server_list_model.h"
#include "host/servers_ui/server_list_panel.h"
#include "host_fixture.h"
#include "support/modal_driver.h"

namespace {

using jexhost::fleet_ui::OutcomeTable;
using jexhost::games_ui::GameAction;
using jexhost::servers::ServerListModel;
constexpr int kGameWaitMs = 60000;  // two games' start included; upper bound only

class GameControlsTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!jextest::teeworldsInstalled()) GTEST_SKIP() << "teeworlds-server is not installed";
        jextest::prepareHostRoot(host);
        QString error;
        ASSERT_TRUE(remotes.start(&error)) << error.toStdString();
        host.write("settings/servers.ini", remotes.serversIni());
        jexhost::HostOptions options;
        options.timeoutMs = 3000;  // a Kill question stays open past it
        session = std::make_unique<jexhost::HostSession>(options);
        ASSERT_TRUE(session->start(&error)) << error.toStdString();
        console = std::make_unique<jextest::ShownConsole>(*session);
    }
    void TearDown() override { console.reset(); }

    QString gameText(const QString& name) const {
        const auto* model = session->servers();
        return model->index(model->rowOf(console->idOf(name)), ServerListModel::GameColumn)
            .data()
            .toString();
    }
    bool gameReads(const QString& name, const QString& start) const {
        return QTest::qWaitFor([&] { return gameText(name).startsWith(start); }, kGameWaitMs);
    }
    void select(const QStringList& names) {
        auto* list = console->window().serverList();
        list->view()->clearSelection();
        for (const QString& name : names) {
            const QModelIndex row =
                list->view()->model()->index(session->servers()->rowOf(console->idOf(name)), 0);
            list->view()->selectionModel()->select(
                row, QItemSelectionModel::Select | QItemSelectionModel::Rows);
        }
    }
    QAction* entry(GameAction which) const {
        return console->window().gameControls()->action(which);
    }
    // Runs `which` on the selection and waits for every outcome: "name|outcome" rows.
    QStringList runOnSelection(GameAction which) {
        auto* dialog = console->window().gameControls()->trigger(which);
        if (!dialog) return {"no dialog"};
        QStringList rows;
        if (!QTest::qWaitFor([&] { return !dialog->isRunning(); }, kGameWaitMs))
            rows << "still running";
        for (int row = 0; row < dialog->table()->rowCount(); ++row)
            rows << dialog->table()->cell(row, OutcomeTable::ServerColumn) + u'|' +
                        dialog->table()->cell(row, OutcomeTable::OutcomeColumn);
        rows << dialog->summary()->text();
        dialog->close();
        return rows;
    }

    jextest::TempHost host;
    jextest::GameRemotes remotes{host, {"east", "west"}};
    std::unique_ptr<jexhost::HostSession> session;
    std::unique_ptr<jextest::ShownConsole> console;
};

TEST_F(GameControlsTest, StartAndStopOnASelectionGiveAnOutcomePerServer) {
    ASSERT_TRUE(gameReads("east", "stopped")) << gameText("east").toStdString();
    ASSERT_TRUE(gameReads("west guest", "stopped")) << gameText("west guest").toStdString();

    // The guest alone may not: the entry is greyed and says why.
    select({"east guest"});
    EXPECT_FALSE(entry(GameAction::Start)->isEnabled());
    EXPECT_TRUE(
        entry(GameAction::Start)
            ->toolTip()
            .endsWith("east guest: operator guest lacks the privilege to control game servers"))
        << entry(GameAction::Start)->toolTip().toStdString();

    select({"east", "east guest", "west"});
    ASSERT_TRUE(entry(GameAction::Start)->isEnabled());
    EXPECT_FALSE(entry(GameAction::Stop)->isEnabled());
    EXPECT_EQ(runOnSelection(GameAction::Start),
              (QStringList{"east|done: running",
                           "east guest|refused: operator guest lacks the privilege to control "
                           "game servers",
                           "west|done: running", "2 done, 1 refused"}));
    // The column follows the pushes, for every server of the game.
    EXPECT_TRUE(gameReads("east", "running ")) << gameText("east").toStdString();
    EXPECT_TRUE(gameReads("west guest", "running ")) << gameText("west guest").toStdString();
    EXPECT_TRUE(gameReads("west", "running ")) << gameText("west").toStdString();

    // Killed from outside: the column says it crashed, when it comes back,
    // then that it runs again.
    QFile run(host.path("east-state/games/profile-0/run.json"));
    ASSERT_TRUE(run.open(QIODevice::ReadOnly));
    const qint64 pid = QJsonDocument::fromJson(run.readAll()).object().value("pid").toInteger();
    ASSERT_GT(pid, 1);
    ASSERT_EQ(::kill(pid_t(pid), SIGKILL), 0);
    EXPECT_TRUE(gameReads("east", "crashed, restart in ")) << gameText("east").toStdString();
    EXPECT_TRUE(gameReads("east", "running ")) << gameText("east").toStdString();

    select({"east", "west"});
    ASSERT_TRUE(QTest::qWaitFor([&] { return entry(GameAction::Stop)->isEnabled(); }, kGameWaitMs));
    EXPECT_FALSE(entry(GameAction::Start)->isEnabled());
    EXPECT_EQ(runOnSelection(GameAction::Stop),
              (QStringList{"east|done: stopped", "west|done: stopped", "2 done"}));
    EXPECT_TRUE(gameReads("east", "stopped")) << gameText("east").toStdString();
    EXPECT_TRUE(gameReads("west", "stopped")) << gameText("west").toStdString();
}

TEST_F(GameControlsTest, KillAsksFirstAndItsQuestionOutlivesARequestsTime) {
    ASSERT_TRUE(gameReads("east", "stopped")) << gameText("east").toStdString();
    select({"east"});
    entry(GameAction::Start)->trigger();
    ASSERT_TRUE(gameReads("east", "running ")) << gameText("east").toStdString();
    ASSERT_TRUE(QTest::qWaitFor([&] { return entry(GameAction::Kill)->isEnabled(); }, kGameWaitMs));

    {  // Cancelled (the driver answers OK, which is not Yes): nothing is sent.
        jextest::ModalDriver driver;
        entry(GameAction::Kill)->trigger();
        ASSERT_EQ(driver.boxes().size(), 1);
        EXPECT_EQ(driver.boxes().at(0).text,
                  "Kill the game of east at once? Players are dropped and nothing is stopped "
                  "gracefully.");
    }
    QTest::qWait(500);
    EXPECT_TRUE(gameText("east").startsWith("running ")) << gameText("east").toStdString();

    // Left open while the game goes on and the list's clock ticks, then Yes.
    bool answered = false;
    QTimer later;
    later.setSingleShot(true);
    QObject::connect(&later, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            box->button(QMessageBox::Yes)->click();
            answered = true;
        }
    });
    later.start(4500);
    entry(GameAction::Kill)->trigger();
    EXPECT_TRUE(answered);
    EXPECT_TRUE(gameReads("east", "stopped")) << gameText("east").toStdString();
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            return console->window().statusBar()->currentMessage().startsWith("east, Kill: done");
        },
        kGameWaitMs))
        << console->window().statusBar()->currentMessage().toStdString();
}

}  // namespace
