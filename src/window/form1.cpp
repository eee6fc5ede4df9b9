#include "window/form1.h"

#include <QCheckBox>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QTimer>

#include <algorithm>
#include <new>
#include <optional>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include "drawing/image_file.h"
#include "files/path_bytes.h"
#include "files/regular_file.h"
#include "window/pane.h"
#include "window/picture_list.h"
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

}  // namespace

Form1::Form1()
    : Form1(std::make_unique<QtCommonDialog>(this), std::make_unique<QtMessageBox>(this),
            QCoreApplication::applicationDirPath()) {}

Form1::Form1(std::unique_ptr<CommonDialog> dialog, std::unique_ptr<MessageBox> messages, const QString& programDir)
    : cd(std::move(dialog)), messages_(std::move(messages)), programDir_(programDir) {
    createControls();
    connectEvents();
    Form_Load();
}

Form1::~Form1() = default;

void Form1::createControls() {
    setWindowTitle(QStringLiteral("hexpane"));
    setWindowIcon(QIcon(QStringLiteral(":/hexpane.png")));
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
    for (QLabel* caption : lab) caption->adjustSize();  // captions size themselves to their text

    Frame1 = new QGroupBox(QStringLiteral("Прозрачный цвет"), this);
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
}

void Form1::Form_Load() {
    QStringList problems;
    tables = loadTables(tableFiles({}, {}, programDir_), problems);
    Label1->setText(QString());
    Label1->adjustSize();
    if (!problems.isEmpty()) {
        loadProblems_ = QStringLiteral(
                            "Some of the tables beside the program could not be read as they are; "
                            "hexpane goes on with what it read.\n\n") +
                        problems.join(u'\n');
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
    if (!loadProblems_.isEmpty()) messages_->show(QMessageBox::Warning, std::exchange(loadProblems_, QString()));
    const StartRequest start = std::exchange(start_, StartRequest());
    if (!start.problem.isEmpty()) messages_->show(QMessageBox::Warning, start.problem);
    if (start.patch) openPatch(*start.patch);
}

void Form1::dragEnterEvent(QDragEnterEvent* event) {
    if (!droppedPatch(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void Form1::dropEvent(QDropEvent* event) {
    const QString path = droppedPatch(event->mimeData());
    if (path.isEmpty()) return;
    event->acceptProposedAction();
    // Read once the drop is over, so that the program it came from is not kept waiting.
    QTimer::singleShot(0, this, [this, path] { openPatch(path); });
}

void Form1::cmdLoad_Click() {
    cd->DefaultExt = QStringLiteral(".vkp");
    cd->Filter = QStringLiteral("*.vkp|*.vkp");
    cd->FileName = QString();
    if (cd->ShowOpen()) openPatch(cd->FileName);
}

void Form1::openPatch(const QString& path) {
    // The whole file is read before anything changes, so a failed read leaves
    // the list and the panes as they were. The list reads its rows from
    // pictures, so replacing them refills it and cannot fail half way.
    QString error;
    Pictures read = readFile(path, readPictures, &error);
    if (error.isEmpty()) {
        try {
            const QSignalBlocker quiet(lst);  // refilling is no selection by the user
            lst->names()->beginChange();
            std::swap(pictures, read);
            lst->names()->endChange();
            release(read);
            return;
        } catch (const std::bad_alloc&) {
            error = QStringLiteral("There is not enough memory to list its pictures.");
        }
    }
    release(read);
    messages_->show(QMessageBox::Critical, QStringLiteral("Cannot read %1:\n%2").arg(shownPath(path), error));
}

int Form1::selectedIndex() const { return lst->selectedRow(); }

std::vector<SizeRecord> Form1::FindSizes() const { return sizesOf(pictures[std::size_t(selectedIndex())], tables); }

void Form1::lst_Click() {
    const bool framed = chk->isChecked();
    for (std::size_t i = 0; i < 2; ++i) {
        pic[i]->setFrame(framed);
        pic[i]->hide();
        lab[i]->hide();
        img[i]->hide();
    }

    const int s = selectedIndex();
    std::optional<PictureSize> size;
    if (s >= 0) {
        size = drawingSize(FindSizes());
        Label1->setText(sizeText(size));
        Label1->adjustSize();
    }
    if (!size) {  // nothing selected, or no size fits: the groups stay hidden
        for (Pane* pane : pic) pane->clear();
        return;
    }

    if (!drawPanes(pictures[std::size_t(s)], *size, framed)) {
        for (Pane* pane : pic) {
            pane->resize(19, 19);  // the start size: no huge hidden image to keep or clear
            pane->clear();
        }
        messages_->show(QMessageBox::Critical,
                        QStringLiteral("The %1x%2 picture cannot be drawn: it is too large for the memory left "
                                       "or for the toolkit's images.")
                            .arg(size->width)
                            .arg(size->height));
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
}

// Both panes at the picture's size, drawn straight into their images, which a
// redraw at the same size reuses; false if one cannot be drawn.
bool Form1::drawPanes(const PictureText& picture, PictureSize size, bool framed) {
    const int b = framed ? 1 : 0;
    const TransparentColour option = opt[0]->isChecked()   ? TransparentColour::Form
                                     : opt[1]->isChecked() ? TransparentColour::Phone
                                                           : TransparentColour::Standard;
    const std::string_view hex[2] = {picture.oldHex, picture.newHex};
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
