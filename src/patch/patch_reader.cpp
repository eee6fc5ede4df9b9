#include "patch/patch_reader.h"

#include <cstdint>
#include <utility>

#include "patch/detail/marker_lines.h"
#include "patch/detail/read_settings.h"
#include "patch/detail/reader.h"
#include "patch/detail/records.h"
#include "patch/detail/same_layout_run.h"

namespace hexpane {

using detail::PatchReader;
using detail::WithLocations;
using detail::WithoutLocations;

std::vector<PictureRecord> readPatch(std::istream& in) { return readPatchWith(in, ReadSettings{}); }

LocatedPatch readPatchLocated(std::istream& in) { return readPatchLocatedWith(in, ReadSettings{}); }

std::vector<PictureRecord> readPatchWith(std::istream& in, const ReadSettings& settings) {
    return PatchReader<WithoutLocations>(settings).read(in);
}

LocatedPatch readPatchLocatedWith(std::istream& in, const ReadSettings& settings) {
    PatchReader<WithLocations> reader(settings);
    LocatedPatch patch;
    patch.pictures = reader.read(in);
    patch.newTextRuns = std::move(reader.notes().runs);
    return patch;
}

std::int32_t pixelCount(const PictureRecord& picture) { return pixelCount(picture.newHex.size()); }

std::int32_t pixelCount(std::size_t newHexLength) {
    const std::size_t count = newHexLength / 2;
    return count > std::size_t{INT32_MAX} ? -1 : static_cast<std::int32_t>(count);
}

}  // namespace hexpane
