// The whole round trip with the real panel: the host creates the plug-in by
// class name, embeds its form, and carries its requests to the in-process
// remote side and the answers back.
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

#include "host/host_session.h"
#include "remote/remote_plugin.h"
#include "support/modal_driver.h"
#include "support/temp_host.h"

namespace {

using jexhost::HostOptions;
using jexhost::HostSession;

constexpr int kWaitMs = 10000;  // upper bound only

// One host root for the suite: the panel settles on its host folder when it
// is first created in a process.
class EndToEnd : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        host_ = new jextest::TempHost;
        QDir().mkpath(host_->path(QStringLiteral("imgs")));
        for (const char* face : {"butup.gif", "butdown.gif"})
            QFile::copy(QStringLiteral(JEX_STAGE_DIR "/imgs/") + QLatin1String(face),
                        host_->path(QStringLiteral("imgs/")) + QLatin1String(face));
        host_->write(QStringLiteral("settings/config.ini"), "[Settings]\nReportErrors=0\n");
    }
    static void TearDownTestSuite() {
        delete host_;
        host_ = nullptr;
    }

    // Starts a session and opens the panel in a host window of the host's size.
    void open(HostOptions options = {}) {
        session = std::make_unique<HostSession>(std::move(options));
        QString error;
        ASSERT_TRUE(session->start(&error)) << error.toStdString();
        panelHost.resize(760, 430);
        panelHost.show();
        session->openPanel(static_cast<qint64>(panelHost.winId()), panelHost.size(),
                           panelHost.logicalDpiX(), panelHost.logicalDpiY());
        form = panelHost.findChild<QWidget*>(QStringLiteral("frmrcKDRSM"));
        ASSERT_NE(form, nullptr) << "the form is not embedded in the host window";
    }

    template <class Control>
    Control* control(const char* name) const {
        auto* found = form->findChild<Control*>(QLatin1String(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }

    const jexremote::ServerSettings& remoteSettings() const {
        return session->embeddedRemote()->settings();
    }

    static jextest::TempHost* host_;
    jextest::ModalDriver modal;
    QWidget panelHost;
    std::unique_ptr<HostSession> session;
    QWidget* form = nullptr;
};

jextest::TempHost* EndToEnd::host_ = nullptr;

TEST_F(EndToEnd, PanelFillsFromTheRemoteSideAndUpdateCarriesEditsBack) {
    ASSERT_NO_FATAL_FAILURE(open());
    EXPECT_EQ(session->descriptor().name, QStringLiteral("KDR Server Manager"));
    EXPECT_EQ(session->descriptor().games.size(), 2);
    EXPECT_TRUE(form->isVisible());
    auto* name = control<QLineEdit>("savServerName");
    auto* weapons = control<QListWidget>("lstWeapons");
    auto* update = control<QLabel>("cmdUpdate");
    ASSERT_TRUE(name && weapons && update);
    QTRY_COMPARE_WITH_TIMEOUT(name->text(), remoteSettings().fields[0], kWaitMs);
    EXPECT_EQ(weapons->count(), remoteSettings().weapons.size());
    EXPECT_EQ(weapons->item(0)->text(), remoteSettings().weapons[0].name);
    EXPECT_FALSE(host_->exists(QStringLiteral("RCData/reply_jexKDRSM_GetSettingsRem.txt")));
    EXPECT_TRUE(modal.texts().isEmpty()) << modal.texts().join(u'/').toStdString();

    name->setText(QStringLiteral("Night Ops"));
    QTest::mouseClick(update, Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(remoteSettings().fields[0], QStringLiteral("Night Ops"), kWaitMs);
    QTRY_VERIFY_WITH_TIMEOUT(modal.texts().contains(QStringLiteral("Server Settings Updated.")),
                             kWaitMs);
}

TEST_F(EndToEnd, PrivilegesFromTheHostGuardTheirControls) {
    host_->write(QStringLiteral("privileges.ini"),
                 "Change Session Type=0\nChange Max Players=1\nChange Dedicated Mode=0\n"
                 "Change Custom Skins Option=1\nChange Req Nova Login Option=1\n");
    HostOptions options;
    options.privilegesFile = host_->path(QStringLiteral("privileges.ini"));
    ASSERT_NO_FATAL_FAILURE(open(options));
    EXPECT_FALSE(control<QComboBox>("savSession")->isEnabled());
    EXPECT_TRUE(control<QListWidget>("savPlayers")->isEnabled());
    EXPECT_FALSE(control<QCheckBox>("savDedicated")->isEnabled());
    EXPECT_TRUE(control<QCheckBox>("savSkins")->isEnabled());
}

}  // namespace
