// The smallest Windows program made of the platform layer's Win32 side: linking it proves that
// every capability the native factory names has a Win32 implementation with the same interface.
// It is built, not run (there is no Windows here); run on Windows it says which capabilities
// came up.
#include "platform/Platform.h"

#include "platform/qt/QtSingleInstance.h"

#include <cstdio>

// The cross-compiler has no Qt, so the one capability the Win32 factory takes from the toolkit (one
// copy per session, platform/qt/QtSingleInstance.cpp) is stood in for here; the Windows build
// compiles the real one.
std::unique_ptr<platform::SingleInstance> platform::qt::makeSingleInstance(const std::string &)
{
    return nullptr;
}

int main()
{
    const auto caps = platform::makeNativeCapabilities();
    const bool complete = caps->capture && caps->stack && caps->keys && caps->help && caps->drag
        && caps->session && caps->frame;
    std::printf("%s\n", complete ? "all capabilities present" : "a capability is missing");
    return complete ? 0 : 1;
}
