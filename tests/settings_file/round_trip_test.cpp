// Save then load restores every value over several form states, texts that
// only a quoted line can hold among them.
#include <gtest/gtest.h>

#include <functional>

#include "form/controls.h"
#include "form/frmrcKDRSM.h"
#include "settings_file_fixture.h"

namespace {

namespace ctl = kdrsm::ctl;
using jextest::SettingsFileTest;

// Every value of the form a settings file keeps, as text.
QStringList snapshot(kdrsm::frmrcKDRSM& form) {
    QStringList values;
    for (QWidget* control : form.controls()) {
        const QString type = ctl::typeName(control);
        const QString name = control->objectName();
        if (!name.startsWith("sav")) continue;
        if (type == "TextBox") values << name + "=" + ctl::text(control);
        if (type == "ComboBox" || type == "ListBox")
            values << name + "#" + QString::number(ctl::listIndex(control));
        if (type == "CheckBox") values << name + "?" + QString::number(ctl::checkValue(control));
    }
    for (const char* list : {"lstRoles", "lstWeapons"}) {
        QWidget* entries = form.control(list);
        for (int i = 0; i < ctl::listCount(entries); ++i)
            values << ctl::listText(entries, i) + (ctl::selected(entries, i) ? "+" : "-");
    }
    return values;
}

struct StateRow {
    const char* name;
    std::function<void(kdrsm::frmrcKDRSM&)> arrange;
    // A line the file must hold in that section, when the row names one.
    const char* section = nullptr;
    QString line = {};
};

// Lines of the typical form that stay plain whatever a row changes.
const QStringList kPlainLines = {"Respawn=8", "Maps=2", "Skins=1", "AutoBalance=0",
                                 "GamePort=17479"};

class RoundTripTest : public jextest::SettingsFileTest,
                      public ::testing::WithParamInterface<StateRow> {};

TEST_P(RoundTripTest, RestoresEveryValue) {
    GetParam().arrange(form());
    const QStringList before = snapshot(form());
    save(settingsPath("round.ssf"));
    const auto ini = jextest::readIni(host.read("profiles/2/settings/round.ssf"));
    for (const QString& plain : kPlainLines)
        EXPECT_TRUE(ini["Server"].lines.contains(plain)) << plain.toStdString();
    if (GetParam().section) {
        EXPECT_TRUE(ini[GetParam().section].lines.contains(GetParam().line))
            << ini[GetParam().section].lines.join('\n').toStdString();
    }
    // Scramble what the file holds, then load it back.
    for (QWidget* control : form().controls()) {
        const QString type = ctl::typeName(control);
        if (type == "TextBox") ctl::setText(control, "x");
        if (type == "CheckBox") ctl::setCheckValue(control, 0);
        if (type == "ComboBox" || type == "ListBox") ctl::setListIndex(control, 0);
    }
    for (const char* list : {"lstRoles", "lstWeapons"})
        for (int i = 0; i < ctl::listCount(form().control(list)); ++i)
            ctl::setSelected(form().control(list), i, i % 2 == 0);
    load(settingsPath("round.ssf"));
    EXPECT_EQ(modals.texts().last(), "Server Settings Loaded.");
    EXPECT_EQ(snapshot(form()), before);
}

void chooseCountry(kdrsm::frmrcKDRSM& form, int index) {
    ctl::setListIndex(form.control("savCountry"), index);
}

// A row that puts `text` into one text box and expects `line` in the file.
StateRow textRow(const char* name, const char* box, const QString& text, const QString& line) {
    return {name, [=](kdrsm::frmrcKDRSM& f) { ctl::setText(f.control(box), text); }, "Server",
            line};
}

// A row that adds a selected weapon of that name and expects `line`.
StateRow weaponRow(const char* name, const QString& weapon, const QString& line) {
    return {name,
            [=](kdrsm::frmrcKDRSM& f) {
                QWidget* weapons = f.control("lstWeapons");
                ctl::addItem(weapons, weapon);
                ctl::setSelected(weapons, ctl::listCount(weapons) - 1, true);
            },
            "Weapons", line};
}

INSTANTIATE_TEST_SUITE_P(
    States, RoundTripTest,
    ::testing::Values(
        StateRow{"AsReceived", [](kdrsm::frmrcKDRSM& f) { chooseCountry(f, 224); }},
        StateRow{"GreyedBoxesAndNoSelection",
                 [](kdrsm::frmrcKDRSM& f) {
                     for (const char* box : {"savDedicated", "savFFTags", "savMaxPingChk"})
                         ctl::setCheckValue(f.control(box), 2);
                     for (const char* list : {"savTime", "savMaxFF", "savPlayers", "savCountry"})
                         ctl::setListIndex(f.control(list), -1);
                 }},
        StateRow{
            "EmptyTexts",
            [](kdrsm::frmrcKDRSM& f) {
                chooseCountry(f, 0);
                for (const char* box : {"savServerName", "savPassword", "savMessage", "savLives"})
                    ctl::setText(f.control(box), "");
            }},
        StateRow{"ManyWeapons",
                 [](kdrsm::frmrcKDRSM& f) {
                     chooseCountry(f, 231);
                     QWidget* weapons = f.control("lstWeapons");
                     for (int i = 0; i < 60; ++i) {
                         ctl::addItem(weapons, QStringLiteral("Weapon %1").arg(i));
                         ctl::setSelected(weapons, ctl::listCount(weapons) - 1, i % 3 == 0);
                     }
                 }},
        // How the file spells each kind of text is the INI component's; these
        // rows check that Save and Load pass texts and names to it whole.
        textRow("MessageOnTwoLinesWithOuterBlanks", "savMessage", "  Welcome!\r\nNo camping.  ",
                R"(Message="  Welcome!\r\nNo camping.  ")"),
        textRow("MessageWithLoneBreaks", "savMessage", "a\nb\rc", R"(Message="a\nb\rc")"),
        textRow("PasswordInQuotes", "savPassword", R"("pw")", R"(Password="\"pw\"")"),
        weaponRow("WeaponBesideItsBlankPaddedTwin", " MP5 ", R"(" MP5 "=1)"),
        weaponRow("EmptyWeaponName", "", R"(""=1)")),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SettingsFileTest, ATypedCountryIsTheOneValueNotRestored) {
    ctl::setText(control("savCountry"), "ZZ");
    save(settingsPath("typed.ssf"));
    load(settingsPath("typed.ssf"));
    EXPECT_EQ(ctl::listIndex(control("savCountry")), -1);
    EXPECT_NE(ctl::text(control("savCountry")), "ZZ");
}

}  // namespace
