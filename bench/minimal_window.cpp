// The start-up baseline for bench/startup.sh: the least a Qt Widgets program
// does before its window maps.
#include <QApplication>
#include <QWidget>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("baseline"));
    window.resize(193, 379);
    window.show();
    return app.exec();
}
