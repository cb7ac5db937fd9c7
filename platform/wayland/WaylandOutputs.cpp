#include "WaylandOutputs.h"

#include "ScreenCopyFrame.h"
#include "WaylandClient.h"

// The layer shell's C header names an argument "namespace", which C++ reserves.
#define namespace layerNamespace
#include "wlr-layer-shell-unstable-v1-client-protocol.h"
#undef namespace
#include "wlr-screencopy-unstable-v1-client-protocol.h"
#include "xdg-output-unstable-v1-client-protocol.h"

#include <QObject>

#include <algorithm>
#include <cstring>
#include <utility>

namespace platform::wayland {

namespace {

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
        release(output->xdgOutput, zxdg_output_v1_destroy);
        release(output->output, wl_output_destroy);
    }
    release(m_pointer, wl_pointer_destroy);
    release(m_seat, wl_seat_destroy);
    release(m_screencopy, zwlr_screencopy_manager_v1_destroy);
    release(m_layerShell, zwlr_layer_shell_v1_destroy);
    release(m_xdgOutputs, zxdg_output_manager_v1_destroy);
    release(m_shm, wl_shm_destroy);
    release(m_compositor, wl_compositor_destroy);
    release(m_registry, wl_registry_destroy);
    release(m_display, wl_display_disconnect);
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
        release(output->xdgOutput, zxdg_output_v1_destroy);
        release(output->output, wl_output_destroy);
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
    DesktopImage image
        = copyScreenFrame(m_display, m_shm, m_screencopy, output.output, whileWaiting);
    removeCoverLater(cover);
    removeCover(m_earlyCover); // on another output than the one copied
    wl_display_flush(m_display);
    return image;
}

} // namespace platform::wayland
