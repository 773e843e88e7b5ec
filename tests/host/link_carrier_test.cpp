// The remote link and the request carrier against stand-in remote sides: the
// handshake, answers, a timeout and a dead link each followed by a fresh link,
// and which request files the carrier takes.
#include <QFile>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTest>

#include <gtest/gtest.h>

#include "exchange/wire/request.h"
#include "fake_remote.h"
#include "host/link/remote_link.h"
#include "host/relay/link_history_source.h"
#include "host/relay/link_pool.h"
#include "host/relay/request_carrier.h"
#include "host/relay/request_router.h"
#include "host_fixture.h"
#include "support/game_status.h"
#include "support/temp_host.h"

namespace {

using jexhost::LinkFailure;
using jexhost::LinkOptions;
using jexhost::RemoteLink;
using jexhost::RequestCarrier;
using jextest::FakeRemote;
namespace wire = kdrsm::wire;

constexpr int kWaitMs = 5000;  // upper bound only; the waits end as soon as the answer is there
const QString kToken = QStringLiteral("s3cret-token");

LinkOptions linkTo(const QUrl& url, const QString& token = kToken) {
    LinkOptions options;
    options.url = url;
    options.token = token;
    options.timeoutMs = 300;
    options.firstRetryMs = 20;
    return options;
}

struct HandshakeCase {
    const char* name;
    QString token;    // presented by the link
    QString welcome;  // sent by the remote side to a right token
    QString answer;   // to one request
    int linksOpened;
    QString downReason;            // told when the link went down; empty: it stayed up
    jexhost::LinkFailure failure;  // told with the answer
};

class HandshakeCases : public ::testing::TestWithParam<HandshakeCase> {};

TEST_P(HandshakeCases, OnlyAWelcomeOpensTheLink) {
    FakeRemote remote(kToken);
    if (!GetParam().welcome.isEmpty()) remote.welcome = GetParam().welcome;
    RemoteLink link(linkTo(remote.url(), GetParam().token));
    QSignalSpy down(&link, &RemoteLink::down);
    QStringList answers;
    std::optional<jexhost::LinkFailure> failure;
    link.send(QStringLiteral("ask"), [&](const QString& a, jexhost::LinkFailure f) {
        answers << a;
        failure = f;
    });
    ASSERT_TRUE(QTest::qWaitFor([&] { return answers.size() == 1; }, kWaitMs));
    EXPECT_EQ(answers[0], GetParam().answer);
    EXPECT_EQ(failure, GetParam().failure);
    EXPECT_EQ(link.linksOpened(), GetParam().linksOpened);
    EXPECT_EQ(link.pendingCount(), 0);
    EXPECT_EQ(down.isEmpty() ? QString() : down[0][0].toString(), GetParam().downReason);
}

// clang-format off
const HandshakeCase kHandshakeCases[] = {
    {"RightToken", kToken, {}, "echo:ask", 1, "", LinkFailure::None},
    {"WrongToken", "s3cret-tokem", {}, "", 0, "closed without a welcome (is the token right?)",
     LinkFailure::Refused},
    {"AnswerInsteadOfWelcome", kToken, R"({"id":1,"answer":"echo:ask"})", "", 0,
     "the first message was not a welcome", LinkFailure::Unreachable},
    {"WelcomeLackingAPrivilege", kToken,
     R"({"welcome":{"operator":"ann","superAdmin":true,"privileges":{"Change Max Players":1}}})",
     "", 0, "the first message was not a welcome", LinkFailure::Unreachable},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Link, HandshakeCases, ::testing::ValuesIn(kHandshakeCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Each answer reaches its own request. After the remote side closes the
// link, or a request times out and aborts it, the next request goes down a
// fresh link, not the dead or hung one.
TEST(RemoteLink, AnswersReachTheirRequestsAndADeadOrHungLinkIsReplaced) {
    FakeRemote remote(kToken);
    RemoteLink link(linkTo(remote.url()));
    QStringList answers;
    QList<LinkFailure> failures;
    const auto collect = [&](const QString& a, LinkFailure f) {
        answers << a;
        failures << f;
    };
    for (const QString request : {"one", "two", "three"}) link.send(request, collect);
    ASSERT_TRUE(QTest::qWaitFor([&] { return answers.size() == 3; }, kWaitMs));

    remote.closeAll();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !link.isReady(); }, kWaitMs));
    remote.silentRequests = 1;
    link.send(QStringLiteral("lost"), collect);
    ASSERT_TRUE(QTest::qWaitFor([&] { return answers.size() == 4; }, kWaitMs));
    link.send(QStringLiteral("next"), collect);
    ASSERT_TRUE(QTest::qWaitFor([&] { return answers.size() == 5; }, kWaitMs));
    EXPECT_EQ(answers, (QStringList{"echo:one", "echo:two", "echo:three", "", "echo:next"}));
    EXPECT_EQ(failures, (QList<LinkFailure>{LinkFailure::None, LinkFailure::None, LinkFailure::None,
                                            LinkFailure::TimedOut, LinkFailure::None}));
    EXPECT_EQ(remote.connections, 3);
    EXPECT_EQ(link.linksOpened(), 3);
}

