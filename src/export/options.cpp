#include "export/options.h"

#include <QFileInfo>

#include <algorithm>
#include <array>
#include <utility>

namespace hexpane {

namespace {

const QString kOutput = QStringLiteral("output"), kTransparent = QStringLiteral("transparent"),
              kFormat = QStringLiteral("format"), kMap = QStringLiteral("map"), kSize = QStringLiteral("size"),
              kForce = QStringLiteral("force"), kList = QStringLiteral("list"), kJson = QStringLiteral("json"),
              kSheet = QStringLiteral("sheet"), kZoom = QStringLiteral("zoom"), kHelp = QStringLiteral("help"),
              kVersion = QStringLiteral("version");

constexpr int kMaxZoom = 16;

constexpr std::array kTransparentNames = {std::pair{"form", TransparentColour::Form},
                                          std::pair{"phone", TransparentColour::Phone},
                                          std::pair{"standard", TransparentColour::Standard}};

// The format Qt writes for a file name's extension, or null.
const char* formatOf(const QString& extension) {
    for (const char* format : {"bmp", "png"}) {
        if (extension.compare(QLatin1String(format), Qt::CaseInsensitive) == 0) return format;
    }
    return nullptr;
}

}  // namespace

CommandLine::CommandLine() {
    parser_.setApplicationDescription(
        QStringLiteral("Writes every picture of each .vkp patch as files, lists them, or draws them on one sheet."));
    parser_.addOptions({
        {{QStringLiteral("o"), kOutput},
         QStringLiteral("Write the pictures under <dir> (default: here)."),
         QStringLiteral("dir")},
        {kTransparent,
         QStringLiteral("Draw the code C0 in the form's, the phone's or the table's colour (default: form)."),
         QStringLiteral("form|phone|standard")},
        {kFormat, QStringLiteral("Picture files as bmp (default) or png."), QStringLiteral("bmp|png")},
        {kMap, QStringLiteral("Colour table (default: map.txt beside the program)."), QStringLiteral("file")},
        {kSize, QStringLiteral("Size table (default: size.txt beside the program)."), QStringLiteral("file")},
        {kForce, QStringLiteral("Replace files that exist.")},
        {kList, QStringLiteral("Write no file; list the pictures: index, name, pixels, size, same or changed.")},
        {kJson, QStringLiteral("With --list: the listing as a JSON array.")},
        {kSheet, QStringLiteral("Draw the whole patch on one picture, .png or .bmp, instead of writing files."),
         QStringLiteral("file")},
        {kZoom, QStringLiteral("With --sheet: scale the drawings by a whole factor, 1 to 16 (default: 1)."),
         QStringLiteral("n")},
        {{QStringLiteral("h"), kHelp}, QStringLiteral("Show this help.")},
        {{QStringLiteral("v"), kVersion}, QStringLiteral("Show the version.")},
    });
    parser_.addPositionalArgument(QStringLiteral("patches"), QStringLiteral("The patch files to read."),
                                  QStringLiteral("PATCH.vkp..."));
}

CommandLine::Request CommandLine::parse(const QStringList& arguments) {
    if (!parser_.parse(arguments)) {
        error_ = parser_.errorText();
        return Request::BadUsage;
    }
    if (parser_.isSet(kHelp)) return Request::Help;
    if (parser_.isSet(kVersion)) return Request::Version;
    return check();
}

CommandLine::Request CommandLine::check() {
    const auto bad = [this](QString why) {
        error_ = std::move(why);
        return Request::BadUsage;
    };
    Options& o = options_;
    o.patches = parser_.positionalArguments();
    if (o.patches.isEmpty()) return bad(QStringLiteral("Name at least one patch file."));
    if (parser_.isSet(kOutput)) o.output = parser_.value(kOutput);
    o.mapPath = parser_.value(kMap);
    o.sizePath = parser_.value(kSize);
    o.force = parser_.isSet(kForce);
    o.list = parser_.isSet(kList);
    o.json = parser_.isSet(kJson);
    o.sheet = parser_.value(kSheet);

    if (parser_.isSet(kTransparent)) {
        const QString name = parser_.value(kTransparent);
        const auto* found = std::find_if(kTransparentNames.begin(), kTransparentNames.end(),
                                         [&](const auto& entry) { return name == QLatin1String(entry.first); });
        if (found == kTransparentNames.end())
            return bad(QStringLiteral("--transparent takes form, phone or standard."));
        o.transparent = found->second;
    }
    if (parser_.isSet(kFormat)) {
        o.format = formatOf(parser_.value(kFormat));
        if (!o.format) return bad(QStringLiteral("--format takes bmp or png."));
    }
    if (o.json && !o.list) return bad(QStringLiteral("--json goes with --list."));
    if (parser_.isSet(kSheet)) {
        if (o.list) return bad(QStringLiteral("--list and --sheet cannot be combined."));
        if (o.patches.size() > 1) return bad(QStringLiteral("--sheet draws one patch; name only one."));
        o.sheetFormat = formatOf(QFileInfo(o.sheet).suffix());
        if (!o.sheetFormat) return bad(QStringLiteral("--sheet needs a file name ending in .png or .bmp."));
    }
    if (parser_.isSet(kZoom)) {
        if (o.sheet.isEmpty()) return bad(QStringLiteral("--zoom goes with --sheet."));
        bool whole = false;
        o.zoom = parser_.value(kZoom).toInt(&whole);
        if (!whole || o.zoom < 1 || o.zoom > kMaxZoom)
            return bad(QStringLiteral("--zoom takes a whole number from 1 to 16."));
    }
    return Request::Run;
}

}  // namespace hexpane
