// Replies from the remote side: the settings reply fills the form, the
// acknowledgement becomes a notice, bad replies take the error path.
#include <gtest/gtest.h>

#include "exchange/reply.h"
#include "form/controls.h"
#include "form/frmrcKDRSM.h"
#include "panel_support/panel_fixture.h"
#include "plugin/module_state.h"
#include "panel_support/server_state.h"

namespace {

using jextest::b64;
using jextest::ServerState;
using kdrsm::mdl;
namespace ctl = kdrsm::ctl;

class ReplyTest : public jextest::PanelTest {
protected:
    void SetUp() override {
        PanelTest::SetUp();
        setReportErrors("0");
        mdl().PendingCommand = "LoadForm";
    }
    void receive(const QString& data) { kdrsm::handleRemoteData(data); }
    QString text(const char* name) { return ctl::text(control(name)); }
    int check(const char* name) { return ctl::checkValue(control(name)); }
    QStringList weapons() {
        QStringList list;
        for (int i = 0; i < ctl::listCount(control("lstWeapons")); ++i)
            list << ctl::listText(control("lstWeapons"), i) +
                        (ctl::selected(control("lstWeapons"), i) ? "+" : "-");
        return list;
    }
    QList<bool> roles() {
        QList<bool> list;
        for (int i = 0; i < 4; ++i) list << ctl::selected(control("lstRoles"), i);
        return list;
    }
    // The single error box's first two lines, e.g. "Error Line: 122|Error 13: Type mismatch".
    QString errorHead() {
        if (modals.boxes().size() != 1) return QStringLiteral("%1 boxes").arg(modals.boxes().size());
        return modals.boxes()[0].text.split("\r\n").mid(0, 2).join('|');
    }
};

TEST_F(ReplyTest, TypicalReplyFillsEveryControl) {
    receive(ServerState::typical().reply());
    EXPECT_TRUE(modals.boxes().isEmpty());
    EXPECT_FALSE(mdl().NoDataReceived);
    const QList<QPair<const char*, const char*>> expected = {
        {"savServerName", "KDR Test Server"}, {"savCountry", "US"}, {"savSession", "LAN IP"},
        {"savPassword", "secret"}, {"savPlayers", "16"}, {"savTime", "30"},
        {"savDelay", "2 Minutes"}, {"savMaps", "Cycle"}, {"savRespawn", "8"},
        {"savDedicated", "1"}, {"savNovaLogin", "0"}, {"savSkins", "1"},
        {"savAutoBalance", "0"}, {"savMessage", "Welcome, soldier!"}, {"savBluePass", "blue"},
        {"savRedPass", "red"}, {"savMaxFF", "6"}, {"savPSPTime", "15"},
        {"savFlagReturn", "210"}, {"savLives", "100"}, {"savMinPingChk", "1"},
        {"savMinPing", "20"}, {"savMaxPingChk", "0"}, {"savGamePort", "17479"},
        {"savDestroyBuildings", "1"}, {"chkAutoLoad", "1"}};
    for (const auto& [name, value] : expected)
        EXPECT_EQ(jextest::shown(control(name)), value) << name;
    EXPECT_TRUE(control("savMinPing")->isEnabled());  // the check box's reaction ran
    EXPECT_FALSE(control("savMaxPing")->isEnabled());
    EXPECT_EQ(roles(), (QList<bool>{true, false, true, false}));
    EXPECT_EQ(weapons(), (QStringList{"M16+", "MP5-", "Barrett .50+"}));
}

struct FieldRow {
    const char* name;
    int field;
    const char* value;
    const char* control;
    const char* shown;  // text, list entry text, or check value
};

class ReplyFieldTest : public ReplyTest, public ::testing::WithParamInterface<FieldRow> {};

TEST_P(ReplyFieldTest, ConvertsTheField) {
    ServerState state = ServerState::typical();
    state.fields[GetParam().field] = GetParam().value;
    receive(state.reply());
    EXPECT_EQ(jextest::shown(control(GetParam().control)), GetParam().shown);
    EXPECT_TRUE(modals.boxes().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Fields, ReplyFieldTest,
    ::testing::Values(FieldRow{"AutoBalanceOneClears", 12, "1", "savAutoBalance", "0"},
                      FieldRow{"AutoBalanceZeroChecks", 12, "0", "savAutoBalance", "1"},
                      FieldRow{"AutoBalanceTwoChecks", 12, "2", "savAutoBalance", "1"},
                      FieldRow{"AutoBalanceOnePointZeroClears", 12, " 1.0 ", "savAutoBalance", "0"},
                      FieldRow{"MaxFFOneSelectsFirst", 17, "1", "savMaxFF", "1"},
                      FieldRow{"MaxFFZeroSelectsNothing", 17, "0", "savMaxFF", "(none)"},
                      FieldRow{"PSPOneSelectsFirst", 20, "1", "savPSPTime", "1"},
                      FieldRow{"PortZeroWithBlanks", 33, " 0 ", "savGamePort", "17479"},
                      FieldRow{"PortDoubleZeroKept", 33, "00", "savGamePort", "00"},
                      FieldRow{"PortKept", 33, "3568", "savGamePort", "3568"},
                      FieldRow{"GreyedCheck", 9, "2", "savDedicated", "2"},
                      FieldRow{"IndexHalfRoundsToEven", 6, "2.5", "savDelay", "2 Minutes"},
                      FieldRow{"IndexWithBlanks", 7, " 1 ", "savMaps", "Yes"},
                      FieldRow{"TimeInfinite", 5, "0", "savTime", "Infinite"},
                      FieldRow{"ListMinusOneClears", 2, "-1", "savSession", "(none)"},
                      FieldRow{"FlagReturnAsSent", 21, " 45 ", "savFlagReturn", " 45 "},
                      FieldRow{"NonAsciiName", 0, "S8OkcmdlcsKn", "savServerName", "Kärger§"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ReplyTest, LowerCaseTrueDeselectsARole) {
    ServerState state = ServerState::typical();
    state.roles = {"true", "True", "TRUE", ""};
    receive(state.reply());
    EXPECT_EQ(roles(), (QList<bool>{false, true, false, false}));
}

TEST_F(ReplyTest, EmptyWeaponEntriesAreSkipped) {
    ServerState state = ServerState::typical();
    state.weapons = {b64("M4") + ",1", "", "  ", b64("LAW") + ",0"};
    receive(state.reply());
    EXPECT_EQ(weapons(), (QStringList{"M4+", "LAW-"}));
}

TEST_F(ReplyTest, ASecondReplyRebuildsTheWeaponsAndOverwritesRoles) {
    receive(ServerState::typical().reply());
    ServerState second = ServerState::typical();
    second.roles = {"False", "True", "False", "True"};
    second.weapons = {b64("Claymore") + ",1"};
    receive(second.reply());
    EXPECT_EQ(weapons(), QStringList{"Claymore+"});
    EXPECT_EQ(roles(), (QList<bool>{false, true, false, true}));
}

TEST_F(ReplyTest, AnInvalidEncodedFieldIsSkippedAlone) {
    receive(ServerState::typical().reply());
    ServerState state = ServerState::typical();
    state.fields[0] = "***not base64***";
    state.fields[3] = b64("changed");
    receive(state.reply());
    EXPECT_TRUE(modals.boxes().isEmpty());
    EXPECT_EQ(text("savServerName"), "KDR Test Server");  // kept
    EXPECT_EQ(text("savPassword"), "changed");             // later fields still set
    EXPECT_TRUE(errorLogLines().isEmpty());
}

struct FailureRow {
    const char* name;
    int field;           // -1: change the weapons or sections instead
    const char* value;
    const char* head;    // first two lines of the error box
    const char* untouched;  // a text control after the failure, which keeps its value
};

class ReplyFailureTest : public ReplyTest, public ::testing::WithParamInterface<FailureRow> {};

TEST_P(ReplyFailureTest, LogsReportsAndStops) {
    const FailureRow& row = GetParam();
    ServerState state = ServerState::typical();
    state.fields[row.field] = row.value;
    state.fields[0] = b64("New Name");
    receive(state.reply());
    EXPECT_EQ(errorHead(), row.head);
    EXPECT_TRUE(modals.boxes().value(0).text.contains("Function/Sub: RemoteData"));
    EXPECT_EQ(errorLogLines().size(), 1);
    EXPECT_EQ(text("savServerName"), "New Name");  // set before the failure
    EXPECT_EQ(ctl::text(control(row.untouched)), "") << "a control after the failure was set";
    EXPECT_FALSE(mdl().NoDataReceived);
}

INSTANTIATE_TEST_SUITE_P(
    Failures, ReplyFailureTest,
    ::testing::Values(
        FailureRow{"NonNumericAutoBalance", 12, "yes", "Error Line: 122|Error 13: Type mismatch",
                   "savMessage"},
        FailureRow{"ListIndexOutOfRange", 2, "5", "Error Line: 112|Error 380: Invalid property value",
                   "savPassword"},
        FailureRow{"CheckValueThree", 9, "3", "Error Line: 119|Error 380: Invalid property value",
                   "savMessage"},
        FailureRow{"NonNumericIndex", 4, "many", "Error Line: 114|Error 13: Type mismatch",
                   "savMessage"},
        FailureRow{"IndexOverflow", 5, "40000", "Error Line: 115|Error 6: Overflow", "savMessage"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ReplyTest, AWeaponWithoutCommaEndsTheReplyAfterAddingIt) {
    ServerState state = ServerState::typical();
    state.weapons = {b64("M16") + ",1", b64("MP5"), b64("LAW") + ",1"};
    state.autoLoad = "1";
    ctl::setCheckValue(control("chkAutoLoad"), 0);
    receive(state.reply());
    EXPECT_EQ(errorHead(), "Error Line: 1001|Error 9: Subscript out of range");
    EXPECT_EQ(weapons(), (QStringList{"M16+", "MP5-"}));
    EXPECT_EQ(check("chkAutoLoad"), 0);
}

TEST_F(ReplyTest, ThreeSectionsFillEverythingThenFailAtTheFlag) {
    ServerState state = ServerState::typical();
    ctl::setCheckValue(control("chkAutoLoad"), 1);
    const QString reply = QStringList{state.fields.join('|'), state.roles.join('|'),
                                      state.weapons.join('|')}.join("[-]");
    receive(reply);
    EXPECT_EQ(errorHead(), "Error Line: 170|Error 9: Subscript out of range");
    EXPECT_EQ(text("savGamePort"), "17479");
    EXPECT_EQ(weapons().size(), 3);
    EXPECT_EQ(check("chkAutoLoad"), 1);  // kept its previous state
}

TEST_F(ReplyTest, MissingFieldsEndTheReply) {
    receive(QStringList{"a|b"}.join("[-]"));
    // Fields 0 and 1 are not Base64 (skipped alone); field 2 is missing.
    EXPECT_EQ(errorHead(), "Error Line: 112|Error 9: Subscript out of range");
}

struct NoDataRow {
    const char* name;
    const char* pending;
    const char* data;
};

class NoDataTest : public ReplyTest, public ::testing::WithParamInterface<NoDataRow> {};

TEST_P(NoDataTest, ShowsNoDataAndBlocks) {
    receive(ServerState::typical().reply());
    mdl().PendingCommand = GetParam().pending;
    receive(GetParam().data);
    ASSERT_EQ(modals.boxes().size(), 1);
    EXPECT_EQ(modals.boxes()[0].title, "Failed!");
    EXPECT_EQ(modals.boxes()[0].text, "No Data Recieved!");
    EXPECT_TRUE(mdl().NoDataReceived);
    EXPECT_EQ(text("savServerName"), "KDR Test Server");  // the form is not touched
    EXPECT_EQ(mdl().PendingCommand, GetParam().pending);
}

INSTANTIATE_TEST_SUITE_P(Replies, NoDataTest,
                         ::testing::Values(NoDataRow{"EmptyWhileLoading", "LoadForm", ""},
                                           NoDataRow{"FailedWhileLoading", "LoadForm", "Failed"},
                                           NoDataRow{"EmptyWhileUpdating", "Update Settings", ""},
                                           NoDataRow{"FailedWhileUpdating", "Update Settings", "Failed"}),
                         [](const auto& info) { return std::string(info.param.name); });

struct AckRow {
    const char* name;
    const char* data;
    const char* title;
    const char* text;
};

class AcknowledgementTest : public ReplyTest, public ::testing::WithParamInterface<AckRow> {};

TEST_P(AcknowledgementTest, OnlyOneMeansSuccess) {
    mdl().PendingCommand = "Update Settings";
    mdl().NoDataReceived = true;
    receive(GetParam().data);
    ASSERT_EQ(modals.boxes().size(), 1);
    EXPECT_EQ(modals.boxes()[0].title, GetParam().title);
    EXPECT_EQ(modals.boxes()[0].text, GetParam().text);
    EXPECT_FALSE(mdl().NoDataReceived);
    EXPECT_EQ(mdl().PendingCommand, "Update Settings");
}

INSTANTIATE_TEST_SUITE_P(
    Acks, AcknowledgementTest,
    ::testing::Values(AckRow{"One", "1", "Success", "Server Settings Updated."},
                      AckRow{"Zero", "0", "Failed!", "Could Not Update Server Settings!"},
                      AckRow{"True", "True", "Failed!", "Could Not Update Server Settings!"},
                      AckRow{"BlankOne", " 1", "Failed!", "Could Not Update Server Settings!"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ReplyTest, NothingPendingOnlyResetsTheFlag) {
    mdl().PendingCommand.clear();
    mdl().NoDataReceived = true;
    ctl::setText(control("savServerName"), "unchanged");
    receive(ServerState::typical().reply());
    EXPECT_FALSE(mdl().NoDataReceived);
    EXPECT_TRUE(modals.boxes().isEmpty());
    EXPECT_EQ(text("savServerName"), "unchanged");
}

}  // namespace
