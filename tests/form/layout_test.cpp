// The form as created: every catalogued control with its kind, container,
// geometry and state (frames on the tab control on their pages), and the
// exact captions, entries and limits.

#include <QAbstractButton>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTest>

#include "form/catalogue.h"
#include "form/file_dialog.h"
#include "form_fixture.h"

namespace {

using formtest::FormTest;
namespace ctl = kdrsm::ctl;
namespace cat = kdrsm::catalogue;

// The entries of a list or combo box, or the tab captions of a tab control.
QStringList entries(const QWidget* control) {
    QStringList list;
    const auto* tabs = qobject_cast<const QTabWidget*>(control);
    for (int i = 0; i < (tabs ? tabs->count() : ctl::listCount(control)); ++i)
        list << (tabs ? tabs->tabText(i) : ctl::listText(control, i));
    return list;
}

// Type names in the order of the catalogue's kinds.
const char* const kKindNames[] = {"PictureBox",   "CommonDialog", "CheckBox", "Frame",
                                  "Label",        "TextBox",      "ComboBox", "ListBox",
                                  "OptionButton", "SSTab"};

// Every catalogue row: the control exists with its kind, container,
// geometry, enabled and visible state and entries.
class CatalogueRow : public FormTest, public ::testing::WithParamInterface<std::size_t> {};

TEST_P(CatalogueRow, ExistsAsCatalogued) {
    const cat::Row& row = cat::rows()[GetParam()];
    const QString name = QString::fromLatin1(row.name);
    if (row.kind == cat::Kind::CommonDialog) {
        EXPECT_EQ(ctl::typeName(form->findChild<kdrsm::FileDialog*>(name)), "CommonDialog");
        return;
    }
    QWidget* widget = control(name, row.kind == cat::Kind::OptionButton ? row.index : -1);
    EXPECT_EQ(ctl::typeName(widget), kKindNames[int(row.kind)]);
    QWidget* container = *row.container ? control(row.container) : form.get();
    const QRect twips(row.rect.left, row.rect.top, row.rect.width, row.rect.height);
    EXPECT_EQ(QRect(ctl::twipsLeft(widget), ctl::twipsTop(widget), ctl::twipsWidth(widget),
                    ctl::twipsHeight(widget)),
              twips);
    // At 15 twips a pixel; a frame on a tab is placed relative to the tab control.
    ASSERT_DOUBLE_EQ(ctl::twipsPerPixelX(), 15.0);
    if (row.tab >= 0) showForm();
    EXPECT_EQ(widget->mapTo(container, QPoint()), twips.topLeft() / 15);
    if (row.tab >= 0) container = qobject_cast<QTabWidget*>(container)->widget(row.tab);
    EXPECT_EQ(widget->parentWidget(), container);
    EXPECT_EQ(widget->isEnabled(), row.enabled);
    EXPECT_EQ(widget->isHidden(), bool(row.flags & cat::Hidden));
}

INSTANTIATE_TEST_SUITE_P(Form, CatalogueRow, ::testing::Range<std::size_t>(0, cat::rows().size()),
                         [](const auto& info) {
                             const cat::Row& row = cat::rows()[info.param];
                             const bool option = row.kind == cat::Kind::OptionButton;
                             return row.name + (option ? std::to_string(row.index) : "");
                         });

QString captionOf(QWidget* widget) {
    if (auto* label = qobject_cast<QLabel*>(widget)) return label->text();
    if (auto* frame = qobject_cast<QGroupBox*>(widget)) return frame->title();
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) return button->text();
    return "<no caption>";
}

TEST_F(FormTest, CaptionsAreShownExactly) {
    const std::tuple<const char*, int, const char*> captions[] = {
        {"Label5", -1, "Sesstion Type:"},  // misspelt so
        {"Label1", -1, "Name:"},
        {"Label13", -1, "Req. Nova Login:"},
        {"Label33", -1, "Max Ping:"},
        {"chkAutoLoad", -1, "Autoload last known settings on start up."},
        {"Frame7", -1, "Ping Check Settings"},
        {"Frame12", -1, ""},
        {"optRoles", 0, "Select All"},
        {"optWeapons", 1, "Select None"}};
    for (const auto& [name, index, caption] : captions)
        EXPECT_EQ(captionOf(control(name, index)), caption) << name << index;
}

