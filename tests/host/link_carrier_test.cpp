// The remote link and the request carrier against a real WebSocket server.
#include <QSignalSpy>
#include <QTcpServer>
#include <QTest>
#include <QWebSocket>
#include <QWebSocketServer>

#include <gtest/gtest.h>

#include "exchange/wire/request.h"
#include "host/remote_link.h"
#include "host/request_carrier.h"
#include "remote/remote_plugin.h"
#include "remote/remote_server.h"
#include "support/temp_host.h"

namespace {

using jexhost::RemoteLink;
using jexhost::RequestCarrier;
namespace wire = kdrsm::wire;

constexpr int kWaitMs = 5000;  // upper bound only; the waits end as soon as the answer is there
const QString kGetFile = QStringLiteral("RCData/reply_jexKDRSM_GetSettingsRem.txt");
const QString kSetFile = QStringLiteral("RCData/reply_jexKDRSM_SetSettingsRem.txt");

QString fetchRequest() {
    return wire::requestText(wire::kGetSettings, QStringLiteral("t"), 0, {});
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
    link.send(wire::requestText(QStringLiteral("Kick"), "t", 0, {}), collect);
    link.send(wire::requestText(wire::kSetSettings, "t", 0, "x"), collect);
    QTRY_COMPARE_WITH_TIMEOUT(answers.size(), 4, kWaitMs);
    EXPECT_EQ(answers[0], remote.answer(fetchRequest()));
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
    RequestCarrier carrier{wire::requestFolder(host.root()), link,
                           [this](const QString& a) { answers << a; }, 20};
};

// An empty file is still being written: it waits while the others go.
TEST_F(CarrierTest, CarriesEachCommandsFileOnceWrittenAndLeavesOtherFiles) {
    carrier.start();
    ASSERT_TRUE(host.exists("RCData"));
    QSignalSpy carried(&carrier, &RequestCarrier::requestCarried);
    host.write(kGetFile, {});
    host.write(kSetFile, wire::requestText(wire::kSetSettings, "t", 0, "bad").toUtf8());
    host.write("RCData/notes.txt", "keep me");
    QTRY_COMPARE_WITH_TIMEOUT(answers, QStringList{"0"}, kWaitMs);
    QTest::qWait(200);  // ten re-scans
    EXPECT_TRUE(host.exists(kGetFile));
    EXPECT_EQ(answers.size(), 1);
    host.write(kGetFile, fetchRequest().toUtf8() + "\r\n");
    QTRY_COMPARE_WITH_TIMEOUT(answers.size(), 2, kWaitMs);
    EXPECT_FALSE(host.exists(kGetFile));
    EXPECT_FALSE(host.exists(kSetFile));
    EXPECT_TRUE(host.exists("RCData/notes.txt"));
    ASSERT_EQ(carried.size(), 2);
    EXPECT_EQ(carried[1][0], fetchRequest());
    EXPECT_EQ(answers[1], remote.answer(fetchRequest()));
}

}  // namespace
