#include "window/save_icon.h"

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

SaveIcon::SaveIcon(QWidget* parent) : QLabel(parent) { setPixmap(QPixmap::fromImage(diskette())); }

}  // namespace hexpane
