// The console with the real panel and its own remote side: two servers on it
// opened one after the other, the privileges of the remote's welcome, the
// traffic view, the review before an update, the History dialog and its
// revert, a broken servers file and one host per root.
#include <QApplication>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTableWidget>
#include <QTest>
#include <QTreeWidget>

#include <memory>

#include <gtest/gtest.h>

#include "exchange/model/settings_reply.h"
#include "exchange/model/settings_update.h"
#include "exchange/wire/request.h"
#include "fake_remote.h"
#include "host/changes_ui/review_dialog.h"
#include "host/console/sync_bar.h"
#include "host/fleet_ui/fleet_actions.h"
#include "host/fleet_ui/fleet_dialog.h"
#include "host/history_ui/history_dialog.h"
#include "host/servers/server_list_model.h"
#include "host/servers_ui/server_dialog.h"
#include "host/servers_ui/server_list_panel.h"
#include "host/traffic/traffic_model.h"
#include "host_fixture.h"
#include "link/privilege_names.h"
#include "remote/remote_service.h"
#include "remote/store/server_settings.h"
#include "support/modal_driver.h"

namespace {

using jexhost::traffic::TrafficModel;
using jextest::kHostWaitMs;

const QString kLobby = QStringLiteral("Delta Force lobby");
const QString kAffiliate = QStringLiteral("NovaWorld affiliate");

// Every cell and detail of the traffic view, as one text.
QString everythingShown(const TrafficModel& model) {
    QStringList shown;
    for (int row = 0; row < model.rowCount(); ++row) {
        for (int column = 0; column < TrafficModel::ColumnCount; ++column)
            shown << cellText(model.trafficRow(row), TrafficModel::Column(column));
        for (const auto& field : model.trafficRow(row).request.fields)
            shown << field.label + u'=' + field.value;
    }
    return shown.join(u'\n');
}

// A host root with its two servers on the console's own remote side, the
// session started and its window shown. A fixture that needs another root
// changes it in prepareRoot(), before the session starts.
class RunningConsole : public testing::Test {
protected:
    void SetUp() override {
        jextest::prepareHostRoot(host);
        prepareRoot();
        QString error;
        ASSERT_TRUE(session.start(&error)) << error.toStdString();
        console = std::make_unique<jextest::ShownConsole>(session);
    }
    virtual void prepareRoot() {}

    // Types `name` into the form and presses Update.
    void sendName(const QString& name) const {
        console->control<QLineEdit>("savServerName")->setText(name);
        QTest::mouseClick(console->control<QLabel>("cmdUpdate"), Qt::LeftButton);
    }
    bool boxShown(const QString& text) const {
        return QTest::qWaitFor([&] { return modal->texts().contains(text); }, kHostWaitMs);
    }

