// The panel inside a host window: placement, the settings fetch, hiding,
// the focus chain.
#include <QApplication>
#include <QLineEdit>
#include <QTabWidget>
#include <QTest>

#include <gtest/gtest.h>

#include "form/frmrcKDRSM.h"
#include "panel_support/panel_fixture.h"
#include "plugin/embedding.h"
#include "plugin/module_state.h"

namespace {

using kdrsm::mdl;

class EmbeddingTest : public jextest::PanelTest {
protected:
    void SetUp() override {
        PanelTest::SetUp();
        setReportErrors("0");
        hostWindow.resize(800, 500);
        hostWindow.show();
    }
    void TearDown() override {
        PanelTest::TearDown();  // the form goes before the host window
    }
    qint64 handle() { return static_cast<qint64>(hostWindow.winId()); }
    QByteArray fetch() { return host.read("RCData/reply_jexKDRSM_GetSettingsRem.txt"); }

    QWidget hostWindow;
};

TEST_F(EmbeddingTest, PlacesSizesFetchesAndShows) {
    kdrsm::loadInterface(3, handle(), {QStringLiteral("srv-7"), QVariant(), 6000, 7500});
    kdrsm::frmrcKDRSM* panel = mdl().form;
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->parentWidget(), &hostWindow);
    EXPECT_EQ(panel->geometry(), QRect(2, 30, 500, 372));
    EXPECT_TRUE(panel->isVisible());
    EXPECT_EQ(qobject_cast<QTabWidget*>(panel->control("SSTab2"))->currentIndex(), 0);
    EXPECT_EQ(mdl().ProfileIndex, 3);
    EXPECT_EQ(mdl().HostTag, "srv-7");
    EXPECT_EQ(mdl().PendingCommand, "LoadForm");
    EXPECT_EQ(fetch(), "Plugin_jexKDRSM_GetSettingsRem_srv-7_VB6_3_");
    EXPECT_TRUE(modals.boxes().isEmpty());
}

// Sizes in twips are rounded to whole twips (halves to even) before the
// division by 15, which then drops the remainder; text sizes count as well.
struct SizeRow {
    const char* name;
    QVariant height, width;
    int pixelWidth, pixelHeight;
};

class EmbeddingSizeTest : public EmbeddingTest, public ::testing::WithParamInterface<SizeRow> {};

TEST_P(EmbeddingSizeTest, RoundsThenDivides) {
    const SizeRow& row = GetParam();
    kdrsm::loadInterface(0, handle(), {1, 2, row.height, row.width});
    EXPECT_EQ(mdl().form->geometry(), QRect(2, 30, row.pixelWidth, row.pixelHeight));
}

