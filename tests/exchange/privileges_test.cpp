// Privileges enable or disable the five guarded settings.
#include <gtest/gtest.h>

#include <memory>

#include "exchange/privileges.h"
#include "exchange/reply.h"
#include "exchange/update.h"
#include "form/frmrcKDRSM.h"
#include "jex/collection.h"
#include "panel_support/panel_fixture.h"
#include "panel_support/server_state.h"
#include "plugin/module_state.h"

namespace {

using kdrsm::applyPrivileges;

const QStringList kNames = {"Change Session Type", "Change Max Players", "Change Dedicated Mode",
                            "Change Custom Skins Option", "Change Req Nova Login Option"};
const QStringList kControls = {"savSession", "savPlayers", "savDedicated", "savSkins",
                               "savNovaLogin"};

class PrivilegesTest : public jextest::PanelTest {
protected:
    void SetUp() override {
        PanelTest::SetUp();
        setReportErrors("0");
    }
    // A collection with `values` for the names in order (nullptr-free QVariant
    // entries; an invalid QVariant leaves the name out).
    jex::Collection* collection(const QList<QVariant>& values) {
        auto* col = new jex::Collection(&owner);
        for (qsizetype i = 0; i < values.size(); ++i)
            if (values[i].isValid()) col->add(values[i], kNames[i]);
        if (col->count() == 0 && !values.isEmpty()) col->add(1, "Kick Players");
        return col;
    }
    QList<bool> enabled() {
        QList<bool> states;
        for (const QString& name : kControls) states << control(name)->isEnabled();
        return states;
    }
    QObject owner;
};

struct PrivilegeRow {
    const char* name;
    QList<QVariant> values;
    QList<bool> enabled;
};

class PrivilegeTableTest : public PrivilegesTest,
                           public ::testing::WithParamInterface<PrivilegeRow> {};

TEST_P(PrivilegeTableTest, AppliesEachPrivilege) {
    applyPrivileges(collection(GetParam().values), false);
    EXPECT_EQ(enabled(), GetParam().enabled);
    EXPECT_TRUE(modals.boxes().isEmpty());
}

const QVariant missing;

INSTANTIATE_TEST_SUITE_P(
    Collections, PrivilegeTableTest,
    ::testing::Values(
        PrivilegeRow{"Alternating", {0, 1, 0, 1, 1}, {false, true, false, true, true}},
        PrivilegeRow{
            "TrueAndFiveEnable", {-1, 5, true, QString("1"), 0}, {true, true, true, true, false}},
        PrivilegeRow{"FalseDisables", {false, 1, 1, 1, 1}, {false, true, true, true, true}},
        PrivilegeRow{
            "TextZeroDisables", {QString(" 0 "), 1, 1, 1, 1}, {false, true, true, true, true}},
        PrivilegeRow{"OnlyMaxPlayers", {missing, 1}, {false, true, false, false, false}},
        PrivilegeRow{"NoneOfTheNames",
                     {missing, missing, missing, missing, missing},
                     {false, false, false, false, false}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(PrivilegesTest, SuperAdministratorChangesNothing) {
    applyPrivileges(collection({0, 0, 0, 0, 0}), true);
    EXPECT_EQ(enabled(), (QList<bool>{true, true, true, true, true}));
    applyPrivileges(collection({1, 1, 1, 0, 1}), false);
    applyPrivileges(collection({1, 1, 1, 1, 1}), true);
    EXPECT_FALSE(control("savSkins")->isEnabled());
}

TEST_F(PrivilegesTest, EmptyOrMissingCollectionChangesNothingALaterOneDoes) {
    applyPrivileges(collection({0, 1, 0, 1, 1}), false);
    applyPrivileges(collection({}), false);
    EXPECT_EQ(enabled(), (QList<bool>{false, true, false, true, true}));
    applyPrivileges(nullptr, false);
    EXPECT_EQ(enabled(), (QList<bool>{false, true, false, true, true}));
    applyPrivileges(collection({1, 1, 1, 1, 1}), false);  // a later call enables again
    EXPECT_EQ(enabled(), (QList<bool>{true, true, true, true, true}));
    EXPECT_TRUE(modals.boxes().isEmpty());
}

TEST_F(PrivilegesTest, KeysMatchWhateverTheCase) {
    auto* col = new jex::Collection(&owner);
    col->add(0, "CHANGE SESSION TYPE");
    for (int i = 1; i < 5; ++i) col->add(1, kNames[i].toLower());
    applyPrivileges(col, false);
    EXPECT_EQ(enabled(), (QList<bool>{false, true, true, true, true}));
}

TEST_F(PrivilegesTest, AValueThatIsNoNumberStopsAndReports) {
    auto* col = collection({1, QString("lots"), 0, 0, 0});
    control("savDedicated")->setEnabled(true);
    applyPrivileges(col, false);
    ASSERT_EQ(modals.boxes().size(), 1);
    EXPECT_TRUE(modals.boxes()[0].text.contains("Error 13: Type mismatch"));
    EXPECT_TRUE(modals.boxes()[0].text.contains("Function/Sub: SetPrivis"));
    EXPECT_EQ(enabled(), (QList<bool>{true, true, true, true, true}));  // the rest untouched
    EXPECT_EQ(errorLogLines().size(), 1);
}

TEST_F(PrivilegesTest, ADisabledSettingIsStillSent) {
    kdrsm::mdl().PendingCommand = "LoadForm";
    kdrsm::handleRemoteData(jextest::ServerState::typical().reply());
    applyPrivileges(collection({1, 1, 0, 1, 1}), false);
    kdrsm::updateSettings(form());
    const QString sent = QString::fromUtf8(host.read("RCData/reply_jexKDRSM_SetSettingsRem.txt"));
    EXPECT_EQ(sent.section("_VB6_0_", 1).split("[-]")[0].split('|')[9], "1");
}

}  // namespace
