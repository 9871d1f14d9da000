// The launcher's own splash window under Wine: where it appears, what it shows (images
// with transparent pixels, JPEG, GIF, BMP, one larger than the screen, none at all),
// that it owns error boxes while it is up, and that closing ends its thread at any
// moment. Screenshots of the PNG and JPEG splashes go to the build folder.
#include "splash/splash_window.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "../unit/temp_folder.h"
#include "os/os.h"
#include "splash/splash_layout.h"
#include "support/messages.h"
#include "window_testing.h"

namespace jl {
namespace {

using testing::Pixels;
using testing::TempFolder;

// The committed test images, by their Windows path (Wine's Z: drive is the Unix root).
std::wstring testImage(const char* name) {
    std::wstring path = os::fromUtf8(std::string(JL_SOURCE_DIR) + "/tests/data/splash/" + name);
    for (wchar_t& c : path) {
        if (c == L'/') c = L'\\';
    }
    return path.size() > 1 && path[0] == L'\\' ? L"Z:" + path : path;
}

// A 24-bit BMP of one colour with a white first row.
std::string bmpFile(int width, int height, COLORREF colour) {
    const uint32_t rowBytes = (static_cast<uint32_t>(width) * 3 + 3) & ~3u;
    const uint32_t pixelBytes = rowBytes * static_cast<uint32_t>(height);
    std::string bytes(54 + pixelBytes, '\0');
    auto put = [&bytes](size_t at, uint32_t value, int size) {
        for (int i = 0; i < size; ++i) bytes[at + i] = static_cast<char>(value >> (8 * i));
    };
    bytes[0] = 'B';
    bytes[1] = 'M';
    put(2, 54 + pixelBytes, 4);
    put(10, 54, 4);
    put(14, 40, 4);
    put(18, static_cast<uint32_t>(width), 4);
    put(22, static_cast<uint32_t>(height), 4);  // bottom-up
    put(26, 1, 2);
    put(28, 24, 2);
    for (int y = 0; y < height; ++y) {
        const COLORREF c = y == height - 1 ? RGB(255, 255, 255) : colour;
        for (int x = 0; x < width; ++x) {
            put(54 + static_cast<size_t>(y) * rowBytes + static_cast<size_t>(x) * 3,
                (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c), 3);
        }
    }
    return bytes;
}

struct Rgb {
    int r, g, b;
};
::testing::AssertionResult pixelNear(const Pixels& pixels, int x, int y, Rgb expected, int tolerance) {
    const uint32_t p = pixels.bgrx[static_cast<size_t>(y) * pixels.width + x];
    const Rgb got{static_cast<int>((p >> 16) & 0xFF), static_cast<int>((p >> 8) & 0xFF), static_cast<int>(p & 0xFF)};
    if (std::abs(got.r - expected.r) <= tolerance && std::abs(got.g - expected.g) <= tolerance &&
        std::abs(got.b - expected.b) <= tolerance) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << "pixel (" << x << "," << y << ") is (" << got.r << "," << got.g << ","
                                         << got.b << "), expected (" << expected.r << "," << expected.g << ","
                                         << expected.b << ") +-" << tolerance;
}

::testing::AssertionResult placedAt(HWND window, const SplashPlacement& expected) {
    const RECT box = testing::windowRect(window);
    if (box.left == expected.left && box.top == expected.top && box.right == expected.right &&
        box.bottom == expected.bottom) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << "window at " << box.left << "," << box.top << "," << box.right << ","
                                         << box.bottom << ", expected " << expected.left << "," << expected.top
                                         << "," << expected.right << "," << expected.bottom;
}

SplashPlacement centred(long long width, long long height) {
    return splashPlacement(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), width, height);
}

class SplashWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        // Each test registers the class anew with its own shadow setting.
        UnregisterClassW(kSplashWindowClass, GetModuleHandleW(nullptr));
        setErrorBoxSink(nullptr);
    }
    void TearDown() override { setErrorBoxSink(nullptr); }

    // The splash window once its thread has shown it: it is then the error owner.
    static HWND waitForSplash() {
        for (int i = 0; i < 1000; ++i) {
            HWND window = static_cast<HWND>(errorOwnerWindow());
            if (window && IsWindowVisible(window)) {
                Sleep(100);  // let the X server show what was painted
                return window;
            }
            Sleep(10);
        }
        return nullptr;
    }

    TempFolder folder_;
};

