#include "E2eHarness.h"

#include "settings/Palette.h"
#include "settings/Settings.h"
#include "settings/SettingsCodec.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QThread>

// GoogleTest before Xlib, whose macros (None, True, False) it would trip over.
#include <gtest/gtest.h>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>

namespace e2e {

Display *display()
{
    static Display *dpy = XOpenDisplay(nullptr);
    return dpy;
}

QSize screenSize()
{
    Display *dpy = display();
    return {DisplayWidth(dpy, DefaultScreen(dpy)), DisplayHeight(dpy, DefaultScreen(dpy))};
}

bool underWindowManager()
{
    const QString wm = qEnvironmentVariable("E2E_WM");
    return !wm.isEmpty() && wm != QLatin1String("none");
}

bool underCompositor()
{
    if (qEnvironmentVariable("E2E_WM") != QLatin1String("xfwm4"))
        return false;
    // The compositor is on once it holds the screen's compositing-manager selection.
    Display *dpy = display();
    const Atom selection = XInternAtom(dpy, "_NET_WM_CM_S0", False);
    return waitUntil([&] { return XGetSelectionOwner(dpy, selection) != None; }, 10000);
}

QRgb desktopPatternAt(int x, int y)
{
    return qRgb((x * 7) & 0xFF, (y * 5) & 0xFF, ((x + y) * 3) & 0xFF);
}

void paintDesktopPlain(unsigned long rgb)
{
    Display *dpy = display();
    XSetWindowBackground(dpy, DefaultRootWindow(dpy), rgb);
    XClearWindow(dpy, DefaultRootWindow(dpy));
    XSync(dpy, False);
}

void paintDesktopPattern()
{
    Display *dpy = display();
    const int screen = DefaultScreen(dpy);
    const QSize size = screenSize();
    const Window root = RootWindow(dpy, screen);
    Pixmap pixmap = XCreatePixmap(dpy, root, unsigned(size.width()), unsigned(size.height()),
                                  unsigned(DefaultDepth(dpy, screen)));
    XImage *image = XGetImage(dpy, pixmap, 0, 0, unsigned(size.width()), unsigned(size.height()),
                              AllPlanes, ZPixmap);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            XPutPixel(image, x, y, desktopPatternAt(x, y) & 0xFFFFFF);
    GC gc = XCreateGC(dpy, pixmap, 0, nullptr);
    XPutImage(dpy, pixmap, gc, image, 0, 0, 0, 0, unsigned(size.width()), unsigned(size.height()));
    XFreeGC(dpy, gc);
    XDestroyImage(image);
    XSetWindowBackgroundPixmap(dpy, root, pixmap);
    XClearWindow(dpy, root);
    XFreePixmap(dpy, pixmap);
    XSync(dpy, False);
}

QImage screenshot()
{
    return screenshot(QRect(QPoint(0, 0), screenSize()));
}

QImage screenshot(const QRect &area)
{
    Display *dpy = display();
    XSync(dpy, False);
    XImage *image = XGetImage(dpy, DefaultRootWindow(dpy), area.x(), area.y(),
                              unsigned(area.width()), unsigned(area.height()), AllPlanes, ZPixmap);
    QImage out(area.size(), QImage::Format_RGB32);
    if (!image)
        return {};
    // The usual 24-bit visual is 0x00RRGGBB in 32-bit little-endian words, which is what the
    // image holds already: rows are copied whole (a full-screen shot many times a second).
    const bool direct = image->bits_per_pixel == 32 && image->byte_order == LSBFirst
        && image->red_mask == 0xFF0000 && image->green_mask == 0xFF00 && image->blue_mask == 0xFF;
    for (int y = 0; y < area.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(out.scanLine(y));
        if (direct) {
            const auto *source = reinterpret_cast<const quint32 *>(
                image->data + qsizetype(y) * image->bytes_per_line);
            for (int x = 0; x < area.width(); ++x)
                line[x] = 0xFF000000u | (source[x] & 0xFFFFFF);
        } else {
            for (int x = 0; x < area.width(); ++x)
                line[x] = 0xFF000000u | (XGetPixel(image, x, y) & 0xFFFFFF);
        }
    }
    XDestroyImage(image);
    return out;
}

namespace {

QString windowName(Display *dpy, Window window)
{
    const Atom utf8 = XInternAtom(dpy, "UTF8_STRING", False);
    const Atom netName = XInternAtom(dpy, "_NET_WM_NAME", False);
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char *data = nullptr;
    if (XGetWindowProperty(dpy, window, netName, 0, 1024, False, utf8, &type, &format, &count,
                           &after, &data)
            == Success
        && data && type == utf8) {
        const QString name = QString::fromUtf8(reinterpret_cast<const char *>(data), int(count));
        XFree(data);
        return name;
    }
    if (data)
        XFree(data);
    char *name = nullptr;
    if (XFetchName(dpy, window, &name) && name) {
        const QString result = QString::fromLocal8Bit(name);
        XFree(name);
        return result;
    }
    return {};
}

void collect(Display *dpy, Window parent, int depth, const QString &title, bool includeUnmapped,
             std::vector<Window> &out)
{
    Window root = 0, parentOut = 0;
    Window *children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(dpy, parent, &root, &parentOut, &children, &count))
        return;
    for (unsigned int i = 0; i < count; ++i) {
        const Window child = children[i];
        if (windowName(dpy, child) == title && (includeUnmapped || isMapped(child)))
            out.push_back(child);
        if (depth < 3)
            collect(dpy, child, depth + 1, title, includeUnmapped, out);
    }
    if (children)
        XFree(children);
}

int gIgnoreErrors(Display *, XErrorEvent *)
{
    return 0;
}

} // namespace

