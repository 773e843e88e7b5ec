// The form as created: every catalogued control with its kind, container,
// geometry and design data, the order of the setting controls, and the
// layout on the tab control.

#include <QAbstractButton>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTest>

#include <map>

#include "form/catalogue.h"
#include "form/controls.h"
#include "form/file_dialog.h"
#include "form_fixture.h"

namespace {

using formtest::FormTest;
namespace ctl = kdrsm::ctl;
namespace cat = kdrsm::catalogue;

QString kindName(cat::Kind kind) {
    static const std::map<cat::Kind, QString> names = {
        {cat::Kind::PictureBox, "PictureBox"},
        {cat::Kind::CommonDialog, "CommonDialog"},
        {cat::Kind::CheckBox, "CheckBox"},
        {cat::Kind::Frame, "Frame"},
        {cat::Kind::Label, "Label"},
        {cat::Kind::TextBox, "TextBox"},
        {cat::Kind::ComboBox, "ComboBox"},
        {cat::Kind::ListBox, "ListBox"},
        {cat::Kind::OptionButton, "OptionButton"},
        {cat::Kind::TabControl, "SSTab"},
    };
    return names.at(kind);
}

// Every catalogue row: the control exists with its kind, container,
// geometry, enabled and visible state.
class CatalogueRow : public FormTest, public ::testing::WithParamInterface<std::size_t> {};

TEST_P(CatalogueRow, ExistsAsCatalogued) {
    const cat::Row& row = cat::rows()[GetParam()];
    const QString name = QString::fromLatin1(row.name);
    if (row.kind == cat::Kind::CommonDialog) {
        EXPECT_EQ(ctl::typeName(form->findChild<kdrsm::FileDialog*>(name)), "CommonDialog");
        return;
    }
    QWidget* widget = control(name, row.kind == cat::Kind::OptionButton ? row.index : -1);
    EXPECT_EQ(ctl::typeName(widget), kindName(row.kind));
    QWidget* container = form.get();
    if (*row.container) container = control(QString::fromLatin1(row.container));
    if (row.tab >= 0) container = qobject_cast<QTabWidget*>(container)->widget(row.tab);
    EXPECT_EQ(widget->parentWidget(), container);
    EXPECT_EQ(ctl::twipsLeft(widget), row.rect.left);
    EXPECT_EQ(ctl::twipsTop(widget), row.rect.top);
    EXPECT_EQ(ctl::twipsWidth(widget), row.rect.width);
    EXPECT_EQ(ctl::twipsHeight(widget), row.rect.height);
    EXPECT_EQ(widget->isEnabled(), row.enabled);
    EXPECT_EQ(widget->isHidden(), bool(row.flags & cat::Hidden));
}

INSTANTIATE_TEST_SUITE_P(Form, CatalogueRow, ::testing::Range<std::size_t>(0, cat::rows().size()),
                         [](const auto& info) {
                             const cat::Row& row = cat::rows()[info.param];
                             std::string name = row.name;
                             if (row.kind == cat::Kind::OptionButton)
                                 name += std::to_string(row.index);
                             return name;
                         });

QString captionOf(QWidget* widget) {
    if (auto* label = qobject_cast<QLabel*>(widget)) return label->text();
    if (auto* frame = qobject_cast<QGroupBox*>(widget)) return frame->title();
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) return button->text();
    return "<no caption>";
}

struct CaptionCase {
    const char* test;
    const char* name;
    int index;
    const char* caption;
};

class Caption : public FormTest, public ::testing::WithParamInterface<CaptionCase> {};

TEST_P(Caption, ShownExactly) {
    const CaptionCase& c = GetParam();
    EXPECT_EQ(captionOf(control(c.name, c.index)), c.caption);
}

INSTANTIATE_TEST_SUITE_P(
    Form, Caption,
    ::testing::Values(CaptionCase{"SessionLabelMisspelt", "Label5", -1, "Sesstion Type:"},
                      CaptionCase{"NameLabel", "Label1", -1, "Name:"},
                      CaptionCase{"NovaLoginLabel", "Label13", -1, "Req. Nova Login:"},
                      CaptionCase{"MaxPingLabel", "Label33", -1, "Max Ping:"},
                      CaptionCase{"AutoLoadBox", "chkAutoLoad", -1,
                                  "Autoload last known settings on start up."},
                      CaptionCase{"PingFrame", "Frame7", -1, "Ping Check Settings"},
                      CaptionCase{"BorderOnlyFrame", "Frame12", -1, ""},
                      CaptionCase{"RolesSelectAll", "optRoles", 0, "Select All"},
                      CaptionCase{"WeaponsSelectNone", "optWeapons", 1, "Select None"}),
    [](const auto& info) { return std::string(info.param.test); });

TEST_F(FormTest, HostMessageLabelAloneIsUnderlined) {
    EXPECT_TRUE(control("Label11")->font().underline());
    EXPECT_FALSE(control("Label1")->font().underline());
    EXPECT_DOUBLE_EQ(form->font().pointSizeF(), 8.25);
}

