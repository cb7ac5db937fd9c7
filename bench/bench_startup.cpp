// Start-up and memory of the program beside the floor program, on the current X display:
// process start to the overlay mapped and painted, and the peak resident memory (VmHWM).
//   bench_startup QUILLAN FLOOR RUNS
// The program's paint is seen when its default text "Hello!" shows in its colour; the floor
// reports its own first paint.
#include "BenchCommon.h"
#include "BenchX11.h"

#include <QByteArray>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

namespace {

using namespace bench;

// The default text's colour (255, 0, 80) somewhere in the text block's area.
bool textPainted(Display *dpy)
{
    XImage *image = XGetImage(dpy, DefaultRootWindow(dpy), 200, 200, 200, 60, AllPlanes, ZPixmap);
    if (!image)
        return false;
    bool found = false;
    for (int y = 0; y < 60 && !found; y += 2)
        for (int x = 0; x < 200 && !found; ++x)
            found = (XGetPixel(image, x, y) & 0xFFFFFF) == 0xFF0050;
    XDestroyImage(image);
    return found;
}

struct Run
{
    double mappedMs = 0;
    double paintedMs = 0;
    long hwmKb = 0;
};

Run runOnce(Display *dpy, const QString &program, bool isFloor)
{
    const bench::ProgramCopy copy(program);
    QProcess process;
    process.setWorkingDirectory(copy.folder());
    Run run;
    const long long start = nowNs();
    process.start(copy.path(), {});
    process.waitForStarted();
    long long mapped = 0, painted = 0;
    while (nowNs() - start < 20'000'000'000LL && (!mapped || !painted)) {
        if (!mapped && fullScreenWindowMapped(dpy))
            mapped = nowNs();
        if (!painted) {
            if (isFloor) {
                process.waitForReadyRead(1);
                const QByteArray out = process.readAll();
                const int at = out.indexOf("painted ");
                if (at >= 0)
                    painted = out.mid(at + 8).trimmed().toLongLong();
            } else if (mapped && textPainted(dpy)) {
                painted = nowNs();
            }
        }
        QThread::usleep(500);
    }
    QThread::msleep(300);
    run.hwmKb = vmHwmKb(process.processId());
    run.mappedMs = double(mapped - start) / 1e6;
    run.paintedMs = double(std::max(painted, mapped) - start) / 1e6;
    stopProgram(process);
    return run;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 4) {
        std::fprintf(stderr, "usage: bench_startup QUILLAN FLOOR RUNS\n");
        return 2;
    }
    Display *dpy = openDisplayOrExit("bench_startup");
    const int runs = std::max(1, atoi(argv[3]));
    std::vector<double> paint[2], hwm[2];
    for (int i = 0; i < runs; ++i) {
        // Alternate, so a slow moment of the machine falls on both alike.
        for (int which = 0; which < 2; ++which) {
            const Run r = runOnce(dpy, QString::fromLocal8Bit(argv[1 + which]), which == 1);
            paint[which].push_back(r.paintedMs);
            hwm[which].push_back(double(r.hwmKb) / 1024.0);
        }
    }
    const double p0 = median(paint[0]), p1 = median(paint[1]);
    const double m0 = median(hwm[0]), m1 = median(hwm[1]);
    std::printf("%dx%d start-up median %.1f ms (floor %.1f ms, ratio %.2f); "
                "peak memory %.1f MB (floor %.1f MB, +%.1f MB)\n",
                DisplayWidth(dpy, 0), DisplayHeight(dpy, 0), p0, p1, p1 > 0 ? p0 / p1 : 0, m0, m1,
                m0 - m1);
    XCloseDisplay(dpy);
    return 0;
}
