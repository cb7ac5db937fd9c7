// Start-up to the frozen screen painted, on a Wayland desktop (run inside
// tests/wayland/run-wayland.sh by bench/run-wayland-start.sh):
//
//   bench_wayland_start PROGRAM FLOOR RUNS [SCREENCOPY_FLOOR]
//
// FLOOR takes the desktop portal's screenshot; SCREENCOPY_FLOOR, where given, copies the output
// straight from the compositor (wlroots' screen copy), as the program does where it can.
// The desktop is a window of this program's own ("ticker" mode) that repaints a square in a new
// colour at every frame the compositor asks for, so the live screen never stands still and a
// frozen copy of it can be told from it. Each start is watched from outside, the same way for
// every program: from just before the start, every frame the compositor makes of the output is
// copied in part through its screen copy (bench/BenchFrames.h: the top-left 512 x 320, where the
// desktop moves and the text stands, and five small squares at the corners and the centre) and
// fingerprinted, until a while after the program has settled; the frames of that settled stretch
// (1.2 s, so both phases of a blinking caret) are the program's settled frames. "Painted" is the
// compositor's time of the first frame from which on only settled frames follow: the resolution
// is one frame of the output. With BENCH_WATCH=grim the screen is watched as before, by grim's
// screenshots of the whole output, one after another ("painted" then the midpoint between the end
// of the screenshot before the first settled one and its own end; the spacing of the screenshots,
// 20 ms at 1920 x 1080 and 100-250 ms at 3840 x 2160, is the resolution). The spacing is printed
// with the results. The program and the floors start in turn, each round in another order, after
// one start of each that is not counted.
//
// For looking into a start: BENCH_SHOTS=1 prints every frame's (or screenshot's) time and picture,
// BENCH_OUTPUT=1 what the programs printed, BENCH_DUMP=DIR keeps each distinct screenshot there
// (PPM; grim only).
#include "BenchCommon.h"
#include "BenchFrames.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QHash>
#include <QPainter>
#include <QProcess>
#include <QRasterWindow>
#include <QThread>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <set>

namespace {

// --- the desktop: a window whose square changes colour at every frame ---------------------------

class Ticker final : public QRasterWindow
{
protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        if (m_frame == 0)
            painter.fillRect(QRect(QPoint(), size()), QColor(0x30, 0x50, 0x70));
        const unsigned c = m_frame++;
        painter.fillRect(
            Square,
            QColor((c * 37) & 0xFF, (c * 91 + (c >> 8)) & 0xFF, (c * 13 + (c >> 16)) & 0xFF));
        if (m_frame == 1) {
            std::printf("shown\n");
            std::fflush(stdout);
        }
        // The next frame when the compositor asks for one (not while the window is covered).
        update(Square);
    }

private:
    static constexpr QRect Square {100, 100, 96, 96};
    unsigned m_frame = 0;
};

int runTicker(int argc, char **argv)
{
    QGuiApplication application(argc, argv);
    Ticker ticker;
    ticker.show();
    return QGuiApplication::exec();
}

// --- the driver ---------------------------------------------------------------------------------

struct Shot
{
    long long endNs;
    size_t hash;
};

// One screenshot of the whole output by grim; its hash (0 when grim failed).
size_t screenshotHash()
{
    QProcess grim;
    grim.start(QStringLiteral("grim"),
               {QStringLiteral("-t"), QStringLiteral("ppm"), QStringLiteral("-")});
    if (!grim.waitForFinished(5000) || grim.exitCode() != 0)
        return 0;
    const QByteArray picture = grim.readAllStandardOutput();
    const size_t hash = qHash(QByteArrayView(picture));
    static const QString dump = qEnvironmentVariable("BENCH_DUMP");
    if (!dump.isEmpty()) {
        QFile file(QStringLiteral("%1/%2.ppm").arg(dump).arg(hash, 16, 16, QLatin1Char('0')));
        if (!file.exists() && file.open(QIODevice::WriteOnly))
            file.write(picture);
    }
    return hash;
}

struct StartResult
{
    bool ok = false;
    double paintedMs = 0;
    double boundMs = 0; // the end of the first screenshot that showed it
    double spacingMs = 0; // median time between screenshots
    std::string problem;
};

constexpr long long Ms = 1000000;
constexpr long long SettleAfterMs = 2500; // every start is done well before (about 0.3 s)
constexpr long long SettledStretchMs = 1200;

