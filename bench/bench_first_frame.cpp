// The first frame as the rest of the desktop sees it, measured from outside the program: from just
// before exec until
//   - mapped: a new top-level window covering at least 90% of the screen is viewable;
//   - damage: that window's own damage covers at least 90% of it. The damage record is made on the
//     window the moment it is created, before it maps, as a compositing manager makes its own; a
//     compositor shows a window once it has been drawn, and the background the server paints at
//     the map is not reported as drawing;
//   - shown: the screen (read whole through shared memory at the map and at each batch of damage)
//     shows the frame the program settles on (what it shows 1 to 2 s later; both phases of a
//     blinking caret count). Under a compositing manager that is the composited screen.
// Events are stamped as they arrive, on a connection of their own that a thread of its own reads,
// so reading the screen never delays them.
//   bench_first_frame RUNS SETUP NAME=PROGRAM [NAME=PROGRAM ...]
// SETUP names what runs on the display ("none", "picom", "openbox+picom" ...), for the rows; with
// a compositing manager in it, the driver first waits for the manager's selection.
// Each PROGRAM runs from a folder of its own with the default settings file beside it; gromit-mpx,
// the live overlay the goal is set against, is added as the last subject. The subjects alternate
// start by start. Prints one ROW line per subject (median, fastest and slowest of each measure);
// with BENCH_VERBOSE set, every event the watcher sees too.
#include "BenchCommon.h"
#include "BenchScreen.h"
#include "BenchX11.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QRegion>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <X11/extensions/Xdamage.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <map>
#include <memory>
#include <mutex>
#include <poll.h>
#include <set>
#include <thread>
#include <vector>

namespace {

using namespace bench;

constexpr long long SettleNs = 2'000'000'000LL;
constexpr long long GiveUpNs = 20'000'000'000LL;

struct Subject
{
    QString name;
    QString program;
    QStringList arguments;
    bool ownFolder;
};

struct Run
{
    double mappedMs = -1, firstDamageMs = -1, damageMs = -1, shownMs = -1;
    // From the map to the screen showing the settled frame: under a compositing manager, what
    // it makes a window wait for after its map.
    double afterMapMs = -1;
    bool lateRecord = false; // the window was already viewable when its damage record was made
    long long startNs = 0; // CLOCK_MONOTONIC, to line a start up with a trace the program writes
};

// What the watcher saw, stamped when it arrived.
struct Seen
{
    enum Kind { Created, Mapped, Configured, WindowDamage, ScreenDamage } kind;
    long long at;
    Window window;
    QRect rect; // damage, in the window's coordinates
};

int ignoreErrors(Display *, XErrorEvent *)
{
    return 0; // a window gone before its damage record was made, or a record of a gone window
}

// Reads the X events of a start on a connection of its own.
class Watcher
{
public:
    explicit Watcher(const std::set<Window> &before)
        : m_before(before)
    {
        m_dpy = XOpenDisplay(nullptr);
        int error = 0;
        XDamageQueryExtension(m_dpy, &m_damageBase, &error);
        const Window root = DefaultRootWindow(m_dpy);
        XSelectInput(m_dpy, root, SubstructureNotifyMask);
        m_screenDamage = XDamageCreate(m_dpy, root, XDamageReportRawRectangles);
        // A new record on a viewable drawable first reports all of it: not the program's drawing.
        XSync(m_dpy, False);
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        XSync(m_dpy, False);
        while (XPending(m_dpy)) {
            XEvent event;
            XNextEvent(m_dpy, &event);
        }
        m_thread = std::thread([this] { loop(); });
    }
    ~Watcher()
    {
        m_stop = true;
        m_thread.join();
        XDamageDestroy(m_dpy, m_screenDamage);
        XCloseDisplay(m_dpy);
    }
    Watcher(const Watcher &) = delete;
    Watcher &operator=(const Watcher &) = delete;

    // Waits up to `ms` for anything new and takes what came since the last call.
    std::vector<Seen> take(int ms)
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_arrived.wait_for(lock, std::chrono::milliseconds(ms), [this] { return !m_seen.empty(); });
        std::vector<Seen> out;
        out.swap(m_seen);
        return out;
    }

    bool lateRecord(Window window) const
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_late.count(window) > 0;
    }

