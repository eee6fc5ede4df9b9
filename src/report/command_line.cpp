#include "report/command_line.h"

#include <algorithm>
#include <array>
#include <utility>

namespace hexpane {

namespace {

constexpr std::array kTransparentNames = {std::pair{"form", TransparentColour::Form},
                                          std::pair{"phone", TransparentColour::Phone},
                                          std::pair{"standard", TransparentColour::Standard}};

const QString kTransparent = QStringLiteral("transparent"), kMap = QStringLiteral("map"),
              kSize = QStringLiteral("size");

}  // namespace

CommandLine::CommandLine(const QString& description, const QList<QCommandLineOption>& options) {
    parser_.setApplicationDescription(description);
    parser_.addOptions(options);
    parser_.addOptions({{{QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Show this help.")},
                        {{QStringLiteral("v"), QStringLiteral("version")}, QStringLiteral("Show the version.")}});
}

LineRequest CommandLine::parse(const QStringList& arguments) {
    if (!parser_.parse(arguments)) {
        error_ = parser_.errorText();
        return LineRequest::BadUsage;
    }
    if (parser_.isSet(QStringLiteral("help"))) return LineRequest::Help;
    if (parser_.isSet(QStringLiteral("version"))) return LineRequest::Version;
    error_ = check();
    return error_.isEmpty() ? LineRequest::Run : LineRequest::BadUsage;
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
