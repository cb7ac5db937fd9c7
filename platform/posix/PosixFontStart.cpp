#include "platform/FontStart.h"

#include <dlfcn.h>

#include <thread>

// fontconfig reads some seventy configuration files and its font caches (about 6 ms). The library
// is the one the toolkit links already, looked up without loading it: where the toolkit does not
// use it, there is nothing to start, and the program needs no build dependency of its own on it.
namespace platform {

struct FontConfigurationStart::Loading
{
    void *library = nullptr;
    std::thread thread;
};

FontConfigurationStart::FontConfigurationStart()
    : m_loading(std::make_unique<Loading>())
{
    m_loading->library = dlopen("libfontconfig.so.1", RTLD_LAZY | RTLD_NOLOAD);
    const auto init = m_loading->library
        ? reinterpret_cast<int (*)()>(dlsym(m_loading->library, "FcInit"))
        : nullptr;
    if (init)
        m_loading->thread = std::thread([init] { init(); });
}

FontConfigurationStart::~FontConfigurationStart()
{
    wait();
    if (m_loading->library)
        dlclose(m_loading->library);
}

void FontConfigurationStart::wait()
{
    if (m_loading->thread.joinable())
        m_loading->thread.join();
}

} // namespace platform