    jextest::TempHost host;
    // Closes every box with OK; a test that answers boxes itself drops it.
    std::unique_ptr<jextest::ModalDriver> modal = std::make_unique<jextest::ModalDriver>();
    jexhost::HostSession session{{}};
    std::unique_ptr<jextest::ShownConsole> console;
};

TEST_F(RunningConsole, EachServerShowsItsOwnValuesAndAnUpdateReachesOnlyItsStore) {
    ASSERT_TRUE(console->open(kLobby));
    auto* name = console->control<QLineEdit>("savServerName");
    ASSERT_NE(name, nullptr) << "the form is not embedded in the console";
    EXPECT_EQ(name->text(), "Delta Force Server");
    EXPECT_EQ(console->linkText(kAffiliate), "connected as admin") << "one link per remote";

    ASSERT_TRUE(console->open(kAffiliate));
    name = console->control<QLineEdit>("savServerName");
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(name->text(), "NovaWorld Affiliate");

    auto* bluePassword = console->control<QLineEdit>("savBluePass");
    auto* update = console->control<QLabel>("cmdUpdate");
    ASSERT_TRUE(bluePassword && update);
    name->setText("Night Ops");
    bluePassword->setText("Zebra#Secret42");
    QTest::mouseClick(update, Qt::LeftButton);
    ASSERT_TRUE(boxShown("Server Settings Updated."));
    EXPECT_EQ(session.embeddedRemote()->settings(1)->fields[0], "Night Ops");
    EXPECT_EQ(session.embeddedRemote()->settings(0)->fields[0], "Delta Force Server");

    const TrafficModel& traffic = *session.traffic();
    QStringList lines;
    for (int row = 0; row < traffic.rowCount(); ++row) {
        const auto& r = traffic.trafficRow(row);
        lines << r.server + " " + r.request.command + ": " + jexhost::traffic::stateText(r.state);
    }
    EXPECT_EQ(lines, (QStringList{"Delta Force lobby GetSettingsRem: answered",
                                  "NovaWorld affiliate GetSettingsRem: answered",
                                  "NovaWorld affiliate SetSettingsRem: answered"}));
    const QString shown = everythingShown(traffic);
    EXPECT_TRUE(shown.contains("(hidden)")) << "the update's password fields are not listed";
    for (const char* secret : {"Zebra#Secret42", "WmVicmEjU2VjcmV0NDI"})
        EXPECT_FALSE(shown.contains(QString::fromLatin1(secret))) << secret;
}

// Session type and dedicated mode not granted.
class ConsoleWithTwoPrivilegesDenied : public RunningConsole {
    void prepareRoot() override {
        jextest::writeTokenFile(host.path("remote/token"),
                                "0123456789abcdef-desk bo 0 0 1 0 1 1\n");
    }
};

TEST_F(ConsoleWithTwoPrivilegesDenied, AWelcomeThatDeniesTwoPrivilegesDisablesThoseTwoControls) {
    ASSERT_TRUE(console->open(kLobby));
    EXPECT_EQ(console->linkText(kLobby), "connected as bo");
    // Session type, players, dedicated, skins, NovaWorld login.
    EXPECT_EQ(console->guardedEnabled(), (QList<bool>{false, true, false, true, true}));
    EXPECT_TRUE(modal->texts().isEmpty()) << modal->texts().join(u'/').toStdString();
}

struct ReviewCase {
    const char* name;
    QDialogButtonBox::StandardButton button;
    QString shown;       // the panel's box after the update
    QString storedName;  // the server name the remote side keeps
    QString trafficState;
};
class ReviewBeforeUpdate : public RunningConsole, public testing::WithParamInterface<ReviewCase> {};

TEST_P(ReviewBeforeUpdate, TheOperatorsChoiceDecidesWhetherTheUpdateIsStored) {
    console->window().setReviewUpdates(true);
    ASSERT_TRUE(console->open(kAffiliate));

    QStringList reviewed;  // the first row: before and after
    QTimer reviewer;
    QObject::connect(&reviewer, &QTimer::timeout, [&] {
        auto* dialog =
            qobject_cast<jexhost::changes::ReviewDialog*>(QApplication::activeModalWidget());
        if (!dialog) return;
        reviewer.stop();
        reviewed << dialog->table()->item(0, 1)->text() << dialog->table()->item(0, 2)->text();
        dialog->findChild<QDialogButtonBox*>()->button(GetParam().button)->click();
    });
    reviewer.start(5);
    sendName("Night Ops");
    ASSERT_TRUE(boxShown(GetParam().shown)) << modal->texts().join(u'/').toStdString();

    EXPECT_EQ(reviewed, (QStringList{"NovaWorld Affiliate", "Night Ops"}));
    EXPECT_EQ(session.embeddedRemote()->settings(1)->fields[0], GetParam().storedName);
    const TrafficModel& traffic = *session.traffic();
    const auto& last = traffic.trafficRow(traffic.rowCount() - 1);
    EXPECT_EQ(last.request.command, "SetSettingsRem");
    EXPECT_EQ(jexhost::traffic::stateText(last.state), GetParam().trafficState);
}

INSTANTIATE_TEST_SUITE_P(Console, ReviewBeforeUpdate,
                         testing::Values(ReviewCase{"OkStoresIt", QDialogButtonBox::Ok,
                                                    "Server Settings Updated.", "Night Ops",
                                                    "answered"},
                                         ReviewCase{"CancelRefusesIt", QDialogButtonBox::Cancel,
                                                    "Could Not Update Server Settings!",
                                                    "NovaWorld Affiliate", "cancelled by you"}),
                         [](const auto& info) { return std::string(info.param.name); });

// Alone on a server: each update is made from the version the one before it
// stored, so none is refused as a conflict with the operator's own change.
TEST_F(RunningConsole, TenUpdatesInARowOfOneSettingAreEachStored) {
    ASSERT_TRUE(console->open(kAffiliate));
    auto* lives = console->control<QLineEdit>("savLives");
    ASSERT_NE(lives, nullptr);
    for (const char* value : {"90", "80", "70", "60", "50", "40", "30", "20", "10", "5"}) {
        modal = std::make_unique<jextest::ModalDriver>();
        lives->setText(QString::fromLatin1(value));
        QTest::mouseClick(console->control<QLabel>("cmdUpdate"), Qt::LeftButton);
        ASSERT_TRUE(QTest::qWaitFor([&] { return !modal->texts().isEmpty(); }, kHostWaitMs));
        EXPECT_EQ(modal->texts(), QStringList{"Server Settings Updated."}) << value;
        EXPECT_EQ(session.embeddedRemote()->settings(1)->fields[22], value);
    }
}

// "Fetching the settings of ..." says what the console is doing, not what it did.
TEST_F(RunningConsole, CopySettingsLeavesNoFetchingLineOnceItsDialogIsOpen) {
    ASSERT_TRUE(console->open(kAffiliate));
    console->window().serverList()->view()->selectAll();
    auto* fleet = console->window().findChild<jexhost::fleet_ui::FleetActions*>();
    ASSERT_NE(fleet, nullptr);
    fleet->copySettings();
    QWidget* opened = nullptr;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            for (QWidget* widget : QApplication::topLevelWidgets())
                if (qobject_cast<jexhost::fleet_ui::FleetDialog*>(widget) && widget->isVisible())
                    opened = widget;
            return opened != nullptr;
        },
        kHostWaitMs));
    EXPECT_EQ(console->window().statusBar()->currentMessage(), "");
    opened->close();
}

