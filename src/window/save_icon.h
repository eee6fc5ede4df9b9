// The small diskette above each pane; a click on it saves that pane.
#pragma once

#include <QLabel>
#include <QMouseEvent>

namespace hexpane {

class SaveIcon final : public QLabel {
    Q_OBJECT
public:
    explicit SaveIcon(QWidget* parent = nullptr);

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override {
        if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) emit clicked();
    }
};

// The 11 × 11 diskette: K black, O olive, S silver.
QImage diskette();

}  // namespace hexpane
