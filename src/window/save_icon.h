// The small diskette above each pane; a click on it saves that pane. It takes
// the focus from the Tab key, shows it by a frame in the highlight colour, and
// then saves on Space or Enter as on a click.
#pragma once

#include <QLabel>

class QKeyEvent;
class QMouseEvent;
class QPaintEvent;

namespace hexpane {

class SaveIcon final : public QLabel {
    Q_OBJECT
public:
    explicit SaveIcon(QWidget* parent = nullptr);

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
};

// The 11 × 11 diskette: K black, O olive, S silver.
QImage diskette();

}  // namespace hexpane
