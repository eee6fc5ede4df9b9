// The window's context menu, on the selected picture: guessed sizes, a
// picture replaced from an image and the replacement undone, the patch saved,
// every picture exported, a pane copied. It pops up on a right click on a
// name or on a pane, and on the Menu key or Shift+F10 in the list; its
// entries are greyed where they cannot apply. Ctrl+S and Ctrl+C work from
// anywhere in the window.
#pragma once

#include <QObject>
#include <QPoint>

class QAction;
class QMenu;

namespace hexpane {

class Form1;

class PictureMenu final : public QObject {
    Q_OBJECT
public:
    explicit PictureMenu(Form1& form);

    // Pops the menu up at global; Copy picture takes pane's drawing.
    QMenu* popup(QPoint global, int pane = 1);

    QMenu* menu;      // the menu itself
    QMenu* sizeMenu;  // the sizes to draw the selected picture at
    QAction* replace;
    QAction* undo;
    QAction* save;
    QAction* exportAll;
    QAction* copy;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void refresh();
    void fillSizes(QMenu* sizes);
    QPoint selectedRowCorner() const;

    Form1& form_;
    int copiedPane_ = 1;
};

}  // namespace hexpane
