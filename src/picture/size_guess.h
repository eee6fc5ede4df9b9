// Size guessing: the widths and heights that a picture's own pixels suggest,
// for a picture whose pixel count no size record has.
#pragma once

#include <string_view>
#include <vector>

#include "tables/colour_table.h"
#include "tables/size_table.h"

namespace hexpane {

// score: how well the row above foretells each row at that width, 1 when every
// row continues the one above, near 0 or below when the rows are unrelated (or,
// for 0.05 less, with the row above read one pixel aside throughout, where no
// other width reads it so); a width that beats by less than 0.05 a narrower one
// that divides it, of a shape no more extreme, is set back by 0.05.
struct SizeGuess {
    PictureSize size;
    double score;
};

// Every size W x H with W * H = the pixel count of newHex (its length / 2), best
// first, none below 4 pixels; a side more than 16 times the other is left out
// unless every size is that extreme. Equal scores put the less extreme shape
// first, then the upright one. The new text is judged, or the old one when every
// pixel of the new draws one colour; each pixel as renderPane draws it, with C0
// a colour of its own.
std::vector<SizeGuess> guessSizes(std::string_view newHex, std::string_view oldHex, const ColourTable& colours);

}  // namespace hexpane
