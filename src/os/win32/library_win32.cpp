// Loading the runtime's libraries and running the thread that hosts its virtual machine.
#include "os/os.h"

#include <windows.h>

#include "os/win32/unique_handle.h"

namespace jl::os {

namespace {

struct ThreadJob {
    int (*body)(void*);
    void* context;
};

DWORD WINAPI threadMain(void* parameter) {
    const ThreadJob* job = static_cast<const ThreadJob*>(parameter);
    return static_cast<DWORD>(job->body(job->context));
}

}  // namespace

void* loadLibrary(const std::wstring& path) { return LoadLibraryW(path.c_str()); }

void* libraryEntryPoint(void* library, const char* name) {
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name));
}

bool setLibrarySearchFolder(const std::wstring& folder) {
    return SetDllDirectoryW(folder.c_str()) != FALSE;
}

bool runThreadWithStack(uint32_t stackSize, int (*body)(void*), void* context, int& result) {
    ThreadJob job{body, context};
    // No creation flags: the size is the committed stack, and the reservation grows to
    // hold it when it is larger than the executable's default.
    UniqueKernelHandle thread(CreateThread(nullptr, stackSize, threadMain, &job, 0, nullptr));
    if (!thread) return false;
    WaitForSingleObject(thread.get(), INFINITE);
    DWORD code = 0;
    GetExitCodeThread(thread.get(), &code);
    result = static_cast<int>(code);
    return true;
}

void sleepForever() {
    for (;;) Sleep(INFINITE);
}

}  // namespace jl::os
