// The program's own surfaces on the layer shell: the transparent cover that keeps the pointer out
// of an output's copy, and the pixel that asks the compositor which output the user is on.
#include "WaylandClient.h"
#include "WaylandOutputs.h"

// The layer shell's C header names an argument "namespace", which C++ reserves.
#define namespace layerNamespace
#include "wlr-layer-shell-unstable-v1-client-protocol.h"
#undef namespace

#include <QObject>
#include <QTimer>

#include <utility>

namespace platform::wayland {

namespace {

// How long the surface that hid the pointer while an output was copied stays after the copy.
constexpr int CoverStaysMs = 1000;

using Placement = WaylandOutputs::Placement;

void onConfigure(void *data, zwlr_layer_surface_v1 *, std::uint32_t serial, std::uint32_t width,
                 std::uint32_t height)
{
    auto *placement = static_cast<Placement *>(data);
    if (!placement)
        return; // a cover kept for a moment after its copy: nobody waits for it
    placement->configured = true;
    placement->serial = serial;
    placement->width = width;
    placement->height = height;
}
void onClosed(void *data, zwlr_layer_surface_v1 *)
{
    if (data)
        static_cast<Placement *>(data)->closed = true;
}
const zwlr_layer_surface_v1_listener layerListener = {onConfigure, onClosed};

void onEnter(void *data, wl_surface *, wl_output *output)
{
    if (data)
        static_cast<Placement *>(data)->entered = output;
}
void onLeave(void *, wl_surface *, wl_output *) { }
const wl_surface_listener surfaceListener = {onEnter, onLeave};

} // namespace

wl_buffer *WaylandOutputs::transparentBuffer(int width, int height)
{
    // A new memory file reads as zeros: every pixel transparent.
    SharedMemory memory;
    if (width <= 0 || height <= 0 || !memory.allocate(std::size_t(width) * height * 4))
        return nullptr;
    // The compositor keeps its own mapping of the pool; the program's goes with `memory`.
    return makeBuffer(m_shm, memory, width, height, width * 4, WL_SHM_FORMAT_ARGB8888);
}

WaylandOutputs::Cover WaylandOutputs::mapLayerSurface(wl_output *output, std::uint32_t layer,
                                                      bool wholeOutput, const char *role)
{
    Cover cover;
    if (!m_layerShell || !m_compositor || !m_shm)
        return cover;
    cover.placement = std::make_unique<Placement>();
    Placement &placement = *cover.placement;
    cover.surface = wl_compositor_create_surface(m_compositor);
    wl_surface_add_listener(cover.surface, &surfaceListener, &placement);
    cover.layer
        = zwlr_layer_shell_v1_get_layer_surface(m_layerShell, cover.surface, output, layer, role);
    zwlr_layer_surface_v1_add_listener(cover.layer, &layerListener, &placement);
    if (wholeOutput) {
        zwlr_layer_surface_v1_set_anchor(
            cover.layer,
            ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP | ZWLR_LAYER_SURFACE_V1_ANCHOR_BOTTOM
                | ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT | ZWLR_LAYER_SURFACE_V1_ANCHOR_RIGHT);
        zwlr_layer_surface_v1_set_exclusive_zone(cover.layer, -1);
    } else {
        zwlr_layer_surface_v1_set_size(cover.layer, 1, 1);
    }
    wl_surface_commit(cover.surface);
    for (int i = 0; i < MaxRoundtrips && !placement.configured && !placement.closed; ++i)
        roundtrip();
    // The configure's size is the surface's in the layout's pixels (the output's, for a whole one).
    cover.buffer = placement.configured
        ? transparentBuffer(int(placement.width), int(placement.height))
        : nullptr;
    if (!cover.buffer) {
        removeCover(cover);
        return cover;
    }
    zwlr_layer_surface_v1_ack_configure(cover.layer, placement.serial);
    wl_surface_attach(cover.surface, cover.buffer, 0, 0);
    wl_surface_commit(cover.surface);
    wl_display_flush(m_display);
    return cover;
}

WaylandOutputs::Cover WaylandOutputs::mapCover(wl_output *output)
{
    // Without a pointer there is nothing to hide.
    if (!m_pointer)
        return {};
    return mapLayerSurface(output, ZWLR_LAYER_SHELL_V1_LAYER_OVERLAY, true, "quillan-cover");
}

void WaylandOutputs::hidePointerOver(const Cover &cover)
{
    if (!cover.surface)
        return;
    // The pointer enters the cover at once where it stands on this output; elsewhere it never
    // does, and the output's picture holds no pointer anyway.
    for (int i = 0; i < 3 && m_pointerSurface != cover.surface; ++i)
        roundtrip();
    if (m_pointerSurface == cover.surface)
        wl_pointer_set_cursor(m_pointer, m_enterSerial, nullptr, 0, 0);
}

void WaylandOutputs::removeCoverLater(Cover &cover)
{
    if (!cover.surface)
        return;
    // Its going makes the compositor draw the whole output again, which would hold up the
    // program's first frame on a compositor that draws without the graphics hardware (a frame of
    // 3840 x 2160 takes it tens of milliseconds). So it goes a moment later, when the overlay is
    // up, and meanwhile takes no input: the pointer goes through it as if it were not there.
    // What the compositor still says of it is heard by nobody: the copy's wait is over.
    wl_proxy_set_user_data(reinterpret_cast<wl_proxy *>(cover.layer), nullptr);
    wl_proxy_set_user_data(reinterpret_cast<wl_proxy *>(cover.surface), nullptr);
    wl_region *nothing = wl_compositor_create_region(m_compositor);
    wl_surface_set_input_region(cover.surface, nothing);
    wl_region_destroy(nothing);
    wl_surface_commit(cover.surface);
    removeCover(m_laterCover);
    m_laterCover = std::exchange(cover, Cover {});
    if (!m_timerContext)
        m_timerContext = std::make_unique<QObject>();
    QTimer::singleShot(CoverStaysMs, m_timerContext.get(), [this] {
        removeCover(m_laterCover);
        wl_display_flush(m_display);
    });
}

void WaylandOutputs::removeCover(Cover &cover)
{
    if (m_pointerSurface == cover.surface)
        m_pointerSurface = nullptr;
    release(cover.layer, zwlr_layer_surface_v1_destroy);
    release(cover.surface, wl_surface_destroy);
    release(cover.buffer, wl_buffer_destroy);
    cover = Cover {};
}

std::string WaylandOutputs::enteredOutput(const Placement &placement)
{
    for (int i = 0; i < MaxRoundtrips && !placement.entered && !placement.closed; ++i)
        roundtrip();
    for (const auto &output : m_outputs)
        if (placement.entered && output->output == placement.entered)
            return output->name;
    return {};
}

std::string WaylandOutputs::userOutput()
{
    // The compositor put the early cover on the user's output; it says which once it shows it.
    if (m_earlyCover.surface) {
        const std::string name = enteredOutput(*m_earlyCover.placement);
        if (!name.empty())
            return name;
    }
    // Else a pixel of the program's on no output named: the compositor puts it on the one the
    // user is on. The background layer lies under every window, so the pixel never takes the
    // pointer; it never takes the keyboard.
    Cover pixel
        = mapLayerSurface(nullptr, ZWLR_LAYER_SHELL_V1_LAYER_BACKGROUND, false, "quillan-where");
    const std::string name = pixel.surface ? enteredOutput(*pixel.placement) : std::string();
    removeCover(pixel);
    wl_display_flush(m_display);
    return name;
}

} // namespace platform::wayland
