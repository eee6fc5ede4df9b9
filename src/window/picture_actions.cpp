#include "window/picture_actions.h"

#include <QClipboard>
#include <QGuiApplication>

#include "files/path_bytes.h"
#include "window/form1.h"
#include "window/pane.h"
#include "window/picture_list.h"

namespace hexpane {

PictureActions::PictureActions(Form1& form) : QObject(&form), form_(form) {}

bool PictureActions::canCopy() const { return form_.pic[1]->isVisible(); }

bool PictureActions::canReplace() const { return form_.selectedIndex() >= 0 && !form_.busy(); }

bool PictureActions::canUndo() const {
    return canReplace() && form_.replacements.replaced(std::size_t(form_.selectedIndex()));
}

bool PictureActions::canSave() const { return !form_.patchPath.isEmpty() && !form_.busy(); }

bool PictureActions::canExport() const { return !form_.pictures.empty() && !form_.busy(); }

void PictureActions::copyPicture(int pane) {
    if (!canCopy()) return;
    QGuiApplication::clipboard()->setImage(form_.pic[std::size_t(pane)]->image());
}

void PictureActions::undoReplacement() {
    if (!canUndo()) return;
    const int row = form_.selectedIndex();
    form_.replacements.undo(std::size_t(row));
    replaced(row);
}

// The list marks the picture, and it is drawn anew.
void PictureActions::replaced(int row) {
    form_.lst->names()->rowChanged(row);
    form_.lst_Click();
}

bool PictureActions::askToSave(const std::function<void()>& then) {
    if (!form_.replacements.unsaved() || !form_.replacements.any()) return true;
    const QStringList answers = {tr("Save"), tr("Discard"), tr("Cancel")};
    const int answer =
        form_.messages().ask(QMessageBox::Warning,
                             tr("The pictures replaced in %1 are not saved. Save the patch with them first?")
                                 .arg(shownPath(form_.patchPath)),
                             answers);
    if (answer == 1) return true;
    if (answer == 0) savePatchAs(then);
    return false;
}

// TODO-MERGE: the importer's and the exporter's rules, once shared.
void PictureActions::replaceFromImage() {}
void PictureActions::replaceFrom(const QString&) {}
void PictureActions::savePatchAs(const std::function<void()>&) {}
void PictureActions::exportAll() {}

}  // namespace hexpane
