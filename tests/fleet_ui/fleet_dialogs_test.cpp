// The fleet dialogs against three remote sides in this process: one whose
// operator may change everything, one whose operator may not change the
// player limit, and one that cannot be reached. Copying one server's
// settings previews, applies and undoes with an outcome per server.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTest>
#include <QTreeWidget>

#include <memory>

#include "host/fleet/batch_journal.h"
#include "host/fleet/fleet_run.h"
#include "host/fleet_ui/batches_dialog.h"
#include "host/fleet_ui/fleet_dialog.h"
#include "host/fleet_ui/outcome_table.h"
#include "host/relay/link_pool.h"
#include "host/servers/embedded_profiles.h"
#include "remote/remote_service.h"
#include "support/game_servers.h"
#include "support/modal_driver.h"
#include "support/temp_host.h"

namespace {

using jexhost::fleet_ui::OutcomeTable;
using jexhost::servers::ServerEntry;

constexpr int kWaitMs = 20000;  // upper bound only

// A remote side over `profiles` fresh state files, its operator given by `tokenLine`.
std::unique_ptr<jexremote::RemoteService> startRemote(const jextest::TempHost& host,
                                                      const QString& name, QList<int> profiles,
                                                      const QByteArray& tokenLine,
                                                      quint16 port = 0) {
    QList<ServerEntry> seeds;
    for (const int profile : profiles) seeds.append({"s", "n", "G", "embedded", {}, profile, "t"});
    QString error;
    const QString state = host.path(name + "-state");
    EXPECT_TRUE(jexhost::servers::seedEmbeddedProfiles(state, seeds, &error))
        << error.toStdString();
    return jextest::serveRemote(
        state, jextest::writeTokenFile(host.path(name + ".tokens"), tokenLine + "\n"),
        [port](auto& options) {
            options.updatesPerSecond = 1000;
            options.port = port;
        });
}

// Rows as the operator reads them: server, changes, preview, outcome.
struct Row {
    const char* server;
    const char* changes;
    const char* preview;
    const char* outcome;
};

class FleetDialogs : public ::testing::Test {
protected:
    void SetUp() override {
        // Everything but the player limit for the guest: SESSION PLAYERS DEDICATED SKINS NOVALOGIN.
        full_ =
            startRemote(host_, "full", {0, 1, 2}, "token-of-the-full-operator admin 1 1 1 1 1 1");
        guest_ = startRemote(host_, "guest", {0}, "token-of-the-guest-operator guest 0 1 0 1 1 1");
        QTcpServer closed;  // a port nobody listens on once it is closed
        closed.listen(QHostAddress::LocalHost);
        nowhere_ = QStringLiteral("ws://127.0.0.1:%1").arg(closed.serverPort());
        closed.close();
        const QString full = full_->url().toString(), guest = guest_->url().toString();
        servers_ = {{"aff", "Affiliate", "G", full, "full.tokens", 1, "t1"},
                    {"a", "Alpha", "G", full, "full.tokens", 0, "t0"},
                    {"b", "Bravo", "G", full, "full.tokens", 2, "t2"},
                    {"g", "Guest", "G", guest, "guest.tokens", 0, "t3"},
                    {"x", "Gone", "G", nowhere_, "guest.tokens", 0, "t4"}};
        // The runs read the servers file, as the console's do.
        QByteArray file;
        for (const ServerEntry& s : servers_)
            file += QStringLiteral(
                        "[%1]\nName=%2\nGame=G\nRemote=%3\nTokenFile=%4\nProfile=%5\nTag=%6\n")
                        .arg(s.id, s.name, s.remote, s.tokenFile)
                        .arg(s.profile)
                        .arg(s.tag)
                        .toUtf8();
        host_.write("servers.ini", file);
    }

    jexhost::fleet_ui::FleetContext context() {
        return {&pool_, host_.path("servers.ini"), &journal_};
    }

    // The Affiliate's settings, fetched as Copy settings fetches them.
    jexhost::fleet::SettingsSource affiliate() {
        jexhost::fleet::FleetRun run(pool_, host_.path("servers.ini"), nullptr);
        std::optional<jexhost::fleet::ServerSettings> settings;
        run.fetch(servers_[0], [&](const jexhost::fleet::Fetched& f) { settings = f.settings; });
        EXPECT_TRUE(QTest::qWaitFor([&] { return settings.has_value(); }, kWaitMs));
        return jexhost::fleet::SettingsSource::fromSettings(
            settings.value_or(jexhost::fleet::ServerSettings{}), "Affiliate");
    }

    void expectRows(const OutcomeTable& table, const QList<Row>& rows, bool outcomes) {
        ASSERT_EQ(table.rowCount(), rows.size());
        for (int i = 0; i < rows.size(); ++i) {
            SCOPED_TRACE(rows[i].server);
            EXPECT_EQ(table.cell(i, OutcomeTable::ServerColumn), rows[i].server);
            EXPECT_EQ(table.cell(i, OutcomeTable::ChangesColumn), rows[i].changes);
            const auto at = [&](const char* text) {
                return QString(text).replace(QStringLiteral("%1"), nowhere_);
            };
            EXPECT_EQ(table.cell(i, OutcomeTable::PreviewColumn), at(rows[i].preview));
            EXPECT_EQ(table.cell(i, OutcomeTable::OutcomeColumn),
                      outcomes ? at(rows[i].outcome) : QString());
        }
    }