TEST_F(RunningConsole, HistoryListsAnUpdateAndItsRevertBringsTheOldNameBackToThePanel) {
    ASSERT_TRUE(console->open(kAffiliate));
    sendName("Night Ops");
    ASSERT_TRUE(boxShown("Server Settings Updated."));

    jexhost::history::HistoryDialog* dialog = console->window().showHistory();
    ASSERT_NE(dialog, nullptr);
    QTreeWidget* versions = dialog->versions();
    ASSERT_TRUE(QTest::qWaitFor([&] { return versions->topLevelItemCount() == 2; }, kHostWaitMs))
        << dialog->status()->text().toStdString();
    QTreeWidget* records = dialog->records();
    ASSERT_EQ(records->topLevelItemCount(), 1);
    EXPECT_EQ(records->topLevelItem(0)->text(1), "admin");
    const QTreeWidgetItem* change = records->topLevelItem(0)->child(0);
    ASSERT_NE(change, nullptr) << "the record does not expand to its change";
    EXPECT_EQ((QStringList{change->text(3), change->text(4), change->text(5)}),
              (QStringList{"Name", "NovaWorld Affiliate", "Night Ops"}));

    // The older version is the one the server had before the update.
    versions->setCurrentItem(versions->topLevelItem(1));
    bool reloaded = false;
    QObject::connect(&session, &jexhost::HostSession::answerApplied, [&] { reloaded = true; });
    dialog->revertButton()->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return reloaded; }, kHostWaitMs));
    EXPECT_EQ(session.embeddedRemote()->settings(1)->fields[0], "NovaWorld Affiliate");
    EXPECT_EQ(console->control<QLineEdit>("savServerName")->text(), "NovaWorld Affiliate");
    EXPECT_TRUE(QTest::qWaitFor([&] { return records->topLevelItemCount() == 2; }, kHostWaitMs))
        << "the dialog lists the revert after it";
    EXPECT_TRUE(console->window().statusBar()->currentMessage().contains(
        "the settings of version 1 are stored again"))
        << console->window().statusBar()->currentMessage().toStdString();

    // Each revert is a version of its own; the list never shows one twice.
    const auto versionColumn = [&] {
        QStringList shown;
        for (int row = 0; row < versions->topLevelItemCount(); ++row)
            shown << versions->topLevelItem(row)->text(2);
        return shown;
    };
    EXPECT_EQ(versionColumn(), (QStringList{"3", "2", "1"}));
    versions->setCurrentItem(versions->topLevelItem(1));
    dialog->revertButton()->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return records->topLevelItemCount() == 3; }, kHostWaitMs));
    EXPECT_EQ(versionColumn(), (QStringList{"4", "3", "2", "1"}));
    EXPECT_EQ(dialog->status()->text(), "Records: 3; kept versions: 4");
    EXPECT_TRUE(QTest::qWaitFor([&] { return console->shownName() == "Night Ops"; }, kHostWaitMs));
    // Only the two questions were boxes: the confirmations did not block.
    EXPECT_EQ(modal->texts().filter("stored again").size(), 0)
        << modal->texts().join(u'/').toStdString();
    dialog->close();
}

