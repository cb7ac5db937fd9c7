#pragma once

#include <QObject>
#include <QString>

#include <functional>

class QLocalServer;
class QSocketNotifier;

// One running copy of the program per user and desktop session. The first copy listens on a
// local socket named for the user and the session; a later start finds it there, asks it to bring
// its overlay back from standby, and ends without touching anything else. On a Unix system the
// socket is the system's own (no networking library loaded for it); elsewhere the toolkit's.
class SingleInstance : public QObject
{
public:
    // The socket's name for a session: in the user's runtime folder when there is one (private to
    // the user), otherwise a name with the user's id, which the toolkit puts in the temporary
    // folder. `display` names the session's display (DISPLAY or WAYLAND_DISPLAY); characters
    // outside letters, digits, '.', '_' and '-' are replaced. Empty when there is no display:
    // there is no session to keep one copy in.
    static QString serverName(const QString &runtimeDir, const QString &display, qint64 uid);
    // The name for the session the program runs in, by the toolkit's windowing system.
    static QString serverNameForThisSession();

    explicit SingleInstance(QString name);
    ~SingleInstance() override;

    // True when a running copy was found and asked to come back; this copy should end then.
    bool askRunningCopy();
    // Listens for later copies; onRequest runs for each one that asks. A socket left by a copy
    // that ended without closing it (a crash) is replaced. False when it cannot listen (the
    // program then runs as a lone copy without the return by a second start).
    bool listen(std::function<void()> onRequest);

    const QString &name() const { return m_name; }

private:
    QString m_name;
    std::function<void()> m_onRequest;
#ifdef Q_OS_UNIX
    QString path() const;
    int m_listener = -1;
    QSocketNotifier *m_notifier = nullptr;
#else
    QLocalServer *m_server = nullptr;
#endif
};
