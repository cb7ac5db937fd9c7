#pragma once

// What the pieces on the program's own connection to the compositor share: how long they wait
// for an answer, and buffers in shared memory.
#include <wayland-client.h>

#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>

namespace platform::wayland {

// Round trips the program waits at most for one answer of the compositor's (each is one
// exchange of messages; the compositor answers them at once unless it has a frame to draw first).
constexpr int MaxRoundtrips = 50;

// Shared memory for one buffer: a memory file the compositor maps too. A new one reads as zeros.
struct SharedMemory
{
    int fd = -1;
    void *data = MAP_FAILED;
    std::size_t size = 0;

    SharedMemory() = default;
    SharedMemory(const SharedMemory &) = delete;
    SharedMemory &operator=(const SharedMemory &) = delete;
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

// A buffer over the whole of the memory. The compositor keeps its own mapping of the pool.
inline wl_buffer *makeBuffer(wl_shm *shm, const SharedMemory &memory, int width, int height,
                             int stride, std::uint32_t format)
{
    wl_shm_pool *pool = wl_shm_create_pool(shm, memory.fd, std::int32_t(memory.size));
    wl_buffer *buffer = wl_shm_pool_create_buffer(pool, 0, width, height, stride, format);
    wl_shm_pool_destroy(pool);
    return buffer;
}

// Destroys a Wayland object the program holds, if it holds one, and forgets it.
template <typename Object>
void release(Object *&object, void (*destroy)(Object *))
{
    if (object)
        destroy(object);
    object = nullptr;
}

} // namespace platform::wayland
