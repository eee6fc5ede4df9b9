#include "report/command_line.h"

#include <QCoreApplication>

#include <algorithm>
#include <array>
#include <cstdio>
#include <utility>

namespace hexpane {

namespace {

constexpr std::array kTransparentNames = {std::pair{"form", TransparentColour::Form},
                                          std::pair{"phone", TransparentColour::Phone},
                                          std::pair{"standard", TransparentColour::Standard}};

const QString kTransparent = QStringLiteral("transparent"), kMap = QStringLiteral("map"),
              kSize = QStringLiteral("size");

}  // namespace

QList<QCommandLineOption> helpAndVersionOptions() {
    return {{{QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Show this help.")},
            {{QStringLiteral("v"), QStringLiteral("version")}, QStringLiteral("Show the version.")}};
}

LineRequest parseLine(QCommandLineParser& parser, const QStringList& arguments, QString* error) {
    if (!parser.parse(arguments)) {
        *error = parser.errorText();
        return LineRequest::BadUsage;
    }
    if (parser.isSet(QStringLiteral("help"))) return LineRequest::Help;
    if (parser.isSet(QStringLiteral("version"))) return LineRequest::Version;
    return LineRequest::Run;
}

void printOutput(const QString& text, const QString& what, Report& report) {
    StandardOutput out(report, what);
    if (out.write(text.toUtf8())) out.close();
}

ExitStatus tellBadUsage(const QString& error) {
    const QByteArray program = QCoreApplication::applicationName().toUtf8();
    std::fprintf(stderr, "%s: %s\nTry '%s --help' for more.\n", program.constData(),
                 shownPath(error).toUtf8().constData(), program.constData());
    return ExitStatus::Failed;
}

QCommandLineOption transparentOption(const QString& description) {
    return {kTransparent, description, QStringLiteral("form|phone|standard")};
}

QString takeTransparent(const QCommandLineParser& parser, TransparentColour* value) {
    if (!parser.isSet(kTransparent)) return {};
    const QString name = parser.value(kTransparent);
    const auto* found = std::find_if(kTransparentNames.begin(), kTransparentNames.end(),
                                     [&](const auto& entry) { return name == QLatin1String(entry.first); });
    if (found == kTransparentNames.end()) return QStringLiteral("--transparent takes form, phone or standard.");
    *value = found->second;
    return {};
}

QList<QCommandLineOption> tableOptions() {
    return {{kMap, QStringLiteral("Colour table (default: map.txt beside the program)."), QStringLiteral("file")},
            {kSize, QStringLiteral("Size table (default: size.txt beside the program)."), QStringLiteral("file")}};
}

QString mapPathGiven(const QCommandLineParser& parser) { return parser.value(kMap); }

QString sizePathGiven(const QCommandLineParser& parser) { return parser.value(kSize); }

}  // namespace hexpane
