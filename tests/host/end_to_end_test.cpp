// The whole round trip with the real panel: the host creates the plug-in by
// class name, hands it the privileges from its file, embeds its form, and
// carries its requests to the in-process remote side and the answers back.
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>

#include <gtest/gtest.h>

#include "host/host_session.h"
#include "remote/remote_plugin.h"
#include "support/modal_driver.h"
#include "support/temp_host.h"

namespace {

constexpr int kWaitMs = 10000;  // upper bound only

TEST(EndToEnd, PanelFillsFromTheRemoteSideAndUpdateCarriesEditsBack) {
    jextest::TempHost host;
    QDir().mkpath(host.path("imgs"));
    for (const QString face : {"butup.gif", "butdown.gif"})
        QFile::copy(JEX_STAGE_DIR "/imgs/" + face, host.path("imgs/" + face));
    host.write("settings/config.ini", "[Settings]\nReportErrors=0\n");
    host.write("privileges.ini",
               "Change Session Type=0\nChange Max Players=1\nChange Dedicated Mode=0\n"
               "Change Custom Skins Option=1\nChange Req Nova Login Option=1\n");
    jexhost::HostOptions options;
    options.privilegesFile = host.path("privileges.ini");

    // Declared so that the session goes before the window that shows the panel.
    jextest::ModalDriver modal;
    QWidget panelHost;
    jexhost::HostSession session(std::move(options));
    QString error;
    ASSERT_TRUE(session.start(&error)) << error.toStdString();
    EXPECT_EQ(session.descriptor().name, "KDR Server Manager");
    EXPECT_EQ(session.descriptor().games.size(), 2);
    panelHost.resize(760, 430);  // the host's size
    panelHost.show();
    session.openPanel(static_cast<qint64>(panelHost.winId()), panelHost.size(),
                      panelHost.logicalDpiX(), panelHost.logicalDpiY());
    auto* form = panelHost.findChild<QWidget*>("frmrcKDRSM");
    ASSERT_NE(form, nullptr) << "the form is not embedded in the host window";
    EXPECT_TRUE(form->isVisible());
    auto* name = form->findChild<QLineEdit*>("savServerName");
    auto* weapons = form->findChild<QListWidget*>("lstWeapons");
    auto* update = form->findChild<QLabel*>("cmdUpdate");
    auto* sessionType = form->findChild<QComboBox*>("savSession");
    auto* players = form->findChild<QListWidget*>("savPlayers");
    ASSERT_TRUE(name && weapons && update && sessionType && players);
    EXPECT_FALSE(sessionType->isEnabled());  // refused in the privileges file
    EXPECT_TRUE(players->isEnabled());

    const jexremote::ServerSettings& remote = session.embeddedRemote()->settings();
    QTRY_COMPARE_WITH_TIMEOUT(name->text(), remote.fields[0], kWaitMs);
    EXPECT_EQ(weapons->count(), remote.weapons.size());
    EXPECT_EQ(weapons->item(0)->text(), remote.weapons[0].name);
    EXPECT_FALSE(host.exists("RCData/reply_jexKDRSM_GetSettingsRem.txt"));
    EXPECT_TRUE(modal.texts().isEmpty()) << modal.texts().join(u'/').toStdString();

    name->setText("Night Ops");
    QTest::mouseClick(update, Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(remote.fields[0], QStringLiteral("Night Ops"), kWaitMs);
    QTRY_VERIFY_WITH_TIMEOUT(modal.texts().contains("Server Settings Updated."), kWaitMs);
}

}  // namespace
