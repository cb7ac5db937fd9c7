#include "WaylandOutputs.h"

#include <wayland-client.h>

#include "xdg-shell-client-protocol.h"
// The layer shell's C header names an argument "namespace", which C++ reserves.
#define namespace layerNamespace
#include "wlr-layer-shell-unstable-v1-client-protocol.h"
#undef namespace
#include "wlr-screencopy-unstable-v1-client-protocol.h"
#include "xdg-output-unstable-v1-client-protocol.h"

#include <wayland-client.h>

#include <sys/mman.h>
#include <unistd.h>

#include <QObject>
#include <QTimer>

#include <algorithm>
#include <cstring>
#include <utility>

namespace platform::wayland {

namespace {

// Round trips the program waits at most for one answer of the compositor's (each is one
// exchange of messages; the compositor answers them at once unless it has a frame to draw first).
constexpr int MaxRoundtrips = 50;
// How long the surface that hid the pointer while an output was copied stays after the copy.
constexpr int CoverStaysMs = 1000;

void onGlobal(void *data, wl_registry *, std::uint32_t name, const char *interface,
              std::uint32_t version)
{
    static_cast<WaylandOutputs *>(data)->addGlobal(name, interface, version);
}
void onGlobalRemove(void *data, wl_registry *, std::uint32_t name)
{
    static_cast<WaylandOutputs *>(data)->removeGlobal(name);
}
const wl_registry_listener registryListener = {onGlobal, onGlobalRemove};

void onLogicalPosition(void *data, zxdg_output_v1 *, std::int32_t x, std::int32_t y)
{
    auto *output = static_cast<WaylandOutputs::Output *>(data);
    output->logicalX = x;
    output->logicalY = y;
}
void onLogicalSize(void *, zxdg_output_v1 *, std::int32_t, std::int32_t) { }
void onXdgDone(void *, zxdg_output_v1 *) { }
void onName(void *data, zxdg_output_v1 *, const char *name)
{
    static_cast<WaylandOutputs::Output *>(data)->name = name;
}
void onDescription(void *, zxdg_output_v1 *, const char *) { }
const zxdg_output_v1_listener xdgOutputListener
    = {onLogicalPosition, onLogicalSize, onXdgDone, onName, onDescription};

void onSeatCapabilities(void *data, wl_seat *, std::uint32_t capabilities)
{
    static_cast<WaylandOutputs *>(data)->seatCapabilities(capabilities);
}
const wl_seat_listener seatListener = {onSeatCapabilities};

void onPointerEnter(void *data, wl_pointer *, std::uint32_t serial, wl_surface *surface, wl_fixed_t,
                    wl_fixed_t)
{
    static_cast<WaylandOutputs *>(data)->pointerEntered(serial, surface);
}
void onPointerLeave(void *data, wl_pointer *, std::uint32_t, wl_surface *)
{
    static_cast<WaylandOutputs *>(data)->pointerEntered(0, nullptr);
}
void onPointerMotion(void *, wl_pointer *, std::uint32_t, wl_fixed_t, wl_fixed_t) { }
void onPointerButton(void *, wl_pointer *, std::uint32_t, std::uint32_t, std::uint32_t,
                     std::uint32_t)
{
}
void onPointerAxis(void *, wl_pointer *, std::uint32_t, std::uint32_t, wl_fixed_t) { }
const wl_pointer_listener pointerListener
    = {onPointerEnter, onPointerLeave, onPointerMotion, onPointerButton, onPointerAxis};

// Shared memory for one buffer: a memory file the compositor maps too.
struct SharedMemory
{
    int fd = -1;
    void *data = MAP_FAILED;
    std::size_t size = 0;

