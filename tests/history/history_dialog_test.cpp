// The History dialog with a scripted source: it lists what the source sends
// without any password text, and its Revert asks, sends the chosen version
// and shows the outcome in the real message boxes.
#include <gtest/gtest.h>

#include <QJsonDocument>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTreeWidget>

#include <functional>

#include "host/history_ui/history_dialog.h"
#include "model/lobby.h"
#include "support/modal_driver.h"

namespace {

using jexhost::history::HistoryDialog;
using jexhost::history::HistorySource;

// Answers like a link would: later, from the event loop.
class ScriptedSource final : public HistorySource {
public:
    QStringList calls;
    std::function<void(ScriptedSource&)> revertAnswer;  // none: never answers
    QHash<qint64, QString> kept;                        // settings replies by version
    QString body;                                       // of the last update

    void requestVersion(int profile, qint64 version) override {
        calls << QStringLiteral("version %1 %2").arg(profile).arg(version);
        QTimer::singleShot(0, this,
                           [=, this] { emit versionArrived(version, kept.value(version)); });
    }
    void requestSettings(int profile) override {
        calls << QStringLiteral("settings %1").arg(profile);
        QTimer::singleShot(0, this, [this] { emit settingsArrived(modeltest::kLobbyReply, 13); });
    }
    void requestUpdate(int profile, const QString& update, qint64 base) override {
        calls << QStringLiteral("update %1 base %2").arg(profile).arg(base);
        body = update;
        QTimer::singleShot(0, this, [this] { emit updateAnswered({0, "1"}); });
    }

    void requestHistory(int profile) override {
        calls << QStringLiteral("history %1").arg(profile);
        QTimer::singleShot(0, this, [this] { emit historyArrived(history()); });
    }
    void requestRevert(int profile, qint64 version) override {
        calls << QStringLiteral("revert %1 %2").arg(profile).arg(version);
        if (revertAnswer) QTimer::singleShot(0, this, [this] { revertAnswer(*this); });
    }

    static jexlink::History history() {
        const char* records = R"([{"time": "2024-05-01T12:00:00Z", "operator": "lee",
          "version": 12, "changes": [
           {"setting": "ServerName", "old": "Night Ops", "new": "Renamed"},
           {"setting": "Password", "changed": true, "old": "hunter2", "new": "s3cret"}]}])";
        const char* versions = R"([
          {"version": 13, "time": "2024-05-01T12:03:00Z", "operator": "ann"},
          {"version": 12, "time": "2024-05-01T12:00:00Z", "operator": "lee"}])";
        return {QJsonDocument::fromJson(records).array(),
                QJsonDocument::fromJson(versions).array()};
    }
};

// Answers only when the test says so.
class HoldingSource final : public HistorySource {
public:
    int asked = 0;
    void requestHistory(int) override { ++asked; }
    void requestRevert(int, qint64) override { ++asked; }
};

class HistoryDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        hadZone_ = qEnvironmentVariableIsSet("TZ");
        zone_ = qgetenv("TZ");
        qputenv("TZ", "UTC");
    }
    void TearDown() override { hadZone_ ? qputenv("TZ", zone_) : qunsetenv("TZ"); }

    void open() {
        dialog.show();
        ASSERT_TRUE(QTest::qWaitFor([&] { return dialog.versions()->topLevelItemCount() == 2; }));
    }

    ScriptedSource source;
    HistoryDialog dialog{&source, 3, "Alpha"};

private:
    bool hadZone_ = false;
    QByteArray zone_;
};

TEST_F(HistoryDialogTest, ListsRecordsWithoutPasswordText) {
    open();
    EXPECT_EQ(dialog.windowTitle(), "History: Alpha");
    EXPECT_EQ(dialog.status()->text(), "Records: 1; kept versions: 2");

    const QTreeWidget* records = dialog.records();
    ASSERT_EQ(records->topLevelItemCount(), 1);
    const QTreeWidgetItem* update = records->topLevelItem(0);
    EXPECT_EQ(update->text(0), "2024-05-01 12:00:00");
    ASSERT_EQ(update->childCount(), 2);
    const QTreeWidgetItem* password = update->child(1);
    EXPECT_EQ(QStringList({password->text(3), password->text(4), password->text(5)}),
              QStringList({"Password", "", "changed"}));
    for (QTreeWidgetItemIterator it(dialog.records()); *it; ++it)
        for (int c = 0; c < records->columnCount(); ++c)
            EXPECT_FALSE((*it)->text(c).contains("hunter2") || (*it)->text(c).contains("s3cret"));
}

// Lobby as version 13; version 12 named "Night Ops", 16 players, password "hunter2".
QString nightOps(QString reply) {
    return reply.replace("TG9iYnk=", "TmlnaHQgT3Bz")
        .replace("|23|", "|15|")
        .replace("c2VjcmV0", "aHVudGVyMg==");
}

TEST_F(HistoryDialogTest, ComparesTwoKeptVersionsInTheFormsWords) {
    source.kept = {{12, nightOps(modeltest::kLobbyReply)}, {13, modeltest::kLobbyReply}};
    open();
    dialog.versions()->selectAll();
    dialog.compareButton()->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return dialog.comparison()->topLevelItemCount() > 0; }));
    QStringList rows;
    for (int i = 0; i < dialog.comparison()->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* row = dialog.comparison()->topLevelItem(i);
        rows << row->text(0) + " | " + row->text(1) + " | " + row->text(2);
    }
    EXPECT_EQ(rows, QStringList({"Name | Night Ops | Lobby", "Password |  | changed",
                                 "Max Players | 16 | 24"}));
    EXPECT_EQ(source.calls, QStringList({"history 3", "version 3 12", "version 3 13"}));
    EXPECT_EQ(dialog.status()->text(), "Versions 12 and 13 differ in 3 settings.");
}

