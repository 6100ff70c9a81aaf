// The yardstick of the start-up benchmark: a bare Qt main window of the same size, started the
// same way as wendar (one QApplication, no OpenGL), with nothing in it.
#include <QApplication>
#include <QMainWindow>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("BareWindow"));
    window.resize(800, 500);
    window.show();
    return application.exec();
}
