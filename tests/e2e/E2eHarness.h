#pragma once

// The end-to-end tests drive the real program on a real X display (Xvfb, with no window manager
// or under openbox; run-e2e.sh starts them) the way a user would: keys and pointer through XTest,
// eyes through screenshots of the root window and window properties.

#include <QByteArray>
#include <QImage>
#include <QProcess>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>
#include <vector>

struct _XDisplay;

namespace e2e {

// X's own types, named without including Xlib (whose True and False macros would clash with the
// program's flags).
using Display = ::_XDisplay;
using XWindow = unsigned long;

Display *display();
QSize screenSize();
// True when run-e2e.sh started a window manager for this run.
bool underWindowManager();
// True when it started a compositing one (xfwm4 with its compositor), once the compositor is on.
bool underCompositor();

// Gives the desktop (the root window's background) a picture whose every pixel is a function of
// its place, so a test can tell which desktop pixel it sees.
void paintDesktopPattern();
QRgb desktopPatternAt(int x, int y);
// Gives the desktop one plain colour (0xRRGGBB).
void paintDesktopPlain(unsigned long rgb);

// The root window's pixels now.
QImage screenshot();
QImage screenshot(const QRect &area);

// Top-level windows (children of the root, or the client windows a window manager framed) whose
// WM_NAME is `title`, mapped ones only unless `includeUnmapped`.
std::vector<XWindow> windowsNamed(const QString &title, bool includeUnmapped = false);
// The window's place and size on the screen (its own, without a frame).
QRect windowRect(XWindow window);
// The atom names in the window's _NET_WM_STATE.
QStringList netWmState(XWindow window);
bool isMapped(XWindow window);

// Input through XTest. Keys are X keysym names ("Return", "F10", "a", "Control_L").
void keyDown(const char *keysym);
void keyUp(const char *keysym);
void tapKey(const char *keysym);
// A chord such as {"Control_L", "c"}: pressed in order, released in reverse.
void chord(std::initializer_list<const char *> keysyms);
// Types text as a user would (any characters of the keyboard map).
void typeText(const QString &text);
void movePointer(int x, int y);
void pressButton(int button);
void releaseButton(int button);
void click(int x, int y, int button = 1);
// A left-button drag in a straight line from `from` to `to`, in `steps` moves `stepMs` apart.
void drag(QPoint from, QPoint to, int steps = 10, int stepMs = 20);
void sync();

// Waits, pumping nothing of its own, until `condition` holds or `timeoutMs` passes.
bool waitUntil(const std::function<bool()> &condition, int timeoutMs = 5000);
// A fixed pause: for pacing input as a hand does (a key held, a drag's moves), not for waiting
// on the program; settle() and waitUntil() do that.
void pause(int ms);
// Waits until every running Program has worked through what was sent to it: each is asleep and
// has used no CPU time over several readings in a row. The input sent before the call has been
// taken in and painted when it returns true (false on time-out).
bool settle(int timeoutMs = 10000);
// Whether a pop-up menu is open: an open menu holds the pointer grabbed, so a grab of our own
// is refused.
bool menuIsOpen();

// Waits for the program's message box (caption " Vyn Quillane"), then closes it with Return as a
// user would; false if none came within `timeoutMs` or it would not close.
bool closeMessageBox(int timeoutMs = 10000, int closeTimeoutMs = 1000);

// The program, copied into a folder of its own, as a user would run it.
class Program
{
public:
    Program();
    ~Program(); // kills the program if it still runs

    QString folder() const { return m_folder.path(); }
    QString settingsPath() const;
    // An environment variable for the program's process (before start).
    void setEnvironment(const QString &name, const QString &value);
    void writeSettings(const QByteArray &bytes);
    QByteArray readSettings() const;
    bool settingsExist() const;

    // Starts the program; returns once its overlay is mapped and, with `waitForFirstPaint`,
    // painted and the program settled (false on time-out). With `expectFirstStartBox` it first
    // waits for the start-up message, checks it, and closes it with Return.
    bool start(bool expectFirstStartBox = false, bool waitForFirstPaint = true);
    // Starts the program and returns as soon as its process runs, with no wait for any window.
    bool startWithoutWaiting();
    // The overlay window (0 before start).
    XWindow overlay() const { return m_overlay; }
    qint64 pid() const;
    bool isRunning() const;
    // Waits for the program to end by itself; false on time-out.
    bool waitForExit(int timeoutMs = 5000);
    void signal(int signalNumber);
    int exitCode() const;
    // Opens the command menu with a right press at (x, y), with the modifiers held; returns
    // once it is open and painted.
    void openMenu(int x, int y, std::initializer_list<const char *> modifiers = {});
    // Chooses "E&xit" from a menu opened with Shift+Ctrl+Alt.
    void exitThroughMenu(int x = 600, int y = 500);
    // Everything the program has printed since this object was made, over all its runs.
    QString output() const;

    static QString executable(); // the built program
    // The settings file the defaults make, changed by `edit` first.
    static QByteArray settingsBytes(const std::function<void()> &edit = {});

private:
    // Takes in what the program printed; a sanitizer's report in it fails the running test (a
    // sanitizer build of the program reports at exit, where no test looks at the exit code).
    void collectOutput() const;

    QTemporaryDir m_folder;
    QProcess m_process;
    XWindow m_overlay = 0;
    mutable QByteArray m_output;
    mutable qsizetype m_checkedUpTo = 0;
};

} // namespace e2e

// --- the menu, typing and start-up as later tests need them ----------------------------------

namespace e2e {

// Opens the program's command menu with a right press and release at (x, y), as a user does, and
// tells whether it opened.
bool rightClickOpensMenu(int x, int y);
// Presses the keys in the open menu, one after another (access keys, Down, Return, Escape).
void keysInMenu(std::initializer_list<const char *> keysyms);
// The bounds of the pixels of exactly `colour` in an area of the screen, in screen coordinates.
QRect inkBounds(QRgb colour, const QRect &area);
// The default caret colour, (0, 255, 0); the desktop pattern has no pixel of it.
constexpr QRgb CaretColour = 0xFF00FF00;
// Where a picture shows the caret: its glyph's pure colour, widened by its smoothed edges.
QRect caretIn(const QImage &shot);
// Two pictures of the screen are the same pixel for pixel, except where either shows the caret,
// which blinks.
bool sameButTheCaret(const QImage &a, const QImage &b);
// Types a key and takes it back with BackSpace, and tells whether the pixels of `textColour` in
// `area` grew meanwhile: the keys reach the text without a click.
bool typingShowsIn(const QRect &area, QRgb textColour);

// Waits for a message box of the program (caption " Vyn Quillane") to be mapped; 0 on time-out.
XWindow waitForMessageBox(int timeoutMs = 10000);

} // namespace e2e

// --- Windows closed from outside, frames and the active window ---------------------------------

#include <QMargins>

namespace e2e {

// Sends the window WM_DELETE_WINDOW, the request a window manager's close box, its Alt+F4 or a
// task bar's "Close" sends.
void requestWindowClose(XWindow window);
// The window manager's frame around the window (_NET_FRAME_EXTENTS); none when it has none.
QMargins frameExtents(XWindow window);
// The window's place and size with its frame.
QRect outerRect(XWindow window);
// _NET_ACTIVE_WINDOW (0 when no window manager says).
XWindow activeWindow();
// The window that has the keyboard.
XWindow inputFocus();
// Whether the keyboard is in the window or a window inside it.
bool keyboardIsIn(XWindow window);

} // namespace e2e
