#include "window/toolkit.h"

#include <QFileDialog>
#include <QPushButton>

namespace hexpane {

QStringList nameFilters(const QString& filter) {
    const QStringList parts = filter.split(u'|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1];
        filters << QStringLiteral("%1 (%2)").arg(parts[i], patterns.replace(u';', u' '));
    }
    return filters;
}

bool QtCommonDialog::ShowOpen() { return show(false); }
bool QtCommonDialog::ShowSave() { return show(true); }

bool QtCommonDialog::ShowFolder() {
    QFileDialog dialog(parent_);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    if (!FileName.isEmpty()) dialog.setDirectory(FileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
    FileName = dialog.selectedFiles().constFirst();
    return true;
}

bool QtCommonDialog::show(bool save) {
    QFileDialog dialog(parent_);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setNameFilters(nameFilters(Filter));
    dialog.setDefaultSuffix(DefaultExt.startsWith(u'.') ? DefaultExt.mid(1) : DefaultExt);
    if (!FileName.isEmpty()) dialog.selectFile(FileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
    FileName = dialog.selectedFiles().constFirst();
    return true;
}

void QtMessageBox::show(QMessageBox::Icon icon, const QString& text) {
    QMessageBox box(icon, QStringLiteral("hexpane"), text, QMessageBox::Ok, parent_);
    box.exec();
}

}  // namespace hexpane

namespace hexpane {

int QtMessageBox::ask(QMessageBox::Icon icon, const QString& text, const QStringList& answers) {
    QMessageBox box(icon, QStringLiteral("hexpane"), text, QMessageBox::NoButton, parent_);
    QList<QAbstractButton*> buttons;
    for (qsizetype i = 0; i < answers.size(); ++i) {
        const QMessageBox::ButtonRole role = i == 0                    ? QMessageBox::AcceptRole
                                             : i + 1 == answers.size() ? QMessageBox::RejectRole
                                                                       : QMessageBox::DestructiveRole;
        buttons << box.addButton(answers[i], role);
    }
    if (!buttons.isEmpty()) {
        box.setDefaultButton(qobject_cast<QPushButton*>(buttons.constFirst()));
        box.setEscapeButton(buttons.constLast());
    }
    box.exec();
    const auto answer = buttons.indexOf(box.clickedButton());
    return answer >= 0 ? int(answer) : int(answers.size()) - 1;
}

}  // namespace hexpane
