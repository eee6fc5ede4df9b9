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

    // false when the user cancels
    virtual bool ShowOpen() = 0;
    virtual bool ShowSave() = 0;
};

// Modal, one OK button, the caption "hexpane".
class MessageBox {
public:
    virtual ~MessageBox() = default;
    virtual void show(QMessageBox::Icon icon, const QString& text) = 0;
};

class QtCommonDialog final : public CommonDialog {
public:
    explicit QtCommonDialog(QWidget* parent) : parent_(parent) {}
    bool ShowOpen() override;
    bool ShowSave() override;

private:
    bool show(bool save);
    QWidget* parent_;
};

class QtMessageBox final : public MessageBox {
public:
    explicit QtMessageBox(QWidget* parent) : parent_(parent) {}
    void show(QMessageBox::Icon icon, const QString& text) override;

private:
    QWidget* parent_;
};

// "*.vkp|*.vkp" → "*.vkp (*.vkp)": the dialog filter in the toolkit's own form.
QStringList nameFilters(const QString& filter);

}  // namespace hexpane