StartResult measureStart(const QString &program, const QString &folder, bench::FrameWatcher *frames)
{
    StartResult result;
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.setWorkingDirectory(folder);
    std::vector<Shot> shots;
    shots.reserve(400);
    const long long start = bench::nowNs();
    const long long startRealUs = std::chrono::duration_cast<std::chrono::microseconds>(
                                      std::chrono::system_clock::now().time_since_epoch())
                                      .count();
    if (frames)
        frames->start();
    process.start(program, {});
    if (!process.waitForStarted(5000)) {
        if (frames)
            frames->stop();
        result.problem = "did not start";
        return result;
    }
    if (frames) {
        QThread::msleep(SettleAfterMs + SettledStretchMs);
        for (const bench::Frame &frame : frames->stop())
            shots.push_back({frame.atNs, size_t(frame.hash)});
        if (frames->failed() || shots.empty()) {
            result.problem = "the output's frames could not be copied";
            return result;
        }
    } else {
        while (bench::nowNs() - start < (SettleAfterMs + SettledStretchMs) * Ms) {
            const size_t hash = screenshotHash();
            shots.push_back({bench::nowNs(), hash});
        }
    }
    const bool stillRunning = process.state() == QProcess::Running;
    // Ended as a session ending ends it (the program saves its settings).
    if (stillRunning) {
        ::kill(pid_t(process.processId()), SIGTERM);
        if (!process.waitForFinished(5000)) {
            process.kill();
            process.waitForFinished(2000);
        }
    }
    const QByteArray output = process.readAll();
    if (qEnvironmentVariableIsSet("BENCH_OUTPUT"))
        std::fprintf(stderr, "    started at %lld us (realtime), %lld ns (monotonic)\n%s",
                     startRealUs, start, output.constData());
    if (!stillRunning) {
        result.problem = "ended by itself: " + output.toStdString();
        return result;
    }

    std::set<size_t> settled;
    for (const Shot &shot : shots)
        if (shot.endNs - start >= SettleAfterMs * Ms && shot.hash != 0)
            settled.insert(shot.hash);
    // The live desktop changes at every frame; a settled program shows one or two pictures.
    if (settled.empty() || settled.size() > 3) {
        result.problem = "never settled (" + std::to_string(settled.size()) + " pictures)";
        return result;
    }
    if (qEnvironmentVariableIsSet("BENCH_SHOTS")) {
        // Every screenshot's time and picture, the settled ones marked.
        for (const Shot &shot : shots)
            std::fprintf(stderr, "    %6.1f ms %016zx%s\n", double(shot.endNs - start) / Ms,
                         shot.hash, settled.count(shot.hash) ? " settled" : "");
    }
    std::vector<double> gaps;
    for (size_t i = 1; i < shots.size(); ++i)
        gaps.push_back(double(shots[i].endNs - shots[i - 1].endNs) / Ms);
    result.spacingMs = bench::median(gaps);
    // The first screenshot from which on the screen shows only settled pictures: the live
    // desktop may match the frozen copy for a moment while the portal takes its picture.
    size_t first = shots.size();
    while (first > 0 && settled.count(shots[first - 1].hash))
        --first;
    result.ok = true;
    result.boundMs = double(shots[first].endNs - start) / Ms;
    if (frames) {
        // The compositor's own time of that frame.
        result.paintedMs = result.boundMs;
        return result;
    }
    if (first == 0) {
        // The very first screenshot already showed it: at 3840 x 2160 a screenshot takes longer
        // than a fast start, and it copied the same frame of the desktop as the program did. It
        // was painted by the end of that screenshot; the midpoint since the start is taken
        // (which favours this start, a floor's as a rule).
        result.paintedMs = result.boundMs / 2;
        return result;
    }
    result.paintedMs = double((shots[first].endNs + shots[first - 1].endNs) / 2 - start) / Ms;
    return result;
}

// The desktop back on the screen and moving again before the next start: two screenshots in a
// row that differ (at 3840 x 2160 the compositor may take a while to let the desktop's window
// draw again once the last program's window has gone).
void waitForLiveDesktop()
{
    QThread::msleep(400);
    size_t last = screenshotHash();
    for (int i = 0; i < 30; ++i) {
        const size_t now = screenshotHash();
        if (now != last && now != 0 && last != 0)
            return;
        last = now;
        QThread::msleep(50);
    }
}

