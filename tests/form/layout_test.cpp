// The form as created: controls with their kind, container, geometry, tab
// order and state (frames on the tab control on their pages), and the exact
// captions, entries and limits.

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>

#include <algorithm>
#include <ostream>
#include <string_view>

#include "exchange/wire/list_entries.h"
#include "exchange/wire/setting_schema.h"
#include "form/catalogue.h"
#include "form/control_widgets.h"
#include "form_fixture.h"

namespace {

using formtest::FormTest;
namespace ctl = kdrsm::ctl;

// The entries of a list or combo box, or the tab captions of a tab control.
QStringList entries(const QWidget* control) {
    QStringList list;
    const auto* tabs = qobject_cast<const QTabWidget*>(control);
    for (int i = 0; i < (tabs ? tabs->count() : ctl::listCount(control)); ++i)
        list << (tabs ? tabs->tabText(i) : ctl::listText(control, i));
    return list;
}

// A sample of controls from every container, written out from the form's
// design: pixel rectangles at 15 twips a pixel, relative to the container
// (frames on a tab relative to the tab control), and the tab order. Labels
// and frames on the tabs take no focus (tabIndex -1 here).
struct Placed {
    const char* name;
    int index;              // option-array index, else -1
    const char* container;  // "" for the form
    int tab;                // page of SSTab2 the control sits on, else -1
    const char* type;
    QRect pixels;
    int tabIndex;
    bool enabled = true;
    bool hidden = false;
};

class PlacedControl : public FormTest, public ::testing::WithParamInterface<Placed> {};

TEST_P(PlacedControl, StandsWhereDesigned) {
    const Placed& row = GetParam();
    showForm();
    QWidget* widget = control(row.name, row.index);
    ASSERT_NE(widget, nullptr);
    EXPECT_EQ(ctl::typeName(widget), row.type);
    QWidget* container = *row.container ? control(row.container) : form.get();
    EXPECT_EQ(QRect(widget->mapTo(container, QPoint()), widget->size()), row.pixels);
    QWidget* parent = container;
    if (row.tab >= 0) parent = qobject_cast<QTabWidget*>(container)->widget(row.tab);
    EXPECT_EQ(widget->parentWidget(), parent);
    if (row.tabIndex >= 0)
        EXPECT_EQ(widget->property("TabIndex").toInt(), row.tabIndex);
    else
        EXPECT_EQ(widget->focusPolicy(), Qt::NoFocus);
    EXPECT_EQ(widget->isEnabled(), row.enabled);
    EXPECT_EQ(widget->isHidden(), row.hidden);
}

INSTANTIATE_TEST_SUITE_P(
    Sample, PlacedControl,
    ::testing::Values(
        // The form.
        Placed{"Picture1", -1, "", -1, "PictureBox", {704, 368, 33, 33}, 85, true, true},
        Placed{"chkAutoLoad", -1, "", -1, "CheckBox", {432, 360, 233, 17}, 82},
        Placed{"Frame12", -1, "", -1, "Frame", {368, 344, 361, 41}, 81},
        Placed{"Frame2", -1, "", -1, "Frame", {16, 16, 337, 121}, 11},
        Placed{"SSTab2", -1, "", -1, "SSTab", {368, 24, 363, 313}, 30},
        // Server Details.
        Placed{"savServerName", -1, "Frame2", -1, "TextBox", {64, 24, 265, 19}, 0},
        Placed{"Label1", -1, "Frame2", -1, "Label", {8, 24, 73, 17}, -1},
        Placed{"savCountry", -1, "Frame2", -1, "ComboBox", {64, 56, 81, 21}, 1},
        Placed{"savPassword", -1, "Frame2", -1, "TextBox", {64, 88, 121, 19}, 3},
        // Server Options.
        Placed{"savRespawn", -1, "Frame1", -1, "ComboBox", {104, 96, 81, 21}, 7},
        Placed{"savAutoBalance", -1, "Frame1", -1, "CheckBox", {296, 96, 17, 13}, 29},
        Placed{"savMessage", -1, "Frame1", -1, "TextBox", {24, 136, 289, 43}, 24},
        // The frames on the three tabs.
        Placed{"Frame4", -1, "SSTab2", 0, "Frame", {16, 32, 329, 81}, -1},
        Placed{"Frame5", -1, "SSTab2", 0, "Frame", {16, 120, 329, 73}, -1},
        Placed{"Frame7", -1, "SSTab2", 1, "Frame", {16, 48, 329, 81}, -1},
        Placed{"Frame10", -1, "SSTab2", 2, "Frame", {16, 24, 329, 89}, -1},
        Placed{"Frame11", -1, "SSTab2", 2, "Frame", {16, 112, 329, 193}, -1},
        // Inside those frames.
        Placed{"savRedPass", -1, "Frame4", -1, "TextBox", {96, 48, 121, 19}, 33},
        Placed{"savMaxFF", -1, "Frame5", -1, "ComboBox", {104, 40, 65, 21}, 84},
        Placed{"savFFWarn", -1, "Frame5", -1, "CheckBox", {304, 40, 17, 13}, 52},
        Placed{"savLives", -1, "Frame6", -1, "TextBox", {120, 72, 57, 19}, 42},
        Placed{"Label33", -1, "Frame7", -1, "Label", {200, 48, 49, 17}, -1, false},
        Placed{"savMaxPing", -1, "Frame7", -1, "TextBox", {256, 48, 49, 19}, 61, false},
        Placed{"savGamePort", -1, "Frame9", -1, "TextBox", {256, 48, 49, 19}, 86, false},
        Placed{"lstRoles", -1, "Frame10", -1, "ListBox", {8, 16, 185, 64}, 76},
        Placed{"optRoles", 1, "Frame10", -1, "OptionButton", {208, 48, 105, 17}, 75},
        Placed{"lstWeapons", -1, "Frame11", -1, "ListBox", {8, 16, 185, 169}, 78},
        Placed{"optWeapons", 0, "Frame11", -1, "OptionButton", {208, 16, 105, 17}, 79}),
    [](const auto& info) {
        const Placed& row = info.param;
        return row.name + (row.index >= 0 ? std::to_string(row.index) : std::string());
    });

// The longest text a text box takes.
int limitOf(QWidget* box) {
    if (auto* line = qobject_cast<kdrsm::MaxLengthLineEdit*>(box)) return line->limit();
    if (auto* edit = qobject_cast<kdrsm::MaxLengthTextEdit*>(box)) return edit->limit();
    return -1;
}

QString captionOf(QWidget* widget) {
    if (auto* label = qobject_cast<QLabel*>(widget)) return label->text();
    if (auto* frame = qobject_cast<QGroupBox*>(widget)) return frame->title();
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) return button->text();
    return "<no caption>";
}

