#include "window/form1.h"

#include <QCheckBox>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGroupBox>
#include <QGuiApplication>
#include <QImageReader>
#include <QLabel>
#include <QLocale>
#include <QMimeData>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QTimer>

#include <algorithm>
#include <new>
#include <optional>
#include <system_error>
#include <thread>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include "drawing/image_file.h"
#include "files/path_bytes.h"
#include "files/regular_file.h"
#include "window/long_work.h"
#include "window/pane.h"
#include "window/picture_actions.h"
#include "window/picture_list.h"
#include "window/picture_menu.h"
#include "window/save_icon.h"

namespace hexpane {

namespace {

// Frees the pictures an open replaced, and gives the memory they held back to
// the system: the heap would keep it for the rest of the program's life, as
// the new pictures lie after it.
void release(Pictures& pictures) {
    pictures = Pictures();
#if defined(__GLIBC__)
    malloc_trim(0);
#endif
}

// "12.5 MB": an amount read, as the progress dialog tells it.
QString megabytes(std::uint64_t bytes) {
    return Form1::tr("%1 MB").arg(QLocale().toString(double(bytes) / 1e6, 'f', 1));
}

}  // namespace

Form1::Form1()
    : Form1(std::make_unique<QtCommonDialog>(this), std::make_unique<QtMessageBox>(this),
            QCoreApplication::applicationDirPath()) {}

Form1::Form1(std::unique_ptr<CommonDialog> dialog, std::unique_ptr<MessageBox> messages, const QString& programDir)
    : cd(std::move(dialog)), messages_(std::move(messages)), programDir_(programDir), work_(new LongWork(this)) {
    createControls();
    lst->names()->marked = [this](std::size_t row) { return replacements.replaced(row); };
    actions_ = new PictureActions(*this);
    menu_ = new PictureMenu(*this);
    connectEvents();
    Form_Load();
}

// The work under way may read the pictures: it ends before they go.
Form1::~Form1() { delete work_; }

void Form1::createControls() {
    setWindowTitle(QStringLiteral("hexpane"));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(193, 379);
    // The small sans serif such windows are laid out for; the controls' sizes
    // assume it.
    QFont small(QStringLiteral("MS Sans Serif"));
    small.setStyleHint(QFont::SansSerif);
    small.setPointSizeF(8.25);
    setFont(small);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - rect().center());
    }

    // Created in the tab order, which is also the focus chain Qt builds.
    lst = new PictureList(pictures, this);
    lst->setGeometry(6, 6, 61, 368);

    cmdLoad = new QPushButton(QStringLiteral("Открыть"), this);
    cmdLoad->setGeometry(78, 348, 109, 25);

    // Each save icon comes before its pane: the panes take no focus, so the
    // icons take their places in the tab order.
    for (std::size_t i = 0; i < 2; ++i) {
        img[i] = new SaveIcon(this);
        img[i]->setGeometry(78, i == 0 ? 27 : 72, 11, 11);
        img[i]->hide();
        pic[i] = new Pane(this);
        pic[i]->setGeometry(78, i == 0 ? 42 : 90, 19, 19);
        pic[i]->setFrame(true);
        pic[i]->hide();
    }

    Label1 = new QLabel(QStringLiteral("#"), this);
    Label1->setGeometry(78, 6, 7, 13);
    QFont underlined = small;
    underlined.setUnderline(true);
    Label1->setFont(underlined);

    chk = new QCheckBox(QStringLiteral("Бордюр"), this);
    chk->setGeometry(78, 324, 109, 13);
    chk->setChecked(true);

    lab[0] = new QLabel(QStringLiteral("Старая"), this);
    lab[0]->setGeometry(93, 26, 36, 13);
    lab[1] = new QLabel(QStringLiteral("Новая"), this);
    lab[1]->setGeometry(93, 72, 32, 13);

    Frame1 = new QGroupBox(this);  // its caption comes once the window is on screen (afterShown)
    Frame1->setGeometry(78, 246, 109, 73);
    const QString options[3] = {QStringLiteral("формы"), QStringLiteral("телефона"), QStringLiteral("стандартный")};
    for (std::size_t i = 0; i < 3; ++i) {
        opt[i] = new QRadioButton(options[i], Frame1);
        opt[i]->setGeometry(6, 18 + 18 * int(i), 97, 13);
    }
    opt[0]->setChecked(true);

    for (QLabel* caption : lab) caption->hide();

    // A large pane runs under the lower column, whose controls stay on top and
    // take their clicks: the open button is always within reach. The save
    // icon of such a pane lies in the lower column and stays above it in turn:
    // it covers no more than the corner of a button or of an option's circle,
    // and every option is still taken by a click on its caption or by the keyboard.
    for (QWidget* control : {static_cast<QWidget*>(Frame1), static_cast<QWidget*>(chk), static_cast<QWidget*>(cmdLoad)})
        control->raise();
    for (SaveIcon* icon : img) icon->raise();
    setAcceptDrops(true);
}

