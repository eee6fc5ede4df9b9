// The one window: its controls, its three tables, and the handlers the
// controls' events run.
#pragma once

#include <QWidget>

#include <array>
#include <memory>
#include <vector>

#include "drawing/drawing.h"
#include "patch/pictures.h"
#include "window/patch_sources.h"
#include "window/toolkit.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;

namespace hexpane {

class Pane;
class PictureList;
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

    void Form_Load();
    void cmdLoad_Click();
    void lst_Click();
    void chk_Click();
    void opt_Click(int Index);
    void img_Click(int Index);

    // Reads the patch at path into pictures and the list, as the open button
    // does with the file chosen, or says why it cannot.
    void openPatch(const QString& path);
    // What the command line asked for, done once the window is on screen:
    // the patch opened, or the mistake reported.
    void startWith(const StartRequest& request);

protected:
    void showEvent(QShowEvent* event) override;
    // A .vkp file dropped onto the window is opened.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void createControls();
    void connectEvents();
    void afterShown();
    std::vector<SizeRecord> FindSizes() const;
    int selectedIndex() const;
    bool drawPanes(const PictureText& picture, PictureSize size, bool framed);

    std::unique_ptr<MessageBox> messages_;
    QString programDir_;
    // Told once the window is on screen, so that a message has it behind.
    QString loadProblems_;
    StartRequest start_;
    bool shown_ = false;
};

}  // namespace hexpane