private:
    void loop()
    {
        pollfd fd {ConnectionNumber(m_dpy), POLLIN, 0};
        while (!m_stop) {
            if (!XPending(m_dpy)) {
                poll(&fd, 1, 2);
                continue;
            }
            XEvent event;
            XNextEvent(m_dpy, &event);
            const long long at = nowNs();
            Seen seen {Seen::Created, at, 0, {}};
            if (event.type == m_damageBase + XDamageNotify) {
                const auto &d = reinterpret_cast<const XDamageNotifyEvent &>(event);
                seen.kind = d.drawable == DefaultRootWindow(m_dpy) ? Seen::ScreenDamage
                                                                   : Seen::WindowDamage;
                seen.window = d.drawable;
                seen.rect = QRect(d.area.x, d.area.y, d.area.width, d.area.height);
            } else if (event.type == CreateNotify) {
                if (event.xcreatewindow.parent != DefaultRootWindow(m_dpy)
                    || m_before.count(event.xcreatewindow.window))
                    continue;
                // As a compositing manager does: a record for each new top-level window, made
                // before the window maps. One made on a viewable window reports all of it first.
                const Window window = event.xcreatewindow.window;
                XDamageCreate(m_dpy, window, XDamageReportRawRectangles);
                XWindowAttributes a {};
                if (XGetWindowAttributes(m_dpy, window, &a) && a.map_state == IsViewable) {
                    std::lock_guard<std::mutex> lock(m_mutex);
                    m_late.insert(window);
                }
                seen.window = window;
            } else if (event.type == MapNotify) {
                seen.kind = Seen::Mapped;
                seen.window = event.xmap.window;
            } else if (event.type == ConfigureNotify) {
                seen.kind = Seen::Configured;
                seen.window = event.xconfigure.window;
            } else {
                continue;
            }
            std::lock_guard<std::mutex> lock(m_mutex);
            m_seen.push_back(seen);
            m_arrived.notify_one();
        }
    }

    Display *m_dpy = nullptr;
    int m_damageBase = 0;
    Damage m_screenDamage = 0;
    std::set<Window> m_before;
    std::set<Window> m_late;
    std::vector<Seen> m_seen;
    mutable std::mutex m_mutex;
    std::condition_variable m_arrived;
    std::atomic<bool> m_stop {false};
    std::thread m_thread;
};

// At least 90% of a window of `size` drawn.
bool coversMost(const QRegion &drawn, const QSize &size)
{
    qint64 area = 0;
    for (const QRect &r : drawn.intersected(QRect(QPoint(), size)))
        area += qint64(r.width()) * r.height();
    return area * 10 >= qint64(size.width()) * size.height() * 9;
}