struct UnsentCase {
    const char* name;
    QString answer;     // the button pressed in the question
    QString openAfter;  // the server whose panel is open afterwards
    QString shown;      // the name in its form
    QString stored;     // the affiliate's name on its remote side
};
class UnsentEdits : public RunningConsole, public testing::WithParamInterface<UnsentCase> {};

TEST_P(UnsentEdits, OpeningAnotherServerAsksFirst) {
    modal.reset();  // this test answers the boxes itself
    QStringList asked;
    QTimer answerer;
    QObject::connect(&answerer, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) return;
        if (box->objectName() != "unsentEdits") return box->done(QMessageBox::Ok);
        asked << box->text();
        for (QAbstractButton* button : box->buttons())
            if (button->text().remove(u'&') == GetParam().answer) return button->click();
    });
    answerer.start(5);
    ASSERT_TRUE(console->open(kAffiliate));
    EXPECT_FALSE(console->window().hasUnsentEdits()) << "the fill itself is no edit";
    console->control<QLineEdit>("savServerName")->setText("Night Ops");
    ASSERT_TRUE(console->window().hasUnsentEdits());

    console->window().openServer(console->idOf(kLobby));
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            return session.embeddedRemote()->settings(1)->fields[0] == GetParam().stored &&
                   session.openId() == console->idOf(GetParam().openAfter) &&
                   console->shownName() == GetParam().shown;
        },
        kHostWaitMs))
        << console->shownName().toStdString();
    EXPECT_EQ(asked, QStringList{"The settings of NovaWorld affiliate were changed and not sent "
                                 "to the server."});
    EXPECT_TRUE(console->window().heading()->text().startsWith(GetParam().openAfter));
}

