// Replies from the remote side: the settings reply fills the form, the
// acknowledgement becomes a notice, bad replies take the error path.
#include <gtest/gtest.h>

#include <functional>
#include <optional>

#include "exchange/reply.h"
#include "form/controls.h"
#include "form/frmrcKDRSM.h"
#include "panel_support/panel_fixture.h"
#include "panel_support/server_state.h"
#include "plugin/module_state.h"

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
        if (modals.boxes().size() != 1)
            return QStringLiteral("%1 boxes").arg(modals.boxes().size());
        return modals.boxes()[0].text.split("\r\n").mid(0, 2).join('|');
    }
};

TEST_F(ReplyTest, TypicalReplyFillsEveryControl) {
    receive(ServerState::typical().reply());
    EXPECT_TRUE(modals.boxes().isEmpty());
    EXPECT_FALSE(mdl().NoDataReceived);
    const QString expected =
        "savServerName=KDR Test Server|savCountry=US|savSession=LAN IP|savPassword=secret|"
        "savPlayers=16|savTime=30|savDelay=2 Minutes|savMaps=Cycle|savRespawn=8|savDedicated=1|"
        "savNovaLogin=0|savSkins=1|savAutoBalance=0|savMessage=Welcome, soldier!|savBluePass=blue|"
        "savRedPass=red|savMaxFF=6|savPSPTime=15|savFlagReturn=210|savLives=100|savMinPingChk=1|"
        "savMinPing=20|savMaxPingChk=0|savGamePort=17479|savDestroyBuildings=1|chkAutoLoad=1";
    for (const QString& pair : expected.split(u'|'))
        EXPECT_EQ(jextest::shown(control(pair.section(u'=', 0, 0))), pair.section(u'=', 1))
            << pair.toStdString();
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

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Fields, ReplyFieldTest,
    ::testing::Values(FieldRow{"AutoBalanceOneClears", 12, "1", "savAutoBalance", "0"},
                      FieldRow{"AutoBalanceZeroChecks", 12, "0", "savAutoBalance", "1"},
                      FieldRow{"AutoBalanceOnePointZeroClears", 12, " 1.0 ", "savAutoBalance", "0"},
                      FieldRow{"MaxFFOneSelectsFirst", 17, "1", "savMaxFF", "1"},
                      FieldRow{"MaxFFZeroSelectsNothing", 17, "0", "savMaxFF", "(none)"},
                      FieldRow{"PSPOneSelectsFirst", 20, "1", "savPSPTime", "1"},
                      FieldRow{"PortZeroWithBlanks", 33, " 0 ", "savGamePort", "17479"},
                      FieldRow{"PortDoubleZeroKept", 33, "00", "savGamePort", "00"},
                      FieldRow{"GreyedCheck", 9, "2", "savDedicated", "2"},
                      FieldRow{"IndexHalfRoundsToEven", 6, "2.5", "savDelay", "2 Minutes"},
                      FieldRow{"IndexWithBlanks", 7, " 1 ", "savMaps", "Yes"},
                      FieldRow{"TimeInfinite", 5, "0", "savTime", "Infinite"},
                      FieldRow{"ListMinusOneClears", 2, "-1", "savSession", "(none)"},
                      FieldRow{"FlagReturnAsSent", 21, " 45 ", "savFlagReturn", " 45 "},
                      FieldRow{"NonAsciiName", 0, "S8OkcmdlcsKn", "savServerName", "Kärger§"}),
    [](const auto& info) { return std::string(info.param.name); });
// clang-format on

TEST_F(ReplyTest, RolesWeaponsAndASecondReply) {
    ServerState state = ServerState::typical();
    state.roles = {"true", "True", "TRUE", ""};  // only the exact "True" selects
    state.weapons = {b64("M4") + ",1", "", "  ", b64("LAW") + ",0"};  // empty entries skipped
    receive(state.reply());
    EXPECT_EQ(roles(), (QList<bool>{false, true, false, false}));
    EXPECT_EQ(weapons(), (QStringList{"M4+", "LAW-"}));
    state.roles = {"True", "False", "False", "True"};
    state.weapons = {b64("Claymore") + ",1"};
    receive(state.reply());  // the weapon list is rebuilt, the roles overwritten
    EXPECT_EQ(weapons(), QStringList{"Claymore+"});
    EXPECT_EQ(roles(), (QList<bool>{true, false, false, true}));
}

TEST_F(ReplyTest, AnInvalidEncodedFieldIsSkippedAlone) {
    receive(ServerState::typical().reply());
    ServerState state = ServerState::typical();
    state.fields[0] = "***not base64***";
    state.fields[3] = b64("changed");
    receive(state.reply());
    EXPECT_TRUE(modals.boxes().isEmpty());
    EXPECT_EQ(text("savServerName"), "KDR Test Server");  // kept
    EXPECT_EQ(text("savPassword"), "changed");            // later fields still set
    EXPECT_TRUE(errorLogLines().isEmpty());
}

