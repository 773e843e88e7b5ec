// The console of an operator whom the remote side's owner changes while the
// panel is open: removed with `jexremote --remove-operator`, or given fewer
// privileges. A real jexremote process, its token file changed on disk.
#include <QLabel>
#include <QLineEdit>
#include <QStatusBar>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

#include "host_fixture.h"
#include "support/host_program.h"
#include "support/modal_driver.h"

namespace {

using jextest::kHostWaitMs;

const QString kFar = QStringLiteral("Far away");
const QByteArray kBobToken = "0123456789abcdef-bob";
const QByteArray kOpsToken = "fedcba9876543210-ops";

struct OperatorCase {
    const char* name;
    bool remove;        // jexremote --remove-operator bob; else bob loses Max Players
    QString link;       // the list's Link column afterwards
    QString note;       // the line above the form ("%1": the remote), empty when hidden
    QString status;     // the status bar
    bool nameEditable;  // the form's Name box
};

class OperatorChanged : public ::testing::TestWithParam<OperatorCase> {
protected:
    void SetUp() override {
        jextest::prepareHostRoot(host);
        jextest::writeTokenFile(host.path("remote.tokens"), kOpsToken + " ops 1 1 1 1 1 1\n" +
                                                                kBobToken + " bob 0 1 1 1 1 1\n");
        jextest::writeTokenFile(host.path("settings/bob.token"), kBobToken + "\n");
        ASSERT_TRUE(remote.start()) << remote.log().toStdString();
        host.write("settings/servers.ini",
                   jextest::serverSection("far", "Far away", remote.url, "bob.token", "far0"));
        session = std::make_unique<jexhost::HostSession>(jexhost::HostOptions{});
        QString error;
        ASSERT_TRUE(session->start(&error)) << error.toStdString();
        console = std::make_unique<jextest::ShownConsole>(*session);
        ASSERT_TRUE(console->open(kFar));
    }
    void TearDown() override { console.reset(); }

    QString note() const {
        auto* line = console->window().findChild<QLabel*>("linkNote");
        return line && line->isVisible() ? line->text() : QString();
    }

    jextest::TempHost host;
    jextest::RemoteProcess remote{host.path("remote.tokens"), host.path("state")};
    jextest::ModalDriver modal;
    std::unique_ptr<jexhost::HostSession> session;
    std::unique_ptr<jextest::ShownConsole> console;
};

TEST_P(OperatorChanged, ThePanelSaysSoAndTheFormFollows) {
    const OperatorCase& row = GetParam();
    console->control<QLineEdit>("savServerName")->setText("Night Ops");
    if (row.remove) {
        const auto [code, said] = jextest::runRemoteTool(
            {"--token-file", host.path("remote.tokens"), "--remove-operator", "bob"});
        ASSERT_EQ(code, 0) << said.toStdString();
    } else {
        jextest::writeTokenFile(host.path("remote.tokens"), kOpsToken + " ops 1 1 1 1 1 1\n" +
                                                                kBobToken + " bob 0 1 0 1 1 1\n");
    }
    const QString expectedNote =
        row.note.isEmpty() ? QString() : row.note.arg(remote.url.toString());
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            return console->linkText(kFar) == row.link && note() == expectedNote &&
                   console->window().statusBar()->currentMessage() == row.status;
        },
        kHostWaitMs))
        << console->linkText(kFar).toStdString() << " / " << note().toStdString() << " / "
        << console->window().statusBar()->currentMessage().toStdString();
    EXPECT_EQ(console->control<QLineEdit>("savServerName")->isEnabled(), row.nameEditable);
    EXPECT_EQ(console->shownName(), "Night Ops") << "the edit is kept";
    EXPECT_TRUE(console->control<QLabel>("cmdSave")->isEnabled()) << "Save keeps it as a preset";
    EXPECT_TRUE(console->window().hasUnsentEdits());

    if (!row.remove) return;
    // No new attempt is planned with the refused token; a new token in the
    // file is tried at once.
    jextest::writeTokenFile(host.path("settings/bob.token"), kOpsToken + "\n");
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return console->linkText(kFar) == "connected as ops" && note().isEmpty(); },
        kHostWaitMs))
        << console->linkText(kFar).toStdString();
    EXPECT_TRUE(console->control<QLineEdit>("savServerName")->isEnabled());
    EXPECT_TRUE(remote.log().contains("the token of operator bob, removed"));
}

INSTANTIATE_TEST_SUITE_P(
    Remote, OperatorChanged,
    ::testing::Values(
        OperatorCase{"RemovedOperatorGetsAReadOnlyFormAndNoRetries", true, "operator removed",
                     "%1: operator bob was removed from this remote. This form is read-only; "
                     "Save keeps your changes as a preset, Retry tries the link again.",
                     "", false},
        OperatorCase{"LoweredPrivilegesAreSaidInOneLine", false, "connected as bob", "",
                     "Your privileges on Far away were lowered: Change Max Players no longer "
                     "granted; those controls are greyed.",
                     true}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace

namespace {

struct ManyCase {
    const char* name;
    bool oneOperator;  // every token file holds the same token; else each its own
    int welcomed;      // connections the remote side welcomed
};

class SixteenTokenFiles : public ::testing::TestWithParam<ManyCase> {};

// jexhost --status over sixteen servers on one remote, each with a token file
// of its own: a login turned away at the crowd's door is tried again, so none
// is called unreachable, and one operator's files share one connection.
TEST_P(SixteenTokenFiles, EveryServerIsConnectedAndOneOperatorHasOneConnection) {
    jextest::TempHost host;
    jextest::prepareHostRoot(host);
    QByteArray operators, servers;
    for (int i = 0; i < 16; ++i) {
        const QByteArray token =
            "0123456789abcdef-" + QByteArray::number(GetParam().oneOperator ? 0 : i);
        if (i == 0 || !GetParam().oneOperator)
            operators += token + " op" + QByteArray::number(i) + " 0 1 1 1 1 1\n";
        jextest::writeTokenFile(host.path(QStringLiteral("settings/t%1.token").arg(i)),
                                token + "\n");
    }
    jextest::writeTokenFile(host.path("remote.tokens"), operators);
    jextest::RemoteProcess remote(host.path("remote.tokens"), host.path("state"));
    ASSERT_TRUE(remote.start()) << remote.log().toStdString();
    for (int i = 0; i < 16; ++i)
        servers += jextest::serverSection("s" + QByteArray::number(i), "S" + QByteArray::number(i),
                                          remote.url, "t" + QByteArray::number(i) + ".token",
                                          "t" + QByteArray::number(i));
    host.write("settings/servers.ini", servers);

    const jextest::HostRun status = jextest::runJexhost(
        {"--status", "--wait-ms", "8000", "--config", host.path("settings/servers.ini")});
    const QString out = status.lines.join(u'\n');
    EXPECT_EQ(out.count(QStringLiteral("\"link\": \"connected\"")), 16) << out.toStdString();
    EXPECT_EQ(status.exitCode, 0);
    remote.stop();  // and its log read to the end
    EXPECT_EQ(remote.log().count(QStringLiteral(" as operator ")), GetParam().welcomed);
}

INSTANTIATE_TEST_SUITE_P(Remote, SixteenTokenFiles,
                         ::testing::Values(ManyCase{"OneOperatorsFilesShareOneConnection", true, 1},
                                           ManyCase{"SixteenOperatorsAtOnceAreAllLetIn", false,
                                                    16}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
