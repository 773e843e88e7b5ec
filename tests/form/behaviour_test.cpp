// The form's own reactions: the load step, the option pairs, the ping
// toggles, the player list's scrolling and the button mouse routing.

#include <QAbstractButton>
#include <QCursor>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QScrollBar>

#include "form/controls.h"
#include "form_fixture.h"

namespace {

using formtest::FormTest;
namespace ctl = kdrsm::ctl;

const QString kWeaponRefusal = QStringLiteral(
    "There seems to have been a problem collecting data!\r\n\r\nUnable to update weapon "
    "restrictions!");

struct PickList {
    const char* name;
    int count;
    const char* first;
    const char* last;
};

class LoadedList : public FormTest, public ::testing::WithParamInterface<PickList> {};

TEST_P(LoadedList, HoldsItsNumbersAndNoChoice) {
    form->Form_Load();
    QWidget* list = control(GetParam().name);
    ASSERT_EQ(ctl::listCount(list), GetParam().count);
    EXPECT_EQ(ctl::listText(list, 0), GetParam().first);
    EXPECT_EQ(ctl::listText(list, GetParam().count - 1), GetParam().last);
    EXPECT_EQ(ctl::listIndex(list), -1);
}

INSTANTIATE_TEST_SUITE_P(Load, LoadedList,
                         ::testing::Values(PickList{"savPlayers", 50, "1", "50"},
                                           PickList{"savMaxFF", 50, "1", "50"},
                                           PickList{"savTime", 101, "Infinite", "100"},
                                           PickList{"savPSPTime", 100, "1", "100"},
                                           PickList{"savRespawn", 121, "0", "120"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(FormTest, LoadingTwiceFillsTheListsOnce) {
    form->Form_Load();
    form->Form_Load();
    EXPECT_EQ(ctl::listCount(control("savRespawn")), 121);
}

TEST_F(FormTest, LoadHooksTheTabControlAndUnloadReleasesIt) {
    form->Form_Load();
    EXPECT_TRUE(control("SSTab2")->property("PctOBJ").isValid());
    form->Form_Unload();
    EXPECT_FALSE(control("SSTab2")->property("PctOBJ").isValid());
}

TEST_F(FormTest, WithoutFacesThereAreNoButtons) {
    form->Form_Load();
    EXPECT_TRUE(form->cmdSaveImg.isNull());
    EXPECT_TRUE(form->cmdSave.isNull());
    EXPECT_EQ(form->controls().size(), 88);
}

TEST_F(FormTest, LoadCreatesTheButtonsIntoTheCollection) {
    writeFaces();
    form->Form_Load();
    const QList<QWidget*> buttons = {form->cmdUpdateImg, form->cmdSaveImg, form->cmdLoadImg,
                                     form->cmdUpdate,    form->cmdSave,    form->cmdLoad};
    for (QWidget* button : buttons) {
        ASSERT_NE(button, nullptr);
        EXPECT_TRUE(form->controls().contains(button)) << button->objectName().toStdString();
        EXPECT_EQ(button->parentWidget(), control("Frame3"));
    }
    EXPECT_EQ(form->controls().mid(88), buttons);
    EXPECT_EQ(ctl::twipsLeft(form->cmdLoadImg) - ctl::twipsLeft(form->cmdSaveImg), 1560);
}

TEST_F(FormTest, SelectNoneClearsRolesEvenWithoutServerData) {
    kdrsm::mdl().NoDataReceived = true;
    QWidget* roles = control("lstRoles");
    for (int i = 0; i < 4; ++i) ctl::setSelected(roles, i, true);
    control<QAbstractButton>("optRoles", 1)->click();
    for (int i = 0; i < 4; ++i) EXPECT_FALSE(ctl::selected(roles, i)) << i;
    EXPECT_TRUE(modals.boxes().isEmpty());
}

TEST_F(FormTest, SelectAllAppliesAgainWhenClickedWhileChosen) {
    QWidget* roles = control("lstRoles");
    auto* selectAll = control<QAbstractButton>("optRoles", 0);
    ASSERT_TRUE(selectAll->isChecked());
    selectAll->click();
    for (int i = 0; i < 4; ++i) EXPECT_TRUE(ctl::selected(roles, i)) << i;
}

TEST_F(FormTest, WeaponsRefuseWithoutServerData) {
    QWidget* weapons = control("lstWeapons");
    for (const char* name : {"M4", "G3", "Knife"}) ctl::addItem(weapons, name);
    ctl::setSelected(weapons, 1, true);
    kdrsm::mdl().NoDataReceived = true;
    control<QAbstractButton>("optWeapons", 1)->click();
    ASSERT_EQ(modals.boxes().size(), 1);
    EXPECT_EQ(modals.boxes()[0].title, "Failed!");
    EXPECT_EQ(modals.boxes()[0].text, kWeaponRefusal);
    EXPECT_FALSE(ctl::selected(weapons, 0));
    EXPECT_TRUE(ctl::selected(weapons, 1));
}

TEST_F(FormTest, WeaponsFollowTheOptionsWithServerData) {
    QWidget* weapons = control("lstWeapons");
    for (const char* name : {"M4", "G3", "Knife"}) ctl::addItem(weapons, name);
    form->optWeapons_Click(0);
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(ctl::selected(weapons, i)) << i;
    control<QAbstractButton>("optWeapons", 1)->click();
    for (int i = 0; i < 3; ++i) EXPECT_FALSE(ctl::selected(weapons, i)) << i;
}

TEST_F(FormTest, SelectAllOnNoWeaponsDoesNothing) {
    form->optWeapons_Click(0);
    EXPECT_EQ(ctl::listCount(control("lstWeapons")), 0);
    EXPECT_TRUE(modals.boxes().isEmpty());
}

struct PingCase {
    const char* test;
    const char* box;
    const char* label;
    const char* field;
    qint32 value;
};

class PingToggle : public FormTest, public ::testing::WithParamInterface<PingCase> {};

TEST_P(PingToggle, FieldFollowsItsBoxSetByCode) {
    const PingCase& c = GetParam();
    ctl::setText(control(c.field), "250");
    // From the opposite state, so every value is a change.
    ctl::setCheckValue(control(c.box), c.value == 1 ? 0 : 1);
    ctl::setCheckValue(control(c.box), c.value);
    EXPECT_EQ(control(c.label)->isEnabled(), c.value == 1);
    EXPECT_EQ(control(c.field)->isEnabled(), c.value == 1);
    EXPECT_EQ(ctl::text(control(c.field)), "250");
}

INSTANTIATE_TEST_SUITE_P(
    Ping, PingToggle,
    ::testing::Values(PingCase{"MaxUnchecked", "savMaxPingChk", "Label33", "savMaxPing", 0},
                      PingCase{"MaxChecked", "savMaxPingChk", "Label33", "savMaxPing", 1},
                      PingCase{"MaxGreyed", "savMaxPingChk", "Label33", "savMaxPing", 2},
                      PingCase{"MinUnchecked", "savMinPingChk", "Label31", "savMinPing", 0},
                      PingCase{"MinChecked", "savMinPingChk", "Label31", "savMinPing", 1},
                      PingCase{"MinGreyed", "savMinPingChk", "Label31", "savMinPing", 2}),
    [](const auto& info) { return std::string(info.param.test); });

TEST_F(FormTest, ScrollingPlayersSelectsTheEntryAtTheTop) {
    form->Form_Load();
    showForm();
    auto* players = control<QListWidget>("savPlayers");
    players->verticalScrollBar()->setValue(16);
    EXPECT_EQ(ctl::text(players), "17");
    EXPECT_EQ(ctl::listIndex(players), 16);
}

TEST_F(FormTest, ChoosingPlayersByCodeBringsThatEntryIntoView) {
    form->Form_Load();
    ctl::setListIndex(control("savPlayers"), 29);
    showForm();
    auto* players = control<QListWidget>("savPlayers");
    EXPECT_EQ(players->verticalScrollBar()->value(), 29);
    EXPECT_EQ(ctl::listIndex(players), 29);
}

void sendMouse(QWidget* target, QEvent::Type type, Qt::MouseButton button) {
    const QPointF at(5, 5);
    QMouseEvent event(type, at, target->mapToGlobal(at), button,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : button, Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

TEST_F(FormTest, LeftPressOnAFacePressesItsCaption) {
    writeFaces();
    form->Form_Load();
    const qint32 released = ctl::twipsTop(form->cmdLoad);
    sendMouse(form->cmdLoadImg, QEvent::MouseButtonPress, Qt::LeftButton);
    EXPECT_EQ(ctl::twipsTop(form->cmdLoad), released + 50);
    sendMouse(form->cmdLoad, QEvent::MouseButtonPress, Qt::RightButton);
    EXPECT_EQ(ctl::twipsTop(form->cmdLoad), released + 50);
}

TEST_F(FormTest, RightReleaseOverSaveRunsSaveWithoutTheFaceChange) {
    writeFaces();
    form->Form_Load();
    kdrsm::mdl().NoDataReceived = true;  // Save then only reports its refusal
    sendMouse(form->cmdSaveImg, QEvent::MouseButtonPress, Qt::LeftButton);
    const qint32 pressed = ctl::twipsTop(form->cmdSave);
    sendMouse(form->cmdSave, QEvent::MouseButtonRelease, Qt::RightButton);
    EXPECT_EQ(ctl::twipsTop(form->cmdSave), pressed);
    ASSERT_EQ(modals.boxes().size(), 1);
    EXPECT_TRUE(modals.boxes()[0].text.endsWith("Unable to save server settings!"));
}

TEST_F(FormTest, HandlerErrorsStayInsideTheHandler) {
    EXPECT_NO_THROW(kdrsm::runHandler("cmdSave_MouseUp", [] { jex::raise(5); }));
    EXPECT_NO_THROW(kdrsm::runHandler("cmdSave_MouseUp", [] { throw std::runtime_error("x"); }));
}

TEST_F(FormTest, BusyPointerShowsTheWaitCursor) {
    form->setMousePointer(11);
    form->setMousePointer(11);
    ASSERT_NE(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    form->setMousePointer(0);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

}  // namespace
