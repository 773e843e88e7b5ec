// The access rules for the form's controls: list indexes, check values,
// texts and entry selection, with the platform's error numbers; texts of
// any size; what the operator types into the Country box.

#include <QAbstractItemView>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>

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
        EXPECT_EQ(
            raisedNumber([&, &action = action, &name = name] { action(form->control(name)); }),
            error)
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

// Texts put in by code come back whole, whatever their size or content: a
// line many times longer than the paragraphs it is held in, more lines or
// characters than 16 bits count. How fast is the benchmarks' business.
TEST_F(FormTest, TextsOfAnySizeComeBackWhole) {
    const QString longLine = QString(70'000, u'x') + "end";
    const struct {
        const char* row;
        const char* control;
        QString value;
        QString expected;
    } rows[] = {{"name of megabytes", "savServerName", longLine, longLine},
                {"country of megabytes", "savCountry", longLine, longLine},
                {"message on one line", "savMessage", longLine, longLine},
                {"message of many lines", "savMessage", QString("ab\r\n").repeated(70'000),
                 QString("ab\r\n").repeated(70'000)},
                {"line separators of its own", "savMessage",
                 QString::fromUtf16(u"a\u2028b\r\n").repeated(20'000) + QString(5000, u'y'),
                 QString::fromUtf16(u"a\u2028b\r\n").repeated(20'000) + QString(5000, u'y')},
                {"NUL, replacement and no-break space", "savMessage",
                 QString::fromUtf16(u"x\0y\uFFFDz\u00A0", 6).repeated(1000),
                 QString::fromUtf16(u"x\0y\uFFFDz\u00A0", 6).repeated(1000)}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.row);
        QWidget* box = control(row.control);
        ctl::setText(box, row.value);
        EXPECT_TRUE(ctl::text(box) == row.expected) << ctl::text(box).size();
        if (auto* message = qobject_cast<QPlainTextEdit*>(box)) {
            // What the operator copies is the text too.
            message->selectAll();
            message->copy();
            EXPECT_TRUE(QGuiApplication::clipboard()->text().replace("\n", "\r\n") == row.expected);
        }
    }
}

// The Host Message gives its line breaks back as they came, whatever kind;
// a break the operator types with Enter is CR LF.
TEST_F(FormTest, HostMessageKeepsItsLineBreaks) {
    auto* message = control<QPlainTextEdit>("savMessage");
    const auto typeAt = [message](int position, const char* typed, bool enter) {
        QTextCursor cursor = message->textCursor();
        cursor.setPosition(position);
        message->setTextCursor(cursor);
        QTest::keyClicks(message, typed);
        if (enter) QTest::keyClick(message, Qt::Key_Return);
    };
    const struct {
        const char* row;
        QString received;
        std::function<void()> edit;
        QString expected;
    } rows[] = {{"LF", "a\nb", [] {}, "a\nb"},
                {"lone CR", "a\rb\r", [] {}, "a\rb\r"},
                {"paragraph separator", QString::fromUtf16(u"a\u2029b"), [] {},
                 QString::fromUtf16(u"a\u2029b")},
                {"frame marker", QString::fromUtf16(u"a\uFDD0b\uFDD1"), [] {},
                 QString::fromUtf16(u"a\uFDD0b\uFDD1")},
                {"typing between the breaks keeps them", "a\rb\nc", [&] { typeAt(3, "x", false); },
                 "a\rbx\nc"},
                {"Enter typed is CR LF", "a\nb", [&] { typeAt(3, "c", true); }, "a\nbc\r\n"},
                {"two separate edits keep the breaks between them", "a\nb\rc",
                 [&] {
                     typeAt(0, "x", false);
                     typeAt(6, "y", false);
                 },
                 "xa\nb\rcy"},
                {"Enter between two received breaks", "a\r\nb\rc",
                 [&] {
                     typeAt(2, "d", true);
                     typeAt(7, "e", false);
                 },
                 "a\r\nd\r\nb\rce"},
                {"typed into an empty box", "", [&] { typeAt(0, "a", true); }, "a\r\n"}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.row);
        ctl::setText(message, row.received);
        row.edit();
        EXPECT_EQ(ctl::text(message), row.expected);
    }
}

// A long line is held in pieces; only the text's own characters count
// against the limit.
TEST_F(FormTest, HostMessageLimitCountsCharactersNotPieces) {
    auto* message = control<QPlainTextEdit>("savMessage");
    ctl::setText(message, QString(2048, u'a') + QString(2048, u'b'));
    QTextCursor cursor(message->document());
    cursor.setPosition(0);
    cursor.setPosition(2008, QTextCursor::KeepAnchor);  // inside the piece of 'a'
    cursor.removeSelectedText();
    cursor.setPosition(81);  // after 40 'a', the piece break and 40 'b'
    cursor.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
    ASSERT_EQ(ctl::text(message), QString(40, u'a') + QString(40, u'b'));
    cursor.setPosition(40);  // a paste in the middle keeps what fits
    message->setTextCursor(cursor);
    message->insertPlainText("1234567890");
    EXPECT_EQ(ctl::text(message), QString(40, u'a') + "12345" + QString(40, u'b'));
}

// More entries than 16 bits count, one of them far longer than a row shows.
TEST_F(FormTest, WeaponListTakesEntriesPastSixteenBits) {
    QWidget* weapons = control("lstWeapons");
    const QString longName = QString(100'000, u'w');
    for (int i = 0; i < 70'000; ++i) {
        ctl::addItem(weapons, i == 500 ? longName : QString("W%1").arg(i));
        ctl::setSelected(weapons, i, i % 3 == 0);
    }
    showForm();
    ASSERT_EQ(ctl::listCount(weapons), 70'000);
    EXPECT_EQ(ctl::listText(weapons, 69'999), "W69999");
    EXPECT_TRUE(ctl::listText(weapons, 500) == longName);
    EXPECT_EQ(formtest::selections(weapons).mid(69'997), (QList<bool>{false, false, true}));
}

// The Country box takes what the operator types as typed; choosing from
// its list still works.
TEST_F(FormTest, CountryKeepsWhatTheOperatorTypes) {
    auto* country = control<QComboBox>("savCountry");
    const struct {
        const char* row;
        std::function<void()> act;
        const char* text;
        bool chosen;
    } rows[] = {
        {"G then Tab", [&] { QTest::keyClicks(country->lineEdit(), "G"); }, "G", false},
        {"lower-case code", [&] { QTest::keyClicks(country->lineEdit(), "gb"); }, "gb", false},
        {"code of the list", [&] { QTest::keyClicks(country->lineEdit(), "GB"); }, "GB", false},
        {"code of the list and Enter",
         [&] {
             QTest::keyClicks(country->lineEdit(), "GB");
             QTest::keyClick(country->lineEdit(), Qt::Key_Return);
         },
         "GB", false},
        {"typed over a chosen entry",
         [&] {
             ctl::setListIndex(country, country->findText("UK"));
             country->lineEdit()->selectAll();
             QTest::keyClicks(country->lineEdit(), "GB");
         },
         "GB", false},
        {"picked from the list",
         [&] {
             country->showPopup();
             QAbstractItemView* view = country->view();
             const QModelIndex uk = view->model()->index(country->findText("UK"), 0);
             view->scrollTo(uk);
             QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(uk).center());
         },
         "UK", true}};
    showForm();
    for (const auto& row : rows) {
        SCOPED_TRACE(row.row);
        ctl::setText(country, "");
        country->lineEdit()->setFocus();
        row.act();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(ctl::text(country), row.text);
        EXPECT_EQ(ctl::listIndex(country) >= 0, row.chosen);
    }
}

}  // namespace
