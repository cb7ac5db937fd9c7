#include "platform/FontStart.h"

// Windows keeps its fonts in the system: there is no configuration for the program to load.
namespace platform {

struct FontConfigurationStart::Loading
{
};

FontConfigurationStart::FontConfigurationStart() = default;
FontConfigurationStart::~FontConfigurationStart() = default;

void FontConfigurationStart::wait() { }

} // namespace platform
