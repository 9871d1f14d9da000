// The splash step of a launch: shows the configured image while the runtime loads and
// the application starts, through the runtime's native splash library or in the
// launcher's own window, and takes it down again.
#pragma once

#include <string>

#include "splash/native_splash.h"
#include "splash/splash_window.h"

namespace jl {

struct LaunchSettings;

class Splash {
public:
    Splash();
    // Closes the own window; the native splash stays as the runtime left it.
    ~Splash();
    Splash(const Splash&) = delete;
    Splash& operator=(const Splash&) = delete;

    // Reads the "Display" keys of the settings file into `settings` and shows the image.
    // Nothing when no image is set. Nothing is ever reported: a splash that cannot be
    // shown is simply not there.
    void start(const std::wstring& settingsPath, const std::wstring& jvmLibraryPath, LaunchSettings& settings);
    // The same with the keys already read: the native library beside the runtime's JVM
    // library when preferred (on Linux always, it is the only splash there) and it
    // starts, otherwise the own window.
    void show(const std::wstring& imagePath, bool shadow, bool preferNative, const std::wstring& jvmLibraryPath);

    // Calls the native library's close entry once, when one is held.
    void closeNativeSplash() { native_.close(); }
    // Ends the own window and its thread; safe at any time, also before or without start.
    void closeSplashWindow() { window_.close(); }

    bool holdsNativeClose() const { return native_.holdsCloseEntry(); }
    bool windowStarted() const { return window_.started(); }

private:
    NativeSplash native_;
    SplashWindowThread window_;
};

// Closes the own splash window of the process's current Splash, if any. For the Java
// thread after an uncaught exception (JavaLaunch::closeSplashWindow).
void closeLauncherSplashWindow();

}  // namespace jl
