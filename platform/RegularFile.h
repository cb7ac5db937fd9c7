#pragma once

#include <QByteArray>
#include <QString>

namespace platform {

// Reading a file that must be an ordinary file of bounded size, without ever waiting: a named
// pipe, a device, a link to either, or a file too long to be what is expected are refused
// rather than read. The POSIX implementation checks the file it opened; the toolkit's serves
// systems whose folders hold no pipes or devices (Windows). Chosen by the build.

enum class RegularFileOutcome {
    Read, // `bytes` holds the whole file
    Missing, // there is nothing at the path
    NotRegular, // a named pipe, a device, a folder ... (links followed)
    TooLarge, // longer than the limit
    Failed, // it could not be opened or read
};

struct RegularFileRead
{
    RegularFileOutcome outcome = RegularFileOutcome::Failed;
    QByteArray bytes;
    QString error; // why, when the outcome is not Read
};

// Reads the whole file at `path` when it is a regular file of at most `maxBytes`.
RegularFileRead ReadRegularFile(const QString &path, qint64 maxBytes);

} // namespace platform
