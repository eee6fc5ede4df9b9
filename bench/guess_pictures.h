// The size guesser's evaluation set: real pictures from Debian's packages
// (icons, game sprites and tiles, photographs and wallpapers cropped to phone
// screens and other sizes, widget screenshots, text), made afresh on every run
// from sorted file lists and a fixed seed, so every run judges the same set.
#pragma once

#include <QImage>

#include <cstdint>
#include <functional>
#include <string>

namespace bench {

struct EvalPicture {
    std::string kind;    // icon, sprite, photo, widget, text
    std::string source;  // the file or what was drawn, for the report of a miss
    QImage image;        // at its true size, at most 1:8 either way
};

// Calls `take` for each picture in turn; `seed` picks the files and the pieces.
// Needs a QApplication (widgets are grabbed).
inline constexpr std::uint32_t kEvaluationSeed = 20240611;
void makeEvaluationSet(std::uint32_t seed, const std::function<void(const EvalPicture&)>& take);

// A piece of `size` from the middle of the first photograph, scaled to half its
// size first; null when there is none.
QImage photographPiece(QSize size);

}  // namespace bench
