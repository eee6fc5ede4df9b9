#include <QApplication>
#include <QSettings>

#include <csignal>

#include "files/saved_file.h"
#include "window/form1.h"

int main(int argc, char** argv) {
    // A save past a file-size limit must fail and be reported, not end the program.
    std::signal(SIGXFSZ, SIG_IGN);
    // Stopped by a signal, the program leaves no part of a file it was saving.
    hexpane::finishSavesOnSignals();
    // Qt's file dialog keeps its history, last folder and view in a settings file
    // under the user's config folder. hexpane keeps no settings, so settings are
    // pointed below /dev/null, where no file can ever be made.
    for (const auto format : {QSettings::NativeFormat, QSettings::IniFormat}) {
        QSettings::setPath(format, QSettings::UserScope, QStringLiteral("/dev/null"));
    }

    QApplication app(argc, argv);  // takes the toolkit's own options out of argv
    hexpane::Form1 form;
    form.startWith(hexpane::readCommandLine(argc, argv));
    form.show();
    return app.exec();
}
