// The start-up floor: the least a program must do to freeze the screen — read the desktop, show
// it in one frameless full-screen window. It prints when it has painted, for the driver's clock.
#include "FrozenWindow.h"

#include <QApplication>
#include <QScreen>

#include <cstdio>
#include <ctime>

int main(int argc, char **argv)
{
    QApplication application(argc, argv);
    QScreen *screen = QGuiApplication::primaryScreen();
    // The raster pixmap's image is shared, not copied.
    FrozenWindow window(screen->grabWindow(0).toImage(), [] {
        timespec now {};
        clock_gettime(CLOCK_MONOTONIC, &now);
        std::printf("painted %lld\n", (long long)now.tv_sec * 1000000000LL + now.tv_nsec);
        std::fflush(stdout);
    });
    window.setGeometry(screen->geometry());
    window.show();
    return QApplication::exec();
}
