#include "window/patch_sources.h"

#include <QCoreApplication>
#include <QMimeData>
#include <QStringList>
#include <QUrl>

#include <algorithm>
#include <string_view>

#include "files/path_bytes.h"

namespace hexpane {

namespace {

QString usage() { return QCoreApplication::translate("StartRequest", "Usage: hexpane [FILE.vkp]"); }

QString shownArgument(const char* argument) { return shownPath(pathFromBytes(QByteArrayView(argument))); }

}  // namespace

StartRequest readCommandLine(int argc, const char* const* argv) {
    QStringList files;
    bool options = true;
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument(argv[i]);
        if (options && argument == "--") {
            options = false;
        } else if (options && argument.size() > 1 && argument.front() == '-') {
            return {{},
                    QCoreApplication::translate(
                        "StartRequest", "hexpane does not know the option %1, so it starts without opening a file.")
                            .arg(shownArgument(argv[i])) +
                        QStringLiteral("\n\n") + usage()};
        } else {
            files << pathFromBytes(QByteArrayView(argv[i]));
        }
    }
    if (files.size() > 1) {
        constexpr qsizetype kShown = 10;
        QStringList shown;
        for (const QString& file : files.first(std::min(files.size(), kShown))) shown << shownPath(file);
        if (files.size() > kShown) shown << QStringLiteral("…");
        return {{},
                QCoreApplication::translate("StartRequest",
                                            "hexpane opens one patch file at a time, but was given %1:\n%2\n\n"
                                            "It starts without opening any of them.")
                        .arg(files.size())
                        .arg(shown.join(u'\n')) +
                    QStringLiteral("\n\n") + usage()};
    }
    if (files.isEmpty()) return {};
    return {files.first(), {}};
}

StartRequest takeCommandLine(int& argc, char** argv) {
    StartRequest request = readCommandLine(argc, argv);
    argc = std::min(argc, 1);
    return request;
}

namespace {

// The one local file a drop carries if its name ends in one of suffixes,
// letter case aside.
QString droppedFile(const QMimeData* data, std::initializer_list<QByteArrayView> suffixes) {
    if (data == nullptr || !data->hasUrls()) return {};
    const QList<QUrl> urls = data->urls();
    if (urls.size() != 1) return {};
    const QUrl& url = urls.constFirst();
    if (!url.isLocalFile() || !(url.host().isEmpty() || url.host() == QLatin1String("localhost"))) return {};
    // The path's own bytes: decoding it as text would lose those that are not UTF-8.
    const QByteArray bytes = QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
    const QByteArray lower = bytes.toLower();
    if (bytes.endsWith('/') ||
        std::none_of(suffixes.begin(), suffixes.end(), [&](QByteArrayView suffix) { return lower.endsWith(suffix); }))
        return {};
    return pathFromBytes(bytes);
}

}  // namespace

QString droppedPatch(const QMimeData* data) { return droppedFile(data, {".vkp"}); }

QString droppedImage(const QMimeData* data) { return droppedFile(data, {".bmp", ".png"}); }

}  // namespace hexpane
