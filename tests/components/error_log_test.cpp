// LogError of jexrcZTA.clsMFD: one parseable line per error in the host's
// logs folder, and never an error of its own.
#include <gtest/gtest.h>

#include <QDateTime>

#include "component_test.h"
#include "jex/latebound.h"
#include "support/temp_host.h"

namespace {

using jextest::raisedNumber;

const char* const kLog = "logs/jexrcKDRSM_errors.log";

class ErrorLog : public testing::Test {
protected:
    void logError(qint32 number, const QString& description, const QString& procedure,
                  qint32 line) {
        jex::call(mfd.get(), "LogError",
                  {QStringLiteral("jexrcKDRSM.dll"), procedure,
                   QVariant::fromValue(jex::ErrObject{number, description}), line});
    }
    QList<QStringList> logLines() const {
        QList<QStringList> lines;
        for (const QByteArray& line : host.read(kLog).split('\n')) {
            if (!line.isEmpty()) lines << QString::fromUtf8(line).split(u'\t');
        }
        return lines;
    }

    jextest::TempHost host;
    std::unique_ptr<QObject> mfd = jextest::createComponent("jexrcZTA.clsMFD");
};

TEST_F(ErrorLog, AppendsOneLinePerErrorWithItsFields) {
    logError(13, "Type mismatch", "cmdSave", 120);
    logError(76, "Path not found", "CreateButton", 20);

    const QList<QStringList> lines = logLines();
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[0].mid(1),
              QStringList({"jexrcKDRSM.dll", "cmdSave", "13", "Type mismatch", "120"}));
    EXPECT_EQ(lines[1].mid(1),
              QStringList({"jexrcKDRSM.dll", "CreateButton", "76", "Path not found", "20"}));
    EXPECT_TRUE(QDateTime::fromString(lines[0][0], Qt::ISODateWithMs).isValid())
        << lines[0][0].toStdString();
}

TEST_F(ErrorLog, TabsAndLineBreaksInTextsDoNotSplitTheLine) {
    logError(1004, "first\tsecond\r\nthird", "Remote\nData", 0);
    const QList<QStringList> lines = logLines();
    ASSERT_EQ(lines.size(), 1);
    ASSERT_EQ(lines[0].size(), 6);
    EXPECT_EQ(lines[0][2], QStringLiteral("Remote Data"));
    EXPECT_EQ(lines[0][4], QStringLiteral("first second  third"));
}

TEST_F(ErrorLog, EmptyDescriptionStillGivesSixFields) {
    logError(5, QString(), "SetPrivis", 30);
    const QList<QStringList> lines = logLines();
    ASSERT_EQ(lines.size(), 1);
    EXPECT_EQ(lines[0].size(), 6);
}

TEST_F(ErrorLog, NeverRaisesWhenTheLogCannotBeWritten) {
    host.write("logs", "a file where the folder belongs");
    EXPECT_EQ(raisedNumber([&] { logError(13, "Type mismatch", "cmdLoad", 10); }), 0);
    EXPECT_EQ(host.read("logs"), QByteArray("a file where the folder belongs"));
}

}  // namespace
