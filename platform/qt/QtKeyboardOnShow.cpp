#include "platform/KeyboardOnShow.h"
#include "platform/Platform.h"

#include <QEvent>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <QWindow>

namespace {

// Waits for the window's first exposure; the frame it paints for it is the one that puts the
// window on the screen, so the request is made after that paint has gone out.
class ActivateAfterExpose final : public QObject
{
public:
    explicit ActivateAfterExpose(QWidget *window)
        : QObject(window)
        , m_window(window)
    {
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Expose && m_window && m_window->windowHandle() == watched
            && m_window->windowHandle()->isExposed()) {
            watched->removeEventFilter(this);
            QPointer<QWidget> window = m_window;
            QTimer::singleShot(0, window, [window] {
                if (window && window->isVisible())
                    window->activateWindow();
            });
            deleteLater();
        }
        return false;
    }

private:
    QPointer<QWidget> m_window;
};

} // namespace

namespace platform {

void TakeKeyboardOnceShown(QWidget *window)
{
    if (!window || caps().stack->placesWindows())
        return;
    window->winId();
    if (QWindow *handle = window->windowHandle())
        handle->installEventFilter(new ActivateAfterExpose(window));
}

} // namespace platform