void Form1::connectEvents() {
    connect(cmdLoad, &QPushButton::clicked, this, &Form1::cmdLoad_Click);
    connect(lst, &PictureList::pictureSelected, this, &Form1::lst_Click);
    connect(chk, &QCheckBox::clicked, this, &Form1::chk_Click);
    for (std::size_t i = 0; i < 3; ++i) connect(opt[i], &QRadioButton::clicked, this, [this, i] { opt_Click(int(i)); });
    for (std::size_t i = 0; i < 2; ++i) connect(img[i], &SaveIcon::clicked, this, [this, i] { img_Click(int(i)); });
    connect(work_, &LongWork::idle, this, &Form1::stateChanged);
}

void Form1::Form_Load() {
    QStringList problems;
    tables = loadTables(tableFiles({}, {}, programDir_), problems);
    Label1->setText(QString());
    if (!problems.isEmpty()) {
        loadProblems_ = tr("Some of the tables beside the program could not be read as they are; "
                           "hexpane goes on with what it read.") +
                        QStringLiteral("\n\n") + problems.join(u'\n');
    }
}

void Form1::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (std::exchange(shown_, true)) return;
    QTimer::singleShot(0, this, &Form1::afterShown);
}

void Form1::startWith(const StartRequest& request) {
    start_ = request;
    if (shown_) QTimer::singleShot(0, this, &Form1::afterShown);
}

// One after the other, each message with the window behind it.
void Form1::afterShown() {
    // The labels size themselves to their text, and the frame places its
    // caption. Measuring text loads the system's fonts, which the window needs
    // only once it is on screen: this comes before its first paint.
    Frame1->setTitle(QStringLiteral("Прозрачный цвет"));
    // Read as the PNG it is: a reader that may tell the format itself asks
    // every image plugin installed whether it reads the file, loading them all.
    QImageReader iconFile(QStringLiteral(":/hexpane.png"), "png");
    iconFile.setAutoDetectImageFormat(false);
    setWindowIcon(QPixmap::fromImage(iconFile.read()));
    for (QLabel* label : {Label1, lab[0], lab[1]}) label->adjustSize();
    if (!loadProblems_.isEmpty()) messages_->show(QMessageBox::Warning, std::exchange(loadProblems_, QString()));
    const StartRequest start = std::exchange(start_, StartRequest());
    if (!start.problem.isEmpty()) messages_->show(QMessageBox::Warning, start.problem);
    if (start.patch) openPatch(*start.patch);
}

