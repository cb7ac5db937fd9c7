// The cost of a long stroke, in the program and in the floor program, on the current X display:
// a stroke of 2,000 pointer moves made with XTest at one move a millisecond. Measured: the CPU
// time the process (all its threads) spends from the press to the last segment on the screen,
// and the wall time from the last move to that segment's pixels showing.
//   bench_stroke QUILLAN FLOOR RUNS
#include "BenchCommon.h"
#include "BenchX11.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QPoint>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <vector>

namespace {

using namespace bench;

constexpr int Moves = 2000;

unsigned long pixelAt(Display *dpy, int x, int y)
{
    XImage *image = XGetImage(dpy, DefaultRootWindow(dpy), x, y, 1, 1, AllPlanes, ZPixmap);
    if (!image)
        return 0;
    const unsigned long pixel = XGetPixel(image, 0, 0) & 0xFFFFFF;
    XDestroyImage(image);
    return pixel;
}

struct Run
{
    double cpuMs = 0;
    double latencyMs = 0;
    bool seen = false;
};

Run runOnce(Display *dpy, const QString &program, bool isFloor)
{
    const bench::ProgramCopy copy(program);
    QProcess process;
    process.setWorkingDirectory(copy.folder());
    process.start(copy.path(), {});
    process.waitForStarted();
    const long long start = nowNs();
    while (!fullScreenWindowMapped(dpy) && nowNs() - start < 20'000'000'000LL)
        QThread::msleep(5);
    QThread::msleep(800);

    const int width = DisplayWidth(dpy, DefaultScreen(dpy));
    const int height = DisplayHeight(dpy, DefaultScreen(dpy));
    if (!isFloor) {
        // "Draw Lines": the fourth enabled item of the command menu.
        XTestFakeMotionEvent(dpy, -1, width - 300, height - 300, 0);
        XTestFakeButtonEvent(dpy, 3, True, 0);
        XTestFakeButtonEvent(dpy, 3, False, 0);
        XSync(dpy, False);
        QThread::msleep(400);
        for (int i = 0; i < 4; ++i)
            key(dpy, XK_Down);
        key(dpy, XK_Return);
        QThread::msleep(300);
    }

    const std::vector<QPoint> path
        = bench::spiralStroke(width / 2.0, height / 2.0, Moves, /*jumpOut=*/true);
    // Only the last segment paints where the stroke ends, so its pixels there mark its arrival.
    const QPoint end = path.back();
    const bool endWasClear = pixelAt(dpy, end.x(), end.y()) != 0x0000FF;
    XTestFakeMotionEvent(dpy, -1, path[0].x(), path[0].y(), 0);
    XSync(dpy, False);
    QThread::msleep(50);
    const long long cpuBefore = cpuNs(process.processId());
    XTestFakeButtonEvent(dpy, 1, True, 0);
    XSync(dpy, False);
    long long nextMove = nowNs();
    for (std::size_t i = 1; i < path.size(); ++i) {
        nextMove += 1'000'000;
        while (nowNs() < nextMove)
            QThread::usleep(100);
        XTestFakeMotionEvent(dpy, -1, path[i].x(), path[i].y(), 0);
        XFlush(dpy);
    }
    XSync(dpy, False);
    const long long lastMove = nowNs();
    Run run;
    while (endWasClear && nowNs() - lastMove < 5'000'000'000LL) {
        if (pixelAt(dpy, end.x(), end.y()) == 0x0000FF) {
            run.seen = true;
            break;
        }
    }
    run.latencyMs = double(nowNs() - lastMove) / 1e6;
    QThread::msleep(100);
    run.cpuMs = double(cpuNs(process.processId()) - cpuBefore) / 1e6;
    XTestFakeButtonEvent(dpy, 1, False, 0);
    XSync(dpy, False);
    stopProgram(process);
    return run;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 4) {
        std::fprintf(stderr, "usage: bench_stroke QUILLAN FLOOR RUNS\n");
        return 2;
    }
    Display *dpy = openDisplayOrExit("bench_stroke");
    const int runs = std::max(1, atoi(argv[3]));
    std::vector<double> cpu[2], latency[2];
    int unseen = 0;
    for (int i = 0; i < runs; ++i) {
        // Alternate, so a slow moment of the machine falls on both alike.
        for (int which = 0; which < 2; ++which) {
            const Run r = runOnce(dpy, QString::fromLocal8Bit(argv[1 + which]), which == 1);
            unseen += r.seen ? 0 : 1;
            cpu[which].push_back(r.cpuMs);
            latency[which].push_back(r.latencyMs);
        }
    }
    const double c0 = median(cpu[0]), c1 = median(cpu[1]);
    std::printf("| %d x %d | %.0f ms | %.0f ms | %.2f | %.1f ms | %.1f ms |%s\n",
                DisplayWidth(dpy, 0), DisplayHeight(dpy, 0), c0, c1, c1 > 0 ? c0 / c1 : 0,
                median(latency[0]), median(latency[1]),
                unseen ? " (the last segment was not seen in some runs)" : "");
    XCloseDisplay(dpy);
    return unseen ? 1 : 0;
}
