// Batch records as a disk, a crash or a hand may leave them: each is either
// refused whole, with its reason and without reading more than it must, or
// read with each damaged server marked as such.
#include <QFile>

#include <gtest/gtest.h>

#include <functional>

#include "host/fleet/batch_journal.h"
#include "support/temp_host.h"

namespace {

using jexhost::fleet::BatchJournal;

const QString kId = QStringLiteral("20261207T024501Z-9f3a0c51d2e7");
const QByteArray kHeader =
    R"({"id":"20261207T024501Z-9f3a0c51d2e7","time":"2026-12-07T02:45:01Z","settings":["Players"],)"
    R"("finished":true,"entries":)";
QByteArray server(const char* id, const char* versionAfter) {
    return QByteArray(R"({"id":")") + id + R"(","name":")" + id +
           R"(","outcome":"applied","versionBefore":3,"versionAfter":)" + versionAfter +
           R"(,"before":{"Players":"31"},"after":{"Players":"15"}})";
}

// What this process has read from files so far.
qint64 bytesRead() {
    QFile io(QStringLiteral("/proc/self/io"));
    if (!io.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : io.readAll().split('\n'))
        if (line.startsWith("rchar:")) return line.mid(6).trimmed().toLongLong();
    return -1;
}

struct RecordCase {
    const char* name;
    std::function<void(QFile& file)> write;
    const char* error;     // what the refusal says, or empty when the record is read
    QStringList damages;   // else each server's damage, in order
    qint64 mostBytesRead;  // while reading it
};

class BatchRecords : public testing::TestWithParam<RecordCase> {};

TEST_P(BatchRecords, AreRefusedWholeOrReadWithEachServersDamage) {
    jextest::TempHost host;
    const BatchJournal journal(host.path("batches"));
    host.write("batches/" + kId + ".json", "");
    QFile file(host.path("batches/" + kId + ".json"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    GetParam().write(file);
    file.close();

    QString error;
    const qint64 before = bytesRead();
    const auto record = journal.read(kId, &error);
    EXPECT_LE(bytesRead() - before, GetParam().mostBytesRead);
    EXPECT_TRUE(error.contains(GetParam().error)) << error.toStdString();
    ASSERT_EQ(record.has_value(), QByteArray(GetParam().error).isEmpty());
    if (!record) return;
    QStringList damages;
    for (const auto& server : record->servers) damages << server.damage;
    EXPECT_EQ(damages, GetParam().damages);
}

constexpr qint64 kMiB = 1 << 20;

INSTANTIATE_TEST_SUITE_P(
    Fleet, BatchRecords,
    testing::Values(
        RecordCase{"Sound",
                   [](QFile& f) {
                       f.write(kHeader + "2}\n" + server("a", "4") + "\n" + server("b", "9") +
                               "\n");
                   },
                   "",
                   {"", ""},
                   kMiB},
        // Sent as a base, such versions would close the link under every
        // server of the remote side.
        RecordCase{"VersionsOutOfRangeAreTheirServersDamage",
                   [](QFile& f) {
                       f.write(kHeader + "4}\n" + server("a", "1152921504606846976") + "\n" +
                               server("b", "0") + "\n" + server("c", "2.5") + "\n" +
                               server("d", "null") + "\n");
                   },
                   "",
                   {"its versionAfter is not a version", "its versionAfter is not a version",
                    "its versionAfter is not a version", ""},
                   kMiB},
        RecordCase{
            "AnUnreadableLineIsItsServersDamage",
            [](QFile& f) { f.write(kHeader + "2}\n{\"id\": cut\n" + server("b", "9") + "\n"); },
            "",
            {"its line cannot be read", ""},
            kMiB},
        RecordCase{"ARecordCutShortIsRefused",
                   [](QFile& f) { f.write(kHeader + "3}\n" + server("a", "4") + "\n"); },
                   "holds 1 of its 3 servers",
                   {},
                   kMiB},
        RecordCase{"MoreServersThanABatchHoldsAreRefused",
                   [](QFile& f) {
                       f.write(kHeader + "10001}\n");
                       for (int i = 0; i <= 10000; ++i) f.write(server("a", "4") + "\n");
                   },
                   "more than 10000 servers",
                   {},
                   40 * kMiB},
        // 600 MiB: refused by its size, before any of it is read.
        RecordCase{"ARecordLargerThanABatchCanBeIsRefusedUnread",
                   [](QFile& f) {
                       f.write(kHeader + "1}\n" + server("a", "4") + "\n");
                       f.resize(600 * kMiB);
                   },
                   "larger than a batch of 10000 servers can be (80 MiB); not read",
                   {},
                   kMiB}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
