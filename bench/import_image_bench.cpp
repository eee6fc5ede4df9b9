// hexpane-import's memory and time against its images, each beside a baseline
// of the same run; peaks are the importing process's largest resident set,
// less that of the program printing its version (its own baseline):
//   - a 16 x 16 picture's BMP padded to a gigabyte (sparse), beside the same
//     BMP unpadded: the padding must cost nothing;
//   - a 2048 x 2048 picture in a patch of 16-byte data lines, imported
//     unchanged: the peak against 2 x the patch + the decoded picture
//     (W x H x 4) + the image file;
//   - a 4096 x 4096 photo (mate-backgrounds' elephants, its middle square
//     enlarged) into a picture of that size: --nearest, beside the plain import
//     that refuses its colours, and beside the import of the image --nearest
//     makes of it, whose colours all have codes.
// Times are the best of several runs, process start included.
//
//   import_image_bench [RUNS]   (default: 3)
#include <QImage>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include <unistd.h>

#include "program_run.h"

namespace {

namespace fs = std::filesystem;

constexpr const char* kPhoto = "/usr/share/backgrounds/mate/abstract/Elephants_5640x3172.jpg";

// One picture of width x height pixels, `perLine` on each data line, new bytes
// after old ones, codes in a fixed sequence.
void writePicture(const fs::path& path, int width, int height, int perLine) {
    std::ofstream out(path, std::ios::binary);
    std::string line;
    out << "##### Picture big\r\n; Picture Data\r\n";
    const long pixels = long(width) * height;
    for (long at = 0; at < pixels; at += perLine) {
        const int count = int(std::min<long>(perLine, pixels - at));
        char address[16];
        std::snprintf(address, sizeof address, "%08lX: ", at);
        line = address;
        for (int k = 0; k < count; ++k) line += {"0123456789ABCDEF"[(at + k) % 16], '0'};
        line += ' ';
        for (int k = 0; k < count; ++k) line += (at + k) % 3 == 0 ? "E0" : (at + k) % 3 == 1 ? "1C" : "03";
        out << line << "\r\n";
    }
}

struct Figure {
    double seconds = 1e9, peakMb = 1e9;
};

Figure best(const std::vector<std::string>& args, int runs, int status = 0) {
    Figure figure;
    for (int i = 0; i < runs; ++i) {
        const bench::Ran ran = bench::runProgram(args, status);
        figure.seconds = std::min(figure.seconds, ran.seconds);
        figure.peakMb = std::min(figure.peakMb, ran.peakMb);
    }
    return figure;
}

double megabytes(const fs::path& path) { return double(fs::file_size(path)) / 1e6; }

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    if (!fs::exists(kPhoto)) {
        std::cerr << kPhoto << " is missing: install mate-backgrounds\n";
        return 1;
    }
    const fs::path scratch = fs::temp_directory_path() / "hexpane_import_image_bench";
    fs::remove_all(scratch);
    fs::create_directories(scratch);
    const auto at = [&](const char* name) { return (scratch / name).string(); };
    std::ofstream(scratch / "size.txt") << "16,16\n2048,2048\n4096,4096\n";
    const std::vector<std::string> import = {HEXPANE_IMPORT_PROGRAM, "--size", at("size.txt")};
    const std::vector<std::string> exporter = {HEXPANE_EXPORT_PROGRAM, "--size", at("size.txt")};
    const auto with = [](std::vector<std::string> line, std::initializer_list<std::string> more) {
        line.insert(line.end(), more);
        return line;
    };
    const double baseline = best({HEXPANE_IMPORT_PROGRAM, "--version"}, runs).peakMb;

    // A BMP padded to a gigabyte.
    writePicture(scratch / "small.vkp", 16, 16, 16);
    bench::runProgram(with(exporter, {"-o", at("small"), at("small.vkp")}));
    const fs::path bmp = scratch / "small/small/000-big-new.bmp";
    fs::create_directories(scratch / "padded");
    fs::copy_file(bmp, scratch / "padded/000-big-new.bmp");
    fs::resize_file(scratch / "padded/000-big-new.bmp", std::uintmax_t{1} << 30);
    const Figure plain = best(with(import, {at("small.vkp"), bmp.string(), "-o", at("o.vkp"), "--force"}), runs);
    const Figure padded =
        best(with(import, {at("small.vkp"), at("padded/000-big-new.bmp"), "-o", at("o.vkp"), "--force"}), runs);
    std::printf(
        "a 16x16 BMP padded to 1 GiB: %.3f s, %.1f MB above the program's baseline (%.1f MB); unpadded: %.3f s, "
        "%.1f MB (goal: <= 0.2 s, <= 30 MB)\n",
        padded.seconds, padded.peakMb - baseline, baseline, plain.seconds, plain.peakMb - baseline);

    // One large picture.
    writePicture(scratch / "large.vkp", 2048, 2048, 16);
    bench::runProgram(with(exporter, {"-o", at("large"), at("large.vkp")}));
    const fs::path largeImage = scratch / "large/large/000-big-new.bmp";
    const Figure large = best(with(import, {at("large.vkp"), largeImage.string(), "-o", at("o.vkp"), "--force"}), runs);
    const double largeGoal = 2 * megabytes(scratch / "large.vkp") + 2048.0 * 2048 * 4 / 1e6 + megabytes(largeImage);
    std::printf(
        "a 2048x2048 picture, %.1f MB patch, %.1f MB image: %.3f s, %.1f MB above the baseline (goal: <= %.1f MB)\n",
        megabytes(scratch / "large.vkp"), megabytes(largeImage), large.seconds, large.peakMb - baseline, largeGoal);

    // A photo of a picture's size, with colours no code draws.
    const QImage source(QString::fromLatin1(kPhoto));
    const int side = std::min(source.width(), source.height());
    const QImage photo = source.copy((source.width() - side) / 2, (source.height() - side) / 2, side, side)
                             .scaled(4096, 4096, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                             .convertToFormat(QImage::Format_RGB32);
    writePicture(scratch / "photo.vkp", 4096, 4096, 256);
    fs::create_directories(scratch / "photo");
    const std::string image = at("photo/000-big-new.bmp");
    if (!photo.save(QString::fromStdString(image))) {
        std::cerr << "cannot write " << image << "\n";
        return 1;
    }
    const Figure nearest =
        best(with(import, {"--nearest", at("photo.vkp"), image, "-o", at("nearest.vkp"), "--force"}), runs);
    const Figure refused = best(with(import, {at("photo.vkp"), image, "-o", at("o.vkp"), "--force"}), runs, 1);
    bench::runProgram(with(exporter, {"-o", at("coded"), at("nearest.vkp")}));
    const Figure coded =
        best(with(import, {at("photo.vkp"), at("coded/nearest/000-big-new.bmp"), "-o", at("o.vkp"), "--force"}), runs);
    std::printf(
        "a 4096x4096 photo, --nearest: %.3f s, %.1f MB above the baseline (goal: <= 3 s, <= 1.2 x the import "
        "without it)\n"
        "  without --nearest, refused for its colours: %.3f s, %.1f MB (ratio %.2f)\n"
        "  the image --nearest makes of it, imported without --nearest: %.3f s, %.1f MB\n",
        nearest.seconds, nearest.peakMb - baseline, refused.seconds, refused.peakMb - baseline,
        (nearest.peakMb - baseline) / (refused.peakMb - baseline), coded.seconds, coded.peakMb - baseline);
    fs::remove_all(scratch);
}
