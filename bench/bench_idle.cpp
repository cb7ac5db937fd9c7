// Idle CPU with the caret blinking: the program left alone on its default text beside the floor
// program (one label the caret's size, blinked by a 500 ms timer), each for the same stretch of
// time, alternately, on the current X display. CPU time is the sum over the process's threads of
// the time they ran (/proc/PID/task/*/schedstat), so a few milliseconds are measured exactly.
//   bench_idle QUILLAN FLOOR SECONDS RUNS
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

long long cpuNs(qint64 pid)
{
    long long sum = 0;
    const QDir tasks(QStringLiteral("/proc/%1/task").arg(pid));
    for (const QString &task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile stat(tasks.filePath(task) + QStringLiteral("/schedstat"));
        if (stat.open(QIODevice::ReadOnly))
            sum += stat.readAll().split(' ').value(0).toLongLong();
    }
    return sum;
}

// The default settings file, so no start-up message gets in the way.
const char kDefaults[] = "\x00\x00\x48\x43\x00\x00\x48\x43\x06\x00Hello!\x05\x00"
                         "Arial\x24\x00\x01\x00\x00\x00\x00\x00\x00\x00\x02\x00\x00\x00\x0c\x00"
                         "\x06\x00\x05\x00\x01\x00\x0d\x00\x02\x00\x01\x00\x04\x00\x01\x00"
                         "\x00\x00\x00\x00\x00\x00\x00\x00"
                         "\x00\x00\x01\x00"
                         "C"
                         "\x00\x00\x01\x00"
                         "L"
                         "\x00\x00\x01\x00"
                         "R"
                         "\x00\x00\x01\x00"
                         "S"
                         "\x00\x00";

double idleCpuMs(const QString &program, int seconds)
{
    QTemporaryDir folder;
    const QString copy = folder.path() + QStringLiteral("/prog");
    QFile::copy(program, copy);
    QFile::setPermissions(copy, QFile::ReadOwner | QFile::ExeOwner);
    QFile settings(folder.path() + QStringLiteral("/QUILLAN.DAT"));
    settings.open(QIODevice::WriteOnly);
    settings.write(kDefaults, sizeof kDefaults - 1);
    settings.close();

    QProcess process;
    process.setWorkingDirectory(folder.path());
    process.start(copy, {});
    process.waitForStarted();
    QThread::sleep(2); // start-up done, the first paint long past
    const long long before = cpuNs(process.processId());
    QThread::sleep(ulong(seconds));
    const long long after = cpuNs(process.processId());
    process.kill();
    process.waitForFinished();
    QThread::msleep(200);
    return double(after - before) / 1e6;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
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
