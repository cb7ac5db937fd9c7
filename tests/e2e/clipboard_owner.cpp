// Holds a text on the X clipboard, as a text editor holding a copy would, until it is ended:
//   clipboard_owner FILE
// prints "ready" once the clipboard is its own. The end-to-end tests paste from it.
#include <QClipboard>
#include <QFile>
#include <QGuiApplication>

#include <cstdio>

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "xcb");
    QGuiApplication application(argc, argv);
    if (argc != 2)
        return 2;
    QFile file(QString::fromLocal8Bit(argv[1]));
    if (!file.open(QIODevice::ReadOnly))
        return 1;
    QGuiApplication::clipboard()->setText(QString::fromUtf8(file.readAll()));
    std::printf("ready\n");
    std::fflush(stdout);
    return QGuiApplication::exec();
}
