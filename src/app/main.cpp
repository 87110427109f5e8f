#include <QApplication>
#include <QMainWindow>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("qvlrx卷轴匣(博客备份工具)"));
    window.resize(600, 420);
    window.show();
    return app.exec();
}
