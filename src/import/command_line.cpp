#include "import/command_line.h"

#include <utility>

namespace hexpane {

namespace {

const QString kOutput = QStringLiteral("output"), kNearest = QStringLiteral("nearest"),
              kForce = QStringLiteral("force"), kDryRun = QStringLiteral("dry-run");

}  // namespace

ImportCommandLine::ImportCommandLine() {
    parser_.setApplicationDescription(
        QStringLiteral("Puts edited pictures back into a .vkp patch: each image's pixels become the codes of the "
                       "picture whose index starts its name, and only the characters of changed pixels change."));
    parser_.addOptions({{{QStringLiteral("o"), kOutput},
                         QStringLiteral("Write the patch to <file> (required)."),
                         QStringLiteral("file")},
                        transparentOption(QStringLiteral(
                            "The images show C0 in the form's, the phone's or the table's colour (default: form)."))});
    parser_.addOptions(tableOptions());
    parser_.addOptions({
        {kNearest, QStringLiteral("Give a colour no code draws the code of the nearest colour, and count them.")},
        {kForce, QStringLiteral("Replace the output file if it exists (it may be the patch itself).")},
        {kDryRun, QStringLiteral("Tell what would change; write nothing.")},
    });
    parser_.addOptions(helpAndVersionOptions());
    parser_.addPositionalArgument(QStringLiteral("patch"), QStringLiteral("The patch the pictures are in."),
                                  QStringLiteral("PATCH.vkp"));
    parser_.addPositionalArgument(
        QStringLiteral("images"),
        QStringLiteral("NNN-NAME-new.bmp or .png files, as hexpane-export writes them, or folders of them."),
        QStringLiteral("IMAGE|FOLDER..."));
}

LineRequest ImportCommandLine::parse(const QStringList& arguments) {
    const LineRequest request = parseLine(parser_, arguments, &error_);
    return request == LineRequest::Run ? check() : request;
}

LineRequest ImportCommandLine::check() {
    const auto bad = [this](QString why) {
        error_ = std::move(why);
        return LineRequest::BadUsage;
    };
    ImportOptions& o = options_;
    QStringList positional = parser_.positionalArguments();
    if (positional.size() < 2) return bad(QStringLiteral("Name the patch, then at least one image or folder."));
    o.patch = positional.takeFirst();
    o.images = positional;
    o.output = parser_.value(kOutput);
    if (o.output.isEmpty()) return bad(QStringLiteral("Name the patch to write with -o."));
    o.mapPath = mapPathGiven(parser_);
    o.sizePath = sizePathGiven(parser_);
    o.nearest = parser_.isSet(kNearest);
    o.force = parser_.isSet(kForce);
    o.dryRun = parser_.isSet(kDryRun);
    if (QString error = takeTransparent(parser_, &o.transparent); !error.isEmpty()) return bad(std::move(error));
    return LineRequest::Run;
}

}  // namespace hexpane
