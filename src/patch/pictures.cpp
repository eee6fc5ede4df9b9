#include "patch/pictures.h"

#include <algorithm>
#include <stdexcept>

#include "patch/detail/locating_store.h"
#include "patch/detail/marker_lines.h"
#include "patch/detail/picture_store.h"
#include "patch/detail/read_settings.h"
#include "patch/detail/reader.h"
#include "patch/detail/same_layout_run.h"

namespace hexpane {

using detail::PatchReader;

PictureText Pictures::operator[](std::size_t index) const {
    const Record& record = records_.data[index];
    const Record none{};
    const Record& before = index == 0 ? none : records_.data[index - 1];
    const std::string_view name =
        (record.nameSize & kInlineName) != 0
            ? std::string_view(reinterpret_cast<const char*>(&record.nameAt), record.nameSize & ~kInlineName)
            : std::string_view(names_.data + record.nameAt, record.nameSize);
    return {name,
            {oldText_.data + before.oldEnd, record.oldEnd - before.oldEnd},
            {newText_.data + before.newEnd, record.newEnd - before.newEnd}};
}

Pictures readPictures(std::istream& in) { return readPicturesWith(in, ReadSettings{}); }

Pictures readPicturesWith(std::istream& in, const ReadSettings& settings) {
    return PatchReader(settings, detail::PictureStore(settings.largePages)).read(in);
}

Pictures picturesOf(std::span<const PictureRecord> records) {
    detail::PictureStore store(false);
    std::uint64_t header = 0;
    for (const PictureRecord& record : records) {
        store.newRecord(record.name, ++header);  // each name its own, as no header repeats it
        store.oldText().append(record.oldHex.data(), record.oldHex.data() + record.oldHex.size());
        store.newText().append(record.newHex.data(), record.newHex.data() + record.newHex.size());
        store.closeRecord();
    }
    return store.finish();
}

std::int32_t pixelCount(const PictureText& picture) { return pixelCount(picture.newHex.size()); }

std::vector<std::vector<NewTextRun>> locateNewText(std::istream& in, std::span<const std::size_t> wanted) {
    return locateNewTextWith(in, wanted, ReadSettings{});
}

std::vector<std::vector<NewTextRun>> locateNewTextWith(std::istream& in, std::span<const std::size_t> wanted,
                                                       const ReadSettings& settings) {
    if (!std::is_sorted(wanted.begin(), wanted.end())) {
        throw std::invalid_argument("locateNewText: the pictures wanted are not in ascending order");
    }
    return PatchReader(settings, detail::LocatingStore(wanted)).read(in);
}

}  // namespace hexpane
