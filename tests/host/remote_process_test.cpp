// The console with one server on its own remote side and three on a jexremote
// of its own process, as an operator runs them: each server's requests reach
// its own remote as its own operator, the console rides out the jexremote's
// restart by itself, and neither process logs a password, plain or encoded.
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTest>

#include <gtest/gtest.h>

#include "exchange/model/setting_names.h"
#include "exchange/wire/request.h"
#include "exchange/wire/settings_text.h"
#include "host/relay/request_carrier.h"
#include "host/servers/server_list_model.h"
#include "host_fixture.h"
#include "remote/store/server_settings.h"
#include "remote/store/state_file.h"
#include "remote/validation/field_rules.h"
#include "support/modal_driver.h"

namespace {

using jextest::kHostWaitMs;
namespace wire = kdrsm::wire;

const QString kLobby = QStringLiteral("Delta Force lobby");
const QString kFar = QStringLiteral("Far away");
const QString kLimited = QStringLiteral("Far limited");
const QString kStranger = QStringLiteral("Far stranger");

class RemoteProcessTest : public ::testing::Test {
protected:
    void SetUp() override {
        jextest::prepareHostRoot(host);
        // The far remote knows two operators; each server presents the first
        // token of its own file.
        jextest::writeTokenFile(host.path("settings/far.token"),
                                "fedcba9876543210-remote ops 0 1 1 1 1 1\n"
                                "0123456789abcdef-limited bo 0 0 1 0 1 1\n");
        jextest::writeTokenFile(host.path("settings/bo.token"), "0123456789abcdef-limited\n");
        jextest::writeTokenFile(host.path("settings/wrong.token"), "ffffffffffffffff-unknown\n");
        // The far remote's profile 0 has a name of its own, so that an answer
        // from the wrong remote shows.
        auto far = jexremote::defaultSettings();
        far.fields[kdrsm::model::fieldOfKey(QStringLiteral("ServerName"))] = "Far Away Server";
        QDir().mkpath(host.path("state"));
        QString error;
        ASSERT_TRUE(jexremote::writeStateFile(host.path("state/server-0.ini"), far, &error))
            << error.toStdString();
        ASSERT_TRUE(remote.start()) << remote.log().toStdString();
        host.write(
            "settings/servers.ini",
            "[lobby]\nName=Delta Force lobby\nGame=Delta Force,  V1.5.0.5\n"
            "Remote=embedded\nProfile=0\nTag=desk0\n" +
                jextest::serverSection("far", "Far away", remote.url, "far.token", "far0") +
                jextest::serverSection("limited", "Far limited", remote.url, "bo.token", "farb0") +
                jextest::serverSection("stranger", "Far stranger", remote.url, "wrong.token",
                                       "farc0"));
        jexhost::HostOptions options;
        options.timeoutMs = 3000;
        session = std::make_unique<jexhost::HostSession>(options);
        ASSERT_TRUE(session->start(&error)) << error.toStdString();
        console = std::make_unique<jextest::ShownConsole>(*session);
    }
    void TearDown() override { console.reset(); }

    bool formShown() const {
        return console->window().panelArea()->currentWidget() == console->window().panelHost();
    }
    // Opens a server whose settings cannot come and waits for its state.
    void openUnserved(const QString& name) {
        console->window().openServer(console->idOf(name));
        ASSERT_TRUE(QTest::qWaitFor(
            [&] {
                return session->panelState() != jexhost::PanelState::Connecting &&
                       session->panelState() != jexhost::PanelState::Closed;
            },
            kHostWaitMs));
    }

    jextest::TempHost host;
    jextest::RemoteProcess remote{host.path("settings/far.token"), host.path("state")};
    jextest::ModalDriver modal;
    std::unique_ptr<jexhost::HostSession> session;
    std::unique_ptr<jextest::ShownConsole> console;
};

TEST_F(RemoteProcessTest, AnUnreachableServerShowsItsStateUntilItsRemoteIsBackByItself) {
    ASSERT_TRUE(console->open(kFar));
    EXPECT_EQ(console->shownName(), "Far Away Server");
    EXPECT_EQ(console->linkText(kFar), "connected as ops");
    ASSERT_TRUE(console->open(kLobby));
    EXPECT_EQ(console->shownName(), "Delta Force Server");

    remote.stop();
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return console->linkText(kFar).startsWith("unreachable since "); }, kHostWaitMs));
    EXPECT_TRUE(console->linkText(kFar).contains(", next try "))
        << console->linkText(kFar).toStdString();
    EXPECT_EQ(console->linkText(kLobby), "connected as admin");

    // The lobby's form is not left under the far server's heading.
    openUnserved(kFar);
    EXPECT_EQ(session->panelState(), jexhost::PanelState::Unreachable);
    EXPECT_FALSE(formShown());
    EXPECT_TRUE(console->window().heading()->text().startsWith(kFar));
    const QString state = console->window().stateText()->text();
    EXPECT_TRUE(state.startsWith(remote.url.toString() + " cannot be reached since "))
        << state.toStdString();
    EXPECT_TRUE(state.contains(". Next try at ")) << state.toStdString();
    EXPECT_TRUE(console->window().stateRetry()->isVisibleTo(&console->window()));

    // Back without Retry: the link reconnects and the panel fetches again.
    ASSERT_TRUE(remote.start()) << remote.log().toStdString();
    ASSERT_TRUE(QTest::qWaitFor([&] { return console->linkText(kFar) == "connected as ops"; },
                                kHostWaitMs));
    ASSERT_TRUE(QTest::qWaitFor([&] { return formShown(); }, kHostWaitMs));
    EXPECT_EQ(console->shownName(), "Far Away Server");
    EXPECT_TRUE(modal.texts().contains("No Data Recieved!"));
}

