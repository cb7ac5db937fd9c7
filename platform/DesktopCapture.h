#pragma once

#include "NativeWindow.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>

namespace platform {

// A copy of part of the desktop: 32-bit 0xFFRRGGBB pixels, row by row, `strideBytes` apart, in
// memory that `memory` keeps alive (on X11 a shared-memory segment the server wrote into).
struct DesktopImage
{
    int width = 0;
    int height = 0;
    std::ptrdiff_t strideBytes = 0;
    std::uint32_t *pixels = nullptr;
    std::shared_ptr<void> memory;
    bool empty() const { return pixels == nullptr; }
};

class DesktopBackdrop;

class DesktopCapture
{
public:
    virtual ~DesktopCapture() = default;
    // Empty when the desktop can be read here; otherwise one sentence saying why not.
    virtual std::string unavailableReason() = 0;
    // The desktop under the rectangle (device pixels) as it is now; the parts of the rectangle
    // beyond the screen are black. Empty when the desktop cannot be read.
    virtual DesktopImage captureDesktop(int x, int y, int width, int height) = 0;
    // Where a window of the program covers a whole output (Wayland): the picture of the output
    // the toolkit names so, at the output's own device pixels, without the pointer. Empty where
    // the system gives no such picture: the program cuts the output from captureDesktop then.
    virtual DesktopImage captureOutput(const std::string &name)
    {
        (void)name;
        return {};
    }

    // Where the system can (X11), a copy of the desktop kept by the system itself that becomes
    // the background of the program's window, so that the window shows its first frame the moment
    // it appears; see DesktopBackdrop. `window` is created, not yet shown, and covers the
    // rectangle (device pixels). Null where the system cannot: the program reads the desktop with
    // captureDesktop and paints it itself.
    virtual std::unique_ptr<DesktopBackdrop> copyDesktopBehind(NativeWindow window, int x, int y,
                                                               int width, int height)
    {
        (void)window, (void)x, (void)y, (void)width, (void)height;
        return nullptr;
    }

    // Work of the program's own to do while the capture waits for another process to take the
    // picture (the desktop portal, where the program may not read the screen itself; the
    // compositor drawing the frame it copies), instead of after it. Run at most once, on the
    // calling thread, during unavailableReason(), captureDesktop() or captureOutput(); where the
    // capture does not wait, it is simply not run.
    void setWorkWhileWaiting(std::function<void()> work) { m_whileWaiting = std::move(work); }

protected:
    void runWorkWhileWaiting()
    {
        if (auto work = std::exchange(m_whileWaiting, nullptr))
            work();
    }

private:
    std::function<void()> m_whileWaiting;
};

// The desktop under a window's rectangle as the window first shows it, kept by the system until
// released: on X11 a copy in a pixmap of the server's, or, under a compositing manager, the
// desktop left where it is (the server starts a new window's picture as what its parent shows
// there). Coordinates are device pixels within the window. The program may draw a small part of
// it before the window appears (read, then write), so that the window's first frame already holds
// the program's own drawing; readAll then gives the picture as it now is, and the program puts
// back the pixels it changed.
class DesktopBackdrop
{
public:
    virtual ~DesktopBackdrop() = default;
    int width() const { return m_width; }
    int height() const { return m_height; }
    // The desktop's pixels under the rectangle, which lies within the window, before the window
    // shows. Empty on failure.
    virtual DesktopImage read(int x, int y, int width, int height) = 0;
    // `image`'s pixels at (x, y) in the window's first frame, in place of the desktop's. Before
    // showBehind only. False on failure.
    virtual bool write(int x, int y, const DesktopImage &image) = 0;
    // Makes the desktop the window's background: the system shows it wherever the window shows
    // and the program has not painted. False when it could not; the window is then as before.
    virtual bool showBehind() = 0;
    // Where nothing stands between the program and the screen (no window manager takes the
    // window in), maps the window at once, the copy behind it: the system paints the copy as the
    // window maps, and reports it as drawn, as it reports any painting (X11 damage: compositors,
    // screen sharing and recorders follow it). The window is then up before the toolkit's own
    // show, whose work for a window just shown comes first (its accessibility bridge may connect
    // to the session bus). False where the toolkit's show is left to do it (a window manager maps
    // the window, and the system paints the copy then), or where the copy is not behind it.
    virtual bool showAtOnce() { return false; }
    // Once the window is shown: where a compositing manager puts windows on the screen, waits
    // (briefly) until it has shown the window's first frame, so that the reading of the whole
    // copy (readAll) does not hold the system while the compositor works. Returns at once where
    // the system's paint at the map is the screen, and when called again.
    virtual void awaitScreen() { }
    // The whole picture, as read now (once the window shows, with what write put in). Empty on
    // failure.
    virtual DesktopImage readAll() = 0;
    // The window goes back to having no background, and what the system kept goes. Nothing is
    // read after.
    virtual void release() = 0;

protected:
    DesktopBackdrop(int width, int height)
        : m_width(width)
        , m_height(height)
    {
    }
    // True when the rectangle lies within the copy and is not empty.
    bool within(int x, int y, int width, int height) const
    {
        return x >= 0 && y >= 0 && width > 0 && height > 0 && x + width <= m_width
            && y + height <= m_height;
    }

private:
    int m_width;
    int m_height;
};

// Memory for a desktop image of the given size, all black, for implementations that copy into
// ordinary memory.
DesktopImage BlackDesktopImage(int width, int height);

} // namespace platform
