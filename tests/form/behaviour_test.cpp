// The form's own reactions: the load step, the option pairs, the ping
// toggles, the player list's scrolling and the button mouse routing.

#include <QAbstractButton>
#include <QCursor>
#include <QListWidget>
#include <QScrollBar>
#include <QTest>

#include "form_fixture.h"

namespace {

using formtest::FormTest;
using formtest::selections;
namespace ctl = kdrsm::ctl;

TEST_F(FormTest, LoadFillsThePickListsAndHooksTheTabControlUntilUnload) {
    form->Form_Load();
    EXPECT_TRUE(control("SSTab2")->property("PctOBJ").isValid());
    const std::tuple<const char*, int, const char*, const char*> lists[] = {
        {"savPlayers", 50, "1", "50"},
        {"savMaxFF", 50, "1", "50"},
        {"savTime", 101, "Infinite", "100"},
        {"savPSPTime", 100, "1", "100"},
        {"savRespawn", 121, "0", "120"}};
    for (const auto& [name, count, first, last] : lists) {
        SCOPED_TRACE(name);
        QWidget* list = control(name);
        ASSERT_EQ(ctl::listCount(list), count);
        EXPECT_EQ(ctl::listText(list, 0), first);
        EXPECT_EQ(ctl::listText(list, count - 1), last);
        EXPECT_EQ(ctl::listIndex(list), -1);
    }
    form->Form_Unload();
    EXPECT_FALSE(control("SSTab2")->property("PctOBJ").isValid());
}

TEST_F(FormTest, LoadCreatesTheButtonsIntoTheCollection) {
    writeFaces();
    form->Form_Load();
    const QList<QWidget*> buttons = {form->cmdUpdateImg, form->cmdSaveImg, form->cmdLoadImg,
                                     form->cmdUpdate,    form->cmdSave,    form->cmdLoad};
    ASSERT_FALSE(buttons.contains(nullptr));
    for (QWidget* button : buttons) EXPECT_EQ(button->parentWidget(), control("Frame3"));
    EXPECT_EQ(form->controls().mid(88), buttons);  // after the catalogued controls
    // Update, Save, Load in one row, 1560 twips apart, each 1215 x 495 at top 300.
    for (const auto& [image, left] :
         {std::pair{form->cmdUpdateImg, 360}, {form->cmdSaveImg, 1920}, {form->cmdLoadImg, 3480}})
        EXPECT_EQ(QList<qint32>({ctl::twipsLeft(image), ctl::twipsTop(image),
                                 ctl::twipsWidth(image), ctl::twipsHeight(image)}),
                  QList<qint32>({left, 300, 1215, 495}));
}

// "Select All" is chosen at start; clicking it again still applies it.
TEST_F(FormTest, RoleOptionsApplyEvenWithoutServerData) {
    kdrsm::mdl().NoDataReceived = true;
    QWidget* roles = control("lstRoles");
    control<QAbstractButton>("optRoles", 0)->click();
    EXPECT_EQ(selections(roles), QList<bool>(4, true));
    control<QAbstractButton>("optRoles", 1)->click();
    EXPECT_EQ(selections(roles), QList<bool>(4, false));
    EXPECT_TRUE(modals.boxes().isEmpty());
}

TEST_F(FormTest, WeaponOptionsRefuseWithoutServerDataAndFollowWithIt) {
    QWidget* weapons = control("lstWeapons");
    form->optWeapons_Click(0);  // no weapons yet: nothing to do, nothing shown
    for (const char* name : {"M4", "G3", "Knife"}) ctl::addItem(weapons, name);
    ctl::setSelected(weapons, 1, true);
    kdrsm::mdl().NoDataReceived = true;
    control<QAbstractButton>("optWeapons", 1)->click();
    ASSERT_EQ(modals.boxes().size(), 1);
    EXPECT_EQ(modals.boxes()[0].title, "Failed!");
    EXPECT_EQ(modals.boxes()[0].text,
              "There seems to have been a problem collecting data!\r\n\r\nUnable to update weapon "
              "restrictions!");
    EXPECT_EQ(selections(weapons), (QList<bool>{false, true, false}));

    kdrsm::mdl().NoDataReceived = false;
    form->optWeapons_Click(0);
    EXPECT_EQ(selections(weapons), QList<bool>(3, true));
    form->optWeapons_Click(1);
    EXPECT_EQ(selections(weapons), QList<bool>(3, false));
    EXPECT_EQ(modals.boxes().size(), 1);
}

// Code setting a ping box fires its reaction; only the value 1 enables.
TEST_F(FormTest, PingLabelAndFieldFollowTheBoxSetByCode) {
    const char* const pairs[][3] = {{"savMaxPingChk", "Label33", "savMaxPing"},
                                    {"savMinPingChk", "Label31", "savMinPing"}};
    for (const auto& [box, label, field] : pairs) {
        ctl::setText(control(field), "250");
        for (const qint32 value : {1, 0, 1, 2}) {
            SCOPED_TRACE(std::string(box) + " = " + std::to_string(value));
            ctl::setCheckValue(control(box), value);
            EXPECT_EQ(control(label)->isEnabled(), value == 1);
            EXPECT_EQ(control(field)->isEnabled(), value == 1);
            EXPECT_EQ(ctl::text(control(field)), "250");
        }
    }
}

// One row high, so its scroll bar works as a spinner.
TEST_F(FormTest, PlayerListShowsOneRowAndScrollingChoosesIt) {
    form->Form_Load();
    ctl::setListIndex(control("savPlayers"), 29);
    showForm();
    auto* players = control<QListWidget>("savPlayers");
    const int row = players->visualItemRect(players->item(29)).height();
    EXPECT_GE(players->viewport()->height(), row);
    EXPECT_LT(players->viewport()->height(), 2 * row);
    EXPECT_EQ(players->verticalScrollBar()->value(), 29);  // chosen by code, brought into view
    players->verticalScrollBar()->setValue(16);
    EXPECT_EQ(ctl::text(players), "17");
    EXPECT_EQ(ctl::listIndex(players), 16);
}

// Only the left button moves the face; any release runs the action (with
// no server data, Save only reports its refusal).
TEST_F(FormTest, FaceAndCaptionRouteTheMouseToTheirAction) {
    writeFaces();
    form->Form_Load();
    kdrsm::mdl().NoDataReceived = true;
    const qint32 released = ctl::twipsTop(form->cmdSave);
    QTest::mousePress(form->cmdSave, Qt::RightButton);
    EXPECT_EQ(ctl::twipsTop(form->cmdSave), released);
    QTest::mousePress(form->cmdLoadImg, Qt::LeftButton);
    EXPECT_EQ(ctl::twipsTop(form->cmdLoad), released + 50);  // the buttons stand in one row
    QTest::mousePress(form->cmdSaveImg, Qt::LeftButton);     // acts only on release
    QTest::mouseRelease(form->cmdSave, Qt::RightButton);
    EXPECT_EQ(ctl::twipsTop(form->cmdSave), released + 50);
    ASSERT_EQ(modals.boxes().size(), 1);
    EXPECT_TRUE(modals.boxes()[0].text.endsWith("Unable to save server settings!"));
}

// An error escaping a handler is shown as an error report box (no sibling
// component here, so no report is sent) and goes no further.
TEST_F(FormTest, HandlerErrorsStayInsideTheHandler) {
    const std::pair<std::function<void()>, const char*> rows[] = {
        {[] { jex::raise(5); }, "Error 5: Invalid procedure call or argument"},
        {[] { throw std::runtime_error("x"); }, "Error 51: x"}};
    for (const auto& [body, errorLine] : rows) {
        SCOPED_TRACE(errorLine);
        const qsizetype before = modals.boxes().size();
        EXPECT_NO_THROW(kdrsm::runHandler("cmdSave_MouseUp", body));
        ASSERT_EQ(modals.boxes().size(), before + 1);
        const jextest::ShownBox& box = modals.boxes().last();
        EXPECT_EQ(box.title, "DLL Error!");
        EXPECT_EQ(box.text, QString("Error Line: 0\r\n") + errorLine +
                                "\r\nDLL: jexrcKDRSM.dll\r\nFunction/Sub: "
                                "cmdSave_MouseUp\r\n\r\nError Report Sent: No");
        EXPECT_FALSE(box.hasIcon);
        EXPECT_EQ(box.buttonCount, 1);
    }
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
