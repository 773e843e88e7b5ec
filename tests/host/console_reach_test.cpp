// What an operator reaches in the console without a mouse or on a laptop's
// screen: the order of the Tab key, Ctrl+F, a window that fits 1280x720 and
// 1024x768 with the panel's buttons in reach, and a Server menu whose
// plug-in entries say whose they are.
#include <QAbstractItemView>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QScrollArea>
#include <QTableView>
#include <QTest>

#include <memory>

#include <gtest/gtest.h>

#include "host/servers_ui/server_list_panel.h"
#include "host/traffic_ui/traffic_dock.h"
#include "host_fixture.h"
#include "support/modal_driver.h"

namespace {

using jextest::kHostWaitMs;

class ReachableConsole : public testing::Test {
protected:
    void SetUp() override {
        jextest::prepareHostRoot(host);
        QString error;
        ASSERT_TRUE(session.start(&error)) << error.toStdString();
        console = std::make_unique<jextest::ShownConsole>(session);
        QApplication::setActiveWindow(&console->window());
        ASSERT_TRUE(QTest::qWaitForWindowActive(&console->window()));
        ASSERT_TRUE(console->open(QStringLiteral("Delta Force lobby")));
    }

    // A widget by the name a row gives it: the list, its filter, the
    // traffic view, or a control of the form.
    QWidget* named(const QString& name) const {
        jexhost::ConsoleWindow& window = console->window();
        if (name == u"list") return window.serverList()->view();
        if (name == u"filter") return window.serverList()->filterBox();
        if (name == u"traffic") return window.trafficDock()->table();
        return console->control<QWidget>(name.toLatin1().constData());
    }
    // The row's name of the widget that has the focus.
    QString focusName() const {
        QWidget* focus = QApplication::focusWidget();
        for (const char* stop : {"list", "filter", "traffic"})
            if (focus && focus == named(QString::fromLatin1(stop)))
                return QString::fromLatin1(stop);
        for (QWidget* w = focus; w; w = w->parentWidget())
            if (w->objectName().startsWith(u"sav") || w->objectName().startsWith(u"chk"))
                return w->objectName();
        return focus ? QStringLiteral("(%1)").arg(focus->metaObject()->className())
                     : QStringLiteral("(none)");
    }