std::vector<Window> windowsNamed(const QString &title, bool includeUnmapped)
{
    Display *dpy = display();
    XSetErrorHandler(gIgnoreErrors); // windows may go while they are looked at
    std::vector<Window> out;
    collect(dpy, DefaultRootWindow(dpy), 0, title, includeUnmapped, out);
    return out;
}

bool isMapped(Window window)
{
    XWindowAttributes attributes {};
    if (!XGetWindowAttributes(display(), window, &attributes))
        return false;
    return attributes.map_state == IsViewable;
}

QRect windowRect(Window window)
{
    Display *dpy = display();
    XWindowAttributes attributes {};
    if (!XGetWindowAttributes(dpy, window, &attributes))
        return {};
    int x = 0, y = 0;
    Window child = 0;
    XTranslateCoordinates(dpy, window, DefaultRootWindow(dpy), 0, 0, &x, &y, &child);
    return {x, y, attributes.width, attributes.height};
}

QStringList netWmState(Window window)
{
    Display *dpy = display();
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char *data = nullptr;
    QStringList names;
    if (XGetWindowProperty(dpy, window, XInternAtom(dpy, "_NET_WM_STATE", False), 0, 64, False,
                           XA_ATOM, &type, &format, &count, &after, &data)
            == Success
        && data) {
        const auto *atoms = reinterpret_cast<const Atom *>(data);
        for (unsigned long i = 0; i < count; ++i) {
            char *name = XGetAtomName(dpy, atoms[i]);
            names << QString::fromLatin1(name);
            XFree(name);
        }
    }
    if (data)
        XFree(data);
    return names;
}

namespace {
KeyCode codeFor(const char *keysym)
{
    const KeySym sym = XStringToKeysym(keysym);
    return XKeysymToKeycode(display(), sym);
}
} // namespace

void keyDown(const char *keysym)
{
    XTestFakeKeyEvent(display(), codeFor(keysym), True, 0);
    sync();
}

void keyUp(const char *keysym)
{
    XTestFakeKeyEvent(display(), codeFor(keysym), False, 0);
    sync();
}

void tapKey(const char *keysym)
{
    keyDown(keysym);
    pause(20);
    keyUp(keysym);
}

void chord(std::initializer_list<const char *> keysyms)
{
    for (const char *key : keysyms) {
        keyDown(key);
        pause(20);
    }
    for (auto it = std::rbegin(keysyms); it != std::rend(keysyms); ++it) {
        keyUp(*it);
        pause(20);
    }
}

void typeText(const QString &text)
{
    QProcess::execute(QStringLiteral("xdotool"),
                      {QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("40"),
                       QStringLiteral("--"), text});
}

void movePointer(int x, int y)
{
    XTestFakeMotionEvent(display(), -1, x, y, 0);
    sync();
}

void pressButton(int button)
{
    XTestFakeButtonEvent(display(), unsigned(button), True, 0);
    sync();
}

void releaseButton(int button)
{
    XTestFakeButtonEvent(display(), unsigned(button), False, 0);
    sync();
}

void click(int x, int y, int button)
{
    movePointer(x, y);
    pause(30);
    pressButton(button);
    pause(30);
    releaseButton(button);
}

