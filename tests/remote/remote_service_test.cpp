// jexremote as its own process on loopback, talked to with a WebSocket the way
// a host does: who gets in, what closes a connection, servers kept apart,
// honest answers when storing fails, what reaches its log, and an audit
// trail that a kill does not break.
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>
#include <QTest>
#include <QWebSocket>

#include <gtest/gtest.h>

#include <algorithm>

#include "exchange/wire/request.h"
#include "link/link_messages.h"
#include "remote_client.h"
#include "remote_fixture.h"
#include "support/temp_host.h"

namespace {

using jextest::base64;
using jextest::Client;
using jextest::kLeeToken;
using jextest::kRootToken;
using jextest::serves;
using jextest::updateRequest;
constexpr int kWaitMs = jextest::kRemoteWaitMs;
const QString kPassword = QStringLiteral("Hunter2Secret!");

// Two servers, Zero and One; the team's two operators.
struct RemoteProcess : jextest::RemoteProgram {
    jextest::TempHost host;

    RemoteProcess() {
        host.write(QStringLiteral("state/server-0.ini"),
                   jextest::stateText(QStringLiteral("Zero")));
        host.write(QStringLiteral("state/server-1.ini"), jextest::stateText(QStringLiteral("One")));
        start({QStringLiteral("--listen"), QStringLiteral("127.0.0.1:0"),
               QStringLiteral("--state-dir"), host.path(QStringLiteral("state")),
               QStringLiteral("--token-file"), jextest::writeTokenFile(host),
               // bursts of updates, not the rate limit, are under test here
               QStringLiteral("--max-updates-per-second"), QStringLiteral("10000")});
    }
    ~RemoteProcess() { stop(); }  // before its folder goes
};

struct HandshakeCase {
    const char* name;
    const char* origin;
    QString token;  // sent in the first message, a request message when empty
    int delayMs;    // before sending it
    bool welcomed;
};

class HandshakeCases : public ::testing::TestWithParam<HandshakeCase> {};

TEST_P(HandshakeCases, OnlyATimelyTokenIsWelcomed) {
    RemoteProcess remote;
    ASSERT_TRUE(remote.url.isValid());
    Client client(QString::fromUtf8(GetParam().origin));
    client.open(remote.url);
    if (GetParam().delayMs > 0) QTest::qWait(GetParam().delayMs);
    client.socket.sendTextMessage(GetParam().token.isEmpty()
                                      ? jexlink::requestMessage(1, jextest::fetchRequest())
                                      : jexlink::tokenMessage(GetParam().token));
    (void)QTest::qWaitFor([&] { return !client.received.isEmpty() || client.closed; }, kWaitMs);
    if (GetParam().welcomed) {
        ASSERT_EQ(client.received.size(), 1) << remote.stop().toStdString();
        const auto welcome = jexlink::readWelcomeMessage(client.received[0]);
        ASSERT_TRUE(welcome);
        EXPECT_EQ(welcome->operatorName, "lee");
        EXPECT_FALSE(welcome->superAdmin);
        EXPECT_EQ(welcome->privileges.value(1), qMakePair(QStringLiteral("Change Max Players"), 0));
    } else {
        EXPECT_TRUE(client.closed);
        EXPECT_TRUE(client.received.isEmpty());
    }
}

// clang-format off
const HandshakeCase kHandshakeCases[] = {
    {"RightToken", "", kLeeToken, 0, true},
    {"NoToken", "", "", 0, false},
    {"WrongToken", "", kLeeToken + "x", 0, false},
    {"LateToken", "", kLeeToken, 5500, false},
    {"BrowserOrigin", "http://page.example", kLeeToken, 0, false},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Handshakes, HandshakeCases, ::testing::ValuesIn(kHandshakeCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(RemoteService, OversizedMessageClosesOnlyItsConnection) {
    RemoteProcess remote;
    Client big, other;
    ASSERT_TRUE(big.welcomed(remote.url, kRootToken));
    ASSERT_TRUE(other.welcomed(remote.url, kRootToken));
    EXPECT_EQ(big.ask(QString(2 << 20, u'x')), QString());
    EXPECT_TRUE(big.closed);
    EXPECT_TRUE(serves(other, QStringLiteral("Zero")));
    EXPECT_FALSE(remote.stop().contains(QStringLiteral("xxxx")));
}

TEST(RemoteService, ServersKeptApartAndOnlyStoredUpdatesAnswered) {
    RemoteProcess remote;
    Client client;
    ASSERT_TRUE(client.welcomed(remote.url, kRootToken));
    EXPECT_EQ(client.ask(updateRequest(jextest::restatingBody(QStringLiteral("Renamed")), 1)), "1");
    EXPECT_TRUE(serves(client, QStringLiteral("Renamed"), 1));
    EXPECT_TRUE(serves(client, QStringLiteral("Zero")));

    // A state file that cannot be replaced: a folder in its place.
    const QString file = remote.host.path(QStringLiteral("state/server-1.ini"));
    ASSERT_TRUE(QFile::remove(file) && QDir().mkdir(file));
    EXPECT_EQ(client.ask(updateRequest(jextest::restatingBody(QStringLiteral("Lost")), 1)), "0");
    EXPECT_TRUE(serves(client, QStringLiteral("Renamed"), 1));
    EXPECT_TRUE(remote.stop().contains(QStringLiteral("not stored")));
}

TEST(RemoteService, NeitherPasswordNorTokenReachesTheLog) {
    RemoteProcess remote;
    Client client;
    ASSERT_TRUE(client.welcomed(remote.url, kRootToken));
    auto body = jextest::restatingBody(QStringLiteral("Zero"));
    body.fields[3] = base64(kPassword);
    body.fields[2] = QStringLiteral("5");  // refused: no such session type
    EXPECT_EQ(client.ask(updateRequest(body)), "0");
    body.fields[2] = QStringLiteral("1");
    EXPECT_EQ(client.ask(updateRequest(body)), "1");
    const QString log = remote.stop();
    EXPECT_TRUE(log.contains(QStringLiteral("Password"))) << "the changed setting is named";
    for (const QString& secret : {kPassword, base64(kPassword), kRootToken})
        EXPECT_FALSE(log.contains(secret)) << secret.toStdString();
}

// The ServerName each record of the audit file sets; every line but a last
// one cut by the kill must be a record.
QStringList namesInAudit(const QByteArray& audit) {
    QStringList names;
    const QList<QByteArray> lines = audit.split('\n');
    for (qsizetype n = 0; n < lines.size(); ++n) {
        const QJsonObject record = QJsonDocument::fromJson(lines[n]).object();
        if (record.isEmpty()) {
            EXPECT_TRUE(n == lines.size() - 1)
                << "line " << n + 1 << ": " << lines[n].toStdString();
            continue;
        }
        for (const auto change : record.value("changes").toArray())
            if (change.toObject().value("setting") == "ServerName")
                names << change.toObject().value("new").toString();
    }
    return names;
}

TEST(RemoteService, EveryAnsweredUpdateHasItsRecordAfterAKill) {
    RemoteProcess remote;
    Client client;
    ASSERT_TRUE(client.welcomed(remote.url, kRootToken));
    // Eight updates in flight at any time; SIGKILL once 100 are answered, while
    // the remote side is busy with the next ones.
    constexpr int kBurst = 200;
    int sent = 0;
    auto sendNext = [&] {
        ++sent;
        client.socket.sendTextMessage(jexlink::requestMessage(
            sent, updateRequest(jextest::restatingBody(QStringLiteral("Burst %1").arg(sent)))));
    };
    QObject::connect(&client.socket, &QWebSocket::textMessageReceived, [&] {
        if (client.received.size() == 101)
            remote.process.kill();
        else if (sent < kBurst)
            sendNext();
    });
    for (int i = 0; i < 8; ++i) sendNext();
    ASSERT_TRUE(QTest::qWaitFor([&] { return client.closed; }, 30000));
    remote.process.waitForFinished(kWaitMs);

    QSet<QString> answered;
    for (const QString& message : client.received)
        if (const auto answer = jexlink::readAnswerMessage(message); answer && answer->text == "1")
            answered << QStringLiteral("Burst %1").arg(answer->id);
    const QString audit = QStringLiteral("state/audit.jsonl");
    const QStringList recorded = namesInAudit(remote.host.read(audit));
    EXPECT_GE(answered.size(), 100);
    for (const QString& name : answered) EXPECT_TRUE(recorded.contains(name)) << name.toStdString();

    // Restarted, it serves the last update it recorded and appends after it.
    remote.start();
    Client again;
    ASSERT_TRUE(again.welcomed(remote.url, kRootToken));
    EXPECT_TRUE(serves(again, recorded.last()));
    EXPECT_EQ(again.ask(updateRequest(jextest::restatingBody(QStringLiteral("After")))), "1");
    const QStringList afterRestart = namesInAudit(remote.host.read(audit));
    EXPECT_EQ(afterRestart.last(), "After");
    EXPECT_EQ(afterRestart.size(), recorded.size() + 1);

    // The history over the link: newest record first, every version of the
    // week (the state file's, each recorded update's and After), at most 200.
    again.socket.sendTextMessage(jexlink::historyRequestMessage(900, 0));
    ASSERT_TRUE(QTest::qWaitFor([&] { return again.received.size() == 4; }, kWaitMs));
    const auto history = jexlink::readHistoryAnswer(again.received[3]);
    ASSERT_TRUE(history);
    EXPECT_EQ(history->first, 900);
    EXPECT_EQ(history->second.records.size(), recorded.size() + 1);
    EXPECT_EQ(history->second.records[0].toObject().value("changes")[0]["new"], "After");
    EXPECT_EQ(history->second.versions.size(), std::min<qsizetype>(200, recorded.size() + 2));
}

}  // namespace
