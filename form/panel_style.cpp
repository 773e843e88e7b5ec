#include "form/panel_style.h"

#include <qdrawutil.h>
#include <QApplication>
#include <QPainter>
#include <QStyleFactory>
#include <QStyleOptionComboBox>
#include <QStyleOptionGroupBox>
#include <QStyleOptionTab>

namespace kdrsm {

namespace {

// Where a frame's caption starts, and the blank kept on both sides of it.
constexpr int kCaptionLeft = 6;
constexpr int kCaptionGap = 2;
// How much lower an unselected tab starts than the selected one.
constexpr int kUnselectedTabDrop = 2;

// The pane or a tab: panel colour with a raised edge, light on the top and
// left, dark on the right (and, for the pane, the bottom).
void drawRaisedEdge(QPainter* painter, const QRect& rect, const QPalette& palette,
                    bool bottomEdge) {
    painter->save();
    painter->fillRect(rect, palette.window());
    painter->setPen(palette.light().color());
    painter->drawLine(rect.topLeft(), rect.topRight());
    painter->drawLine(rect.topLeft(), rect.bottomLeft());
    painter->setPen(palette.shadow().color());
    painter->drawLine(rect.topRight(), rect.bottomRight());
    painter->setPen(palette.dark().color());
    painter->drawLine(rect.topRight() + QPoint(-1, 1), rect.bottomRight() + QPoint(-1, 0));
    if (bottomEdge) {
        painter->setPen(palette.shadow().color());
        painter->drawLine(rect.bottomLeft(), rect.bottomRight());
        painter->setPen(palette.dark().color());
        painter->drawLine(rect.bottomLeft() + QPoint(1, -1), rect.bottomRight() + QPoint(-1, -1));
    }
    painter->restore();
}

void drawTab(QPainter* painter, const QStyleOptionTab& tab) {
    QRect rect = tab.rect;
    if (!(tab.state & QStyle::State_Selected)) rect.setTop(rect.top() + kUnselectedTabDrop);
    // The selected tab runs into the pane below it; the others end on its edge.
    if (tab.state & QStyle::State_Selected) rect.setBottom(rect.bottom() + 1);
    drawRaisedEdge(painter, rect, tab.palette, false);
}

void drawFrame(const QStyle& style, const QStyleOptionGroupBox& box, QPainter* painter,
               const QWidget* widget) {
    const QRect frame =
        style.subControlRect(QStyle::CC_GroupBox, &box, QStyle::SC_GroupBoxFrame, widget);
    const QRect caption =
        style.subControlRect(QStyle::CC_GroupBox, &box, QStyle::SC_GroupBoxLabel, widget);
    painter->save();
    if (!box.text.isEmpty())
        painter->setClipRegion(QRegion(box.rect) -
                               caption.adjusted(-kCaptionGap, 0, kCaptionGap, 0));
    qDrawShadeRect(painter, frame, box.palette, true, 1, 0);
    painter->restore();
    if (!box.text.isEmpty())
        style.drawItemText(painter, caption,
                           Qt::AlignLeft | Qt::AlignVCenter | Qt::TextShowMnemonic, box.palette,
                           box.state & QStyle::State_Enabled, box.text, QPalette::WindowText);
}

}  // namespace

PanelStyle::PanelStyle() : QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion"))) {}

void PanelStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option,
                               QPainter* painter, const QWidget* widget) const {
    if (element == PE_FrameTabWidget) {
        drawRaisedEdge(painter, option->rect, option->palette, true);
        return;
    }
    QProxyStyle::drawPrimitive(element, option, painter, widget);
}

void PanelStyle::drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                             const QWidget* widget) const {
    if (element == CE_TabBarTabShape) {
        const auto* tab = qstyleoption_cast<const QStyleOptionTab*>(option);
        if (tab && tab->shape == QTabBar::RoundedNorth) {
            drawTab(painter, *tab);
            return;
        }
    }
    QProxyStyle::drawControl(element, option, painter, widget);
}

void PanelStyle::drawComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                                    QPainter* painter, const QWidget* widget) const {
    if (control == CC_GroupBox) {
        if (const auto* box = qstyleoption_cast<const QStyleOptionGroupBox*>(option)) {
            drawFrame(*this, *box, painter, widget);
            return;
        }
    }
    if (control == CC_ComboBox) {
        // A drop-down list is drawn like an editable box: a white field with
        // the arrow button; the list's own label is drawn over it.
        if (const auto* combo = qstyleoption_cast<const QStyleOptionComboBox*>(option);
            combo && !combo->editable) {
            QStyleOptionComboBox field = *combo;
            field.editable = true;
            field.state &= ~State_Sunken;
            QProxyStyle::drawComplexControl(control, &field, painter, widget);
            return;
        }
    }
    QProxyStyle::drawComplexControl(control, option, painter, widget);
}

QRect PanelStyle::subControlRect(ComplexControl control, const QStyleOptionComplex* option,
                                 SubControl subControl, const QWidget* widget) const {
    const auto* box = qstyleoption_cast<const QStyleOptionGroupBox*>(option);
    if (control != CC_GroupBox || !box)
        return QProxyStyle::subControlRect(control, option, subControl, widget);
    const QFontMetrics& metrics = box->fontMetrics;
    const bool hasCaption = !box->text.isEmpty();
    // The border line runs through the middle of the caption.
    const int lineTop = hasCaption ? metrics.height() / 2 : 0;
    const QRect frame = box->rect.adjusted(0, lineTop, 0, 0);
    switch (subControl) {
        case SC_GroupBoxFrame:
            return frame;
        case SC_GroupBoxLabel:
            if (!hasCaption) return {};
            return {box->rect.left() + kCaptionLeft, box->rect.top(),
                    metrics.horizontalAdvance(box->text) + 1, metrics.height()};
        case SC_GroupBoxContents:
            return frame.adjusted(2, 2, -2, -2);
        default:
            return QProxyStyle::subControlRect(control, option, subControl, widget);
    }
}

void usePanelStyle(QWidget& widget) {
    static PanelStyle* const style = [] {
        auto* created = new PanelStyle;
        created->setParent(qApp);
        return created;
    }();
    widget.setStyle(style);
    for (QWidget* child : widget.findChildren<QWidget*>()) child->setStyle(style);
}

}  // namespace kdrsm
