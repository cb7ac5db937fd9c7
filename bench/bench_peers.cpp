// The program beside the floor and two peers, in one run on the current X display (no window
// manager): start-up to the first full frame, peak memory at start and after two strokes, the CPU
// of a stroke, and the CPU while left alone. The programs alternate start by start, so a slow
// moment of the machine falls on all alike.
//   bench_peers QUILLAN FLOOR STROKE_FLOOR RUNS IDLE_SECONDS
// FLOOR only grabs the screen and shows it; STROKE_FLOOR also draws each move's segment, the least
// a program must do for a stroke (bench/floor_stroke.cpp).
// Prints one markdown row per program, for bench/run-peers.sh.
//
// The first full frame: the time from exec until
//   - a top-level window of at least 90% of the screen is viewable (the program's window),
//   - every pixel of that window has been drawn since exec (the server's damage records cover it:
//     the program painted it, or the server painted its background), and
//   - the screen's pixels are those the program shows once settled (its frame: the screen read
//     whole and fingerprinted at each batch of damage, compared with what it shows 1 to 2 s later;
//     a blinking caret gives two settled frames, and either counts).
// For a frozen screen that is its window mapped and painted; for a live overlay that copies nothing
// it is its window mapped and drawn.
#include "BenchCommon.h"
#include "BenchScreen.h"
#include "BenchX11.h"

#include <QPoint>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <cmath>
#include <cstdio>
#include <memory>
#include <set>

