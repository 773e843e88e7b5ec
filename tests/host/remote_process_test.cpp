// The host against a jexremote of its own process, as an operator runs them:
// the host rides out the remote side's restart, and neither process logs a
// password, plain or encoded.
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include "exchange/wire/request.h"
#include "exchange/wire/settings_text.h"
#include "host/request_carrier.h"
#include "host_fixture.h"
#include "support/modal_driver.h"

namespace {

using jextest::kHostWaitMs;
namespace wire = kdrsm::wire;

const QByteArray kToken = "fedcba9876543210-remote\n";

class RemoteProcessTest : public ::testing::Test {
protected:
    void SetUp() override {
        jextest::prepareHostRoot(host);
        jextest::writeTokenFile(host.path("token"), kToken);
        ASSERT_TRUE(remote.start()) << remote.log().toStdString();
        jexhost::HostOptions options;
        options.remote = remote.url();
        options.tokenFile = host.path("token");
        options.timeoutMs = 3000;
        session = std::make_unique<jexhost::HostSession>(options);
        QString error;
        ASSERT_TRUE(session->start(&error)) << error.toStdString();
    }

    jextest::TempHost host;
    jextest::RemoteProcess remote{host.path("token"), host.path("state")};
    jextest::ModalDriver modal;
    std::unique_ptr<jexhost::HostSession> session;
};

TEST_F(RemoteProcessTest, KilledRemoteGivesNoDataAndItsRestartBringsTheValuesBack) {
    jextest::ShownPanel panel(*session);
    auto* name = panel.control<QLineEdit>("savServerName");
    ASSERT_NE(name, nullptr);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !name->text().isEmpty(); }, kHostWaitMs));
    const QString served = name->text();

    remote.kill();
    panel.reopen();
    ASSERT_TRUE(QTest::qWaitFor([&] { return modal.texts() == QStringList{"No Data Recieved!"}; },
                                kHostWaitMs));

    ASSERT_TRUE(remote.start()) << remote.log().toStdString();
    name->clear();
    panel.reopen();
    ASSERT_TRUE(QTest::qWaitFor([&] { return name->text() == served; }, kHostWaitMs));
    EXPECT_EQ(modal.texts(), QStringList{"No Data Recieved!"});
}

// The accepted update comes from the panel; the refused one is the same
// request with an out-of-range session type, written as the panel would.
TEST_F(RemoteProcessTest, NeitherLogHoldsAPasswordOfAnUpdateAcceptedOrRefused) {
    jextest::LogCapture hostLog;
    jextest::ShownPanel panel(*session);
    auto* name = panel.control<QLineEdit>("savServerName");
    auto* bluePassword = panel.control<QLineEdit>("savBluePass");
    auto* update = panel.control<QLabel>("cmdUpdate");
    ASSERT_TRUE(name && bluePassword && update);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !name->text().isEmpty(); }, kHostWaitMs));

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
