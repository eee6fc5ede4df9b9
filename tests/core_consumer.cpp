// An outside tool built against the core with a plain compiler line: every
// public header stands on its own and the library links by itself.
#include "patch/patch_reader.h"
#include "patch/pictures.h"
#include "patch/reading_memory.h"
#include "picture/render.h"
#include "tables/colour_table.h"
#include "tables/number_reader.h"
#include "tables/size_table.h"

#include <sstream>

int main() {
    hexpane::useLargePagesForReading();
    std::istringstream patch("##### Picture logo\r\n; Picture Data\r\n1: 00 C0FF\r\n");
    std::istringstream map("FF FFFFFF\r\n");
    std::istringstream sizes("2,1\r\n");
    const auto pictures = hexpane::readPatch(patch);
    const auto colours = hexpane::readColourTable(map);
    const auto found = hexpane::findSizes(hexpane::readSizeTable(sizes), hexpane::pixelCount(pictures.at(0)));
    const auto pixels =
        hexpane::renderPane(pictures.at(0).newHex, *hexpane::readWholeNumber(found.at(0).width),
                            *hexpane::readWholeNumber(found.at(0).height), colours, hexpane::TransparentColour::Phone);
    patch.clear();
    patch.seekg(0);
    const hexpane::Pictures compact = hexpane::readPictures(patch);
    const bool right = pictures.at(0).name == "logo" && pixels.size() == 2 && pixels[0] == hexpane::kPhoneBackground &&
                       pixels[1] == 0xFFFFFFu && compact.size() == 1 && compact[0].newHex == "C0FF" &&
                       hexpane::pixelCount(compact[0]) == 2;
    return right ? 0 : 1;
}
