// Save: the dialog, the three sections in control order, the verification.
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include "form/controls.h"
#include "form/file_dialog.h"
#include "form/frmrcKDRSM.h"
#include "plugin/module_state.h"
#include "settings_file_fixture.h"

namespace {

using jextest::readIni;
using jextest::SettingsFileTest;
namespace ctl = kdrsm::ctl;

// The Server section's keys in the order of the form's controls.
const QStringList kServerKeys =
    QString(
        "AutoBalance NovaLogin Skins Message Dedicated Respawn Maps Delay Time Players Session "
        "Country Password ServerName GamePort FatBullets DestroyBuildings OneShot MaxPing "
        "MaxPingChk MinPing MinPingChk MaxFF FFWarn FFTags FFKills Lives FlagReturn PSPTime "
        "AutoRange Clays Tracers RedPass BluePass")
        .split(u' ');

TEST_F(SettingsFileTest, SavesThreeSectionsInControlOrder) {
    ASSERT_FALSE(host.exists("profiles/2/settings"));  // created, last level only
    save(settingsPath("server.ssf"));
    ASSERT_EQ(modals.boxes().size(), 1);
    EXPECT_EQ(modals.boxes()[0].title, "Success");
    EXPECT_EQ(modals.boxes()[0].text, "Server Settings Saved Successfully.");

    const auto ini = readIni(host.read("profiles/2/settings/server.ssf"));
    EXPECT_EQ(ini.order, (QStringList{"Server", "Roles", "Weapons"}));
    EXPECT_EQ(ini["Server"].keys, kServerKeys);
    const auto& server = ini["Server"].values;  // the password in plain text, as the format has it
    EXPECT_EQ(
        QStringList({server["ServerName"], server["Players"], server["Time"], server["AutoBalance"],
                     server["MaxFF"], server["GamePort"], server["Password"]}),
        QStringList({"KDR Test Server", "15", "30", "0", "5", "17479", "secret"}));
    EXPECT_EQ(ini["Roles"].lines, (QStringList{"CQB=1", "Gunner=0", "Medic=1", "Sniper=0"}));
    EXPECT_EQ(ini["Weapons"].lines, (QStringList{"M16=1", "MP5=0", "Barrett .50=1"}));

    EXPECT_TRUE(dialog.shown);
    EXPECT_TRUE(dialog.saving);
    EXPECT_EQ(dialog.title, "Save Server Settings");
    EXPECT_EQ(dialog.directory, settingsFolder());
    EXPECT_EQ(dialog.nameFilters, QStringList{"Server Settings File (*.ssf)"});
    EXPECT_FALSE(dialog.confirmsOverwrite);
    const kdrsm::FileDialog& cd = form().cdSettings();
    EXPECT_EQ(QStringList({cd.InitDir, cd.Filter, cd.DialogTitle}),
              QStringList({settingsFolder(), "Server Settings File (*.ssf)|*.ssf",
                           "Save Server Settings"}));
    EXPECT_FALSE(cd.CancelError);
    EXPECT_EQ(cd.Flags, 788996);
}

TEST_F(SettingsFileTest, CancelWritesAndShowsNothing) {
    save("");
    EXPECT_TRUE(dialog.shown);
    EXPECT_TRUE(modals.boxes().isEmpty());
    EXPECT_TRUE(QDir(settingsFolder()).entryList(QDir::Files).isEmpty());
}

TEST_F(SettingsFileTest, RefusedWhileNoDataReceived) {
    kdrsm::mdl().NoDataReceived = true;
    save(settingsPath("a.ssf"));
    EXPECT_FALSE(dialog.shown);
    ASSERT_EQ(modals.boxes().size(), 1);
    EXPECT_EQ(modals.boxes()[0].title, "Failed!");
    EXPECT_EQ(modals.boxes()[0].text,
              "There seems to have been a problem collecting data!\r\n\r\nUnable to save server "
              "settings!");
}

TEST_F(SettingsFileTest, MissingProfileFolderEndsBeforeTheDialog) {
    kdrsm::mdl().ProfileIndex = 9;
    save(host.path("profiles/9/settings/a.ssf"));
    EXPECT_FALSE(dialog.shown);
    ASSERT_EQ(modals.boxes().size(), 1);
    EXPECT_EQ(modals.boxes()[0].title, "DLL Error!");
    EXPECT_EQ(modals.boxes()[0].text,
              "Error Line: 20\r\nError 76: Path not found\r\nDLL: jexrcKDRSM.dll\r\n"
              "Function/Sub: cmdSave\r\n\r\nError Report Sent: No");
    EXPECT_EQ(errorLogLines().size(), 1);
}

// A right-button release saves as well.
TEST_F(SettingsFileTest, ANameWithoutExtensionIsKeptAsTyped) {
    save(settingsPath("preset"), 2);
    EXPECT_TRUE(host.exists("profiles/2/settings/preset"));
    EXPECT_FALSE(host.exists("profiles/2/settings/preset.ssf"));
}

TEST_F(SettingsFileTest, SavingOverAnOlderFileKeepsItsExtraKeys) {
    host.write("profiles/2/settings/old.ssf",
               "; kept comment\n[Weapons]\nFlamethrower=1\n[Server]\nServerName=Old\n");
    save(settingsPath("old.ssf"));
    EXPECT_TRUE(modals.boxes().value(0).text == "Server Settings Saved Successfully.");
    const QByteArray content = host.read("profiles/2/settings/old.ssf");
    EXPECT_TRUE(content.contains("; kept comment"));
    const auto ini = readIni(content);
    EXPECT_EQ(ini.order, (QStringList{"Weapons", "Server", "Roles"}));  // the new one last
    EXPECT_EQ(ini["Weapons"].values["Flamethrower"], "1");
    EXPECT_EQ(ini["Server"].values["ServerName"], "KDR Test Server");
}

TEST_F(SettingsFileTest, UnsetValuesAreSavedAsSuch) {
    ctl::setListIndex(control("savDelay"), -1);
    ctl::setText(control("savLives"), "");
    ctl::setCheckValue(control("savTracers"), 2);
    ctl::clearList(control("lstWeapons"));
    save(settingsPath("a.ssf"));
    const auto ini = readIni(host.read("profiles/2/settings/a.ssf"));
    for (const char* line : {"Delay=-1", "Lives=", "Tracers=2"})
        EXPECT_TRUE(ini["Server"].lines.contains(line)) << line;
    EXPECT_TRUE(ini["Weapons"].keys.isEmpty());
}

TEST_F(SettingsFileTest, ANewFileIsTheOwnersAlone) {
    save(settingsPath("private.ssf"));
    const QFile::Permissions permissions = QFileInfo(settingsPath("private.ssf")).permissions();
    EXPECT_TRUE(permissions & QFile::ReadOwner);
    EXPECT_TRUE(permissions & QFile::WriteOwner);
    EXPECT_FALSE(permissions &
                 (QFile::ReadGroup | QFile::ReadOther | QFile::WriteGroup | QFile::WriteOther));
}

}  // namespace
