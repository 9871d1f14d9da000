// The launcher's own splash window: a borderless popup centred on the primary screen
// showing one image at its own size, on a thread of its own that runs its message loop.
// While it is up it owns every error box. Windows only; elsewhere there is no own
// window and these operations do nothing.
#pragma once

#include <string>

namespace jl {

#ifdef _WIN32
constexpr bool kHasOwnSplashWindow = true;
#else
constexpr bool kHasOwnSplashWindow = false;
#endif

// The window class of the splash window.
extern const wchar_t kSplashWindowClass[];

struct SplashWindowRun;  // the window object with its thread's handle and id

class SplashWindowThread {
public:
    SplashWindowThread() = default;
    ~SplashWindowThread() { close(); }
    SplashWindowThread(const SplashWindowThread&) = delete;
    SplashWindowThread& operator=(const SplashWindowThread&) = delete;

    // Starts the splash thread, which decodes the image, creates and shows the window
    // and makes it the error owner window; waits (a few hundred milliseconds at most)
    // until that window exists or could not be made, so later error boxes are owned. An
    // image that cannot be read gives a window of no size: nothing shows and nothing is
    // reported. With `shadow` the window casts a drop shadow where the system allows it.
    void start(const std::wstring& imagePath, bool shadow);

    // Ends the splash thread and frees the window; from then on error boxes have no
    // owner. Safe at any time: before the window exists (the thread is still ended),
    // when nothing was started, and again after closing.
    void close();

    bool started() const { return run_ != nullptr; }

private:
    SplashWindowRun* run_ = nullptr;
};

}  // namespace jl
