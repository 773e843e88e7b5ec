#pragma once
// A picture box: a (normally hidden) widget with a background colour and a
// persistent drawing surface that setting the colour refills.

#include <QColor>
#include <QImage>
#include <QWidget>

namespace kdrsm {

class PictureBox final : public QWidget {
    Q_OBJECT
public:
    explicit PictureBox(QWidget* parent = nullptr);

    QColor backColor() const { return backColor_; }
    // Refills the whole surface with the colour.
    void setBackColor(const QColor& color);

    // The persistent surface, sized as the widget (at least 1 x 1 pixel).
    const QImage& surface() const { return surface_; }
    // Scale size in pixels (scale mode pixels).
    int scaleWidth() const { return surface_.width(); }
    int scaleHeight() const { return surface_.height(); }

protected:
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void refill();
    QColor backColor_;
    QImage surface_;
};

}  // namespace kdrsm
