#pragma once

// A help engine that records what it is asked to show.

#include "platform/Platform.h"
#include "platform/HelpEngine.h"

#include <memory>
#include <string>
#include <vector>

struct HelpRequest
{
    platform::NativeWindow owner;
    std::string file;
    unsigned command;
    unsigned long data;
};

struct HelpRecorder : platform::HelpEngine
{
    std::vector<HelpRequest> requests;
    bool WinHelp(platform::NativeWindow owner, const std::string &file, unsigned command,
                 unsigned long data) override
    {
        requests.push_back({owner, file, command, data});
        return true;
    }
};

// Makes a recorder the program's help engine for the rest of the test.
inline HelpRecorder &recordHelp()
{
    auto recorder = std::make_unique<HelpRecorder>();
    HelpRecorder &help = *recorder;
    platform::caps().help = std::move(recorder);
    return help;
}