INSTANTIATE_TEST_SUITE_P(Console, UnsentEdits,
                         testing::Values(UnsentCase{"CancelKeepsThem", "Cancel", kAffiliate,
                                                    "Night Ops", "NovaWorld Affiliate"},
                                         UnsentCase{"DiscardDropsThem", "Discard", kLobby,
                                                    "Delta Force Server", "NovaWorld Affiliate"},
                                         UnsentCase{"UpdateSendsThem", "Update", kLobby,
                                                    "Delta Force Server", "Night Ops"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(RunningConsole, EditAndRemoveOfTheOpenServerLeaveNothingOfItBehind) {
    ASSERT_TRUE(console->open(kAffiliate));
    QTimer editor;
    QObject::connect(&editor, &QTimer::timeout, [&] {
        auto* dialog =
            qobject_cast<jexhost::servers::ServerDialog*>(QApplication::activeModalWidget());
        if (!dialog) return;
        dialog->findChild<QLineEdit*>("name")->setText("Affiliate B");
        dialog->accept();
    });
    editor.start(5);
    bool filled = false;
    QObject::connect(&session, &jexhost::HostSession::answerApplied,
                     [&](const QString&, bool settings) { filled |= settings; });
    console->window().serverList()->editServer();
    ASSERT_TRUE(QTest::qWaitFor([&] { return filled; }, kHostWaitMs));
    EXPECT_TRUE(console->window().heading()->text().startsWith("Affiliate B - "));
    EXPECT_EQ(console->shownName(), "NovaWorld Affiliate");
    EXPECT_EQ(console->window().statusBar()->currentMessage(), "Affiliate B saved.");
    editor.stop();

    EXPECT_FALSE(console->window().hasUnsentEdits());
    console->window().serverList()->removeServer();  // the driver confirms
    EXPECT_EQ(session.openId(), "");
    EXPECT_EQ(console->window().heading()->text(), "");
    EXPECT_NE(console->window().panelArea()->currentWidget(), console->window().panelHost());
    EXPECT_EQ(console->window().stateText()->text(), "Open a server from the list.");
}

// One server on a stand-in remote that welcomes its operator again.
class ConsoleWithAFakeRemote : public RunningConsole {
protected:
    void prepareRoot() override {
        jextest::writeTokenFile(host.path("settings/fake.token"), "0123456789abcdef-fake\n");
        host.write("settings/servers.ini",
                   jextest::serverSection("fake", "Fake", fake.url(), "fake.token", "fake0"));
    }
    jextest::FakeRemote fake{QStringLiteral("0123456789abcdef-fake")};
};

TEST_F(ConsoleWithAFakeRemote, AWelcomeOnTheOpenLinkHandsTheNewPrivilegesToThePanelAtOnce) {
    ASSERT_TRUE(console->open("Fake"));
    EXPECT_EQ(console->guardedEnabled(), (QList<bool>{true, true, true, true, true}));
    const struct {
        const char* name;
        bool superAdmin;
        int values[5];
        QList<bool> enabled;
    } rows[] = {
        {"Restricted", false, {0, 1, 0, 1, 0}, {false, true, false, true, false}},
        {"SuperAdministrator", true, {0, 0, 0, 0, 0}, {true, true, true, true, true}},
        {"RestrictedAgain", false, {1, 0, 1, 0, 1}, {true, false, true, false, true}},
    };
    for (const auto& row : rows) {
        jexlink::Welcome welcome{QStringLiteral("ann"), row.superAdmin, {}};
        for (int i = 0; i < 5; ++i)
            welcome.privileges.append(
                {QString::fromLatin1(jexlink::kPrivilegeNames[i]), row.values[i]});
        fake.broadcast(jexlink::welcomeMessage(welcome));
        EXPECT_TRUE(
            QTest::qWaitFor([&] { return console->guardedEnabled() == row.enabled; }, kHostWaitMs))
            << row.name;
        EXPECT_EQ(session.granted()->superAdmin, row.superAdmin) << row.name;
    }
    EXPECT_EQ(console->linkText("Fake"), "connected as ann");
    EXPECT_EQ(fake.connections, 1) << "the same connection throughout";
}

// The stand-in remote serves settings with versions, as one that merges.
class ConsoleOnAMergingRemote : public ConsoleWithAFakeRemote {
protected:
    void prepareRoot() override {
        ConsoleWithAFakeRemote::prepareRoot();
        fake.settingsReply = replyNamed("Fake Server");
        fake.version = 5;
    }
    static QString replyNamed(const QString& name) {
        auto settings = jexremote::defaultSettings();
        settings.fields[0] = name;
        return kdrsm::model::replyText(settings);
    }
    // Someone else changed these settings at 16:02, local time.
    static QString noticeOf(const QStringList& settings, qint64 version) {
        const QDateTime at(QDate(2026, 12, 7), QTime(16, 2));
        return jexlink::changedMessage(
            {0, version, QStringLiteral("alice"), at.toString(Qt::ISODate), settings});
    }
    int fetches() const { return fake.requests.filter("GetSettingsRem").size(); }
    QString bar() const {
        auto* bar = console->window().syncBar();
        return bar->isVisible() ? bar->text()->text() : QString();
    }
};

struct NoticeCase {
    const char* name;
    bool edited;  // the operator changed Name before the notice
    QStringList settings;
    QString bar;
    int fetches;
    QString mark;
    QString status;  // the status bar once the panel settled
};

class ChangedElsewhere : public ConsoleOnAMergingRemote,
                         public testing::WithParamInterface<NoticeCase> {};

TEST_P(ChangedElsewhere, TheListMarksItAndThePanelFetchesAgainOrTellsWhatTheUpdateWillDo) {
    ASSERT_TRUE(console->open("Fake"));
    if (GetParam().edited) console->control<QLineEdit>("savServerName")->setText("Mine");
    fake.version = 6;
    fake.broadcast(noticeOf(GetParam().settings, 6));
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            return fetches() == GetParam().fetches && bar() == GetParam().bar &&
                   console->linkText("Fake") == "connected as ann" &&
                   session.servers()
                           ->index(0, jexhost::servers::ServerListModel::ChangedColumn)
                           .data()
                           .toString() == GetParam().mark &&
                   // The Changed column is shown while some server has a mark.
                   console->window().serverList()->view()->isColumnHidden(
                       jexhost::servers::ServerListModel::ChangedColumn) ==
                       GetParam().mark.isEmpty() &&
                   console->window().statusBar()->currentMessage() == GetParam().status;
        },
        kHostWaitMs))
        << fetches() << " fetches, bar: " << bar().toStdString()
        << ", status: " << console->window().statusBar()->currentMessage().toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Console, ChangedElsewhere,
    testing::Values(
        NoticeCase{"AnUneditedPanelFetchesAgainSaysWhoAndTheMarkGoes",
                   false,
                   {"Max Players:"},
                   "",
                   2,
                   "",
                   "Fake: alice changed Max Players. The panel shows it now."},
        NoticeCase{"OverOtherEditsTheUpdateMerges",
                   true,
                   {"Max Players:"},
                   "alice changed Max Players. Your Update will keep their changes and yours.",
                   1,
                   "changed by alice 16:02",
                   ""},
        NoticeCase{"AnEditOfTheSameSettingIsNamed",
                   true,
                   {"Max Players:", "Name:"},
                   "alice changed Max Players, Name. You changed Name too: where your value "
                   "differs from theirs, Update will be refused and show both; their other "
                   "changes are kept.",
                   1,
                   "changed by alice 16:02",
                   ""}),
    [](const auto& info) { return std::string(info.param.name); });

