#pragma once

#include <memory>

namespace platform {

// The system's font configuration, loaded on a thread of its own from the first moment of the
// program while the toolkit connects to the display and sets itself up (mostly waiting for the
// display server), instead of on the main thread when the first text is measured; the toolkit's
// font database then finds it loaded. Made first thing in main(), before the application object;
// `wait()` before the first font is looked up, so that it is never loaded twice at once. Where
// the system has no such configuration to load (Windows), nothing starts.
class FontConfigurationStart
{
public:
    FontConfigurationStart();
    ~FontConfigurationStart();
    FontConfigurationStart(const FontConfigurationStart &) = delete;
    FontConfigurationStart &operator=(const FontConfigurationStart &) = delete;

    void wait();

private:
    struct Loading;
    std::unique_ptr<Loading> m_loading;
};

} // namespace platform
