#include "export/listing.h"

#include <QJsonObject>
#include <QJsonValue>

#include "export/file_names.h"
#include "gui/drawing.h"
#include "gui/name_text.h"

namespace hexpane {

namespace {

QString stateText(bool same) { return same ? QStringLiteral("same") : QStringLiteral("changed"); }

}  // namespace

std::vector<ListedPicture> listPictures(const std::vector<PictureRecord>& pictures, const Tables& tables) {
    std::vector<ListedPicture> listed;
    listed.reserve(pictures.size());
    for (std::size_t i = 0; i < pictures.size(); ++i) {
        const PictureRecord& picture = pictures[i];
        listed.push_back({i, displayName(picture.name), picture.newHex.size() / 2, pictureSize(picture, tables),
                          picture.oldHex == picture.newHex});
    }
    return listed;
}

QByteArray listingText(const std::vector<ListedPicture>& listed) {
    QString text;
    for (const ListedPicture& picture : listed) {
        // All at once: a name may hold "%2" of its own.
        text += QStringLiteral("%1\t%2\t%3\t%4\t%5\n")
                    .arg(indexText(picture.index), picture.name, QString::number(picture.pixels),
                         sizeText(picture.size), stateText(picture.same));
    }
    return text.toUtf8();
}

QJsonArray listingJson(const QString& patch, const std::vector<ListedPicture>& listed) {
    QJsonArray array;
    for (const ListedPicture& picture : listed) {
        array.append(QJsonObject{
            {QStringLiteral("patch"), patch},
            {QStringLiteral("index"), qint64(picture.index)},
            {QStringLiteral("name"), picture.name},
            {QStringLiteral("pixels"), qint64(picture.pixels)},
            {QStringLiteral("size"), sizeText(picture.size)},
            {QStringLiteral("width"), picture.size ? QJsonValue(picture.size->width) : QJsonValue()},
            {QStringLiteral("height"), picture.size ? QJsonValue(picture.size->height) : QJsonValue()},
            {QStringLiteral("state"), stateText(picture.same)},
        });
    }
    return array;
}

}  // namespace hexpane
