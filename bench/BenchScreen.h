#pragma once

// What the drivers that compare whole programs share: watching the screen through the X server's
// damage records (every drawing request that reaches the screen, whoever makes it), reading the
// whole screen through shared memory to fingerprint what it shows, the top-level windows, and the
// process tree a program leaves (its CPU, its peak memory, and killing it).

#include "BenchCommon.h"

#include <QDir>
#include <QFile>
#include <QRect>
#include <QRegion>
#include <QString>

#include <X11/Xlib.h>
#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <X11/extensions/Xdamage.h>

#include <sys/ipc.h>
#include <sys/shm.h>

#include <csignal>
#include <cstdint>
#include <vector>

namespace bench {

// The whole screen read into shared memory, fingerprinted with a 64-bit hash of its pixels.
class ScreenReader
{
public:
    explicit ScreenReader(Display *dpy)
        : m_dpy(dpy)
    {
        const int screen = DefaultScreen(dpy);
        m_image = XShmCreateImage(dpy, DefaultVisual(dpy, screen), DefaultDepth(dpy, screen),
                                  ZPixmap, nullptr, &m_shm, DisplayWidth(dpy, screen),
                                  DisplayHeight(dpy, screen));
        m_shm.shmid = shmget(IPC_PRIVATE, size_t(m_image->bytes_per_line) * m_image->height,
                             IPC_CREAT | 0600);
        m_shm.shmaddr = m_image->data = static_cast<char *>(shmat(m_shm.shmid, nullptr, 0));
        m_shm.readOnly = False;
        XShmAttach(dpy, &m_shm);
        XSync(dpy, False);
        shmctl(m_shm.shmid, IPC_RMID, nullptr);
    }
    ~ScreenReader()
    {
        XShmDetach(m_dpy, &m_shm);
        XDestroyImage(m_image);
        shmdt(m_shm.shmaddr);
    }
    ScreenReader(const ScreenReader &) = delete;
    ScreenReader &operator=(const ScreenReader &) = delete;

    quint64 fingerprint()
    {
        XShmGetImage(m_dpy, DefaultRootWindow(m_dpy), m_image, 0, 0, AllPlanes);
        const auto *words = reinterpret_cast<const quint64 *>(m_image->data);
        const size_t count = size_t(m_image->bytes_per_line) * m_image->height / 8;
        quint64 hash = 1469598103934665603ULL;
        for (size_t i = 0; i < count; ++i)
            hash = (hash ^ (words[i] & 0x00FFFFFF00FFFFFFULL)) * 1099511628211ULL;
        return hash;
    }

    unsigned long pixel(int x, int y) const { return XGetPixel(m_image, x, y) & 0xFFFFFF; }

private:
    Display *m_dpy;
    XShmSegmentInfo m_shm {};
    XImage *m_image = nullptr;
};

// Every drawing request that reaches the screen, as rectangles of the root window (the damage of
// the root includes its inferiors: every window on the screen).
class ScreenDamage
{
public:
    explicit ScreenDamage(Display *dpy)
        : m_dpy(dpy)
    {
        int error = 0;
        m_ok = XDamageQueryExtension(dpy, &m_eventBase, &error);
        if (m_ok)
            m_damage = XDamageCreate(dpy, DefaultRootWindow(dpy), XDamageReportRawRectangles);
        XSync(dpy, False);
    }
    ~ScreenDamage()
    {
        if (m_ok)
            XDamageDestroy(m_dpy, m_damage);
    }
    ScreenDamage(const ScreenDamage &) = delete;
    ScreenDamage &operator=(const ScreenDamage &) = delete;

