#include "import/options.h"

#include <algorithm>
#include <array>
#include <utility>

namespace hexpane {

namespace {

const QString kOutput = QStringLiteral("output"), kTransparent = QStringLiteral("transparent"),
              kMap = QStringLiteral("map"), kSize = QStringLiteral("size"), kNearest = QStringLiteral("nearest"),
              kForce = QStringLiteral("force"), kDryRun = QStringLiteral("dry-run"), kHelp = QStringLiteral("help"),
              kVersion = QStringLiteral("version");

constexpr std::array kTransparentNames = {std::pair{"form", TransparentColour::Form},
                                          std::pair{"phone", TransparentColour::Phone},
                                          std::pair{"standard", TransparentColour::Standard}};

}  // namespace

ImportCommandLine::ImportCommandLine() {
    parser_.setApplicationDescription(
        QStringLiteral("Puts edited pictures back into a .vkp patch: each image's pixels become the codes of the "
                       "picture whose index starts its name, and only the characters of changed pixels change."));
    parser_.addOptions({
        {{QStringLiteral("o"), kOutput},
         QStringLiteral("Write the patch to <file> (required)."),
         QStringLiteral("file")},
        {kTransparent,
         QStringLiteral("The images show C0 in the form's, the phone's or the table's colour (default: form)."),
         QStringLiteral("form|phone|standard")},
        {kMap, QStringLiteral("Colour table (default: map.txt beside the program)."), QStringLiteral("file")},
        {kSize, QStringLiteral("Size table (default: size.txt beside the program)."), QStringLiteral("file")},
        {kNearest, QStringLiteral("Give a colour no code draws the code of the nearest colour, and count them.")},
        {kForce, QStringLiteral("Replace the output file if it exists (it may be the patch itself).")},
        {kDryRun, QStringLiteral("Tell what would change; write nothing.")},
        {{QStringLiteral("h"), kHelp}, QStringLiteral("Show this help.")},
        {{QStringLiteral("v"), kVersion}, QStringLiteral("Show the version.")},
    });
    parser_.addPositionalArgument(QStringLiteral("patch"), QStringLiteral("The patch the pictures are in."),
                                  QStringLiteral("PATCH.vkp"));
    parser_.addPositionalArgument(
        QStringLiteral("images"),
        QStringLiteral("NNN-NAME-new.bmp or .png files, as hexpane-export writes them, or folders of them."),
        QStringLiteral("IMAGE|FOLDER..."));
}

ImportCommandLine::Request ImportCommandLine::parse(const QStringList& arguments) {
    if (!parser_.parse(arguments)) {
        error_ = parser_.errorText();
        return Request::BadUsage;
    }
    if (parser_.isSet(kHelp)) return Request::Help;
    if (parser_.isSet(kVersion)) return Request::Version;
    return check();
}

ImportCommandLine::Request ImportCommandLine::check() {
    const auto bad = [this](QString why) {
        error_ = std::move(why);
        return Request::BadUsage;
    };
    ImportOptions& o = options_;
    QStringList positional = parser_.positionalArguments();
    if (positional.size() < 2) return bad(QStringLiteral("Name the patch, then at least one image or folder."));
    o.patch = positional.takeFirst();
    o.images = positional;
    o.output = parser_.value(kOutput);
    if (o.output.isEmpty()) return bad(QStringLiteral("Name the patch to write with -o."));
    o.mapPath = parser_.value(kMap);
    o.sizePath = parser_.value(kSize);
    o.nearest = parser_.isSet(kNearest);
    o.force = parser_.isSet(kForce);
    o.dryRun = parser_.isSet(kDryRun);
    if (parser_.isSet(kTransparent)) {
        const QString name = parser_.value(kTransparent);
        const auto* found = std::find_if(kTransparentNames.begin(), kTransparentNames.end(),
                                         [&](const auto& entry) { return name == QLatin1String(entry.first); });
        if (found == kTransparentNames.end())
            return bad(QStringLiteral("--transparent takes form, phone or standard."));
        o.transparent = found->second;
    }
    return Request::Run;
}

}  // namespace hexpane
