// Image buttons on a plain form with the frame "Frame3" as container.
#include <QBuffer>
#include <QFile>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QWidget>

#include <gtest/gtest.h>

#include <memory>

#include "form/controls.h"
#include "form/frmrcKDRSM.h"
#include "plugin/module_state.h"
#include "presentation/image_buttons.h"
#include "support/modal_driver.h"
#include "support/temp_host.h"

namespace {

using kdrsm::CreateButton;
using kdrsm::CreateButtonTxt;
using kdrsm::SetButtonState;
namespace ctl = kdrsm::ctl;

const QColor kUpColour(0x20, 0x80, 0x20);
const QColor kDownColour(0x80, 0x20, 0x20);
const QString kUpFace = QStringLiteral("imgs/butup.gif");
const QString kDownFace = QStringLiteral("imgs/butdown.gif");

// Face files are PNG data under the .gif names: pictures are read by content.
QByteArray facePicture(const QColor& colour) {
    QImage image(12, 6, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

QColor faceColour(const QLabel* image) {
    return image->pixmap().toImage().pixelColor(0, 0);
}

struct TwipsRect {
    qint32 left, top, width, height;
    friend bool operator==(const TwipsRect&, const TwipsRect&) = default;
    friend std::ostream& operator<<(std::ostream& out, const TwipsRect& r) {
        return out << r.left << "," << r.top << " " << r.width << "x" << r.height;
    }
};

TwipsRect twips(const QWidget* control) {
    return {ctl::twipsLeft(control), ctl::twipsTop(control), ctl::twipsWidth(control),
            ctl::twipsHeight(control)};
}

class ImageButtons : public ::testing::Test {
protected:
    void SetUp() override {
        kdrsm::mdl().HostRoot = host.root();
        frame = new QGroupBox(QStringLiteral("Options"), &form);
        frame->setObjectName(QStringLiteral("Frame3"));
        ctl::setTwipsGeometry(&form, 0, 0, 11000, 6500);
        ctl::setTwipsGeometry(frame, 240, 4920, 5055, 855);
        form.show();
    }

    void writeFaces() {
        host.write(kUpFace, facePicture(kUpColour));
        host.write(kDownFace, facePicture(kDownColour));
    }

    // The Save button of the form: image at 1920, 300, label over it.
    void createSave(qint32 fontSize = 0) {
        image = CreateButton(&form, QStringLiteral("cmdSaveImg"), frame, 360, 300, 1215, 495, true,
                             true);
        label = CreateButtonTxt(&form, QStringLiteral("cmdSave"), frame, QStringLiteral("Save"),
                                fontSize, true, true);
    }

    jextest::TempHost host;
    jextest::ModalDriver modal;
    QWidget form;
    QGroupBox* frame = nullptr;
    QLabel* image = nullptr;
    QLabel* label = nullptr;
};

TEST_F(ImageButtons, BothFacesGiveAReleasedPairInTheFrame) {
    ASSERT_DOUBLE_EQ(ctl::twipsPerPixelX(), 15.0);
    writeFaces();
    createSave();
    ASSERT_NE(image, nullptr);
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(image->parentWidget(), frame);
    EXPECT_EQ(label->parentWidget(), frame);
    EXPECT_EQ(image->objectName(), "cmdSaveImg");
    EXPECT_EQ(label->objectName(), "cmdSave");
    EXPECT_TRUE(image->hasScaledContents());
    EXPECT_EQ(faceColour(image), kUpColour);
    EXPECT_EQ(label->text(), "Save");
    EXPECT_EQ(label->font().pointSizeF(), 8.0);
    EXPECT_FALSE(label->autoFillBackground());
    EXPECT_TRUE(label->alignment() & Qt::AlignHCenter);
    EXPECT_TRUE(image->isVisible());
    EXPECT_TRUE(label->isVisible());
    EXPECT_EQ(twips(image), (TwipsRect{360, 300, 1215, 495}));
    EXPECT_EQ(twips(label), (TwipsRect{435, 428, 1065, 495}));
    EXPECT_TRUE(modal.boxes().isEmpty());
}

TEST_F(ImageButtons, CaptionLiesInFrontAndTheFaceMarginBelongsToTheImage) {
    writeFaces();
    createSave();
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(frame->childAt(label->geometry().center()), label);
    const QPoint margin(image->geometry().left() + 1, image->geometry().center().y());
    EXPECT_EQ(frame->childAt(margin), image);
}

// Which face files exist decides whether buttons exist at all.
struct FaceFilesCase {
    const char* name;
    bool up;
    bool down;
    bool buttons;
};

class FaceFiles : public ImageButtons, public ::testing::WithParamInterface<FaceFilesCase> {};

TEST_P(FaceFiles, ButtonsExistOnlyWithBothFaces) {
    if (GetParam().up) host.write(kUpFace, facePicture(kUpColour));
    if (GetParam().down) host.write(kDownFace, facePicture(kDownColour));
    createSave();
    EXPECT_EQ(image != nullptr, GetParam().buttons);
    EXPECT_EQ(label != nullptr, GetParam().buttons);
    EXPECT_EQ(form.findChildren<QLabel*>().size(), GetParam().buttons ? 2 : 0);
    EXPECT_TRUE(modal.boxes().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Presence, FaceFiles,
                         ::testing::Values(FaceFilesCase{"Both", true, true, true},
                                           FaceFilesCase{"OnlyUp", true, false, false},
                                           FaceFilesCase{"OnlyDown", false, true, false},
                                           FaceFilesCase{"None", false, false, false}),
                         [](const auto& info) { return std::string(info.param.name); });

// Face and caption position for each state text (worked example at 15
// twips per pixel, font 8: centre 548).
struct StateCase {
    const char* name;
    const char* state;
    bool pressed;
    TwipsRect caption;
    QPoint pixels;
};

class ButtonState : public ImageButtons, public ::testing::WithParamInterface<StateCase> {};

TEST_P(ButtonState, FaceAndCaptionFollowTheState) {
    ASSERT_DOUBLE_EQ(ctl::twipsPerPixelX(), 15.0);
    writeFaces();
    createSave();
    ASSERT_NE(label, nullptr);
    SetButtonState(&form, QStringLiteral("cmdSaveImg"), QString::fromUtf8(GetParam().state));
    EXPECT_EQ(faceColour(image), GetParam().pressed ? kDownColour : kUpColour);
    EXPECT_EQ(twips(label), GetParam().caption);
    EXPECT_EQ(label->pos(), GetParam().pixels);
    EXPECT_EQ(twips(image), (TwipsRect{360, 300, 1215, 495}));
}

INSTANTIATE_TEST_SUITE_P(
    States, ButtonState,
    ::testing::Values(StateCase{"Down", "Down", true, {455, 478, 1065, 495}, {30, 32}},
                      StateCase{"Up", "Up", false, {435, 428, 1065, 495}, {29, 29}},
                      StateCase{"LowerCaseDown", "down", false, {435, 428, 1065, 495}, {29, 29}},
                      StateCase{"UpperCaseDown", "DOWN", false, {435, 428, 1065, 495}, {29, 29}},
                      StateCase{"Empty", "", false, {435, 428, 1065, 495}, {29, 29}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ImageButtons, ReleaseAfterPressRestoresFaceAndCaption) {
    writeFaces();
    createSave();
    ASSERT_NE(label, nullptr);
    SetButtonState(&form, QStringLiteral("cmdSaveImg"), QStringLiteral("Down"));
    SetButtonState(&form, QStringLiteral("cmdSaveImg"), QStringLiteral("Up"));
    EXPECT_EQ(faceColour(image), kUpColour);
    EXPECT_EQ(twips(label), (TwipsRect{435, 428, 1065, 495}));
}

// Font sizes below 1 mean 8 points; the caption rises one font height
// (in twips) above the face's centre.
struct FontCase {
    const char* name;
    qint32 given;
    double points;
    qint32 top;
};

class CaptionFont : public ImageButtons, public ::testing::WithParamInterface<FontCase> {};

TEST_P(CaptionFont, SizeAndCaptionTop) {
    ASSERT_DOUBLE_EQ(ctl::twipsPerPixelX(), 15.0);
    writeFaces();
    createSave(GetParam().given);
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->font().pointSizeF(), GetParam().points);
    EXPECT_EQ(ctl::twipsTop(label), GetParam().top);
}

INSTANTIATE_TEST_SUITE_P(Sizes, CaptionFont,
                         ::testing::Values(FontCase{"Zero", 0, 8, 428},
                                           FontCase{"Negative", -3, 8, 428},
                                           FontCase{"One", 1, 1, 533},
                                           FontCase{"Twelve", 12, 12, 368}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ImageButtons, UnreadableFaceIsReportedAndLeavesTheImageOnTheForm) {
    host.write(kUpFace, QByteArray("not a picture at all"));
    host.write(kDownFace, facePicture(kDownColour));
    image =
        CreateButton(&form, QStringLiteral("cmdSaveImg"), frame, 360, 300, 1215, 495, true, true);
    EXPECT_EQ(image, nullptr);
    ASSERT_EQ(modal.boxes().size(), 1);
    EXPECT_EQ(modal.boxes().first().title, "DLL Error!");
    EXPECT_TRUE(modal.boxes().first().text.contains("Function/Sub: CreateButton"));
    EXPECT_TRUE(modal.boxes().first().text.contains("Error 481: Invalid picture"));
    // Added and set up, but never moved into the frame.
    auto* added = form.findChild<QLabel*>(QStringLiteral("cmdSaveImg"));
    ASSERT_NE(added, nullptr);
    EXPECT_EQ(added->parentWidget(), &form);
    EXPECT_EQ(twips(added), (TwipsRect{360, 300, 1215, 495}));
}

TEST_F(ImageButtons, CaptionWithoutItsImageIsReportedAsControlNotFound) {
    writeFaces();
    label = CreateButtonTxt(&form, QStringLiteral("cmdSave"), frame, QStringLiteral("Save"), 0,
                            true, true);
    EXPECT_EQ(label, nullptr);
    ASSERT_EQ(modal.boxes().size(), 1);
    EXPECT_TRUE(modal.boxes().first().text.contains("Error 730: "));
    EXPECT_TRUE(modal.boxes().first().text.contains("Function/Sub: CreateButtonTxt"));
    auto* added = frame->findChild<QLabel*>(QStringLiteral("cmdSave"));
    ASSERT_NE(added, nullptr);
    EXPECT_TRUE(added->text().isEmpty());
}

TEST_F(ImageButtons, FaceThatVanishedAfterCreationKeepsTheCurrentFace) {
    writeFaces();
    createSave();
    ASSERT_NE(label, nullptr);
    QFile::remove(host.path(kDownFace));
    SetButtonState(&form, QStringLiteral("cmdSaveImg"), QStringLiteral("Down"));
    EXPECT_EQ(faceColour(image), kUpColour);
    EXPECT_EQ(twips(label), (TwipsRect{455, 478, 1065, 495}));
    EXPECT_TRUE(modal.boxes().isEmpty());
}

TEST_F(ImageButtons, StateOfAnUnknownButtonChangesNothing) {
    writeFaces();
    createSave();
    ASSERT_NE(label, nullptr);
    SetButtonState(&form, QStringLiteral("cmdLoadImg"), QStringLiteral("Down"));
    SetButtonState(&form, QStringLiteral("Im"), QStringLiteral("Down"));
    EXPECT_EQ(faceColour(image), kUpColour);
    EXPECT_EQ(twips(label), (TwipsRect{435, 428, 1065, 495}));
}

TEST(ImageButtonsOnSettingsForm, NewControlsJoinTheControlCollection) {
    jextest::TempHost host;
    kdrsm::mdl().HostRoot = host.root();
    host.write(kUpFace, facePicture(kUpColour));
    host.write(kDownFace, facePicture(kDownColour));
    kdrsm::frmrcKDRSM form;
    QWidget* frame = form.control(QStringLiteral("Frame3"));
    QLabel* image =
        CreateButton(&form, QStringLiteral("cmdTestImg"), frame, 360, 300, 1215, 495, true, true);
    QLabel* label = CreateButtonTxt(&form, QStringLiteral("cmdTest"), frame, QStringLiteral("Test"),
                                    0, true, true);
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(form.control(QStringLiteral("cmdTestImg")), image);
    EXPECT_EQ(form.control(QStringLiteral("cmdTest")), label);
}

}  // namespace
