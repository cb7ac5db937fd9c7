#include <windows.h>
// windows.h maps WinHelp to WinHelpA or WinHelpW; in this file the name is the interface's.
#undef WinHelp

#include "platform/HelpEngine.h"

#include <memory>

namespace platform::win32 {

namespace {

// The Windows help engine, given the help file's path as an ANSI string.
class Win32HelpEngine final : public HelpEngine
{
public:
    bool WinHelp(NativeWindow owner, const std::string &file, unsigned command,
                 unsigned long data) override
    {
        return WinHelpA(reinterpret_cast<HWND>(owner), file.c_str(), command, ULONG_PTR(data))
            != FALSE;
    }
};

} // namespace

std::unique_ptr<HelpEngine> makeHelpEngine()
{
    return std::make_unique<Win32HelpEngine>();
}

} // namespace platform::win32
