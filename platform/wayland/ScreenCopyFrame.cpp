#include "ScreenCopyFrame.h"

#include "WaylandClient.h"
#include "wlr-screencopy-unstable-v1-client-protocol.h"

#include <cstring>
#include <memory>
#include <vector>

namespace platform::wayland {

namespace {

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

} // namespace

DesktopImage copyScreenFrame(wl_display *display, wl_shm *shm, zwlr_screencopy_manager_v1 *manager,
                             wl_output *output, const std::function<void()> &whileWaiting)
{
    Copy copy;
    zwlr_screencopy_frame_v1 *frame
        = zwlr_screencopy_manager_v1_capture_output(manager, /*overlay_cursor=*/0, output);
    zwlr_screencopy_frame_v1_add_listener(frame, &frameListener, &copy);
    // Version 3 ends the description with buffer_done; the older ones describe one buffer only.
    const bool describedByDone = zwlr_screencopy_frame_v1_get_version(frame) >= 3;
    for (int i = 0; i < MaxRoundtrips && copy.state == CopyState::Waiting; ++i) {
        if (wl_display_dispatch(display) < 0)
            copy.state = CopyState::Failed;
        if (!describedByDone && copy.formatKnown && copy.state == CopyState::Waiting)
            copy.state = CopyState::Described;
    }
    auto memory = std::make_shared<SharedMemory>();
    if (copy.state != CopyState::Described || copy.width <= 0 || copy.height <= 0
        || copy.stride < copy.width * 4
        || !memory->allocate(std::size_t(copy.stride) * std::size_t(copy.height))) {
        zwlr_screencopy_frame_v1_destroy(frame);
        return {};
    }
    wl_buffer *buffer = makeBuffer(shm, *memory, copy.width, copy.height, copy.stride, copy.format);
    zwlr_screencopy_frame_v1_copy(frame, buffer);
    wl_display_flush(display);
    if (whileWaiting)
        whileWaiting();
    // The compositor copies with its next frame of the output: the wait is one frame at most.
    while (copy.state == CopyState::Described) {
        if (wl_display_dispatch(display) < 0)
            copy.state = CopyState::Failed;
    }
    zwlr_screencopy_frame_v1_destroy(frame);
    wl_buffer_destroy(buffer);
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

} // namespace platform::wayland