// One remote, three token files: each server is its own operator, a refused
// token leaves no privilege behind, and a super administrator gets them all.
TEST_F(RemoteProcessTest, EachTokenFileIsItsOwnOperatorWithItsOwnPrivileges) {
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            return console->linkText(kFar) == "connected as ops" &&
                   console->linkText(kLimited) == "connected as bo" &&
                   console->linkText(kStranger).startsWith("token refused");
        },
        kHostWaitMs))
        << console->linkText(kFar).toStdString() << " / "
        << console->linkText(kLimited).toStdString() << " / "
        << console->linkText(kStranger).toStdString();

    const struct {
        QString server;
        QString operatorName;
        QList<bool> enabled;  // session, players, dedicated, skins, NovaWorld login
    } rows[] = {
        {kLimited, "bo", {false, true, false, true, true}},
        {kFar, "ops", {true, true, true, true, true}},
        {kLimited, "bo", {false, true, false, true, true}},
        {kLobby, "admin", {true, true, true, true, true}},
    };
    for (const auto& row : rows) {
        ASSERT_TRUE(console->open(row.server)) << row.server.toStdString();
        ASSERT_TRUE(session->granted().has_value());
        EXPECT_EQ(session->granted()->operatorName, row.operatorName) << row.server.toStdString();
        EXPECT_EQ(console->guardedEnabled(), row.enabled) << row.server.toStdString();
    }

    openUnserved(kStranger);
    EXPECT_EQ(session->panelState(), jexhost::PanelState::Refused);
    EXPECT_FALSE(formShown());
    EXPECT_TRUE(console->window().stateText()->text().startsWith(
        remote.url.toString() + " refused the token of Far stranger (wrong.token)."))
        << console->window().stateText()->text().toStdString();
    EXPECT_EQ(session->granted()->operatorName, "");
    EXPECT_EQ(session->granted()->privileges.size(), 5);
    for (const auto& privilege : session->granted()->privileges)
        EXPECT_EQ(privilege.second, 0) << privilege.first.toStdString();

    // After the refusal, the super administrator's controls are all enabled again.
    ASSERT_TRUE(console->open(kLobby));
    EXPECT_TRUE(session->granted()->superAdmin);
    EXPECT_EQ(console->guardedEnabled(), (QList<bool>{true, true, true, true, true}));
}

// The accepted update comes from the panel; the refused one is the same
// request with an out-of-range session type, written as the panel would.
TEST_F(RemoteProcessTest, NeitherLogHoldsAPasswordOfAnUpdateAcceptedOrRefused) {
    jextest::LogCapture hostLog;
    ASSERT_TRUE(console->open(kFar));
    auto* bluePassword = console->control<QLineEdit>("savBluePass");
    auto* update = console->control<QLabel>("cmdUpdate");
    ASSERT_TRUE(bluePassword && update);

    QSignalSpy carried(session->carrier(), &jexhost::RequestCarrier::requestCarried);
    bluePassword->setText(QStringLiteral("Zebra#Secret42"));
    QTest::mouseClick(update, Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return modal.texts().contains("Server Settings Updated."); },
                                kHostWaitMs));

    ASSERT_EQ(carried.size(), 1);
    auto request = wire::parseRequestText(carried[0][0].toString());
    ASSERT_TRUE(request.has_value());
    auto body = wire::parseUpdateBody(request->data);
    ASSERT_TRUE(body.has_value());
    body->fields[2] = QStringLiteral("7");
    host.write("RCData/reply_jexKDRSM_SetSettingsRem.txt",
               wire::requestText(request->command, request->hostTag, request->profileIndex,
                                 wire::joinUpdateBody(*body))
                   .toUtf8());
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return modal.texts().contains("Could Not Update Server Settings!"); }, kHostWaitMs));

    const QString logs = hostLog.text() + remote.log();
    EXPECT_TRUE(logs.contains("SetSettingsRem")) << "the updates were not logged at all";
    for (const char* secret : {"Zebra#Secret42", "WmVicmEjU2VjcmV0NDI"})
        EXPECT_FALSE(logs.contains(QString::fromLatin1(secret))) << secret;
}

}  // namespace
