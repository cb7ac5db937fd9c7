#pragma once

#include <QString>

// Whether the program runs installed, and where its shared files are then.
//
// The program is *installed* when its folder is one of these:
//  - the bin folder of an installation: the folder has the install's bin name ("bin") and the
//    installed data folder exists at the path the build configured relative to it
//    (<prefix>/bin/../share/vyn-quillane). That is cmake --install, a package, a staged DESTDIR
//    tree or a per-user prefix such as ~/.local;
//  - a system folder, which the program must never write into even when it could (run as
//    root): /bin, /sbin, /usr and everything below it.
// Anything else (the build folder, a folder of its own the program was copied into, also
// somewhere under /opt) is the program's own folder, and its files live beside it.
//
// An installed program keeps its settings only in the per-user folder. The checks look at
// paths, never at permissions: a folder that merely happens to be read-only is handled by the
// settings file's own fallback.

// The installed data folder for a program in `programFolder`, with a trailing separator, when
// the folder has the installed layout; empty otherwise.
QString InstalledDataFolder(const QString &programFolder);

// /bin, /sbin, /usr or a folder below /usr (symbolic links resolved when the folder exists).
bool IsSystemFolder(const QString &folder);

// InstalledDataFolder is not empty, or the folder is a system folder.
bool IsInstalledProgramFolder(const QString &programFolder);
