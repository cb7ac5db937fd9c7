#include "Standby.h"

#include "core/OverlayGeometry.h"
#include "overlay/OverlayForm.h"
#include "overlay/Topmost.h"
#include "platform/Platform.h"
#include "settings/Settings.h"
#include "settings/Units.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QWindow>

Standby::Standby(QWidget &holder)
    : m_holder(holder)
{
    tmrCapKeyEvent.setInterval(100);
    // Once the overlay has the keyboard back after standby, the main form that kept it meanwhile
    // is put away again.
    QObject::connect(
        qGuiApp, &QGuiApplication::focusWindowChanged, &tmrCapKeyEvent, [this](QWindow *focus) {
            if (m_holder.isVisible() && focus && focus != m_holder.windowHandle()
                && frmShow.isLoaded() && focus == frmShow->windowHandle() && frmShow->isVisible())
                m_holder.hide();
        });
}

void Standby::goAway()
{
    OverlayForm &overlay = *frmShow;
    const platform::Capabilities &caps = platform::caps();
    if (caps.stack->placesWindows()) {
        // Entirely off the right edge: the screen's width plus 100 twips.
        const int screenWidth = QGuiApplication::primaryScreen()->geometry().width();
        const int twips = std::max<int>(gSettings.gnTwipsX, 1);
        overlay.move(int(units::IntDiv(int64_t(screenWidth) * twips + 100 + twips - 1, twips)),
                     overlay.y());
        // The keyboard stays with the program while the overlay is away, so that the hot keys
        // and typing go on, and the overlay can have it back on its return.
        keepKeyboard();
    }
    // A window manager keeps a window it manages partly on the screen, which would leave a strip
    // of the frozen picture over the desktop; off the screen the overlay is not to be seen at all.
    // Where windows cannot be placed, hiding it is all there is: the keyboard goes back to the
    // desktop.
    overlay.hide();
    // The standby key is read from the global keyboard where the system lets the program read it;
    // elsewhere a second start of the program brings the overlay back.
    if (caps.keys->readsGlobalState())
        tmrCapKeyEvent.start();
}

bool Standby::returnKeyHeld()
{
    const Settings &s = gSettings;
    // A standby key outside F10 to F12 (only a damaged file holds one) would leave the overlay
    // off the screen for good; F10 brings it back then.
    static constexpr int keys[]
        = {platform::VK_F10_Code, platform::VK_F11_Code, platform::VK_F12_Code};
    const int key
        = s.gnStandbyKey >= 0 && s.gnStandbyKey <= 2 ? keys[s.gnStandbyKey] : platform::VK_F10_Code;
    const std::int16_t state = platform::caps().keys->GetAsyncKeyState(key);
    // Down, and not pressed anew since the previous tick: the key has been held for a tick.
    return state == std::int16_t(0x8000);
}

void Standby::comeBack()
{
    tmrCapKeyEvent.stop();
    const Settings &s = gSettings;
    OverlayForm &overlay = *frmShow;
    const bool placesWindows = platform::caps().stack->placesWindows();
    if (placesWindows) {
        const QSize screen = QGuiApplication::primaryScreen()->geometry().size();
        const QRect place
            = OverlayRect(screen.width(), screen.height(), s.gnTwipsX, s.gnTwipsY, s.gnMarginLeft,
                          s.gnMarginRight, s.gnMarginTop, s.gnMarginBottom);
        overlay.move(place.topLeft());
    }
    if (holdsKeyboard() || !placesWindows) {
        // The program kept the keyboard through standby (or, where nothing of the program could
        // keep it, the user asked for the overlay by starting the program again): the overlay
        // takes it, and typing goes on without a click. The main form lets go once the overlay
        // has it.
        overlay.showOnScreen();
        overlay.activateWindow();
        overlay.setFocus(Qt::ActiveWindowFocusReason);
    } else {
        // The user went to another program meanwhile: the overlay only comes back on top,
        // without taking the keyboard from it; a press on the overlay gives it back to
        // txtInput. (Once the window exists the platform reads the request from its window,
        // not the widget.)
        m_holder.hide();
        overlay.setAttribute(Qt::WA_ShowWithoutActivating);
        if (QWindow *window = overlay.windowHandle())
            window->setProperty("_q_showWithoutActivating", true);
        overlay.showOnScreen();
        if (QWindow *window = overlay.windowHandle())
            window->setProperty("_q_showWithoutActivating", QVariant());
        overlay.setAttribute(Qt::WA_ShowWithoutActivating, false);
    }
    // Over the windows opened meanwhile, as the topmost window it is.
    if (overlay.windowFlags().testFlag(Qt::WindowStaysOnTopHint))
        SetFormTopmost(&overlay, 1);
}

bool Standby::holdsKeyboard() const
{
    const QWindow *window = m_holder.windowHandle();
    return m_holder.isVisible() && window && QGuiApplication::focusWindow() == window;
}

void Standby::keepKeyboard()
{
    // Standby is given by the user to the program (its menu or a hot key), so the program has the
    // keyboard now, even while the closing menu still holds it.
    if (!holdsKeyboard())
        takeKeyboard();
}

void Standby::takeKeyboard()
{
    if (!m_keyboardHolder) {
        // A window of one pixel, far off the left edge, that no window manager moves back onto
        // the screen or hands the keyboard to another window for: an active window that is never
        // seen.
        m_keyboardHolder = true;
        m_holder.setWindowFlags(Qt::Window | Qt::FramelessWindowHint
                                | Qt::X11BypassWindowManagerHint);
        m_holder.setAttribute(Qt::WA_ShowWithoutActivating);
        const int twips = std::max<int>(gSettings.gnTwipsX, 1);
        m_holder.setGeometry(-32000 / twips, 0, 1, 1);
    }
    keyboardTarget()->setFocus(Qt::OtherFocusReason);
    m_holder.show();
    if (!platform::caps().stack->giveKeyboardTo(platform::NativeWindow(m_holder.winId())))
        m_holder.activateWindow();
}
