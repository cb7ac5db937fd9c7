#pragma once

#include "platform/SingleInstance.h"

#include <QString>

#include <memory>

class QSocketNotifier;

namespace platform::posix {

// One copy per session over the system's own local socket (no networking library loaded for it).
class PosixSingleInstance final : public SingleInstance
{
public:
    // The socket's path for a session: in the user's runtime folder when it is one only the user
    // can enter, otherwise in a folder of the user's own, named with the user's id, in the
    // temporary folder. `display` names the session's display (DISPLAY or WAYLAND_DISPLAY);
    // characters outside letters, digits, '.', '_' and '-' are replaced. Empty when there is no
    // display: there is no session to keep one copy in.
    static QString serverName(const QString &runtimeDir, const QString &display, qint64 uid);

    explicit PosixSingleInstance(QString path);
    ~PosixSingleInstance() override;

    bool askRunningCopy() override;
    // A socket left by a copy that ended without removing it (a crash) is replaced.
    bool listen(std::function<void()> onRequest) override;

private:
    QString m_path;
    std::function<void()> m_onRequest;
    int m_listener = -1;
    std::unique_ptr<QSocketNotifier> m_notifier;
};

// The one copy of the session whose display is `display`, for the user running the program.
std::unique_ptr<SingleInstance> makeSingleInstance(const QString &display);

} // namespace platform::posix
