#include "window/pane.h"

#include <QPainter>

#include <algorithm>

namespace hexpane {

Pane::Pane(QWidget* parent) : QWidget(parent) { setFocusPolicy(Qt::NoFocus); }

QSize Pane::drawingSize() const { return {std::max(0, width() - 2 * frame_), std::max(0, height() - 2 * frame_)}; }

void Pane::setFrame(bool on) {
    frame_ = on ? 1 : 0;
    update();
}

QImage& Pane::canvas(QSize size) {
    // A copy held elsewhere keeps its pixels; new ones cost no more than copying them.
    if (image_.size() != size || image_.format() != QImage::Format_RGB32 || !image_.isDetached()) {
        image_ = QImage();  // the old pixels go before the new ones are taken
        image_ = blankPane(size.width(), size.height());
    }
    return image_;
}

void Pane::clear() {
    QImage& image = canvas(drawingSize());
    image.fill(palette().color(QPalette::Base));
    update();
}

bool Pane::draw(std::string_view hex, PictureSize size, const ColourTable& colours, TransparentColour option) {
    QImage& image = canvas(QSize(size.width, size.height));
    const bool drawn = !image.isNull() && drawPaneInto(image, hex, size, colours, option, palette());
    if (!drawn) image = QImage();
    update();
    return drawn;
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
