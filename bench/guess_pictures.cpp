#include "guess_pictures.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QCheckBox>
#include <QComboBox>
#include <QDial>
#include <QFont>
#include <QFontDatabase>
#include <QGroupBox>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QStyle>
#include <QStyleFactory>
#include <QSvgRenderer>
#include <QTabWidget>
#include <QTextEdit>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace bench {

namespace {

namespace fs = std::filesystem;
using Take = std::function<void(const EvalPicture&)>;

constexpr double kMostAspect = 8;  // the set's pictures are at most 1:8 either way
constexpr int kFewestPixels = 64;

// The phone screens pictures are made for, and the shapes of their pictures.
constexpr QSize kScreens[] = {{176, 220}, {132, 176}, {128, 160}, {240, 320}, {101, 80},
                              {96, 65},   {101, 64},  {176, 208}, {130, 130}};

std::mt19937& random() {
    static std::mt19937 generator;
    return generator;
}
int uniform(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random()); }
double uniformReal(double low, double high) { return std::uniform_real_distribution<double>(low, high)(random()); }

// Files under `root` (recursively) whose extension is one of `extensions`, sorted.
std::vector<std::string> filesUnder(const std::string& root, const std::vector<std::string>& extensions) {
    std::vector<std::string> files;
    std::error_code error;
    if (!fs::is_directory(root, error)) return files;
    for (auto it = fs::recursive_directory_iterator(root, error); !error && it != fs::recursive_directory_iterator();
         it.increment(error)) {
        if (!it->is_regular_file(error)) continue;
        const std::string extension = it->path().extension().string();
        if (std::find(extensions.begin(), extensions.end(), extension) != extensions.end())
            files.push_back(it->path().string());
    }
    std::sort(files.begin(), files.end());
    return files;
}

// `count` of `files`, drawn at random without repeats.
std::vector<std::string> pick(std::vector<std::string> files, std::size_t count) {
    std::shuffle(files.begin(), files.end(), random());
    files.resize(std::min(count, files.size()));
    return files;
}

bool fitsTheSet(const QImage& image) {
    if (image.isNull() || image.width() * image.height() < kFewestPixels) return false;
    const double aspect = static_cast<double>(image.width()) / image.height();
    return aspect <= kMostAspect && aspect >= 1 / kMostAspect;
}

QImage load(const std::string& file, QSize svgSize) {
    if (file.ends_with(".svg")) {
        QSvgRenderer renderer(QString::fromStdString(file));
        if (!renderer.isValid()) return {};
        QSize size = renderer.defaultSize();
        size.scale(svgSize, Qt::KeepAspectRatio);
        QImage image(size, QImage::Format_ARGB32);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        renderer.render(&painter);
        return image;
    }
    QImageReader reader(QString::fromStdString(file));
    return reader.read().convertToFormat(QImage::Format_ARGB32);
}

// The picture without its fully transparent border, as phone icons are cut,
// keeping a margin of up to two pixels.
QImage trimmed(const QImage& image) {
    int left = image.width(), right = -1, top = image.height(), bottom = -1;
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if (qAlpha(line[x]) == 0) continue;
            left = std::min(left, x), right = std::max(right, x);
            top = std::min(top, y), bottom = std::max(bottom, y);
        }
    }
    if (right < 0) return {};
    const int margin = uniform(0, 2);
    return image.copy(QRect(QPoint(left - margin, top - margin), QPoint(right + margin, bottom + margin)));
}

QSize randomShape(int fewest, int most) {
    const double area = std::exp(uniformReal(std::log(fewest), std::log(most)));
    const double aspect = std::exp(uniformReal(-std::log(kMostAspect), std::log(kMostAspect)));
    return {std::max(2, static_cast<int>(std::lround(std::sqrt(area * aspect)))),
            std::max(2, static_cast<int>(std::lround(std::sqrt(area / aspect))))};
}

