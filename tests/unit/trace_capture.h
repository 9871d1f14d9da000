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
        if (destination != nullptr) {
            EXPECT_TRUE(os::setEnvironment(kTraceVariable, *destination));
        } else {
            os::removeEnvironment(kTraceVariable);
        }
        restartTrace();
    }
    ~TraceSwitch() {
        os::removeEnvironment(kTraceVariable);
        restartTrace();
    }
    TraceSwitch(const TraceSwitch&) = delete;
    TraceSwitch& operator=(const TraceSwitch&) = delete;
};

// The trace into a file of its own.
class TraceCapture {
public:
    // Everything traced so far, as UTF-8.
    std::string text() const {
        std::ifstream in{std::filesystem::path(file_), std::ios::binary};
        std::ostringstream bytes;
        bytes << in.rdbuf();
        return bytes.str();
    }

private:
    TempFolder temp_;
    std::wstring file_ = temp_.path(L"trace.log");
    TraceSwitch on_{&file_};
};

}  // namespace jl::testing
