// Which splash a launch shows: none, the runtime's native splash library, or the
// launcher's own window, decided from the "Display" settings and what the runtime and
// the platform offer.
#pragma once

#include <string>

namespace jl {

// The native splash library's file name in the runtime.
extern const wchar_t kNativeSplashLibraryName[];

struct SplashPlan {
    bool tryNative = false;  // start the runtime's native splash library first
    bool ownWindow = false;  // the launcher's own window when the native one is not started
};

// No splash without an image. The native library is tried when it was found and is
// preferred; the own window follows whenever the native one is not started. A platform
// without an own window (Linux) has only the native splash, which is then tried
// whatever the preference says, so that one settings file shows its image everywhere.
SplashPlan planSplash(const std::wstring& imagePath, bool preferNative, bool nativeLibraryFound, bool hasOwnWindow);

// The native splash library two components above the runtime's JVM library: its bin
// folder for <home>\bin\client\jvm.dll, its lib folder for <home>/lib/server/libjvm.so.
// Empty when it is not there.
std::wstring findNativeSplashLibrary(const std::wstring& jvmLibraryPath);

}  // namespace jl