// The pings find a link whose far end went silent while no request was out.
TEST(RemoteLink, KeepAliveDropsASilentLinkBeforeARequestNeedsIt) {
    FakeRemote remote(kToken);
    jextest::FreezingProxy proxy(remote.url().port());
    LinkOptions options = linkTo(proxy.url());
    options.keepAliveMs = 250;  // a pong late under a loaded sanitizer run is still in time
    options.timeoutMs = 60000;  // only the pings can find it
    RemoteLink link(options);
    QSignalSpy down(&link, &RemoteLink::down);
    link.open();
    ASSERT_TRUE(QTest::qWaitFor([&] { return link.isReady(); }, kWaitMs));
    proxy.frozen = true;
    ASSERT_TRUE(QTest::qWaitFor([&] { return down.size() == 1; }, kWaitMs));
    EXPECT_EQ(down[0][0].toString(), "no pong to the last ping");

    proxy.frozen = false;
    QStringList answers;
    link.send(QStringLiteral("after"), [&](const QString& a) { answers << a; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return answers == QStringList{"echo:after"}; }, kWaitMs));
}

// A game's start waits for its ready line: its message has a deadline of its own.
TEST(RemoteLink, AMessageMayHaveItsOwnTimeout) {
    FakeRemote remote(kToken);  // never answers a history request without a reply set
    LinkOptions options = linkTo(remote.url());
    options.timeoutMs = 60000;
    RemoteLink link(options);
    std::optional<LinkFailure> failure;
    link.sendMessage([](qint64 id) { return jexlink::historyRequestMessage(id, 0); },
                     [&](const QString&, LinkFailure why) { failure = why; }, 200);
    ASSERT_TRUE(QTest::qWaitFor([&] { return failure.has_value(); }, kWaitMs));
    EXPECT_EQ(*failure, LinkFailure::TimedOut);
}

// Game pushes are held and read together, yet never after what came behind
// them: an answer, or the link's end.
TEST(RemoteLink, HeldGamePushesAreReadBeforeWhatCameAfterThem) {
    FakeRemote remote(kToken);
    RemoteLink link(linkTo(remote.url()));
    QStringList events;
    QObject::connect(&link, &RemoteLink::gamePushed, [&](const jexlink::GameStatus& game) {
        events << QStringLiteral("game %1 %2").arg(game.profile).arg(game.state);
    });
    QObject::connect(&link, &RemoteLink::down, [&] { events << QStringLiteral("down"); });
    link.open();
    ASSERT_TRUE(QTest::qWaitFor([&] { return link.isReady(); }, kWaitMs));

    remote.broadcast(jexlink::gamePushMessage(jextest::teeworldsGame("starting", 1)));
    remote.broadcast(jexlink::gamePushMessage(jextest::teeworldsGame("running", 2)));
    link.send(QStringLiteral("ask"), [&](const QString& a) { events << a; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return events.size() >= 3; }, kWaitMs));
    remote.broadcast(jexlink::gamePushMessage(jextest::teeworldsGame("stopped", 3)));
    remote.closeAll();
    ASSERT_TRUE(QTest::qWaitFor([&] { return events.contains("down"); }, kWaitMs));
    QTest::qWait(300);  // a held push's own time passes
    EXPECT_EQ(events, (QStringList{"game 1 starting", "game 2 running", "echo:ask",
                                   "game 3 stopped", "down"}));
}

