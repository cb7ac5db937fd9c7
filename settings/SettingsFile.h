#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// Where QUILLAN.DAT lives and how its bytes get to and from the disk.
//
// The file's home is the program's folder. Where that folder cannot be written (a read-only
// medium), the settings are kept in the per-user configuration folder instead
// ($XDG_CONFIG_HOME/vyn-quillane); a file there is read when it is newer than the one in the
// program's folder, so the last save always wins. An installed program (see InstallLayout.h)
// keeps its settings only in the per-user folder, and never touches its own folder.

// The folder that holds the program's executable, with the platform's separator appended unless
// it already ends in one (a drive root keeps its single backslash).
QString AppPathSlash();

// Tests run the program from a folder of their own.
void SetProgramFolderForTests(const QString &folder);

QString SettingsFileName(); // "QUILLAN.DAT"
QString ProgramSettingsPath(); // AppPathSlash() + "QUILLAN.DAT"
QString UserSettingsPath(); // the per-user fallback
// True when the program is installed, so its settings live in UserSettingsPath() alone.
bool SettingsArePerUser();

// The file to read: the per-user copy when it exists and is newer than the program folder's (or
// that one does not exist), otherwise the program folder's; always the per-user file when the
// program is installed.
QString SettingsPathToRead();

struct LoadedBytes
{
    bool opened = false; // false: the file could neither be opened nor created
    QByteArray bytes;
    QString path;
    QString error; // why it could not be opened
};

// Opens the file to read, creating an empty one in the program's folder (the per-user folder
// when installed) when there is none anywhere, and reads all of it. Anything but a regular file
// of at most MaxSettingsFileBytes (a named pipe, a device, a link to one, a huge file) is not
// read: `opened` is then false. Never waits.
LoadedBytes LoadSettingsBytes();

struct SaveOutcome
{
    bool saved = false;
    QString path; // where the settings went (or were meant to go)
    bool usedFallback = false; // saved in the per-user folder because the program's failed
    bool fallbackIsNew = false; // ... and no per-user file existed before
    bool perUser = false; // installed: the per-user file is the one place, not a fallback
    QString programFolderError; // why the program's folder could not take the file
    QString error; // when nothing could be saved: why the last attempt failed
};

// Replaces the file atomically (a temporary file in the same folder, renamed over the old one),
// in the program's folder, or in the per-user folder when that fails. An installed program saves
// in the per-user folder only.
SaveOutcome SaveSettingsBytes(const QByteArray &bytes);
