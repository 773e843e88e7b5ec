// The remote link and the request carrier against a real WebSocket server.
#include <QSignalSpy>
#include <QTcpServer>
#include <QTest>
#include <QWebSocket>
#include <QWebSocketServer>

#include <gtest/gtest.h>

#include "exchange/wire/request.h"
#include "exchange/wire/settings_text.h"
#include "host/remote_link.h"
#include "host/request_carrier.h"
#include "remote/remote_plugin.h"
#include "remote/remote_server.h"
#include "support/temp_host.h"

namespace {

using jexhost::RemoteLink;
using jexhost::RequestCarrier;

constexpr int kWaitMs = 5000;  // upper bound only; the waits end as soon as the answer is there
const QString kGetFile = QStringLiteral("RCData/reply_jexKDRSM_GetSettingsRem.txt");

QString fetchRequest() {
    return kdrsm::wire::requestText(kdrsm::wire::kGetSettings, QStringLiteral("t"), 0, {});
}

class RemoteLinkTest : public ::testing::Test {
protected:
    RemoteLinkTest() { listening = server.listen(); }
    void SetUp() override { ASSERT_TRUE(listening) << server.errorString().toStdString(); }
    jexremote::RemotePlugin remote;
    jexremote::RemoteServer server{remote};
    bool listening = false;
};

// Each answer reaches its own request; after the server drops the link, the
// next request opens it again.
TEST_F(RemoteLinkTest, AnswersReachTheirRequestsInOrderAndTheLinkReopens) {
    RemoteLink link(server.url());
    QStringList answers;
    const auto collect = [&](const QString& a) { answers << a; };
    link.send(fetchRequest(), collect);
    link.send(QStringLiteral("nonsense"), collect);
    link.send(kdrsm::wire::requestText(QStringLiteral("Kick"), "t", 0, {}), collect);
    link.send(kdrsm::wire::requestText(kdrsm::wire::kSetSettings, "t", 0, "x"), collect);
    QTRY_COMPARE_WITH_TIMEOUT(answers.size(), 4, kWaitMs);
    EXPECT_EQ(kdrsm::wire::splitSettingsReply(answers[0]).fields.size(),
              kdrsm::wire::kReplyFieldCount);
    EXPECT_EQ(answers.mid(1), (QStringList{"Failed", "Failed", "0"}));
    EXPECT_EQ(link.pendingCount(), 0);

    for (QWebSocket* client : server.findChildren<QWebSocket*>()) client->close();
    QTRY_VERIFY_WITH_TIMEOUT(!link.isConnected(), kWaitMs);
    link.send(fetchRequest(), collect);
    QTRY_COMPARE_WITH_TIMEOUT(answers.size(), 5, kWaitMs);
    EXPECT_EQ(answers[4], answers[0]);
}

// A closed port fails at once; a server that never answers, after the timeout.
TEST(RemoteLinkDown, UnreachableOrSilentRemoteAnswersEmpty) {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    RemoteLink closed(QUrl(QStringLiteral("ws://127.0.0.1:%1").arg(probe.serverPort())));
    probe.close();
    QWebSocketServer silent(QStringLiteral("silent"), QWebSocketServer::NonSecureMode);
    ASSERT_TRUE(silent.listen(QHostAddress::LocalHost));
    RemoteLink unanswered(silent.serverUrl(), 100);
    QStringList answers;
    for (RemoteLink* link : {&closed, &closed, &unanswered})
        link->send(fetchRequest(), [&](const QString& a) { answers << a; });
    QTRY_COMPARE_WITH_TIMEOUT(answers.size(), 3, kWaitMs);
    EXPECT_EQ(answers, QStringList(3, QString()));
    EXPECT_EQ(closed.pendingCount() + unanswered.pendingCount(), 0);
}

class CarrierTest : public RemoteLinkTest {
protected:
    jextest::TempHost host;
    RemoteLink link{server.url()};
    QStringList answers;
    RequestCarrier carrier{kdrsm::wire::requestFolder(host.root()), link,
                           [this](const QString& a) { answers << a; }, 20};
};

TEST_F(CarrierTest, CarriesEachCommandsFileAndLeavesOtherFiles) {
    carrier.start();
    ASSERT_TRUE(host.exists(QStringLiteral("RCData")));
    QSignalSpy carried(&carrier, &RequestCarrier::requestCarried);
    host.write(kGetFile, fetchRequest().toUtf8() + "\r\n");
    host.write(QStringLiteral("RCData/reply_jexKDRSM_SetSettingsRem.txt"),
               kdrsm::wire::requestText(kdrsm::wire::kSetSettings, "t", 0, "bad").toUtf8());
    host.write(QStringLiteral("RCData/notes.txt"), "keep me");
    QTRY_COMPARE_WITH_TIMEOUT(answers.size(), 2, kWaitMs);
    EXPECT_FALSE(host.exists(kGetFile));
    EXPECT_FALSE(host.exists(QStringLiteral("RCData/reply_jexKDRSM_SetSettingsRem.txt")));
    EXPECT_TRUE(host.exists(QStringLiteral("RCData/notes.txt")));
    ASSERT_EQ(carried.size(), 2);
    EXPECT_TRUE(carried[0][0] == fetchRequest() || carried[1][0] == fetchRequest());
    EXPECT_TRUE(answers.removeOne(QStringLiteral("0")));
    EXPECT_EQ(kdrsm::wire::splitSettingsReply(answers.value(0)).fields.size(),
              kdrsm::wire::kReplyFieldCount);
}

TEST_F(CarrierTest, WaitsForAnEmptyFileToBeWritten) {
    carrier.start();
    host.write(kGetFile, {});
    QTest::qWait(200);  // ten re-scans
    EXPECT_TRUE(host.exists(kGetFile));
    EXPECT_TRUE(answers.isEmpty());
    host.write(kGetFile, fetchRequest().toUtf8());
    QTRY_COMPARE_WITH_TIMEOUT(answers.size(), 1, kWaitMs);
}

}  // namespace
