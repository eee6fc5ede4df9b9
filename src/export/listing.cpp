#include "export/listing.h"

#include <QFileInfo>
#include <QSet>
#include <QStringList>

#include <algorithm>
#include <span>

#include "export/patch_input.h"
#include "files/path_bytes.h"
#include "text/name_text.h"
#include "text/picture_file_names.h"

namespace hexpane {

namespace {

const char16_t* stateText(const PictureText& picture) {
    return picture.oldHex == picture.newHex ? u"same" : u"changed";
}

// A JSON string: quotes, backslashes and control characters escaped.
void appendJson(QString& out, QStringView text) {
    out += u'"';
    for (const QChar c : text) {
        if (c == u'"' || c == u'\\') {
            out += u'\\';
            out += c;
        } else if (c.unicode() < 0x20) {
            out += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
        } else {
            out += c;
        }
    }
    out += u'"';
}

// The listing, made a line at a time and written as it grows.
class Listing {
public:
    Listing(const ExportOptions& options, const Tables& tables, Report& report)
        : options_(options), tables_(tables), out_(report, QStringLiteral("the listing")) {
        if (options_.json) text_ += u"[\n";
    }

    // False once standard output has failed.
    bool add(const QString& path, const Pictures& pictures) {
        const QString shown = shownPath(path);
        if (!options_.json && options_.patches.size() > 1) append(shown, u":\n");
        for (std::size_t block = 0; block < pictures.size(); block += kBlock) {
            const std::vector<SizeChoice> choices = pictureSizes(pictures, tables_, options_.guessing, block, kBlock);
            for (std::size_t k = 0; k < choices.size(); ++k) {
                if (options_.json) {
                    addObject(shown, block + k, pictures[block + k], choices[k]);
                } else {
                    addLine(block + k, pictures[block + k], choices[k]);
                }
                if (choices[k].guessed && choices[k].size) suggest(*choices[k].size);
                if (text_.size() >= kChunk && !flush()) return false;
            }
        }
        return flush();
    }

    // The listing's end, then the size table's lines that would give the
    // guessed pictures their sizes.
    void finish(Report& report) {
        if (options_.json) text_ += objects_ == 0 ? u"]\n" : u"\n]\n";
        if (!flush() || !out_.close() || suggested_.isEmpty()) return;
        const QString table =
            options_.sizePath.isEmpty() ? QStringLiteral("size.txt") : QFileInfo(options_.sizePath).fileName();
        report.note(
            QStringLiteral("These lines of %1 would give the guessed pictures their sizes:").arg(shownPath(table)));
        for (const QString& line : suggested_) report.plain(line);
    }

private:
    static constexpr qsizetype kChunk = qsizetype{1} << 15;
    // Pictures whose sizes are chosen at once, the guesses on every core.
    static constexpr std::size_t kBlock = 256;

    template <typename... Parts>
    void append(const Parts&... parts) {
        ((text_ += parts), ...);
    }

    void addLine(std::size_t index, const PictureText& picture, const SizeChoice& choice) {
        const QChar tab = u'\t';
        append(indexText(index), tab, displayName(picture.name), tab, QString::number(picture.newHex.size() / 2), tab,
               sizeText(choice), tab, stateText(picture), QChar(u'\n'));
    }

    void addObject(const QString& patch, std::size_t index, const PictureText& picture, const SizeChoice& choice) {
        append(objects_++ == 0 ? u"{\"patch\":" : u",\n{\"patch\":");
        appendJson(text_, patch);
        append(u",\"index\":", QString::number(index), u",\"name\":");
        appendJson(text_, displayName(picture.name));
        append(u",\"pixels\":", QString::number(picture.newHex.size() / 2), u",\"size\":\"", sizeText(choice), u"\"");
        if (choice.size) {
            append(u",\"width\":", QString::number(choice.size->width), u",\"height\":",
                   QString::number(choice.size->height));
        } else {
            append(u",\"width\":null,\"height\":null");
        }
        append(u",\"state\":\"", stateText(picture), u"\"");
        if (choice.guessed) {
            append(u",\"guesses\":[");
            for (std::size_t k = 0; k < choice.guesses.size(); ++k) {
                append(k == 0 ? u"{\"width\":" : u",{\"width\":", QString::number(choice.guesses[k].width),
                       u",\"height\":", QString::number(choice.guesses[k].height), u"}");
            }
            append(u"]");
        }
        append(u"}");
    }

    // "W,H" as a line of the size table, once each.
    void suggest(PictureSize size) {
        const QString line = QStringLiteral("%1,%2").arg(size.width).arg(size.height);
        if (!suggestedOnce_.contains(line)) {
            suggestedOnce_.insert(line);
            suggested_ << line;
        }
    }

    bool flush() {
        const bool written = out_.write(text_.toUtf8());
        text_.resize(0);
        return written;
    }

    const ExportOptions& options_;
    const Tables& tables_;
    StandardOutput out_;
    QString text_;
    std::size_t objects_ = 0;
    QStringList suggested_;  // in the order the pictures come
    QSet<QString> suggestedOnce_;
};

}  // namespace

void listPatches(const ExportOptions& options, const Tables& tables, Report& report) {
    Listing listing(options, tables, report);
    for (const QString& path : options.patches) {
        const auto pictures = readPatchFile(path, report);
        if (pictures && !listing.add(path, *pictures)) return;
    }
    listing.finish(report);
}

}  // namespace hexpane
