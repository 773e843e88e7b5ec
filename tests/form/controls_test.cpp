// The access rules for the form's controls: list indexes, check values,
// texts and entry selection, with the platform's error numbers.

#include <QComboBox>

#include "form/controls.h"
#include "form_fixture.h"

namespace {

using formtest::FormTest;
using formtest::raisedNumber;
namespace ctl = kdrsm::ctl;

struct RefusalCase {
    const char* test;
    std::function<void(kdrsm::frmrcKDRSM&)> action;
    qint32 error;
};

class Refusal : public FormTest, public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(Refusal, RaisesThePlatformError) {
    EXPECT_EQ(raisedNumber([this] { GetParam().action(*form); }), GetParam().error);
}

QWidget* in(kdrsm::frmrcKDRSM& form, const char* name) {
    return form.control(name);
}

INSTANTIATE_TEST_SUITE_P(
    Controls, Refusal,
    ::testing::Values(
        RefusalCase{"ListIndexPastTheEnd",
                    [](auto& f) { ctl::setListIndex(in(f, "savSession"), 2); }, 380},
        RefusalCase{"ListIndexBelowNone",
                    [](auto& f) { ctl::setListIndex(in(f, "savSession"), -2); }, 380},
        RefusalCase{"ListEntryPastTheEnd", [](auto& f) { ctl::listText(in(f, "savMaps"), 3); },
                    380},
        RefusalCase{"SelectionPastTheEnd", [](auto& f) { ctl::selected(in(f, "lstRoles"), 4); },
                    380},
        RefusalCase{"CheckValueThree", [](auto& f) { ctl::setCheckValue(in(f, "savSkins"), 3); },
                    380},
        RefusalCase{"CheckValueNegative",
                    [](auto& f) { ctl::setCheckValue(in(f, "savSkins"), -1); }, 380},
        RefusalCase{"UnknownEntryOfListOnlyCombo",
                    [](auto& f) { ctl::setText(in(f, "savSession"), "WAN"); }, 380},
        RefusalCase{"CheckValueOfTextBox", [](auto& f) { ctl::checkValue(in(f, "savServerName")); },
                    438},
        RefusalCase{"ListIndexOfCheckBox", [](auto& f) { ctl::listIndex(in(f, "savSkins")); }, 438},
        RefusalCase{"TextOfFrame", [](auto& f) { ctl::text(in(f, "Frame1")); }, 438},
        RefusalCase{"SelectionOfComboBox",
                    [](auto& f) { ctl::setSelected(in(f, "savMaps"), 0, true); }, 438},
        RefusalCase{"MissingControl", [](auto& f) { f.control("savNothing"); }, 730}),
    [](const auto& info) { return std::string(info.param.test); });

TEST_F(FormTest, MinusOneClearsAChoice) {
    QWidget* maps = control("savMaps");
    ctl::setListIndex(maps, 2);
    EXPECT_EQ(ctl::text(maps), "Cycle");
    ctl::setListIndex(maps, -1);
    EXPECT_EQ(ctl::listIndex(maps), -1);
    EXPECT_EQ(ctl::text(maps), "");

    QWidget* country = control("savCountry");
    ctl::setListIndex(country, 0);
    ctl::setListIndex(country, -1);
    EXPECT_EQ(ctl::text(country), "");
}

TEST_F(FormTest, TypedCountryChoosesItsEntryOnlyWhenListed) {
    QWidget* country = control("savCountry");
    ctl::setText(country, "GB");
    EXPECT_EQ(ctl::listText(country, ctl::listIndex(country)), "GB");
    ctl::setText(country, "XX");
    EXPECT_EQ(ctl::listIndex(country), -1);
    EXPECT_EQ(ctl::text(country), "XX");
    ctl::setText(country, "gb");  // exact and case-sensitive
    EXPECT_EQ(ctl::listIndex(country), -1);
}

TEST_F(FormTest, AddingEntriesKeepsNoChoiceAndTypedText) {
    QWidget* respawn = control("savRespawn");
    ctl::addItem(respawn, "0");
    EXPECT_EQ(ctl::listIndex(respawn), -1);
    QWidget* country = control("savCountry");
    ctl::clearList(country);
    ctl::setText(country, "ZZ");
    ctl::addItem(country, "AA");
    EXPECT_EQ(ctl::listIndex(country), -1);
    EXPECT_EQ(ctl::text(country), "ZZ");
}

TEST_F(FormTest, CheckValuesRoundTrip) {
    QWidget* box = control("savTracers");
    for (const qint32 value : {1, 2, 0}) {
        ctl::setCheckValue(box, value);
        EXPECT_EQ(ctl::checkValue(box), value);
    }
}

TEST_F(FormTest, SelectedMeansCheckedForRolesAndChosenForPlayers) {
    QWidget* roles = control("lstRoles");
    ctl::setListIndex(roles, 2);
    EXPECT_FALSE(ctl::selected(roles, 2));  // the focus does not tick an entry
    ctl::setSelected(roles, 1, true);
    EXPECT_TRUE(ctl::selected(roles, 1));
    EXPECT_EQ(ctl::listIndex(roles), 2);

    form->Form_Load();
    QWidget* players = control("savPlayers");
    ctl::setSelected(players, 5, true);
    EXPECT_EQ(ctl::listIndex(players), 5);
    EXPECT_EQ(ctl::text(players), "6");
    ctl::setSelected(players, 5, false);
    EXPECT_EQ(ctl::listIndex(players), -1);
}

TEST_F(FormTest, HostMessageLineBreaksAreCrLf) {
    QWidget* message = control("savMessage");
    ctl::setText(message, "first\r\nsecond");
    EXPECT_EQ(ctl::text(message), "first\r\nsecond");
}

TEST_F(FormTest, TwipsAreKeptExactlyAcrossPixelRounding) {
    QWidget* label = control("Label1");
    ctl::setTwipsGeometry(label, 101, 202, 307, 7);
    EXPECT_EQ(ctl::twipsLeft(label), 101);
    EXPECT_EQ(ctl::twipsTop(label), 202);
    EXPECT_EQ(ctl::twipsWidth(label), 307);
    EXPECT_EQ(ctl::twipsHeight(label), 7);
    EXPECT_EQ(label->geometry(), QRect(7, 13, 20, 0));
    ctl::setTwipsTop(label, 300);
    EXPECT_EQ(ctl::twipsLeft(label), 101);
    EXPECT_EQ(label->y(), 20);
}

}  // namespace
