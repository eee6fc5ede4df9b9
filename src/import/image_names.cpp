#include "import/image_names.h"

#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <limits>
#include <system_error>

#include <sys/stat.h>

#include "files/path_bytes.h"
#include "files/regular_file.h"

namespace hexpane {

namespace {

bool isImageFile(const QString& fileName) {
    const QString suffix = QFileInfo(fileName).suffix();
    return suffix.compare(QLatin1String("bmp"), Qt::CaseInsensitive) == 0 ||
           suffix.compare(QLatin1String("png"), Qt::CaseInsensitive) == 0;
}

bool isOldImage(const QString& fileName) {
    return QFileInfo(fileName).completeBaseName().endsWith(QLatin1String("-old"), Qt::CaseInsensitive);
}

// NNN-NAME-new.bmp or .png, NAME possibly empty.
bool isNewImage(const QString& fileName) {
    const QString base = QFileInfo(fileName).completeBaseName();
    return isImageFile(fileName) && base.endsWith(QLatin1String("-new")) &&
           base.indexOf(QLatin1Char('-')) < base.size() - 4;
}

// A file named on the command line: any name that starts with an index, but
// never an -old image. What is missing, or is no file, is told as what it is
// before anything is said of its name.
void addFile(const QString& path, const struct stat& status, std::vector<NamedImage>& images, Report& report) {
    const QString fileName = QFileInfo(path).fileName();
    if (!S_ISREG(status.st_mode)) {
        report.problem(ExitStatus::Failed, QStringLiteral("%1: cannot read it:\nIt is %2, not a regular file, so it "
                                                          "was not read.")
                                               .arg(shownPath(path), fileKind(status.st_mode)));
        return;
    }
    const auto refuse = [&](const QString& why) {
        report.problem(ExitStatus::Incomplete, QStringLiteral("%1: %2").arg(shownPath(path), why));
    };
    if (!isImageFile(fileName)) return refuse(QStringLiteral("only .bmp and .png images can be imported."));
    if (isOldImage(fileName)) {
        return refuse(
            QStringLiteral("this is an old image: the old bytes are what the phone holds, and are never "
                           "changed. Import the -new image."));
    }
    const std::optional<std::size_t> index = imageIndex(fileName);
    if (!index) {
        return refuse(
            QStringLiteral("its name does not start with a picture's index, as hexpane-export writes "
                           "it (NNN-NAME-new.bmp)."));
    }
    images.push_back({path, *index});
}

void addFolder(const QString& folder, std::vector<NamedImage>& images, Report& report) {
    std::error_code error;
    std::vector<std::string> names;
    for (std::filesystem::directory_iterator it(pathBytes(folder).toStdString(), error), end; !error && it != end;
         it.increment(error)) {
        names.push_back(it->path().filename().native());
    }
    if (error) {
        report.problem(ExitStatus::Failed, QStringLiteral("Cannot read the folder %1: %2")
                                               .arg(shownPath(folder), QString::fromStdString(error.message())));
        return;
    }
    std::sort(names.begin(), names.end());
    const std::size_t before = images.size();
    for (const std::string& bytes : names) {
        const QString name = pathFromBytes(bytes);
        const std::optional<std::size_t> index = imageIndex(name);
        if (index && isNewImage(name)) images.push_back({folder + QLatin1Char('/') + name, *index});
    }
    if (images.size() == before) {
        report.problem(
            ExitStatus::Incomplete,
            QStringLiteral("%1 holds no image to import (NNN-NAME-new.bmp or .png).").arg(shownPath(folder)));
    }
}

}  // namespace

std::optional<std::size_t> imageIndex(const QString& fileName) {
    std::size_t index = 0;
    qsizetype digits = 0;
    for (; digits < fileName.size() && fileName[digits] >= u'0' && fileName[digits] <= u'9'; ++digits) {
        const std::size_t digit = fileName[digits].unicode() - u'0';
        constexpr std::size_t kMax = std::numeric_limits<std::size_t>::max();
        index = index > (kMax - digit) / 10 ? kMax : index * 10 + digit;
    }
    if (digits == 0 || digits == fileName.size() || fileName[digits] != u'-') return std::nullopt;
    return index;
}

std::vector<NamedImage> namedImages(const QStringList& arguments, Report& report) {
    std::vector<NamedImage> images;
    for (const QString& argument : arguments) {
        struct stat status {};
        if (::stat(pathBytes(argument).constData(), &status) != 0) {
            report.problem(ExitStatus::Failed,
                           QStringLiteral("%1: cannot read it:\n%2").arg(shownPath(argument), qt_error_string(errno)));
        } else if (S_ISDIR(status.st_mode)) {
            addFolder(argument, images, report);
        } else {
            addFile(argument, status, images, report);
        }
    }
    return images;
}

}  // namespace hexpane
