#include "splash/gdiplus_win32.h"

#include <cstdlib>
#include <cstring>

namespace jl::gdiplus {

namespace {

struct StartupInput {
    UINT32 version = 1;
    void* debugCallback = nullptr;
    BOOL suppressBackgroundThread = FALSE;
    BOOL suppressExternalCodecs = FALSE;
};
using StartupEntry = Status(WINAPI*)(ULONG_PTR* token, const StartupInput* input, void* output);
using ShutdownEntry = void(WINAPI*)(ULONG_PTR token);

// Zero-initialised, so ready before any constructor runs.
INIT_ONCE startOnce = INIT_ONCE_STATIC_INIT;
SRWLOCK useLock = SRWLOCK_INIT;
Api entries;
ShutdownEntry shutdownEntry = nullptr;
ULONG_PTR token = 0;
bool running = false;  // written by the start (before any session sees it) and under the exclusive lock

void shutDownAtExit() {
    AcquireSRWLockExclusive(&useLock);
    if (running) {
        running = false;
        shutdownEntry(token);
    }
    ReleaseSRWLockExclusive(&useLock);
}

BOOL CALLBACK startGdiplus(INIT_ONCE*, void*, void**) {
    // The system's copy by its full path: a gdiplus.dll in the current directory or in a
    // runtime's folder is never the one loaded.
    wchar_t path[MAX_PATH + 16];
    const UINT length = GetSystemDirectoryW(path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return TRUE;
    lstrcpyW(path + length, L"\\gdiplus.dll");
    // Kept for the rest of the process: the started library must outlive every use.
    HMODULE library = LoadLibraryW(path);
    if (!library) return TRUE;
    StartupEntry startup = nullptr;
    struct Import {
        const char* name;
        void* slot;
    };
    const Import imports[] = {
        {"GdiplusStartup", &startup},
        {"GdiplusShutdown", &shutdownEntry},
        {"GdipCreateBitmapFromFile", &entries.createBitmapFromFile},
        {"GdipGetImageWidth", &entries.getImageWidth},
        {"GdipGetImageHeight", &entries.getImageHeight},
        {"GdipDisposeImage", &entries.disposeImage},
        {"GdipCreateFromHDC", &entries.createFromHdc},
        {"GdipSetInterpolationMode", &entries.setInterpolationMode},
        {"GdipDeleteGraphics", &entries.deleteGraphics},
        {"GdipCreateImageAttributes", &entries.createImageAttributes},
        {"GdipSetImageAttributesWrapMode", &entries.setImageAttributesWrapMode},
        {"GdipDisposeImageAttributes", &entries.disposeImageAttributes},
        {"GdipDrawImageRectRectI", &entries.drawImageRectRectI},
    };
    for (const Import& import : imports) {
        // Every slot is a function pointer, which has the size and representation of the
        // address GetProcAddress gives.
        FARPROC address = GetProcAddress(library, import.name);
        if (!address) return TRUE;
        static_assert(sizeof address == sizeof(void*), "function and data pointers differ");
        std::memcpy(import.slot, &address, sizeof address);
    }
    const StartupInput input;
    if (startup(&token, &input, nullptr) == 0) {
        running = true;
        std::atexit(shutDownAtExit);
    }
    return TRUE;
}

}  // namespace

Session::Session() {
    InitOnceExecuteOnce(&startOnce, startGdiplus, nullptr, nullptr);
    AcquireSRWLockShared(&useLock);
    if (running) api_ = &entries;
}

Session::~Session() { ReleaseSRWLockShared(&useLock); }

}  // namespace jl::gdiplus