// One setting of a record goes back by an update based on the current version.
TEST_F(HistoryDialogTest, PutsOneSettingOfARecordBack) {
    open();
    jextest::ModalDriver driver;
    dialog.records()->setCurrentItem(dialog.records()->topLevelItem(0)->child(0));
    dialog.putBackButton()->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return source.calls.size() == 4; }));
    EXPECT_EQ(driver.texts(),
              QStringList({"Put Name of Alpha back to Night Ops? The other settings stay as they "
                           "are now."}));
    EXPECT_EQ(source.calls,
              QStringList({"history 3", "settings 3", "update 3 base 13", "history 3"}));
    EXPECT_EQ(source.body, QString(modeltest::kLobbyUpdate).replace("TG9iYnk=", "TmlnaHQgT3Bz"));
    // The password's row has no way back: the record keeps no value.
    dialog.records()->setCurrentItem(dialog.records()->topLevelItem(0)->child(1));
    EXPECT_FALSE(dialog.putBackButton()->isEnabled());
}

// A history request given up on after its time-out is answered later, just
// before the next one: the list shows the second answer, not the first.
TEST_F(HistoryDialogTest, AnAnswerAfterItsTimeOutIsNotTakenForTheNextRequest) {
    HoldingSource held;
    HistoryDialog late{&held, 3, "Alpha"};
    late.setAnswerTimeout(100);
    jextest::ModalDriver driver;
    late.show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !driver.texts().isEmpty(); }));
    ASSERT_TRUE(QTest::qWaitFor([&] { return late.refreshButton()->isEnabled(); }));
    late.refreshButton()->click();
    ASSERT_EQ(held.asked, 2);
    const char* before = R"([{"version": 12, "time": "2024-05-01T12:00:00Z", "operator": "lee"}])";
    emit held.historyArrived({QJsonArray(), QJsonDocument::fromJson(before).array()});
    emit held.historyArrived(ScriptedSource::history());
    QStringList shown;
    for (int row = 0; row < late.versions()->topLevelItemCount(); ++row)
        shown << late.versions()->topLevelItem(row)->text(2);
    EXPECT_EQ(shown, QStringList({"13", "12"}));
    EXPECT_EQ(late.status()->text(), "Records: 1; kept versions: 2");
}

struct RevertCase {
    const char* name;
    std::function<void(ScriptedSource&)> answer;
    QStringList calls;
    QStringList boxes;  // after the confirmation
    int reverted;
};

class RevertPath : public HistoryDialogTest, public ::testing::WithParamInterface<RevertCase> {};

TEST_P(RevertPath, ConfirmsSendsAndShowsTheOutcome) {
    const RevertCase& want = GetParam();
    source.revertAnswer = want.answer;
    dialog.setAnswerTimeout(100);
    QSignalSpy reverted(&dialog, &HistoryDialog::reverted);
    open();

    jextest::ModalDriver driver;
    dialog.versions()->setCurrentItem(dialog.versions()->topLevelItem(1));
    dialog.revertButton()->click();
    EXPECT_FALSE(dialog.revertButton()->isEnabled());
    EXPECT_FALSE(dialog.refreshButton()->isEnabled());

    const QStringList confirm{
        "Put the settings of Alpha back to version 12, stored 2024-05-01 12:00:00 by lee?"};
    (void)QTest::qWaitFor([&] {  // the expectations below say what is missing
        return driver.texts() == confirm + want.boxes && source.calls == want.calls &&
               dialog.refreshButton()->isEnabled();
    });
    EXPECT_EQ(driver.texts(), confirm + want.boxes);
    EXPECT_EQ(source.calls, want.calls);
    EXPECT_EQ(reverted.size(), want.reverted);
    if (want.reverted) {
        EXPECT_EQ(reverted.value(0).value(0).toInt(), 3);
        EXPECT_EQ(reverted.value(0).value(1).toLongLong(), 12);
    }
    EXPECT_TRUE(dialog.refreshButton()->isEnabled());
}

const QString kLongReason(5000, 'x');

const QStringList kAsked{"history 3", "revert 3 12"};

// clang-format off
const RevertCase kRevertCases[] = {
    // Said in the dialog's status, without a box that would hold up the reload.
    {"StoredRefreshesThePanelAndTheHistory", [](ScriptedSource& s) { emit s.revertAnswered({true, {}}); },
     kAsked + QStringList{"history 3"}, {}, 1},
    {"RefusedShowsTheRemotesReason",
     [](ScriptedSource& s) { emit s.revertAnswered({false, "setting Players: operator lee lacks the privilege to change it"}); },
     kAsked, {"The server refused the revert: setting Players: operator lee lacks the privilege to change it"}, 0},
    {"RefusedWithAnOversizedReason", [](ScriptedSource& s) { emit s.revertAnswered({false, kLongReason}); },
     kAsked, {"The server refused the revert: " + QString(299, 'x') + QChar(0x2026)}, 0},
    {"LinkDropped", [](ScriptedSource& s) { emit s.failed("the connection closed"); }, kAsked,
     {"The revert to version 12 was not confirmed: the connection closed. Refresh to see whether it was stored."}, 0},
    {"NoAnswer", nullptr, kAsked,
     {"The revert to version 12 was not confirmed: no answer within 0.1 seconds. Refresh to see whether it was stored."}, 0},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(History, RevertPath, ::testing::ValuesIn(kRevertCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