TEST_F(FormTest, CaptionsAreShownExactly) {
    // clang-format off
    const std::tuple<const char*, int, const char*> captions[] = {
        {"Label5", -1, "Sesstion Type:"} /* misspelt so */, {"Label1", -1, "Name:"},
        {"Label13", -1, "Req. Nova Login:"}, {"Label33", -1, "Max Ping:"},
        {"chkAutoLoad", -1, "Autoload last known settings on start up."},
        {"Frame7", -1, "Ping Check Settings"}, {"Frame12", -1, ""}, {"optRoles", 0, "Select All"},
        {"optWeapons", 1, "Select None"}};
    // clang-format on
    for (const auto& [name, index, caption] : captions)
        EXPECT_EQ(captionOf(control(name, index)), caption) << name << index;
}

// Every setting's control, built and loaded, is what its setting's row says:
// the caption on the label created just before it, its place among the
// settings, the entries of its list and the longest text its box takes.
TEST_F(FormTest, EverySettingControlIsItsRow) {
    form->Form_Load();
    const auto rows = kdrsm::catalogue::rows();
    int place = 0;
    for (size_t i = 1; i < rows.size(); ++i) {
        const std::string_view name = rows[i].name;
        if (!name.starts_with("sav")) continue;
        SCOPED_TRACE(rows[i].name);
        const auto setting = std::ranges::find(kdrsm::wire::kSettings, name,
                                               [](const auto& row) { return row.control; });
        ASSERT_NE(setting, kdrsm::wire::kSettings.end());
        EXPECT_EQ(setting->formPlace, place++);
        EXPECT_EQ(captionOf(control(rows[i - 1].name)), QString::fromLatin1(setting->caption));
        QWidget* box = control(rows[i].name);
        switch (setting->kind) {
            case kdrsm::wire::SettingKind::List:
            case kdrsm::wire::SettingKind::Code:
                EXPECT_EQ(entries(box), kdrsm::wire::listEntries(setting->index));
                break;
            case kdrsm::wire::SettingKind::Text:
            case kdrsm::wire::SettingKind::Number:
                EXPECT_EQ(limitOf(box), setting->maxLength);
                break;
            case kdrsm::wire::SettingKind::Check:
                EXPECT_TRUE(qobject_cast<QAbstractButton*>(box));
                break;
        }
    }
    EXPECT_EQ(place, kdrsm::wire::kSettingCount);
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
    // clang-format off
    const std::pair<const char*, QStringList> lists[] = {
        {"savSession", {"NovaWorld", "LAN IP"}}, {"savDelay", {"No Delay", "1 Minute", "2 Minutes", "3 Minutes"}},
        {"savMaps", {"No", "Yes", "Cycle"}}, {"savTime", {"Infinite"}}, {"savRespawn", {}}, {"savPlayers", {}},
        {"lstWeapons", {}}};
    // clang-format on
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

// The colours where the panel shows them once loaded, the tab control's
// painting hook included.
TEST_F(FormTest, PanelColoursWhereTheyShow) {
    form->Form_Load();
    showForm();
    const QImage shot = form->grab().toImage();
    auto* tabs = control<QTabWidget>("SSTab2");
    QWidget* session = control("savSession");
    const QColor panel(236, 233, 216);
    const std::tuple<const char*, QPoint, QColor> pixels[] = {
        {"tab pane", tabs->widget(1)->mapTo(form.get(), QPoint(4, 4)), panel},
        {"selected tab",
         tabs->tabBar()->mapTo(form.get(), tabs->tabBar()->tabRect(1).topLeft() + QPoint(4, 6)),
         panel},
        {"drop-down list field", session->mapTo(form.get(), QPoint(4, session->height() / 2)),
         Qt::white},
        {"form", QPoint(2, 2), panel}};
    for (const auto& [row, point, colour] : pixels)
        EXPECT_EQ(QColor(shot.pixel(point)), colour) << row;
}

// A drop-down list, made when it first drops down, is drawn in the panel's
// style like its box, not in the host's.
TEST_F(FormTest, DropDownListsDropDownInThePanelStyle) {
    showForm();
    for (const char* name : {"savSession", "savCountry"}) {  // a list-only box, a typed one
        SCOPED_TRACE(name);
        auto* combo = control<QComboBox>(name);
        combo->showPopup();
        EXPECT_TRUE(combo->view()->isVisible());
        EXPECT_EQ(combo->view()->window()->style(), form->style());
        EXPECT_EQ(combo->view()->style(), form->style());
        combo->hidePopup();
    }
}

// A frame's border line runs through its caption, above the first controls
// placed just below the frame's top.
TEST_F(FormTest, FrameLinesStayAboveTheirFirstControls) {
    const std::tuple<const char*, int, const char*> firstControls[] = {
        {"Frame2", -1, "Label1"},      {"Frame5", 0, "Label18"},     {"Frame5", 0, "savFFKills"},
        {"Frame10", 2, "lstRoles"},    {"Frame11", 2, "optWeapons"}, {"Frame11", 2, "lstWeapons"},
        {"Frame12", -1, "chkAutoLoad"}};  // no caption: the line is the top edge
    showForm();
    for (const auto& [frameName, tab, controlName] : firstControls) {
        SCOPED_TRACE(std::string(frameName) + " " + controlName);
        if (tab >= 0) control<QTabWidget>("SSTab2")->setCurrentIndex(tab);
        QWidget* frame = control(frameName);
        const QImage shot = frame->grab().toImage();
        int line = 0;  // first row of the left edge that is not panel colour
        while (line < shot.height() && QColor(shot.pixel(1, line)) == QColor(236, 233, 216)) ++line;
        const QRect placed = control(controlName)->geometry();
        const int top = control(controlName)->parentWidget() == frame ? placed.top()
                                                                      : placed.top() - frame->y();
        EXPECT_LT(line, top - 2);
        EXPECT_LE(line, frame->fontMetrics().height() / 2 + 1);
    }
}

}  // namespace