INSTANTIATE_TEST_SUITE_P(Sizes, EmbeddingSizeTest,
                         ::testing::Values(
                             // 7499.5 -> 7500 -> 500 (dividing first would give 499.97 -> 499).
                             SizeRow{"HalfUpToEvenWidth", 6000, 7499.5, 500, 372},
                             // 7484.5 -> 7484 -> 498 (rounding halves up would give 7485 -> 499).
                             SizeRow{"HalfDownToEvenWidth", 6000, 7484.5, 498, 372},
                             // 5999.5 -> 6000 -> 400, less 28 (dividing first would give 371).
                             SizeRow{"HalfUpToEvenHeight", 5999.5, 7500, 500, 372},
                             // 6014.6 -> 6015 -> 401, less 28; 7514.4 -> 7514 -> 500.
                             SizeRow{"FractionsRoundToNearest", 6014.6, 7514.4, 500, 373},
                             SizeRow{"TextSizes", QStringLiteral("5999.5"),
                                     QStringLiteral("7499.5"), 500, 372}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(EmbeddingTest, TwoLoadsSendTwoFetchesAndReplaceTheFile) {
    kdrsm::loadInterface(0, handle(), {QStringLiteral("first"), QVariant(), 6000, 7500});
    EXPECT_EQ(fetch(), "Plugin_jexKDRSM_GetSettingsRem_first_VB6_0_");
    kdrsm::loadInterface(1, handle(), {QStringLiteral("second"), QVariant(), 6000, 7500});
    EXPECT_EQ(fetch(), "Plugin_jexKDRSM_GetSettingsRem_second_VB6_1_");
}

TEST_F(EmbeddingTest, ShortPdatReparentsThenReports) {
    kdrsm::loadInterface(4, handle(), {QStringLiteral("tag"), QVariant(), 6000});
    ASSERT_NE(mdl().form, nullptr);
    EXPECT_EQ(mdl().form->parentWidget(), &hostWindow);
    EXPECT_FALSE(mdl().form->isVisible());
    EXPECT_EQ(mdl().ProfileIndex, 4);
    EXPECT_EQ(mdl().HostTag, "tag");
    EXPECT_FALSE(host.exists("RCData/reply_jexKDRSM_GetSettingsRem.txt"));
    ASSERT_EQ(modals.boxes().size(), 1);
    EXPECT_TRUE(
        modals.boxes()[0].text.startsWith("Error Line: 40\r\nError 9: Subscript out of range"));
    EXPECT_TRUE(modals.boxes()[0].text.contains("Function/Sub: LoadInterface"));
    EXPECT_EQ(errorLogLines().size(), 1);
}

TEST_F(EmbeddingTest, HideBeforeAnyLoadCreatesTheFormHidden) {
    kdrsm::hideInterface();
    ASSERT_NE(mdl().form, nullptr);
    EXPECT_FALSE(mdl().form->isVisible());
    EXPECT_FALSE(host.exists("RCData"));
}

TEST_F(EmbeddingTest, HideKeepsParentAndValuesAndLoadShowsAgain) {
    kdrsm::loadInterface(0, handle(), {QStringLiteral("t"), QVariant(), 6000, 7500});
    kdrsm::hideInterface();
    EXPECT_FALSE(mdl().form->isVisible());
    EXPECT_EQ(mdl().form->parentWidget(), &hostWindow);
    kdrsm::loadInterface(0, handle(), {QStringLiteral("t"), QVariant(), 6000, 7500});
    EXPECT_TRUE(mdl().form->isVisible());
}

// Inside the host's chain the panel's controls follow their TabIndex from 0
// to the last, and Tab leaves the panel only after the last control.
TEST_F(EmbeddingTest, TabRunsThroughThePanelInTabIndexOrder) {
    auto* before = new QLineEdit(&hostWindow);
    before->show();
    kdrsm::loadInterface(0, handle(), {QStringLiteral("t"), QVariant(), 6000, 7500});
    auto* after = new QLineEdit(&hostWindow);
    after->show();
    QApplication::setActiveWindow(&hostWindow);
    QList<int> order;
    for (QWidget* w = before->nextInFocusChain(); w != after; w = w->nextInFocusChain()) {
        ASSERT_NE(w, before) << "the chain left the host window";
        // The tab control takes its focus by its tab bar.
        QWidget* parent = w->parentWidget();
        const QWidget* control = parent && parent->focusProxy() == w ? parent : w;
        if (w->focusPolicy() != Qt::NoFocus && control->property("TabIndex").isValid())
            order << control->property("TabIndex").toInt();
    }
    ASSERT_FALSE(order.isEmpty());
    EXPECT_EQ(order.front(), 0);
    EXPECT_EQ(order.back(), 86);
    EXPECT_TRUE(std::adjacent_find(order.begin(), order.end(), std::greater_equal<int>()) ==
                order.end());

    const struct {
        const char* row;
        QWidget* from;
        bool backwards;
        QWidget* to;
    } rows[] = {{"into the panel", before, false, control("savServerName")},
                {"back out of the first control", control("savServerName"), true, before},
                {"past the option buttons", control("chkAutoLoad"), false, control("savPlayers")},
                {"out of the last control", control("savMaxFF"), false, after},
                {"back into the last control", after, true, control("savMaxFF")}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.row);
        row.from->setFocus();
        QTest::keyClick(row.from, Qt::Key_Tab, row.backwards ? Qt::ShiftModifier : Qt::NoModifier);
        QWidget* focused = QApplication::focusWidget();
        EXPECT_TRUE(focused == row.to || focused->focusProxy() == row.to ||
                    focused->parentWidget() == row.to)
            << focused->objectName().toStdString();
    }
}

TEST_F(EmbeddingTest, AnUnknownWindowIsReported) {
    kdrsm::loadInterface(0, 0x7fffffff, {QStringLiteral("t"), QVariant(), 6000, 7500});
    ASSERT_EQ(modals.boxes().size(), 1);
    EXPECT_TRUE(modals.boxes()[0].text.startsWith("Error Line: 30\r\n"));
    EXPECT_FALSE(host.exists("RCData"));
}

}  // namespace
