#pragma once
// The panel's own widget style: Fusion, drawn the way the form's geometry
// and colours expect. Drop-down lists get a white field like the text
// boxes; the tab control's pane and tabs are plain panel colour with a
// raised edge; a frame's caption sits on its border line, so the controls
// placed just below the top edge stay clear of it.

#include <QProxyStyle>

class QWidget;

namespace kdrsm {

class PanelStyle final : public QProxyStyle {
    Q_OBJECT
public:
    PanelStyle();

    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget = nullptr) const override;
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget = nullptr) const override;
    void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                            QPainter* painter, const QWidget* widget = nullptr) const override;
    QRect subControlRect(ComplexControl control, const QStyleOptionComplex* option,
                         SubControl subControl, const QWidget* widget = nullptr) const override;
};

// Gives `widget` and every widget in it the panel style (one instance, kept
// for the life of the application).
void usePanelStyle(QWidget& widget);

}  // namespace kdrsm
