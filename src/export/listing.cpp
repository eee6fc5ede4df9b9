#include "export/listing.h"

#include "export/patch_input.h"
#include "files/path_bytes.h"
#include "text/name_text.h"
#include "text/picture_file_names.h"

namespace hexpane {

namespace {

const char16_t* stateText(const PictureRecord& picture) {
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
    bool add(const QString& path, const std::vector<PictureRecord>& pictures) {
        const QString shown = shownPath(path);
        if (!options_.json && options_.patches.size() > 1) append(shown, u":\n");
        for (std::size_t i = 0; i < pictures.size(); ++i) {
            const std::optional<PictureSize> size = pictureSize(pictures[i], tables_);
            if (options_.json) {
                addObject(shown, i, pictures[i], size);
            } else {
                addLine(i, pictures[i], size);
            }
            if (text_.size() >= kChunk && !flush()) return false;
        }
        return flush();
    }

    void finish() {
        if (options_.json) text_ += objects_ == 0 ? u"]\n" : u"\n]\n";
        if (flush()) out_.close();
    }

private:
    static constexpr qsizetype kChunk = qsizetype{1} << 15;

    template <typename... Parts>
    void append(const Parts&... parts) {
        ((text_ += parts), ...);
    }

    void addLine(std::size_t index, const PictureRecord& picture, const std::optional<PictureSize>& size) {
        const QChar tab = u'\t';
        append(indexText(index), tab, displayName(picture.name), tab, QString::number(picture.newHex.size() / 2), tab,
               sizeText(size), tab, stateText(picture), QChar(u'\n'));
    }

    void addObject(const QString& patch, std::size_t index, const PictureRecord& picture,
                   const std::optional<PictureSize>& size) {
        append(objects_++ == 0 ? u"{\"patch\":" : u",\n{\"patch\":");
        appendJson(text_, patch);
        append(u",\"index\":", QString::number(index), u",\"name\":");
        appendJson(text_, displayName(picture.name));
        append(u",\"pixels\":", QString::number(picture.newHex.size() / 2), u",\"size\":\"", sizeText(size), u"\"");
        if (size) {
            append(u",\"width\":", QString::number(size->width), u",\"height\":", QString::number(size->height));
        } else {
            append(u",\"width\":null,\"height\":null");
        }
        append(u",\"state\":\"", stateText(picture), u"\"}");
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
};

}  // namespace

void listPatches(const ExportOptions& options, const Tables& tables, Report& report) {
    Listing listing(options, tables, report);
    for (const QString& path : options.patches) {
        const auto pictures = readPatchFile(path, report);
        if (pictures && !listing.add(path, *pictures)) return;
    }
    listing.finish();
}

}  // namespace hexpane