TEST_F(FormTest, PanelColourIsAlsoTheButtonFace) {
    const QPalette& palette = form->palette();
    EXPECT_EQ(palette.color(QPalette::Window), QColor(236, 233, 216));
    EXPECT_EQ(palette.color(QPalette::Button), QColor(236, 233, 216));
    EXPECT_EQ(control("savServerName")->palette().color(QPalette::Base), QColor(Qt::white));
    EXPECT_EQ(control("Label1")->palette().color(QPalette::WindowText), QColor(Qt::black));
}

struct LimitCase {
    const char* name;
    int limit;
};

class TextLimit : public FormTest, public ::testing::WithParamInterface<LimitCase> {};

TEST_P(TextLimit, TypingStopsAtTheLimit) {
    QWidget* box = control(GetParam().name);
    box->setEnabled(true);  // some are disabled until their check box enables them
    QTest::keyClicks(box, QString(100, u'7'));
    EXPECT_EQ(ctl::text(box), QString(GetParam().limit, u'7'));
}

// Code may put in a longer text (a server's reply, a settings file); the
// operator then cannot add to it, only replace it within the limit.
TEST_P(TextLimit, CodeTextIsKeptWholeButTakesNoTyping) {
    QWidget* box = control(GetParam().name);
    box->setEnabled(true);
    const QString longer(GetParam().limit + 1, u'x');
    ctl::setText(box, longer);
    EXPECT_EQ(ctl::text(box), longer);
    QTest::keyClicks(box, "7");
    EXPECT_EQ(ctl::text(box), longer);
    QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(box, QString(100, u'7'));
    EXPECT_EQ(ctl::text(box), QString(GetParam().limit, u'7'));
}

