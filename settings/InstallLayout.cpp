#include "InstallLayout.h"

#include <QDir>
#include <QFileInfo>

// The build says how its installation is laid out: the name of the folder the executable goes to
// and the data folder relative to it, both from GNUInstallDirs.
#ifndef QUILLAN_INSTALL_BIN_NAME
#error "QUILLAN_INSTALL_BIN_NAME is the install's bin folder name, given by the build"
#endif
#ifndef QUILLAN_DATA_FROM_BIN
#error "QUILLAN_DATA_FROM_BIN is the data folder relative to the bin folder, given by the build"
#endif

namespace {
// The folder as an absolute, clean path with '/' separators, links resolved when it exists.
QString normalised(const QString &folder)
{
    const QFileInfo info(QDir::fromNativeSeparators(folder));
    const QString canonical = info.canonicalFilePath();
    return QDir::cleanPath(canonical.isEmpty() ? info.absoluteFilePath() : canonical);
}
} // namespace

QString InstalledDataFolder(const QString &programFolder)
{
    if (programFolder.isEmpty())
        return {};
    const QString folder = normalised(programFolder);
    if (QFileInfo(folder).fileName() != QLatin1String(QUILLAN_INSTALL_BIN_NAME))
        return {};
    const QString data
        = QDir::cleanPath(folder + QLatin1Char('/') + QLatin1String(QUILLAN_DATA_FROM_BIN));
    if (!QFileInfo(data).isDir())
        return {};
    return QDir::toNativeSeparators(data + QLatin1Char('/'));
}

bool IsSystemFolder(const QString &folder)
{
    if (folder.isEmpty())
        return false;
    const QString path = normalised(folder);
    return path == QLatin1String("/bin") || path == QLatin1String("/sbin")
        || path == QLatin1String("/usr") || path.startsWith(QLatin1String("/usr/"));
}

bool IsInstalledProgramFolder(const QString &programFolder)
{
    return !InstalledDataFolder(programFolder).isEmpty() || IsSystemFolder(programFolder);
}
