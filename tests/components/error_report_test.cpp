// SendErrorReport of jexrcZTA.clsMFD: a six-entry record becomes one report
// file in the host's outbox; anything else gives false, never an error.
#include <gtest/gtest.h>

#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>

#include "component_test.h"
#include "jex/latebound.h"
#include "support/temp_host.h"

namespace {

using jextest::raisedNumber;

QVariantList reportRecord(const QString& procedure) {
    return {13,        QStringLiteral("Type mismatch"), QStringLiteral("jexrcKDRSM.dll 1.1.8"),
            procedure, QStringLiteral("False"),         120};
}

class ErrorReport : public testing::Test {
protected:
    QVariant send(const QVariantList& record) {
        return jex::call(mfd.get(), "SendErrorReport", {QVariant(record)});
    }
    QStringList reports() const {
        return QDir(host.path("outbox")).entryList({"*.json"}, QDir::Files, QDir::Name);
    }

    jextest::TempHost host;
    std::unique_ptr<QObject> mfd = jextest::createComponent("jexrcZTA.clsMFD");
};

TEST_F(ErrorReport, WritesTheRecordToTheOutbox) {
    EXPECT_EQ(send(reportRecord("cmdSave")), QVariant(true));
    const QStringList files = reports();
    ASSERT_EQ(files.size(), 1);

    const QJsonObject report = QJsonDocument::fromJson(host.read("outbox/" + files[0])).object();
    EXPECT_EQ(report.value("number").toInt(), 13);
    EXPECT_EQ(report.value("description").toString(), QStringLiteral("Type mismatch"));
    EXPECT_EQ(report.value("library").toString(), QStringLiteral("jexrcKDRSM.dll 1.1.8"));
    EXPECT_EQ(report.value("procedure").toString(), QStringLiteral("cmdSave"));
    EXPECT_EQ(report.value("critical").toString(), QStringLiteral("False"));
    EXPECT_EQ(report.value("line").toInt(), 120);
}

TEST_F(ErrorReport, EveryReportGetsItsOwnFile) {
    for (int i = 0; i < 3; ++i) EXPECT_EQ(send(reportRecord("RemoteData")), QVariant(true));
    EXPECT_EQ(reports().size(), 3);
}

struct RecordCase {
    friend void PrintTo(const RecordCase& row, std::ostream* os) { *os << row.name; }
    const char* name;
    QVariantList record;
};

class RefusedReport : public ErrorReport, public testing::WithParamInterface<RecordCase> {};

TEST_P(RefusedReport, GivesFalseAndWritesNothing) {
    EXPECT_EQ(send(GetParam().record), QVariant(false));
    EXPECT_TRUE(reports().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(ComponentReports, RefusedReport,
                         testing::Values(RecordCase{"Empty", {}},
                                         RecordCase{"FiveEntries", {13, "a", "b", "c", "False"}},
                                         RecordCase{"SevenEntries",
                                                    {13, "a", "b", "c", "False", 1, 2}}),
                         [](const auto& info) { return info.param.name; });

TEST_F(ErrorReport, BlockedOutboxGivesFalseWithoutError) {
    host.write("outbox", "a file where the folder belongs");
    QVariant sent;
    EXPECT_EQ(raisedNumber([&] { sent = send(reportRecord("cmdLoad")); }), 0);
    EXPECT_EQ(sent, QVariant(false));
}

}  // namespace
