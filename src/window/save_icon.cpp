#include "window/save_icon.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>

namespace hexpane {

QImage diskette() {
    static constexpr const char* kRows[] = {
        "KKKKKKKKKKK", "KOKSSSSSKSK", "KOKSSSSSKKK", "KOKSSSSSKOK", "KOKSSSSSKOK", "KOOKKKKKOOK",
        "KOOOOOOOOOK", "KOOKKKKKKOK", "KOOKKKSSKOK", "KOOKKKSSKOK", "SKKKKKKKKKK",
    };
    QImage image(11, 11, QImage::Format_RGB32);
    for (int y = 0; y < 11; ++y) {
        for (int x = 0; x < 11; ++x) {
            const char c = kRows[y][x];
            image.setPixel(x, y, c == 'K' ? qRgb(0, 0, 0) : c == 'O' ? qRgb(128, 128, 0) : qRgb(192, 192, 192));
        }
    }
    return image;
}

SaveIcon::SaveIcon(QWidget* parent) : QLabel(parent) {
    setPixmap(QPixmap::fromImage(diskette()));
    setFocusPolicy(Qt::TabFocus);
}

void SaveIcon::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) emit clicked();
}

void SaveIcon::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (!event->isAutoRepeat()) emit clicked();
        return;
    default:
        QLabel::keyPressEvent(event);
    }
}

void SaveIcon::paintEvent(QPaintEvent* event) {
    QLabel::paintEvent(event);
    if (!hasFocus()) return;
    // The diskette fills the whole icon, so the mark goes over its outline.
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::Highlight));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

}  // namespace hexpane
