#include "PictureBox.h"

#include <QPainter>

PictureBox::PictureBox(QWidget* parent, bool border) : QWidget(parent), border_(border) {}

void PictureBox::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (border_) {
        painter.setPen(QColor(100, 100, 100));
        painter.drawRect(0, 0, width() - 1, height() - 1);
        // The drawing surface is the inside of the border: origin and clip move in.
        painter.translate(1, 1);
        painter.setClipRect(0, 0, width() - 2, height() - 2);
    }
    if (handler_) handler_(*this, painter);
}
