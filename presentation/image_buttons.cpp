#include "presentation/image_buttons.h"

#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QPalette>
#include <QPixmap>

#include <optional>

#include "diagnostics/error_trap.h"
#include "form/controls.h"
#include "form/frmrcKDRSM.h"
#include "jex/convert.h"
#include "jex/error.h"
#include "jex/filesystem.h"
#include "plugin/module_state.h"

namespace kdrsm {

namespace {

// Offsets of the caption, in twips.
constexpr qint32 kCaptionInset = 75;
constexpr qint32 kCaptionNarrowing = 2 * kCaptionInset;
constexpr qint32 kPressedDown = 50;
constexpr qint32 kPressedRight = 20;
constexpr qint32 kDefaultFontSize = 8;
const QString kPressedState = QStringLiteral("Down");
const QString kImageSuffix = QStringLiteral("Img");

bool facesExist() {
    return jex::fs::fileExists(buttonUpFace()) && jex::fs::fileExists(buttonDownFace());
}

// Reads a picture file by its content (the extension does not matter). A
// null image when it cannot be read.
QImage readPicture(const QString& path) {
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    return reader.read();
}

// Shows the picture file on `image`, failing like loading a picture does: a
// missing folder raises 76, a missing file 53, anything unreadable 481.
void loadPicture(QLabel& image, const QString& path) {
    const QImage picture = readPicture(path);
    if (picture.isNull()) {
        if (!jex::fs::folderExists(QFileInfo(path).path())) jex::raise(jex::err::PathNotFound);
        if (!jex::fs::fileExists(path)) jex::raise(jex::err::FileNotFound);
        jex::raise(jex::err::InvalidPicture);
    }
    image.setPixmap(QPixmap::fromImage(picture));
}

template <typename T>
T& required(T* object) {
    if (!object) jex::raise(jex::err::ObjectNotSet);
    return *object;
}

// Adds a new label control named `name` to the form and to its control
// collection.
QLabel* addLabel(QWidget* form, const QString& name) {
    auto* label = new QLabel(&required(form));
    label->setObjectName(name);
    if (auto* settingsForm = qobject_cast<frmrcKDRSM*>(form)) settingsForm->registerControl(label);
    return label;
}

// Moves a control into its container; its twips position now counts from
// the container's origin, and it stays as visible as it was.
void placeIn(QWidget& control, QWidget* container) {
    if (!container) return;
    const bool shown = !control.isHidden();
    control.setParent(container);
    if (shown) control.show();
}

// Every control of the form named `name`.
QList<QWidget*> controlsNamed(QWidget* form, const QString& name) {
    if (!form || name.isEmpty()) return {};
    return form->findChildren<QWidget*>(name);
}

// The form's control named `name`; a missing one raises 730.
QWidget& controlNamed(QWidget* form, const QString& name) {
    const QList<QWidget*> found = controlsNamed(&required(form), name);
    if (found.isEmpty()) jex::raise(jex::err::ControlNotFound);
    return *found.first();
}

// Where an image's caption goes when released.
struct CaptionBase {
    qint32 centreY;
    qint32 left;
};

CaptionBase captionBase(const QWidget& image) {
    const double centre = ctl::twipsTop(&image) + ctl::twipsHeight(&image) / 2.0;
    return {static_cast<qint32>(jex::roundHalfEven(centre)),
            static_cast<qint32>(jex::roundHalfEven(ctl::twipsLeft(&image) + kCaptionInset))};
}

// The released caption's top: one font height (in horizontal pixels' twips)
// above the face's centre.
qint32 captionTop(const CaptionBase& base, const QWidget& label) {
    return static_cast<qint32>(
        jex::roundHalfEven(base.centreY - ctl::twipsPerPixelX() * label.font().pointSizeF()));
}

void placeCaption(QWidget& label, const CaptionBase& base, bool pressed) {
    const qint32 top = captionTop(base, label);
    if (pressed)
        ctl::setTwipsGeometry(&label, base.left + kPressedRight, top + kPressedDown,
                              ctl::twipsWidth(&label), ctl::twipsHeight(&label));
    else
        ctl::setTwipsGeometry(&label, base.left, top, ctl::twipsWidth(&label),
                              ctl::twipsHeight(&label));
}

// A caption shows through to its face and keeps its text centred across.
// The text sits at the top: the caption's top is placed one font height above
// the face's centre, which centres the text on the face.
void makeCaption(QLabel& label, const QString& caption) {
    label.setText(caption);
    label.setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    label.setAutoFillBackground(false);
    label.setAttribute(Qt::WA_TranslucentBackground);
    QPalette palette = label.palette();
    palette.setColor(QPalette::Window, Qt::transparent);
    label.setPalette(palette);
}

}  // namespace

QString buttonUpFace() {
    return mdl().HostRoot + QStringLiteral("/imgs/butup.gif");
}
QString buttonDownFace() {
    return mdl().HostRoot + QStringLiteral("/imgs/butdown.gif");
}

QLabel* CreateButton(QWidget* form, const QString& name, QWidget* container, qint32 left,
                     qint32 top, qint32 width, qint32 height, bool enabled, bool visible) {
    ErrorTrap trap(QStringLiteral("CreateButton"), jex::err::PathNotFound);
    bool faces = false;
    QLabel* image = nullptr;
    QLabel* result = nullptr;
    trap.step(10, [&] { faces = facesExist(); });
    if (!faces) return nullptr;
    trap.step(20, [&] { image = addLabel(form, name); });
    trap.step(30, [&] {
        QLabel& control = required(image);
        ctl::setTwipsGeometry(&control, left, top, width, height);
        control.setEnabled(enabled);
        control.setScaledContents(true);
        control.setVisible(visible);
        control.raise();
    });
    trap.step(40, [&] { loadPicture(required(image), buttonUpFace()); });
    trap.step(50, [&] { placeIn(required(image), container); });
    trap.step(60, [&] { result = image; });
    return result;
}

QLabel* CreateButtonTxt(QWidget* form, const QString& name, QWidget* container,
                        const QString& caption, qint32 fontSize, bool enabled, bool visible) {
    ErrorTrap trap(QStringLiteral("CreateButtonTxt"), jex::err::PathNotFound);
    bool faces = false;
    QLabel* label = nullptr;
    QLabel* result = nullptr;
    trap.step(10, [&] { faces = facesExist(); });
    if (!faces) return nullptr;
    trap.step(20, [&] {
        label = addLabel(form, name);
        placeIn(*label, container);
    });
    trap.step(30, [&] {
        QFont font = required(label).font();
        font.setPointSizeF(fontSize < 1 ? kDefaultFontSize : fontSize);
        label->setFont(font);
    });
    trap.step(40, [&] {
        QLabel& control = required(label);
        const QWidget& image = controlNamed(form, name + kImageSuffix);
        const CaptionBase base = captionBase(image);
        ctl::setTwipsGeometry(
            &control, ctl::twipsLeft(&image) + kCaptionInset, captionTop(base, control),
            ctl::twipsWidth(&image) - kCaptionNarrowing, ctl::twipsHeight(&image));
    });
    trap.step(50, [&] {
        QLabel& control = required(label);
        control.setEnabled(enabled);
        control.setVisible(visible);
        makeCaption(control, caption);
        control.raise();
    });
    trap.step(60, [&] { SetButtonState(form, name + kImageSuffix, QStringLiteral("Up")); });
    trap.step(70, [&] { result = label; });
    return result;
}

void SetButtonState(QWidget* form, const QString& imageName, const QString& state) {
    const bool pressed = state == kPressedState;
    // A face that can no longer be read leaves the current one in place.
    const QImage face = readPicture(pressed ? buttonDownFace() : buttonUpFace());
    std::optional<CaptionBase> base;
    for (QWidget* control : controlsNamed(form, imageName)) {
        if (auto* image = qobject_cast<QLabel*>(control); image && !face.isNull())
            image->setPixmap(QPixmap::fromImage(face));
        base = captionBase(*control);
    }
    if (!base) return;
    for (QWidget* label : controlsNamed(form, imageName.chopped(qMin(3, imageName.size()))))
        placeCaption(*label, *base, pressed);
}

}  // namespace kdrsm