    bool ok() const { return m_ok; }
    bool isDamage(const XEvent &event) const
    {
        return m_ok && event.type == m_eventBase + XDamageNotify;
    }
    static QRect rect(const XEvent &event)
    {
        const auto &d = reinterpret_cast<const XDamageNotifyEvent &>(event);
        return QRect(d.area.x, d.area.y, d.area.width, d.area.height);
    }

private:
    Display *m_dpy;
    int m_eventBase = 0;
    bool m_ok = false;
    Damage m_damage = 0;
};

// A desktop to freeze: bands of colour over the root window, so a copy of the screen is a copy
// of something and a frame that shows the wrong pixels is told apart.
inline void paintBandsOnTheDesktop(Display *dpy)
{
    const int screen = DefaultScreen(dpy);
    const int w = DisplayWidth(dpy, screen), h = DisplayHeight(dpy, screen);
    const Window root = DefaultRootWindow(dpy);
    const Pixmap pixmap = XCreatePixmap(dpy, root, w, h, DefaultDepth(dpy, screen));
    const GC gc = XCreateGC(dpy, pixmap, 0, nullptr);
    for (int x = 0; x < w; x += 8) {
        const int shade = (x * 255) / w;
        XSetForeground(dpy, gc, (shade << 16) | ((255 - shade) << 8) | ((x / 8) % 2 ? 0x60 : 0x90));
        XFillRectangle(dpy, pixmap, gc, x, 0, 8, h);
    }
    XSetForeground(dpy, gc, 0xF0F0F0);
    for (int y = 0; y < h; y += 120)
        XFillRectangle(dpy, pixmap, gc, 0, y, w, 2);
    XSetWindowBackgroundPixmap(dpy, root, pixmap);
    XClearWindow(dpy, root);
    // A compositing manager paints the wallpaper the root names, not the root's background: the
    // pixmap stays for as long as this connection does.
    const Atom wallpaper = XInternAtom(dpy, "_XROOTPMAP_ID", False);
    XChangeProperty(dpy, root, wallpaper, XA_PIXMAP, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char *>(&pixmap), 1);
    XFreeGC(dpy, gc);
    XSync(dpy, False);
}

// The viewable top-level windows, as ids and rectangles.
struct TopWindow
{
    Window id;
    QRect rect;
};

inline std::vector<TopWindow> viewableTopWindows(Display *dpy)
{
    std::vector<TopWindow> windows;
    Window root = 0, parent = 0, *children = nullptr;
    unsigned int count = 0;
    XQueryTree(dpy, DefaultRootWindow(dpy), &root, &parent, &children, &count);
    for (unsigned int i = 0; i < count; ++i) {
        XWindowAttributes a {};
        if (XGetWindowAttributes(dpy, children[i], &a) && a.map_state == IsViewable)
            windows.push_back({children[i], QRect(a.x, a.y, a.width, a.height)});
    }
    if (children)
        XFree(children);
    return windows;
}

// The process and all its descendants, found through the parent of every process in /proc.
inline std::vector<qint64> processTree(qint64 pid)
{
    std::vector<std::pair<qint64, qint64>> parentOf;
    const QDir proc(QStringLiteral("/proc"));
    for (const QString &entry : proc.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        bool number = false;
        const qint64 child = entry.toLongLong(&number);
        if (!number)
            continue;
        QFile stat(proc.filePath(entry) + QStringLiteral("/stat"));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        const QByteArray text = stat.readAll();
        // The name is in parentheses and may hold blanks: the fields after its last ')' are fixed.
        const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
        if (fields.size() > 1)
            parentOf.emplace_back(child, fields[1].toLongLong());
    }
    std::vector<qint64> tree {pid};
    for (size_t i = 0; i < tree.size(); ++i)
        for (const auto &[child, parent] : parentOf)
            if (parent == tree[i])
                tree.push_back(child);
    return tree;
}

inline long long treeCpuNs(qint64 pid)
{
    long long total = 0;
    for (const qint64 p : processTree(pid))
        total += cpuNs(p);
    return total;
}

// The peak resident memory of the whole tree: the sum of each process's VmHWM, in kB.
inline long treeHwmKb(qint64 pid)
{
    long total = 0;
    for (const qint64 p : processTree(pid))
        total += std::max(0L, vmHwmKb(p));
    return total;
}

inline void killTree(qint64 pid)
{
    for (const qint64 p : processTree(pid))
        ::kill(pid_t(p), SIGKILL);
}

} // namespace bench
