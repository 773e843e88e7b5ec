// The painting hook of the tab control and the combination it paints.
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QScreen>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <tuple>

#include "presentation/picture_box.h"
#include "presentation/stretch_paint.h"

namespace {

using kdrsm::PictureBox;

const QColor kPanel(0xEC, 0xE9, 0xD8);

// ((NOT face) OR painted) AND panel, for every pixel of what was painted; the
// picture box is left as it was. (White and black on the panel face are
// checked through the hook below.)
TEST(Combine, EveryPixelTakesTheCombinedColour) {
    PictureBox picture;
    picture.resize(33, 33);
    picture.setBackColor(kPanel);
    const std::tuple<const char*, QColor, QColor, QColor> rows[] = {
        // painted, button face, expected
        {"ColourKeepsThePanelBits", QColor(0x12, 0x9A, 0xFF), kPanel, QColor(0x00, 0x88, 0xD8)},
        {"BlackFaceGivesThePanelColour", QColor(0x12, 0x9A, 0xFF), Qt::black, kPanel},
        {"MixedFace", Qt::black, QColor(0xF0, 0x0F, 0xFF), QColor(0x0C, 0xE0, 0x00)},
    };
    for (const auto& [name, paintedColour, buttonFace, expectedColour] : rows) {
        SCOPED_TRACE(name);
        QImage painted(200, 120, QImage::Format_RGB32), expected = painted;
        painted.fill(paintedColour);
        expected.fill(expectedColour);
        EXPECT_EQ(kdrsm::combineWithPicture(painted, picture, buttonFace), expected);
        EXPECT_EQ(picture.backColor(), kPanel);
        EXPECT_EQ(picture.surface().pixelColor(16, 16), kPanel);
    }
}

// A tab control in white with the panel-coloured picture box beside it.
class StretchPaint : public ::testing::Test {
protected:
    void SetUp() override {
        form.resize(500, 400);
        tabs = new QTabWidget(&form);
        tabs->setPalette(QPalette(Qt::white));  // button face and window
        for (const char* title : {"Server Details", "Miscellaneous Options", "Team Options"})
            tabs->addTab(new QWidget, QString::fromUtf8(title));
        // A white control on the current page: not part of the tab control's face.
        onPage = new QLabel(tabs->currentWidget());
        onPage->setAutoFillBackground(true);
        onPage->setPalette(QPalette(Qt::white));
        onPage->setGeometry(5, 5, 40, 20);
        tabs->setGeometry(10, 10, 363, 313);
        picture = new PictureBox(&form);
        picture->setGeometry(400, 350, 33, 33);
        picture->setBackColor(kPanel);
        picture->setPalette(QPalette(kPanel));
        form.show();
    }

    QPoint paneCentre() const { return tabs->currentWidget()->geometry().center(); }

    QWidget form;
    QTabWidget* tabs = nullptr;
    QLabel* onPage = nullptr;
    PictureBox* picture = nullptr;
};

// While hooked (installed twice, hooked once) the tab control's own face
// shows the panel colour, black stays black, and controls on its pages paint
// themselves; one removal takes the marks away and restores its painting.
TEST_F(StretchPaint, HookedControlShowsThePanelColourUntilRemoved) {
    QWidget* const widgets[] = {tabs, tabs->tabBar()};
    const auto marked = [&](bool hooked) {
        for (QWidget* widget : widgets) {
            SCOPED_TRACE(widget->metaObject()->className());
            for (const char* name : {"lpPROC", "PctOBJ"})
                EXPECT_EQ(widget->property(name).isValid(), hooked) << name;
            EXPECT_EQ(widget->property("PctOBJ").value<QObject*>(), hooked ? picture : nullptr);
        }
    };
    const QImage plain = tabs->grab().toImage();
    ASSERT_EQ(plain.pixelColor(paneCentre()), QColor(Qt::white));
    kdrsm::InstallStretchPaint(tabs, picture);
    kdrsm::InstallStretchPaint(tabs, picture);
    marked(true);

    const QImage hooked = tabs->grab().toImage();
    EXPECT_EQ(hooked.pixelColor(paneCentre()), kPanel);
    const QRect pageControl(onPage->mapTo(tabs, QPoint()), onPage->size());
    EXPECT_EQ(hooked.pixelColor(pageControl.center()), QColor(Qt::white));
    int black = 0;
    for (int y = 0; y < hooked.height(); ++y)
        for (int x = 0; x < hooked.width(); ++x) {
            if (pageControl.contains(x, y)) continue;
            const QRgb pixel = hooked.pixel(x, y);
            ASSERT_EQ(pixel & ~kPanel.rgb() & 0xFFFFFF, 0u) << x << "," << y;
            if (qGray(plain.pixel(x, y)) == 0) {
                ++black;
                ASSERT_EQ(pixel & 0xFFFFFF, 0u) << x << "," << y;
            }
        }
    EXPECT_GT(black, 0);

    kdrsm::RemoveStretchPaint(tabs);
    marked(false);
    EXPECT_EQ(tabs->grab().toImage(), plain);
}

TEST_F(StretchPaint, PartialRepaintChangesOnlyItsRectangle) {
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    kdrsm::InstallStretchPaint(tabs, picture);
    tabs->repaint();
    const QImage before = tabs->screen()->grabWindow(form.winId()).toImage();
    ASSERT_EQ(before.pixelColor(tabs->mapTo(&form, paneCentre())), kPanel);
    // A new picture colour shows only where the control repaints.
    const QColor fresh(0x0F, 0xF0, 0x3C);
    picture->setBackColor(fresh);
    const QRect small(paneCentre() - QPoint(10, 5), QSize(20, 10));
    tabs->repaint(small);
    const QImage after = tabs->screen()->grabWindow(form.winId()).toImage();
    QImage expected = before;
    QPainter(&expected).fillRect(small.translated(tabs->mapTo(&form, QPoint())), fresh);
    EXPECT_EQ(after, expected);
}

}  // namespace
