// The Update button: corrections in the form, the exact request body, and
// the refusal while no data has arrived.
#include <gtest/gtest.h>

#include <functional>

#include "exchange/reply.h"
#include "exchange/update.h"
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

// The request body for the typical server, written out field by field.
QStringList typicalFields() {
    return {b64("KDR Test Server"),
            b64("US"),
            "1",
            b64("secret"),
            "15",
            "30",
            "2",
            "2",
            "8",
            "1",
            "0",
            "1",
            "1",
            b64("Welcome, soldier!"),
            b64("blue"),
            b64("red"),
            "1",
            "6",
            "0",
            "1",
            "15",
            "210",
            "100",
            "1",
            "0",
            "1",
            "1",
            "20",
            "0",
            "15000",
            "0",
            "0",
            "1"};
}

QString body(const QStringList& fields, const QString& weapons, const QString& roles,
             const QString& autoLoad) {
    return fields.join('|') + "[-]" + weapons + "[-]" + roles + "[-]" + autoLoad;
}

QString typicalWeapons() {
    return b64("M16") + "|" + b64("Barrett .50");
}

class UpdateTest : public jextest::PanelTest {
protected:
    void SetUp() override {
        PanelTest::SetUp();
        setReportErrors("0");
        mdl().PendingCommand = "LoadForm";
        kdrsm::handleRemoteData(ServerState::typical().reply());
        ASSERT_TRUE(modals.boxes().isEmpty());
    }
    void pressUpdate(qint16 button = 1) {
        form().cmdUpdate_MouseDown(button, 0, 10, 10);
        form().cmdUpdate_MouseUp(button, 0, 10, 10);
    }
    QString sentBody() {
        const QString text =
            QString::fromUtf8(host.read("RCData/reply_jexKDRSM_SetSettingsRem.txt"));
        const QString prefix = "Plugin_jexKDRSM_SetSettingsRem__VB6_0_";
        return text.startsWith(prefix) ? text.mid(prefix.size()) : "(not sent) " + text;
    }
    QWidget* c(const char* name) { return control(name); }
};

TEST_F(UpdateTest, UnchangedFormSendsWhatArrived) {
    for (qint16 button : {1, 2}) {  // a right-button release sends too
        pressUpdate(button);
        EXPECT_EQ(sentBody(), body(typicalFields(), typicalWeapons(), "CQB||Medic|", "1"));
    }
    EXPECT_EQ(mdl().PendingCommand, "Update Settings");
    EXPECT_TRUE(modals.boxes().isEmpty());
    EXPECT_EQ(form().mousePointer(), 0);
}

struct CorrectionRow {
    const char* name;
    std::function<void(QWidget*)> change;  // applied to `control`
    const char* control;
    int field;
    QString sent;
    QString shown;  // text, or list entry text, afterwards ("(none)" for no entry)
};

class UpdateCorrectionTest : public UpdateTest,
                             public ::testing::WithParamInterface<CorrectionRow> {};

TEST_P(UpdateCorrectionTest, CorrectsTheFormAndSends) {
    const CorrectionRow& row = GetParam();
    row.change(c(row.control));
    pressUpdate();
    QStringList fields = typicalFields();
    fields[row.field] = row.sent;
    EXPECT_EQ(sentBody(), body(fields, typicalWeapons(), "CQB||Medic|", "1"));
    EXPECT_EQ(jextest::shown(c(row.control)), row.shown);
}

auto setText(const char* text) {
    return [text](QWidget* w) { ctl::setText(w, text); };
}
auto setIndex(int index) {
    return [index](QWidget* w) { ctl::setListIndex(w, index); };
}
auto setCheck(int value) {
    return [value](QWidget* w) { ctl::setCheckValue(w, value); };
}