TEST(RemoteLink, UnreachableRemoteAnswersEmptyAtOnce) {
    LinkOptions options =
        linkTo(QUrl(QStringLiteral("ws://127.0.0.1:%1").arg(jextest::freeTcpPort())));
    options.timeoutMs = 60000;  // the refusal, not the timeout, answers
    RemoteLink link(options);
    QStringList answers;
    for (int i = 0; i < 2; ++i)
        link.send(QStringLiteral("x"), [&](const QString& a) { answers << a; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return answers.size() == 2; }, kWaitMs));
    EXPECT_EQ(answers, QStringList(2, QString()));
    EXPECT_EQ(link.lastFailure(), LinkFailure::Unreachable);
}

struct HistoryCase {
    const char* name;
    bool reachable;
    QString reply;  // the remote side's answer, "%1" its id
    QString outcome;
};

const HistoryCase kHistoryCases[] = {
    {"AnswerMatchedById", true,
     R"({"id": %1, "history": {"records": [], "versions": [{"version": 3,)"
     R"( "time": "2024-05-01T12:00:00Z", "operator": "ann"}]}})",
     "1 versions"},
    {"AnswerOfAnotherIdIsNotItsAnswer", true,
     R"({"id": 9%1, "history": {"records": [], "versions": []}})",
     "failed: no answer from the remote side in time"},
    {"UnreadableAnswer", true, R"({"id": %1, "history": 5})",
     "failed: the answer could not be read"},
    {"Unreachable", false, "", "failed: cannot reach the remote side"},
};

class HistorySourceCases : public ::testing::TestWithParam<HistoryCase> {};

TEST_P(HistorySourceCases, EachHistoryRequestEndsInOneOutcome) {
    jextest::TempHost host;
    jextest::writeTokenFile(host.path("tokens"), kToken.toUtf8() + "\n");
    FakeRemote remote(kToken);
    remote.historyReply = GetParam().reply;
    QTcpServer closed;
    closed.listen(QHostAddress::LocalHost);
    const QString url = GetParam().reachable
                            ? remote.url().toString()
                            : QStringLiteral("ws://127.0.0.1:%1").arg(closed.serverPort());
    closed.close();
    // Long enough that a loaded machine still reads an answer before the timeout.
    jexhost::LinkPool pool(2000, 15000);
    jexhost::LinkHistorySource source(pool, url, host.path("tokens"));
    QStringList outcomes;
    QObject::connect(&source, &jexhost::history::HistorySource::historyArrived,
                     [&](const jexlink::History& history) {
                         outcomes << QStringLiteral("%1 versions").arg(history.versions.size());
                     });
    QObject::connect(&source, &jexhost::history::HistorySource::failed,
                     [&](const QString& reason) { outcomes << "failed: " + reason; });
    source.requestHistory(1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !outcomes.isEmpty(); }, kWaitMs));
    // Whatever else the first request brought would come before the outcome
    // of a second one.
    source.requestHistory(1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return outcomes.size() >= 2; }, kWaitMs));
    EXPECT_EQ(outcomes, QStringList(2, GetParam().outcome));
}

INSTANTIATE_TEST_SUITE_P(Link, HistorySourceCases, ::testing::ValuesIn(kHistoryCases),
                         [](const auto& info) { return std::string(info.param.name); });

