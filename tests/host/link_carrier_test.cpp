// The remote link and the request carrier against a real WebSocket server.
#include <QDir>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTest>
#include <QWebSocket>
#include <QWebSocketServer>

#include <gtest/gtest.h>

#include <optional>

#include <unistd.h>

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

QString fetchRequest(const QString& tag = QStringLiteral("t")) {
    return kdrsm::wire::requestText(kdrsm::wire::kGetSettings, tag, 0, {});
}

// A port nobody listens on.
quint16 closedPort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    return probe.serverPort();
}

class RemoteLinkTest : public ::testing::Test {
protected:
    RemoteLinkTest() { listening = server.listen(); }
    void SetUp() override { ASSERT_TRUE(listening) << server.errorString().toStdString(); }
    jexremote::RemotePlugin remote;
    jexremote::RemoteServer server{remote};
    bool listening = false;
};

TEST_F(RemoteLinkTest, AnswersReachTheirRequestsInOrder) {
    RemoteLink link(server.url());
    QStringList answers;
    link.send(fetchRequest(), [&](const QString& a) { answers << a.left(3); });
    link.send(QStringLiteral("nonsense"), [&](const QString& a) { answers << a; });
    link.send(kdrsm::wire::requestText(kdrsm::wire::kSetSettings, "t", 0, "x"),
              [&](const QString& a) { answers << a; });
    QTRY_COMPARE_WITH_TIMEOUT(answers.size(), 3, kWaitMs);
    const QString name = remote.settings().fields[0];
    EXPECT_EQ(answers, (QStringList{QString::fromLatin1(name.toUtf8().toBase64()).left(3),
                                    QStringLiteral("Failed"), QStringLiteral("0")}));
    EXPECT_EQ(link.pendingCount(), 0);
}

TEST_F(RemoteLinkTest, ReconnectsAfterTheServerDropsTheLink) {
    RemoteLink link(server.url());
    std::optional<QString> first;
    link.send(fetchRequest(), [&](const QString& a) { first = a; });
    QTRY_VERIFY_WITH_TIMEOUT(first.has_value(), kWaitMs);

    for (QWebSocket* client : server.findChildren<QWebSocket*>()) client->close();
    QTRY_VERIFY_WITH_TIMEOUT(!link.isConnected(), kWaitMs);

    std::optional<QString> second;
    link.send(fetchRequest(), [&](const QString& a) { second = a; });
    QTRY_VERIFY_WITH_TIMEOUT(second.has_value(), kWaitMs);
    EXPECT_EQ(*second, *first);
}

TEST(RemoteLinkDown, UnreachableRemoteAnswersEmpty) {
    RemoteLink link(QUrl(QStringLiteral("ws://127.0.0.1:%1").arg(closedPort())));
    QStringList answers;
    link.send(fetchRequest(), [&](const QString& a) { answers << a; });
    link.send(fetchRequest(), [&](const QString& a) { answers << a; });
    QTRY_COMPARE_WITH_TIMEOUT(answers.size(), 2, kWaitMs);
    EXPECT_EQ(answers, (QStringList{QString(), QString()}));
}

TEST(RemoteLinkDown, SilentRemoteAnswersEmptyAfterTheTimeout) {
    QWebSocketServer silent(QStringLiteral("silent"), QWebSocketServer::NonSecureMode);
    ASSERT_TRUE(silent.listen(QHostAddress::LocalHost));
    RemoteLink link(silent.serverUrl(), 100);
    std::optional<QString> answer;
    link.send(fetchRequest(), [&](const QString& a) { answer = a; });
    QTRY_VERIFY_WITH_TIMEOUT(answer.has_value(), kWaitMs);
    EXPECT_EQ(*answer, QString());
    EXPECT_EQ(link.pendingCount(), 0);
}

class CarrierTest : public RemoteLinkTest {
protected:
    QString requestFile(const QString& command) const {
        return kdrsm::wire::requestFilePath(host.root(), command);
    }
    jextest::TempHost host;
    RemoteLink link{server.url()};
    QStringList answers;
    RequestCarrier carrier{kdrsm::wire::requestFolder(host.root()), link,
                           [this](const QString& a) { answers << a; }, 20};
};