    jextest::TempHost host;
    jextest::ModalDriver modal;
    jexhost::HostSession session{{}};
    std::unique_ptr<jextest::ShownConsole> console;
};

struct KeysCase {
    const char* name;
    QString start;  // empty: where the focus is when the window shows
    QList<QKeyCombination> keys;
    QString focus;
};

class KeyboardWalk : public ReachableConsole, public testing::WithParamInterface<KeysCase> {};

TEST_P(KeyboardWalk, TheKeysTakeTheFocusWhereTheOperatorExpectsIt) {
    const KeysCase& row = GetParam();
    if (!row.start.isEmpty()) {
        QWidget* start = named(row.start);
        ASSERT_NE(start, nullptr) << row.start.toStdString();
        start->setFocus(Qt::OtherFocusReason);
    }
    ASSERT_TRUE(QTest::qWaitFor([&] {
        return row.start.isEmpty() ? focusName() == u"list" : focusName() == row.start;
    })) << focusName().toStdString();
    for (const QKeyCombination& key : row.keys) {
        QWidget* to = QApplication::focusWidget();
        ASSERT_NE(to, nullptr);
        QTest::keyClick(to, key.key(), key.keyboardModifiers());
    }
    EXPECT_EQ(focusName(), row.focus);
}

constexpr QKeyCombination kTab(Qt::Key_Tab);
constexpr QKeyCombination kBacktab(Qt::ShiftModifier, Qt::Key_Backtab);

// The form's Tab order: TabIndex 0 is the server name, 1 the country, and
// the last control that can take the focus on the first page is the
// friendly fire warning (84; the game port after it is locked).
INSTANTIATE_TEST_SUITE_P(
    Console, KeyboardWalk,
    testing::Values(
        KeysCase{"FocusStartsInTheList", {}, {}, "list"},
        KeysCase{"TabLeavesTheListForTheFilter", "list", {kTab}, "filter"},
        KeysCase{"TabEntersThePanelAtTabIndexZero", "filter", {kTab}, "savServerName"},
        KeysCase{"TabWalksThePanelInTabIndexOrder", "savServerName", {kTab}, "savCountry"},
        KeysCase{"TabLeavesThePanelForTheTraffic", "savMaxFF", {kTab}, "traffic"},
        KeysCase{"TabLeavesTheTrafficForTheList", "traffic", {kTab}, "list"},
        KeysCase{"BacktabEntersThePanelAtItsEnd", "traffic", {kBacktab}, "savMaxFF"},
        KeysCase{"BacktabLeavesThePanelForTheFilter", "savServerName", {kBacktab}, "filter"},
        KeysCase{"CtrlFGoesToTheFilter",
                 "savCountry",
                 {QKeyCombination(Qt::ControlModifier, Qt::Key_F)},
                 "filter"}),
    [](const auto& info) { return std::string(info.param.name); });

struct ScreenCase {
    const char* name;
    QSize screen;
};

class SmallScreen : public ReachableConsole, public testing::WithParamInterface<ScreenCase> {};

// Room for a window frame and title is left on the screen; what the window
// then lacks, the panel area scrolls to.
TEST_P(SmallScreen, TheWindowFitsAndThePanelsButtonsCanBeReached) {
    const QSize room = GetParam().screen - QSize(0, 40);
    jexhost::ConsoleWindow& window = console->window();
    EXPECT_LE(window.minimumSize().width(), room.width());
    EXPECT_LE(window.minimumSize().height(), room.height());
    EXPECT_LE(window.minimumSizeHint().width(), room.width());
    EXPECT_LE(window.minimumSizeHint().height(), room.height());
    window.resize(room);
    ASSERT_TRUE(QTest::qWaitFor([&] { return window.size() == room; }));
    auto* scroll = window.findChild<QScrollArea*>(QStringLiteral("panelScroll"));
    ASSERT_NE(scroll, nullptr) << "the panel area does not scroll";
    for (const char* name : {"cmdUpdate", "cmdSave", "cmdLoad", "chkAutoLoad"}) {
        SCOPED_TRACE(name);
        QWidget* button = console->control<QWidget>(name);
        ASSERT_NE(button, nullptr);
        scroll->ensureWidgetVisible(button, 0, 0);
        const QRect inView(button->mapTo(scroll->viewport(), QPoint(0, 0)), button->size());
        EXPECT_TRUE(scroll->viewport()->rect().contains(inView))
            << inView.x() << "," << inView.y() << " in " << scroll->viewport()->width() << "x"
            << scroll->viewport()->height();
    }
}

INSTANTIATE_TEST_SUITE_P(Console, SmallScreen,
                         testing::Values(ScreenCase{"Laptop1280x720", {1280, 720}},
                                         ScreenCase{"Laptop1024x768", {1024, 768}}),
                         [](const auto& info) { return std::string(info.param.name); });

// The panel's plug-in names its entry "Server"; in the console's own Server
// menu it says whose it is.
TEST_F(ReachableConsole, ThePluginsServerMenuEntrySaysWhoseItIs) {
    QMenu* server = nullptr;
    for (QAction* action : console->window().menuBar()->actions())
        if (action->text() == u"&Server") server = action->menu();
    ASSERT_NE(server, nullptr);
    QStringList texts;
    for (QAction* action : server->actions())
        if (!action->isSeparator()) texts << action->text();
    EXPECT_FALSE(texts.contains("Server")) << texts.join(" | ").toStdString();
    EXPECT_TRUE(texts.contains("KDR Server Manager: Server")) << texts.join(" | ").toStdString();
}

}  // namespace
