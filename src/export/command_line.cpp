#include "export/command_line.h"

#include <QFileInfo>

namespace hexpane {

namespace {

const QString kOutput = QStringLiteral("output"), kFormat = QStringLiteral("format"), kForce = QStringLiteral("force"),
              kList = QStringLiteral("list"), kJson = QStringLiteral("json"), kSheet = QStringLiteral("sheet"),
              kZoom = QStringLiteral("zoom"), kThumbnail = QStringLiteral("thumbnail"),
              kGuessSizes = QStringLiteral("guess-sizes");

// The format Qt writes for a file name's extension, or null.
const char* formatOf(const QString& extension) {
    for (const char* format : {"bmp", "png"}) {
        if (extension.compare(QLatin1String(format), Qt::CaseInsensitive) == 0) return format;
    }
    return nullptr;
}

// A whole number from low to high, or 0.
int wholeNumber(const QString& text, int low, int high) {
    bool whole = false;
    const int number = text.toInt(&whole);
    return whole && number >= low && number <= high ? number : 0;
}

// The options in the order the help lists them.
QList<QCommandLineOption> optionTable() {
    QList<QCommandLineOption> table = {
        {{QStringLiteral("o"), kOutput},
         QStringLiteral("Write the pictures under <dir> (default: here)."),
         QStringLiteral("dir")},
        transparentOption(
            QStringLiteral("Draw the code C0 in the form's, the phone's or the table's colour (default: form).")),
        {kFormat, QStringLiteral("Picture files as bmp (default) or png."), QStringLiteral("bmp|png")},
    };
    table << tableOptions();
    table << QList<QCommandLineOption>{
        {kForce, QStringLiteral("Replace files that exist.")},
        {kGuessSizes, QStringLiteral("Draw and list a picture whose pixel count has no size in the size table at the "
                                     "size its pixels suggest, shown as ~WxH.")},
        {kList, QStringLiteral("Write no file; list the pictures: index, name, pixels, size, same or changed.")},
        {kJson, QStringLiteral("With --list: the listing as JSON, one object per picture.")},
        {kSheet, QStringLiteral("Draw the whole patch on one picture, .png or .bmp, instead of writing files."),
         QStringLiteral("file")},
        {kZoom,
         QStringLiteral("With --sheet: scale the drawings by a whole factor, %1 to %2 (default: 1).")
             .arg(kMinZoom)
             .arg(kMaxZoom),
         QStringLiteral("n")},
        {kThumbnail,
         QStringLiteral("--thumbnail SIZE PATCH OUT.png: write a PNG of at most SIZE x SIZE pixels (%1 to %2) "
                        "showing the patch's first pictures, for file managers.")
             .arg(kMinThumbnail)
             .arg(kMaxThumbnail),
         QStringLiteral("size")},
    };
    return table;
}

}  // namespace

ExportCommandLine::ExportCommandLine()
    : CommandLine(QStringLiteral("Writes every picture of each .vkp patch as files, lists them, or draws them on one "
                                 "sheet or one thumbnail."),
                  optionTable()) {
    parser_.addPositionalArgument(QStringLiteral("patches"), QStringLiteral("The patch files to read."),
                                  QStringLiteral("PATCH.vkp..."));
}

QString ExportCommandLine::check() {
    ExportOptions& o = options_;
    o.patches = parser_.positionalArguments();
    if (parser_.isSet(kOutput)) o.output = parser_.value(kOutput);
    o.mapPath = mapPathGiven(parser_);
    o.sizePath = sizePathGiven(parser_);
    o.force = parser_.isSet(kForce);
    o.json = parser_.isSet(kJson);
    if (parser_.isSet(kGuessSizes)) o.guessing = Guessing::On;
    QString error = checkDrawing();
    return error.isEmpty() ? checkTask() : error;
}

QString ExportCommandLine::checkDrawing() {
    if (QString error = takeTransparent(parser_, &options_.transparent); !error.isEmpty()) return error;
    if (parser_.isSet(kFormat)) {
        options_.format = formatOf(parser_.value(kFormat));
        if (!options_.format) return QStringLiteral("--format takes bmp or png.");
    }
    return {};
}

QString ExportCommandLine::checkTask() {
    ExportOptions& o = options_;
    const bool list = parser_.isSet(kList), sheet = parser_.isSet(kSheet), thumbnail = parser_.isSet(kThumbnail);
    if (int(list) + int(sheet) + int(thumbnail) > 1)
        return QStringLiteral("--list, --sheet and --thumbnail cannot be combined.");
    if (o.json && !list) return QStringLiteral("--json goes with --list.");
    if (parser_.isSet(kZoom) && !sheet) return QStringLiteral("--zoom goes with --sheet.");
    if (thumbnail) {
        o.task = Task::Thumbnail;
        if (parser_.isSet(kOutput) || parser_.isSet(kFormat))
            return QStringLiteral("--thumbnail writes one PNG file: it takes no -o and no --format.");
        o.thumbnailSize = wholeNumber(parser_.value(kThumbnail), kMinThumbnail, kMaxThumbnail);
        if (o.thumbnailSize == 0) {
            return QStringLiteral("--thumbnail takes a whole number from %1 to %2.")
                .arg(kMinThumbnail)
                .arg(kMaxThumbnail);
        }
        if (o.patches.size() != 2) return QStringLiteral("--thumbnail SIZE takes a patch and the PNG file to write.");
        o.sheet = o.patches.takeLast();
        return {};
    }
    if (o.patches.isEmpty()) return QStringLiteral("Name at least one patch file.");
    if (list) o.task = Task::List;
    if (sheet) {
        o.task = Task::Sheet;
        o.sheet = parser_.value(kSheet);
        if (o.patches.size() > 1) return QStringLiteral("--sheet draws one patch; name only one.");
        o.sheetFormat = formatOf(QFileInfo(o.sheet).suffix());
        if (!o.sheetFormat) return QStringLiteral("--sheet needs a file name ending in .png or .bmp.");
    }
    if (parser_.isSet(kZoom)) {
        o.zoom = wholeNumber(parser_.value(kZoom), kMinZoom, kMaxZoom);
        if (o.zoom == 0)
            return QStringLiteral("--zoom takes a whole number from %1 to %2.").arg(kMinZoom).arg(kMaxZoom);
    }
    return {};
}

}  // namespace hexpane
