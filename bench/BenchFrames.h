#pragma once

// The output's frames as the compositor makes them, watched from outside through wlroots' screen
// copy: for every frame of the output, a copy of a few rectangles of it, fingerprinted, with the
// compositor's own time of that frame. Where grim's screenshots of the whole output come a
// hundred milliseconds and more apart at 3840 x 2160 (and load the machine while they do), this
// sees every frame (one each 16.7 ms at 60 Hz) at the cost of copying a few rectangles.
//
// The rectangles are what can tell a start's frames apart: where the desktop moves and the
// program's text stands (the screen's top-left part) and the four corners (a window of the wrong
// size or place). Used by bench_wayland_start on its own thread and connection.

#include "wlr-screencopy-unstable-v1-client-protocol.h"

#include <wayland-client.h>

#include <QRect>
#include <QSize>
#include <QtGlobal>

#include <atomic>
#include <cstring>
#include <mutex>
#include <sys/mman.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace bench {

struct Frame
{
    long long atNs; // the compositor's time of the frame (CLOCK_MONOTONIC)
    quint64 hash; // of the rectangles' pixels
};

class FrameWatcher
{
public:
    // Connects to the compositor of WAYLAND_DISPLAY; ok() says whether it offers the screen copy.
    FrameWatcher()
    {
        m_display = wl_display_connect(nullptr);
        if (!m_display)
            return;
        static const wl_output_listener outputListener = {
            [](void *, wl_output *, int32_t, int32_t, int32_t, int32_t, int32_t, const char *,
               const char *, int32_t) {},
            onMode, nullptr, nullptr};
        static const wl_registry_listener listener = {
            [](void *data, wl_registry *registry, uint32_t name, const char *interface,
               uint32_t version) {
                auto *self = static_cast<FrameWatcher *>(data);
                if (!std::strcmp(interface, wl_output_interface.name) && !self->m_output) {
                    self->m_output = static_cast<wl_output *>(
                        wl_registry_bind(registry, name, &wl_output_interface, 1));
                    wl_output_add_listener(self->m_output, &outputListener, self);
                }
                else if (!std::strcmp(interface, wl_shm_interface.name))
                    self->m_shm = static_cast<wl_shm *>(
                        wl_registry_bind(registry, name, &wl_shm_interface, 1));
                else if (!std::strcmp(interface, zwlr_screencopy_manager_v1_interface.name))
                    self->m_manager = static_cast<zwlr_screencopy_manager_v1 *>(wl_registry_bind(
                        registry, name, &zwlr_screencopy_manager_v1_interface,
                        std::min(version, 3u)));
            },
            [](void *, wl_registry *, uint32_t) {}};
        wl_registry *registry = wl_display_get_registry(m_display);
        wl_registry_add_listener(registry, &listener, this);
        wl_display_roundtrip(m_display);
        wl_display_roundtrip(m_display); // the output's mode
        wl_registry_destroy(registry);
    }
    ~FrameWatcher()
    {
        stop();
        for (Rect &r : m_rects) {
            if (r.buffer)
                wl_buffer_destroy(r.buffer);
            if (r.data != MAP_FAILED)
                munmap(r.data, r.size);
            if (r.fd >= 0)
                close(r.fd);
        }
        if (m_display)
            wl_display_disconnect(m_display);
    }
    FrameWatcher(const FrameWatcher &) = delete;
    FrameWatcher &operator=(const FrameWatcher &) = delete;

    bool ok() const { return m_output && m_shm && m_manager && !m_size.isEmpty(); }

    // Starts watching the output's frames (an output at scale 1).
    void start()
    {
        const int w = m_size.width(), h = m_size.height();
        m_rects.clear();
        m_rects.resize(5);
        m_rects[0].area = QRect(0, 0, std::min(w, 512), std::min(h, 320));
        const int c = 32;
        m_rects[1].area = QRect(w - c, 0, c, c);
        m_rects[2].area = QRect(0, h - c, c, c);
        m_rects[3].area = QRect(w - c, h - c, c, c);
        m_rects[4].area = QRect(w / 2 - c / 2, h / 2 - c / 2, c, c);
        m_stop = false;
        m_failed = false;
        m_frames.clear();
        m_thread = std::thread([this] { loop(); });
    }

    // Stops watching; the frames seen, in order.
    std::vector<Frame> stop()
    {
        if (m_thread.joinable()) {
            m_stop = true;
            m_thread.join();
        }
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_frames;
    }

    bool failed() const { return m_failed; }

private:
    struct Rect
    {
        QRect area;
        zwlr_screencopy_frame_v1 *frame = nullptr;
        wl_buffer *buffer = nullptr;
        int fd = -1;
        void *data = MAP_FAILED;
        size_t size = 0;
        uint32_t format = 0, width = 0, height = 0, stride = 0;
        bool described = false, ready = false, failed = false;
        long long atNs = 0;
    };

    static void onMode(void *data, wl_output *, uint32_t flags, int32_t width, int32_t height,
                       int32_t)
    {
        if (flags & WL_OUTPUT_MODE_CURRENT)
            static_cast<FrameWatcher *>(data)->m_size = QSize(width, height);
    }

