#include "window/picture_menu.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QTimer>

#include <algorithm>

#include "picture/size_guess.h"
#include "window/form1.h"
#include "window/pane.h"
#include "window/picture_actions.h"
#include "window/picture_list.h"

namespace hexpane {

namespace {

// The guesser's best, which is as far as anyone looks.
constexpr std::size_t kGuessesShown = 12;

QString sizeEntry(PictureSize size) { return QStringLiteral("%1 × %2").arg(size.width).arg(size.height); }

bool sameSize(PictureSize a, PictureSize b) { return a.width == b.width && a.height == b.height; }

}  // namespace

PictureMenu::PictureMenu(Form1& form) : QObject(&form), form_(form) {
    PictureActions* actions = form.actions();
    sizeMenu = new QMenu(tr("Guessed sizes"), &form);
    connect(sizeMenu, &QMenu::aboutToShow, this, [this] { fillSizes(sizeMenu); });
    replace = new QAction(tr("Replace picture from image…"), this);
    connect(replace, &QAction::triggered, actions, &PictureActions::replaceFromImage);
    undo = new QAction(tr("Undo replacement"), this);
    connect(undo, &QAction::triggered, actions, &PictureActions::undoReplacement);
    save = new QAction(tr("Save patch as…"), this);
    save->setShortcut(QKeySequence::Save);
    connect(save, &QAction::triggered, actions, [actions] { actions->savePatchAs(); });
    exportAll = new QAction(tr("Export all pictures…"), this);
    connect(exportAll, &QAction::triggered, actions, &PictureActions::exportAll);
    copy = new QAction(tr("Copy picture"), this);
    copy->setShortcut(QKeySequence::Copy);
    connect(copy, &QAction::triggered, actions,
            [this, actions] { actions->copyPicture(std::exchange(copiedPane_, 1)); });
    // The shortcuts work wherever the focus is in the window.
    for (QAction* action : {save, copy}) {
        action->setShortcutContext(Qt::WindowShortcut);
        form.addAction(action);
    }
    connect(&form, &Form1::stateChanged, this, &PictureMenu::refresh);
    refresh();

    menu = new QMenu(&form);
    menu->addMenu(sizeMenu);
    menu->addSeparator();
    menu->addAction(replace);
    menu->addAction(undo);
    menu->addSeparator();
    menu->addAction(save);
    menu->addAction(exportAll);
    menu->addSeparator();
    menu->addAction(copy);
    // The entry chosen is taken before the menu hides; closed without one,
    // Copy takes the new pane again.
    connect(menu, &QMenu::aboutToHide, this, [this] { QTimer::singleShot(0, this, [this] { copiedPane_ = 1; }); });

    for (QObject* target : {static_cast<QObject*>(form.lst), static_cast<QObject*>(form.lst->viewport()),
                            static_cast<QObject*>(form.pic[0]), static_cast<QObject*>(form.pic[1])})
        target->installEventFilter(this);
}

void PictureMenu::refresh() {
    const PictureActions& actions = *form_.actions();
    sizeMenu->menuAction()->setEnabled(form_.selectedIndex() >= 0);
    replace->setEnabled(actions.canReplace());
    undo->setEnabled(actions.canUndo());
    save->setEnabled(actions.canSave());
    exportAll->setEnabled(actions.canExport());
    copy->setEnabled(actions.canCopy());
}

QMenu* PictureMenu::popup(QPoint global, int pane) {
    refresh();
    copiedPane_ = pane;
    menu->popup(global);
    return menu;
}

// The guesser's sizes best first, then the size table's records of the
// picture's pixel count, the one drawn now checked.
void PictureMenu::fillSizes(QMenu* sizes) {
    sizes->clear();
    const int s = form_.selectedIndex();
    if (s < 0) return;
    const auto row = std::size_t(s);
    const std::optional<PictureSize> drawn = form_.drawnSize();
    const auto add = [&](PictureSize size) {
        QAction* entry = sizes->addAction(sizeEntry(size));
        entry->setCheckable(true);
        entry->setChecked(drawn && sameSize(*drawn, size));
        connect(entry, &QAction::triggered, &form_, [this, size] { form_.chooseSize(size); });
    };
    const std::vector<SizeGuess> guesses =
        guessSizes(form_.newHex(row), form_.pictures[row].oldHex, form_.tables.colours);
    for (std::size_t i = 0; i < std::min(guesses.size(), kGuessesShown); ++i) add(guesses[i].size);
    bool tableTitled = false;
    for (const SizeRecord& record : sizesOf(form_.pictures[row], form_.tables)) {
        const std::optional<PictureSize> size = drawingSize(record);
        if (!size) continue;
        if (!std::exchange(tableTitled, true)) sizes->addSection(tr("In the size table"));
        add(*size);
    }
    if (sizes->isEmpty()) sizes->addAction(tr("No size has this pixel count"))->setEnabled(false);
}

QPoint PictureMenu::selectedRowCorner() const {
    PictureList* list = form_.lst;
    const int row = list->selectedRow();
    const QRect item = row >= 0 ? list->visualRect(list->model()->index(row, 0)) : QRect();
    const QPoint at = item.isValid() && list->viewport()->rect().intersects(item) ? item.bottomLeft() : QPoint(0, 0);
    return list->viewport()->mapToGlobal(at);
}

bool PictureMenu::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::ContextMenu) {
        const auto* asked = static_cast<QContextMenuEvent*>(event);
        for (int i = 0; i < 2; ++i) {
            if (watched == form_.pic[std::size_t(i)]) {
                popup(asked->globalPos(), i);
                return true;
            }
        }
        popup(asked->reason() == QContextMenuEvent::Mouse ? asked->globalPos() : selectedRowCorner());
        return true;
    }
    if (event->type() == QEvent::KeyPress && watched == form_.lst) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_F10 && key->modifiers() == Qt::ShiftModifier) {
            popup(selectedRowCorner());
            return true;
        }
    }
    return false;
}

}  // namespace hexpane
