// Image buttons on a plain form with the frame "Frame3" as container.
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QPixmap>

#include <gtest/gtest.h>

#include <array>
#include <tuple>
#include <utility>

#include "form/controls.h"
#include "plugin/module_state.h"
#include "presentation/image_buttons.h"
#include "support/modal_driver.h"
#include "support/temp_host.h"

namespace {

namespace ctl = kdrsm::ctl;

const QColor kUpColour(0x20, 0x80, 0x20);
const QColor kDownColour(0x80, 0x20, 0x20);
const char* const kUpFace = "imgs/butup.gif";
const char* const kDownFace = "imgs/butdown.gif";

QColor faceColour(const QLabel* image) {
    return image->pixmap().toImage().pixelColor(0, 0);
}

// left, top, width, height
using Twips = std::array<qint32, 4>;

Twips twips(const QWidget* control) {
    return {ctl::twipsLeft(control), ctl::twipsTop(control), ctl::twipsWidth(control),
            ctl::twipsHeight(control)};
}

// The Save button at 360, 300 (1215 x 495) has its caption released at
// 435, 428 and pressed at 455, 478 (15 twips per pixel, font 8).
const Twips kFace{360, 300, 1215, 495};
const Twips kReleased{435, 428, 1065, 495};
const Twips kPressed{455, 478, 1065, 495};

class ImageButtons : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_DOUBLE_EQ(ctl::twipsPerPixelX(), 15.0);
        kdrsm::mdl().HostRoot = host.root();
        frame = new QGroupBox("Options", &form);
        frame->setObjectName("Frame3");
        ctl::setTwipsGeometry(&form, 0, 0, 11000, 6500);
        ctl::setTwipsGeometry(frame, 240, 4920, 5055, 855);
        form.show();
    }

    // Face files are PNG data under the .gif names: pictures are read by content.
    void writeFaces(bool up = true, bool down = true) {
        QDir().mkpath(host.path("imgs"));
        QImage face(12, 6, QImage::Format_RGB32);
        face.fill(kUpColour);
        if (up) face.save(host.path(kUpFace), "PNG");
        face.fill(kDownColour);
        if (down) face.save(host.path(kDownFace), "PNG");
    }

    QLabel* createImage() {
        return kdrsm::CreateButton(&form, "cmdSaveImg", frame, kFace[0], kFace[1], kFace[2],
                                   kFace[3], true, true);
    }
    QLabel* createCaption(qint32 fontSize = 0) {
        return kdrsm::CreateButtonTxt(&form, "cmdSave", frame, "Save", fontSize, true, true);
    }
    void press(const QString& state, const QString& button = "cmdSaveImg") {
        kdrsm::SetButtonState(&form, button, state);
    }

    jextest::TempHost host;
    jextest::ModalDriver modal;
    QWidget form;
    QGroupBox* frame = nullptr;
};

// Only "Down", exactly, presses the button; unknown buttons change nothing;
// a face gone since creation keeps the current face while the caption moves.
TEST_F(ImageButtons, BothFacesGiveAReleasedPairThatFollowsTheState) {
    writeFaces();
    QLabel* image = createImage();
    QLabel* label = createCaption();
    ASSERT_TRUE(image && label);
    EXPECT_TRUE(image->hasScaledContents());
    EXPECT_EQ(faceColour(image), kUpColour);
    EXPECT_EQ(label->text(), "Save");
    EXPECT_FALSE(label->autoFillBackground());
    EXPECT_TRUE(label->alignment() & Qt::AlignHCenter);
    EXPECT_EQ(twips(label), kReleased);
    // Both shown in the frame, the caption in front; the face's margin
    // beside it belongs to the image.
    EXPECT_EQ(frame->childAt(label->geometry().center()), label);
    EXPECT_EQ(frame->childAt(image->geometry().left() + 1, image->geometry().center().y()), image);

    // Each state text is set after the button was pressed.
    const std::pair<const char*, bool> states[] = {
        {"Down", true}, {"Up", false}, {"down", false}, {"DOWN", false}, {"", false}};
    for (const auto& [state, pressed] : states) {
        SCOPED_TRACE(state);
        press("Down");
        press(state);
        EXPECT_EQ(faceColour(image), pressed ? kDownColour : kUpColour);
        EXPECT_EQ(twips(label), pressed ? kPressed : kReleased);
        EXPECT_EQ(label->pos(), pressed ? QPoint(30, 32) : QPoint(29, 29));
        EXPECT_EQ(twips(image), kFace);
    }

    press("Down", "cmdLoadImg");
    press("Down", "Im");
    EXPECT_EQ(faceColour(image), kUpColour);
    EXPECT_EQ(twips(label), kReleased);
    QFile::remove(host.path(kDownFace));
    press("Down");
    EXPECT_EQ(faceColour(image), kUpColour);
    EXPECT_EQ(twips(label), kPressed);
    EXPECT_TRUE(modal.boxes().isEmpty());
}

TEST_F(ImageButtons, WithoutBothFaceFilesNoButtonIsCreated) {
    writeFaces(true, false);
    EXPECT_EQ(createImage(), nullptr);
    QFile::remove(host.path(kUpFace));
    writeFaces(false, true);
    EXPECT_EQ(createImage(), nullptr);
    EXPECT_TRUE(form.findChildren<QLabel*>().isEmpty());
    EXPECT_TRUE(modal.boxes().isEmpty());
}

// Font sizes below 1 mean 8 points; the caption rises one font height
// (in twips) above the face's centre.
TEST_F(ImageButtons, CaptionFontSizeAndTop) {
    writeFaces();
    createImage();
    const std::tuple<qint32, double, qint32> rows[] = {
        {0, 8, 428}, {-3, 8, 428}, {1, 1, 533}, {12, 12, 368}};
    for (const auto& [given, points, top] : rows) {
        SCOPED_TRACE(given);
        delete form.findChild<QLabel*>("cmdSave");
        const QLabel* label = createCaption(given);
        ASSERT_NE(label, nullptr);
        EXPECT_EQ(label->font().pointSizeF(), points);
        EXPECT_EQ(ctl::twipsTop(label), top);
    }
}

TEST_F(ImageButtons, UnreadableFaceIsReportedAndLeavesTheImageOnTheForm) {
    host.write(kUpFace, QByteArray("not a picture at all"));
    writeFaces(false, true);
    EXPECT_EQ(createImage(), nullptr);
    ASSERT_EQ(modal.boxes().size(), 1);
    EXPECT_EQ(modal.boxes()[0].title, "DLL Error!");
    EXPECT_TRUE(modal.boxes()[0].text.contains("Function/Sub: CreateButton"));
    EXPECT_TRUE(modal.boxes()[0].text.contains("Error 481: Invalid picture"));
    // Added and set up, but never moved into the frame.
    auto* added = form.findChild<QLabel*>("cmdSaveImg");
    ASSERT_NE(added, nullptr);
    EXPECT_EQ(added->parentWidget(), &form);
    EXPECT_EQ(twips(added), kFace);
}

TEST_F(ImageButtons, CaptionWithoutItsImageIsReportedAsControlNotFound) {
    writeFaces();
    EXPECT_EQ(createCaption(), nullptr);
    ASSERT_EQ(modal.boxes().size(), 1);
    EXPECT_TRUE(modal.boxes()[0].text.contains("Error 730: "));
    EXPECT_TRUE(modal.boxes()[0].text.contains("Function/Sub: CreateButtonTxt"));
    auto* added = frame->findChild<QLabel*>("cmdSave");
    ASSERT_NE(added, nullptr);
    EXPECT_TRUE(added->text().isEmpty());
}

}  // namespace
