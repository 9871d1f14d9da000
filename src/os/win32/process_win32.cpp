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

bool startDetachedProcess(const std::vector<std::wstring>& arguments) {
    if (arguments.empty()) return false;
    std::wstring commandLine;
    for (const std::wstring& argument : arguments) {
        if (!commandLine.empty()) commandLine += L' ';
        commandLine += argument;
    }
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    // A console program gets a console without a window (DETACHED_PROCESS would make
    // every console program it starts open a window of its own); no handle is inherited.
    if (!CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW | CREATE_NEW_PROCESS_GROUP,
                        nullptr, nullptr, &startup, &process)) {
        return false;
    }
    UniqueKernelHandle processHandle(process.hProcess);
    UniqueKernelHandle threadHandle(process.hThread);
    return true;
}

}  // namespace jl::os
