#include <windows.h>

#include "os/os.h"
#include "os/win32/unique_handle.h"

namespace jl::os {

bool setCurrentDirectory(const std::wstring& path) { return SetCurrentDirectoryW(path.c_str()) != 0; }

bool startProcessWithOwnCommandLine(const std::wstring& application, bool wait, uint32_t& exitCode,
                                    uint32_t& error) {
    // CreateProcessW may write into the command line, so it gets a copy of its own.
    std::wstring commandLine = GetCommandLineW();
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(application.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        error = GetLastError();
        return false;
    }
    UniqueKernelHandle processHandle(process.hProcess);
    UniqueKernelHandle threadHandle(process.hThread);
    exitCode = 0;
    if (wait) {
        WaitForSingleObject(processHandle.get(), INFINITE);
        DWORD code = 0;
        if (GetExitCodeProcess(processHandle.get(), &code)) exitCode = code;
    }
    return true;
}

}  // namespace jl::os
