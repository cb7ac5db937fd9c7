#include "platform/RegularFile.h"

#include <QCoreApplication>
#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
QString systemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

class Descriptor
{
public:
    explicit Descriptor(int fd)
        : m_fd(fd)
    {
    }
    ~Descriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;
    int get() const { return m_fd; }

private:
    int m_fd;
};
} // namespace

namespace platform {

RegularFileRead ReadRegularFile(const QString &path, qint64 maxBytes)
{
    RegularFileRead out;
    // Opened before it is looked at, so that what is checked is what is read. O_NONBLOCK keeps
    // the open of a named pipe with no writer from waiting for one; O_NOCTTY keeps a terminal
    // from becoming the program's.
    int fd = -1;
    do {
        fd = ::open(QFile::encodeName(path).constData(),
                    O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        out.outcome = errno == ENOENT ? RegularFileOutcome::Missing : RegularFileOutcome::Failed;
        out.error = systemError(errno);
        return out;
    }
    const Descriptor file(fd);
    struct stat info
    {
    };
    if (::fstat(file.get(), &info) != 0) {
        out.error = systemError(errno);
        return out;
    }
    if (!S_ISREG(info.st_mode)) {
        out.outcome = RegularFileOutcome::NotRegular;
        out.error = QCoreApplication::translate("RegularFile", "not a regular file");
        return out;
    }
    const QString tooLarge
        = QCoreApplication::translate("RegularFile", "longer than %1 bytes").arg(maxBytes);
    if (info.st_size > maxBytes) {
        out.outcome = RegularFileOutcome::TooLarge;
        out.error = tooLarge;
        return out;
    }
    // The file may grow while it is read: one byte past the limit is enough to know.
    QByteArray bytes(qsizetype(maxBytes + 1), Qt::Uninitialized);
    qsizetype got = 0;
    while (got < bytes.size()) {
        const ssize_t n = ::read(file.get(), bytes.data() + got, size_t(bytes.size() - got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            out.error = systemError(errno);
            return out;
        }
        if (n == 0)
            break;
        got += n;
    }
    if (got > maxBytes) {
        out.outcome = RegularFileOutcome::TooLarge;
        out.error = tooLarge;
        return out;
    }
    bytes.truncate(got);
    out.outcome = RegularFileOutcome::Read;
    out.bytes = bytes;
    return out;
}

} // namespace platform
