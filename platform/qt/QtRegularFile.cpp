#include "platform/RegularFile.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

// Windows keeps named pipes and devices out of the folders a file can sit in, so the file's own
// information says what it is before it is opened, and opening it never waits.
namespace platform {

RegularFileRead ReadRegularFile(const QString &path, qint64 maxBytes)
{
    RegularFileRead out;
    const QFileInfo info(path);
    if (!info.exists()) {
        out.outcome = RegularFileOutcome::Missing;
        out.error = QCoreApplication::translate("RegularFile", "no such file");
        return out;
    }
    if (!info.isFile()) {
        out.outcome = RegularFileOutcome::NotRegular;
        out.error = QCoreApplication::translate("RegularFile", "not a regular file");
        return out;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        out.error = file.errorString();
        return out;
    }
    // The file may grow while it is read: one byte past the limit is enough to know.
    QByteArray bytes = file.read(maxBytes + 1);
    if (file.error() != QFileDevice::NoError) {
        out.error = file.errorString();
        return out;
    }
    if (bytes.size() > maxBytes) {
        out.outcome = RegularFileOutcome::TooLarge;
        out.error
            = QCoreApplication::translate("RegularFile", "longer than %1 bytes").arg(maxBytes);
        return out;
    }
    out.outcome = RegularFileOutcome::Read;
    out.bytes = bytes;
    return out;
}

} // namespace platform
