// Load: values put back by control type, lists unchanged, failures on the
// error path with earlier controls set.
#include <QRegularExpression>

#include <gtest/gtest.h>

#include "form/controls.h"
#include "form/file_dialog.h"
#include "form/frmrcKDRSM.h"
#include "plugin/module_state.h"
#include "settings_file_fixture.h"

namespace {

using jextest::SettingsFileTest;
namespace ctl = kdrsm::ctl;

class LoadTest : public SettingsFileTest {
protected:
    // Saves the typical form to `name`, then lets `edit` change the file's
    // Server section by plain text replacement before loading it back.
    QString savedFile(const QString& name) {
        save(settingsPath(name));
        modals.onFileDialog = nullptr;
        return "profiles/2/settings/" + name;
    }
    void replaceInFile(const QString& relative, const QString& from, const QString& to) {
        QString content = QString::fromUtf8(host.read(relative));
        ASSERT_TRUE(content.contains(from)) << from.toStdString();
        host.write(relative, content.replace(from, to).toUtf8());
    }
    int boxesBefore = 0;
    void loadFile(const QString& relative) {
        boxesBefore = static_cast<int>(modals.boxes().size());
        load(host.path(relative));
    }
    QStringList newBoxTexts() { return modals.texts().mid(boxesBefore); }
};

TEST_F(LoadTest, PutsValuesBackAndReportsSuccess) {
    const QString file = savedFile("a.ssf");
    ctl::setText(control("savServerName"), "changed");
    ctl::setListIndex(control("savTime"), 0);
    ctl::setCheckValue(control("savSkins"), 0);
    ctl::setSelected(control("lstRoles"), 2, false);
    loadFile(file);
    EXPECT_EQ(newBoxTexts(), QStringList{"Server Settings Loaded."});
    EXPECT_EQ(modals.boxes().last().title, "Success");
    EXPECT_EQ(ctl::text(control("savServerName")), "KDR Test Server");
    EXPECT_EQ(ctl::listIndex(control("savTime")), 30);
    EXPECT_EQ(ctl::checkValue(control("savSkins")), 1);
    EXPECT_TRUE(ctl::selected(control("lstRoles"), 2));
    EXPECT_FALSE(dialog.saving);
    EXPECT_EQ(dialog.title, "Load Saved Server Settings");
    EXPECT_EQ(dialog.directory, settingsFolder());
    EXPECT_EQ(dialog.nameFilters, QStringList{"Server Settings File (*.ssf)"});
    EXPECT_EQ(form().cdSettings().Flags, 788996);
}

TEST_F(LoadTest, CancelChangesAndShowsNothing) {
    ctl::setText(control("savServerName"), "changed");
    load("");
    EXPECT_TRUE(dialog.shown);
    EXPECT_TRUE(modals.boxes().isEmpty());
    EXPECT_EQ(ctl::text(control("savServerName")), "changed");
}

TEST_F(LoadTest, WorksWhileNoDataReceivedAndCreatesTheFolder) {
    kdrsm::mdl().NoDataReceived = true;
    load(settingsPath("none.ssf"));
    EXPECT_TRUE(dialog.shown);
    EXPECT_TRUE(host.exists("profiles/2/settings"));
}

struct ValueRow {
    const char* name;
    const char* key;
    const char* value;
    const char* control;
    int index;
};

class LoadValueTest : public LoadTest, public ::testing::WithParamInterface<ValueRow> {};

TEST_P(LoadValueTest, SetsTheListIndex) {
    const QString file = savedFile("v.ssf");
    QString content = QString::fromUtf8(host.read(file));
    content.replace(QRegularExpression(QStringLiteral("\\n%1=[^\\n]*").arg(GetParam().key)),
                    QStringLiteral("\n%1=%2").arg(GetParam().key, GetParam().value));
    host.write(file, content.toUtf8());
    loadFile(file);
    EXPECT_EQ(ctl::listIndex(control(GetParam().control)), GetParam().index);
    EXPECT_EQ(newBoxTexts(), QStringList{"Server Settings Loaded."});
}

INSTANTIATE_TEST_SUITE_P(
    Values, LoadValueTest,
    ::testing::Values(ValueRow{"PlayersMinusOneClears", "Players", "-1", "savPlayers", -1},
                      ValueRow{"TimeZeroIsInfinite", "Time", "0", "savTime", 0},
                      ValueRow{"CountryMinusOne", "Country", "-1", "savCountry", -1}),
    [](const auto& info) { return std::string(info.param.name); });

// Entries are selected only by "1"; names the lists lack are ignored and the
// lists stay as they are; the ping fields follow their boxes.
TEST_F(LoadTest, SelectionsAndReactions) {
    const QString file = savedFile("w.ssf");
    replaceInFile(file, "MP5=0", "MP5=1\nRPG=1");
    replaceInFile(file, "CQB=1", "CQB=yes");
    replaceInFile(file, "Medic=1\n", "");
    replaceInFile(file, "MaxPingChk=0", "MaxPingChk=1");
    ctl::setSelected(control("lstWeapons"), 0, false);
    loadFile(file);
    EXPECT_EQ(ctl::listCount(control("lstWeapons")), 3);
    EXPECT_TRUE(ctl::selected(control("lstWeapons"), 0));
    EXPECT_TRUE(ctl::selected(control("lstWeapons"), 1));
    EXPECT_FALSE(ctl::selected(control("lstRoles"), 0));
    EXPECT_FALSE(ctl::selected(control("lstRoles"), 2));
    EXPECT_TRUE(control("savMaxPing")->isEnabled());
}

struct FailureRow {
    const char* name;
    const char* from;
    const char* to;
    const char* head;
};

class LoadFailureTest : public LoadTest, public ::testing::WithParamInterface<FailureRow> {};

TEST_P(LoadFailureTest, EndsOnTheErrorPathWithEarlierControlsSet) {
    const QString file = savedFile("f.ssf");
    replaceInFile(file, "ServerName=KDR Test Server", "ServerName=From File");
    replaceInFile(file, "AutoBalance=0", "AutoBalance=1");
    replaceInFile(file, GetParam().from, GetParam().to);
    ctl::setText(control("savBluePass"), "typed");
    loadFile(file);
    const QStringList boxes = newBoxTexts();
    ASSERT_EQ(boxes.size(), 1);
    EXPECT_TRUE(boxes[0].startsWith(GetParam().head)) << boxes[0].toStdString();
    EXPECT_TRUE(boxes[0].contains("Function/Sub: cmdLoad"));
    EXPECT_EQ(ctl::checkValue(control("savAutoBalance")), 1);  // first key, read before
    EXPECT_EQ(ctl::text(control("savBluePass")), "typed");     // last key, never reached
}

INSTANTIATE_TEST_SUITE_P(
    Failures, LoadFailureTest,
    ::testing::Values(FailureRow{"NotANumber", "Respawn=8", "Respawn=eight",
                                 "Error Line: 100\r\nError 13: Type mismatch"},
                      FailureRow{"IndexOutsideTheList", "Maps=2", "Maps=3",
                                 "Error Line: 100\r\nError 380: Invalid property value"},
                      FailureRow{"MissingCheckKey", "Skins=1\n", "",
                                 "Error Line: 100\r\nError 13: Type mismatch"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(LoadTest, AMissingFileEndsAtTheFirstKey) {
    loadFile("profiles/2/settings/absent.ssf");
    EXPECT_EQ(newBoxTexts(), QStringList{"Error Line: 100\r\nError 13: Type mismatch\r\n"
                                         "DLL: jexrcKDRSM.dll\r\nFunction/Sub: cmdLoad\r\n\r\n"
                                         "Error Report Sent: No"});
}

}  // namespace