struct ConflictCase {
    const char* name;
    const char* button;
    QString storedName;  // in the update sent again
};

class RefusedForAConflict : public ConsoleOnAMergingRemote,
                            public testing::WithParamInterface<ConflictCase> {};

TEST_P(RefusedForAConflict, TheBarNamesItAndTheChoiceIsSentOverTheCurrentVersion) {
    ASSERT_TRUE(console->open("Fake"));
    console->control<QWidget>("savMessage")->setProperty("plainText", "hello");
    const QDateTime at(QDate(2026, 12, 7), QTime(16, 2));
    jexlink::Envelope refusal{0, "0"};
    // A remote that names a password's values anyway: the console does not show them.
    refusal.conflicts = {
        {"Name:", "Fake Server", "Theirs", "Mine", "alice", at.toString(Qt::ISODate)},
        {"Password:", "old!pw", "their!pw", "my!pw", "alice", at.toString(Qt::ISODate)}};
    fake.updateAnswers = {refusal};
    sendName("Mine");
    ASSERT_TRUE(boxShown("Could Not Update Server Settings!"));
    EXPECT_EQ(fake.bases.last(), 5) << "the update names the version its panel was handed";
    EXPECT_TRUE(
        bar().contains("\nName: you fetched Fake Server; alice made it Theirs at 16:02; "
                       "yours is Mine\nPassword: changed by alice at 16:02 and by you (values "
                       "hidden)\n"))
        << bar().toStdString();
    const TrafficModel& traffic = *session.traffic();
    const auto& refused = traffic.trafficRow(traffic.rowCount() - 1);
    EXPECT_EQ(cellText(refused, TrafficModel::State), "conflict");
    EXPECT_TRUE(cellText(refused, TrafficModel::Details)
                    .endsWith("not stored: changed meanwhile by alice: Name, Password"));

    fake.settingsReply = replyNamed("Theirs");
    fake.version = 7;
    const qsizetype sent = fake.requests.size();
    console->window().syncBar()->findChild<QPushButton*>(GetParam().button)->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return fake.requests.size() >= sent + 3 && bar().isEmpty(); },
                                kHostWaitMs))
        << "fetch, update, and the panel's fetch of the result";
    const auto update = kdrsm::wire::parseRequestText(fake.requests[sent + 1]);
    ASSERT_TRUE(update && update->command == "SetSettingsRem");
    EXPECT_EQ(fake.bases[sent + 1], 7);
    const auto resent = kdrsm::model::settingsOfUpdate(update->data);
    ASSERT_TRUE(std::holds_alternative<kdrsm::model::ServerSettings>(resent));
    const auto& fields = std::get<kdrsm::model::ServerSettings>(resent).fields;
    EXPECT_EQ(fields[0], GetParam().storedName);
    EXPECT_EQ(fields[13], "hello") << "the operator's edit without conflict is kept either way";
}

