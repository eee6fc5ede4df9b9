// A drawing pane: an image of W × H pixels inside an optional flat frame one
// pixel wide. It repaints from its own image, and that image is what gets saved.
#pragma once

#include <QImage>
#include <QWidget>

namespace hexpane {

class Pane final : public QWidget {
    Q_OBJECT
public:
    explicit Pane(QWidget* parent = nullptr);

    void setFrame(bool on);  // the outer size stays, so the drawing area changes
    int frameWidth() const { return frame_; }
    void clear();  // fills the drawing area with the background colour
    void setImage(QImage image);
    const QImage& image() const { return image_; }
    QSize drawingSize() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int frame_ = 1;
    QImage image_;
};

}  // namespace hexpane
