#pragma once

// What the benchmark drivers share: clocks and memory of a process from /proc, the median, and a
// folder holding a copy of the program under test with the default settings file beside it (so
// no start-up message gets in the way).

#include "settings/Palette.h"
#include "settings/Settings.h"
#include "settings/SettingsCodec.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <ctime>
#include <memory>
#include <functional>
#include <vector>

namespace bench {

// Ends a program under measurement at once and lets the X server settle before the next start.
inline void stopProgram(QProcess &process)
{
    process.kill();
    process.waitForFinished();
    QThread::msleep(200);
}

inline long long nowNs()
{
    timespec now {};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return (long long)now.tv_sec * 1000000000LL + now.tv_nsec;
}

// CPU time of every thread of the process, in nanoseconds.
inline long long cpuNs(qint64 pid)
{
    long long total = 0;
    const QDir tasks(QStringLiteral("/proc/%1/task").arg(pid));
    for (const QString &task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile stat(tasks.filePath(task) + QStringLiteral("/schedstat"));
        if (stat.open(QIODevice::ReadOnly))
            total += stat.readAll().split(' ').value(0).toLongLong();
    }
    return total;
}

// The peak resident set of the process (VmHWM), in kB; -1 if it cannot be read.
inline long vmHwmKb(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    }
    return -1;
}

inline double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

// A copy of `program` in a folder of its own, with the default settings file beside it.
class ProgramCopy
{
public:
    // `adjust` changes the default settings before they are written (a text, a font size).
    explicit ProgramCopy(const QString &program, const std::function<void(Settings &)> &adjust = {})
        : m_path(m_folder.path() + QStringLiteral("/prog"))
    {
        QFile::copy(program, m_path);
        QFile::setPermissions(m_path, QFile::ReadOwner | QFile::ExeOwner);
        gSettings = Settings {};
        BuildPalette();
        SetDefaults();
        if (adjust)
            adjust(gSettings);
        QFile settings(m_folder.path() + QStringLiteral("/QUILLAN.DAT"));
        if (settings.open(QIODevice::WriteOnly))
            settings.write(EncodeSettings(gSettings).bytes);
    }

    QString folder() const { return m_folder.path(); }
    QString path() const { return m_path; }

private:
    QTemporaryDir m_folder;
    QString m_path;
};

// Sets `process` up to start a program under test as the drivers do: with `home` as its home and
// configuration folder, its output dropped, and with `ownFolder` as a copy in a folder of its own
// beside the default settings file (kept by `copy`). The path to start.
inline QString prepareSubject(QProcess &process, const QString &program, bool ownFolder,
                              const QString &home, std::unique_ptr<ProgramCopy> &copy)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), home);
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/.config"));
    process.setProcessEnvironment(env);
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    if (!ownFolder)
        return program;
    copy = std::make_unique<ProgramCopy>(program);
    process.setWorkingDirectory(copy->folder());
    return copy->path();
}

} // namespace bench
