#pragma once

#include "NativeWindow.h"

#include <string>

namespace platform {

constexpr unsigned HELP_CONTEXT_Command = 0x0001;
constexpr unsigned HELP_CONTENTS_Command = 0x0003;

// Shows help from a help file: its contents, or one topic of it.
class HelpEngine
{
public:
    virtual ~HelpEngine() = default;
    // file is the full path as the program names it; command HELP_CONTENTS (data 0) or
    // HELP_CONTEXT (data the topic number). Returns false when no help could be shown.
    virtual bool WinHelp(NativeWindow owner, const std::string &file, unsigned command,
                         unsigned long data)
        = 0;
};

} // namespace platform
