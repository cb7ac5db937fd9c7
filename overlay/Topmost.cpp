#include "Topmost.h"

#include "platform/Platform.h"

#include <QWidget>
#include <QWindow>

void SetFormTopmost(QWidget *form, int mode)
{
    if (!form || (mode != 0 && mode != 1))
        return;
    const bool topmost = mode == 1;
    Qt::WindowFlags flags = form->windowFlags();
    flags.setFlag(Qt::WindowStaysOnTopHint, topmost);
    // The widget records the flag without re-creating its window (setWindowFlags would hide and
    // re-create it), so a window made later carries it; a window that exists is told directly.
    form->overrideWindowFlags(flags);
    if (QWindow *window = form->windowHandle()) {
        window->setFlags(flags);
        if (form->testAttribute(Qt::WA_WState_Created))
            platform::caps().stack->setTopmost(platform::NativeWindow(form->winId()), topmost);
    }
}
