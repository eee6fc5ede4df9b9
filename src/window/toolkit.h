// What the window asks of the desktop beyond its own controls: the common file
// dialog and the message box. Tests answer both through their own implementations.
#pragma once

#include <QMessageBox>
#include <QString>

class QWidget;

namespace hexpane {

// The file dialog in the form the handlers use it: set the three properties,
// then ShowOpen or ShowSave; FileName then holds the full path chosen.
class CommonDialog {
public:
    virtual ~CommonDialog() = default;

    QString DefaultExt;  // ".vkp": added to a name typed without an extension
    QString Filter;      // "description|pattern", pairs separated by '|'
    QString FileName;    // the name the dialog opens with; the path chosen

    // false when the user cancels. ShowSave returns a name that exists only
    // once the user has agreed to replace it.
    virtual bool ShowOpen() = 0;
    virtual bool ShowSave() = 0;
    // A folder, which FileName then names; Filter and DefaultExt play no part.
    virtual bool ShowFolder() = 0;
};

// Modal, the caption "hexpane".
class MessageBox {
public:
    virtual ~MessageBox() = default;
    // One OK button.
    virtual void show(QMessageBox::Icon icon, const QString& text) = 0;
    // A button for each answer, the first the default, the last what Esc and
    // the close box answer; the index of the answer given.
    virtual int ask(QMessageBox::Icon icon, const QString& text, const QStringList& answers) = 0;
};

class QtCommonDialog final : public CommonDialog {
public:
    explicit QtCommonDialog(QWidget* parent) : parent_(parent) {}
    bool ShowOpen() override;
    bool ShowSave() override;
    bool ShowFolder() override;

private:
    bool show(bool save);
    QWidget* parent_;
};

class QtMessageBox final : public MessageBox {
public:
    explicit QtMessageBox(QWidget* parent) : parent_(parent) {}
    void show(QMessageBox::Icon icon, const QString& text) override;
    int ask(QMessageBox::Icon icon, const QString& text, const QStringList& answers) override;

private:
    QWidget* parent_;
};

// "*.vkp|*.vkp" → "*.vkp (*.vkp)": the dialog filter in the toolkit's own form.
QStringList nameFilters(const QString& filter);

}  // namespace hexpane