TEST_F(FormTest, SizeFontAndPanelColours) {
    EXPECT_EQ(form->size(), QSize(746, 400));
    EXPECT_DOUBLE_EQ(form->font().pointSizeF(), 8.25);
    EXPECT_TRUE(control("Label11")->font().underline());
    EXPECT_FALSE(control("Label1")->font().underline());
    const QColor panel(236, 233, 216);  // also the button face
    EXPECT_EQ(form->palette().color(QPalette::Window), panel);
    EXPECT_EQ(form->palette().color(QPalette::Button), panel);
    EXPECT_EQ(control("savServerName")->palette().color(QPalette::Base), QColor(Qt::white));
    EXPECT_EQ(control("Label1")->palette().color(QPalette::WindowText), QColor(Qt::black));
}

// Code may put in a longer text (a server's reply, a settings file); the
// operator then cannot add to it, only replace it within the limit.
TEST_F(FormTest, CodeTextIsKeptWholeButTypingStopsAtTheLimit) {
    const std::pair<const char*, int> limits[] = {
        {"savServerName", 31}, {"savPassword", 16}, {"savRedPass", 16},   {"savBluePass", 16},
        {"savMessage", 85},    {"savMinPing", 3},   {"savFlagReturn", 3}, {"savLives", 3},
        {"savMaxPing", 5},     {"savGamePort", 5}};
    for (const auto& [name, limit] : limits) {
        SCOPED_TRACE(name);
        QWidget* box = control(name);
        box->setEnabled(true);
        const QString longer(limit + 1, u'x');
        ctl::setText(box, longer);
        QTest::keyClicks(box, "7");
        EXPECT_EQ(ctl::text(box), longer);
        QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(box, QString(100, u'7'));
        EXPECT_EQ(ctl::text(box), QString(limit, u'7'));
    }
}

TEST_F(FormTest, HostMessageKeepsCrLfAndCutsAPasteAtTheLimit) {
    auto* message = control<QPlainTextEdit>("savMessage");
    ctl::setText(message, "first\r\nsecond");
    EXPECT_EQ(ctl::text(message), "first\r\nsecond");
    ctl::setText(message, QString(80, u'a'));
    QTextCursor cursor = message->textCursor();
    cursor.setPosition(40);
    message->setTextCursor(cursor);
    message->insertPlainText(QString(20, u'b'));
    EXPECT_EQ(ctl::text(message), QString(40, u'a') + QString(5, u'b') + QString(40, u'a'));
}

TEST_F(FormTest, CountryBoxHoldsTheCodesAndShowsItsName) {
    auto* country = control<QComboBox>("savCountry");
    ASSERT_EQ(ctl::listCount(country), 232);
    EXPECT_EQ(ctl::listText(country, 0), "AD");
    EXPECT_EQ(ctl::listText(country, 231), "ZW");
    for (const char* code : {"GB", "UK", "EU", "AP"}) EXPECT_GE(country->findText(code), 0) << code;
    EXPECT_TRUE(country->isEditable());
    EXPECT_EQ(ctl::listIndex(country), -1);
    EXPECT_EQ(ctl::text(country), "savCountry");
}

// Nothing chosen at start; the first options are selected without their
// handlers having run.
TEST_F(FormTest, FixedListsKeepTheirOrderWithNothingChosen) {
    const std::pair<const char*, QStringList> lists[] = {
        {"savSession", {"NovaWorld", "LAN IP"}},
        {"savDelay", {"No Delay", "1 Minute", "2 Minutes", "3 Minutes"}},
        {"savMaps", {"No", "Yes", "Cycle"}},
        {"savTime", {"Infinite"}},
        {"savRespawn", {}},
        {"savPlayers", {}},
        {"lstWeapons", {}}};
    for (const auto& [name, expected] : lists) {
        EXPECT_EQ(entries(control(name)), expected) << name;
        EXPECT_EQ(ctl::listIndex(control(name)), -1) << name;
    }
    EXPECT_EQ(entries(control("lstRoles")), QStringList({"CQB", "Gunner", "Medic", "Sniper"}));
    EXPECT_EQ(formtest::selections(control("lstRoles")), QList<bool>(4, false));
    EXPECT_TRUE(control<QAbstractButton>("optRoles", 0)->isChecked());
    EXPECT_FALSE(control<QAbstractButton>("optRoles", 1)->isChecked());
    EXPECT_TRUE(control<QAbstractButton>("optWeapons", 0)->isChecked());
    EXPECT_EQ(entries(control("SSTab2")),
              QStringList({"Team Options", "Miscellaneous Options", "Restrictions"}));
    EXPECT_EQ(control<QTabWidget>("SSTab2")->currentIndex(), 1);
}

}  // namespace