    static void onBuffer(void *data, zwlr_screencopy_frame_v1 *, uint32_t format, uint32_t width,
                         uint32_t height, uint32_t stride)
    {
        auto *r = static_cast<Rect *>(data);
        if (r->format == 0) {
            r->format = format;
            r->width = width;
            r->height = height;
            r->stride = stride;
        }
    }
    static void onFlags(void *, zwlr_screencopy_frame_v1 *, uint32_t) { }
    static void onReady(void *data, zwlr_screencopy_frame_v1 *, uint32_t secHi, uint32_t secLo,
                        uint32_t nsec)
    {
        auto *r = static_cast<Rect *>(data);
        r->ready = true;
        r->atNs = ((long long)secHi << 32 | secLo) * 1000000000LL + nsec;
    }
    static void onFailed(void *data, zwlr_screencopy_frame_v1 *)
    {
        static_cast<Rect *>(data)->failed = true;
    }
    static void onDamage(void *, zwlr_screencopy_frame_v1 *, uint32_t, uint32_t, uint32_t,
                         uint32_t)
    {
    }
    static void onDmabuf(void *, zwlr_screencopy_frame_v1 *, uint32_t, uint32_t, uint32_t) { }
    static void onBufferDone(void *data, zwlr_screencopy_frame_v1 *)
    {
        static_cast<Rect *>(data)->described = true;
    }

    // Ask for the next frame of one rectangle; its copy is made when the compositor next draws.
    void ask(Rect &r)
    {
        static const zwlr_screencopy_frame_v1_listener listener
            = {onBuffer, onFlags, onReady, onFailed, onDamage, onDmabuf, onBufferDone};
        r.described = r.ready = r.failed = false;
        r.frame = zwlr_screencopy_manager_v1_capture_output_region(
            m_manager, 0, m_output, r.area.x(), r.area.y(), r.area.width(), r.area.height());
        zwlr_screencopy_frame_v1_add_listener(r.frame, &listener, &r);
    }

    bool makeBuffer(Rect &r)
    {
        if (r.buffer)
            return true;
        r.size = size_t(r.stride) * r.height;
        r.fd = memfd_create("bench-frames", MFD_CLOEXEC);
        if (r.fd < 0 || ftruncate(r.fd, off_t(r.size)) != 0)
            return false;
        r.data = mmap(nullptr, r.size, PROT_READ | PROT_WRITE, MAP_SHARED, r.fd, 0);
        if (r.data == MAP_FAILED)
            return false;
        wl_shm_pool *pool = wl_shm_create_pool(m_shm, r.fd, int32_t(r.size));
        r.buffer = wl_shm_pool_create_buffer(pool, 0, int32_t(r.width), int32_t(r.height),
                                             int32_t(r.stride), r.format);
        wl_shm_pool_destroy(pool);
        return true;
    }

    void loop()
    {
        while (!m_stop) {
            for (Rect &r : m_rects)
                ask(r);
            wl_display_flush(m_display);
            // The descriptions, then the copies, made together at the output's next frame.
            const auto all = [this](bool Rect::*flag) {
                for (const Rect &r : m_rects)
                    if (!(r.*flag) && !r.failed)
                        return false;
                return true;
            };
            while (!all(&Rect::described) && wl_display_dispatch(m_display) >= 0) { }
            for (Rect &r : m_rects) {
                if (r.failed || !makeBuffer(r)) {
                    m_failed = true;
                    return;
                }
                zwlr_screencopy_frame_v1_copy(r.frame, r.buffer);
            }
            wl_display_flush(m_display);
            while (!all(&Rect::ready) && wl_display_dispatch(m_display) >= 0) { }
            quint64 hash = 1469598103934665603ull;
            long long at = 0;
            for (Rect &r : m_rects) {
                zwlr_screencopy_frame_v1_destroy(r.frame);
                r.frame = nullptr;
                if (r.failed) {
                    m_failed = true;
                    return;
                }
                at = std::max(at, r.atNs);
                // The rows' visible pixels only (a row's padding is not the screen's).
                const auto *bytes = static_cast<const unsigned char *>(r.data);
                for (uint32_t y = 0; y < r.height; ++y) {
                    const auto *row = reinterpret_cast<const quint32 *>(bytes + y * r.stride);
                    for (uint32_t x = 0; x < r.width; ++x)
                        hash = (hash ^ (row[x] & 0xFFFFFFu)) * 1099511628211ull;
                }
            }
            std::lock_guard<std::mutex> lock(m_mutex);
            m_frames.push_back({at, hash});
        }
    }

    wl_display *m_display = nullptr;
    wl_output *m_output = nullptr;
    QSize m_size;
    wl_shm *m_shm = nullptr;
    zwlr_screencopy_manager_v1 *m_manager = nullptr;
    std::vector<Rect> m_rects;
    std::thread m_thread;
    std::atomic<bool> m_stop {false};
    std::atomic<bool> m_failed {false};
    std::mutex m_mutex;
    std::vector<Frame> m_frames;
};

} // namespace bench
