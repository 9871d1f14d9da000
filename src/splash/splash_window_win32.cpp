#include "splash/splash_window.h"

#include <windows.h>

#include <utility>

#include "os/win32/device_context.h"
#include "os/win32/unique_handle.h"
#include "splash/gdiplus_win32.h"
#include "splash/splash_layout.h"
#include "splash/window_base_win32.h"
#include "support/messages.h"

namespace jl {

const wchar_t kSplashWindowClass[] = L"SplashScreenWindow";

namespace {

// How long starting the splash waits for its window to exist: long enough for a
// usual image, short enough that a slow one does not hold up the launch.
constexpr DWORD kWindowReadyMilliseconds = 400;

// Between two quit requests the closing thread waits this long for the splash thread
// to end, instead of spinning: a request posted before the thread has its message queue
// is lost and has to be posted again.
constexpr DWORD kQuitRetryMilliseconds = 20;

struct MemoryDcTraits {
    using Handle = HDC;
    static Handle invalid() { return nullptr; }
    static bool isValid(Handle h) { return h != nullptr; }
    static void close(Handle h) { DeleteDC(h); }
};
using UniqueMemoryDc = os::UniqueHandle<MemoryDcTraits>;

using os::SelectedObject;

// The decoded image while the window is created: decoded once, drawn once, disposed.
class SplashImage {
public:
    SplashImage(const gdiplus::Api* api, const std::wstring& path) : api_(api) {
        if (!api_) return;
        (void)api_->createBitmapFromFile(path.c_str(), &image_);
        if (!image_) return;
        UINT width = 0, height = 0;
        if (api_->getImageWidth(image_, &width) == 0 && api_->getImageHeight(image_, &height) == 0) {
            width_ = width;
            height_ = height;
        }
    }
    ~SplashImage() {
        if (image_) api_->disposeImage(image_);
    }
    SplashImage(const SplashImage&) = delete;
    SplashImage& operator=(const SplashImage&) = delete;

    long long width() const { return width_; }
    long long height() const { return height_; }

    // A bitmap compatible with the screen holding the whole image at its own size.
    // Pixels the image leaves transparent keep the new bitmap's own content (black).
    os::UniqueGdiObject render() const {
        os::UniqueGdiObject bitmap;
        if (width_ <= 0 || height_ <= 0) return bitmap;
        const int width = static_cast<int>(width_), height = static_cast<int>(height_);
        os::WindowDc screen(nullptr);
        bitmap.reset(CreateCompatibleBitmap(screen.get(), width, height));
        UniqueMemoryDc memory(CreateCompatibleDC(screen.get()));
        if (!bitmap || !memory) return bitmap;
        SelectedObject selected(memory.get(), bitmap.get());
        gdiplus::Graphics* graphics = nullptr;
        gdiplus::ImageAttributes* attributes = nullptr;
        if (api_->createFromHdc(memory.get(), &graphics) == 0 && api_->createImageAttributes(&attributes) == 0) {
            api_->setInterpolationMode(graphics, gdiplus::kInterpolationHighQualityBicubic);
            // Mirrored edges keep the bicubic filter from blending the image's border
            // with whatever lies outside it.
            api_->setImageAttributesWrapMode(attributes, gdiplus::kWrapModeTileFlipXY, 0xFF000000, FALSE);
            api_->drawImageRectRectI(graphics, image_, 0, 0, width, height, 0, 0, width, height, gdiplus::kUnitPixel,
                                     attributes, nullptr, nullptr);
        }
        if (attributes) api_->disposeImageAttributes(attributes);
        if (graphics) api_->deleteGraphics(graphics);
        return bitmap;
    }

private:
    const gdiplus::Api* api_;
    gdiplus::Image* image_ = nullptr;
    long long width_ = 0;
    long long height_ = 0;
};

bool registerSplashClass(HINSTANCE instance, bool shadow, WNDPROC procedure) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1));
    windowClass.lpszClassName = kSplashWindowClass;
    const SplashClassStyles styles = splashClassStyles(shadow);
    for (int i = 0; i < styles.count; ++i) {
        windowClass.style = styles.styles[i];
        // The first registration in the process stays; later windows reuse it.
        if (RegisterClassExW(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS) return true;
    }
    return false;
}

}  // namespace

class SplashWindow : public WindowBase<SplashWindow> {
public:
    SplashWindow(std::wstring imagePath, bool shadow) : imagePath_(std::move(imagePath)), shadow_(shadow) {}

