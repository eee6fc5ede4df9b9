// The one window: its controls, its three tables, and the handlers the
// controls' events run.
#pragma once

#include <QWidget>

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "drawing/drawing.h"
#include "files/file_digest.h"
#include "patch/pictures.h"
#include "window/patch_sources.h"
#include "window/replacements.h"
#include "window/toolkit.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;

namespace hexpane {

class LongWork;
class Pane;
class PictureActions;
class PictureList;
class PictureMenu;
class SaveIcon;

class Form1 final : public QWidget {
    Q_OBJECT
public:
    // The Qt dialog and message box, tables beside the program.
    Form1();
    // Tables are read from programDir.
    Form1(std::unique_ptr<CommonDialog> dialog, std::unique_ptr<MessageBox> messages, const QString& programDir);
    ~Form1() override;

    // Controls, in the tab order.
    PictureList* lst;
    QPushButton* cmdLoad;
    std::array<Pane*, 2> pic;
    QLabel* Label1;
    QCheckBox* chk;
    std::array<QLabel*, 2> lab;
    QGroupBox* Frame1;
    std::array<QRadioButton*, 3> opt;
    std::array<SaveIcon*, 2> img;
    std::unique_ptr<CommonDialog> cd;

    // State: the tables, read once at start-up, and pictures[i], item i of lst.
    Tables tables;
    const ColourTable& colours = tables.colours;
    const std::vector<SizeRecord>& sizes = tables.sizes;
    Pictures pictures;
    // The pictures replaced from images, over the texts read.
    Replacements replacements;
    // The patch pictures was read from; empty before the first open.
    QString patchPath;
    FileDigest patchDigest;  // what it held when it was read

    void Form_Load();
    void cmdLoad_Click();
    void lst_Click();
    void chk_Click();
    void opt_Click(int Index);
    void img_Click(int Index);

    // Reads the patch at path into pictures and the list, as the open button
    // does with the file chosen, or says why it cannot. The read goes on in
    // the background: the list and pictures change once it is complete, and
    // not at all when it is cancelled or fails. Unsaved replacements are asked
    // about first. With a row, that picture is selected once it is read.
    void openPatch(const QString& path, int select = -1);
    // Whether a long job (an open, an export) is under way.
    bool busy() const;
    LongWork* work() const { return work_; }
    // Called on the working thread before each chunk of a patch is read and
    // each picture exported: tests slow the work down with it.
    std::function<void()> beforeStep;

    // The selected picture drawn at size, until another is selected; shown in
    // the size label with a mark that it was chosen.
    void chooseSize(PictureSize size);
    // The size the selected picture is drawn at: the one chosen, or else the
    // table's first; none when it has neither or nothing is selected.
    std::optional<PictureSize> drawnSize() const;
    bool sizeChosen() const { return chosen_.has_value(); }
    int selectedIndex() const;
    // Picture i's new text as it now stands, replaced or as read.
    std::string_view newHex(std::size_t i) const;
    TransparentColour transparentColour() const;
    MessageBox& messages() const { return *messages_; }
    PictureActions* actions() const { return actions_; }
    PictureMenu* menu() const { return menu_; }
    // What the command line asked for, done once the window is on screen:
    // the patch opened, or the mistake reported.
    void startWith(const StartRequest& request);

signals:
    // The selection, the pictures, their replacements or the work under way
    // changed: what the menu offers may have too.
    void stateChanged();

protected:
    void showEvent(QShowEvent* event) override;
    // Unsaved replacements are asked about first.
    void closeEvent(QCloseEvent* event) override;
    // A .vkp file dropped onto the window is opened; a .bmp or .png dropped
    // onto the new pane replaces the picture.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void createControls();
    void connectEvents();
    void afterShown();
    std::vector<SizeRecord> FindSizes() const;
    bool drawPanes(std::size_t s, PictureSize size, bool framed);
    void takePictures(Pictures& read, const FileDigest& digest, const QString& path, int select);

    std::unique_ptr<MessageBox> messages_;
    QString programDir_;
    // Told once the window is on screen, so that a message has it behind.
    QString loadProblems_;
    StartRequest start_;
    bool shown_ = false;
    LongWork* work_;
    PictureActions* actions_;
    PictureMenu* menu_;
    struct Chosen {
        int row;
        PictureSize size;
    };
    std::optional<Chosen> chosen_;
};

}  // namespace hexpane