    jextest::TempHost host_;
    std::unique_ptr<jexremote::RemoteService> full_, guest_;
    jexhost::LinkPool pool_{5000, 15000};
    jexhost::fleet::BatchJournal journal_{host_.path("batches")};
    QList<ServerEntry> servers_;
    QString nowhere_;
};

TEST_F(FleetDialogs, PreviewThenApplyThenUndoShowEachServersOutcome) {
    jexhost::fleet_ui::FleetDialog dialog(context(), affiliate(), servers_);
    dialog.show();

    // The name and the three passwords start unticked; the rest of what the source holds ticked.
    for (const char* key : {"ServerName", "Password", "BluePass", "RedPass"}) {
        ASSERT_NE(dialog.choice(key), nullptr) << key;
        EXPECT_FALSE(dialog.choice(key)->isChecked()) << key;
    }
    EXPECT_TRUE(dialog.choice("Players")->isChecked());
    EXPECT_TRUE(dialog.choice("Message")->isChecked());
    EXPECT_FALSE(dialog.applyButton()->isEnabled());  // nothing previewed yet
    // The name and the player limit alone.
    for (QCheckBox* box : dialog.findChildren<QCheckBox*>())
        box->setChecked(box == dialog.choice("ServerName") || box == dialog.choice("Players"));

    QSignalSpy settled(&dialog, &jexhost::fleet_ui::FleetDialog::runFinished);
    dialog.previewButton()->click();
    ASSERT_TRUE(settled.wait(kWaitMs));
    // The guest's server gets the name; the player limit is left out.
    const QList<Row> rows{
        {"Affiliate", "", "nothing changes", "unchanged"},
        {"Alpha", "Name: Delta Force Server -> NovaWorld Affiliate; Max Players: 32 -> 16",
         "will change", "applied"},
        {"Bravo", "Name: Delta Force Server 2 -> NovaWorld Affiliate; Max Players: 32 -> 16",
         "will change", "applied"},
        {"Guest", "Name: Delta Force Server -> NovaWorld Affiliate",
         "will change; left out Max Players, which guest may not change",
         "applied; left out Max Players, which guest may not change"},
        {"Gone", "", "unreachable: cannot reach %1", "unreachable: cannot reach %1"},
    };
    expectRows(*dialog.table(), rows, false);
    EXPECT_EQ(dialog.status()->text(),
              "Preview: 1 unchanged, 3 will change, 1 unreachable. Nothing has been sent.");

    dialog.applyButton()->click();
    ASSERT_TRUE(settled.wait(kWaitMs));
    expectRows(*dialog.table(), rows, true);
    EXPECT_FALSE(dialog.batchId().isEmpty());

    // The batch is listed and undone on the two servers it applied to.
    jextest::ModalDriver boxes;
    jexhost::fleet_ui::BatchesDialog batches(context(), [this] { return servers_; });
    batches.show();
    ASSERT_EQ(batches.batches()->topLevelItemCount(), 1);
    EXPECT_EQ(batches.batches()->topLevelItem(0)->text(4), "3 applied, 1 unchanged, 1 unreachable");
    batches.batches()->setCurrentItem(batches.batches()->topLevelItem(0));
    QSignalSpy undone(&batches, &jexhost::fleet_ui::BatchesDialog::runFinished);
    batches.undoButton()->click();
    ASSERT_TRUE(undone.wait(kWaitMs));
    EXPECT_EQ(batches.table()->cell(0, OutcomeTable::OutcomeColumn), "applied");
    EXPECT_EQ(batches.table()->cell(1, OutcomeTable::OutcomeColumn), "applied");
    EXPECT_EQ(batches.table()->cell(2, OutcomeTable::OutcomeColumn), "applied");
}

TEST_F(FleetDialogs, TicksAllOrNoneAndRetriesTheUnreachableOnceTheirRemoteIsBack) {
    jexhost::fleet_ui::FleetDialog dialog(context(), affiliate(), {servers_[1], servers_[4]});
    dialog.show();
    dialog.findChild<QPushButton*>("tickNone")->click();
    EXPECT_EQ(dialog.chosenKeys(), QStringList());
    dialog.findChild<QPushButton*>("tickAll")->click();
    EXPECT_EQ(dialog.chosenKeys().size(), 35) << "33 fields, Roles and Weapons";
    for (QCheckBox* box : dialog.findChildren<QCheckBox*>())
        box->setChecked(box == dialog.choice("Players"));

    QSignalSpy settled(&dialog, &jexhost::fleet_ui::FleetDialog::runFinished);
    dialog.previewButton()->click();
    ASSERT_TRUE(settled.wait(kWaitMs));
    EXPECT_TRUE(dialog.retryButton()->isEnabled());
    dialog.applyButton()->click();
    ASSERT_TRUE(settled.wait(kWaitMs));
    EXPECT_EQ(dialog.table()->cell(1, OutcomeTable::OutcomeColumn),
              "unreachable: cannot reach " + nowhere_);
    ASSERT_TRUE(dialog.retryButton()->isEnabled());

    // The remote side of the unreachable server comes up where it was expected.
    const auto back = startRemote(
        host_, "back", {0}, "token-of-the-guest-operator back 1 1 1 1 1 1", QUrl(nowhere_).port());
    dialog.retryButton()->click();
    ASSERT_TRUE(settled.wait(kWaitMs));
    EXPECT_EQ(dialog.table()->cell(0, OutcomeTable::OutcomeColumn), "applied");
    EXPECT_EQ(dialog.table()->cell(1, OutcomeTable::OutcomeColumn), "applied");
    EXPECT_EQ(back->settings(0)->fields[4], "15");
    EXPECT_FALSE(dialog.retryButton()->isEnabled());
}

}  // namespace
