// The floor of any window with text, beside the bare yardstick: the same window with a menu bar
// and one Chinese label, so that the fonts, the text layout and the menu bar's set-up are paid.
#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("BareWindow"));
    window.menuBar()->addMenu(QStringLiteral("文件"));
    window.setCentralWidget(new QLabel(QStringLiteral("新闻 消息")));
    window.resize(800, 500);
    window.show();
    return application.exec();
}
