// The console with one server on its own remote side and one on a jexremote
// of its own process, as an operator runs them: each server's requests reach
// its own remote, the console rides out the jexremote's restart, and neither
// process logs a password, plain or encoded.
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include "exchange/model/setting_names.h"
#include "exchange/wire/request.h"
#include "exchange/wire/settings_text.h"
#include "host/relay/request_carrier.h"
#include "host_fixture.h"
#include "remote/store/server_settings.h"
#include "remote/store/state_file.h"
#include "remote/validation/field_rules.h"
#include "support/modal_driver.h"

namespace {

using jextest::kHostWaitMs;
namespace wire = kdrsm::wire;

const QString kLobby = QStringLiteral("Delta Force lobby");
const QString kFar = QStringLiteral("Far away");

class RemoteProcessTest : public ::testing::Test {
protected:
    void SetUp() override {
        jextest::prepareHostRoot(host);
        jextest::writeTokenFile(host.path("settings/far.token"),
                                "fedcba9876543210-remote ops 0 1 1 1 1 1\n");
        // The far remote's profile 0 has a name of its own, so that an answer
        // from the wrong remote shows.
        auto far = jexremote::defaultSettings();
        far.fields[kdrsm::model::fieldOfKey(QStringLiteral("ServerName"))] = "Far Away Server";
        QDir().mkpath(host.path("state"));
        QString error;
        ASSERT_TRUE(jexremote::writeStateFile(host.path("state/server-0.ini"), far, &error))
            << error.toStdString();
        ASSERT_TRUE(remote.start()) << remote.log().toStdString();
        host.write("settings/servers.ini",
                   "[lobby]\nName=Delta Force lobby\nGame=Delta Force,  V1.5.0.5\n"
                   "Remote=embedded\nProfile=0\nTag=desk0\n"
                   "[far]\nName=Far away\nGame=Delta Force,  V1.5.0.5\nRemote=" +
                       remote.url().toString().toUtf8() +
                       "\nTokenFile=far.token\nProfile=0\nTag=far0\n");
        jexhost::HostOptions options;
        options.timeoutMs = 3000;
        session = std::make_unique<jexhost::HostSession>(options);
        ASSERT_TRUE(session->start(&error)) << error.toStdString();
        console = std::make_unique<jextest::ShownConsole>(*session);
    }
    void TearDown() override { console.reset(); }

    QString shownName() const {
        auto* name = console->control<QLineEdit>("savServerName");
        return name ? name->text() : QString();
    }

    jextest::TempHost host;
    jextest::RemoteProcess remote{host.path("settings/far.token"), host.path("state")};
    jextest::ModalDriver modal;
    std::unique_ptr<jexhost::HostSession> session;
    std::unique_ptr<jextest::ShownConsole> console;
};

TEST_F(RemoteProcessTest, EachRemoteAnswersItsServerAndARestartedRemoteIsUsedAgain) {
    ASSERT_TRUE(console->open(kFar));
    EXPECT_EQ(shownName(), "Far Away Server");
    EXPECT_EQ(console->linkText(kFar), "connected as ops");
    ASSERT_TRUE(console->open(kLobby));
    EXPECT_EQ(shownName(), "Delta Force Server");
    ASSERT_TRUE(console->open(kFar));
    EXPECT_EQ(shownName(), "Far Away Server");

    remote.kill();
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return console->linkText(kFar) == "unreachable"; }, kHostWaitMs));
    EXPECT_EQ(console->linkText(kLobby), "connected as admin");
    console->window().refresh();
    ASSERT_TRUE(QTest::qWaitFor([&] { return modal.texts() == QStringList{"No Data Recieved!"}; },
                                kHostWaitMs));

    ASSERT_TRUE(remote.start()) << remote.log().toStdString();
    console->window().retrySelected();
    ASSERT_TRUE(QTest::qWaitFor([&] { return console->linkText(kFar) == "connected as ops"; },
                                kHostWaitMs));
    console->control<QLineEdit>("savServerName")->clear();
    console->window().refresh();
    ASSERT_TRUE(QTest::qWaitFor([&] { return shownName() == "Far Away Server"; }, kHostWaitMs));
    EXPECT_EQ(modal.texts(), QStringList{"No Data Recieved!"});
}

// The accepted update comes from the panel; the refused one is the same
// request with an out-of-range session type, written as the panel would.
TEST_F(RemoteProcessTest, NeitherLogHoldsAPasswordOfAnUpdateAcceptedOrRefused) {
    jextest::LogCapture hostLog;
    ASSERT_TRUE(console->open(kFar));
    auto* bluePassword = console->control<QLineEdit>("savBluePass");
    auto* update = console->control<QLabel>("cmdUpdate");
    ASSERT_TRUE(bluePassword && update);

    QSignalSpy carried(session->carrier(), &jexhost::RequestCarrier::requestCarried);
    bluePassword->setText(QStringLiteral("Zebra#Secret42"));
    QTest::mouseClick(update, Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return modal.texts().contains("Server Settings Updated."); },
                                kHostWaitMs));

    ASSERT_EQ(carried.size(), 1);
    auto request = wire::parseRequestText(carried[0][0].toString());
    ASSERT_TRUE(request.has_value());
    auto body = wire::parseUpdateBody(request->data);
    ASSERT_TRUE(body.has_value());
    body->fields[2] = QStringLiteral("7");
    host.write("RCData/reply_jexKDRSM_SetSettingsRem.txt",
               wire::requestText(request->command, request->hostTag, request->profileIndex,
                                 wire::joinUpdateBody(*body))
                   .toUtf8());
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return modal.texts().contains("Could Not Update Server Settings!"); }, kHostWaitMs));

    const QString logs = hostLog.text() + QString::fromLocal8Bit(remote.log());
    EXPECT_TRUE(logs.contains("SetSettingsRem")) << "the updates were not logged at all";
    for (const char* secret : {"Zebra#Secret42", "WmVicmEjU2VjcmV0NDI"})
        EXPECT_FALSE(logs.contains(QString::fromLatin1(secret))) << secret;
}

}  // namespace
