// Gives KWin's seat keys in a session that has no input devices, through KWin's fake-input
// protocol (org_kde_kwin_fake_input, version 4, which KWin grants without asking when started with
// KWIN_WAYLAND_NO_PERMISSION_CHECKS). Commands on standard input, one a line:
//   key CODE    presses and releases the key with that Linux key code (68 F10, 87 F11, 88 F12)
//   sync        prints "synced" once the compositor has handled everything before it
// It prints "ready" once it may be used, and ends at the end of its input or on SIGTERM.
//
// Debian ships no client header for the protocol, so its interface is described here; the
// request order below is the protocol's opcode order.
#include <wayland-client.h>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>

extern "C" {
extern const struct wl_interface org_kde_kwin_fake_input_interface;
}

namespace {

const struct wl_interface *noTypes[] = {nullptr, nullptr, nullptr};

const struct wl_message fakeInputRequests[] = {
    {"authenticate", "ss", noTypes},  {"pointer_motion", "ff", noTypes},
    {"button", "uu", noTypes},        {"axis", "uf", noTypes},
    {"touch_down", "2uff", noTypes},  {"touch_motion", "2uff", noTypes},
    {"touch_up", "2u", noTypes},      {"touch_cancel", "2", noTypes},
    {"touch_frame", "2", noTypes},    {"pointer_motion_absolute", "3ff", noTypes},
    {"keyboard_key", "4uu", noTypes},
};
enum FakeInputOpcode : uint32_t { Authenticate = 0, KeyboardKey = 10 };

} // namespace

extern "C" {
const struct wl_interface org_kde_kwin_fake_input_interface = {
    "org_kde_kwin_fake_input", 4, 11, fakeInputRequests, 0, nullptr,
};
}

namespace {

void onGlobal(void *data, wl_registry *registry, uint32_t name, const char *interface,
              uint32_t version)
{
    auto *fakeInput = static_cast<wl_proxy **>(data);
    if (!std::strcmp(interface, org_kde_kwin_fake_input_interface.name) && version >= 4)
        *fakeInput = static_cast<wl_proxy *>(
            wl_registry_bind(registry, name, &org_kde_kwin_fake_input_interface, 4));
}

void onGlobalRemove(void *, wl_registry *, uint32_t) { }

const wl_registry_listener registryListener = {onGlobal, onGlobalRemove};

} // namespace

int main()
{
    std::signal(SIGPIPE, SIG_IGN);
    wl_display *display = wl_display_connect(nullptr);
    if (!display) {
        std::fprintf(stderr, "kwin_fake_input: no Wayland display\n");
        return 1;
    }
    wl_proxy *fakeInput = nullptr;
    wl_registry *registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &registryListener, &fakeInput);
    wl_display_roundtrip(display);
    if (!fakeInput) {
        std::fprintf(stderr, "kwin_fake_input: the compositor offers no fake input (v4)\n");
        return 1;
    }
    wl_proxy_marshal(fakeInput, Authenticate, "Vyn Quillane tests", "keys for the tests");
    wl_display_roundtrip(display);
    std::printf("ready\n");
    std::fflush(stdout);

    for (std::string line; std::getline(std::cin, line);) {
        unsigned code = 0;
        if (std::sscanf(line.c_str(), "key %u", &code) == 1) {
            // A press the compositor has taken in before the release, as a hand would.
            wl_proxy_marshal(fakeInput, KeyboardKey, code, uint32_t(WL_KEYBOARD_KEY_STATE_PRESSED));
            wl_display_roundtrip(display);
            wl_proxy_marshal(fakeInput, KeyboardKey, code,
                             uint32_t(WL_KEYBOARD_KEY_STATE_RELEASED));
        } else if (line == "sync") {
            wl_display_roundtrip(display);
            std::printf("synced\n");
            std::fflush(stdout);
        } else {
            std::fprintf(stderr, "kwin_fake_input: not understood: %s\n", line.c_str());
        }
        if (wl_display_flush(display) < 0)
            break;
    }
    wl_proxy_destroy(fakeInput);
    wl_display_disconnect(display);
    return 0;
}
