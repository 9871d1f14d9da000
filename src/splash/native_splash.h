// The runtime's native splash library, driven through its four entries: "SplashInit",
// "SplashLoadFile" and "SplashSetFileJarName" to show the image, "SplashClose" to take
// it down. What the library shows and when it closes itself are its own business.
#pragma once

#include <string>

namespace jl {

// The entries as the library exports them, with the C calling convention.
struct NativeSplashEntries {
    void (*init)() = nullptr;
    int (*loadFile)(const char* imagePath) = nullptr;
    void (*setFileJarName)(const char* imagePath, const char* jarName) = nullptr;
    void (*close)() = nullptr;
};

class NativeSplash {
public:
    NativeSplash() = default;
    NativeSplash(const NativeSplash&) = delete;
    NativeSplash& operator=(const NativeSplash&) = delete;

    // Loads the library (never unloaded) and shows the image through it. False when the
    // library cannot be loaded or lacks one of the first three entries; its close entry
    // is held all the same when it has one. Nothing is reported.
    [[nodiscard]] bool start(const std::wstring& libraryPath, const std::wstring& imagePath);
    // The same over entries already looked up: holds the close entry (closing one held
    // before when it differs), then init, loadFile and setFileJarName in that order with
    // the image path in the thread's ANSI code page and an empty JAR name. An image the
    // library cannot show still counts as started.
    [[nodiscard]] bool start(const NativeSplashEntries& entries, const std::wstring& imagePath);

    // Calls the held close entry once; later calls do nothing.
    void close();
    bool holdsCloseEntry() const { return close_ != nullptr; }

private:
    void (*close_)() = nullptr;
};

// Makes the runtime's own folders the place where the native splash library's
// dependencies are found, before it is loaded: on Windows its bin folder replaces the
// current directory in the DLL search; on Linux, where the library links the JVM
// library that lies in a folder of its own, that library is loaded first.
void prepareNativeSplashLoad(const std::wstring& jvmLibraryPath);

}  // namespace jl