TEST_F(SplashWindowTest, EachImageIsCentredAtItsOwnSizeAndShownAsDecoded) {
    struct Probe {
        int x, y;
        Rgb colour;
        int tolerance;
    };
    struct Case {
        const char* file;
        int width, height;
        std::vector<Probe> probes;
        const wchar_t* screenshot;
    };
    const Case cases[] = {
        // Bands: transparent (black), opaque red, blue at alpha 127, transparent.
        {"alpha.png", 200, 120,
         {{10, 60, {0, 0, 0}, 0}, {60, 60, {200, 40, 40}, 2}, {140, 60, {20, 20, 100}, 3}, {190, 60, {0, 0, 0}, 0}},
         L"splash_png_alpha.png"},
        {"photo.jpg", 160, 100, {{40, 50, {30, 160, 60}, 8}, {120, 50, {230, 140, 20}, 8}}, L"splash_jpeg.png"},
        {"small.gif", 64, 48, {{32, 24, {0, 0, 255}, 0}}, nullptr},
        {"small.bmp", 48, 32, {{24, 16, {255, 255, 0}, 0}}, nullptr},
    };
    for (const Case& c : cases) {
        SplashWindowThread splash;
        splash.start(testImage(c.file), false);
        HWND window = waitForSplash();
        ASSERT_NE(window, nullptr) << c.file;
        wchar_t name[64] = L"";
        GetClassNameW(window, name, 64);
        EXPECT_STREQ(name, L"SplashScreenWindow");
        const LONG style = GetWindowLongW(window, GWL_STYLE), exStyle = GetWindowLongW(window, GWL_EXSTYLE);
        EXPECT_TRUE((style & WS_POPUP) && !(style & WS_CAPTION)) << c.file;
        EXPECT_TRUE((exStyle & WS_EX_TOOLWINDOW) && !(exStyle & WS_EX_TOPMOST)) << c.file;
        EXPECT_EQ(GetWindowTextLengthW(window), 0) << c.file;
        EXPECT_TRUE(placedAt(window, centred(c.width, c.height))) << c.file;
        const Pixels shot = testing::captureScreen(testing::windowRect(window));
        ASSERT_EQ(shot.width, c.width) << c.file;
        for (const Probe& p : c.probes) EXPECT_TRUE(pixelNear(shot, p.x, p.y, p.colour, p.tolerance)) << c.file;
        if (c.screenshot) EXPECT_TRUE(testing::saveScreenshot(c.screenshot, testing::screenRect()));
        splash.close();
        EXPECT_FALSE(splash.started());
        EXPECT_FALSE(IsWindow(window));
        EXPECT_EQ(errorOwnerWindow(), nullptr);
    }
}

TEST_F(SplashWindowTest, ImageLargerThanTheScreenHangsOffItsEdges) {
    const int screenWidth = GetSystemMetrics(SM_CXSCREEN), screenHeight = GetSystemMetrics(SM_CYSCREEN);
    const int width = screenWidth + 3, height = screenHeight + 1;
    SplashWindowThread splash;
    splash.start(folder_.write(L"large.bmp", bmpFile(width, height, RGB(10, 120, 200))), false);
    HWND window = waitForSplash();
    ASSERT_NE(window, nullptr);
    // -3 / 2 and -1 / 2 truncate toward zero.
    EXPECT_TRUE(placedAt(window, {-1, 0, width - 1, height}));
    const Pixels shot = testing::captureScreen(testing::screenRect());
    EXPECT_TRUE(pixelNear(shot, screenWidth / 2, screenHeight / 2, {10, 120, 200}, 0));
    // The first row of the image is white and lies on the top edge of the screen.
    EXPECT_TRUE(pixelNear(shot, screenWidth / 2, 0, {255, 255, 255}, 0));
}

