// A window to drag a file from, for the tests in a real X server: a press
// anywhere in it starts dragging the file named on its command line, as a
// file manager would, and the test's pointer carries it to hexpane.
//   drag_source FILE   (the window is titled "drag source", 100 × 100 at 0, 0)
#include <QApplication>
#include <QDrag>
#include <QMimeData>
#include <QMouseEvent>
#include <QUrl>
#include <QWidget>

namespace {

class Source final : public QWidget {
public:
    explicit Source(QString file) : file_(std::move(file)) {
        setWindowTitle(QStringLiteral("drag source"));
        setGeometry(0, 0, 100, 100);
    }

protected:
    void mousePressEvent(QMouseEvent*) override {
        auto* drag = new QDrag(this);
        auto* carried = new QMimeData;
        carried->setUrls({QUrl::fromLocalFile(file_)});
        drag->setMimeData(carried);
        drag->exec(Qt::CopyAction);
    }

private:
    QString file_;
};

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 2) return 2;
    Source source(QString::fromLocal8Bit(argv[1]));
    source.show();
    return app.exec();
}