INSTANTIATE_TEST_SUITE_P(Console, RefusedForAConflict,
                         testing::Values(ConflictCase{"KeepMine", "keepMine", "Mine"},
                                         ConflictCase{"FetchTheirs", "fetchTheirs", "Theirs"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Console, ABrokenServersLineIsReportedWithItsNumberAndTheFileKept) {
    jextest::TempHost host;
    jextest::prepareHostRoot(host);
    const QByteArray broken =
        "; my servers\n[lobby]\nName=Lobby\nGame=Delta Force,  V1.5.0.5\nRemote=embedded\n"
        "Profile=many\nTag=desk0\n";
    host.write("settings/servers.ini", broken);
    jexhost::HostSession session({});
    QString error;
    EXPECT_FALSE(session.start(&error));
    EXPECT_TRUE(error.startsWith(host.path("settings/servers.ini:6:"))) << error.toStdString();
    EXPECT_EQ(host.read("settings/servers.ini"), broken);
}

// The files the host keeps below its root are its own: a second host there
// would take its request files, and nobody else may read the token.
TEST(Console, SecondHostOnTheSameRootIsRefusedAndTheTokenIsPrivate) {
    jextest::TempHost host;
    jextest::prepareHostRoot(host);
    jexhost::HostSession session({});
    QString error;
    ASSERT_TRUE(session.start(&error)) << error.toStdString();
    EXPECT_EQ(QFileInfo(host.path("remote/token")).permissions(),
              QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser);

    QProcess second;
    second.setProcessEnvironment(QProcessEnvironment::systemEnvironment());
    second.start(QStringLiteral(JEXHOST_PATH), {QStringLiteral("--quit-after-ms"), "0"});
    ASSERT_TRUE(second.waitForFinished(kHostWaitMs));
    EXPECT_EQ(second.exitCode(), 1);
    const QString said = QString::fromLocal8Bit(second.readAllStandardError());
    EXPECT_TRUE(said.contains("another jexhost (process " +
                              QString::number(qApp->applicationPid()) +
                              ") already uses the folder " + host.root()))
        << said.toStdString();
}

}  // namespace