std::vector<std::wstring> shownBoxes;
int recordBox(void*, const std::wstring& text) {
    shownBoxes.push_back(text);
    return IDOK;
}

TEST_F(SplashWindowTest, MissingImageShowsNothingAndSaysNothing) {
    shownBoxes.clear();
    setErrorBoxSink(recordBox);
    SplashWindowThread splash;
    splash.start(folder_.path(L"missing.png"), true);
    HWND window = waitForSplash();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(placedAt(window, centred(0, 0)));
    splash.close();
    EXPECT_FALSE(IsWindow(window));
    EXPECT_TRUE(shownBoxes.empty());
}

TEST_F(SplashWindowTest, DropShadowOnlyWhenAskedAndTheFirstRegistrationStays) {
    // With a shadow, then without: a later window reuses the process's registration;
    // registered anew, the class has none.
    const bool shadows[] = {true, false, false};
    const ULONG_PTR classStyles[] = {0x20808, 0x20808, 0x808};
    for (int i = 0; i < 3; ++i) {
        if (i == 2) ASSERT_TRUE(UnregisterClassW(kSplashWindowClass, GetModuleHandleW(nullptr)));
        SplashWindowThread splash;
        splash.start(testImage("small.bmp"), shadows[i]);
        HWND window = waitForSplash();
        ASSERT_NE(window, nullptr);
        EXPECT_EQ(GetClassLongPtrW(window, GCL_STYLE), classStyles[i]) << "window " << i;
    }
}

// Reports an error on a thread of its own, as the Java thread does, and gives the box's
// owner and text as the user sees them.
struct ShownBox {
    bool found = false;
    HWND owner = nullptr;
    std::wstring text;
};
ShownBox reportAndRead(const std::wstring& message, const wchar_t* screenshot) {
    ShownBox shown;
    std::atomic<DWORD> reporterId{0};
    std::thread reporter([&] {
        reporterId = GetCurrentThreadId();
        reportError(message);
    });
    while (reporterId == 0) Sleep(1);
    if (HWND box = testing::waitForDialog(reporterId)) {
        shown = {true, GetWindow(box, GW_OWNER), testing::textOf(GetDlgItem(box, 0xFFFF))};
        if (screenshot) {
            Sleep(100);
            testing::saveScreenshot(screenshot, testing::screenRect());
        }
        PostMessageW(box, WM_COMMAND, IDOK, 0);
    }
    reporter.join();
    return shown;
}

TEST_F(SplashWindowTest, ErrorBoxesAreOwnedBySplashWhileItIsUp) {
    SplashWindowThread splash;
    splash.start(testImage("alpha.png"), false);
    HWND window = waitForSplash();
    ASSERT_NE(window, nullptr);
    ShownBox shown = reportAndRead(L"reported while the splash is up", L"splash_with_error_box.png");
    ASSERT_TRUE(shown.found);
    EXPECT_EQ(shown.owner, window);
    EXPECT_EQ(shown.text, L"reported while the splash is up");

    splash.close();
    shown = reportAndRead(L"reported after the splash", nullptr);
    ASSERT_TRUE(shown.found);
    EXPECT_EQ(shown.owner, nullptr);
}

TEST_F(SplashWindowTest, WindowClosedByOthersIsNoLongerTheOwner) {
    SplashWindowThread splash;
    splash.start(testImage("small.gif"), false);
    HWND window = waitForSplash();
    ASSERT_NE(window, nullptr);
    SendMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(errorOwnerWindow(), nullptr) << "a box with a destroyed owner would never show";
    // The thread runs on until it is closed.
    EXPECT_TRUE(splash.started());
    splash.close();
    EXPECT_FALSE(splash.started());
}

