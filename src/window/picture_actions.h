// What the context menu's entries do, with the dialogs and questions they
// ask: a picture replaced from an image (or an image dropped onto the new
// pane) and the replacement undone, the patch saved with every replacement,
// every picture exported, a pane copied; and the question before unsaved
// replacements would be lost.
#pragma once

#include <QObject>
#include <QString>

#include <cstddef>
#include <functional>
#include <optional>

#include "drawing/image_input.h"
#include "files/saved_file.h"
#include "picture/render.h"
#include "tables/size_table.h"

namespace hexpane {

class Form1;
struct Exported;
struct Saving;

class PictureActions final : public QObject {
    Q_OBJECT
public:
    explicit PictureActions(Form1& form);

    // Whether each applies now.
    bool canCopy() const;     // a drawing is shown
    bool canReplace() const;  // a picture is selected, and no open or export is under way
    bool canUndo() const;     // the one selected was replaced
    bool canSave() const;     // a patch is open
    bool canExport() const;   // it has pictures

    // The pane's drawing, W × H, to the clipboard as an image.
    void copyPicture(int pane);
    // Asks for an image, then replaceFrom().
    void replaceFromImage();
    // The selected picture's new text from the image at path, by the
    // importer's rules; why it cannot be is told.
    void replaceFrom(const QString& path);
    void undoReplacement();
    // Asks for a name and writes the patch with every replacement, as
    // hexpane-import writes it. then runs once it is written.
    void savePatchAs(const std::function<void()>& then = {});
    // Asks for a folder and writes every picture into it as hexpane-export does.
    void exportAll();

    // Before unsaved replacements would be lost: true when the caller may go
    // on now (none, or the user discards them); otherwise false, and then,
    // if the user chose to save, runs once they are saved.
    bool askToSave(const std::function<void()>& then);

private:
    void replaced(int row);
    ImageShape imageShape() const;
    std::size_t filesThere(const QString& folder) const;
    void exportPicture(std::size_t i, const QString& folder, TransparentColour option, Existing existing,
                       Exported& exported) const;
    void tellExported(Exported& exported, const QString& folder, bool cancelled);
    static QString listed(const QStringList& items, std::size_t count);

    Form1& form_;
};

}  // namespace hexpane
