// The painting hook of the tab control and the combination it paints.
#include <QGuiApplication>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QScreen>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QVBoxLayout>
#include <QWidget>

#include <gtest/gtest.h>

#include "presentation/picture_box.h"
#include "presentation/stretch_paint.h"

namespace {

using kdrsm::combineWithPicture;
using kdrsm::PictureBox;

const QColor kPanel(0xEC, 0xE9, 0xD8);

QImage filled(const QSize& size, const QColor& colour) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

// One painted colour through both passes.
struct CombineCase {
    const char* name;
    QColor painted;
    QColor buttonFace;
    QColor expected;
};

class Combine : public ::testing::TestWithParam<CombineCase> {};

TEST_P(Combine, EveryPixelTakesTheCombinedColour) {
    PictureBox picture;
    picture.resize(33, 33);
    picture.setBackColor(kPanel);
    const QImage result =
        combineWithPicture(filled({200, 120}, GetParam().painted), picture, GetParam().buttonFace);
    ASSERT_EQ(result.size(), QSize(200, 120));
    for (const QPoint p : {QPoint(0, 0), QPoint(199, 119), QPoint(100, 60), QPoint(199, 0)})
        EXPECT_EQ(result.pixelColor(p), GetParam().expected) << p.x() << "," << p.y();
    EXPECT_EQ(picture.backColor(), kPanel);
    EXPECT_EQ(picture.surface().pixelColor(16, 16), kPanel);
}

INSTANTIATE_TEST_SUITE_P(
    Colours, Combine,
    ::testing::Values(CombineCase{"WhiteTakesThePanelColour", Qt::white, kPanel, kPanel},
                      CombineCase{"BlackStaysBlack", Qt::black, kPanel, Qt::black},
                      CombineCase{"ColourKeepsThePanelBits", QColor(0x12, 0x9A, 0xFF), kPanel,
                                  QColor(0x00, 0x88, 0xD8)},
                      // ((NOT face) OR painted) AND panel, with other faces.
                      CombineCase{"BlackFaceGivesThePanelColour", QColor(0x12, 0x9A, 0xFF),
                                  Qt::black, kPanel},
                      CombineCase{"MixedFace", QColor(0x00, 0x00, 0x00), QColor(0xF0, 0x0F, 0xFF),
                                  QColor(0x0C, 0xE0, 0x00)}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PictureBoxSurface, SettingTheColourRefillsTheWholeSurface) {
    PictureBox picture;
    EXPECT_TRUE(picture.isHidden());
    picture.resize(0, 0);
    EXPECT_EQ(picture.surface().size(), QSize(1, 1));
    picture.resize(40, 20);
    picture.setBackColor(Qt::red);
    EXPECT_EQ(picture.scaleWidth(), 40);
    EXPECT_EQ(picture.scaleHeight(), 20);
    EXPECT_EQ(picture.surface().pixelColor(39, 19), QColor(Qt::red));
    picture.resize(60, 30);
    EXPECT_EQ(picture.surface().pixelColor(59, 29), QColor(Qt::red));
}

// A tab control in white with the panel-coloured picture box beside it.
class StretchPaint : public ::testing::Test {
protected:
    void SetUp() override {
        form.resize(500, 400);
        tabs = new QTabWidget(&form);
        QPalette white = tabs->palette();
        white.setColor(QPalette::Window, Qt::white);
        white.setColor(QPalette::Button, Qt::white);
        tabs->setPalette(white);
        for (const char* title : {"Server Details", "Miscellaneous Options", "Team Options"})
            tabs->addTab(new QWidget, QString::fromUtf8(title));
        // A control on the current page, filled white: not part of the tab
        // control's own face.
        onPage = new QLabel(tabs->currentWidget());
        onPage->setAutoFillBackground(true);
        QPalette whiteLabel = onPage->palette();
        whiteLabel.setColor(QPalette::Window, Qt::white);
        onPage->setPalette(whiteLabel);
        onPage->setGeometry(5, 5, 40, 20);
        tabs->setGeometry(10, 10, 363, 313);
        picture = new PictureBox(&form);
        picture->setGeometry(400, 350, 33, 33);
        picture->setBackColor(kPanel);
        QPalette buttonFace = picture->palette();
        buttonFace.setColor(QPalette::Button, kPanel);
        picture->setPalette(buttonFace);
        form.show();
    }

    QPoint paneCentre() const { return tabs->currentWidget()->geometry().center(); }

    QWidget form;
    QTabWidget* tabs = nullptr;
    QLabel* onPage = nullptr;
    PictureBox* picture = nullptr;
};

TEST_F(StretchPaint, HookedControlShowsThePanelColourAndKeepsBlack) {
    const QImage plain = tabs->grab().toImage();
    ASSERT_EQ(plain.pixelColor(paneCentre()), QColor(Qt::white));
    kdrsm::InstallStretchPaint(tabs, picture);
    const QImage hooked = tabs->grab().toImage();
    EXPECT_EQ(hooked.pixelColor(paneCentre()), kPanel);
    const QRect pageControl(onPage->mapTo(tabs, QPoint()), onPage->size());
    EXPECT_EQ(hooked.pixelColor(pageControl.center()), QColor(Qt::white));
    int black = 0;
    for (int y = 0; y < hooked.height(); ++y) {
        for (int x = 0; x < hooked.width(); ++x) {
            if (pageControl.contains(x, y)) continue;
            const QRgb pixel = hooked.pixel(x, y);
            ASSERT_EQ(pixel & ~kPanel.rgb() & 0xFFFFFF, 0u) << x << "," << y;
            if (qGray(plain.pixel(x, y)) == 0) {
                ++black;
                ASSERT_EQ(pixel & 0xFFFFFF, 0u) << x << "," << y;
            }
        }
    }
    EXPECT_GT(black, 0);
}

TEST_F(StretchPaint, PropertiesMarkTheHookedWidgetsWhileHooked) {
    QWidget* hooked[] = {tabs, tabs->tabBar()};
    for (QWidget* widget : hooked) {
        EXPECT_FALSE(widget->property("lpPROC").isValid());
        EXPECT_FALSE(widget->property("PctOBJ").isValid());
    }
    kdrsm::InstallStretchPaint(tabs, picture);
    for (QWidget* widget : hooked) {
        EXPECT_NE(widget->property("lpPROC").value<quintptr>(), 0u);
        EXPECT_EQ(widget->property("PctOBJ").value<QObject*>(), picture);
    }
    kdrsm::RemoveStretchPaint(tabs);
    for (QWidget* widget : hooked) {
        EXPECT_FALSE(widget->property("lpPROC").isValid());
        EXPECT_FALSE(widget->property("PctOBJ").isValid());
    }
}

TEST_F(StretchPaint, RemovalRestoresTheControlsOwnPainting) {
    const QImage plain = tabs->grab().toImage();
    // Installed twice, hooked once: one removal is enough.
    kdrsm::InstallStretchPaint(tabs, picture);
    kdrsm::InstallStretchPaint(tabs, picture);
    kdrsm::RemoveStretchPaint(tabs);
    EXPECT_EQ(tabs->grab().toImage(), plain);
}

TEST_F(StretchPaint, PartialRepaintChangesOnlyItsRectangle) {
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    kdrsm::InstallStretchPaint(tabs, picture);
    tabs->repaint();
    QScreen* screen = tabs->screen();
    const QImage before = screen->grabWindow(form.winId()).toImage();
    ASSERT_EQ(before.pixelColor(tabs->mapTo(&form, paneCentre())), kPanel);
    // A new picture colour shows only where the control repaints.
    picture->setBackColor(QColor(0x0F, 0xF0, 0x3C));
    const QRect small(paneCentre() - QPoint(10, 5), QSize(20, 10));
    tabs->repaint(small);
    const QImage after = screen->grabWindow(form.winId()).toImage();
    const QRect onForm = small.translated(tabs->mapTo(&form, QPoint()));
    for (int y = 0; y < after.height(); ++y)
        for (int x = 0; x < after.width(); ++x) {
            if (onForm.contains(x, y))
                ASSERT_EQ(after.pixelColor(x, y), QColor(0x0F, 0xF0, 0x3C)) << x << "," << y;
            else
                ASSERT_EQ(after.pixel(x, y), before.pixel(x, y)) << x << "," << y;
        }
}

}  // namespace
