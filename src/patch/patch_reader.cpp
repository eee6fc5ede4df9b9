#include "patch/patch_reader.h"

#include <cstdint>

#include "patch/detail/marker_lines.h"
#include "patch/detail/read_settings.h"
#include "patch/detail/reader.h"
#include "patch/detail/record_store.h"
#include "patch/detail/same_layout_run.h"

namespace hexpane {

using detail::PatchReader;
using detail::RecordStore;
using detail::WithLocations;
using detail::WithoutLocations;

std::vector<PictureRecord> readPatch(std::istream& in) { return readPatchWith(in, ReadSettings{}); }

LocatedPatch readPatchLocated(std::istream& in) { return readPatchLocatedWith(in, ReadSettings{}); }

std::vector<PictureRecord> readPatchWith(std::istream& in, const ReadSettings& settings) {
    return PatchReader(settings, RecordStore<WithoutLocations>(settings.largePages)).read(in);
}

LocatedPatch readPatchLocatedWith(std::istream& in, const ReadSettings& settings) {
    return PatchReader(settings, RecordStore<WithLocations>(settings.largePages)).read(in);
}

std::int32_t pixelCount(const PictureRecord& picture) { return pixelCount(picture.newHex.size()); }

std::int32_t pixelCount(std::size_t newHexLength) {
    const std::size_t count = newHexLength / 2;
    return count > std::size_t{INT32_MAX} ? -1 : static_cast<std::int32_t>(count);
}

}  // namespace hexpane
