#include "import/command_line.h"

namespace hexpane {

namespace {

const QString kOutput = QStringLiteral("output"), kNearest = QStringLiteral("nearest"),
              kForce = QStringLiteral("force"), kDryRun = QStringLiteral("dry-run");

// The options in the order the help lists them.
QList<QCommandLineOption> optionTable() {
    QList<QCommandLineOption> table = {
        {{QStringLiteral("o"), kOutput},
         QStringLiteral("Write the patch to <file> (required)."),
         QStringLiteral("file")},
        transparentOption(
            QStringLiteral("The images show C0 in the form's, the phone's or the table's colour (default: form).")),
    };
    table << tableOptions();
    table << QList<QCommandLineOption>{
        {kNearest, QStringLiteral("Give a colour no code draws the code of the nearest colour, and count them.")},
        {kForce, QStringLiteral("Replace the output file if it exists (it may be the patch itself).")},
        {kDryRun, QStringLiteral("Tell what would change; write nothing.")},
    };
    return table;
}

}  // namespace

ImportCommandLine::ImportCommandLine()
    : CommandLine(QStringLiteral("Puts edited pictures back into a .vkp patch: each image's pixels become the codes of "
                                 "the picture whose index starts its name, and only the characters of changed pixels "
                                 "change."),
                  optionTable()) {
    parser_.addPositionalArgument(QStringLiteral("patch"), QStringLiteral("The patch the pictures are in."),
                                  QStringLiteral("PATCH.vkp"));
    parser_.addPositionalArgument(
        QStringLiteral("images"),
        QStringLiteral("NNN-NAME-new.bmp or .png files, as hexpane-export writes them, or folders of them."),
        QStringLiteral("IMAGE|FOLDER..."));
}

QString ImportCommandLine::check() {
    ImportOptions& o = options_;
    QStringList positional = parser_.positionalArguments();
    if (positional.size() < 2) return QStringLiteral("Name the patch, then at least one image or folder.");
    o.patch = positional.takeFirst();
    o.images = positional;
    o.output = parser_.value(kOutput);
    if (o.output.isEmpty()) return QStringLiteral("Name the patch to write with -o.");
    o.mapPath = mapPathGiven(parser_);
    o.sizePath = sizePathGiven(parser_);
    o.nearest = parser_.isSet(kNearest);
    o.force = parser_.isSet(kForce);
    o.dryRun = parser_.isSet(kDryRun);
    return takeTransparent(parser_, &o.transparent);
}

}  // namespace hexpane
