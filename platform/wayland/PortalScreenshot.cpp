#include "PortalScreenshot.h"

#include <QFile>
#include <QImageReader>
#include <QUrl>

#include <cstring>
#include <memory>

namespace platform::wayland {

namespace reasons {
// Each says what the user can do about it: what to install, or what to allow.
std::string noSessionBus()
{
    return "Vyn Quillane cannot copy the screen: it needs the D-Bus session bus of your desktop "
           "session to ask the desktop portal for a screenshot.";
}
std::string noPortal()
{
    return "Vyn Quillane cannot copy the screen: no desktop portal is running; install "
           "xdg-desktop-portal and your desktop's portal (xdg-desktop-portal-gnome, "
           "xdg-desktop-portal-kde or xdg-desktop-portal-wlr).";
}
std::string noScreenshotPortal()
{
    return "Vyn Quillane cannot copy the screen: your desktop portal offers no screenshots; "
           "install your desktop's portal (xdg-desktop-portal-gnome, xdg-desktop-portal-kde or "
           "xdg-desktop-portal-wlr).";
}
std::string refused()
{
    return "Vyn Quillane cannot copy the screen: screenshots were refused for Vyn Quillane; "
           "allow them for it in your desktop's settings (or answer Allow when the desktop "
           "asks), then start Vyn Quillane again.";
}
std::string refusedAndKept()
{
    // The store's entry for every program outside a sandbox, which is how the package installs
    // the program; without the entry the desktop asks again at the next start.
    return "Vyn Quillane cannot copy the screen: screenshots were refused for Vyn Quillane, and "
           "the desktop keeps that answer for programs not installed as a sandboxed app, so it "
           "does not ask again. To be asked again, run this command in a terminal, then start "
           "Vyn Quillane again and answer Allow:\n"
           "gdbus call --session --dest org.freedesktop.impl.portal.PermissionStore "
           "--object-path /org/freedesktop/impl/portal/PermissionStore --method "
           "org.freedesktop.impl.portal.PermissionStore.DeletePermission screenshot screenshot "
           "''";
}
std::string cancelled()
{
    return "Vyn Quillane cannot copy the screen: the desktop portal cancelled the screenshot.";
}
std::string unanswered()
{
    return "Vyn Quillane cannot copy the screen: the desktop asked whether programs may take "
           "screenshots, and the question was not answered in time (the desktop stops waiting "
           "after 25 seconds and does not keep an answer given later). Start Vyn Quillane "
           "again and answer Allow.";
}
std::string noAnswer(int seconds)
{
    return "Vyn Quillane cannot copy the screen: the desktop portal gave no screenshot within "
        + std::to_string(seconds) + " seconds.";
}
std::string noPicture()
{
    return "Vyn Quillane cannot copy the screen: the desktop portal answered without a picture.";
}
std::string unreadablePicture()
{
    return "Vyn Quillane cannot copy the screen: the picture the desktop portal made could not "
           "be read.";
}
} // namespace reasons

ScreenshotAnswer ReadScreenshotResponse(unsigned response, const QVariantMap &results,
                                        KeptAnswer kept)
{
    ScreenshotAnswer answer;
    switch (response) {
    case 0:
        break;
    case 1:
        answer.failure = reasons::refused();
        return answer;
    default:
        // 2 is "ended in another way", which is also how the portal answers for the user who
        // said no (then or before): the kept "no" tells them apart. Any other code is not the
        // portal's, and no better.
        answer.failure = response == 2 && kept == KeptAnswer::No ? reasons::refusedAndKept()
                                                                 : reasons::cancelled();
        return answer;
    }
    const QUrl uri(results.value(QStringLiteral("uri")).toString());
    if (!uri.isValid() || !uri.isLocalFile() || uri.toLocalFile().isEmpty()) {
        answer.failure = reasons::noPicture();
        return answer;
    }
    answer.path = uri.toLocalFile();
    return answer;
}

std::string ReasonForNoAnswer(KeptAnswer kept, bool desktopAsksFirst, int seconds)
{
    return desktopAsksFirst && kept == KeptAnswer::None ? reasons::unanswered()
                                                        : reasons::noAnswer(seconds);
}

QImage TakeScreenshotFile(const QString &path)
{
    QImage picture;
    {
        QImageReader reader(path);
        // The picture is the whole desktop at its device pixels; a scaled output must not be
        // scaled back.
        reader.setAutoTransform(false);
        picture = reader.read();
    }
    QFile::remove(path);
    if (picture.isNull())
        return {};
    return picture.convertToFormat(QImage::Format_RGB32);
}

DesktopImage CutDesktop(const QImage &desktop, int x, int y, int width, int height)
{
    DesktopImage out = BlackDesktopImage(width, height);
    if (out.empty() || desktop.isNull())
        return out;
    const QImage source = desktop.format() == QImage::Format_RGB32
        ? desktop
        : desktop.convertToFormat(QImage::Format_RGB32);
    // The overlap of the rectangle and the picture, in the picture's coordinates; 64-bit so
    // that no rectangle far off the picture overflows.
    const long long left = std::max<long long>(x, 0);
    const long long top = std::max<long long>(y, 0);
    const long long right = std::min<long long>((long long)x + width, source.width());
    const long long bottom = std::min<long long>((long long)y + height, source.height());
    for (long long row = top; row < bottom; ++row) {
        if (right <= left)
            break;
        const auto *from
            = reinterpret_cast<const std::uint32_t *>(source.constScanLine(int(row))) + left;
        auto *to = reinterpret_cast<std::uint32_t *>(reinterpret_cast<char *>(out.pixels)
                                                     + (row - y) * out.strideBytes)
            + (left - x);
        std::memcpy(to, from, std::size_t(right - left) * 4);
    }
    return out;
}

} // namespace platform::wayland
