// The link's readers of versions, batches, conflicts and change notices:
// what a peer may send and what makes its message unreadable.
#include <gtest/gtest.h>

#include <optional>

#include "link/link_messages.h"

namespace {

enum class Reader { Request, Answer, Changed, Revert };

struct ReaderCase {
    const char* name;
    Reader reader;
    QString message;
    bool readable;
    std::optional<qint64> version = {};  // a request's base, an answer's version
};

const QString kConflict = QStringLiteral(
    R"({"setting": "Max Players:", "base": "16", "theirs": "24", "yours": "32",
        "operator": "alice", "time": "2024-05-01T12:00:00.000Z"})");

QString conflictAnswer(const QString& list) {
    return QStringLiteral(R"({"id": 1, "answer": "0", "conflict": %1})").arg(list);
}

QString repeated(const QString& item, int times) {
    return QStringList(times, item).join(u',');
}

QString changed(const QString& operatorName, const QString& settings, int version = 4) {
    return QStringLiteral(R"({"changed": {"profile": 0, "version": %1, "operator": "%2",
        "time": "2024-05-01T12:00:00.000Z", "settings": [%3]}})")
        .arg(version)
        .arg(operatorName, settings);
}

class LinkReaders : public ::testing::TestWithParam<ReaderCase> {};

TEST_P(LinkReaders, ReadOnlyWellFormedMessages) {
    const ReaderCase& row = GetParam();
    if (row.reader == Reader::Changed) {
        EXPECT_EQ(jexlink::readChangedMessage(row.message).has_value(), row.readable);
        return;
    }
    if (row.reader == Reader::Revert) {
        const auto revert = jexlink::readRevertAnswer(row.message);
        EXPECT_EQ(revert.has_value(), row.readable);
        EXPECT_EQ(revert ? revert->second.version : std::nullopt, row.version);
        return;
    }
    const auto envelope = row.reader == Reader::Request ? jexlink::readRequestMessage(row.message)
                                                        : jexlink::readAnswerMessage(row.message);
    EXPECT_EQ(envelope.has_value(), row.readable);
    EXPECT_EQ(envelope ? envelope->version : std::nullopt, row.version);
}

const QString kBatch64(64, u'b');
const QString kName = QStringLiteral("\"Name:\"");

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    VersionsAndNotices, LinkReaders,
    ::testing::Values(
        ReaderCase{"RequestWithBaseAndBatch", Reader::Request,
                   QStringLiteral(R"({"id": 1, "request": "x", "base": 7, "batch": "%1"})").arg(kBatch64), true, 7},
        ReaderCase{"RequestBaseZero", Reader::Request, R"({"id": 1, "request": "x", "base": 0})", false},
        ReaderCase{"RequestBaseNegative", Reader::Request, R"({"id": 1, "request": "x", "base": -3})", false},
        ReaderCase{"RequestBaseFraction", Reader::Request, R"({"id": 1, "request": "x", "base": 2.5})", false},
        ReaderCase{"RequestBaseAsText", Reader::Request, R"({"id": 1, "request": "x", "base": "7"})", false},
        ReaderCase{"RequestBatchTooLong", Reader::Request,
                   QStringLiteral(R"({"id": 1, "request": "x", "batch": "%1b"})").arg(kBatch64), false},
        ReaderCase{"AnswerTakesVersionNotBase", Reader::Answer,
                   R"({"id": 1, "answer": "x", "base": 3, "version": 12})", true, 12},
        ReaderCase{"StoredRevertNamesItsVersion", Reader::Revert,
                   R"({"id": 5, "revert": {"ok": true, "reason": "", "version": 9}})", true, 9},
        ReaderCase{"RevertWithoutVersion", Reader::Revert, R"({"id": 5, "revert": {"ok": false, "reason": "no"}})", true},
        ReaderCase{"RevertVersionZero", Reader::Revert,
                   R"({"id": 5, "revert": {"ok": true, "reason": "", "version": 0}})", false},
        ReaderCase{"AnswerWithConflicts", Reader::Answer, conflictAnswer(u'[' + repeated(kConflict, 64) + u']'), true},
        ReaderCase{"ConflictListTooLong", Reader::Answer, conflictAnswer(u'[' + repeated(kConflict, 65) + u']'), false},
        ReaderCase{"ConflictListNotAList", Reader::Answer, conflictAnswer(kConflict), false},
        ReaderCase{"ConflictWithoutYours", Reader::Answer,
                   conflictAnswer(u'[' + QString(kConflict).replace("yours", "mine") + u']'), false},
        ReaderCase{"ConflictOperatorTooLong", Reader::Answer,
                   conflictAnswer(u'[' + QString(kConflict).replace("alice", QString(65, u'a')) + u']'), false},
        ReaderCase{"ChangedNotice", Reader::Changed, changed("alice", repeated(kName, 64)), true},
        ReaderCase{"ChangedTooManySettings", Reader::Changed, changed("alice", repeated(kName, 65)), false},
        ReaderCase{"ChangedSettingNotText", Reader::Changed, changed("alice", "4"), false},
        ReaderCase{"ChangedVersionZero", Reader::Changed, changed("alice", kName, 0), false},
        ReaderCase{"ChangedOperatorAtItsLongest", Reader::Changed, changed(QString(64, u'a'), kName), true},
        ReaderCase{"ChangedOperatorTooLong", Reader::Changed, changed(QString(65, u'a'), kName), false}),
    [](const auto& info) { return std::string(info.param.name); });
// clang-format on

// A refused revert stored nothing: its answer names no version, even one the
// caller left in the outcome.
TEST(LinkWriters, ARefusedRevertNamesNoVersion) {
    const auto refused = jexlink::readRevertAnswer(
        jexlink::revertAnswerMessage(5, {false, QStringLiteral("no such version"), 9}));
    ASSERT_TRUE(refused);
    EXPECT_EQ(refused->second.version, std::nullopt);
    const auto stored = jexlink::readRevertAnswer(jexlink::revertAnswerMessage(5, {true, {}, 9}));
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->second.version, std::optional<qint64>(9));
}

}  // namespace
