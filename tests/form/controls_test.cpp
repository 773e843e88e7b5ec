// The access rules for the form's controls: list indexes, check values,
// texts and entry selection, with the platform's error numbers.

#include "form_fixture.h"

namespace {

using formtest::FormTest;
using formtest::raisedNumber;
namespace ctl = kdrsm::ctl;

TEST_F(FormTest, RefusalsRaiseThePlatformErrors) {
    const std::tuple<const char*, std::function<void(QWidget*)>, qint32> refusals[] = {
        {"savSession", [](QWidget* w) { ctl::setListIndex(w, 2); }, 380},   // past the end
        {"savSession", [](QWidget* w) { ctl::setListIndex(w, -2); }, 380},  // below none
        {"savMaps", [](QWidget* w) { ctl::listText(w, 3); }, 380},
        {"lstRoles", [](QWidget* w) { ctl::selected(w, 4); }, 380},
        {"savSkins", [](QWidget* w) { ctl::setCheckValue(w, 3); }, 380},
        {"savSkins", [](QWidget* w) { ctl::setCheckValue(w, -1); }, 380},
        {"savSession", [](QWidget* w) { ctl::setText(w, "WAN"); }, 380},  // not an entry
        {"savServerName", [](QWidget* w) { ctl::checkValue(w); }, 438},
        {"Frame1", [](QWidget* w) { ctl::text(w); }, 438},
        {"savMaps", [](QWidget* w) { ctl::setSelected(w, 0, true); }, 438},
        {"savNothing", [](QWidget*) {}, 730}};  // no such control
    for (std::size_t row = 0; row < std::size(refusals); ++row) {
        const auto& [name, action, error] = refusals[row];
        EXPECT_EQ(raisedNumber([&] { action(form->control(name)); }), error)
            << name << ", row " << row;
    }
}

TEST_F(FormTest, CountryTextChoosesOnlyAnExactEntry) {
    QWidget* country = control("savCountry");
    ctl::setText(country, "GB");
    EXPECT_EQ(ctl::listText(country, ctl::listIndex(country)), "GB");
    ctl::setText(country, "gb");  // exact and case-sensitive
    EXPECT_EQ(ctl::listIndex(country), -1);
    EXPECT_EQ(ctl::text(country), "gb");
}

TEST_F(FormTest, SelectedMeansCheckedForRolesAndChosenForPlayers) {
    QWidget* roles = control("lstRoles");
    ctl::setListIndex(roles, 2);
    ctl::setSelected(roles, 1, true);  // the focus does not tick an entry
    EXPECT_EQ(formtest::selections(roles), (QList<bool>{false, true, false, false}));
    EXPECT_EQ(ctl::listIndex(roles), 2);

    form->Form_Load();
    QWidget* players = control("savPlayers");
    ctl::setSelected(players, 5, true);
    EXPECT_EQ(ctl::listIndex(players), 5);
    EXPECT_EQ(ctl::text(players), "6");
}

}  // namespace
