#include "splash/splash_selection.h"

#include "support/files.h"
#include "support/paths.h"

namespace jl {

#ifdef _WIN32
const wchar_t kNativeSplashLibraryName[] = L"splashscreen.dll";
#else
const wchar_t kNativeSplashLibraryName[] = L"libsplashscreen.so";
#endif

SplashPlan planSplash(const std::wstring& imagePath, bool preferNative, bool nativeLibraryFound, bool hasOwnWindow) {
    SplashPlan plan;
    if (imagePath.empty()) return plan;
    plan.tryNative = nativeLibraryFound && (preferNative || !hasOwnWindow);
    plan.ownWindow = hasOwnWindow;
    return plan;
}

std::wstring findNativeSplashLibrary(const std::wstring& jvmLibraryPath) {
    return findFileInFolder(stripPathComponents(jvmLibraryPath, 2), kNativeSplashLibraryName);
}

}  // namespace jl
