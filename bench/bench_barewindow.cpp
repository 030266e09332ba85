// The bare twin of Evlora's start-up: a Qt Widgets program and nothing else,
// showing one frameless 640x480 window with the main window's background
// picture, as the program's own main window is. bench_engine starts it and
// the program in turns and times each to its window on the X server.
#include <QApplication>
#include <QLabel>
#include <QPixmap>
#include <QWidget>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QWidget window(nullptr, Qt::Window | Qt::FramelessWindowHint);
    window.setWindowTitle(QStringLiteral("bench_barewindow"));
    window.setFixedSize(640, 480);
    auto* picture = new QLabel(&window);
    picture->setGeometry(0, 0, 640, 480);
    picture->setScaledContents(true);
    picture->setPixmap(QPixmap(QStringLiteral(":/art/bg_main_window.jpg")));
    window.show();
    return app.exec();
}
