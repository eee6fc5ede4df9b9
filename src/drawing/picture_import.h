// One image put back into its picture, as hexpane-import and the window's
// replacement do it: every pixel that the picture's new text draws otherwise
// gets the code that draws the image's colour, and only those pixels' two
// characters change.
#pragma once

#include <QImage>
#include <QString>
#include <QStringList>

#include <cstddef>
#include <string>

#include "drawing/drawing.h"
#include "drawing/pixel_codes.h"

namespace hexpane {

struct ImportRules {
    const ColourTable& colours;
    TransparentColour option;
    const PixelCodes& codes;  // made from colours and option
    bool nearest;             // a colour no code draws takes the nearest code's
    QString nearestAdvice;    // told after the pixels whose colour no code draws, when not nearest
};

struct ImportedPicture {
    std::size_t changed = 0;       // pixels given a new code
    std::size_t approximated = 0;  // of them, those given the nearest code's colour
    std::size_t unknown = 0;       // pixels of a colour no code draws, when not nearest
    QStringList problems;          // why the image cannot be imported; empty when it can
};

// Writes the codes of the changed pixels into newHex, the picture's new text,
// which the image must match in size. With problems, newHex may be partly
// changed and is not to be used. The picture is drawn a band of rows at a
// time, so that comparing costs little memory beside the image.
ImportedPicture importImage(const QImage& image, std::string& newHex, const ImportRules& rules);

}  // namespace hexpane