namespace {

using namespace bench;

constexpr int Moves = 2000;
constexpr long long SettleNs = 2'000'000'000LL;

// How a program is put into its drawing mode once it shows its frame.
enum class DrawMode { NoDrawing, QuillanMenu, Immediate, PencilKey };

struct Subject
{
    QString name;
    QString program;
    QStringList arguments;
    DrawMode draw;
    bool ownFolder; // run a copy beside the default settings file (the program and the floor)
};

struct Run
{
    double frameMs = -1;
    double mappedMs = -1;
    double startKb = 0;
    double idleMs = 0;
    std::vector<double> strokeMs;
    double afterKb = 0;
    std::vector<double> onScreen;
};

// Start-up: waits for the first full frame, as defined at the top of this file.
void measureFirstFrame(Display *dpy, ScreenReader &reader, const ScreenDamage &damage,
                       long long start, const std::set<Window> &before, Run &run)
{
    const int screen = DefaultScreen(dpy);
    const QRect screenRect(0, 0, DisplayWidth(dpy, screen), DisplayHeight(dpy, screen));

    struct Sample
    {
        long long at;
        quint64 hash;
        bool drawn;
    };
    std::vector<Sample> samples;
    QRegion drawn;
    QRect window;
    long long mapped = 0, lastChange = 0;
    bool dirty = false, windowsChanged = true;
    while (true) {
        const long long now = nowNs();
        if ((!mapped && now - start > 20'000'000'000LL) || (mapped && now - mapped > SettleNs))
            break;
        while (XPending(dpy)) {
            XEvent event;
            XNextEvent(dpy, &event);
            if (damage.isDamage(event)) {
                drawn += ScreenDamage::rect(event);
                lastChange = nowNs();
                dirty = true;
            } else if (event.type == MapNotify || event.type == UnmapNotify
                       || event.type == ConfigureNotify) {
                windowsChanged = true;
            }
        }
        if (windowsChanged && !mapped) {
            windowsChanged = false;
            for (const TopWindow &w : viewableTopWindows(dpy)) {
                const QRect on = w.rect & screenRect;
                if (!before.count(w.id)
                    && qint64(on.width()) * on.height() * 10
                        >= qint64(screenRect.width()) * screenRect.height() * 9
                    && qint64(on.width()) * on.height() > qint64(window.width()) * window.height())
                    window = on;
            }
            if (!window.isEmpty()) {
                mapped = lastChange = nowNs();
                run.mappedMs = double(mapped - start) / 1e6;
                dirty = true;
            }
        }
        if (dirty && mapped) {
            dirty = false;
            const long long at = lastChange;
            samples.push_back({at, reader.fingerprint(), (QRegion(window) - drawn).isEmpty()});
        }
        QThread::usleep(200);
    }
    XSelectInput(dpy, DefaultRootWindow(dpy), 0);
    if (!mapped)
        return;
    const long long end = nowNs();
    std::set<quint64> settled {reader.fingerprint()};
    for (const Sample &s : samples)
        if (s.at >= end - 1'000'000'000LL)
            settled.insert(s.hash);
    for (const Sample &s : samples) {
        if (s.drawn && settled.count(s.hash)) {
            run.frameMs = double(s.at - start) / 1e6;
            break;
        }
    }
}

void enterDrawingMode(Display *dpy, DrawMode mode)
{
    const int w = DisplayWidth(dpy, 0), h = DisplayHeight(dpy, 0);
    if (mode == DrawMode::QuillanMenu) {
        // "Draw Lines": the fourth enabled item of the command menu.
        XTestFakeMotionEvent(dpy, -1, w - 300, h - 300, 0);
        XTestFakeButtonEvent(dpy, 3, True, 0);
        XTestFakeButtonEvent(dpy, 3, False, 0);
        XSync(dpy, False);
        QThread::msleep(400);
        for (int i = 0; i < 4; ++i)
            key(dpy, XK_Down);
        key(dpy, XK_Return);
        QThread::msleep(300);
    } else if (mode == DrawMode::PencilKey) {
        key(dpy, XK_p);
        QThread::msleep(300);
    }
}

// One stroke: its CPU (the whole process tree, from the press until it has been quiet for 200 ms
// after the release), and the share of its points whose pixels it changed on the screen (a program
// that takes the moves a frame at a time draws chords across the spiral and misses most points).
double stroke(Display *dpy, ScreenReader &reader, qint64 pid, const std::vector<QPoint> &path,
              double &onScreen)
{
    XTestFakeMotionEvent(dpy, -1, path[0].x(), path[0].y(), 0);
    XSync(dpy, False);
    QThread::msleep(100);
    reader.fingerprint();
    std::vector<unsigned long> before;
    for (const QPoint &p : path)
        before.push_back(reader.pixel(p.x(), p.y()));
    const long long cpuBefore = treeCpuNs(pid);
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
    XTestFakeButtonEvent(dpy, 1, False, 0);
    XSync(dpy, False);
    // Done when the tree has been quiet (under 1 ms of CPU) for 200 ms, or after 10 s.
    const long long released = nowNs();
    long long cpu = treeCpuNs(pid);
    for (int quiet = 0; quiet < 2 && nowNs() - released < 10'000'000'000LL;) {
        QThread::msleep(100);
        const long long now = treeCpuNs(pid);
        quiet = now - cpu < 1'000'000 ? quiet + 1 : 0;
        cpu = now;
    }
    const double cpuMs = double(cpu - cpuBefore) / 1e6;
    reader.fingerprint();
    std::size_t changed = 0;
    for (std::size_t i = 0; i < path.size(); ++i)
        changed += reader.pixel(path[i].x(), path[i].y()) != before[i] ? 1 : 0;
    onScreen = double(changed) / double(path.size());
    return cpuMs;
}

Run runOnce(Display *dpy, ScreenReader &reader, const Subject &subject, int idleSeconds,
            const QString &home)
{
    const int w = DisplayWidth(dpy, 0), h = DisplayHeight(dpy, 0);
    std::unique_ptr<ProgramCopy> copy;
    QProcess process;
    const QString program = prepareSubject(process, subject.program, subject.ownFolder, home, copy);
    // The pointer waits in a corner, away from where the strokes and the text go.
    XTestFakeMotionEvent(dpy, -1, w - 2, h - 2, 0);
    XSync(dpy, False);
    std::set<Window> before;
    for (const TopWindow &top : viewableTopWindows(dpy))
        before.insert(top.id);

    // The damage is watched from before exec. A new damage record first reports its whole
    // drawable, and that report is dropped here, or it would count as the program's drawing.
    auto damage = std::make_unique<ScreenDamage>(dpy);
    XSelectInput(dpy, DefaultRootWindow(dpy), SubstructureNotifyMask);
    XSync(dpy, False);
    QThread::msleep(50);
    XSync(dpy, False);
    while (XPending(dpy)) {
        XEvent event;
        XNextEvent(dpy, &event);
    }

    Run run;
    const long long start = nowNs();
    process.start(program, subject.arguments);
    if (!process.waitForStarted())
        return run;
    measureFirstFrame(dpy, reader, *damage, start, before, run);
    damage.reset();
    const qint64 pid = process.processId();
    run.startKb = double(treeHwmKb(pid));

    const long long idleBefore = treeCpuNs(pid);
    QThread::sleep(idleSeconds);
    run.idleMs = double(treeCpuNs(pid) - idleBefore) / 1e6;

    enterDrawingMode(dpy, subject.draw);
    for (const double cx : {w * 0.35, w * 0.65}) {
        double onScreen = 0;
        run.strokeMs.push_back(stroke(dpy, reader, pid,
                                      bench::spiralStroke(cx, h * 0.55, Moves, /*jumpOut=*/false),
                                      onScreen));
        run.onScreen.push_back(onScreen);
    }
    QThread::msleep(300);
    run.afterKb = double(treeHwmKb(pid));

    std::fprintf(stderr,
                 "  %s: frame %.1f ms (mapped %.1f ms), %.1f / %.1f MB, idle %.1f ms, strokes %.0f "
                 "%.0f ms (%.0f%% %.0f%% of points on screen)\n",
                 qPrintable(subject.name), run.frameMs, run.mappedMs, run.startKb / 1024,
                 run.afterKb / 1024, run.idleMs, run.strokeMs[0], run.strokeMs[1],
                 run.onScreen[0] * 100, run.onScreen[1] * 100);
    killTree(pid);
    process.waitForFinished();
    // Let the server settle before the next start.
    QThread::msleep(300);
    return run;
}

QString ms(double value)
{
    return value < 0 ? QStringLiteral("not seen") : QString::number(value, 'f', 0) + " ms";
}

QString mb(double kb)
{
    return QString::number(kb / 1024.0, 'f', 1) + " MB";
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 6) {
        std::fprintf(stderr, "usage: bench_peers QUILLAN FLOOR STROKE_FLOOR RUNS IDLE_SECONDS\n");
        return 2;
    }
    Display *dpy = openDisplayOrExit("bench_peers");
    const int runs = std::max(1, atoi(argv[4]));
    const int idleSeconds = std::max(1, atoi(argv[5]));
    paintBandsOnTheDesktop(dpy);
    auto reader = std::make_unique<ScreenReader>(dpy);

    // The peers' settings live in a home of their own: no first-run introduction in the way.
    QTemporaryDir home;
    QDir(home.path()).mkpath(QStringLiteral(".config"));
    QFile intro(home.path() + QStringLiteral("/.config/gromit-mpx.ini"));
    if (intro.open(QIODevice::WriteOnly))
        intro.write("[General]\nShowIntroOnStartup=false\n");
    intro.close();

    std::vector<Subject> subjects {
        {QStringLiteral("Vyn Quillane"),
         QString::fromLocal8Bit(argv[1]),
         {},
         DrawMode::QuillanMenu,
         true},
        {QStringLiteral("floor (grab and show)"),
         QString::fromLocal8Bit(argv[2]),
         {},
         DrawMode::NoDrawing,
         true},
        {QStringLiteral("stroke floor (grab, show, draw)"),
         QString::fromLocal8Bit(argv[3]),
         {},
         DrawMode::Immediate,
         true},
        {QStringLiteral("gromit-mpx (live overlay)"),
         QStandardPaths::findExecutable(QStringLiteral("gromit-mpx")),
         {QStringLiteral("--active"), QStringLiteral("--key"), QStringLiteral("none"),
          QStringLiteral("--undo-key"), QStringLiteral("none")},
         DrawMode::Immediate,
         false},
        {QStringLiteral("flameshot gui (screenshot annotation)"),
         QStandardPaths::findExecutable(QStringLiteral("flameshot")),
         {QStringLiteral("gui")},
         DrawMode::PencilKey,
         false},
    };
    std::vector<std::vector<Run>> results(subjects.size());
    for (int i = 0; i < runs; ++i)
        for (std::size_t s = 0; s < subjects.size(); ++s)
            if (!subjects[s].program.isEmpty())
                results[s].push_back(runOnce(dpy, *reader, subjects[s], idleSeconds, home.path()));

    const int width = DisplayWidth(dpy, 0), height = DisplayHeight(dpy, 0);
    for (std::size_t s = 0; s < subjects.size(); ++s) {
        if (results[s].empty()) {
            std::printf("| %d x %d | %s | not installed | | | | | |\n", width, height,
                        qPrintable(subjects[s].name));
            continue;
        }
        std::vector<double> frame, mapped, startKb, afterKb, idle, strokeMs, onScreen;
        int unseen = 0;
        for (const Run &r : results[s]) {
            if (r.frameMs < 0)
                ++unseen;
            else
                frame.push_back(r.frameMs);
            mapped.push_back(r.mappedMs);
            startKb.push_back(r.startKb);
            afterKb.push_back(r.afterKb);
            idle.push_back(r.idleMs);
            strokeMs.insert(strokeMs.end(), r.strokeMs.begin(), r.strokeMs.end());
            onScreen.insert(onScreen.end(), r.onScreen.begin(), r.onScreen.end());
        }
        // Machine-readable first, for run-peers.sh: name, frame, mapped, start, after, stroke,
        // idle, share of the stroke's points on the screen, frames unseen, starts.
        std::printf("ROW\t%d x %d\t%s\t%.1f\t%.1f\t%.0f\t%.0f\t%.1f\t%.1f\t%.0f%%\t%d\t%d\n", width,
                    height, qPrintable(subjects[s].name), frame.empty() ? -1.0 : median(frame),
                    median(mapped), median(startKb), median(afterKb), median(strokeMs),
                    median(idle), median(onScreen) * 100, unseen, int(results[s].size()));
        std::fprintf(stderr,
                     "%s: frame %s (window mapped %s), memory %s / %s, stroke %s, idle %s, "
                     "stroke points on screen %.0f%%\n",
                     qPrintable(subjects[s].name),
                     qPrintable(ms(frame.empty() ? -1 : median(frame))),
                     qPrintable(ms(median(mapped))), qPrintable(mb(median(startKb))),
                     qPrintable(mb(median(afterKb))), qPrintable(ms(median(strokeMs))),
                     qPrintable(ms(median(idle))), median(onScreen) * 100);
    }
    reader.reset();
    XCloseDisplay(dpy);
    return 0;
}