void Form1::dragEnterEvent(QDragEnterEvent* event) {
    // An image is taken only over the new pane, which the moves that follow tell.
    if (!droppedPatch(event->mimeData()).isEmpty() || !droppedImage(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void Form1::dragMoveEvent(QDragMoveEvent* event) {
    const QMimeData* carried = event->mimeData();
    if (!droppedPatch(carried).isEmpty()) return event->acceptProposedAction();
    if (actions_->canReplace() && pic[1]->isVisible() && pic[1]->geometry().contains(event->position().toPoint()))
        return event->acceptProposedAction();
    event->ignore(pic[1]->isVisible() ? pic[1]->geometry() : rect());
}

void Form1::dropEvent(QDropEvent* event) {
    const QString patch = droppedPatch(event->mimeData());
    const QString image = droppedImage(event->mimeData());
    // Read once the drop is over, so that the program it came from is not kept waiting.
    if (!patch.isEmpty()) {
        event->acceptProposedAction();
        QTimer::singleShot(0, this, [this, patch] { openPatch(patch); });
    } else if (!image.isEmpty() && actions_->canReplace() && pic[1]->isVisible() &&
               pic[1]->geometry().contains(event->position().toPoint())) {
        event->acceptProposedAction();
        QTimer::singleShot(0, this, [this, image] { actions_->replaceFrom(image); });
    }
}

void Form1::closeEvent(QCloseEvent* event) {
    // Once saved, the window closes as asked.
    if (!actions_->askToSave([this] { QTimer::singleShot(0, this, &QWidget::close); })) return event->ignore();
    work_->cancel();
    QWidget::closeEvent(event);
}

void Form1::cmdLoad_Click() {
    cd->DefaultExt = QStringLiteral(".vkp");
    cd->Filter = QStringLiteral("*.vkp|*.vkp");
    cd->FileName = QString();
    if (cd->ShowOpen()) openPatch(cd->FileName);
}

void Form1::openPatch(const QString& path, int select) {
    if (!actions_->askToSave([this, path] { openPatch(path); })) return;
    // Read off the window's thread; nothing changes until the whole file is
    // read, so a failed or cancelled read leaves the list and the panes as they were.
    struct Read {
        Pictures pictures;
        FileDigest digest;
        QString error;
    };
    auto read = std::make_shared<Read>();
    LongWork::Job job;
    job.work = [read, path, hook = beforeStep](ReadWatch& watch) {
        watch.beforeChunk = hook;
        read->pictures = readFile(path, readPictures, &read->error, &read->digest, &watch);
        if (watch.stop) release(read->pictures);
    };
    job.text = [shown = shownPath(path)](std::uint64_t done, std::uint64_t total) {
        return tr("Reading %1\n%2 of %3").arg(shown, megabytes(done), megabytes(total));
    };
    job.done = [this, read, path, select](bool cancelled) {
        if (cancelled) return;
        if (read->error.isEmpty()) return takePictures(read->pictures, read->digest, path, select);
        messages_->show(QMessageBox::Critical, tr("Cannot read %1:\n%2").arg(shownPath(path), read->error));
    };
    work_->start(std::move(job));
    emit stateChanged();
}

// The list reads its rows from pictures, so replacing them refills it and
// cannot fail half way.
void Form1::takePictures(Pictures& read, const FileDigest& digest, const QString& path, int select) {
    {
        const QSignalBlocker quiet(lst);  // refilling is no selection by the user
        lst->names()->beginChange();
        std::swap(pictures, read);
        replacements.clear();
        chosen_.reset();
        patchPath = path;
        patchDigest = digest;
        lst->names()->endChange();
    }
    // The pictures replaced go on a thread of their own: a gigabyte of them
    // takes the better part of a second to give back.
    try {
        std::thread([old = std::move(read)]() mutable { release(old); }).detach();
    } catch (const std::system_error&) {  // no thread to be had: here, then
        release(read);
    }
    if (select >= 0 && select < lst->count()) lst->selectRow(select);
    emit stateChanged();
}

bool Form1::busy() const { return work_->busy(); }

int Form1::selectedIndex() const { return lst->selectedRow(); }

std::vector<SizeRecord> Form1::FindSizes() const { return sizesOf(pictures[std::size_t(selectedIndex())], tables); }

std::string_view Form1::newHex(std::size_t i) const { return replacements.newHex(i, pictures[i].newHex); }

TransparentColour Form1::transparentColour() const {
    return opt[0]->isChecked()   ? TransparentColour::Form
           : opt[1]->isChecked() ? TransparentColour::Phone
                                 : TransparentColour::Standard;
}

std::optional<PictureSize> Form1::drawnSize() const {
    const int s = selectedIndex();
    if (s < 0) return std::nullopt;
    if (chosen_ && chosen_->row == s) return chosen_->size;
    return pictureSize(pictures[std::size_t(s)], tables);
}

void Form1::chooseSize(PictureSize size) {
    const int s = selectedIndex();
    if (s < 0) return;
    const std::optional<PictureSize> first = pictureSize(pictures[std::size_t(s)], tables);
    if (first && first->width == size.width && first->height == size.height) {
        chosen_.reset();  // the table's own size: no choice to show
    } else {
        chosen_ = Chosen{s, size};
    }
    lst_Click();
}

void Form1::lst_Click() {
    const bool framed = chk->isChecked();
    for (std::size_t i = 0; i < 2; ++i) {
        pic[i]->setFrame(framed);
        pic[i]->hide();
        lab[i]->hide();
        img[i]->hide();
    }

    const int s = selectedIndex();
    if (chosen_ && chosen_->row != s) chosen_.reset();  // a choice holds for its own picture only
    std::optional<PictureSize> size;
    if (s >= 0) {
        size = chosen_ ? std::optional(chosen_->size) : drawingSize(FindSizes());
        // A size the user chose is marked as a guess is, "~WxH": it is not the table's.
        Label1->setText(sizeText(SizeChoice{size, chosen_.has_value(), {}}));
        Label1->adjustSize();
    }
    if (!size) {  // nothing selected, or no size fits: the groups stay hidden
        for (Pane* pane : pic) pane->clear();
        emit stateChanged();
        return;
    }

    if (!drawPanes(std::size_t(s), *size, framed)) {
        for (Pane* pane : pic) {
            pane->resize(19, 19);  // the start size: no huge hidden image to keep or clear
            pane->clear();
        }
        messages_->show(QMessageBox::Critical, tr("The %1x%2 picture cannot be drawn: it is too large for the "
                                                  "memory left or for the toolkit's images.")
                                                   .arg(size->width)
                                                   .arg(size->height));
        emit stateChanged();
        return;  // the groups stay hidden
    }

    lab[1]->move(lab[1]->x(), pic[0]->y() + pic[0]->height() + 10);
    img[1]->move(img[1]->x(), lab[1]->y() + 1);
    pic[1]->move(pic[1]->x(), pic[0]->y() - lab[0]->y() + lab[1]->y());

    for (std::size_t i = 0; i < 2; ++i) {
        pic[i]->show();
        lab[i]->show();
        img[i]->show();
    }
    emit stateChanged();
}

// Both panes at the picture's size, drawn straight into their images, which a
// redraw at the same size reuses; false if one cannot be drawn.
bool Form1::drawPanes(std::size_t s, PictureSize size, bool framed) {
    const int b = framed ? 1 : 0;
    const TransparentColour option = transparentColour();
    const std::string_view hex[2] = {pictures[s].oldHex, newHex(s)};
    for (std::size_t i = 0; i < 2; ++i) {
        pic[i]->resize(std::min(size.width, QWIDGETSIZE_MAX - 2 * b) + 2 * b,
                       std::min(size.height, QWIDGETSIZE_MAX - 2 * b) + 2 * b);
        if (!pic[i]->draw(hex[i], size, colours, option)) return false;
    }
    return true;
}

void Form1::chk_Click() { lst_Click(); }

void Form1::opt_Click(int) { lst_Click(); }

void Form1::img_Click(int Index) {
    cd->DefaultExt = QStringLiteral(".bmp");
    cd->Filter = QStringLiteral("*.bmp|*.bmp");
    cd->FileName = QString();
    if (!cd->ShowSave()) return;
    const QString error = saveImage(pic[std::size_t(Index)]->image(), cd->FileName);
    if (!error.isEmpty()) messages_->show(QMessageBox::Critical, error);
}

}  // namespace hexpane
