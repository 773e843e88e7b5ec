// The remote side's guards against connections that hold on to it: a cap on
// how many are welcomed at once, idle ones closed once they stop answering
// pings, upgrades never finished closed, and prompt hosts never refused for
// them. Run in-process, with short ping, silence and upgrade times.
#include <QTcpSocket>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
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
    explicit Remote(int pingMs = 30000, int silenceMs = 90000, int upgradeMs = 10000)
        : InProcessRemote(
              [=](auto& o) {
                  o.pingMs = pingMs;
                  o.silenceMs = silenceMs;
                  o.upgradeMs = upgradeMs;
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

// A console with many operators' token files logs in to one remote side with
// all of them at once, from one address.
TEST(RemoteLimits, SimultaneousPromptLoginsFromOneAddressAreAllWelcomed) {
    constexpr int kLogins = 16;
    Remote remote;
    std::vector<std::unique_ptr<Client>> hosts;
    for (int i = 0; i < kLogins; ++i) {
        hosts.push_back(std::make_unique<Client>());
        Client* host = hosts.back().get();
        QObject::connect(&host->socket, &QWebSocket::connected, [host, i] {
            host->socket.sendTextMessage(jexlink::tokenMessage(operatorToken(i % kOperators)));
        });
        host->socket.open(remote.url());
    }
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            return std::all_of(hosts.begin(), hosts.end(),
                               [](auto& h) { return h->closed || !h->received.isEmpty(); });
        },
        kWaitMs));
    const auto welcomed = std::count_if(hosts.begin(), hosts.end(), [](auto& h) {
        return jexlink::readWelcomeMessage(h->received.value(0)).has_value();
    });
    EXPECT_EQ(welcomed, kLogins);
}

struct UnfinishedUpgrade {
    const char* name;
    QByteArray first;  // sent at once
    QByteArray drip;   // then sent every 100 ms, to look alive
};

class UnfinishedUpgrades : public ::testing::TestWithParam<UnfinishedUpgrade> {};

TEST_P(UnfinishedUpgrades, AreClosedOnceTheUpgradeTimeIsOver) {
    constexpr int kUpgradeMs = 500;
    Remote remote(30000, 90000, kUpgradeMs);
    std::vector<std::unique_ptr<QTcpSocket>> slow;
    for (int i = 0; i < 16; ++i) {
        slow.push_back(std::make_unique<QTcpSocket>());
        slow.back()->connectToHost(remote.url().host(), quint16(remote.url().port()));
        ASSERT_TRUE(slow.back()->waitForConnected(kWaitMs));
        slow.back()->write(GetParam().first);
    }
    const auto open = [&] {
        return std::count_if(slow.begin(), slow.end(),
                             [](auto& s) { return s->state() == QAbstractSocket::ConnectedState; });
    };
    QTimer drip;
    QObject::connect(&drip, &QTimer::timeout, [&] {
        for (auto& socket : slow)
            if (socket->state() == QAbstractSocket::ConnectedState) socket->write(GetParam().drip);
    });
    drip.start(100);
    // The 5 s a welcomed host has for its token is no bound here.
    EXPECT_TRUE(QTest::qWaitFor([&] { return open() == 0; }, 4000)) << open() << " still open";
    Client host;
    EXPECT_TRUE(host.welcomed(remote.url(), operatorToken(0)));
}

// clang-format off
const UnfinishedUpgrade kUnfinishedUpgrades[] = {
    {"NothingSent", "", ""},
    {"HeadersNeverEnd", "GET / HTTP/1.1\r\nHost: x\r\nUpgrade: websocket\r\n", "X"},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Slow, UnfinishedUpgrades, ::testing::ValuesIn(kUnfinishedUpgrades),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
