// What the audit trail keeps, in-process: lines cut by a crash are skipped,
// every record survives archiving, and retention removes an archive only
// when its records are old by the trail's own times, whatever the clock says.
#include <QDir>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTimeZone>

#include <gtest/gtest.h>

#include "remote/audit/audit_trail.h"
#include "remote/audit/gzip_text.h"
#include "support/temp_host.h"

namespace {

struct TrailCase {
    const char* name;
    QByteArray found;   // the audit file before one more record
    int recordsBefore;  // readable records in it
    QByteArray after;   // the file once {"n":9} is appended
};

class TrailCases : public ::testing::TestWithParam<TrailCase> {};

TEST_P(TrailCases, SkipsUnreadableLinesAndAppendsOnAFreshLine) {
    jextest::TempHost host;
    host.write(QStringLiteral("audit.jsonl"), GetParam().found);
    jexremote::AuditTrail trail(host.root());
    EXPECT_EQ(trail.records().size(), GetParam().recordsBefore);
    QString error;
    ASSERT_TRUE(trail.append(QJsonObject{{"n", 9}}, &error)) << error.toStdString();
    EXPECT_EQ(host.read(QStringLiteral("audit.jsonl")), GetParam().after);
    EXPECT_EQ(trail.records().size(), GetParam().recordsBefore + 1);
    EXPECT_EQ(trail.records().last(), (QJsonObject{{"n", 9}}));
}

// clang-format off
const TrailCase kTrailCases[] = {
    {"Missing", "", 0, "{\"n\":9}\n"},
    {"Whole", "{\"n\":1}\n", 1, "{\"n\":1}\n{\"n\":9}\n"},
    {"CutLastRecord", "{\"n\":1}\n{\"n\":2,\"chan", 1, "{\"n\":1}\n{\"n\":2,\"chan\n{\"n\":9}\n"},
    {"NotObjects", "[1]\nnull\n\n{\"n\":1}\n", 1, "[1]\nnull\n\n{\"n\":1}\n{\"n\":9}\n"},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Files, TrailCases, ::testing::ValuesIn(kTrailCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Records of 2024-05-01 at 12:00:0N.
QJsonObject recordAt(int n) {
    return {{"n", n}, {"time", QStringLiteral("2024-05-01T12:00:0%1.000Z").arg(n)}};
}

QByteArray gunzip(const QString& path) {
    QProcess gunzip;
    gunzip.start(QStringLiteral("gunzip"), {QStringLiteral("-c"), path});
    gunzip.waitForFinished();
    return gunzip.readAllStandardOutput();
}

TEST(AuditTrail, ArchivesBySizeAndKeepsEveryRecord) {
    jextest::TempHost host;
    // Each record is 42 bytes: two fit a file of 100 bytes.
    jexremote::AuditTrail trail(host.root(), {100, jexremote::kMaxAuditDays});
    QString error;
    for (int n = 1; n <= 7; ++n) ASSERT_TRUE(trail.append(recordAt(n), &error));
    EXPECT_EQ(QDir(host.root()).entryList(QDir::Files),
              (QStringList{"audit-000001-20240501T120002Z.jsonl.gz",
                           "audit-000002-20240501T120004Z.jsonl.gz",
                           "audit-000003-20240501T120006Z.jsonl.gz", "audit.jsonl"}));
    EXPECT_EQ(gunzip(host.path("audit-000002-20240501T120004Z.jsonl.gz")),
              "{\"n\":3,\"time\":\"2024-05-01T12:00:03.000Z\"}\n"
              "{\"n\":4,\"time\":\"2024-05-01T12:00:04.000Z\"}\n");
    EXPECT_EQ(trail.records().size(), 7);
    EXPECT_EQ(trail.records().first(), recordAt(1));
}

// A time in a test's file names and records: "D10" is ten days before the
// test's start, anything else as written ("20200101T000000Z").
struct Times {
    QDateTime start = QDateTime::currentDateTimeUtc();
    QDateTime at(const QString& token) const {
        if (token.startsWith(u'D')) return start.addDays(-token.mid(1).toInt());
        QDateTime time = QDateTime::fromString(token, QStringLiteral("yyyyMMdd'T'HHmmss'Z'"));
        time.setTimeZone(QTimeZone::utc());
        return time;
    }
    // A file name with its tokens written as archive times.
    QString name(QString name) const {
        static const QRegularExpression kToken(QStringLiteral("D[0-9]+"));
        for (const auto& match : kToken.globalMatch(name))
            name.replace(match.captured(), at(match.captured()).toString("yyyyMMdd'T'HHmmss'Z'"));
        return name;
    }
};

struct FoundFile {
    const char* name;
    QStringList times;  // its records' times, in order
};

struct KeptCase {
    const char* name;
    QList<FoundFile> found;
    QStringList kept;   // files after open()
    int clockDays = 0;  // how far the clock is ahead of the test's start
};

class KeptCases : public ::testing::TestWithParam<KeptCase> {};

TEST_P(KeptCases, OpenArchivesWhatIsLeftAndRemovesOnlyWhatIsPastRetention) {
    jextest::TempHost host;
    const Times times;
    for (const FoundFile& file : GetParam().found) {
        QByteArray text;
        for (const QString& time : file.times)
            text += "{\"time\":\"" + times.at(time).toString(Qt::ISODateWithMs).toUtf8() + "\"}\n";
        const QString name = times.name(QString::fromLatin1(file.name));
        host.write(name, name.endsWith(u".gz") ? jexremote::gzipped(text) : text);
    }
    const QDateTime now = times.start.addDays(GetParam().clockDays);
    jexremote::AuditTrail trail(host.root(), {1 << 20, 30, [now] { return now; }});
    trail.open();
    QStringList kept;
    for (const QString& name : GetParam().kept) kept << times.name(name);
    EXPECT_EQ(QDir(host.root()).entryList(QDir::Files), kept);
}

// clang-format off
const KeptCase kKeptCases[] = {
    {"PastRetentionRemoved",
     {{"audit-000001-20200101T000000Z.jsonl.gz", {"20200101T000000Z"}},
      {"audit-000002-D1.jsonl.gz", {"D1"}}, {"audit.jsonl", {"D1"}}},
     {"audit-000002-D1.jsonl.gz", "audit.jsonl"}},
    {"CurrentFileNeverRemoved", {{"audit.jsonl", {"20200101T000000Z"}}}, {"audit.jsonl"}},
    {"UncompressedArchiveCompressed", {{"audit-000004.jsonl", {"D1"}}}, {"audit-000004-D1.jsonl.gz"}},
    {"CompressedTwiceKeepsTheCompressedOne",
     {{"audit-000004.jsonl", {"D1"}}, {"audit-000004-D1.jsonl.gz", {"D1"}}},
     {"audit-000004-D1.jsonl.gz"}},
    {"EarlierReleaseFilesTakenIn",
     {{"audit.2.jsonl", {"D2"}}, {"audit.1.jsonl", {"D1"}}, {"audit.jsonl", {"D1"}}},
     {"audit-000001-D2.jsonl.gz", "audit-000002-D1.jsonl.gz", "audit.jsonl"}},
    // The clock stepped back a day while it filled: named by its newest record.
    {"ArchiveNamedByItsNewestRecord", {{"audit-000004.jsonl", {"D2", "D3"}}},
     {"audit-000004-D2.jsonl.gz"}},
    {"EarlierNameOfItsLastRecordNotTrusted",
     {{"audit-000001-D32.jsonl.gz", {"D29", "D32"}}, {"audit.jsonl", {"D1"}}},
     {"audit-000001-D32.jsonl.gz", "audit.jsonl"}},
    {"ClockFarAheadAtStart",
     {{"audit-000001-D10.jsonl.gz", {"D10"}}, {"audit.jsonl", {"D1"}}},
     {"audit-000001-D10.jsonl.gz", "audit.jsonl"}, 400},
    // Records written under a clock ten years behind, after others.
    {"WrittenUnderAClockSetBack",
     {{"audit-000001-D10.jsonl.gz", {"D10"}}, {"audit-000002-D3650.jsonl.gz", {"D3650"}},
      {"audit.jsonl", {"D1"}}},
     {"audit-000001-D10.jsonl.gz", "audit-000002-D3650.jsonl.gz", "audit.jsonl"}},
    {"ClockBeforeTheNewestRecordRemovesNothing",
     {{"audit-000001-D400.jsonl.gz", {"D400"}}, {"audit.jsonl", {"D1"}}},
     {"audit-000001-D400.jsonl.gz", "audit.jsonl"}, -200},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Archives, KeptCases, ::testing::ValuesIn(kKeptCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