void drag(QPoint from, QPoint to, int steps, int stepMs)
{
    movePointer(from.x(), from.y());
    pause(50);
    pressButton(1);
    for (int step = 1; step <= steps; ++step) {
        const QPoint at = from + (to - from) * step / steps;
        movePointer(at.x(), at.y());
        pause(stepMs);
    }
    pause(50);
    releaseButton(1);
}

void sync()
{
    XSync(display(), False);
}

bool waitUntil(const std::function<bool()> &condition, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QThread::msleep(25);
    }
    return true;
}

void pause(int ms)
{
    QThread::msleep(ulong(ms));
}

namespace {

// The programs now made, for settle().
std::vector<const Program *> &programs()
{
    static std::vector<const Program *> all;
    return all;
}

struct ProcessState
{
    char state = '?'; // R running or runnable, S asleep, ...
    qint64 cpuTicks = -1; // user and system time
};

ProcessState processState(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return {};
    const QByteArray text = stat.readAll();
    // The fields after the command's closing parenthesis: the state first, utime and stime
    // 12th and 13th.
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 13 || fields[0].isEmpty())
        return {};
    return {fields[0][0], fields[11].toLongLong() + fields[12].toLongLong()};
}

} // namespace

bool settle(int timeoutMs)
{
    sync();
    // CPU time is counted in ticks of 10 ms and a wake-up can come just after a reading, so one
    // quiet reading proves little: four in a row, 25 ms apart, each with every program asleep
    // and its CPU time unchanged. A program waiting for a core is runnable, not asleep.
    constexpr int QuietReadings = 4;
    std::vector<std::pair<qint64, ProcessState>> last;
    int quiet = 0;
    return waitUntil(
        [&] {
            std::vector<std::pair<qint64, ProcessState>> now;
            for (const Program *program : programs())
                if (program->isRunning())
                    now.emplace_back(program->pid(), processState(program->pid()));
            bool still = now.size() == last.size();
            for (std::size_t i = 0; still && i < now.size(); ++i)
                still = now[i].first == last[i].first && now[i].second.state == 'S'
                    && now[i].second.cpuTicks == last[i].second.cpuTicks;
            last = std::move(now);
            quiet = still ? quiet + 1 : 0;
            return quiet >= QuietReadings;
        },
        timeoutMs);
}

bool menuIsOpen()
{
    Display *dpy = display();
    const int status = XGrabPointer(dpy, DefaultRootWindow(dpy), False, 0, GrabModeAsync,
                                    GrabModeAsync, 0, 0, CurrentTime);
    if (status == GrabSuccess)
        XUngrabPointer(dpy, CurrentTime);
    XSync(dpy, False);
    return status == AlreadyGrabbed;
}

// --- the program -----------------------------------------------------------------------------

QString Program::executable()
{
    return QString::fromLocal8Bit(QUILLAN_EXECUTABLE);
}

QByteArray Program::settingsBytes(const std::function<void()> &edit)
{
    const Settings saved = gSettings;
    gSettings = Settings {};
    BuildPalette();
    SetDefaults();
    if (edit)
        edit();
    const QByteArray bytes = EncodeSettings(gSettings).bytes;
    gSettings = saved;
    return bytes;
}

bool closeMessageBox(int timeoutMs, int closeTimeoutMs)
{
    const XWindow box = waitForMessageBox(timeoutMs);
    if (!box)
        return false;
    // The box takes the keyboard once it is shown; Return presses its only button.
    settle();
    for (int attempt = 0; attempt < 5 && isMapped(box); ++attempt) {
        const QRect r = windowRect(box);
        movePointer(r.center().x(), r.center().y());
        tapKey("Return");
        waitUntil([&] { return !isMapped(box); }, closeTimeoutMs);
    }
    return !isMapped(box);
}

Program::Program()
{
    QFile::copy(executable(), folder() + QStringLiteral("/quillan"));
    QFile::setPermissions(folder() + QStringLiteral("/quillan"),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    m_process.setProcessChannelMode(QProcess::MergedChannels);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), folder() + QStringLiteral("/config"));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), folder());
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    env.remove(QStringLiteral("XDG_SESSION_TYPE"));
    m_process.setProcessEnvironment(env);
    m_process.setWorkingDirectory(folder());
    programs().push_back(this);
}

Program::~Program()
{
    programs().erase(std::find(programs().begin(), programs().end(), this));
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished(3000);
    }
    collectOutput();
}