// A piece of `image` of `size`, from the picture scaled down at random (never
// below the piece) and placed at random.
QImage cropped(const QImage& image, QSize size) {
    const double least = std::max(static_cast<double>(size.width()) / image.width(),
                                  static_cast<double>(size.height()) / image.height());
    if (least > 1) return {};
    const double scale = std::exp(uniformReal(std::log(least), 0));
    const QSize scaledSize(std::max(size.width(), static_cast<int>(std::ceil(image.width() * scale))),
                           std::max(size.height(), static_cast<int>(std::ceil(image.height() * scale))));
    const QImage scaled = image.scaled(scaledSize, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    const int x = uniform(0, scaled.width() - size.width()), y = uniform(0, scaled.height() - size.height());
    return scaled.copy(QRect(QPoint(x, y), size));
}

void offer(const Take& take, const char* kind, const std::string& source, const QImage& image) {
    if (fitsTheSet(image)) take({kind, source, image});
}

// Icons of four themes as they ship (PNG and SVG), cut to their opaque part;
// large ones scaled to icon sizes first.
void icons(const Take& take) {
    const std::vector<std::string> themes = {"/usr/share/icons/Adwaita", "/usr/share/icons/oxygen",
                                             "/usr/share/icons/Tango", "/usr/share/icons/hicolor"};
    for (const std::string& theme : themes) {
        for (const std::string& file : pick(filesUnder(theme, {".png", ".svg"}), 40)) {
            const int side = uniform(16, 96);
            QImage image = load(file, QSize(side, side));
            if (image.width() > 128 || image.height() > 128)
                image = image.scaled(side, side, Qt::KeepAspectRatio, Qt::SmoothTransformation);
            offer(take, "icon", file, trimmed(image));
        }
    }
}

// Sprites and tiles of three games: whole when small, cut to their opaque part;
// a large sheet or background gives a piece of a random shape.
void sprites(const Take& take) {
    const std::vector<std::string> games = {"/usr/share/games/pingus", "/usr/share/games/frozen-bubble",
                                            "/usr/share/games/freeciv"};
    for (const std::string& game : games) {
        for (const std::string& file : pick(filesUnder(game, {".png"}), 45)) {
            QImage image = load(file, {});
            if (image.isNull()) continue;
            if (image.width() * image.height() > 100000) image = cropped(image, randomShape(400, 100000));
            offer(take, "sprite", file, trimmed(image));
        }
    }
}

// Photographs and wallpapers, each cut into pieces of the phone screens' sizes
// and of random shapes.
void photos(const Take& take) {
    std::vector<std::string> sources = filesUnder("/usr/share/backgrounds", {".jpg", ".png", ".webp", ".svg"});
    // desktop-base ships each wallpaper at many sizes: one of each.
    for (const std::string& file : filesUnder("/usr/share/desktop-base", {".png", ".svg"}))
        if (file.find("/wallpaper/contents/images/1920x1080") != std::string::npos) sources.push_back(file);
    std::sort(sources.begin(), sources.end());
    const std::size_t perSource = std::max<std::size_t>(1, 170 / std::max<std::size_t>(1, sources.size()) + 1);
    for (const std::string& file : sources) {
        const QImage image = load(file, QSize(1920, 1080));
        if (image.isNull()) continue;
        for (std::size_t k = 0; k < perSource; ++k) {
            QSize size = k % 2 == 0 ? kScreens[uniform(0, std::size(kScreens) - 1)] : randomShape(1000, 100000);
            if (k % 4 == 2) size.transpose();
            offer(take, "photo", file, cropped(image, size));
        }
    }
}

std::unique_ptr<QWidget> makeWidget(int which) {
    switch (which) {
    case 0:
        return std::make_unique<QPushButton>("Открыть");
    case 1:
        return std::make_unique<QCheckBox>("Бордюр");
    case 2: {
        auto box = std::make_unique<QGroupBox>("Прозрачный цвет");
        auto* layout = new QVBoxLayout(box.get());
        for (const char* caption : {"формы", "телефона", "стандартный"}) layout->addWidget(new QRadioButton(caption));
        return box;
    }
    case 3: {
        auto slider = std::make_unique<QSlider>(uniform(0, 1) == 0 ? Qt::Horizontal : Qt::Vertical);
        slider->setValue(uniform(0, 99));
        return slider;
    }
    case 4: {
        auto bar = std::make_unique<QProgressBar>();
        bar->setValue(uniform(0, 100));
        return bar;
    }
    case 5:
        return std::make_unique<QLineEdit>("picture_042.vkp");
    case 6: {
        auto combo = std::make_unique<QComboBox>();
        combo->addItems({"176 x 220", "132 x 176", "240 x 320"});
        return combo;
    }
    case 7:
        return std::make_unique<QSpinBox>();
    case 8: {
        auto list = std::make_unique<QListWidget>();
        for (int k = 0; k < 12; ++k) list->addItem(QString("Picture %1").arg(k * 7 + 3));
        list->setCurrentRow(uniform(0, 11));
        return list;
    }
    case 9: {
        auto tree = std::make_unique<QTreeWidget>();
        tree->setHeaderLabels({"Name", "Size"});
        for (int k = 0; k < 6; ++k) new QTreeWidgetItem(tree.get(), {QString("logo%1").arg(k), "101x80"});
        return tree;
    }
    case 10:
        return std::make_unique<QCalendarWidget>();
    case 11: {
        auto tabs = std::make_unique<QTabWidget>();
        tabs->addTab(new QLabel("Старая"), "Старая");
        tabs->addTab(new QLabel("Новая"), "Новая");
        return tabs;
    }
    case 12:
        return std::make_unique<QDial>();
    default: {
        auto edit = std::make_unique<QTextEdit>();
        edit->setPlainText("A patch carries each picture as runs of hexadecimal bytes, one byte per pixel.");
        return edit;
    }
    }
}

// Widgets of two styles grabbed as they draw themselves, at random sizes.
void widgets(const Take& take) {
    const QStringList styles = {"Fusion", "Windows"};
    for (int k = 0; k < 90; ++k) {
        const QString styleName = styles[k % styles.size()];
        std::unique_ptr<QStyle> style(QStyleFactory::create(styleName));
        std::unique_ptr<QWidget> widget = makeWidget(uniform(0, 13));
        widget->setStyle(style.get());
        const QSize hint = widget->sizeHint().expandedTo(widget->minimumSizeHint()).expandedTo({8, 8});
        widget->resize(static_cast<int>(hint.width() * uniformReal(1, 2.5)),
                       static_cast<int>(hint.height() * uniformReal(1, 2.5)));
        widget->setAttribute(Qt::WA_DontShowOnScreen);
        widget->show();
        const QImage image = widget->grab().toImage().convertToFormat(QImage::Format_ARGB32);
        offer(take, "widget", (styleName + " " + widget->metaObject()->className()).toStdString(), image);
    }
}

const char* const kTexts[] = {
    "The quick brown fox jumps over the lazy dog.",
    "Съешь же ещё этих мягких французских булок, да выпей чаю.",
    "Battery low: 15% remaining. Connect the charger.",
    "Входящий вызов +7 912 345-67-89",
    "Settings  Messages  Contacts  Camera  Games",
    "0123456789 ABCDEF x_C0 101x80 176x220",
    "Меню  Сообщения  Контакты  Настройки",
    "Sphinx of black quartz, judge my vow!",
};

// Text in several fonts, sizes and colours, with and without antialiasing: a
// line or a wrapped block, on a plain or a transparent ground.
void texts(const Take& take) {
    std::vector<QString> families;
    for (const std::string& font : filesUnder("/usr/share/fonts/truetype", {".ttf"})) {
        const std::string name = fs::path(font).filename().string();
        if (!name.starts_with("DejaVu") && !name.starts_with("Liberation") && !name.starts_with("NotoSans-") &&
            !name.starts_with("NotoSerif-") && !name.starts_with("NotoSansMono-"))
            continue;
        const int id = QFontDatabase::addApplicationFont(QString::fromStdString(font));
        if (id >= 0) families.push_back(QFontDatabase::applicationFontFamilies(id).value(0));
    }
    families.erase(std::unique(families.begin(), families.end()), families.end());
    if (families.empty()) return;
    // Ground and ink far enough apart to stay apart in the colour table's 256 colours.
    const std::pair<QColor, QColor> colourings[] = {{Qt::white, Qt::black},
                                                    {Qt::black, Qt::white},
                                                    {QColor(235, 235, 208), Qt::black},
                                                    {QColor(20, 40, 120), Qt::white},
                                                    {Qt::transparent, Qt::black},
                                                    {QColor(20, 40, 120), QColor(250, 220, 0)},
                                                    {Qt::white, QColor(200, 30, 30)},
                                                    {QColor(235, 235, 208), QColor(0, 90, 0)},
                                                    {Qt::black, QColor(250, 220, 0)},
                                                    {Qt::transparent, Qt::white}};
    for (int k = 0; k < 130; ++k) {
        QFont font(families[static_cast<qsizetype>(uniform(0, static_cast<int>(families.size()) - 1))]);
        font.setPixelSize(uniform(8, 26));
        const bool smooth = k % 2 == 0;
        font.setStyleStrategy(smooth ? QFont::PreferAntialias : QFont::NoAntialias);
        const QString text = QString::fromUtf8(kTexts[uniform(0, std::size(kTexts) - 1)]);
        const QFontMetrics metrics(font);
        const bool line = uniform(0, 2) == 0;
        const int width = line ? std::min(metrics.horizontalAdvance(text) + 4, metrics.height() * 8)
                               : uniform(3, 12) * metrics.height();
        const QRect box = metrics.boundingRect(QRect(0, 0, width - 4, 4000), Qt::TextWordWrap, text);
        QImage image(width, std::max(box.height() + 4, width / 8 + 1), QImage::Format_ARGB32);
        const auto& [ground, ink] = colourings[static_cast<std::size_t>(k / 2) % std::size(colourings)];
        image.fill(ground);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::TextAntialiasing, smooth);
        painter.setFont(font);
        painter.setPen(ink);
        painter.drawText(QRect(2, 2, width - 4, image.height() - 4), Qt::TextWordWrap, text);
        painter.end();
        offer(take, "text", (font.family() + (smooth ? " smooth" : " sharp")).toStdString(), image);
    }
}

}  // namespace

QImage photographPiece(QSize size) {
    const std::vector<std::string> photographs = filesUnder("/usr/share/backgrounds", {".jpg"});
    if (photographs.empty()) return {};
    const QImage image = load(photographs.front(), {});
    const QImage half = image.scaled(image.size() / 2, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    if (half.width() < size.width() || half.height() < size.height()) return {};
    return half.copy(QRect(QPoint((half.width() - size.width()) / 2, (half.height() - size.height()) / 2), size));
}

void makeEvaluationSet(std::uint32_t seed, const std::function<void(const EvalPicture&)>& take) {
    random().seed(seed);
    icons(take);
    sprites(take);
    photos(take);
    widgets(take);
    texts(take);
}

}  // namespace bench
