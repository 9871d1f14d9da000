// The diagnostic trace switched on for the lifetime of an object, and read back.
#pragma once

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "os/os.h"
#include "support/trace.h"
#include "temp_folder.h"

namespace jl::testing {

// Switches the trace to `destination` (nothing: off), and off again afterwards.
class TraceSwitch {
public:
    explicit TraceSwitch(const std::wstring* destination) {
        if (!destination) os::removeEnvironment(kTraceVariable);
        EXPECT_TRUE(!destination || os::setEnvironment(kTraceVariable, *destination));
        restartTrace();
    }
    ~TraceSwitch() { os::removeEnvironment(kTraceVariable), restartTrace(); }
};

// The trace into a file of its own.
class TraceCapture {
public:
    // Everything traced so far, as UTF-8.
    std::string text() const {
        std::ostringstream bytes;
        bytes << std::ifstream(std::filesystem::path(file_), std::ios::binary).rdbuf();
        return bytes.str();
    }

private:
    TempFolder temp_;
    std::wstring file_ = temp_.path(L"trace.log");
    TraceSwitch on_{&file_};
};

}  // namespace jl::testing
