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

    DesktopPixels grabDesktop() override
    {
        DesktopPixels out;
        HWND desktop = GetDesktopWindow();
        HDC screen = GetDC(desktop);
        if (!screen)
            return out;
        const int width = GetSystemMetrics(SM_CXSCREEN);
        const int height = GetSystemMetrics(SM_CYSCREEN);
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
        if (memory && bitmap && bits) {
            HGDIOBJ previous = SelectObject(memory, bitmap);
            if (BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY)) {
                out.width = width;
                out.height = height;
                const auto *pixels = static_cast<const std::uint32_t *>(bits);
                out.argb.assign(pixels, pixels + std::size_t(width) * std::size_t(height));
                for (std::uint32_t &pixel : out.argb)
                    pixel |= 0xFF000000u;
            }
            SelectObject(memory, previous);
        }
        if (bitmap)
            DeleteObject(bitmap);
        if (memory)
            DeleteDC(memory);
        ReleaseDC(desktop, screen);
        return out;
    }
};

} // namespace

std::unique_ptr<DesktopCapture> makeDesktopCapture()
{
    return std::make_unique<Win32DesktopCapture>();
}

} // namespace platform::win32
