#include "presentation/picture_box.h"

#include <QPaintEvent>
#include <QPainter>

namespace kdrsm {

PictureBox::PictureBox(QWidget* parent) : QWidget(parent), backColor_(Qt::white) {
    setVisible(false);
    refill();
}

void PictureBox::setBackColor(const QColor& color) {
    backColor_ = color;
    refill();
    update();
}

const QImage& PictureBox::surface() const {
    if (surface_.size() != size().expandedTo(QSize(1, 1))) refill();
    return surface_;
}

void PictureBox::refill() const {
    const QSize size = this->size().expandedTo(QSize(1, 1));
    if (surface_.size() != size) surface_ = QImage(size, QImage::Format_RGB32);
    surface_.fill(backColor_);
}

void PictureBox::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.drawImage(event->rect(), surface(), event->rect());
}

}  // namespace kdrsm
