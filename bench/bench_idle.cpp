// Idle CPU with the caret blinking: the program left alone on its default text beside the floor
// program (one label the caret's size, blinked by a 500 ms timer), each for the same stretch of
// time, alternately, on the current X display. CPU time is the sum over the process's threads of
// the time they ran (/proc/PID/task/*/schedstat), so a few milliseconds are measured exactly.
//   bench_idle QUILLAN FLOOR SECONDS RUNS
#include "BenchCommon.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

using namespace bench;

double idleCpuMs(const QString &program, int seconds)
{
    const bench::ProgramCopy copy(program);
    QProcess process;
    process.setWorkingDirectory(copy.folder());
    process.start(copy.path(), {});
    process.waitForStarted();
    QThread::sleep(2); // start-up done, the first paint long past
    const long long before = cpuNs(process.processId());
    QThread::sleep(ulong(seconds));
    const long long after = cpuNs(process.processId());
    stopProgram(process);
    return double(after - before) / 1e6;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 5) {
        std::fprintf(stderr, "usage: bench_idle QUILLAN FLOOR SECONDS RUNS\n");
        return 2;
    }
    const int seconds = std::max(1, atoi(argv[3]));
    const int runs = std::max(1, atoi(argv[4]));
    std::vector<double> cpu[2];
    for (int i = 0; i < runs; ++i)
        for (int which = 0; which < 2; ++which)
            cpu[which].push_back(idleCpuMs(QString::fromLocal8Bit(argv[1 + which]), seconds));
    const double program = median(cpu[0]), floor = median(cpu[1]);
    std::printf("| %d s, caret blinking | %.1f ms | %.1f ms | %.2f |\n", seconds, program, floor,
                floor > 0 ? program / floor : 0);
    return 0;
}
