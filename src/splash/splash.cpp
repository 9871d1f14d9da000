#include "splash/splash.h"

#include "config/launch_settings.h"
#include "splash/splash_selection.h"

namespace jl {

namespace {
// Written on the main thread before the Java thread that may use it is started.
Splash* currentSplash = nullptr;
}  // namespace

Splash::Splash() { currentSplash = this; }

Splash::~Splash() {
    if (currentSplash == this) currentSplash = nullptr;
}

void Splash::start(const std::wstring& settingsPath, const std::wstring& jvmLibraryPath, LaunchSettings& settings) {
    readSplashSettings(settingsPath, settings);
    show(settings.splashImage, settings.splashShadow, settings.preferNativeSplash, jvmLibraryPath);
}

void Splash::show(const std::wstring& imagePath, bool shadow, bool preferNative, const std::wstring& jvmLibraryPath) {
    const std::wstring library = imagePath.empty() ? std::wstring() : findNativeSplashLibrary(jvmLibraryPath);
    const SplashPlan plan = planSplash(imagePath, preferNative, !library.empty(), kHasOwnSplashWindow);
    if (plan.tryNative) {
        prepareNativeSplashLoad(jvmLibraryPath);
        if (native_.start(library, imagePath)) return;
    }
    if (plan.ownWindow) window_.start(imagePath, shadow);
}

void closeLauncherSplashWindow() {
    if (currentSplash) currentSplash->closeSplashWindow();
}

}  // namespace jl
