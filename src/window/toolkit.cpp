#include "window/toolkit.h"

#include <QFileDialog>

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
