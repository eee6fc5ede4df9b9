#include "patch/patch_reader.h"

namespace hexpane {

std::vector<PictureRecord> readPatch(std::istream&) { return {}; }

std::int32_t pixelCount(const PictureRecord& picture) {
    return static_cast<std::int32_t>(picture.newHex.size() / 2);
}

}  // namespace hexpane