// A link the server list no longer uses ends what waits on it, instead of
// leaving the panel to wait for ever.
TEST(LinkPool, AForgottenLinkAnswersItsWaitingRequestAtOnce) {
    jextest::TempHost host;
    jextest::writeTokenFile(host.path("tokens"), kToken.toUtf8() + "\n");
    FakeRemote remote(kToken);
    remote.silentRequests = 1;
    jexhost::LinkPool pool(100 * kWaitMs, 15000);  // no answer comes from the request's own time
    const QString url = remote.url().toString();
    QString answer = QStringLiteral("none yet");
    std::optional<LinkFailure> failure;
    pool.send(url, host.path("tokens"), QStringLiteral("hello"),
              [&](const QString& text, LinkFailure why) {
                  answer = text;
                  failure = why;
              });
    ASSERT_TRUE(QTest::qWaitFor([&] { return remote.requests.size() == 1; }, kWaitMs));
    pool.forget(jexhost::LinkPool::keyOf(url, host.path("tokens")));
    ASSERT_TRUE(QTest::qWaitFor([&] { return failure.has_value(); }, kWaitMs));
    EXPECT_EQ(failure, LinkFailure::Unreachable);
    EXPECT_EQ(answer, "");
}

struct RetryCase {
    const char* name;
    int failures;
    int delayMs;
};

class RetryDelayCases : public ::testing::TestWithParam<RetryCase> {};

TEST_P(RetryDelayCases, GrowsAndStopsAtTheCap) {
    EXPECT_EQ(jexhost::retryDelayMs(GetParam().failures, 250, 5000), GetParam().delayMs);
}

const RetryCase kRetryCases[] = {
    {"NoFailure", 0, 0}, {"First", 1, 250},        {"Second", 2, 500},  {"Fifth", 5, 4000},
    {"Sixth", 6, 5000},  {"Hundredth", 100, 5000}, {"Negative", -1, 0},
};

INSTANTIATE_TEST_SUITE_P(Link, RetryDelayCases, ::testing::ValuesIn(kRetryCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Which files the carrier takes. Each row's file is written before a marker
// request of the host's own; once the marker is carried, the row's file has
// been looked at.
struct CarrierCase {
    const char* name;
    QByteArray content;  // of reply_jexKDRSM_GetSettingsRem.txt
    bool carried;
    bool fileLeft;
};

const QString kHostTag = QStringLiteral("desk_1");
const QString kRowFile = QStringLiteral("RCData/reply_jexKDRSM_GetSettingsRem.txt");
const QString kMarkerFile = QStringLiteral("RCData/reply_jexKDRSM_SetSettingsRem.txt");

const QByteArray kOwnFetch = "Plugin_jexKDRSM_GetSettingsRem_desk_1_VB6_3_";

class CarrierCases : public ::testing::TestWithParam<CarrierCase> {};

TEST_P(CarrierCases, TakesOnlyThisHostsRequests) {
    jextest::TempHost host;
    FakeRemote remote(kToken);
    RemoteLink link(linkTo(remote.url()));
    QStringList answers;
    RequestCarrier carrier(
        wire::requestFolder(host.root()), kHostTag, link, [&](const QString& a) { answers << a; },
        20);
    QSignalSpy carried(&carrier, &RequestCarrier::requestCarried);
    QString error;
    ASSERT_TRUE(carrier.start(&error)) << error.toStdString();
    host.write(kRowFile, GetParam().content);
    const QString marker = wire::requestText(wire::kSetSettings, kHostTag, 3, QStringLiteral("m"));
    host.write(kMarkerFile, marker.toUtf8());

    const int expected = GetParam().carried ? 2 : 1;
    ASSERT_TRUE(QTest::qWaitFor([&] { return answers.size() == expected; }, kWaitMs));
    // A second marker is carried by a scan that sees the row's file again.
    const QString again = wire::requestText(wire::kSetSettings, kHostTag, 3, QStringLiteral("n"));
    host.write(kMarkerFile, again.toUtf8());
    ASSERT_TRUE(QTest::qWaitFor([&] { return answers.contains("echo:" + again); }, kWaitMs));
    EXPECT_EQ(carried.size(), expected + 1);
    EXPECT_TRUE(answers.contains("echo:" + marker)) << answers.join(u"|").toStdString();
    EXPECT_EQ(host.exists(kRowFile), GetParam().fileLeft);
    EXPECT_FALSE(host.exists(kMarkerFile));
}

// clang-format off
const CarrierCase kCarrierCases[] = {
    {"OwnTag", kOwnFetch, true, false},
    {"OwnTagWithLineEnd", kOwnFetch + "\r\n", true, false},
    {"OwnTagOtherProfile", "Plugin_jexKDRSM_GetSettingsRem_desk_1_VB6_-4_", true, false},
    {"TagThatIsAPrefix", "Plugin_jexKDRSM_GetSettingsRem_desk_VB6_3_", false, true},
    {"TagThatExtendsOurs", "Plugin_jexKDRSM_GetSettingsRem_desk_1_2_VB6_3_", false, true},
    {"EmptyTag", "Plugin_jexKDRSM_GetSettingsRem__VB6_3_", false, true},
    {"NotARequest", "hello", false, true},
    {"StillEmpty", "", false, true},
    {"OverTheSizeLimit", kOwnFetch + QByteArray(2 << 20, 'x'), false, false},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Carrier, CarrierCases, ::testing::ValuesIn(kCarrierCases),
                         [](const auto& info) { return std::string(info.param.name); });

// A request an earlier run had claimed may or may not have gone: it is
// dropped, never carried a second time (nor put back as a request to carry).
// The folder is made private.
TEST(Carrier, StartMakesTheFolderPrivateAndDropsEarlierClaims) {
    jextest::TempHost host;
    const QString claimed = kRowFile + QStringLiteral(".carrying");
    host.write(claimed, kOwnFetch);
    const QString folder = wire::requestFolder(host.root());
    ASSERT_TRUE(QFile::setPermissions(folder, QFile::Permissions(0x7755)));  // rwxr-xr-x
    FakeRemote remote(kToken);
    RemoteLink link(linkTo(remote.url()));
    QStringList answers;
    RequestCarrier carrier(
        folder, kHostTag, link, [&](const QString& a) { answers << a; }, 20);
    QSignalSpy carried(&carrier, &RequestCarrier::requestCarried);
    QString error;
    ASSERT_TRUE(carrier.start(&error)) << error.toStdString();
    const QFile::Permissions others = QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup |
                                      QFile::ReadOther | QFile::WriteOther | QFile::ExeOther;
    EXPECT_EQ(QFileInfo(folder).permissions() & others, QFile::Permissions());
    EXPECT_TRUE(QFileInfo(folder).permissions().testFlag(QFile::WriteOwner));
    EXPECT_FALSE(host.exists(claimed));
    const QString marker = wire::requestText(wire::kSetSettings, kHostTag, 3, QStringLiteral("m"));
    host.write(kMarkerFile, marker.toUtf8());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !answers.isEmpty(); }, kWaitMs));
    EXPECT_EQ(answers, QStringList{"echo:" + marker});
    EXPECT_EQ(carried.size(), 1);
}

