#pragma once

// The desktop portal's screenshot, the parts that need no bus: what its answer means, and the
// picture it leaves in a file, read and removed at once.
#include "platform/DesktopCapture.h"

#include <QImage>
#include <QString>
#include <QVariantMap>

#include <string>

namespace platform::wayland {

// The portal's Response: the picture's file, or one sentence saying why there is none.
struct ScreenshotAnswer
{
    QString path;
    std::string failure;
};

// What the desktop keeps of the user's answer to "may programs take screenshots?" for programs
// outside a sandbox (the portal's permission store; GNOME asks once and keeps the answer).
// Unknown where it could not be read.
enum class KeptAnswer { Unknown, None, Yes, No };

// Reads the Response signal of a Screenshot request: code 0 (done) with a local file "uri" in
// the results gives the path; a refusal (1, or 2 with a "no" kept: GNOME answers a refusal so), a
// cancellation or failure (2 and anything else), or a result without a local file gives the
// reason.
ScreenshotAnswer ReadScreenshotResponse(unsigned response, const QVariantMap &results,
                                        KeptAnswer kept = KeptAnswer::Unknown);

// Why there is no picture when the portal never answered: where the desktop asks the user first
// and keeps no answer yet, its question went unanswered (the portal stops waiting for it after
// 25 seconds, and an answer given later is lost); otherwise the portal gave nothing in time.
std::string ReasonForNoAnswer(KeptAnswer kept, bool desktopAsksFirst, int seconds);

// The picture in the file as 0xFFRRGGBB pixels, kept at its own (device) pixel size; the file is
// removed whether or not it could be read, so no copy of the screen stays on disk. Null when it
// could not be read.
QImage TakeScreenshotFile(const QString &path);

// The part of a picture of the whole desktop under the rectangle (device pixels); the parts of
// the rectangle beyond the picture are black. Empty for an empty rectangle.
DesktopImage CutDesktop(const QImage &desktop, int x, int y, int width, int height);

// The sentences the program says when the screen cannot be copied.
namespace reasons {
std::string noSessionBus();
std::string noPortal();
std::string noScreenshotPortal();
std::string refused();
std::string refusedAndKept();
std::string cancelled();
std::string unanswered();
std::string noAnswer(int seconds);
std::string noPicture();
std::string unreadablePicture();
} // namespace reasons

} // namespace platform::wayland
