#include "window/pane.h"

#include <QPainter>

#include <algorithm>

namespace hexpane {

Pane::Pane(QWidget* parent) : QWidget(parent) { setFocusPolicy(Qt::TabFocus); }

QSize Pane::drawingSize() const { return {std::max(0, width() - 2 * frame_), std::max(0, height() - 2 * frame_)}; }

void Pane::setFrame(bool on) {
    frame_ = on ? 1 : 0;
    clear();
}

void Pane::clear() {
    image_ = QImage(drawingSize(), QImage::Format_RGB32);
    image_.fill(palette().color(QPalette::Base));
    update();
}

void Pane::setImage(QImage image) {
    image_ = std::move(image);
    update();
}

void Pane::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (frame_) {
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
    painter.drawImage(frame_, frame_, image_);
}

}  // namespace hexpane
