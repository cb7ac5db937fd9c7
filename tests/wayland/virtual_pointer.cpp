// Gives the compositor's seat a pointer in a session that has no input devices (a headless
// compositor), so that the seat's own cursor commands (`swaymsg seat seat0 cursor ...`) have a
// pointer to move and click with. It creates one virtual pointer through the wlroots
// virtual-pointer protocol and keeps it for as long as it runs; it prints "ready" once the
// compositor has the pointer, and ends on SIGTERM or when the compositor goes away (the end of
// its input only ends the commands).
//
// Commands on standard input, one a line, for tests that want to drive the pointer directly:
//   move X Y W H     absolute motion to (X, Y) in a W x H layout
//   press N | release N    button N (1 left, 2 middle, 3 right)
//   sync             prints "synced" once the compositor has handled everything before it
//
// Debian ships no client header for the protocol, so its two interfaces are described here; the
// request order below is the protocol's opcode order.
#include <wayland-client.h>

#include <linux/input-event-codes.h>
#include <poll.h>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>
#include <unistd.h>

extern "C" {
extern const struct wl_interface zwlr_virtual_pointer_v1_interface;
extern const struct wl_interface zwlr_virtual_pointer_manager_v1_interface;
}

namespace {

const struct wl_interface *createTypes[] = {&wl_seat_interface, &zwlr_virtual_pointer_v1_interface};
const struct wl_interface *noTypes[] = {nullptr, nullptr, nullptr, nullptr, nullptr};

const struct wl_message pointerRequests[] = {
    {"motion", "uff", noTypes},   {"motion_absolute", "uuuuu", noTypes},
    {"button", "uuu", noTypes},   {"axis", "uuf", noTypes},
    {"frame", "", noTypes},       {"axis_source", "u", noTypes},
    {"axis_stop", "uu", noTypes}, {"axis_discrete", "uufi", noTypes},
    {"destroy", "", noTypes},
};
enum PointerOpcode : uint32_t { MotionAbsolute = 1, Button = 2, Frame = 4, Destroy = 8 };

const struct wl_message managerRequests[] = {
    {"create_virtual_pointer", "?on", createTypes},
};

} // namespace

extern "C" {
const struct wl_interface zwlr_virtual_pointer_v1_interface = {
    "zwlr_virtual_pointer_v1", 1, 9, pointerRequests, 0, nullptr,
};
const struct wl_interface zwlr_virtual_pointer_manager_v1_interface = {
    "zwlr_virtual_pointer_manager_v1", 1, 1, managerRequests, 0, nullptr,
};
}

namespace {

struct Globals
{
    wl_seat *seat = nullptr;
    wl_proxy *manager = nullptr;
};

void onGlobal(void *data, wl_registry *registry, uint32_t name, const char *interface, uint32_t)
{
    auto *globals = static_cast<Globals *>(data);
    if (!std::strcmp(interface, wl_seat_interface.name) && !globals->seat)
        globals->seat
            = static_cast<wl_seat *>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
    else if (!std::strcmp(interface, zwlr_virtual_pointer_manager_v1_interface.name))
        globals->manager = static_cast<wl_proxy *>(
            wl_registry_bind(registry, name, &zwlr_virtual_pointer_manager_v1_interface, 1));
}

void onGlobalRemove(void *, wl_registry *, uint32_t) { }

const wl_registry_listener registryListener = {onGlobal, onGlobalRemove};

volatile sig_atomic_t stopRequested = 0;
void onSignal(int)
{
    stopRequested = 1;
}

uint32_t linuxButton(int n)
{
    switch (n) {
    case 2:
        return BTN_MIDDLE;
    case 3:
        return BTN_RIGHT;
    default:
        return BTN_LEFT;
    }
}

// Event times as a real device gives them: clients tell a double click from two clicks by them.
uint32_t now()
{
    timespec ts {};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return uint32_t(ts.tv_sec * 1000 + ts.tv_nsec / 1000000);
}

// Runs one command line; false when it is not understood.
bool runCommand(wl_display *display, wl_proxy *pointer, const std::string &line)
{
    unsigned x, y, w, h;
    int n;
    if (std::sscanf(line.c_str(), "move %u %u %u %u", &x, &y, &w, &h) == 4 && w && h) {
        wl_proxy_marshal(pointer, MotionAbsolute, now(), x, y, w, h);
    } else if (std::sscanf(line.c_str(), "press %d", &n) == 1) {
        wl_proxy_marshal(pointer, Button, now(), linuxButton(n),
                         uint32_t(WL_POINTER_BUTTON_STATE_PRESSED));
    } else if (std::sscanf(line.c_str(), "release %d", &n) == 1) {
        wl_proxy_marshal(pointer, Button, now(), linuxButton(n),
                         uint32_t(WL_POINTER_BUTTON_STATE_RELEASED));
    } else if (line == "sync") {
        // The compositor answers in order: once it has, it has sent the clients every event of
        // the commands before.
        wl_display_roundtrip(display);
        std::printf("synced\n");
        std::fflush(stdout);
        return true;
    } else {
        return false;
    }
    wl_proxy_marshal(pointer, Frame);
    return true;
}

} // namespace

int main()
{
    std::signal(SIGTERM, onSignal);
    std::signal(SIGINT, onSignal);
    wl_display *display = wl_display_connect(nullptr);
    if (!display) {
        std::fprintf(stderr, "virtual_pointer: no Wayland display\n");
        return 1;
    }
    Globals globals;
    wl_registry *registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &registryListener, &globals);
    wl_display_roundtrip(display);
    if (!globals.manager || !globals.seat) {
        std::fprintf(stderr, "virtual_pointer: the compositor offers no virtual pointers\n");
        return 1;
    }
    auto *pointer = wl_proxy_marshal_constructor(
        globals.manager, 0, &zwlr_virtual_pointer_v1_interface, globals.seat, nullptr);
    wl_display_roundtrip(display);
    std::printf("ready\n");
    std::fflush(stdout);

    std::string pending;
    bool inputOpen = true;
    while (!stopRequested) {
        wl_display_flush(display);
        pollfd fds[2] = {{wl_display_get_fd(display), POLLIN, 0}, {0, POLLIN, 0}};
        if (poll(fds, inputOpen ? 2 : 1, -1) < 0)
            continue; // a signal
        if (fds[0].revents & (POLLERR | POLLHUP))
            break; // the compositor went away
        if ((fds[0].revents & POLLIN) && wl_display_dispatch(display) < 0)
            break;
        if (inputOpen && (fds[1].revents & (POLLIN | POLLHUP))) {
            char buffer[256];
            const ssize_t got = read(0, buffer, sizeof buffer);
            if (got <= 0) {
                // Nobody drives us: keep the pointer until we are told to stop.
                inputOpen = false;
                continue;
            }
            pending.append(buffer, std::size_t(got));
            for (std::size_t end; (end = pending.find('\n')) != std::string::npos;) {
                if (!runCommand(display, pointer, pending.substr(0, end)))
                    std::fprintf(stderr, "virtual_pointer: not understood: %s\n",
                                 pending.substr(0, end).c_str());
                pending.erase(0, end + 1);
            }
        }
    }
    wl_proxy_marshal(pointer, Destroy);
    wl_proxy_destroy(pointer);
    wl_display_roundtrip(display);
    wl_display_disconnect(display);
    return 0;
}
