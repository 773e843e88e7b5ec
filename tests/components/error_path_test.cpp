// What jexrcZTA.clsMFD leaves under the host on an error path: LogError
// appends one parseable line to logs/, SendErrorReport writes one report
// file to outbox/. Neither ever raises.
#include <gtest/gtest.h>

#include <QDateTime>
#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include "component_test.h"

namespace {

using jextest::raisedNumber;

class ErrorLog : public jextest::MfdTest {
protected:
    void logError(qint32 number, const QString& description, const QString& procedure,
                  qint32 line) {
        jex::call(mfd.get(), "LogError",
                  {"jexrcKDRSM.dll", procedure,
                   QVariant::fromValue(jex::ErrObject{number, description}), line});
    }
};

TEST_F(ErrorLog, AppendsOneLineOfSixFieldsPerError) {
    logError(13, "Type mismatch", "cmdSave", 120);
    logError(1004, "first\tsecond\r\nthird", "Remote\nData", 0);
    logError(5, QString(), "SetPrivis", 30);

    // Fields after the time stamp; tabs and line breaks in texts become blanks.
    const QString log = QString::fromUtf8(host.read("logs/jexrcKDRSM_errors.log"));
    EXPECT_TRUE(QDateTime::fromString(log.section(u'\t', 0, 0), Qt::ISODateWithMs).isValid());
    EXPECT_EQ(
        QString(log).remove(QRegularExpression("^[^\t\n]*\t", QRegularExpression::MultilineOption)),
        "jexrcKDRSM.dll\tcmdSave\t13\tType mismatch\t120\n"
        "jexrcKDRSM.dll\tRemote Data\t1004\tfirst second  third\t0\n"
        "jexrcKDRSM.dll\tSetPrivis\t5\t\t30\n");
}

TEST_F(ErrorLog, NeverRaisesWhenTheLogCannotBeWritten) {
    host.write("logs", "a file where the folder belongs");
    EXPECT_EQ(raisedNumber([&] { logError(13, "Type mismatch", "cmdLoad", 10); }), 0);
    EXPECT_EQ(host.read("logs"), QByteArray("a file where the folder belongs"));
}

const QVariantList kRecord = {13, "Type mismatch", "jexrcKDRSM.dll 1.1.8", "cmdSave", "False", 120};

class ErrorReport : public jextest::MfdTest {
protected:
    // Raising would fail the test as an exception thrown in its body.
    QVariant send(const QVariantList& record) {
        return jex::call(mfd.get(), "SendErrorReport", {QVariant(record)});
    }
    QStringList reports() const {
        return QDir(host.path("outbox")).entryList({"*.json"}, QDir::Files, QDir::Name);
    }
};

TEST_F(ErrorReport, WritesEachRecordToItsOwnFileInTheOutbox) {
    for (int i = 0; i < 3; ++i) EXPECT_EQ(send(kRecord), QVariant(true));
    const QStringList files = reports();
    ASSERT_EQ(files.size(), 3);
    QJsonObject report = QJsonDocument::fromJson(host.read("outbox/" + files[0])).object();
    EXPECT_TRUE(report.contains("created"));
    report.remove("created");
    EXPECT_EQ(QJsonDocument(report).toJson(QJsonDocument::Compact),
              R"({"critical":"False","description":"Type mismatch",)"
              R"("library":"jexrcKDRSM.dll 1.1.8","line":120,"number":13,"procedure":"cmdSave"})");
}

TEST_F(ErrorReport, OtherRecordsGiveFalseAndWriteNothing) {
    for (const QVariantList& record :
         {QVariantList(), kRecord.mid(0, 5), kRecord + QVariantList{2}})
        EXPECT_EQ(send(record), QVariant(false)) << record.size();
    EXPECT_TRUE(reports().isEmpty());
}

TEST_F(ErrorReport, BlockedOutboxGivesFalse) {
    host.write("outbox", "a file where the folder belongs");
    EXPECT_EQ(send(kRecord), QVariant(false));
}

}  // namespace