TEST_F(SplashWindowTest, CloseRightAfterStartEndsTheThread) {
    for (int i = 0; i < 10; ++i) {
        SplashWindowThread splash;
        splash.start(testImage("alpha.png"), i % 2 == 0);
        splash.close();
        EXPECT_FALSE(splash.started());
        EXPECT_EQ(FindWindowW(kSplashWindowClass, nullptr), nullptr) << "round " << i;
        EXPECT_EQ(errorOwnerWindow(), nullptr) << "round " << i;
    }
    // Closing again, or without a start, does nothing.
    SplashWindowThread splash;
    splash.close();
    splash.close();
    EXPECT_FALSE(splash.started());
}

// The quit requests the splash code posts, counted: this program's import of
// PostThreadMessageW is pointed at a counter for as long as the object lives.
class CountedQuitRequests {
public:
    CountedQuitRequests() {
        count_ = 0;
        slot_ = importSlot("user32.dll", "PostThreadMessageW");
        if (slot_) exchange(reinterpret_cast<void*>(&counting), &original_);
    }
    ~CountedQuitRequests() {
        void* ignored = nullptr;
        if (slot_) exchange(original_, &ignored);
    }
    bool active() const { return slot_ != nullptr; }
    int count() const { return count_; }

private:
    using PostEntry = BOOL(WINAPI*)(DWORD, UINT, WPARAM, LPARAM);

    static BOOL WINAPI counting(DWORD thread, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_QUIT) ++count_;
        return reinterpret_cast<PostEntry>(original_)(thread, message, wParam, lParam);
    }

    static void** importSlot(const char* library, const char* function) {
        auto* base = reinterpret_cast<BYTE*>(GetModuleHandleW(nullptr));
        const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(
            base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew);
        const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
        for (auto* entry = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress); entry->Name;
             ++entry) {
            if (_stricmp(reinterpret_cast<const char*>(base + entry->Name), library) != 0) continue;
            auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + entry->OriginalFirstThunk);
            auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + entry->FirstThunk);
            for (; names->u1.AddressOfData; ++names, ++slots) {
                if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
                const auto* byName = reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
                if (std::strcmp(reinterpret_cast<const char*>(byName->Name), function) == 0) {
                    return reinterpret_cast<void**>(&slots->u1.Function);
                }
            }
        }
        return nullptr;
    }

    void exchange(void* replacement, void** previous) {
        DWORD protection = 0;
        VirtualProtect(slot_, sizeof *slot_, PAGE_READWRITE, &protection);
        *previous = *slot_;
        *slot_ = replacement;
        VirtualProtect(slot_, sizeof *slot_, protection, &protection);
    }

    static inline std::atomic<int> count_{0};
    static inline void* original_ = nullptr;
    void** slot_ = nullptr;
};

TEST_F(SplashWindowTest, ClosingWaitsBetweenQuitRequests) {
    // A large image keeps the splash thread busy before it reads its first message.
    const std::wstring image = folder_.write(L"busy.bmp", bmpFile(2400, 1800, RGB(90, 90, 90)));
    CountedQuitRequests requests;
    ASSERT_TRUE(requests.active());
    SplashWindowThread splash;
    splash.start(image, false);
    const auto before = std::chrono::steady_clock::now();
    splash.close();
    const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - before);
    EXPECT_FALSE(splash.started());
    EXPECT_EQ(FindWindowW(kSplashWindowClass, nullptr), nullptr);
    // The request is repeated, but with a pause: no more than one per 10 ms.
    EXPECT_GE(requests.count(), 1);
    EXPECT_LE(requests.count(), 2 + took.count() / 10) << "closing took " << took.count() << " ms";
}

}  // namespace
}  // namespace jl
