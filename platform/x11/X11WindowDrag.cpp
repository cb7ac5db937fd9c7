// The window manager's move on X11, started the way a press on a title bar starts it: the pointer
// grab is given up and the window manager is asked with _NET_WM_MOVERESIZE to move the window
// with the pointer. The toolkit's window does exactly that and also forgets the press it will
// never see released, so the request goes through it.
#include <QGuiApplication>
#include <QWindow>

#include "platform/WindowDrag.h"

#include <memory>

namespace platform::x11 {

namespace {

class X11WindowDrag final : public WindowDrag
{
public:
    bool beginMove(NativeWindow window) override
    {
        if (!window)
            return false;
        for (QWindow *candidate : QGuiApplication::topLevelWindows()) {
            if (candidate->handle() && NativeWindow(candidate->winId()) == window)
                return candidate->startSystemMove();
        }
        return false;
    }
};

} // namespace

std::unique_ptr<WindowDrag> makeWindowDrag()
{
    return std::make_unique<X11WindowDrag>();
}

} // namespace platform::x11
