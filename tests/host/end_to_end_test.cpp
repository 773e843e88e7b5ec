// The whole round trip with the real panel and the in-process remote side:
// the host presents its own token, hands the welcome's privileges to the
// panel before showing it, embeds the form, and carries its requests to the
// remote side and the answers back. One host per root.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QTest>

#include <gtest/gtest.h>

#include "host/remote_link.h"
#include "host_fixture.h"
#include "remote/remote_service.h"
#include "support/modal_driver.h"

namespace {

using jextest::kHostWaitMs;

// An operator who may not change the session type or dedicated mode.
const QByteArray kOperatorLine = "0123456789abcdef-desk bo 0 0 1 0 1 1\n";

TEST(EndToEnd, PanelShowsTheWelcomesPrivilegesFillsAndCarriesAnUpdateBack) {
    jextest::TempHost host;
    jextest::prepareHostRoot(host);
    jextest::writeTokenFile(host.path("remote/token"), kOperatorLine);

    jextest::ModalDriver modal;
    jexhost::HostSession session({});
    QString error;
    ASSERT_TRUE(session.start(&error)) << error.toStdString();
    EXPECT_EQ(session.descriptor().name, "KDR Server Manager");
    jextest::ShownPanel panel(session);
    ASSERT_NE(panel.form(), nullptr) << "the form is not embedded in the host window";
    auto* name = panel.control<QLineEdit>("savServerName");
    auto* weapons = panel.control<QListWidget>("lstWeapons");
    auto* update = panel.control<QLabel>("cmdUpdate");
    ASSERT_TRUE(name && weapons && update);
    const bool enabled[] = {
        panel.control<QWidget>("savSession")->isEnabled(),
        panel.control<QWidget>("savPlayers")->isEnabled(),
        panel.control<QWidget>("savDedicated")->isEnabled(),
        panel.control<QWidget>("savSkins")->isEnabled(),
        panel.control<QWidget>("savNovaLogin")->isEnabled(),
    };
    EXPECT_FALSE(enabled[0]);
    EXPECT_TRUE(enabled[1]);
    EXPECT_FALSE(enabled[2]);
    EXPECT_TRUE(enabled[3]);
    EXPECT_TRUE(enabled[4]);

    const auto stored = session.embeddedRemote()->settings(0);
    ASSERT_TRUE(stored.has_value());
    ASSERT_TRUE(QTest::qWaitFor([&] { return name->text() == stored->fields[0]; }, kHostWaitMs));
    ASSERT_GT(weapons->count(), 0);
    EXPECT_EQ(weapons->item(0)->text(), stored->weapons[0].name);
    EXPECT_FALSE(host.exists("RCData/reply_jexKDRSM_GetSettingsRem.txt"));
    EXPECT_TRUE(modal.texts().isEmpty()) << modal.texts().join(u'/').toStdString();

    name->setText("Night Ops");
    QTest::mouseClick(update, Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return modal.texts().contains("Server Settings Updated."); },
                                kHostWaitMs));
    EXPECT_EQ(session.embeddedRemote()->settings(0)->fields[0], QStringLiteral("Night Ops"));
}

// The files the host keeps below its root are its own: a second host there
// would take its request files, and nobody else may read the token.
TEST(EndToEnd, SecondHostOnTheSameRootIsRefusedAndTheTokenIsPrivate) {
    jextest::TempHost host;
    jextest::prepareHostRoot(host);
    jexhost::HostSession session({});
    QString error;
    ASSERT_TRUE(session.start(&error)) << error.toStdString();
    EXPECT_EQ(QFileInfo(host.path("remote/token")).permissions(),
              QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser);

    QProcess second;
    second.setProcessEnvironment(QProcessEnvironment::systemEnvironment());
    second.start(QStringLiteral(JEXHOST_PATH), {QStringLiteral("--quit-after-ms"), "0"});
    ASSERT_TRUE(second.waitForFinished(kHostWaitMs));
    EXPECT_EQ(second.exitCode(), 1);
    const QString said = QString::fromLocal8Bit(second.readAllStandardError());
    EXPECT_TRUE(said.contains("another jexhost (process " +
                              QString::number(qApp->applicationPid()) +
                              ") already uses the folder " + host.root()))
        << said.toStdString();
}

}  // namespace
