// The remote side's guards against connections that hold on to it: a cap on
// how many are welcomed at once, and idle ones closed once they stop answering
// pings. Run in-process, with short ping and silence times.
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "link/link_messages.h"
#include "raw_peer.h"
#include "remote/remote_service.h"
#include "remote_client.h"
#include "remote_fixture.h"
#include "support/temp_host.h"

namespace {

using jextest::Client;
constexpr int kWaitMs = jextest::kRemoteWaitMs;
constexpr int kMaxConnections = 64;

// Eight operators, op0 to op7: the cap per operator is 8 connections.
constexpr int kOperators = 8;

QString operatorToken(int i) {
    return QStringLiteral("operator-token-%1-0123456789").arg(i);
}

// The remote side with eight operators, pinging every `pingMs`.
struct Remote : jextest::InProcessRemote {
    explicit Remote(int pingMs = 30000, int silenceMs = 90000)
        : InProcessRemote(
              [=](auto& o) {
                  o.pingMs = pingMs;
                  o.silenceMs = silenceMs;
              },
              tokens()) {}
    static QByteArray tokens() {
        QString tokens;
        for (int i = 0; i < kOperators; ++i)
            tokens += QStringLiteral("%1 op%2 1 1 1 1 1 1\n").arg(operatorToken(i)).arg(i);
        return tokens.toUtf8();
    }
};

TEST(RemoteLimits, ConnectionBeyondTheCapIsRefusedUntilOneCloses) {
    Remote remote;
    std::vector<std::unique_ptr<Client>> open;
    for (int i = 0; i < kMaxConnections; ++i) {
        open.push_back(std::make_unique<Client>());
        ASSERT_TRUE(open.back()->welcomed(remote.url(), operatorToken(i % kOperators)))
            << "connection " << i;
    }

    Client refused;
    EXPECT_FALSE(refused.welcomed(remote.url(), operatorToken(0)));
    EXPECT_TRUE(refused.closed);
    EXPECT_TRUE(refused.received.isEmpty());
    EXPECT_FALSE(open.back()->ask(jextest::fetchRequest()).isEmpty())
        << "the open ones still served";

    open.front()->socket.close();
    ASSERT_TRUE(QTest::qWaitFor([&] { return open.front()->closed; }, kWaitMs));
    // The remote side may learn of the close a moment after this side does.
    std::unique_ptr<Client> next;
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            next = std::make_unique<Client>();
            return next->welcomed(remote.url(), operatorToken(0));
        },
        kWaitMs));
    EXPECT_FALSE(next->ask(jextest::fetchRequest()).isEmpty());
}

TEST(RemoteLimits, OnlyTheConnectionThatStopsAnsweringPingsIsClosed) {
    constexpr int kPingMs = 200, kSilenceMs = 600;
    Remote remote(kPingMs, kSilenceMs);
    Client answering;  // a QWebSocket answers every ping by itself
    jextest::RawPeer silent;
    ASSERT_TRUE(answering.welcomed(remote.url(), operatorToken(0)));
    ASSERT_TRUE(silent.welcomed(remote.url(), operatorToken(1)));

    ASSERT_TRUE(silent.closesWithin(kWaitMs));
    EXPECT_TRUE(silent.received.startsWith(QByteArray("\x89\x00", 2)))
        << "pinged before being closed: " << silent.received.toHex().toStdString();

    // Several silence limits later, the one that answers pings is still served.
    QTest::qWait(3 * kSilenceMs);
    EXPECT_FALSE(answering.closed);
    EXPECT_FALSE(answering.ask(jextest::fetchRequest()).isEmpty());
}

}  // namespace