void Program::collectOutput() const
{
    if (m_process.isOpen())
        m_output += const_cast<QProcess &>(m_process).readAll();
    static const char *const reports[]
        = {"ERROR: AddressSanitizer", "ERROR: LeakSanitizer", "runtime error:"};
    const QByteArray fresh = m_output.mid(m_checkedUpTo);
    m_checkedUpTo = m_output.size();
    for (const char *report : reports)
        if (fresh.contains(report)) {
            ADD_FAILURE() << "the program reported a fault:\n" << fresh.toStdString();
            return;
        }
}

void Program::setEnvironment(const QString &name, const QString &value)
{
    QProcessEnvironment env = m_process.processEnvironment();
    env.insert(name, value);
    m_process.setProcessEnvironment(env);
}

QString Program::settingsPath() const
{
    return folder() + QStringLiteral("/QUILLAN.DAT");
}

void Program::writeSettings(const QByteArray &bytes)
{
    QFile file(settingsPath());
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
}

QByteArray Program::readSettings() const
{
    QFile file(settingsPath());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool Program::settingsExist() const
{
    return QFileInfo::exists(settingsPath());
}

bool Program::start(bool expectFirstStartBox, bool waitForFirstPaint)
{
    collectOutput(); // of the run before, if any
    m_process.start(folder() + QStringLiteral("/quillan"), {});
    if (!m_process.waitForStarted(5000))
        return false;
    if (expectFirstStartBox && !closeMessageBox())
        return false;
    const QSize screen = screenSize();
    std::vector<XWindow> found;
    const bool mapped = waitUntil(
        [&] {
            found = windowsNamed(QStringLiteral("Vyn Quillane"));
            for (XWindow w : found) {
                const QRect r = windowRect(w);
                if (r.width() > screen.width() / 4 && r.height() > screen.height() / 4) {
                    m_overlay = w;
                    return true;
                }
            }
            return false;
        },
        10000);
    if (!mapped)
        return false;
    if (waitForFirstPaint && !settle())
        return false;
    return m_process.state() == QProcess::Running;
}

qint64 Program::pid() const
{
    return m_process.processId();
}

bool Program::isRunning() const
{
    return m_process.state() == QProcess::Running;
}

bool Program::waitForExit(int timeoutMs)
{
    const bool ended
        = m_process.state() == QProcess::NotRunning || m_process.waitForFinished(timeoutMs);
    if (ended)
        collectOutput();
    return ended;
}

void Program::signal(int signalNumber)
{
    if (isRunning())
        ::kill(pid_t(pid()), signalNumber);
}

int Program::exitCode() const
{
    return m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1;
}

void Program::openMenu(int x, int y, std::initializer_list<const char *> modifiers)
{
    movePointer(x, y);
    pause(50);
    for (const char *key : modifiers)
        keyDown(key);
    pause(50);
    pressButton(3);
    pause(50);
    releaseButton(3);
    pause(50);
    for (auto it = std::rbegin(modifiers); it != std::rend(modifiers); ++it)
        keyUp(*it);
    waitUntil(menuIsOpen);
    settle();
}

void Program::exitThroughMenu(int x, int y)
{
    openMenu(x, y, {"Shift_L", "Control_L", "Alt_L"});
    // "E&xit": its access key chooses it.
    tapKey("x");
}

QString Program::output() const
{
    if (m_process.isOpen())
        m_output += const_cast<QProcess &>(m_process).readAll();
    return QString::fromLocal8Bit(m_output);
}

} // namespace e2e

// --- the menu, typing and start-up as later tests need them ----------------------------------

