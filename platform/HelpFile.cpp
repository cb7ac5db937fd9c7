#include "HelpFile.h"

#include <QDir>
#include <QFileInfo>

namespace platform {

QString FindFileIgnoringCase(const QString &path)
{
    const QFileInfo named(path);
    if (named.isFile())
        return named.absoluteFilePath();
    const QDir folder = named.absoluteDir();
    const QStringList entries = folder.entryList(QDir::Files | QDir::Hidden, QDir::Name);
    for (const QString &entry : entries) {
        if (entry.compare(named.fileName(), Qt::CaseInsensitive) == 0)
            return folder.absoluteFilePath(entry);
    }
    return {};
}

} // namespace platform
