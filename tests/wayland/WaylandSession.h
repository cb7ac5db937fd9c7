#pragma once

// What a test inside the Wayland test bed (run-wayland.sh) uses to look at and drive its desktop,
// the same on each desktop: screenshots, keys, the mouse, the windows as the compositor has them,
// and client programs whose standard output it reads. On sway: grim, wtype, a virtual pointer and
// swaymsg; on GNOME: the shell's own screenshots and virtual devices through its Eval method; on
// KWin: keys through KWin's fake input (it takes no screenshots there).
#include <QImage>
#include <QList>
#include <QPoint>
#include <QProcess>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class WaylandSession
{
public:
    enum class Desktop { Sway, Gnome, Kwin };

    // A window as the compositor has it (logical pixels).
    struct Window
    {
        QString appId;
        QString title;
        QRect rect;
        bool fullscreen = false;
        bool focused = false; // it has the keyboard
        bool visible = false; // it shows on the output
    };

    WaylandSession() = default;
    ~WaylandSession();

    Desktop desktop() const;

    // The output's mode (device pixels) and scale, as the bed set them up.
    QSize outputSize() const;
    double scale() const;

    // The second output's mode and scale where the bed has one (--second-output, sway); empty and
    // 1 otherwise. It stands right of the first, its top at the layout's top.
    QSize secondOutputSize() const;
    double secondScale() const;
    // The box of the whole layout, every output in it (logical pixels).
    QSize layoutSize() const;

    // The whole output in device pixels, as 0xFFRRGGBB; null when it could not be taken. The
    // first output, or the one named ("HEADLESS-2", sway).
    QImage screenshot(const QString &output = {}) const;
    // Screenshots until one satisfies `ready` (ten seconds at most); the last one taken.
    QImage waitForScreen(const std::function<bool(const QImage &)> &ready,
                         const QString &output = {}) const;

    // Types text as key presses on a virtual keyboard.
    void type(const QString &text) const;
    // Presses a key, e.g. "F4", with modifiers held ("alt", "ctrl", "shift").
    void key(const QString &name, const QStringList &modifiers = {}) const;
    // Presses keys one after the other on one keyboard, e.g. {"dead_acute", "e"}: a compose
    // sequence must not be cut by a new keyboard's keymap.
    void keys(const QStringList &names) const;
    // Moves the pointer to a point of the layout (logical pixels) and clicks a button (1 left,
    // 2 middle, 3 right), or presses and releases it in two steps. A pointer device of the
    // session's own does it, as a mouse would (the seat's cursor commands send no motion while a
    // button is held); each call returns once the compositor has sent the clients its events.
    void moveTo(QPoint at) const;
    void click(QPoint at, int button = 1) const;
    void press(int button = 1) const;
    void release(int button = 1) const;

    // The windows on the desktop (not the shell's own).
    QList<Window> windows() const;

    // Runs swaymsg with the arguments; its standard output.
    QByteArray swaymsg(const QStringList &arguments) const;
    // Runs JavaScript in GNOME Shell; the JSON of its value, or an empty string on failure.
    QString shellEval(const QString &script) const;

private:
    // Sends a helper (the pointer, the fake input) commands and a "sync", then waits until it says
    // the compositor has handled them.
    void helper(std::unique_ptr<QProcess> &process, const QString &program,
                const QByteArray &commands) const;
    void pointer(const QByteArray &commands) const;
    // Presses and releases keys on GNOME's virtual keyboard: key names of the X keysyms (or
    // characters), modifiers held around them.
    void shellKeys(const QStringList &keysyms, const QStringList &modifiers, bool characters) const;
    mutable std::unique_ptr<QProcess> m_pointer;
    mutable std::unique_ptr<QProcess> m_fakeInput;
};

// A program started inside the bed, with its output collected.
class Client
{
public:
    // Its error output goes to the test's, or is read with its standard output (MergedChannels).
    explicit Client(const QString &program, const QStringList &arguments = {},
                    const QProcessEnvironment &environment
                    = QProcessEnvironment::systemEnvironment(),
                    QProcess::ProcessChannelMode channels = QProcess::ForwardedErrorChannel);
    ~Client();

    // The first line of output that starts with prefix and was not returned before, waiting
    // up to ten seconds (or `ms`) for it; empty when none came.
    QString waitForLine(const QString &prefix, int ms = 10000);
    // Waits for the program to end (ten seconds at most); its exit code, or -1 if it did not end.
    int waitForExit();
    QString output() const { return QString::fromUtf8(m_output); }
    QProcess &process() { return m_process; }
    // The process's id while it runs, else 0.
    qint64 pid() const;

private:
    QProcess m_process;
    QByteArray m_output;
    int m_consumed = 0;
};
