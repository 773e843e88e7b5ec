// The link's readers of versions, batches, conflicts and change notices:
// what a peer may send and what makes its message unreadable.
#include <gtest/gtest.h>

#include <optional>

#include "link/link_messages.h"

namespace {

enum class Reader { Request, Answer, Changed };

struct ReaderCase {
    const char* name;
    Reader reader;
    QString message;
    bool readable;
    std::optional<qint64> version = {};  // a readable request's base or answer's version
};

QString conflictAnswer(const QString& entry, int times = 1) {
    QStringList entries;
    for (int i = 0; i < times; ++i) entries << entry;
    return QStringLiteral(R"({"id": 1, "answer": "0", "conflict": [%1]})").arg(entries.join(u','));
}

const QString kConflict = QStringLiteral(
    R"({"setting": "Max Players:", "base": "16", "theirs": "24", "yours": "32",
        "operator": "alice", "time": "2024-05-01T12:00:00.000Z"})");

QString changed(const QString& operatorName, const QString& settings, int version = 4) {
    return QStringLiteral(R"({"changed": {"profile": 0, "version": %1, "operator": "%2",
        "time": "2024-05-01T12:00:00.000Z", "settings": [%3]}})")
        .arg(version)
        .arg(operatorName, settings);
}

QString manySettings(int count) {
    QStringList names;
    for (int i = 0; i < count; ++i) names << QStringLiteral("\"Name:\"");
    return names.join(u',');
}

class LinkReaders : public ::testing::TestWithParam<ReaderCase> {};

TEST_P(LinkReaders, ReadOnlyWellFormedMessages) {
    const ReaderCase& row = GetParam();
    std::optional<qint64> version;
    bool readable = false;
    if (row.reader == Reader::Changed) {
        readable = jexlink::readChangedMessage(row.message).has_value();
    } else {
        const auto envelope = row.reader == Reader::Request
                                  ? jexlink::readRequestMessage(row.message)
                                  : jexlink::readAnswerMessage(row.message);
        readable = envelope.has_value();
        if (envelope) version = envelope->version;
    }
    EXPECT_EQ(readable, row.readable);
    EXPECT_EQ(version, row.version);
}

const QString kBatch64 = QString(64, u'b');

INSTANTIATE_TEST_SUITE_P(
    VersionsAndNotices, LinkReaders,
    ::testing::Values(
        ReaderCase{"RequestWithBaseAndBatch", Reader::Request,
                   QStringLiteral(R"({"id": 1, "request": "x", "base": 7, "batch": "%1"})")
                       .arg(kBatch64),
                   true, 7},
        ReaderCase{"RequestBaseZero", Reader::Request,
                   R"({"id": 1, "request": "x", "base": 0})", false},
        ReaderCase{"RequestBaseNegative", Reader::Request,
                   R"({"id": 1, "request": "x", "base": -3})", false},
        ReaderCase{"RequestBaseFraction", Reader::Request,
                   R"({"id": 1, "request": "x", "base": 2.5})", false},
        ReaderCase{"RequestBaseAsText", Reader::Request,
                   R"({"id": 1, "request": "x", "base": "7"})", false},
        ReaderCase{"RequestBaseBeyondTwoToThe53", Reader::Request,
                   R"({"id": 1, "request": "x", "base": 9007199254740994})", false},
        ReaderCase{"RequestBatchTooLong", Reader::Request,
                   QStringLiteral(R"({"id": 1, "request": "x", "batch": "%1b"})").arg(kBatch64),
                   false},
        ReaderCase{"AnswerTakesVersionNotBase", Reader::Answer,
                   R"({"id": 1, "answer": "x", "base": 3, "version": 12})", true, 12},
        ReaderCase{"AnswerWithConflict", Reader::Answer, conflictAnswer(kConflict), true},
        ReaderCase{"ConflictListNotAList", Reader::Answer,
                   R"({"id": 1, "answer": "0", "conflict": {}})", false},
        ReaderCase{"ConflictWithoutYours", Reader::Answer,
                   conflictAnswer(QString(kConflict).replace("yours", "mine")), false},
        ReaderCase{"ConflictOperatorTooLong", Reader::Answer,
                   conflictAnswer(QString(kConflict).replace("alice", QString(65, u'a'))),
                   false},
        ReaderCase{"ConflictListTooLong", Reader::Answer, conflictAnswer(kConflict, 65), false},
        ReaderCase{"ChangedNotice", Reader::Changed, changed("alice", manySettings(64)), true},
        ReaderCase{"ChangedTooManySettings", Reader::Changed, changed("alice", manySettings(65)),
                   false},
        ReaderCase{"ChangedSettingNotText", Reader::Changed, changed("alice", "4"), false},
        ReaderCase{"ChangedVersionZero", Reader::Changed, changed("alice", {}, 0), false},
        ReaderCase{"ChangedOperatorTooLong", Reader::Changed,
                   changed(QString(65, u'a'), {}), false}),
    [](const auto& info) { return std::string(info.param.name); });

// Every field a conflict answer carries comes back under its own name.
TEST(LinkMessages, ConflictAnswerReadsBackWhole) {
    const jexlink::Conflict conflict{"Max Players:", "16",    "24",
                                     "32",           "alice", "2024-05-01T12:00:00.000Z"};
    const auto read = jexlink::readAnswerMessage(
        jexlink::answerMessage({9, "0", "2 settings conflict", std::nullopt, {}, {conflict}}));
    ASSERT_TRUE(read);
    EXPECT_EQ(read->conflicts, QList{conflict});
    EXPECT_EQ(read->reason, "2 settings conflict");
}

}  // namespace
