#include "presentation/stretch_paint.h"

#include <QEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPointer>
#include <QTabBar>
#include <QTabWidget>
#include <QVariant>

#include "presentation/picture_box.h"

namespace kdrsm {

namespace {

const char* const kPreviousProc = "lpPROC";
const char* const kPictureObject = "PctOBJ";

// The tab control itself and, for a tab widget, its tab bar with the bar's
// scroll buttons: the widgets that paint the control's own face.
QList<QWidget*> hookedWidgets(QWidget* tabControl) {
    QList<QWidget*> widgets{tabControl};
    if (auto* tabs = qobject_cast<QTabWidget*>(tabControl); tabs && tabs->tabBar()) {
        widgets << tabs->tabBar();
        widgets << tabs->tabBar()->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
    }
    return widgets;
}

// Replaces the painting of the hooked widgets: each paints its own face
// (its normal painting, on its background for the control itself) and the
// two passes with the picture box go over it before anything reaches the
// screen. Everything stays inside the paint event's update region.
class StretchPaintHook final : public QObject {
    Q_OBJECT
public:
    StretchPaintHook(QWidget* tabControl, PictureBox* picture)
        : QObject(tabControl), picture_(picture) {}

    void setPicture(PictureBox* picture) { picture_ = picture; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Paint || painting_ || !watched->isWidgetType()) return false;
        if (!picture_ || !watched->property(kPictureObject).isValid()) return false;
        paintCombined(static_cast<QWidget*>(watched), event);
        return true;
    }

private:
    void paintCombined(QWidget* widget, QEvent* event) {
        // The control's face starts from its background; the tab bar paints
        // over the face of the control it belongs to.
        if (widget == parent()) {
            QPainter background(widget);
            background.fillRect(widget->rect(), widget->palette().brush(widget->backgroundRole()));
        }
        // The widget's own painting of this same event; the flag lets it
        // through this filter.
        painting_ = true;
        static_cast<QObject*>(widget)->event(event);
        painting_ = false;
        QPainter painter(widget);
        stretchPasses(painter, widget->rect(), *picture_,
                      picture_->palette().color(QPalette::Button));
    }

    QPointer<PictureBox> picture_;
    bool painting_ = false;
};

StretchPaintHook* hookOf(QWidget* tabControl) {
    return tabControl
               ? tabControl->findChild<StretchPaintHook*>(QString(), Qt::FindDirectChildrenOnly)
               : nullptr;
}

// Stretches the picture box's whole surface over `target` with a raster
// operation (rows and columns dropped or repeated, never blended).
void stretchPass(QPainter& painter, const QRect& target, const PictureBox& picture,
                 QPainter::CompositionMode operation) {
    painter.setCompositionMode(operation);
    painter.drawImage(target, picture.surface(), picture.surface().rect());
}

}  // namespace

void stretchPasses(QPainter& painter, const QRect& target, PictureBox& picture,
                   const QColor& buttonFace) {
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    const QColor ownColour = picture.backColor();
    picture.setBackColor(buttonFace);
    stretchPass(painter, target, picture, QPainter::RasterOp_NotSourceOrDestination);
    picture.setBackColor(ownColour);
    stretchPass(painter, target, picture, QPainter::RasterOp_SourceAndDestination);
    painter.restore();
}

QImage combineWithPicture(QImage painted, PictureBox& picture, const QColor& buttonFace) {
    if (painted.isNull()) return painted;
    if (painted.format() != QImage::Format_RGB32)
        painted = painted.convertToFormat(QImage::Format_RGB32);
    QPainter painter(&painted);
    stretchPasses(painter, painted.rect(), picture, buttonFace);
    painter.end();
    return painted;
}

void InstallStretchPaint(QWidget* tabControl, PictureBox* picture) {
    if (!tabControl) return;
    StretchPaintHook* hook = hookOf(tabControl);
    if (hook) {
        hook->setPicture(picture);
    } else {
        hook = new StretchPaintHook(tabControl, picture);
        for (QWidget* widget : hookedWidgets(tabControl)) widget->installEventFilter(hook);
    }
    for (QWidget* widget : hookedWidgets(tabControl)) {
        widget->setProperty(kPreviousProc, QVariant::fromValue(reinterpret_cast<quintptr>(hook)));
        widget->setProperty(kPictureObject, QVariant::fromValue<QObject*>(picture));
        widget->update();
    }
}

void RemoveStretchPaint(QWidget* tabControl) {
    if (!tabControl) return;
    StretchPaintHook* hook = hookOf(tabControl);
    for (QWidget* widget : hookedWidgets(tabControl)) {
        if (hook) widget->removeEventFilter(hook);
        widget->setProperty(kPreviousProc, QVariant());
        widget->setProperty(kPictureObject, QVariant());
        widget->update();
    }
    delete hook;
}

}  // namespace kdrsm

#include "stretch_paint.moc"