void measure(Display *dpy, ScreenReader &reader, Watcher &watcher, long long start,
             const std::set<Window> &before, Run &run)
{
    const QRect screen(0, 0, DisplayWidth(dpy, 0), DisplayHeight(dpy, 0));
    struct Sample
    {
        long long at;
        quint64 hash;
    };
    std::vector<Sample> samples;
    std::map<Window, QRegion> drawn;
    std::map<Window, long long> mappedAt;
    Window window = 0;
    QRect windowRect;
    long long mapped = 0, latest = 0;
    bool changed = false, windowsChanged = false;
    static const bool verbose = qEnvironmentVariableIsSet("BENCH_VERBOSE");
    const auto absorb = [&](const std::vector<Seen> &events) {
        for (const Seen &seen : events) {
            if (verbose)
                std::fprintf(stderr, "    %.1f ms kind %d window %lx rect %d,%d %dx%d\n",
                             double(seen.at - start) / 1e6, int(seen.kind), seen.window,
                             seen.rect.x(), seen.rect.y(), seen.rect.width(), seen.rect.height());
            latest = std::max(latest, seen.at);
            changed = true;
            if (seen.kind == Seen::Mapped) {
                mappedAt.emplace(seen.window, seen.at);
                windowsChanged = true;
            } else if (seen.kind == Seen::Configured) {
                windowsChanged = true;
            } else if (seen.kind == Seen::WindowDamage) {
                if (run.firstDamageMs < 0 && seen.window == window)
                    run.firstDamageMs = double(seen.at - start) / 1e6;
                drawn[seen.window] += seen.rect;
                if (window && seen.window == window && run.damageMs < 0
                    && coversMost(drawn[window], windowRect.size()))
                    run.damageMs = double(seen.at - start) / 1e6;
            }
        }
    };
    while (true) {
        const long long now = nowNs();
        if ((!mapped && now - start > GiveUpNs) || (mapped && now - mapped > SettleNs))
            break;
        absorb(watcher.take(2));
        if (windowsChanged && !mapped) {
            windowsChanged = false;
            for (const TopWindow &w : viewableTopWindows(dpy)) {
                const QRect on = w.rect & screen;
                if (!before.count(w.id)
                    && qint64(on.width()) * on.height() * 10
                        >= qint64(screen.width()) * screen.height() * 9) {
                    window = w.id;
                    windowRect = w.rect;
                }
            }
            if (window) {
                mapped = mappedAt.count(window) ? mappedAt[window] : latest;
                run.mappedMs = double(mapped - start) / 1e6;
                run.lateRecord = watcher.lateRecord(window);
                // Drawing that came before the map was seen counts from the map on.
                if (coversMost(drawn[window], windowRect.size()))
                    run.damageMs = run.mappedMs;
                if (!drawn[window].isEmpty())
                    run.firstDamageMs = run.mappedMs;
            }
        }
        if (changed && mapped) {
            // The picture is given the time of the last change that may be in it: what arrived
            // before the reading and while it went on.
            changed = false;
            absorb(watcher.take(0));
            const quint64 hash = reader.fingerprint();
            absorb(watcher.take(0));
            samples.push_back({latest, hash});
        }
    }
    if (!mapped)
        return;
    // A record made on a window already up reports all of it at once: that is not the program's
    // drawing, and the start's damage is not known.
    if (run.lateRecord)
        run.firstDamageMs = run.damageMs = -1;
    const long long end = nowNs();
    std::set<quint64> settled {reader.fingerprint()};
    for (const Sample &s : samples)
        if (s.at >= end - 1'000'000'000LL)
            settled.insert(s.hash);
    for (const Sample &s : samples) {
        if (settled.count(s.hash)) {
            run.shownMs = double(s.at - start) / 1e6;
            break;
        }
    }
}

Run runOnce(Display *dpy, ScreenReader &reader, const Subject &subject, const QString &home)
{
    const int w = DisplayWidth(dpy, 0), h = DisplayHeight(dpy, 0);
    std::unique_ptr<ProgramCopy> copy;
    QProcess process;
    const QString program = prepareSubject(process, subject.program, subject.ownFolder, home, copy);
    XTestFakeMotionEvent(dpy, -1, w - 2, h - 2, 0);
    XSync(dpy, False);
    std::set<Window> before;
    {
        Window root = 0, parent = 0, *children = nullptr;
        unsigned int count = 0;
        XQueryTree(dpy, DefaultRootWindow(dpy), &root, &parent, &children, &count);
        for (unsigned int i = 0; i < count; ++i)
            before.insert(children[i]);
        if (children)
            XFree(children);
    }
    Run run;
    {
        Watcher watcher(before);
        const long long start = run.startNs = nowNs();
        process.start(program, subject.arguments);
        if (!process.waitForStarted())
            return run;
        measure(dpy, reader, watcher, start, before, run);
    }
    std::fprintf(
        stderr,
        "  %s (exec at %lld ns): mapped %.1f ms, first damage %.1f ms, damage 90%% %.1f ms, "
        "shown %.1f ms%s\n",
        qPrintable(subject.name), run.startNs, run.mappedMs, run.firstDamageMs, run.damageMs,
        run.shownMs, run.lateRecord ? " (damage record made late)" : "");
    killTree(process.processId());
    process.waitForFinished();
    QThread::msleep(300);
    return run;
}

// Waits up to 5 s for a compositing manager to own the screen's selection.
bool compositorRuns(Display *dpy)
{
    const Atom selection = XInternAtom(dpy, "_NET_WM_CM_S0", False);
    for (int i = 0; i < 500; ++i) {
        if (XGetSelectionOwner(dpy, selection) != None) {
            QThread::msleep(300); // its first paint of the whole screen
            return true;
        }
        QThread::msleep(10);
    }
    return false;
}

// "median [fastest–slowest]" of the starts that saw it, and the slowest over the median.
struct Summary
{
    double median = -1, fastest = -1, slowest = -1;
    int unseen = 0;
};

Summary summarize(const std::vector<Run> &runs, double Run::*field)
{
    std::vector<double> values;
    Summary s;
    for (const Run &r : runs) {
        if (r.*field < 0)
            ++s.unseen;
        else
            values.push_back(r.*field);
    }
    if (values.empty())
        return s;
    std::sort(values.begin(), values.end());
    s.median = median(values);
    s.fastest = values.front();
    s.slowest = values.back();
    return s;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 4) {
        std::fprintf(stderr,
                     "usage: bench_first_frame RUNS SETUP NAME=PROGRAM [NAME=PROGRAM ...]\n");
        return 2;
    }
    XInitThreads(); // the watcher reads a connection of its own on a thread of its own
    Display *dpy = openDisplayOrExit("bench_first_frame");
    XSetErrorHandler(ignoreErrors);
    const int runs = std::max(1, atoi(argv[1]));
    const QString setup = QString::fromLocal8Bit(argv[2]);
    const bool composited
        = setup.contains(QLatin1String("picom")) || setup.contains(QLatin1String("xcompmgr"));
    if (composited && !compositorRuns(dpy)) {
        std::fprintf(stderr, "bench_first_frame: no compositing manager came up\n");
        return 1;
    }
    std::vector<Subject> subjects;
    for (int i = 3; i < argc; ++i) {
        const QString arg = QString::fromLocal8Bit(argv[i]);
        const int eq = arg.indexOf(QLatin1Char('='));
        subjects.push_back({arg.left(eq), arg.mid(eq + 1), {}, true});
    }
    const QString gromit = QStandardPaths::findExecutable(QStringLiteral("gromit-mpx"));
    if (!gromit.isEmpty())
        subjects.push_back(
            {QStringLiteral("gromit-mpx"),
             gromit,
             {QStringLiteral("--active"), QStringLiteral("--key"), QStringLiteral("none"),
              QStringLiteral("--undo-key"), QStringLiteral("none")},
             false});

    paintBandsOnTheDesktop(dpy);
    auto reader = std::make_unique<ScreenReader>(dpy);
    reader->fingerprint();
    QTemporaryDir home;
    QDir(home.path()).mkpath(QStringLiteral(".config"));
    QFile intro(home.path() + QStringLiteral("/.config/gromit-mpx.ini"));
    if (intro.open(QIODevice::WriteOnly))
        intro.write("[General]\nShowIntroOnStartup=false\n");
    intro.close();

    std::vector<std::vector<Run>> results(subjects.size());
    for (int i = 0; i < runs; ++i)
        for (std::size_t s = 0; s < subjects.size(); ++s)
            results[s].push_back(runOnce(dpy, *reader, subjects[s], home.path()));

    for (std::vector<Run> &subjectRuns : results)
        for (Run &r : subjectRuns)
            if (r.mappedMs >= 0 && r.shownMs >= 0)
                r.afterMapMs = r.shownMs - r.mappedMs;
    // ROW, screen, subject, then median, fastest, slowest and unseen starts of: mapped, damage
    // covering 90%, shown; then the first damage's median, the starts whose record came late, the
    // starts; then median, fastest, slowest and unseen of the map to the screen showing it.
    for (std::size_t s = 0; s < subjects.size(); ++s) {
        std::printf("ROW\t%d x %d\t%s\t%s", DisplayWidth(dpy, 0), DisplayHeight(dpy, 0),
                    qPrintable(setup), qPrintable(subjects[s].name));
        for (double Run::*field : {&Run::mappedMs, &Run::damageMs, &Run::shownMs}) {
            const Summary m = summarize(results[s], field);
            std::printf("\t%.1f\t%.1f\t%.1f\t%d", m.median, m.fastest, m.slowest, m.unseen);
        }
        int late = 0;
        for (const Run &r : results[s])
            late += r.lateRecord ? 1 : 0;
        std::printf("\t%.1f\t%d\t%d", summarize(results[s], &Run::firstDamageMs).median, late,
                    int(results[s].size()));
        const Summary after = summarize(results[s], &Run::afterMapMs);
        std::printf("\t%.1f\t%.1f\t%.1f\t%d\n", after.median, after.fastest, after.slowest,
                    after.unseen);
    }
    reader.reset();
    XCloseDisplay(dpy);
    return 0;
}
