// The cost of dragging the text block, per pointer move: a 72-point block of eight lines beside
// one of a single line, in the same program, on the current X display. The pointer presses on the
// text and moves MOVES times, 5 pixels a move, one move every INTERVAL_MS, right and back.
// Measured per move: the CPU the program spends (all its threads, from the first move until it has
// been quiet for 200 ms), and the area it paints on the screen (the sum of the server's damage
// rectangles over the same stretch, so a pixel painted twice counts twice; the damage that comes
// while the pointer rests between two moves is the first move's, which gives the median move and
// tells a repaint of the whole screen apart from the moves' own).
//   bench_text_drag QUILLAN MOVES INTERVAL_MS RUNS
#include "BenchCommon.h"
#include "BenchScreen.h"
#include "BenchX11.h"

#include <QProcess>
#include <QThread>

#include <X11/extensions/XTest.h>

#include <cstdio>
#include <functional>

namespace {

using namespace bench;

constexpr int TextX = 200, TextY = 200;

struct Run
{
    double cpuUs = 0; // per move
    double paintedPx = 0; // per move
    double medianPx = 0; // the median move's
    double pressPx = 0; // what the press painted
};

Run dragOnce(Display *dpy, const QString &program, const QString &text, int moves, int intervalMs)
{
    const ProgramCopy copy(program, [&](Settings &s) {
        s.gsText = text;
        s.gsFontSize = QStringLiteral("72");
        s.gnTextX = TextX;
        s.gnTextY = TextY;
    });
    const int w = DisplayWidth(dpy, 0), h = DisplayHeight(dpy, 0);
    XTestFakeMotionEvent(dpy, -1, w - 2, h - 2, 0);
    XSync(dpy, False);
    QProcess process;
    process.setWorkingDirectory(copy.folder());
    process.start(copy.path(), {});
    process.waitForStarted();
    const long long start = nowNs();
    while (!fullScreenWindowMapped(dpy) && nowNs() - start < 20'000'000'000LL)
        QThread::msleep(5);
    QThread::msleep(1500);
    const qint64 pid = process.processId();

    // Press inside the first line's glyphs, near the block's top left corner. What the press
    // paints is the drag's too, reported apart from the moves.
    Run run;
    {
        ScreenDamage damage(dpy);
        int x = TextX + 60, y = TextY + 50;
        XTestFakeMotionEvent(dpy, -1, x, y, 0);
        XSync(dpy, False);
        QThread::msleep(200);
        while (XPending(dpy)) {
            XEvent event;
            XNextEvent(dpy, &event);
        }
        XTestFakeButtonEvent(dpy, 1, True, 0);
        XSync(dpy, False);
        QThread::msleep(300);
        XSync(dpy, False);
        while (XPending(dpy)) {
            XEvent event;
            XNextEvent(dpy, &event);
            if (!damage.isDamage(event))
                continue;
            const QRect r = ScreenDamage::rect(event);
            run.pressPx += double(r.width()) * r.height();
        }
        // The damage that arrives while the pointer sits at a move's position is that move's.
        std::vector<double> painted(moves, 0.0);
        auto takeDamage = [&](int move) {
            while (XPending(dpy)) {
                XEvent event;
                XNextEvent(dpy, &event);
                if (!damage.isDamage(event))
                    continue;
                const QRect r = ScreenDamage::rect(event);
                painted[move] += double(r.width()) * r.height();
            }
        };
        const long long cpuBefore = cpuNs(pid);
        long long nextMove = nowNs();
        for (int i = 0; i < moves; ++i) {
            nextMove += intervalMs * 1'000'000LL;
            while (nowNs() < nextMove) {
                if (i > 0)
                    takeDamage(i - 1);
                QThread::usleep(100);
            }
            x += i < moves / 2 ? 5 : -5;
            y += (i % 2) ? 1 : -1;
            XTestFakeMotionEvent(dpy, -1, x, y, 0);
            XFlush(dpy);
        }
        // Done when the program has been quiet (under 1 ms of CPU) for 200 ms, or after 10 s.
        const long long lastMove = nowNs();
        long long cpu = cpuNs(pid);
        for (int quiet = 0; quiet < 2 && nowNs() - lastMove < 10'000'000'000LL;) {
            QThread::msleep(100);
            const long long now = cpuNs(pid);
            quiet = now - cpu < 1'000'000 ? quiet + 1 : 0;
            cpu = now;
        }
        XSync(dpy, False);
        takeDamage(moves - 1);
        double total = 0;
        for (const double area : painted)
            total += area;
        run.cpuUs = double(cpu - cpuBefore) / 1e3 / moves;
        run.paintedPx = total / moves;
        run.medianPx = median(painted);
    }
    XTestFakeButtonEvent(dpy, 1, False, 0);
    XSync(dpy, False);
    QThread::msleep(100);
    stopProgram(process);
    return run;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 5) {
        std::fprintf(stderr, "usage: bench_text_drag QUILLAN MOVES INTERVAL_MS RUNS\n");
        return 2;
    }
    Display *dpy = openDisplayOrExit("bench_text_drag");
    const QString program = QString::fromLocal8Bit(argv[1]);
    const int moves = std::max(2, atoi(argv[2]));
    const int intervalMs = std::max(1, atoi(argv[3]));
    const int runs = std::max(1, atoi(argv[4]));
    const QString line = QStringLiteral("Quillane over the screen");
    QString eight = line;
    for (int i = 1; i < 8; ++i)
        eight += QStringLiteral("\r\n") + line;

    std::vector<double> cpu[2], painted[2], medianMove[2], press[2];
    for (int i = 0; i < runs; ++i) {
        // Alternate, so a slow moment of the machine falls on both alike.
        for (int which = 0; which < 2; ++which) {
            const Run r = dragOnce(dpy, program, which == 0 ? line : eight, moves, intervalMs);
            std::fprintf(stderr,
                         "  %s: %.1f us and %.0f px painted a move (median move %.0f px), "
                         "the press %.0f px\n",
                         which == 0 ? "one line" : "eight lines", r.cpuUs, r.paintedPx, r.medianPx,
                         r.pressPx);
            cpu[which].push_back(r.cpuUs);
            painted[which].push_back(r.paintedPx);
            medianMove[which].push_back(r.medianPx);
            press[which].push_back(r.pressPx);
        }
    }
    const int w = DisplayWidth(dpy, 0), h = DisplayHeight(dpy, 0);
    const char *names[2] = {"one line", "eight lines"};
    for (int which = 0; which < 2; ++which)
        std::printf("| %d x %d | %d ms | %s | %.0f µs | %.2f | %.0f kpx | %.2f | %.0f kpx | %.2f | "
                    "%.0f kpx |\n",
                    w, h, intervalMs, names[which], median(cpu[which]),
                    median(cpu[which]) / median(cpu[0]), median(painted[which]) / 1000,
                    median(painted[which]) / median(painted[0]), median(medianMove[which]) / 1000,
                    median(medianMove[which]) / median(medianMove[0]), median(press[which]) / 1000);
    XCloseDisplay(dpy);
    return 0;
}
