// Server > Add a remote's servers... as the operator goes through it: List
// asks a stand-in remote side for its profiles, failures show in words, and
// Add writes the ticked profile into the servers file, comments kept.
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include "fake_remote.h"
#include "host/servers/servers_file.h"
#include "host/servers_ui/add_remote_dialog.h"
#include "host_fixture.h"
#include "support/modal_driver.h"

namespace {

using jexhost::servers::AddRemoteDialog;

constexpr int kTimeoutMs = 1500;  // a silent remote side's answer comes this late
const QString kToken = QStringLiteral("0123456789abcdef-fake");
const QByteArray kServersText =
    "# Our servers.\n; kept as written\n[fake]\nName=Fake\n"
    "Game=Delta Force,  V1.5.0.5\nRemote=%1\nTokenFile=fake.token\n"
    "Profile=0\nTag=fake0\n";

// Fills the dialog in, presses List and waits until its line reads `status`.
bool listShows(AddRemoteDialog* dialog, const QString& address, const QString& tokenFile,
               const QString& status) {
    dialog->findChild<QLineEdit*>("address")->setText(address);
    dialog->findChild<QLineEdit*>("tokenFile")->setText(tokenFile);
    QTest::mouseClick(dialog->findChild<QPushButton*>("list"), Qt::LeftButton);
    auto* line = dialog->findChild<QLabel*>("status");
    const bool shown =
        QTest::qWaitFor([&] { return line->text() == status; }, jextest::kHostWaitMs);
    if (!shown) ADD_FAILURE() << "status: " << line->text().toStdString();
    return shown;
}

TEST(AddRemoteDialog, ListsTheProfilesShowsFailuresAndAddsTheTickedOneKeepingComments) {
    jextest::TempHost host;
    jextest::ModalDriver modal;
    jextest::FakeRemote fake(kToken);
    jextest::FakeRemote silent(kToken);
    silent.silentRequests = 1;
    fake.profiles = {{0, QStringLiteral("Fake"), 1, QStringLiteral("deltaforce")},
                     {1, QStringLiteral("Night Ops"), 1, {}},
                     {2, QStringLiteral("Night Ops 2"), 1, {}}};
    const QString url = fake.url().toString();
    const QByteArray before = QString::fromUtf8(kServersText).arg(url).toUtf8();
    jextest::prepareHostRoot(host);
    jextest::writeTokenFile(host.path("settings/fake.token"), kToken.toUtf8() + "\n");
    jextest::writeTokenFile(host.path("settings/wrong.token"), "0123456789abcdef-other\n");
    host.write("settings/servers.ini", before);
    jexhost::HostOptions options;
    options.timeoutMs = kTimeoutMs;
    jexhost::HostSession session{options};
    QString error;
    ASSERT_TRUE(session.start(&error)) << error.toStdString();
    jextest::ShownConsole console(session);

    const struct {
        const char* name;
        QString address;
        QString tokenFile;
        QString status;
    } failures[] = {
        {"NotALinkAddress", "http://127.0.0.1:1", "settings/fake.token",
         "The address is ws://HOST:PORT or wss://HOST:PORT, not \"http://127.0.0.1:1\"."},
        {"NoTokenFile", url, "settings/none.token",
         "cannot read the token file %1: No such file or directory"},
        {"Unreachable", "ws://127.0.0.1:1", "settings/fake.token", "cannot reach ws://127.0.0.1:1"},
        {"WrongToken", url, "settings/wrong.token", url + " refused the console's token"},
    };
    const auto drive = [&](AddRemoteDialog* dialog) {
        ASSERT_NE(dialog, nullptr);
        for (const auto& row : failures) {
            SCOPED_TRACE(row.name);
            const QString token = host.path(row.tokenFile);
            EXPECT_TRUE(listShows(dialog, row.address, token,
                                  row.status.contains("%1") ? row.status.arg(token) : row.status));
            EXPECT_FALSE(dialog->findChild<QPushButton*>("add")->isEnabled());
        }
        // Asked a silent remote side, then the right one: the late answer of
        // the first leaves the list as it is.
        const QString silentUrl = silent.url().toString();
        ASSERT_TRUE(listShows(dialog, silentUrl, host.path("settings/fake.token"),
                              "Asking " + silentUrl + " for its profiles..."));
        ASSERT_TRUE(
            listShows(dialog, url, host.path("settings/fake.token"), "Tick the profiles to add."));
        auto* status = dialog->findChild<QLabel*>("status");
        EXPECT_FALSE(QTest::qWaitFor([&] { return status->text() != "Tick the profiles to add."; },
                                     3 * kTimeoutMs))
            << status->text().toStdString();
        auto* table = dialog->findChild<QTableWidget*>("profiles");
        ASSERT_EQ(table->rowCount(), 3);
        const auto name = [&](int row) { return table->item(row, AddRemoteDialog::NameColumn); };
        EXPECT_EQ(name(0)->checkState(), Qt::Checked);
        EXPECT_FALSE(name(0)->flags() & Qt::ItemIsEnabled) << "profile 0 is listed already";
        EXPECT_EQ(table->item(0, AddRemoteDialog::NoteColumn)->text(), "already listed as Fake");
        EXPECT_EQ(table->item(0, AddRemoteDialog::DefinitionColumn)->text(), "deltaforce");
        EXPECT_EQ(name(1)->checkState(), Qt::Unchecked);
        name(2)->setCheckState(Qt::Checked);
        QTest::mouseClick(dialog->findChild<QPushButton*>("add"), Qt::LeftButton);
    };
    // The dialog waits in its own loop: a timer drives it once shown, and
    // closes it when a step failed.
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<AddRemoteDialog*>(QApplication::activeModalWidget());
        drive(dialog);
        if (dialog && dialog->isVisible()) dialog->reject();
    });
    console.window().findChild<QAction*>("addRemoteAction")->trigger();

    const QByteArray after = host.read("settings/servers.ini");
    EXPECT_TRUE(after.startsWith(before)) << after.toStdString();
    const auto read = jexhost::servers::readServersFile(host.path("settings/servers.ini"));
    ASSERT_EQ(read.servers.size(), 2) << read.error.toStdString();
    const auto& added = read.servers[1];
    EXPECT_EQ(added.name, "Night Ops 2");
    EXPECT_EQ(added.profile, 2);
    EXPECT_EQ(added.remote, url);
    EXPECT_EQ(added.tokenFile, "fake.token");
    EXPECT_EQ(added.game, "Delta Force,  V1.5.0.5");
    EXPECT_FALSE(console.idOf("Night Ops 2").isEmpty()) << "the list shows the server added";
}

}  // namespace
