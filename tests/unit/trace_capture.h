// Switches the diagnostic trace on, into a file of its own, for the lifetime of the
// object, and reads back what was traced.
#pragma once

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "os/os.h"
#include "support/trace.h"
#include "temp_folder.h"

namespace jl::testing {

class TraceCapture {
public:
    TraceCapture() : file_(temp_.path(L"trace.log")) {
        os::setEnvironment(kTraceVariable, file_);
        restartTrace();
    }
    ~TraceCapture() {
        os::removeEnvironment(kTraceVariable);
        restartTrace();
    }
    TraceCapture(const TraceCapture&) = delete;
    TraceCapture& operator=(const TraceCapture&) = delete;

    // Everything traced so far, as UTF-8.
    std::string text() const {
        std::ifstream in{std::filesystem::path(file_), std::ios::binary};
        std::ostringstream bytes;
        bytes << in.rdbuf();
        return bytes.str();
    }
    // Forgets what was traced so far.
    void clear() const { std::ofstream{std::filesystem::path(file_), std::ios::binary | std::ios::trunc}; }
    const std::wstring& file() const { return file_; }

private:
    TempFolder temp_;
    std::wstring file_;
};

}  // namespace jl::testing
