#pragma once

#include <QString>

namespace platform {

// The file `path` names, looked up in its folder without regard to the case of its name: the
// program asks for "quillan.hlp" in one place and "Quillan.hlp" in another, and on a file system
// that tells the two apart either must find the one help file. The exact name wins when it
// exists; otherwise the first case-insensitive match in name order. Empty when there is none.
QString FindFileIgnoringCase(const QString &path);

} // namespace platform
