#include "MessageBox.h"

#include "platform/KeyboardOnShow.h"

#include "platform/Platform.h"

#include <QGuiApplication>
#include <QMessageBox>
#include <QScreen>
#include <QWindow>

namespace {
MsgBoxHook &hook()
{
    static MsgBoxHook instance;
    return instance;
}
// The program's window a box belongs to where the compositor places the windows: its parent's
// when that is on the screen, else the one in front (the full-screen overlay). A box that is not
// a child of the full-screen window may open behind it.
QWindow *frontWindow(QWidget *parent)
{
    if (parent && parent->isVisible())
        return nullptr; // Qt makes it the parent's child as it is
    if (QWindow *focus = QGuiApplication::focusWindow(); focus && focus->isVisible())
        return focus;
    for (QWindow *window : QGuiApplication::topLevelWindows())
        if (window->isVisible() && window->windowState() == Qt::WindowFullScreen)
            return window;
    return nullptr;
}

// Whether the user can see the window: the main form, which holds the keyboard and owns the
// commands, stands off the screen.
bool onScreen(const QWidget *widget)
{
    const QWidget *window = widget->window();
    const QScreen *screen = window->screen();
    return window->isVisible() && screen && screen->geometry().intersects(window->frameGeometry());
}

} // namespace

void MsgBox(const QString &text, MsgIcon icon, const QString &title, QWidget *parent)
{
    if (hook()) {
        hook()(text, icon, title);
        return;
    }
    const QMessageBox::Icon qtIcon = icon == MsgIcon::Critical ? QMessageBox::Critical
        : icon == MsgIcon::Exclamation                         ? QMessageBox::Warning
                                                               : QMessageBox::Information;
    // A box of a window the user cannot see stands in the middle of the screen, as a box of no
    // window does, rather than at the screen's edge nearest to that window.
    if (parent && !onScreen(parent))
        parent = nullptr;
    QString shown = text;
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    QMessageBox box(qtIcon, title, shown, QMessageBox::Ok, parent);
    // What a box says can be copied (a refusal's message gives the command that lifts it); the
    // keys stay the box's buttons'.
    box.setTextInteractionFlags(Qt::TextSelectableByMouse);
    // The box must come up above the topmost overlay.
    box.setWindowFlag(Qt::WindowStaysOnTopHint, true);
    if (!platform::caps().stack->placesWindows()) {
        if (QWindow *front = frontWindow(parent)) {
            box.winId();
            box.windowHandle()->setTransientParent(front);
        }
        platform::TakeKeyboardOnceShown(&box);
    }
    box.exec();
}

void SetMsgBoxHook(MsgBoxHook newHook)
{
    hook() = std::move(newHook);
}

bool MsgBoxIsHooked()
{
    return bool(hook());
}