namespace e2e {

bool rightClickOpensMenu(int x, int y)
{
    movePointer(x, y);
    pause(30);
    pressButton(3);
    pause(30);
    releaseButton(3);
    const bool open = waitUntil(menuIsOpen, 3000);
    pause(80); // its first paint, before keys reach it
    return open;
}

void keysInMenu(std::initializer_list<const char *> keysyms)
{
    for (const char *key : keysyms) {
        tapKey(key);
        pause(80);
    }
}

QRect inkBounds(QRgb colour, const QRect &area)
{
    const QImage shot = screenshot(area);
    QRect bounds;
    for (int y = 0; y < shot.height(); ++y)
        for (int x = 0; x < shot.width(); ++x)
            if (shot.pixel(x, y) == colour)
                bounds |= QRect(area.x() + x, area.y() + y, 1, 1);
    return bounds;
}

QRect caretIn(const QImage &shot)
{
    QRect caret;
    for (int y = 0; y < shot.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(shot.constScanLine(y));
        for (int x = 0; x < shot.width(); ++x)
            if (line[x] == CaretColour)
                caret |= QRect(x, y, 1, 1);
    }
    return caret.isEmpty() ? caret : caret.adjusted(-2, -2, 2, 2);
}

bool sameButTheCaret(const QImage &a, const QImage &b)
{
    if (a.size() != b.size())
        return false;
    const QRect caret = caretIn(a) | caretIn(b);
    for (int y = 0; y < a.height(); ++y) {
        const auto *p = reinterpret_cast<const QRgb *>(a.constScanLine(y));
        const auto *q = reinterpret_cast<const QRgb *>(b.constScanLine(y));
        for (int x = 0; x < a.width(); ++x)
            if (p[x] != q[x] && !caret.contains(x, y))
                return false;
    }
    return true;
}

bool typingShowsIn(const QRect &area, QRgb textColour)
{
    const auto ink = [&] {
        const QImage shot = screenshot(area);
        int count = 0;
        for (int y = 0; y < shot.height(); ++y)
            for (int x = 0; x < shot.width(); ++x)
                count += shot.pixel(x, y) == textColour ? 1 : 0;
        return count;
    };
    const int before = ink();
    tapKey("w");
    const bool grew = waitUntil([&] { return ink() > before + 20; }, 3000);
    tapKey("BackSpace");
    waitUntil([&] { return ink() <= before; }, 3000);
    return grew;
}

bool Program::startWithoutWaiting()
{
    collectOutput(); // of the run before, if any
    m_process.start(folder() + QStringLiteral("/quillan"), {});
    return m_process.waitForStarted(5000);
}

XWindow waitForMessageBox(int timeoutMs)
{
    std::vector<XWindow> box;
    waitUntil([&] { return !(box = windowsNamed(QStringLiteral(" Vyn Quillane"))).empty(); },
              timeoutMs);
    return box.empty() ? 0 : box.front();
}

} // namespace e2e

// --- Windows closed from outside, frames and the active window ---------------------------------

namespace e2e {

void requestWindowClose(XWindow window)
{
    Display *dpy = display();
    XEvent event {};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(dpy, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = long(XInternAtom(dpy, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(dpy, window, False, NoEventMask, &event);
    XSync(dpy, False);
}

QMargins frameExtents(XWindow window)
{
    Display *dpy = display();
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char *data = nullptr;
    QMargins margins;
    if (XGetWindowProperty(dpy, window, XInternAtom(dpy, "_NET_FRAME_EXTENTS", False), 0, 4, False,
                           XA_CARDINAL, &type, &format, &count, &after, &data)
            == Success
        && type == XA_CARDINAL && format == 32 && count == 4 && data) {
        const auto *v = reinterpret_cast<const long *>(data); // left, right, top, bottom
        margins = QMargins(int(v[0]), int(v[2]), int(v[1]), int(v[3]));
    }
    if (data)
        XFree(data);
    return margins;
}

QRect outerRect(XWindow window)
{
    return windowRect(window).marginsAdded(frameExtents(window));
}

XWindow activeWindow()
{
    Display *dpy = display();
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char *data = nullptr;
    XWindow active = 0;
    if (XGetWindowProperty(dpy, DefaultRootWindow(dpy),
                           XInternAtom(dpy, "_NET_ACTIVE_WINDOW", False), 0, 1, False, XA_WINDOW,
                           &type, &format, &count, &after, &data)
            == Success
        && type == XA_WINDOW && format == 32 && count == 1 && data)
        active = *reinterpret_cast<const Window *>(data);
    if (data)
        XFree(data);
    return active;
}

XWindow inputFocus()
{
    Window focus = 0;
    int revert = 0;
    XGetInputFocus(display(), &focus, &revert);
    return focus;
}

bool keyboardIsIn(XWindow window)
{
    Display *dpy = display();
    Window at = inputFocus();
    // The focus may rest on the window itself or on a window inside it; walk up to the root.
    for (int depth = 0; at != 0 && at != PointerRoot && depth < 16; ++depth) {
        if (at == window)
            return true;
        Window root = 0, parent = 0;
        Window *children = nullptr;
        unsigned int count = 0;
        if (!XQueryTree(dpy, at, &root, &parent, &children, &count))
            return false;
        if (children)
            XFree(children);
        if (parent == root)
            return false;
        at = parent;
    }
    return false;
}

} // namespace e2e