struct RouteCase {
    const char* name;
    const char* tag;
    qint32 profile;
    const char* server;  // the id it goes to; empty: no server of the list
};

class RouteCases : public ::testing::TestWithParam<RouteCase> {};

// A request goes to the server whose tag and profile it names, both exactly.
TEST_P(RouteCases, ARequestGoesToTheServerItNames) {
    jexhost::LinkPool pool(1000, 1000);
    jexhost::RequestRouter router(pool, nullptr, QString());
    // id, name, game, remote, token file, profile, tag
    router.setServers({{"a", "A", "G", "embedded", {}, 0, "desk"},
                       {"b", "B", "G", "embedded", {}, 1, "desk"},
                       {"c", "C", "G", "ws://far:4711", "t", 0, "other"}});
    wire::Request request;
    request.command = wire::kGetSettings;
    request.hostTag = QString::fromLatin1(GetParam().tag);
    request.profileIndex = GetParam().profile;
    const auto found = router.serverFor(request);
    EXPECT_EQ(found ? found->id : QString(), QString::fromLatin1(GetParam().server));
}

// clang-format off
const RouteCase kRouteCases[] = {
    {"FirstProfileOfATag", "desk", 0, "a"},
    {"SecondProfileOfTheSameTag", "desk", 1, "b"},
    {"SameProfileOnAnotherRemote", "other", 0, "c"},
    {"KnownTagUnknownProfile", "other", 1, ""},
    {"TagInAnotherCase", "Desk", 0, ""},
    {"EmptyTag", "", 0, ""},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Router, RouteCases, ::testing::ValuesIn(kRouteCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
