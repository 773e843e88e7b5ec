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
    const QImage& surface() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // A hidden widget gets no resize events: the surface follows the size
    // whenever it is used.
    void refill() const;
    QColor backColor_;
    mutable QImage surface_;
};

}  // namespace kdrsm
