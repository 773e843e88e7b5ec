// What the remote side refuses on an open link, in-process: updates, reverts
// and history requests past an operator's rate (answered at once with the
// reason, the other operator untouched), ids that are not whole numbers from
// 0 to 2^53 in any message kind, and frames a client did not mask.
#include <QTest>

#include <gtest/gtest.h>

#include "link/link_messages.h"
#include "raw_peer.h"
#include "remote/remote_service.h"
#include "remote_client.h"
#include "remote_fixture.h"
#include "support/temp_host.h"

namespace {

using jextest::Client;
using jextest::kLeeToken;
using jextest::kRootToken;
constexpr int kWaitMs = jextest::kRemoteWaitMs;

// One server; root and lee, each allowed one update and one history request a
// second, two at once.
struct Remote : jextest::InProcessRemote {
    Remote() : InProcessRemote([](auto& o) { o.updatesPerSecond = o.historyPerSecond = 1; }) {}
};

// Sends the messages at once and waits for as many answers (or the close).
QStringList exchange(Client& client, const QStringList& messages) {
    const qsizetype before = client.received.size();
    for (const QString& message : messages) client.socket.sendTextMessage(message);
    (void)QTest::qWaitFor(
        [&] { return client.received.size() >= before + messages.size() || client.closed; },
        kWaitMs);
    return client.received.mid(before);
}

QString update(qint64 id) {
    return jexlink::requestMessage(id, jextest::updateRequest(jextest::restatingBody()));
}

// The reason a refused answer of any kind gives; empty when it was served.
QString refusalOf(const QString& answer) {
    if (const auto envelope = jexlink::readAnswerMessage(answer)) return envelope->reason;
    if (const auto history = jexlink::readHistoryAnswer(answer)) return history->second.refusal;
    if (const auto revert = jexlink::readRevertAnswer(answer)) return revert->second.reason;
    if (const auto kept = jexlink::readKeptSettingsAnswer(answer)) return kept->second.refusal;
    return QStringLiteral("(not an answer)");
}

struct RateCase {
    const char* name;
    QString (*message)(qint64 id);
    const char* refusal;  // of the third message in a row
};

class RateCases : public ::testing::TestWithParam<RateCase> {};

TEST_P(RateCases, ThirdInARowIsRefusedWithTheReasonAndOnlyForItsOperator) {
    Remote remote;
    Client root, lee;
    ASSERT_TRUE(root.welcomed(remote.url(), kRootToken));
    ASSERT_TRUE(lee.welcomed(remote.url(), kLeeToken));
    const auto message = GetParam().message;
    const QStringList answers = exchange(root, {message(1), message(2), message(3)});
    ASSERT_EQ(answers.size(), 3);
    EXPECT_EQ(refusalOf(answers[0]), "");
    EXPECT_EQ(refusalOf(answers[1]), "");
    EXPECT_EQ(refusalOf(answers[2]), GetParam().refusal);
    EXPECT_TRUE(jextest::serves(root)) << "fetches are not counted";

    const QStringList others = exchange(lee, {message(4)});
    ASSERT_EQ(others.size(), 1);
    EXPECT_EQ(refusalOf(others[0]), "") << "another operator's turns are their own";
}

// clang-format off
const RateCase kRateCases[] = {
    {"Updates", update,
     "operator root: too many updates (the limit is 1 a second); try again shortly"},
    {"Reverts", [](qint64 id) { return jexlink::revertRequestMessage({id, 0, 1}); },
     "operator root: too many updates (the limit is 1 a second); try again shortly"},
    {"History", [](qint64 id) { return jexlink::historyRequestMessage(id, 0); },
     "operator root: too many history requests (the limit is 1 a second); try again shortly"},
    {"KeptVersions", [](qint64 id) { return jexlink::keptSettingsRequestMessage({id, 0, 1}); },
     "operator root: too many history requests (the limit is 1 a second); try again shortly"},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Rates, RateCases, ::testing::ValuesIn(kRateCases),
                         [](const auto& info) { return std::string(info.param.name); });

struct KeptVersionCase {
    const char* name;
    int profile;
    qint64 version;
    const char* answerStart;  // of the settings reply; empty when refused
    const char* refusal;
    bool asFetchedFirst;  // the whole reply the fetch gave before the rename
};

class KeptVersionCases : public ::testing::TestWithParam<KeptVersionCase> {};

// After root renamed the server, version 1 is the server as found and 2 the renamed one.
TEST_P(KeptVersionCases, AnswerAKeptVersionsSettingsOrWhyNot) {
    Remote remote;
    Client root;
    ASSERT_TRUE(root.welcomed(remote.url(), kRootToken));
    const QString found = root.ask(jextest::fetchRequest());
    ASSERT_EQ(root.ask(jextest::updateRequest(jextest::restatingBody(QStringLiteral("Renamed")))),
              "1");

    const auto& row = GetParam();
    const QStringList answers =
        exchange(root, {jexlink::keptSettingsRequestMessage({7, row.profile, row.version})});
    ASSERT_EQ(answers.size(), 1);
    const auto kept = jexlink::readKeptSettingsAnswer(answers[0]);
    ASSERT_TRUE(kept);
    EXPECT_EQ(kept->second.refusal, row.refusal);
    const QString start = QString::fromUtf8(row.answerStart);
    EXPECT_EQ(kept->second.answer.left(start.isEmpty() ? 1 : start.size()), start);
    if (row.asFetchedFirst) {
        EXPECT_EQ(kept->second.answer, found);
    }
}

// clang-format off
const KeptVersionCase kKeptVersionCases[] = {
    {"AsFound", 0, 1, "TmlnaHQgT3Bz|", "", true},
    {"Renamed", 0, 2, "UmVuYW1lZA==|", "", false},
    {"NeverKept", 0, 9, "", "version 9: not kept", false},
    {"ProfileNotHere", 5, 1, "", "profile 5 is not managed here", false},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Versions, KeptVersionCases, ::testing::ValuesIn(kKeptVersionCases),
                         [](const auto& info) { return std::string(info.param.name); });

struct IdCase {
    const char* name;
    const char* message;  // {ID} stands for the id
    const char* id;
    bool served;
};

class IdCases : public ::testing::TestWithParam<IdCase> {};

TEST_P(IdCases, OnlyWholeNumbersUpTo2Pow53AreServed) {
    Remote remote;
    Client root;
    ASSERT_TRUE(root.welcomed(remote.url(), kRootToken));
    const QString message =
        QString::fromUtf8(GetParam().message).replace("{ID}", QString::fromUtf8(GetParam().id));
    const QStringList answers = exchange(root, {message});
    if (GetParam().served) {
        ASSERT_EQ(answers.size(), 1);
        EXPECT_TRUE(answers[0].contains("\"id\":9007199254740992")) << answers[0].toStdString();
    } else {
        EXPECT_TRUE(root.closed);
        EXPECT_EQ(answers, QStringList());
    }
}

#define REQUEST R"({"id": {ID}, "request": "Plugin_jexKDRSM_GetSettingsRem_t_VB6_0_"})"
#define HISTORY R"({"id": {ID}, "history": 0})"
#define REVERT R"({"id": {ID}, "revert": {"profile": 0, "version": 1}})"
#define KEPT R"({"id": {ID}, "settings": {"profile": 0, "version": 1}})"
// clang-format off
const IdCase kIdCases[] = {
    {"Request2Pow53", REQUEST, "9007199254740992", true},
    {"RequestNegative", REQUEST, "-1", false},
    {"RequestFraction", REQUEST, "1.5", false},
    {"RequestOver2Pow53", REQUEST, "9007199254740994", false},
    {"RequestText", REQUEST, "\"7\"", false},
    {"History2Pow53", HISTORY, "9007199254740992", true},
    {"HistoryNegative", HISTORY, "-1", false},
    {"HistoryFraction", HISTORY, "1.5", false},
    {"HistoryOver2Pow53", HISTORY, "1e300", false},
    {"Revert2Pow53", REVERT, "9007199254740992", true},
    {"RevertFraction", REVERT, "0.5", false},
    {"RevertText", REVERT, "\"7\"", false},
    {"Kept2Pow53", KEPT, "9007199254740992", true},
    {"KeptFraction", KEPT, "1.5", false},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Ids, IdCases, ::testing::ValuesIn(kIdCases),
                         [](const auto& info) { return std::string(info.param.name); });

struct FrameCase {
    const char* name;
    bool masked;
    int bytesPerWrite;  // 0: the frame in one write
    bool served;
};

class FrameCases : public ::testing::TestWithParam<FrameCase> {};

TEST_P(FrameCases, OnlyMaskedFramesAreServed) {
    Remote remote;
    jextest::RawPeer peer;
    ASSERT_TRUE(peer.welcomed(remote.url(), kRootToken));
    // Two requests in a row, the second with a payload over 125 bytes.
    const QString fetch = jextest::fetchRequest();
    const QByteArray frames =
        jextest::RawPeer::textFrame(jexlink::requestMessage(1, fetch).toUtf8(), GetParam().masked) +
        jextest::RawPeer::textFrame(jexlink::requestMessage(2, fetch + QString(100, u'x')).toUtf8(),
                                    GetParam().masked);
    const int step = GetParam().bytesPerWrite > 0 ? GetParam().bytesPerWrite : int(frames.size());
    for (qsizetype at = 0; at < frames.size(); at += step) {
        peer.socket.write(frames.mid(at, step));
        peer.socket.flush();
        QTest::qWait(1);
    }
    if (GetParam().served) {
        // A fetch's answer: {"answer": ..., "id": N, "version": V}
        EXPECT_TRUE(QTest::qWaitFor([&] { return peer.received.contains("\"id\":2,"); }, kWaitMs));
        EXPECT_TRUE(peer.received.contains("\"id\":1,"));
        EXPECT_FALSE(peer.closed());
    } else {
        EXPECT_TRUE(peer.closesWithin(kWaitMs));
        EXPECT_FALSE(peer.received.contains("answer"));
    }
}

// clang-format off
const FrameCase kFrameCases[] = {
    {"Masked", true, 0, true},
    {"MaskedAByteAtATime", true, 1, true},
    {"MaskedInThrees", true, 3, true},
    {"Unmasked", false, 0, false},
    {"UnmaskedAByteAtATime", false, 1, false},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Frames, FrameCases, ::testing::ValuesIn(kFrameCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
