#include "splash/gdiplus_win32.h"

#include <cstdlib>
#include <string>

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

template <typename Entry>
bool resolve(HMODULE library, const char* name, Entry& entry) {
    entry = reinterpret_cast<Entry>(reinterpret_cast<void*>(GetProcAddress(library, name)));
    return entry != nullptr;
}

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
    wchar_t folder[MAX_PATH];
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return TRUE;
    const std::wstring path = std::wstring(folder, length) + L"\\gdiplus.dll";
    // Kept for the rest of the process: the started library must outlive every use.
    HMODULE library = LoadLibraryW(path.c_str());
    if (!library) return TRUE;
    StartupEntry startup = nullptr;
    const bool complete =
        resolve(library, "GdiplusStartup", startup) && resolve(library, "GdiplusShutdown", shutdownEntry) &&
        resolve(library, "GdipCreateBitmapFromFile", entries.createBitmapFromFile) &&
        resolve(library, "GdipGetImageWidth", entries.getImageWidth) &&
        resolve(library, "GdipGetImageHeight", entries.getImageHeight) &&
        resolve(library, "GdipDisposeImage", entries.disposeImage) &&
        resolve(library, "GdipCreateFromHDC", entries.createFromHdc) &&
        resolve(library, "GdipSetInterpolationMode", entries.setInterpolationMode) &&
        resolve(library, "GdipDeleteGraphics", entries.deleteGraphics) &&
        resolve(library, "GdipCreateImageAttributes", entries.createImageAttributes) &&
        resolve(library, "GdipSetImageAttributesWrapMode", entries.setImageAttributesWrapMode) &&
        resolve(library, "GdipDisposeImageAttributes", entries.disposeImageAttributes) &&
        resolve(library, "GdipDrawImageRectRectI", entries.drawImageRectRectI);
    const StartupInput input;
    if (complete && startup(&token, &input, nullptr) == 0) {
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
