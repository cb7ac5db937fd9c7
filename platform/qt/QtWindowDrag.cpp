// The window manager's move, started the way a press on a title bar starts it. On X11 the pointer
// grab is given up and the window manager is asked with _NET_WM_MOVERESIZE to move the window
// with the pointer; on Wayland the compositor is asked for an interactive move of the toplevel
// with the press's serial. The toolkit's window does exactly that and also forgets the press it
// will never see released, so the request goes through it.
#include <QGuiApplication>
#include <QWindow>

#include "QtWindowDrag.h"

#include <memory>

namespace platform::qt {

namespace {

class QtWindowDrag final : public WindowDrag
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
    return std::make_unique<QtWindowDrag>();
}

} // namespace platform::qt