INSTANTIATE_TEST_SUITE_P(Form, TextLimit,
                         ::testing::Values(LimitCase{"savServerName", 31},
                                           LimitCase{"savPassword", 16},
                                           LimitCase{"savRedPass", 16},
                                           LimitCase{"savBluePass", 16},
                                           LimitCase{"savMessage", 85}, LimitCase{"savMinPing", 3},
                                           LimitCase{"savFlagReturn", 3}, LimitCase{"savLives", 3},
                                           LimitCase{"savMaxPing", 5}, LimitCase{"savGamePort", 5}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(FormTest, HostMessagePasteKeepsTheTextBeforeIt) {
    auto* message = control<QPlainTextEdit>("savMessage");
    ctl::setText(message, QString(80, u'a'));
    QTextCursor cursor = message->textCursor();
    cursor.setPosition(40);
    message->setTextCursor(cursor);
    message->insertPlainText(QString(20, u'b'));
    EXPECT_EQ(ctl::text(message), QString(40, u'a') + QString(5, u'b') + QString(40, u'a'));
}

TEST_F(FormTest, CountryBoxHoldsTheCodesAndShowsItsName) {
    QWidget* country = control("savCountry");
    ASSERT_EQ(ctl::listCount(country), 232);
    EXPECT_EQ(ctl::listText(country, 0), "AD");
    EXPECT_EQ(ctl::listText(country, 231), "ZW");
    auto* combo = qobject_cast<QComboBox*>(country);
    EXPECT_GE(combo->findText("GB"), 0);
    EXPECT_GE(combo->findText("UK"), 0);
    EXPECT_GE(combo->findText("EU"), 0);
    EXPECT_TRUE(combo->isEditable());
    EXPECT_EQ(ctl::listIndex(country), -1);
    EXPECT_EQ(ctl::text(country), "savCountry");
}

TEST_F(FormTest, FixedListsKeepTheirOrder) {
    auto entries = [this](const char* name) {
        QStringList list;
        for (int i = 0; i < ctl::listCount(control(name)); ++i)
            list << ctl::listText(control(name), i);
        return list;
    };
    EXPECT_EQ(entries("savSession"), QStringList({"NovaWorld", "LAN IP"}));
    EXPECT_EQ(entries("savDelay"), QStringList({"No Delay", "1 Minute", "2 Minutes", "3 Minutes"}));
    EXPECT_EQ(entries("savMaps"), QStringList({"No", "Yes", "Cycle"}));
    EXPECT_EQ(entries("savTime"), QStringList({"Infinite"}));
    EXPECT_EQ(entries("lstRoles"), QStringList({"CQB", "Gunner", "Medic", "Sniper"}));
    EXPECT_EQ(entries("lstWeapons"), QStringList());
}

TEST_F(FormTest, StartsWithNothingChosenAndTheFirstOptionsSelected) {
    for (const char* combo : {"savSession", "savTime", "savDelay", "savMaps", "savRespawn"})
        EXPECT_EQ(ctl::listIndex(control(combo)), -1) << combo;
    EXPECT_EQ(ctl::listIndex(control("savPlayers")), -1);
    EXPECT_EQ(ctl::checkValue(control("savMaxPingChk")), 0);
    EXPECT_EQ(ctl::text(control("savServerName")), "");
    EXPECT_TRUE(control<QAbstractButton>("optRoles", 0)->isChecked());
    EXPECT_FALSE(control<QAbstractButton>("optRoles", 1)->isChecked());
    EXPECT_TRUE(control<QAbstractButton>("optWeapons", 0)->isChecked());
    // The option's handler has not run: no role is selected.
    for (int i = 0; i < 4; ++i) EXPECT_FALSE(ctl::selected(control("lstRoles"), i));
    EXPECT_EQ(control<QTabWidget>("SSTab2")->currentIndex(), 1);
}

TEST_F(FormTest, SettingControlsComeInSettingsFileKeyOrder) {
    QStringList keys;
    for (QWidget* widget : form->controls())
        if (widget->objectName().startsWith("sav")) keys << widget->objectName().mid(3);
    const QStringList expected = {"AutoBalance",
                                  "NovaLogin",
                                  "Skins",
                                  "Message",
                                  "Dedicated",
                                  "Respawn",
                                  "Maps",
                                  "Delay",
                                  "Time",
                                  "Players",
                                  "Session",
                                  "Country",
                                  "Password",
                                  "ServerName",
                                  "GamePort",
                                  "FatBullets",
                                  "DestroyBuildings",
                                  "OneShot",
                                  "MaxPing",
                                  "MaxPingChk",
                                  "MinPing",
                                  "MinPingChk",
                                  "MaxFF",
                                  "FFWarn",
                                  "FFTags",
                                  "FFKills",
                                  "Lives",
                                  "FlagReturn",
                                  "PSPTime",
                                  "AutoRange",
                                  "Clays",
                                  "Tracers",
                                  "RedPass",
                                  "BluePass"};
    EXPECT_EQ(keys, expected);
}

TEST_F(FormTest, NamesAreUniqueExceptTheOptionArrays) {
    std::map<QString, int> counts;
    for (QWidget* widget : form->controls()) ++counts[widget->objectName()];
    for (const auto& [name, count] : counts) {
        const bool array = name == "optRoles" || name == "optWeapons";
        EXPECT_EQ(count, array ? 2 : 1) << name.toStdString();
    }
    EXPECT_EQ(form->controls().size(), 88);  // every catalogued control but the file dialog
}

TEST_F(FormTest, TwipsBecomePixelsAtFifteenPerPixel) {
    ASSERT_DOUBLE_EQ(ctl::twipsPerPixelX(), 15.0);
    EXPECT_EQ(form->size(), QSize(746, 400));
    EXPECT_EQ(control("savServerName")->geometry(), QRect(64, 24, 265, 19));
    EXPECT_EQ(control("Frame1")->geometry(), QRect(16, 136, 337, 193));
    EXPECT_EQ(control("SSTab2")->geometry(), QRect(368, 24, 363, 313));
}

TEST_F(FormTest, FramesOnTheTabsSitWhereTheTabControlPutsThem) {
    showForm();
    auto* tabs = control<QTabWidget>("SSTab2");
    const std::pair<const char*, QPoint> frames[] = {{"Frame4", {16, 32}},
                                                     {"Frame6", {16, 200}},
                                                     {"Frame7", {16, 48}},
                                                     {"Frame10", {16, 24}},
                                                     {"Frame11", {16, 112}}};
    for (const auto& [name, position] : frames)
        EXPECT_EQ(control(name)->mapTo(tabs, QPoint(0, 0)), position) << name;
}

TEST_F(FormTest, SwitchingTabsShowsThatTabsFramesAndKeepsValues) {
    showForm();
    auto* tabs = control<QTabWidget>("SSTab2");
    ctl::setText(control("savRedPass"), "red");
    ctl::setCheckValue(control("savOneShot"), 1);
    tabs->setCurrentIndex(0);
    for (const char* shown : {"Frame4", "Frame5", "Frame6"})
        EXPECT_TRUE(control(shown)->isVisible()) << shown;
    for (const char* hidden : {"Frame7", "Frame9", "Frame10", "Frame11"})
        EXPECT_FALSE(control(hidden)->isVisible()) << hidden;
    tabs->setCurrentIndex(2);
    EXPECT_TRUE(control("Frame11")->isVisible());
    EXPECT_FALSE(control("Frame4")->isVisible());
    EXPECT_EQ(ctl::text(control("savRedPass")), "red");
    EXPECT_EQ(ctl::checkValue(control("savOneShot")), 1);
}

TEST_F(FormTest, PlayerListShowsExactlyOneRow) {
    form->Form_Load();
    showForm();
    auto* players = control<QListWidget>("savPlayers");
    const int row = players->visualItemRect(players->item(0)).height();
    EXPECT_GE(players->viewport()->height(), row);
    EXPECT_LT(players->viewport()->height(), 2 * row);
}

TEST_F(FormTest, TabKeyFollowsTheTabIndexes) {
    showForm();
    QApplication::setActiveWindow(form.get());
    control("savServerName")->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QWidget* focused = QApplication::focusWidget();
    ASSERT_NE(focused, nullptr);
    EXPECT_TRUE(focused == control("savCountry") ||
                focused->parentWidget() == control("savCountry"));
}

}  // namespace