INSTANTIATE_TEST_SUITE_P(
    Corrections, UpdateCorrectionTest,
    ::testing::Values(
        CorrectionRow{"BlankNameBecomesUntitled", setText("   "), "savServerName", 0,
                      b64("Untitled"), "Untitled"},
        CorrectionRow{"NameKeepsItsBlanks", setText(" a b "), "savServerName", 0, b64(" a b "),
                      " a b "},
        CorrectionRow{"BlankCountrySendsNothing", setText("  "), "savCountry", 1, "", "  "},
        CorrectionRow{"TypedCountryEncoded", setText("XX"), "savCountry", 1, b64("XX"), "XX"},
        CorrectionRow{"SessionNoneBecomesNovaWorld", setIndex(-1), "savSession", 2, "0",
                      "NovaWorld"},
        CorrectionRow{"PlayersNoneBecomesFifty", setIndex(-1), "savPlayers", 4, "49", "50"},
        CorrectionRow{"PlayersFirstEntry", setIndex(0), "savPlayers", 4, "0", "1"},
        CorrectionRow{"TimeInfinite", setIndex(0), "savTime", 5, "0", "Infinite"},
        CorrectionRow{"TimeHundred", setIndex(100), "savTime", 5, "100", "100"},
        CorrectionRow{"TimeNoneBecomesThirty", setIndex(-1), "savTime", 5, "30", "30"},
        CorrectionRow{"DelayNoneBecomesTwoMinutes", setIndex(-1), "savDelay", 6, "2", "2 Minutes"},
        CorrectionRow{"MapsNoneBecomesCycle", setIndex(-1), "savMaps", 7, "2", "Cycle"},
        CorrectionRow{"RespawnNoneBecomesEight", setIndex(-1), "savRespawn", 8, "8", "8"},
        CorrectionRow{"GreyedCheckSent", setCheck(2), "savSkins", 11, "2", "2"},
        CorrectionRow{"AutoBalanceCheckedSendsZero", setCheck(1), "savAutoBalance", 12, "0", "1"},
        CorrectionRow{"AutoBalanceGreyedSendsOne", setCheck(2), "savAutoBalance", 12, "1", "2"},
        CorrectionRow{"BlankMessageSendsNothing", setText(""), "savMessage", 13, "", ""},
        CorrectionRow{"MaxFFFirst", setIndex(0), "savMaxFF", 17, "1", "1"},
        CorrectionRow{"MaxFFNoneBecomesSix", setIndex(-1), "savMaxFF", 17, "6", "6"},
        CorrectionRow{"PSPNoneBecomesFifteen", setIndex(-1), "savPSPTime", 20, "15", "15"},
        CorrectionRow{"FlagReturnWordSendsDefault", setText("abc"), "savFlagReturn", 21, "210",
                      "abc"},
        CorrectionRow{"FlagReturnAsTyped", setText(" 45 "), "savFlagReturn", 21, " 45 ", " 45 "},
        CorrectionRow{"LivesBlankSendsDefault", setText(""), "savLives", 22, "100", ""},
        CorrectionRow{"MinPingBlankBecomesZero", setText(""), "savMinPing", 27, "0", "0"},
        CorrectionRow{"MaxPingWordBecomesDefault", setText("x"), "savMaxPing", 29, "15000",
                      "15000"}),
    [](const auto& info) { return std::string(info.param.name); });

// Weapons go in section 1 (selected ones only), roles in four fixed slots
// (slot 0 the literal "CQB"), the auto-load value last.
TEST_F(UpdateTest, WeaponsRolesAndAutoLoadSections) {
    struct Row {
        QList<bool> roles;
        QList<bool> weapons;
        int autoLoad;
        QString tail;
    };
    const QString m16 = b64("M16"), mp5 = b64("MP5"), barrett = b64("Barrett .50");
    for (const Row& row :
         {Row{{false, false, false, false}, {false, false, false}, 0, "[-][-]|||[-]0"},
          Row{{true, true, true, true},
              {true, true, true},
              1,
              "[-]" + m16 + "|" + mp5 + "|" + barrett + "[-]CQB|Gunner|Medic|Sniper[-]1"},
          Row{{false, true, false, false},
              {false, true, false},
              1,
              "[-]" + mp5 + "[-]|Gunner||[-]1"},
          Row{{false, false, true, false},
              {true, false, true},
              0,
              "[-]" + m16 + "|" + barrett + "[-]||Medic|[-]0"}}) {
        for (int i = 0; i < 4; ++i) ctl::setSelected(c("lstRoles"), i, row.roles[i]);
        for (int i = 0; i < 3; ++i) ctl::setSelected(c("lstWeapons"), i, row.weapons[i]);
        ctl::setCheckValue(c("chkAutoLoad"), row.autoLoad);
        pressUpdate();
        EXPECT_EQ(sentBody(), typicalFields().join('|') + row.tail);
    }
}

TEST_F(UpdateTest, RefusedWhileNoDataReceived) {
    kdrsm::handleRemoteData("Failed");
    ctl::setText(c("savServerName"), "   ");
    const int boxesBefore = static_cast<int>(modals.boxes().size());
    pressUpdate();
    ASSERT_EQ(modals.boxes().size(), boxesBefore + 1);
    EXPECT_EQ(modals.boxes().last().title, "Failed!");
    EXPECT_EQ(modals.boxes().last().text,
              "There seems to have been a problem collecting data!\r\n\r\nUnable to update server "
              "settings!");
    EXPECT_FALSE(host.exists("RCData/reply_jexKDRSM_SetSettingsRem.txt"));
    EXPECT_EQ(ctl::text(c("savServerName")), "   ");
    EXPECT_EQ(mdl().PendingCommand, "Update Settings");
    EXPECT_EQ(form().mousePointer(), 0);
}

TEST_F(UpdateTest, AFailureWritesNothingAndRestoresThePointer) {
    // A request folder that cannot be created: its place is taken by a file.
    host.write("RCData", "not a folder");
    pressUpdate();
    ASSERT_EQ(modals.boxes().size(), 1);
    EXPECT_EQ(modals.boxes()[0].title, "DLL Error!");
    EXPECT_TRUE(modals.boxes()[0].text.contains("Function/Sub: cmdUpdate"));
    EXPECT_EQ(errorLogLines().size(), 1);
    EXPECT_EQ(form().mousePointer(), 0);
    EXPECT_EQ(host.read("RCData"), "not a folder");
}

TEST_F(UpdateTest, AnEncodingFailureSendsNothing) {
    kdrsm::mdl().objMemory = nullptr;
    pressUpdate();
    ASSERT_EQ(modals.boxes().size(), 1);
    EXPECT_TRUE(modals.boxes()[0].text.contains("Error 91:"));
    EXPECT_FALSE(host.exists("RCData/reply_jexKDRSM_SetSettingsRem.txt"));
}

}  // namespace
