#include "splash/native_splash.h"

#include "os/os.h"
#include "support/paths.h"

namespace jl {

bool NativeSplash::start(const std::wstring& libraryPath, const std::wstring& imagePath) {
    void* library = os::loadLibrary(libraryPath);
    if (!library) return false;
    NativeSplashEntries entries;
    entries.init = reinterpret_cast<decltype(entries.init)>(os::libraryEntryPoint(library, "SplashInit"));
    entries.loadFile = reinterpret_cast<decltype(entries.loadFile)>(os::libraryEntryPoint(library, "SplashLoadFile"));
    entries.setFileJarName =
        reinterpret_cast<decltype(entries.setFileJarName)>(os::libraryEntryPoint(library, "SplashSetFileJarName"));
    entries.close = reinterpret_cast<decltype(entries.close)>(os::libraryEntryPoint(library, "SplashClose"));
    return start(entries, imagePath);
}

bool NativeSplash::start(const NativeSplashEntries& entries, const std::wstring& imagePath) {
    // At most one close entry is held: one from an earlier library is used up first.
    if (entries.close != close_) {
        close();
        close_ = entries.close;
    }
    if (!entries.init || !entries.loadFile || !entries.setFileJarName) return false;
    entries.init();
    const std::string path = os::toThreadAnsi(imagePath);
    (void)entries.loadFile(path.c_str());
    entries.setFileJarName(path.c_str(), "");
    return true;
}

void NativeSplash::close() {
    if (!close_) return;
    void (*entry)() = close_;
    close_ = nullptr;
    entry();
}

void prepareNativeSplashLoad(const std::wstring& jvmLibraryPath) {
    (void)os::setLibrarySearchFolder(stripPathComponents(jvmLibraryPath, 2));
#ifndef _WIN32
    // Whether it loads or not is found out again, and reported, when the JVM is loaded.
    (void)os::loadLibrary(jvmLibraryPath);
#endif
}

}  // namespace jl
