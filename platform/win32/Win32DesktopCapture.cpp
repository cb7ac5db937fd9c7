#include <windows.h>

#include "platform/DesktopCapture.h"

#include <memory>

namespace platform::win32 {

namespace {

// The desktop copied with BitBlt from the screen's device context into a 32-bit top-down DIB.
class Win32DesktopCapture final : public DesktopCapture
{
public:
    std::string unavailableReason() override { return {}; }

    DesktopImage captureDesktop(int x, int y, int width, int height) override
    {
        DesktopImage out = BlackDesktopImage(width, height);
        if (out.empty())
            return out;
        HWND desktop = GetDesktopWindow();
        HDC screen = GetDC(desktop);
        if (!screen)
            return {};
        HDC memory = CreateCompatibleDC(screen);
        BITMAPINFO info {};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height; // top-down rows
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void *bits = nullptr;
        HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        bool copied = false;
        if (memory && bitmap && bits) {
            HGDIOBJ previous = SelectObject(memory, bitmap);
            // The destination's origin is the rectangle's corner, so the desktop's (x, y) lands
            // on the image's (0, 0); what lies beyond the screen stays black.
            copied = BitBlt(memory, 0, 0, width, height, screen, x, y, SRCCOPY) != FALSE;
            SelectObject(memory, previous);
            if (copied) {
                const auto *source = static_cast<const std::uint32_t *>(bits);
                const std::size_t count = std::size_t(width) * std::size_t(height);
                for (std::size_t i = 0; i < count; ++i)
                    out.pixels[i] = source[i] | 0xFF000000u;
            }
        }
        if (bitmap)
            DeleteObject(bitmap);
        if (memory)
            DeleteDC(memory);
        ReleaseDC(desktop, screen);
        return copied ? out : DesktopImage {};
    }
};

} // namespace

std::unique_ptr<DesktopCapture> makeDesktopCapture()
{
    return std::make_unique<Win32DesktopCapture>();
}

} // namespace platform::win32