int runDriver(const QString &quillan, const QString &floor, int runs, const QString &copyFloor,
              const QString &before)
{
    // The output's frames through the screen copy, unless grim's screenshots are asked for.
    std::unique_ptr<bench::FrameWatcher> frames;
    if (qEnvironmentVariable("BENCH_WATCH") != QLatin1String("grim")) {
        frames = std::make_unique<bench::FrameWatcher>();
        if (!frames->ok()) {
            std::fprintf(stderr, "bench_wayland_start: the compositor copies no output frames "
                                 "(BENCH_WATCH=grim watches with screenshots)\n");
            return 1;
        }
    }
    QProcess ticker;
    ticker.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    ticker.start(QCoreApplication::applicationFilePath(), {QStringLiteral("ticker")});
    if (!ticker.waitForReadyRead(10000) || !ticker.readLine().startsWith("shown")) {
        std::fprintf(stderr, "bench_wayland_start: the ticker window did not come up\n");
        return 1;
    }
    QThread::msleep(500);

    const bench::ProgramCopy copy(quillan);
    struct Subject
    {
        const char *name;
        QString path;
        QString folder;
        std::vector<double> painted, bounds, spacing;
    };
    std::vector<Subject> subjects
        = {{"Vyn Quillane", copy.path(), copy.folder(), {}, {}, {}},
           {"floor (portal screenshot and show)", floor, copy.folder(), {}, {}, {}}};
    if (!copyFloor.isEmpty())
        subjects.push_back({"floor (screen copy and show)", copyFloor, copy.folder(), {}, {}, {}});
    // Another build of the program, in the same alternation, in a folder of its own.
    std::unique_ptr<bench::ProgramCopy> beforeCopy;
    if (!before.isEmpty()) {
        beforeCopy = std::make_unique<bench::ProgramCopy>(before);
        subjects.push_back({"Vyn Quillane (before)", beforeCopy->path(), beforeCopy->folder(), {},
                            {}, {}});
    }
    const int count = int(subjects.size());

    // One start of each first, not counted: the portal's backends start on the first request.
    for (int round = -1; round < runs; ++round) {
        for (int k = 0; k < count; ++k) {
            // Each round starts with another of them, so that all see the machine alike.
            Subject &subject = subjects[std::size_t((k + round + count) % count)];
            // A start the screenshots cannot time (on a busy machine the desktop's window may
            // not have drawn a new frame before the start) is made again, twice at most.
            StartResult r;
            for (int attempt = 0; attempt < 3 && !r.ok; ++attempt) {
                r = measureStart(subject.path, subject.folder, frames.get());
                if (!r.ok) {
                    std::fprintf(stderr, "bench_wayland_start: %s: %s\n", subject.name,
                                 r.problem.c_str());
                    waitForLiveDesktop();
                }
            }
            if (!r.ok)
                return 1;
            std::fprintf(stderr,
                         "  %s%s: painted %.0f ms (shown by %.0f ms, shots %.0f ms apart)\n",
                         round < 0 ? "(not counted) " : "", subject.name, r.paintedMs, r.boundMs,
                         r.spacingMs);
            if (round >= 0) {
                subject.painted.push_back(r.paintedMs);
                subject.bounds.push_back(r.boundMs);
                subject.spacing.push_back(r.spacingMs);
            }
            waitForLiveDesktop();
        }
    }
    ticker.kill();
    ticker.waitForFinished(2000);

    const double portalMs = bench::median(subjects[1].painted);
    const double copyMs = !copyFloor.isEmpty() ? bench::median(subjects[2].painted) : 0;
    std::printf("| program | painted (median of %d) | range | first picture showing it | "
                "pictures apart | ÷ portal floor | ÷ screen-copy floor |\n"
                "|---|---|---|---|---|---|---|\n",
                runs);
    for (const Subject &s : subjects) {
        const auto [low, high] = std::minmax_element(s.painted.begin(), s.painted.end());
        const double median = bench::median(s.painted);
        std::printf("| %s | %.0f ms | %.0f-%.0f ms | %.0f ms | %.0f ms | %.2f | %s |\n", s.name,
                    median, *low, *high, bench::median(s.bounds), bench::median(s.spacing),
                    median / portalMs,
                    copyMs > 0 ? QByteArray::number(median / copyMs, 'f', 2).constData() : "-");
    }
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc >= 2 && QByteArray(argv[1]) == "ticker")
        return runTicker(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr,
                     "usage: bench_wayland_start PROGRAM FLOOR [RUNS [SCREENCOPY_FLOOR [BEFORE]]]\n");
        return 2;
    }
    QCoreApplication application(argc, argv);
    return runDriver(QString::fromLocal8Bit(argv[1]), QString::fromLocal8Bit(argv[2]),
                     argc > 3 ? std::max(1, atoi(argv[3])) : 5,
                     argc > 4 ? QString::fromLocal8Bit(argv[4]) : QString(),
                     argc > 5 ? QString::fromLocal8Bit(argv[5]) : QString());
}
