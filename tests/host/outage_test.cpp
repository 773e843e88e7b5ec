// The console through its remote's outage, as an operator lives it: a box or
// the review dialog left open while the link fails again and again and the
// request's time runs out, then OK; quitting with an edit not sent while the
// remote is down; and the first Update once the remote is back.
#include <QApplication>
#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

#include "host/changes_ui/review_dialog.h"
#include "host/link/remote_link.h"
#include "host/relay/link_pool.h"
#include "host_fixture.h"
#include "remote/store/state_file.h"

namespace {

using jextest::kHostWaitMs;

const QString kFar = QStringLiteral("Far away");
constexpr int kTimeoutMs = 1500;  // the console's --timeout-ms in these runs

// Answers every box and dialog as the operator of a row does: a box or the
// review dialog named in `holdFirst` stays open past the request's time and
// until the link has failed twice more, then OK; "Changes not sent" gets the
// row's button; every other box OK at once.
class Operator : public QObject {
public:
    explicit Operator(jexhost::RemoteLink* link) {
        connect(link, &jexhost::RemoteLink::down, this, [this] { ++downs_; });
        connect(&timer_, &QTimer::timeout, this, &Operator::poll);
        timer_.start(5);
    }
    QString holdFirst;     // box text, or kReviewTitle for the review dialog
    QString unsentAnswer;  // Update, Discard or Cancel
    QStringList texts;     // every box's text, in order
    bool held = false;     // the held box or dialog was held and closed
    QString reviewed;      // the first review's summary

private:
    bool holding(const QString& what) {
        if (held || what != holdFirst) return false;
        if (!clock_.isValid()) {
            clock_.start();
            downsAtStart_ = downs_;
        }
        if (clock_.elapsed() < kTimeoutMs + 1000 || downs_ < downsAtStart_ + 2) return true;
        held = true;
        return false;
    }

    void poll() {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* dialog = qobject_cast<jexhost::changes::ReviewDialog*>(modal)) {
            if (reviewed.isEmpty()) reviewed = dialog->summary()->text();
            if (holding(jexhost::changes::kReviewTitle)) return;
            return dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
        }
        auto* box = qobject_cast<QMessageBox*>(modal);
        if (!box) return;
        if (holding(box->text())) return;
        if (texts.isEmpty() || texts.last() != box->text() || !shown_.contains(box))
            texts << box->text();
        shown_ << box;
        if (box->objectName() == "unsentEdits") {
            for (QAbstractButton* button : box->buttons())
                if (button->text().remove(u'&') == unsentAnswer) return button->click();
        }
        box->done(QMessageBox::Ok);
    }

    QTimer timer_;
    QElapsedTimer clock_;
    int downs_ = 0;
    int downsAtStart_ = 0;
    QList<QPointer<QMessageBox>> shown_;
};

class RemoteOutage : public ::testing::Test {
protected:
    void SetUp() override {
        jextest::prepareHostRoot(host);
        jextest::writeTokenFile(host.path("settings/far.token"),
                                "fedcba9876543210-remote ops 1 1 1 1 1 1\n");
        ASSERT_TRUE(remote.start()) << remote.log().toStdString();
        host.write("settings/servers.ini",
                   jextest::serverSection("far", "Far away", remote.url, "far.token", "far0"));
        jexhost::HostOptions options;
        options.timeoutMs = kTimeoutMs;
        session = std::make_unique<jexhost::HostSession>(options);
        QString error;
        ASSERT_TRUE(session->start(&error)) << error.toStdString();
        console = std::make_unique<jextest::ShownConsole>(*session);
        ASSERT_TRUE(console->open(kFar));
        link = session->links()->find(session->linkKey(*session->server(console->idOf(kFar))));
        ASSERT_NE(link, nullptr);
        remote.stop();
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return console->linkText(kFar).startsWith("unreachable since "); }, kHostWaitMs));
    }
    void TearDown() override { console.reset(); }

    void type(const QString& name) const {
        console->control<QLineEdit>("savServerName")->setText(name);
    }
    void pressUpdate() const {
        QTest::mouseClick(console->control<QLabel>("cmdUpdate"), Qt::LeftButton);
    }
    bool shown(const std::unique_ptr<Operator>& by, const QString& text) const {
        return QTest::qWaitFor([&] { return by->texts.contains(text); }, 3 * kHostWaitMs);
    }
    // The name the remote keeps on disk for profile 0.
    QString storedName() const {
        const auto read = jexremote::readStateFile(host.path("state/server-0.ini"));
        const auto* settings = std::get_if<jexremote::ServerSettings>(&read);
        return settings ? settings->fields[0] : QString();
    }
    // Brings the remote back and waits until the panel holds the server's
    // settings again.
    void remoteBack() {
        ASSERT_TRUE(remote.start()) << remote.log().toStdString();
        ASSERT_TRUE(QTest::qWaitFor([&] { return console->linkText(kFar) == "connected as ops"; },
                                    3 * kHostWaitMs));
    }

    jextest::TempHost host;
    jextest::RemoteProcess remote{host.path("settings/far.token"), host.path("state")};
    std::unique_ptr<jexhost::HostSession> session;
    std::unique_ptr<jextest::ShownConsole> console;
    QPointer<jexhost::RemoteLink> link;
};

