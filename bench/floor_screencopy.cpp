// The start-up floor on a Wayland desktop whose compositor copies its outputs for clients
// (wlroots' screen copy): the least a program must do there to freeze the screen. It copies the
// output into shared memory through the protocol (on a connection of its own, as the program
// does) and shows the picture in one frameless full-screen window. Nothing else: no settings, no
// text, no choice of output, no hiding of a pointer the compositor draws into its frames, no error
// messages beyond a line on standard error.
#include "FrozenWindow.h"
#include "platform/wayland/WaylandOutputs.h"

#include <QApplication>
#include <QImage>

#include <cstdio>

int main(int argc, char **argv)
{
    QApplication application(argc, argv);
    auto outputs = platform::wayland::WaylandOutputs::connect();
    const auto *output = outputs ? outputs->output({}) : nullptr;
    // The protocol's copy alone (overlay_cursor 0): no surface of its own to keep a pointer the
    // compositor draws itself out of the picture, which the program adds.
    platform::DesktopImage copy = output ? outputs->copyOutput(*output, {}, /*coverPointer=*/false)
                                         : platform::DesktopImage {};
    if (copy.empty()) {
        std::fprintf(stderr, "floor_screencopy: no copy of the output\n");
        return 1;
    }
    auto *memory = new std::shared_ptr<void>(copy.memory);
    QImage picture(
        reinterpret_cast<uchar *>(copy.pixels), copy.width, copy.height,
        qsizetype(copy.strideBytes), QImage::Format_RGB32,
        [](void *info) { delete static_cast<std::shared_ptr<void> *>(info); }, memory);
    // Device pixels on the screen, whatever its scale.
    picture.setDevicePixelRatio(application.devicePixelRatio());
    FrozenWindow window(std::move(picture));
    window.showFullScreen();
    return QApplication::exec();
}