struct FailureRow {
    const char* name;
    std::function<QString(ServerState&)> reply;  // changes the state, gives the reply
    const char* head;                            // first two lines of the error box
    std::optional<QStringList> weapons = {};     // the weapon list afterwards
};

class ReplyFailureTest : public ReplyTest, public ::testing::WithParamInterface<FailureRow> {};

// Every failure logs, reports and ends the reply: controls before it are set,
// those after it (the auto-load flag comes last) keep their values.
TEST_P(ReplyFailureTest, LogsReportsAndStops) {
    ServerState state = ServerState::typical();
    state.fields[0] = b64("New Name");
    ctl::setCheckValue(control("chkAutoLoad"), 0);
    receive(GetParam().reply(state));
    EXPECT_EQ(errorHead(), GetParam().head);
    EXPECT_TRUE(modals.boxes().value(0).text.contains("Function/Sub: RemoteData"));
    EXPECT_EQ(errorLogLines().size(), 1);
    EXPECT_EQ(text("savServerName"), "New Name");
    EXPECT_EQ(check("chkAutoLoad"), 0);
    EXPECT_FALSE(mdl().NoDataReceived);
    if (GetParam().weapons) {
        EXPECT_EQ(weapons(), *GetParam().weapons);
    }
}

auto withField(int index, const char* value) {
    return [=](ServerState& state) {
        state.fields[index] = value;
        return state.reply();
    };
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Failures, ReplyFailureTest,
    ::testing::Values(
        FailureRow{"NonNumericAutoBalance", withField(12, "yes"), "Error Line: 122|Error 13: Type mismatch"},
        FailureRow{"ListIndexOutOfRange", withField(2, "5"), "Error Line: 112|Error 380: Invalid property value"},
        FailureRow{"CheckValueThree", withField(9, "3"), "Error Line: 119|Error 380: Invalid property value"},
        FailureRow{"NonNumericIndex", withField(4, "many"), "Error Line: 114|Error 13: Type mismatch"},
        FailureRow{"IndexOverflow", withField(5, "40000"), "Error Line: 115|Error 6: Overflow"},
        FailureRow{"FieldsMissing", [](ServerState& state) { state.fields = state.fields.mid(0, 20); return state.reply(); },
                   "Error Line: 130|Error 9: Subscript out of range"},
        FailureRow{"WeaponWithoutComma",  // the entries before the failure are added
                   [](ServerState& state) { state.weapons = {b64("M16") + ",1", b64("MP5"), b64("LAW") + ",1"}; return state.reply(); },
                   "Error Line: 1001|Error 9: Subscript out of range", QStringList{"M16+", "MP5-"}},
        FailureRow{"ThreeSections", [](ServerState& state) { return state.reply().section("[-]", 0, 2); },
                   "Error Line: 170|Error 9: Subscript out of range"}),
    [](const auto& info) { return std::string(info.param.name); });
// clang-format on

struct NoticeRow {
    const char* name;
    const char* pending;
    const char* data;
    const char* title;
    const char* text;
    bool noData;  // NoDataReceived afterwards
};

class NoticeTest : public ReplyTest, public ::testing::WithParamInterface<NoticeRow> {};

// Empty and "Failed" replies block whatever is pending; an acknowledgement is
// a success only when it is exactly "1". The form is not touched either way.
TEST_P(NoticeTest, ShowsOneNotice) {
    const NoticeRow& row = GetParam();
    receive(ServerState::typical().reply());
    mdl().PendingCommand = row.pending;
    mdl().NoDataReceived = !row.noData;
    receive(row.data);
    ASSERT_EQ(modals.boxes().size(), 1);
    EXPECT_EQ(modals.boxes()[0].title, row.title);
    EXPECT_EQ(modals.boxes()[0].text, row.text);
    EXPECT_EQ(mdl().NoDataReceived, row.noData);
    EXPECT_EQ(text("savServerName"), "KDR Test Server");
    EXPECT_EQ(mdl().PendingCommand, row.pending);
}

const char* const kNoData = "No Data Recieved!";
const char* const kNotUpdated = "Could Not Update Server Settings!";

INSTANTIATE_TEST_SUITE_P(
    Replies, NoticeTest,
    ::testing::Values(
        NoticeRow{"EmptyWhileLoading", "LoadForm", "", "Failed!", kNoData, true},
        NoticeRow{"FailedWhileLoading", "LoadForm", "Failed", "Failed!", kNoData, true},
        NoticeRow{"FailedWhileUpdating", "Update Settings", "Failed", "Failed!", kNoData, true},
        NoticeRow{"AckOne", "Update Settings", "1", "Success", "Server Settings Updated.", false},
        NoticeRow{"AckZero", "Update Settings", "0", "Failed!", kNotUpdated, false},
        NoticeRow{"AckTrue", "Update Settings", "True", "Failed!", kNotUpdated, false},
        NoticeRow{"AckBlankOne", "Update Settings", " 1", "Failed!", kNotUpdated, false}),
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
