#include <QApplication>
#include <QSettings>

#include "files/process.h"
#include "window/form1.h"
#include "window/translation.h"

int main(int argc, char** argv) {
    hexpane::setUpProcess();
    // Qt's file dialog keeps its history, last folder and view in a settings file
    // under the user's config folder. hexpane keeps no settings, so settings are
    // pointed below /dev/null, where no file can ever be made.
    for (const auto format : {QSettings::NativeFormat, QSettings::IniFormat}) {
        QSettings::setPath(format, QSettings::UserScope, QStringLiteral("/dev/null"));
    }

    // Every argument is hexpane's: the toolkit is given none to take for its own options.
    const hexpane::StartRequest request = hexpane::takeCommandLine(argc, argv);
    QApplication app(argc, argv);
    hexpane::installTranslation(QLocale::system());
    hexpane::Form1 form;
    form.startWith(request);
    form.show();
    return app.exec();
}