TEST_F(CarrierTest, CreatesTheFolderAndCarriesARequestFile) {
    carrier.start();
    ASSERT_TRUE(host.exists(QStringLiteral("RCData")));
    QSignalSpy carried(&carrier, &RequestCarrier::requestCarried);

    host.write(QStringLiteral("RCData/reply_jexKDRSM_GetSettingsRem.txt"),
               fetchRequest().toUtf8() + "\r\n");
    QTRY_COMPARE_WITH_TIMEOUT(answers.size(), 1, kWaitMs);
    EXPECT_FALSE(QFileInfo::exists(requestFile(kdrsm::wire::kGetSettings)));
    ASSERT_EQ(carried.size(), 1);
    EXPECT_EQ(carried[0][0].toString(), fetchRequest());
    EXPECT_EQ(kdrsm::wire::splitSettingsReply(answers[0]).fields.size(),
              kdrsm::wire::kReplyFieldCount);
}

TEST_F(CarrierTest, WaitsForAnEmptyFileToBeWritten) {
    carrier.start();
    host.write(QStringLiteral("RCData/reply_jexKDRSM_GetSettingsRem.txt"), {});
    QTest::qWait(200);  // ten re-scans
    EXPECT_TRUE(QFileInfo::exists(requestFile(kdrsm::wire::kGetSettings)));
    EXPECT_TRUE(answers.isEmpty());

    host.write(QStringLiteral("RCData/reply_jexKDRSM_GetSettingsRem.txt"), fetchRequest().toUtf8());
    QTRY_COMPARE_WITH_TIMEOUT(answers.size(), 1, kWaitMs);
}

TEST_F(CarrierTest, CarriesEachCommandsFileAndIgnoresOtherFiles) {
    host.write(QStringLiteral("RCData/reply_jexKDRSM_GetSettingsRem.txt"), fetchRequest().toUtf8());
    host.write(QStringLiteral("RCData/reply_jexKDRSM_SetSettingsRem.txt"),
               kdrsm::wire::requestText(kdrsm::wire::kSetSettings, "t", 0, "bad").toUtf8());
    host.write(QStringLiteral("RCData/notes.txt"), "keep me");
    carrier.start();
    QTRY_COMPARE_WITH_TIMEOUT(answers.size(), 2, kWaitMs);
    EXPECT_TRUE(answers.contains(QStringLiteral("0")));
    EXPECT_TRUE(host.exists(QStringLiteral("RCData/notes.txt")));
}

TEST_F(CarrierTest, DropsAnUnreadableFileAndGoesOn) {
    if (geteuid() == 0) GTEST_SKIP() << "root reads every file";
    const QString path = requestFile(kdrsm::wire::kGetSettings);
    host.write(QStringLiteral("RCData/reply_jexKDRSM_GetSettingsRem.txt"), fetchRequest().toUtf8());
    QFile::setPermissions(path, QFileDevice::WriteOwner);
    carrier.start();
    QTRY_VERIFY_WITH_TIMEOUT(!QFileInfo::exists(path), kWaitMs);
    host.write(QStringLiteral("RCData/reply_jexKDRSM_GetSettingsRem.txt"), fetchRequest().toUtf8());
    QTRY_COMPARE_WITH_TIMEOUT(answers.size(), 1, kWaitMs);
    EXPECT_TRUE(QDir(carrier.folder()).entryList(QDir::Files).isEmpty());
}

TEST_F(CarrierTest, SkipsAFileItCannotClaimUntilTheFolderAllowsIt) {
    if (geteuid() == 0) GTEST_SKIP() << "root may rename anything";
    carrier.start();
    host.write(QStringLiteral("RCData/reply_jexKDRSM_GetSettingsRem.txt"), fetchRequest().toUtf8());
    const auto writable = QFile::permissions(carrier.folder());
    QFile::setPermissions(carrier.folder(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    QTest::qWait(200);  // ten re-scans
    EXPECT_TRUE(answers.isEmpty());
    QFile::setPermissions(carrier.folder(), writable);
    host.write(QStringLiteral("RCData/reply_jexKDRSM_GetSettingsRem.txt"), fetchRequest().toUtf8());
    QTRY_COMPARE_WITH_TIMEOUT(answers.size(), 1, kWaitMs);
}

}  // namespace
