// A drawing pane: an image of W × H pixels inside an optional flat frame one
// pixel wide. It repaints from its own image, and that image is what gets
// saved. A redraw at the same size reuses the image's memory. A pane does
// nothing with the keyboard, so it takes no focus.
#pragma once

#include <QImage>
#include <QWidget>

#include <string_view>

#include "drawing/drawing.h"

namespace hexpane {

class Pane final : public QWidget {
    Q_OBJECT
public:
    explicit Pane(QWidget* parent = nullptr);

    void setFrame(bool on);  // the outer size stays, so the drawing area changes
    int frameWidth() const { return frame_; }
    void clear();  // fills the drawing area with the background colour
    // Draws the hex text at size, as drawPane does, into the pane's own image;
    // false when it cannot be drawn, and the image is dropped then.
    bool draw(std::string_view hex, PictureSize size, const ColourTable& colours, TransparentColour option);
    void setImage(QImage image);
    const QImage& image() const { return image_; }
    QSize drawingSize() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage& canvas(QSize size);  // the image at that size, the same memory if it had it

    int frame_ = 1;
    QImage image_;
};

}  // namespace hexpane
