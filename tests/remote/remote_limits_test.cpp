// The remote side's guards against connections that hold on to it: a cap on
// how many are open at once, and idle ones closed once they stop answering
// pings. Run in-process, with short ping and silence times.
#include <QTcpSocket>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "exchange/wire/request.h"
#include "link/link_messages.h"
#include "remote/remote_service.h"
#include "remote_client.h"
#include "support/temp_host.h"

namespace {

using jextest::Client;
constexpr int kWaitMs = jextest::kRemoteWaitMs;
constexpr int kMaxConnections = 64;

// A remote side on a fresh state folder (one new server, one new operator).
struct InProcessRemote {
    jextest::TempHost host;
    jexremote::RemoteService service;
    QString token;

    explicit InProcessRemote(int pingMs = 30000, int silenceMs = 90000)
        : service(options(host, pingMs, silenceMs)) {
        QString error;
        if (service.start(&error))
            token = jexremote::firstToken(service.tokenFile(), &error).value_or(QString());
        EXPECT_FALSE(token.isEmpty()) << error.toStdString();
    }
    static jexremote::RemoteOptions options(const jextest::TempHost& host, int pingMs,
                                            int silenceMs) {
        jexremote::RemoteOptions options;
        options.stateDir = host.path(QStringLiteral("state"));
        options.pingMs = pingMs;
        options.silenceMs = silenceMs;
        return options;
    }
};

QString getSettings() {
    return kdrsm::wire::requestText(kdrsm::wire::kGetSettings, QStringLiteral("t"), 0, {});
}

// A peer that completes the WebSocket handshake and sends its token, then
// only collects what arrives: the remote side's pings go unanswered.
struct SilentPeer {
    QTcpSocket socket;
    QByteArray afterWelcome;  // what arrived after the welcome

    bool welcomed(const QUrl& url, const QString& token) {
        socket.connectToHost(url.host(), quint16(url.port()));
        if (!socket.waitForConnected(kWaitMs)) return false;
        socket.write(QStringLiteral("GET / HTTP/1.1\r\nHost: %1:%2\r\nUpgrade: websocket\r\n"
                                    "Connection: Upgrade\r\nSec-WebSocket-Version: 13\r\n"
                                    "Sec-WebSocket-Key: c2lsZW50IHBlZXIga2V5IQ==\r\n\r\n")
                         .arg(url.host())
                         .arg(url.port())
                         .toLatin1());
        QByteArray in;
        if (!QTest::qWaitFor([&] { return (in += socket.readAll()).contains("\r\n\r\n"); },
                             kWaitMs) ||
            !in.startsWith("HTTP/1.1 101"))
            return false;
        socket.write(maskedTextFrame(jexlink::tokenMessage(token).toUtf8()));
        if (!QTest::qWaitFor([&] { return (in += socket.readAll()).contains("\"welcome\""); },
                             kWaitMs))
            return false;
        QObject::connect(&socket, &QTcpSocket::readyRead,
                         [this] { afterWelcome += socket.readAll(); });
        return true;
    }
    bool closed() const { return socket.state() == QAbstractSocket::UnconnectedState; }

    // A client's frame is masked; its length takes as few bytes as it can.
    static QByteArray maskedTextFrame(const QByteArray& payload) {
        const char mask[4] = {0x11, 0x22, 0x33, 0x44};
        QByteArray frame("\x81", 1);
        if (payload.size() < 126) {
            frame += char(0x80 | payload.size());
        } else {
            frame += char(0xfe);
            frame += char(payload.size() >> 8);
            frame += char(payload.size() & 0xff);
        }
        frame += QByteArray(mask, 4);
        for (qsizetype i = 0; i < payload.size(); ++i) frame += char(payload[i] ^ mask[i % 4]);
        return frame;
    }
};

TEST(RemoteLimits, ConnectionBeyondTheCapIsRefusedUntilOneCloses) {
    InProcessRemote remote;
    std::vector<std::unique_ptr<Client>> open;
    for (int i = 0; i < kMaxConnections; ++i) {
        open.push_back(std::make_unique<Client>());
        ASSERT_TRUE(open.back()->welcomed(remote.service.url(), remote.token))
            << "connection " << i;
    }

    Client refused;
    EXPECT_FALSE(refused.welcomed(remote.service.url(), remote.token));
    EXPECT_TRUE(refused.closed);
    EXPECT_TRUE(refused.received.isEmpty());
    EXPECT_FALSE(open.back()->ask(getSettings()).isEmpty()) << "the open ones still served";

    open.front()->socket.close();
    ASSERT_TRUE(QTest::qWaitFor([&] { return open.front()->closed; }, kWaitMs));
    // The remote side may learn of the close a moment after this side does.
    std::unique_ptr<Client> next;
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            next = std::make_unique<Client>();
            return next->welcomed(remote.service.url(), remote.token);
        },
        kWaitMs));
    EXPECT_FALSE(next->ask(getSettings()).isEmpty());
}

TEST(RemoteLimits, OnlyTheConnectionThatStopsAnsweringPingsIsClosed) {
    constexpr int kPingMs = 200, kSilenceMs = 600;
    InProcessRemote remote(kPingMs, kSilenceMs);
    Client answering;  // a QWebSocket answers every ping by itself
    SilentPeer silent;
    ASSERT_TRUE(answering.welcomed(remote.service.url(), remote.token));
    ASSERT_TRUE(silent.welcomed(remote.service.url(), remote.token));

    ASSERT_TRUE(QTest::qWaitFor([&] { return silent.closed(); }, kWaitMs));
    EXPECT_TRUE(silent.afterWelcome.startsWith(QByteArray("\x89\x00", 2)))
        << "pinged before being closed: " << silent.afterWelcome.toHex().toStdString();

    // Several silence limits later, the one that answers pings is still served.
    QTest::qWait(3 * kSilenceMs);
    EXPECT_FALSE(answering.closed);
    EXPECT_FALSE(answering.ask(getSettings()).isEmpty());
}

}  // namespace
