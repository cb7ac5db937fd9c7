#pragma once

// A connection of the program's own to the compositor, beside the toolkit's, for what the toolkit
// does not ask for: the outputs with the names the toolkit gives its screens, and the
// compositor's offers that the program reads the desktop and finds the user's output with (the
// wlroots screen copy and layer shell). Everything on it is done synchronously, at start-up,
// before any window of the program is on the screen. The connection, its globals and the copy
// are in WaylandOutputs.cpp; one copy of an output in ScreenCopyFrame; the program's surfaces on
// the layer shell (the cover, the pixel that finds the user's output) in WaylandCovers.cpp.
#include "platform/DesktopCapture.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

struct wl_display;
struct wl_registry;
struct wl_output;
struct wl_shm;
struct wl_compositor;
struct wl_buffer;
struct wl_seat;
struct wl_pointer;
struct wl_surface;
class QObject;
struct zxdg_output_manager_v1;
struct zxdg_output_v1;
struct zwlr_screencopy_manager_v1;
struct zwlr_layer_shell_v1;
struct zwlr_layer_surface_v1;

namespace platform::wayland {

class WaylandOutputs
{
public:
    struct Output
    {
        WaylandOutputs *owner = nullptr;
        std::uint32_t globalName = 0;
        wl_output *output = nullptr;
        zxdg_output_v1 *xdgOutput = nullptr;
        std::string name; // as xdg-output names it ("HEADLESS-1", "DP-2"), as the toolkit does
        int logicalX = 0;
        int logicalY = 0;
    };

    // Null when there is no compositor to talk to.
    static std::unique_ptr<WaylandOutputs> connect();
    ~WaylandOutputs();
    WaylandOutputs(const WaylandOutputs &) = delete;
    WaylandOutputs &operator=(const WaylandOutputs &) = delete;

    // Whether the compositor copies its outputs for clients (wlroots' screen copy) into shared
    // memory.
    bool copiesOutputs() const { return m_screencopy && m_shm; }

    // The output by its name; the first one for an empty name; null when there is none such.
    const Output *output(const std::string &name) const;

    // The picture of the output as the compositor shows it, at its device pixels, without the
    // pointer, in shared memory the image keeps. Empty when the copy failed. `whileWaiting` runs
    // once the copy is asked for, while the compositor waits for the output's next frame. Only
    // with `coverPointer` is a pointer the compositor draws itself kept out too (see Cover).
    DesktopImage copyOutput(const Output &output, const std::function<void()> &whileWaiting = {},
                            bool coverPointer = true);

    // Called by the seat and the pointer.
    void seatCapabilities(std::uint32_t capabilities);
    void pointerEntered(std::uint32_t serial, wl_surface *surface);

    // The output the user is on, where the compositor puts what it is not told where to put: a
    // transparent surface of the program's on the layer shell (never given the keyboard; the
    // early cover where the compositor copies outputs, else a pixel shown for a moment) says
    // which output the compositor chose. Empty where it cannot tell.
    std::string userOutput();

    // What the compositor says of a layer surface of the program's: its configure and the output
    // it put the surface on. (Public for the listeners only.)
    struct Placement
    {
        bool configured = false;
        bool closed = false;
        std::uint32_t serial = 0;
        std::uint32_t width = 0;
        std::uint32_t height = 0;
        wl_output *entered = nullptr;
    };

    // Called by the registry.
    void addGlobal(std::uint32_t name, const char *interface, std::uint32_t version);
    void removeGlobal(std::uint32_t name);

private:
    WaylandOutputs() = default;
    void roundtrip();
    // A transparent buffer, for the layer surfaces.
    wl_buffer *transparentBuffer(int width, int height);
    // A compositor that draws the pointer into the output's picture itself (a software cursor:
    // headless outputs, some graphics hardware) copies it too, whatever the copy asks. So while the
    // output is copied, a transparent surface of the program's covers it, and over that surface
    // the program asks for no pointer at all.
    struct Cover
    {
        wl_surface *surface = nullptr;
        zwlr_layer_surface_v1 *layer = nullptr;
        wl_buffer *buffer = nullptr;
        std::unique_ptr<Placement> placement;
    };
    // A transparent surface of the program's on the layer shell, mapped: over the whole output or
    // of one pixel, on `output` or, for a null one, on the output the compositor chooses. Nothing
    // is waited for once it is asked to show. Empty when the compositor does not take it.
    Cover mapLayerSurface(wl_output *output, std::uint32_t layer, bool wholeOutput,
                          const char *role);
    // The cover over the whole output, where the seat has a pointer to hide.
    Cover mapCover(wl_output *output);
    // The name of the output the compositor says the surface is on, once it says; empty when it
    // does not.
    std::string enteredOutput(const Placement &placement);
    // Hides the pointer over the cover where the pointer stands on it.
    void hidePointerOver(const Cover &cover);
    void removeCover(Cover &cover);
    // Takes the cover away a moment after the copy (see the implementation).
    void removeCoverLater(Cover &cover);

    wl_display *m_display = nullptr;
    wl_registry *m_registry = nullptr;
    wl_shm *m_shm = nullptr;
    wl_compositor *m_compositor = nullptr;
    zxdg_output_manager_v1 *m_xdgOutputs = nullptr;
    zwlr_screencopy_manager_v1 *m_screencopy = nullptr;
    zwlr_layer_shell_v1 *m_layerShell = nullptr;
    wl_seat *m_seat = nullptr;
    wl_pointer *m_pointer = nullptr;
    std::uint32_t m_enterSerial = 0;
    wl_surface *m_pointerSurface = nullptr;
    Cover m_laterCover;
    // The cover put up as soon as the program connects, on the output the compositor chose for it
    // (the user's), so that the compositor draws it while the program starts; the copy of that
    // output uses it, and it tells which output the user is on.
    Cover m_earlyCover;
    std::unique_ptr<QObject> m_timerContext; // the timer that takes the cover away
    std::vector<std::unique_ptr<Output>> m_outputs;
};

} // namespace platform::wayland
