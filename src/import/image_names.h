// Which pictures the images named on the command line are for. An image's
// file name starts with the index of its picture, as hexpane-export writes
// it: NNN-NAME-new.bmp, the digits before the first "-". A folder stands for
// every NNN-NAME-new.bmp or .png in it.
#pragma once

#include <QString>
#include <QStringList>

#include <cstddef>
#include <optional>
#include <vector>

#include "report/report.h"

namespace hexpane {

struct NamedImage {
    QString path;
    std::size_t index;  // of the picture in the patch
};

// The picture index a file name (without folder) starts with; none when it
// does not start with digits and a "-". An index too large for any patch is
// the largest value, which names no picture.
std::optional<std::size_t> imageIndex(const QString& fileName);

// The images that the arguments name, in order, each folder's in name order.
// What cannot be imported is told to report: a file that is no .bmp or .png,
// whose name gives no index, or that holds old bytes (the -old image, in any
// letter case), with status Incomplete; a path that is missing, or names
// neither a folder nor a regular file, or a folder that cannot be listed, with
// status Failed. An -old image in a folder is skipped without a word, and so
// is any file there not named as a new image.
std::vector<NamedImage> namedImages(const QStringList& arguments, Report& report);

}  // namespace hexpane
