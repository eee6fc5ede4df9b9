// Whether an image file holds every pixel it declares, with a colour for
// each, which the toolkit's readers do not ask: its BMP reader takes what a
// file cut short lacks from whatever memory held, reads from a pixel offset
// past the file's end without a word, and keeps a colour index past the
// colour table, which is then drawn as transparent black; its PNG reader draws
// such an index in the palette's first colour. Each check reads the file
// through `file` from its start, and leaves its position anywhere.
#pragma once

#include <QIODevice>
#include <QImage>
#include <QString>

namespace hexpane {

// Empty, or why the BMP file does not hold the pixels its headers declare:
// its headers, colour table and uncompressed rows must lie within the file,
// and a compressed (RLE) stream must give every pixel and reach its end mark
// before the file ends. Headers the toolkit cannot read are left to it.
QString bmpProblem(QIODevice& file);

// Empty, or why the PNG file's pixels cannot all be coloured: data that ends
// too soon or cannot be decoded (in libpng's words), or a palette image's
// index past its palette.
QString pngProblem(QIODevice& file);

// Empty, or why a decoded image of colour indices has a pixel whose index is
// past its colour table.
QString indexProblem(const QImage& image);

// The reason a file ended before its pixels did, as the checks word it.
QString cutShortText(const QString& detail);

}  // namespace hexpane
