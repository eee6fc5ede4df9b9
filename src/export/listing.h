// The listing of a patch's pictures: index, name as the window shows it, pixel
// count, drawing size or "Error", and whether the new bytes differ from the old.
#pragma once

#include <QByteArray>
#include <QJsonArray>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "gui/drawing.h"
#include "patch/patch_reader.h"

namespace hexpane {

struct ListedPicture {
    std::size_t index;
    QString name;
    std::uint64_t pixels;  // of the new bytes, as the size lookup counts them
    std::optional<PictureSize> size;
    bool same;  // old bytes equal to new bytes
};

std::vector<ListedPicture> listPictures(const std::vector<PictureRecord>& pictures, const Tables& tables);

// One line each: "NNN<TAB>name<TAB>pixels<TAB>WxH|Error<TAB>same|changed".
QByteArray listingText(const std::vector<ListedPicture>& listed);

// One object each: patch, index, name, pixels, size ("WxH" or "Error"), width
// and height (null without a size), state ("same" or "changed").
QJsonArray listingJson(const QString& patch, const std::vector<ListedPicture>& listed);

}  // namespace hexpane