    ~SharedMemory()
    {
        if (data != MAP_FAILED)
            munmap(data, size);
        if (fd >= 0)
            close(fd);
    }
    bool allocate(std::size_t bytes)
    {
        fd = memfd_create("quillan-desktop", MFD_CLOEXEC);
        if (fd < 0 || ftruncate(fd, off_t(bytes)) != 0)
            return false;
        data = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
        size = bytes;
        return data != MAP_FAILED;
    }
};

wl_buffer *makeBuffer(wl_shm *shm, const SharedMemory &memory, int width, int height, int stride,
                      std::uint32_t format)
{
    wl_shm_pool *pool = wl_shm_create_pool(shm, memory.fd, std::int32_t(memory.size));
    wl_buffer *buffer = wl_shm_pool_create_buffer(pool, 0, width, height, stride, format);
    wl_shm_pool_destroy(pool);
    return buffer;
}

// --- one copy of an output ---------------------------------------------------------------------

enum class CopyState { Waiting, Described, Ready, Failed };

struct Copy
{
    CopyState state = CopyState::Waiting;
    std::uint32_t format = 0;
    int width = 0;
    int height = 0;
    int stride = 0;
    bool yInverted = false;
    bool formatKnown = false;
};

bool usableFormat(std::uint32_t format)
{
    return format == WL_SHM_FORMAT_XRGB8888 || format == WL_SHM_FORMAT_ARGB8888
        || format == WL_SHM_FORMAT_XBGR8888 || format == WL_SHM_FORMAT_ABGR8888;
}

void onBuffer(void *data, zwlr_screencopy_frame_v1 *, std::uint32_t format, std::uint32_t width,
              std::uint32_t height, std::uint32_t stride)
{
    auto *copy = static_cast<Copy *>(data);
    // Every shared-memory format the compositor can copy into is offered; the first the program
    // reads is taken.
    if (copy->formatKnown || !usableFormat(format))
        return;
    copy->formatKnown = true;
    copy->format = format;
    copy->width = int(width);
    copy->height = int(height);
    copy->stride = int(stride);
}
void onFlags(void *data, zwlr_screencopy_frame_v1 *, std::uint32_t flags)
{
    static_cast<Copy *>(data)->yInverted = flags & ZWLR_SCREENCOPY_FRAME_V1_FLAGS_Y_INVERT;
}
void onReady(void *data, zwlr_screencopy_frame_v1 *, std::uint32_t, std::uint32_t, std::uint32_t)
{
    static_cast<Copy *>(data)->state = CopyState::Ready;
}
void onFailed(void *data, zwlr_screencopy_frame_v1 *)
{
    static_cast<Copy *>(data)->state = CopyState::Failed;
}
void onDamage(void *, zwlr_screencopy_frame_v1 *, std::uint32_t, std::uint32_t, std::uint32_t,
              std::uint32_t)
{
}
void onDmabuf(void *, zwlr_screencopy_frame_v1 *, std::uint32_t, std::uint32_t, std::uint32_t) { }
void onBufferDone(void *data, zwlr_screencopy_frame_v1 *)
{
    auto *copy = static_cast<Copy *>(data);
    if (copy->state == CopyState::Waiting)
        copy->state = copy->formatKnown ? CopyState::Described : CopyState::Failed;
}
const zwlr_screencopy_frame_v1_listener frameListener
    = {onBuffer, onFlags, onReady, onFailed, onDamage, onDmabuf, onBufferDone};

// Pixels as the program keeps them, 0xFFRRGGBB, rows top first, from the compositor's copy.
void normalise(std::uint32_t *pixels, int width, int height, std::ptrdiff_t stride,
               std::uint32_t format, bool yInverted)
{
    const bool swap = format == WL_SHM_FORMAT_XBGR8888 || format == WL_SHM_FORMAT_ABGR8888;
    auto *bytes = reinterpret_cast<unsigned char *>(pixels);
    if (yInverted) {
        std::vector<unsigned char> row(std::size_t(width) * 4);
        for (int y = 0; y < height / 2; ++y) {
            unsigned char *top = bytes + y * stride;
            unsigned char *bottom = bytes + (height - 1 - y) * stride;
            std::memcpy(row.data(), top, row.size());
            std::memcpy(top, bottom, row.size());
            std::memcpy(bottom, row.data(), row.size());
        }
    }
    for (int y = 0; y < height; ++y) {
        auto *line = reinterpret_cast<std::uint32_t *>(bytes + y * stride);
        for (int x = 0; x < width; ++x) {
            const std::uint32_t p = line[x];
            line[x] = swap
                ? 0xFF000000u | (p & 0x0000FF00u) | ((p & 0xFFu) << 16) | ((p >> 16) & 0xFFu)
                : 0xFF000000u | p;
        }
    }
}

// --- where the compositor puts a surface
// ----------------------------------------------------------

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

std::unique_ptr<WaylandOutputs> WaylandOutputs::connect()
{
    wl_display *display = wl_display_connect(nullptr);
    if (!display)
        return nullptr;
    std::unique_ptr<WaylandOutputs> outputs(new WaylandOutputs);
    outputs->m_display = display;
    outputs->m_registry = wl_display_get_registry(display);
    wl_registry_add_listener(outputs->m_registry, &registryListener, outputs.get());
    // The globals, then the outputs' names and places.
    outputs->roundtrip();
    outputs->roundtrip();
    // The cover for the copy goes up now: the compositor draws the whole output again for it
    // while the program starts, rather than while the program waits for the copy.
    if (outputs->copiesOutputs())
        outputs->m_earlyCover = outputs->mapCover(nullptr);
    return outputs;
}

WaylandOutputs::~WaylandOutputs()
{
    m_timerContext.reset();
    removeCover(m_laterCover);
    removeCover(m_earlyCover);
    for (auto &output : m_outputs) {
        if (output->xdgOutput)
            zxdg_output_v1_destroy(output->xdgOutput);
        if (output->output)
            wl_output_destroy(output->output);
    }
    if (m_pointer)
        wl_pointer_destroy(m_pointer);
    if (m_seat)
        wl_seat_destroy(m_seat);
    if (m_screencopy)
        zwlr_screencopy_manager_v1_destroy(m_screencopy);
    if (m_layerShell)
        zwlr_layer_shell_v1_destroy(m_layerShell);
    if (m_xdgOutputs)
        zxdg_output_manager_v1_destroy(m_xdgOutputs);
    if (m_shm)
        wl_shm_destroy(m_shm);
    if (m_compositor)
        wl_compositor_destroy(m_compositor);
    if (m_registry)
        wl_registry_destroy(m_registry);
    if (m_display)
        wl_display_disconnect(m_display);
}

void WaylandOutputs::roundtrip()
{
    wl_display_roundtrip(m_display);
}

void WaylandOutputs::addGlobal(std::uint32_t name, const char *interface, std::uint32_t version)
{
    const auto bind = [&](const wl_interface *kind, std::uint32_t highest) {
        return wl_registry_bind(m_registry, name, kind, std::min(version, highest));
    };
    if (!std::strcmp(interface, wl_output_interface.name)) {
        auto output = std::make_unique<Output>();
        output->owner = this;
        output->globalName = name;
        output->output = static_cast<wl_output *>(bind(&wl_output_interface, 2));
        if (m_xdgOutputs) {
            output->xdgOutput = zxdg_output_manager_v1_get_xdg_output(m_xdgOutputs, output->output);
            zxdg_output_v1_add_listener(output->xdgOutput, &xdgOutputListener, output.get());
        }
        m_outputs.push_back(std::move(output));
    } else if (!std::strcmp(interface, zxdg_output_manager_v1_interface.name)) {
        m_xdgOutputs
            = static_cast<zxdg_output_manager_v1 *>(bind(&zxdg_output_manager_v1_interface, 3));
        // Outputs announced before the manager get their names now.
        for (auto &output : m_outputs) {
            if (output->xdgOutput)
                continue;
            output->xdgOutput = zxdg_output_manager_v1_get_xdg_output(m_xdgOutputs, output->output);
            zxdg_output_v1_add_listener(output->xdgOutput, &xdgOutputListener, output.get());
        }
    } else if (!std::strcmp(interface, wl_shm_interface.name)) {
        m_shm = static_cast<wl_shm *>(bind(&wl_shm_interface, 1));
    } else if (!std::strcmp(interface, wl_compositor_interface.name)) {
        m_compositor = static_cast<wl_compositor *>(bind(&wl_compositor_interface, 4));
    } else if (!std::strcmp(interface, zwlr_screencopy_manager_v1_interface.name)) {
        m_screencopy = static_cast<zwlr_screencopy_manager_v1 *>(
            bind(&zwlr_screencopy_manager_v1_interface, 3));
    } else if (!std::strcmp(interface, zwlr_layer_shell_v1_interface.name)) {
        m_layerShell = static_cast<zwlr_layer_shell_v1 *>(bind(&zwlr_layer_shell_v1_interface, 1));
    } else if (!std::strcmp(interface, wl_seat_interface.name) && !m_seat) {
        m_seat = static_cast<wl_seat *>(bind(&wl_seat_interface, 1));
        wl_seat_add_listener(m_seat, &seatListener, this);
    }
}

void WaylandOutputs::seatCapabilities(std::uint32_t capabilities)
{
    if ((capabilities & WL_SEAT_CAPABILITY_POINTER) && !m_pointer) {
        m_pointer = wl_seat_get_pointer(m_seat);
        wl_pointer_add_listener(m_pointer, &pointerListener, this);
    }
}

void WaylandOutputs::pointerEntered(std::uint32_t serial, wl_surface *surface)
{
    m_enterSerial = serial;
    m_pointerSurface = surface;
}

void WaylandOutputs::removeGlobal(std::uint32_t name)
{
    for (auto &output : m_outputs) {
        if (output->globalName != name)
            continue;
        if (output->xdgOutput)
            zxdg_output_v1_destroy(output->xdgOutput);
        wl_output_destroy(output->output);
        output->xdgOutput = nullptr;
        output->output = nullptr;
    }
}

const WaylandOutputs::Output *WaylandOutputs::output(const std::string &name) const
{
    for (const auto &output : m_outputs)
        if (output->output && (name.empty() || output->name == name))
            return output.get();
    return nullptr;
}

DesktopImage WaylandOutputs::copyOutput(const Output &output,
                                        const std::function<void()> &whileWaiting,
                                        bool coverPointer)
{
    if (!copiesOutputs() || !output.output)
        return {};
    // The pointer is left out: it moves on, and a picture of it would stay behind on the overlay.
    Cover cover;
    if (coverPointer) {
        if (m_earlyCover.surface && m_earlyCover.placement->entered == output.output)
            cover = std::exchange(m_earlyCover, Cover {});
        else
            cover = mapCover(output.output);
        hidePointerOver(cover);
    }
    Copy copy;
    zwlr_screencopy_frame_v1 *frame = zwlr_screencopy_manager_v1_capture_output(
        m_screencopy, /*overlay_cursor=*/0, output.output);
    zwlr_screencopy_frame_v1_add_listener(frame, &frameListener, &copy);
    // Version 3 ends the description with buffer_done; the older ones describe one buffer only.
    const bool describedByDone = zwlr_screencopy_frame_v1_get_version(frame) >= 3;
    for (int i = 0; i < MaxRoundtrips && copy.state == CopyState::Waiting; ++i) {
        if (wl_display_dispatch(m_display) < 0)
            copy.state = CopyState::Failed;
        if (!describedByDone && copy.formatKnown && copy.state == CopyState::Waiting)
            copy.state = CopyState::Described;
    }
    auto memory = std::make_shared<SharedMemory>();
    if (copy.state != CopyState::Described || copy.width <= 0 || copy.height <= 0
        || copy.stride < copy.width * 4
        || !memory->allocate(std::size_t(copy.stride) * std::size_t(copy.height))) {
        zwlr_screencopy_frame_v1_destroy(frame);
        removeCover(cover);
        return {};
    }
    wl_buffer *buffer
        = makeBuffer(m_shm, *memory, copy.width, copy.height, copy.stride, copy.format);
    zwlr_screencopy_frame_v1_copy(frame, buffer);
    wl_display_flush(m_display);
    if (whileWaiting)
        whileWaiting();
    // The compositor copies with its next frame of the output: the wait is one frame at most.
    while (copy.state == CopyState::Described) {
        if (wl_display_dispatch(m_display) < 0)
            copy.state = CopyState::Failed;
    }
    zwlr_screencopy_frame_v1_destroy(frame);
    wl_buffer_destroy(buffer);
    removeCoverLater(cover);
    removeCover(m_earlyCover); // on another output than the one copied
    wl_display_flush(m_display);
    if (copy.state != CopyState::Ready)
        return {};

    DesktopImage image;
    image.width = copy.width;
    image.height = copy.height;
    image.strideBytes = copy.stride;
    image.pixels = static_cast<std::uint32_t *>(memory->data);
    normalise(image.pixels, image.width, image.height, image.strideBytes, copy.format,
              copy.yInverted);
    image.memory = memory;
    return image;
}

wl_buffer *WaylandOutputs::transparentBuffer(int width, int height)
{
    // A new memory file reads as zeros: every pixel transparent.
    SharedMemory memory;
    if (width <= 0 || height <= 0 || !memory.allocate(std::size_t(width) * height * 4))
        return nullptr;
    // The compositor keeps its own mapping of the pool; the program's goes with `memory`.
    return makeBuffer(m_shm, memory, width, height, width * 4, WL_SHM_FORMAT_ARGB8888);
}

WaylandOutputs::Cover WaylandOutputs::mapCover(wl_output *output)
{
    Cover cover;
    if (!m_layerShell || !m_compositor || !m_pointer)
        return cover;
    cover.placement = std::make_unique<Placement>();
    Placement &placement = *cover.placement;
    cover.surface = wl_compositor_create_surface(m_compositor);
    wl_surface_add_listener(cover.surface, &surfaceListener, &placement);
    cover.layer = zwlr_layer_shell_v1_get_layer_surface(
        m_layerShell, cover.surface, output, ZWLR_LAYER_SHELL_V1_LAYER_OVERLAY, "quillan-cover");
    zwlr_layer_surface_v1_add_listener(cover.layer, &layerListener, &placement);
    zwlr_layer_surface_v1_set_anchor(
        cover.layer,
        ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP | ZWLR_LAYER_SURFACE_V1_ANCHOR_BOTTOM
            | ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT | ZWLR_LAYER_SURFACE_V1_ANCHOR_RIGHT);
    zwlr_layer_surface_v1_set_exclusive_zone(cover.layer, -1);
    wl_surface_commit(cover.surface);
    for (int i = 0; i < MaxRoundtrips && !placement.configured && !placement.closed; ++i)
        roundtrip();
    // The configure's size is the output's, in the layout's pixels.
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
    if (cover.layer)
        zwlr_layer_surface_v1_destroy(cover.layer);
    if (cover.surface)
        wl_surface_destroy(cover.surface);
    if (cover.buffer)
        wl_buffer_destroy(cover.buffer);
    if (m_pointerSurface == cover.surface)
        m_pointerSurface = nullptr;
    cover = Cover {};
}

std::string WaylandOutputs::userOutput()
{
    if (m_earlyCover.surface) {
        // The compositor put the early cover on the user's output; it says which once it shows it.
        const Placement &placement = *m_earlyCover.placement;
        for (int i = 0; i < MaxRoundtrips && !placement.entered && !placement.closed; ++i)
            roundtrip();
        for (const auto &output : m_outputs)
            if (placement.entered && output->output == placement.entered)
                return output->name;
    }
    if (!m_layerShell || !m_compositor || !m_shm)
        return {};
    Placement placement;
    wl_surface *surface = wl_compositor_create_surface(m_compositor);
    wl_surface_add_listener(surface, &surfaceListener, &placement);
    // No output named: the compositor chooses the one the user is on. The background layer lies
    // under every window, so the pixel never takes the pointer; it never takes the keyboard.
    zwlr_layer_surface_v1 *layer = zwlr_layer_shell_v1_get_layer_surface(
        m_layerShell, surface, nullptr, ZWLR_LAYER_SHELL_V1_LAYER_BACKGROUND, "quillan-where");
    zwlr_layer_surface_v1_add_listener(layer, &layerListener, &placement);
    zwlr_layer_surface_v1_set_size(layer, 1, 1);
    wl_surface_commit(surface);
    for (int i = 0; i < MaxRoundtrips && !placement.configured && !placement.closed; ++i)
        roundtrip();
    wl_buffer *pixel = placement.configured ? transparentBuffer(1, 1) : nullptr;
    if (pixel) {
        zwlr_layer_surface_v1_ack_configure(layer, placement.serial);
        wl_surface_attach(surface, pixel, 0, 0);
        wl_surface_commit(surface);
        for (int i = 0; i < MaxRoundtrips && !placement.entered && !placement.closed; ++i)
            roundtrip();
    }
    zwlr_layer_surface_v1_destroy(layer);
    wl_surface_destroy(surface);
    if (pixel)
        wl_buffer_destroy(pixel);
    wl_display_flush(m_display);
    for (const auto &output : m_outputs)
        if (placement.entered && output->output == placement.entered)
            return output->name;
    return {};
}

} // namespace platform::wayland
