// Qt's headers must come before Xlib's, whose macros (Status, Bool) they would trip over.
#include <QCoreApplication>
#include <QPointer>
#include <QSocketNotifier>

#include "X11Connection.h"
#include "platform/KeyPressTracker.h"
#include "platform/KeyState.h"
#include "platform/KeySymbols.h"

#include <X11/XKBlib.h>
#include <X11/extensions/XInput2.h>
#include <X11/keysym.h>

#include <memory>

namespace platform::x11 {

namespace {

KeySym keysymFor(int virtualKey)
{
    if (virtualKey >= 0x70 && virtualKey <= 0x87)
        return XK_F1 + KeySym(virtualKey - 0x70);
    if (virtualKey >= 0x41 && virtualKey <= 0x5A)
        return XK_a + KeySym(virtualKey - 0x41);
    if (virtualKey >= 0x30 && virtualKey <= 0x39)
        return XK_0 + KeySym(virtualKey - 0x30);
    switch (virtualKey) {
    case 0x08:
        return XK_BackSpace;
    case 0x09:
        return XK_Tab;
    case 0x0D:
        return XK_Return;
    case 0x10:
    case 0xA0:
        return XK_Shift_L;
    case 0xA1:
        return XK_Shift_R;
    case 0x11:
    case 0xA2:
        return XK_Control_L;
    case 0xA3:
        return XK_Control_R;
    case 0x12:
    case 0xA4:
        return XK_Alt_L;
    case 0xA5:
        return XK_Alt_R;
    case 0x1B:
        return XK_Escape;
    case 0x20:
        return XK_space;
    case 0x21:
        return XK_Prior;
    case 0x22:
        return XK_Next;
    case 0x23:
        return XK_End;
    case 0x24:
        return XK_Home;
    case 0x25:
        return XK_Left;
    case 0x26:
        return XK_Up;
    case 0x27:
        return XK_Right;
    case 0x28:
        return XK_Down;
    case 0x2D:
        return XK_Insert;
    case 0x2E:
        return XK_Delete;
    default:
        return NoSymbol;
    }
}

// The whole display's keyboard, whichever window has the focus, on a connection of its own so
// that its events never mix with the toolkit's. Whether a key is down now comes from the keymap
// (XQueryKeymap); whether it was pressed since the previous query comes from the raw key presses
// of XInput 2 on the root window, which every client may watch and which report each press, however
// short. The events are read as they arrive, through the event loop, so they never pile up.
class X11KeyState final : public KeyState
{
public:
    X11KeyState()
    {
        Display *toolkit = display();
        if (!toolkit)
            return;
        m_dpy = openOwnConnection(toolkit);
        if (!m_dpy)
            return;
        Display *dpy = m_dpy.get();
        int opcode = 0, firstEvent = 0, firstError = 0;
        int major = 2, minor = 2;
        if (XQueryExtension(dpy, "XInputExtension", &opcode, &firstEvent, &firstError)
            && XIQueryVersion(dpy, &major, &minor) == Success) {
            unsigned char bits[XIMaskLen(XI_LASTEVENT)] = {};
            XISetMask(bits, XI_RawKeyPress);
            XIEventMask mask;
            mask.deviceid = XIAllMasterDevices;
            mask.mask_len = int(sizeof bits);
            mask.mask = bits;
            if (XISelectEvents(dpy, DefaultRootWindow(dpy), &mask, 1) == Success)
                m_xiOpcode = opcode;
        }
        XSync(dpy, False);
        m_tracker = KeyPressTracker(m_xiOpcode >= 0);
        if (m_xiOpcode >= 0 && QCoreApplication::instance()) {
            m_notifier = new QSocketNotifier(ConnectionNumber(dpy), QSocketNotifier::Read,
                                             QCoreApplication::instance());
            QObject::connect(m_notifier.data(), &QSocketNotifier::activated, m_notifier.data(),
                             [this] { readEvents(QueuedAfterReading); });
        }
    }

    ~X11KeyState() override { delete m_notifier.data(); }

    std::int16_t GetAsyncKeyState(int virtualKey) override
    {
        Display *dpy = m_dpy.get();
        const KeySym sym = keysymFor(virtualKey);
        if (!dpy || sym == NoSymbol)
            return 0;
        const KeyCode code = XKeysymToKeycode(dpy, sym);
        if (code == 0)
            return 0;
        char keys[32] = {};
        // A round trip: every press the server saw before it answered is queued by now, and
        // only those count, so the two halves of the answer describe the same moment.
        XQueryKeymap(dpy, keys);
        readEvents(QueuedAlready);
        const bool down = (keys[code / 8] >> (code % 8)) & 1;
        return m_tracker.query(code, down);
    }

    int VirtualKeyFromNative(std::uint32_t nativeScanCode, std::uint32_t) override
    {
        // The scan code of an X key event is its keycode; the key's letter or digit is its
        // symbol in the first layout group without modifiers.
        if (!m_dpy || nativeScanCode < 8 || nativeScanCode > 255)
            return 0;
        const KeySym sym = XkbKeycodeToKeysym(m_dpy.get(), KeyCode(nativeScanCode), 0, 0);
        // Key symbols are values of 29 bits.
        return VirtualKeyFromKeySymbol(std::uint32_t(sym));
    }

private:
    void readEvents(int mode)
    {
        Display *dpy = m_dpy.get();
        while (XEventsQueued(dpy, mode) > 0) {
            XEvent event;
            XNextEvent(dpy, &event);
            if (event.type == MappingNotify) {
                XRefreshKeyboardMapping(&event.xmapping);
                continue;
            }
            XGenericEventCookie *cookie = &event.xcookie;
            if (cookie->type != GenericEvent || cookie->extension != m_xiOpcode
                || !XGetEventData(dpy, cookie))
                continue;
            if (cookie->evtype == XI_RawKeyPress) {
                const auto *raw = static_cast<const XIRawEvent *>(cookie->data);
                // A key held down repeats its press; only the first one is the key pressed.
                if (!(raw->flags & XIKeyRepeat) && raw->detail > 0)
                    m_tracker.notePress(unsigned(raw->detail));
            }
            XFreeEventData(dpy, cookie);
        }
    }

    OwnConnection m_dpy;
    int m_xiOpcode = -1;
    // Without XInput 2 (an old server), presses are inferred from the keymap alone.
    KeyPressTracker m_tracker {false};
    QPointer<QSocketNotifier> m_notifier;
};

} // namespace

std::unique_ptr<KeyState> makeKeyState()
{
    return std::make_unique<X11KeyState>();
}

} // namespace platform::x11
