#include "window/toolkit.h"

#include <QFileDialog>
#include <QSettings>

namespace hexpane {

namespace {

// Qt's file dialog keeps its history, last folder and view in a settings file
// under the user's config folder. hexpane keeps no settings, so settings are
// pointed below /dev/null, where no file can ever be made.
void keepNoSettings() {
    static const bool once = [] {
        for (const auto format : {QSettings::NativeFormat, QSettings::IniFormat}) {
            QSettings::setPath(format, QSettings::UserScope, QStringLiteral("/dev/null"));
        }
        return true;
    }();
    (void)once;
}

}  // namespace

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
    keepNoSettings();
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
