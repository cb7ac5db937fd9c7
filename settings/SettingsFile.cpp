#include "SettingsFile.h"

#include "InstallLayout.h"
#include "SettingsCodec.h"
#include "platform/RegularFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

namespace {
QString &folderOverride()
{
    static QString folder;
    return folder;
}

// Writes the whole of `bytes` to `path` through a temporary file that replaces the old one only
// once everything is on disk.
bool saveAtomically(const QString &path, const QByteArray &bytes, QString &error)
{
    // A named pipe, a device or a link to one under the file's name was refused as a broken
    // file when it was read; the save puts a plain file in its place instead of writing into
    // it, which could wait for ever for a reader or send the settings nowhere. (A link to a
    // regular file stays a link, and the file it points to is replaced.)
    const QFileInfo existing(path);
    if (existing.exists() && !existing.isFile() && !existing.isDir())
        QFile::remove(path);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        error = file.errorString();
        return false;
    }
    // A small write only fills QSaveFile's buffer; the disk's answer comes with the flush, and
    // commit() would rename the temporary file over the old one even when that flush failed
    // (a full disk then leaves an empty QUILLAN.DAT). So the flush is checked here, first.
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        error = file.errorString();
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        error = file.errorString();
        return false;
    }
    return true;
}
} // namespace

QString AppPathSlash()
{
    QString folder
        = folderOverride().isEmpty() ? QCoreApplication::applicationDirPath() : folderOverride();
    folder = QDir::toNativeSeparators(folder);
    const QChar separator = QDir::separator();
    if (!folder.endsWith(separator))
        folder.append(separator);
    return folder;
}

void SetProgramFolderForTests(const QString &folder)
{
    folderOverride() = folder;
}

QString SettingsFileName()
{
    return QStringLiteral("QUILLAN.DAT");
}

QString ProgramSettingsPath()
{
    return AppPathSlash() + SettingsFileName();
}

QString UserSettingsPath()
{
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return QDir::toNativeSeparators(base + QStringLiteral("/vyn-quillane/")) + SettingsFileName();
}

bool SettingsArePerUser()
{
    return IsInstalledProgramFolder(AppPathSlash());
}

QString SettingsPathToRead()
{
    if (SettingsArePerUser())
        return UserSettingsPath();
    const QFileInfo program(ProgramSettingsPath());
    const QFileInfo user(UserSettingsPath());
    if (user.isFile() && (!program.exists() || user.lastModified() > program.lastModified()))
        return user.filePath();
    return program.filePath();
}

LoadedBytes LoadSettingsBytes()
{
    LoadedBytes out;
    out.path = SettingsPathToRead();
    // Only a regular file of a size the format can have is read: a named pipe would hold up
    // the start for ever, a link to a device or a huge file would be read until memory runs
    // out. Those are broken files, reported as such.
    platform::RegularFileRead read = platform::ReadRegularFile(out.path, MaxSettingsFileBytes);
    if (read.outcome == platform::RegularFileOutcome::Missing) {
        // A missing file is created, empty, so the program's folder holds one while the program
        // runs. NewOnly: should something have taken the name meanwhile, it is not opened.
        if (SettingsArePerUser())
            QDir().mkpath(QFileInfo(out.path).absolutePath());
        QFile file(out.path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
            out.error = file.errorString();
            return out;
        }
        out.opened = true;
        return out;
    }
    if (read.outcome != platform::RegularFileOutcome::Read) {
        out.error = read.error;
        return out;
    }
    out.opened = true;
    out.bytes = std::move(read.bytes);
    return out;
}

SaveOutcome SaveSettingsBytes(const QByteArray &bytes)
{
    SaveOutcome out;
    if (SettingsArePerUser()) {
        out.perUser = true;
        out.path = UserSettingsPath();
        QDir().mkpath(QFileInfo(out.path).absolutePath());
        out.saved = saveAtomically(out.path, bytes, out.error);
        return out;
    }
    out.path = ProgramSettingsPath();
    if (saveAtomically(out.path, bytes, out.programFolderError)) {
        out.saved = true;
        // A per-user copy left from a time the program's folder was read-only is older now; it
        // goes, so it cannot shadow this save later.
        const QString user = UserSettingsPath();
        if (QFileInfo::exists(user))
            QFile::remove(user);
        return out;
    }
    const QString user = UserSettingsPath();
    out.fallbackIsNew = !QFileInfo::exists(user);
    QDir().mkpath(QFileInfo(user).absolutePath());
    if (saveAtomically(user, bytes, out.error)) {
        out.saved = true;
        out.usedFallback = true;
        out.path = user;
        return out;
    }
    out.path = ProgramSettingsPath();
    return out;
}