struct HeldCase {
    const char* name;
    bool review;   // Review changes before Update is on
    QString held;  // what stays open past the timeout
};

class BoxLeftOpenThroughTheOutage : public RemoteOutage,
                                    public ::testing::WithParamInterface<HeldCase> {};

// Past the box, the console lives on; once the remote is back, the edit is
// still in the form and the next Update is sent and stored.
TEST_P(BoxLeftOpenThroughTheOutage, OkThenTheNextUpdateAfterTheOutageIsStored) {
    console->window().setReviewUpdates(GetParam().review);
    auto by = std::make_unique<Operator>(link);
    by->holdFirst = GetParam().held;
    type("Night Ops");
    pressUpdate();
    ASSERT_TRUE(shown(by, "No Data Recieved!")) << by->texts.join(u'/').toStdString();
    ASSERT_TRUE(by->held);
    if (GetParam().review) {
        EXPECT_EQ(by->reviewed,
                  "1 change of yours; others' changes could not be checked: the "
                  "server could not be reached");
    }
    EXPECT_TRUE(console->window().isVisible());
    EXPECT_EQ(console->shownName(), "Night Ops");

    remoteBack();
    ASSERT_TRUE(QTest::qWaitFor([&] { return console->window().hasUnsentEdits(); }, kHostWaitMs));
    EXPECT_EQ(console->shownName(), "Night Ops") << "the edit is kept through the fetch";
    by->texts.clear();
    pressUpdate();
    ASSERT_TRUE(shown(by, "Server Settings Updated.")) << by->texts.join(u'/').toStdString();
    EXPECT_EQ(storedName(), "Night Ops");
}

INSTANTIATE_TEST_SUITE_P(
    Outage, BoxLeftOpenThroughTheOutage,
    ::testing::Values(HeldCase{"NoDataBox", false, QStringLiteral("No Data Recieved!")},
                      HeldCase{"ReviewDialog", true, jexhost::changes::kReviewTitle}),
    [](const auto& info) { return std::string(info.param.name); });

struct UnsentCase {
    const char* name;
    bool quit;          // quit, or Refresh
    QString notStored;  // the status line once the update chosen failed
};

class UnsentEditWhileDown : public RemoteOutage,
                            public ::testing::WithParamInterface<UnsentCase> {};

// The question is answered with Update; the update cannot be stored while
// the remote is down, so the console neither quits nor fetches the form
// again: the edit stays. Quitting and dropping it then closes the console,
// which leaves no lock behind.
TEST_P(UnsentEditWhileDown, UpdateChosenAndNotStoredKeepsTheConsoleAndTheEdit) {
    auto by = std::make_unique<Operator>(link);
    by->holdFirst = QStringLiteral("No Data Recieved!");
    by->unsentAnswer = QStringLiteral("Update");
    type("Night Ops");
    if (GetParam().quit)
        console->window().close();
    else
        console->window().refresh();
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return console->window().statusBar()->currentMessage() == GetParam().notStored; },
        3 * kHostWaitMs))
        << console->window().statusBar()->currentMessage().toStdString();
    EXPECT_TRUE(by->held);
    EXPECT_EQ(by->texts.first(),
              "The settings of Far away were changed and not sent to the server.");
    EXPECT_TRUE(console->window().isVisible());
    EXPECT_EQ(console->shownName(), "Night Ops");
    EXPECT_TRUE(console->window().hasUnsentEdits());

    by->unsentAnswer = QStringLiteral("Discard");
    console->window().close();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !console->window().isVisible(); }, kHostWaitMs));
    console.reset();
    session.reset();
    EXPECT_FALSE(host.exists("jexhost.lock"));
}

INSTANTIATE_TEST_SUITE_P(
    Outage, UnsentEditWhileDown,
    ::testing::Values(UnsentCase{"Quit", true,
                                 "Not quitting: the update of Far away was not stored; your "
                                 "changes are still in the form."},
                      UnsentCase{"Refresh", false,
                                 "The update of Far away was not stored; your changes are still "
                                 "in the form."}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