    // Runs on the splash thread: the window at the centre of the primary screen, not
    // shown yet; null when the class cannot be registered or the window not created.
    HWND create() {
        const HINSTANCE instance = GetModuleHandleW(nullptr);
        if (!registerSplashClass(instance, shadow_, windowProc)) return nullptr;
        SplashPlacement placement;
        {
            const gdiplus::Session session;
            const SplashImage image(session.api(), imagePath_);
            bitmap_ = image.render();
            placement = splashPlacement(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), image.width(),
                                        image.height());
        }
        CreateWindowExW(WS_EX_TOOLWINDOW, kSplashWindowClass, L"", WS_POPUP, placement.left, placement.top,
                        placement.right - placement.left, placement.bottom - placement.top, nullptr, nullptr, instance,
                        this);
        return window();
    }

    void runMessageLoop() {
        MSG message;
        // -1 (an error) ends the loop too, rather than spinning on it.
        while (GetMessageW(&message, nullptr, 0, 0) > 0) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }

    void destroy() { destroyWindow(); }

private:
    friend class WindowBase<SplashWindow>;

    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) noexcept {
        switch (message) {
        case WM_PAINT:
            paint();
            return 0;
        case WM_ERASEBKGND:
            // Everything is painted from the bitmap; erasing first would only flicker.
            return 1;
        default:
            return DefWindowProcW(window(), message, wParam, lParam);
        }
    }

    void paint() {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window(), &paint);
        if (dc && bitmap_) {
            UniqueMemoryDc memory(CreateCompatibleDC(dc));
            if (memory) {
                SelectedObject selected(memory.get(), bitmap_.get());
                BITMAP size{};
                GetObjectW(bitmap_.get(), sizeof size, &size);
                BitBlt(dc, 0, 0, size.bmWidth, size.bmHeight, memory.get(), 0, 0, SRCCOPY);
            }
        }
        EndPaint(window(), &paint);
    }

    // A window destroyed by anyone (WM_CLOSE sent from outside destroys it while the
    // thread keeps running) must not stay the error owner: a message box with a dead
    // owner is never shown.
    void onDestroyed(HWND window) {
        if (errorOwnerWindow() == window) setErrorOwnerWindow(nullptr);
    }

    std::wstring imagePath_;
    bool shadow_;
    os::UniqueGdiObject bitmap_;
};

struct SplashWindowRun {
    SplashWindowRun(const std::wstring& imagePath, bool shadow) : window(imagePath, shadow) {}
    SplashWindow window;
    os::UniqueKernelHandle thread;
    DWORD threadId = 0;
    // Set by the splash thread once its window is up (and owns error boxes) or could
    // not be made.
    os::UniqueKernelHandle windowReady{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
};

namespace {

DWORD WINAPI splashThread(void* parameter) {
    SplashWindowRun& run = *static_cast<SplashWindowRun*>(parameter);
    SplashWindow& splash = run.window;
    HWND window = splash.create();
    if (window) {
        setErrorOwnerWindow(window);
        ShowWindow(window, SW_SHOWNORMAL);
        // Painted before the first message is read.
        UpdateWindow(window);
    }
    if (run.windowReady) SetEvent(run.windowReady.get());
    splash.runMessageLoop();
    splash.destroy();
    return 0;
}

}  // namespace

void SplashWindowThread::start(const std::wstring& imagePath, bool shadow) {
    close();
    run_ = new SplashWindowRun(imagePath, shadow);
    // A thread that cannot be started is not reported: there is simply no splash.
    run_->thread.reset(CreateThread(nullptr, 0, splashThread, run_, 0, &run_->threadId));
    // An error reported right after this (a JVM library that fails to load at once) must
    // be owned by the window: a box without owner could end up behind the splash that
    // appears a moment later, and the user would see a splash that never goes away.
    if (run_->thread && run_->windowReady) {
        WaitForSingleObject(run_->windowReady.get(), kWindowReadyMilliseconds);
    }
}

void SplashWindowThread::close() {
    if (!run_) return;
    if (run_->thread) {
        do {
            PostThreadMessageW(run_->threadId, WM_QUIT, 0, 0);
        } while (WaitForSingleObject(run_->thread.get(), kQuitRetryMilliseconds) == WAIT_TIMEOUT);
    }
    delete run_;
    run_ = nullptr;
    setErrorOwnerWindow(nullptr);
}

}  // namespace jl
