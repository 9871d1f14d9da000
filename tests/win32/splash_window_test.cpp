// The launcher's own splash window under Wine: where it appears and what it shows (images
// with transparent pixels, JPEG, GIF, BMP, one larger than the screen, none at all), that
// it owns error boxes while it is up, and that closing ends its thread at any moment.
// Screenshots of the PNG and JPEG splashes go to the build folder.
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

// The committed test images, by their Windows path (Wine's Z: drive is the Unix root).
std::wstring testImage(const char* name) {
    std::wstring path = os::fromUtf8(std::string(JL_SOURCE_DIR) + "/tests/data/splash/" + name);
    for (wchar_t& c : path) c = c == L'/' ? L'\\' : c;
    return path[0] == L'\\' ? L"Z:" + path : path;
}

// A 24-bit BMP of one colour, bottom-up, whose first row is white.
std::string bmpFile(int width, int height, uint32_t rgb) {
    const uint32_t row = (static_cast<uint32_t>(width) * 3 + 3) & ~3u, size = 54 + row * static_cast<uint32_t>(height);
    std::string bytes(size, '\0');
    auto put = [&bytes](size_t at, uint32_t value, int count) {
        for (int i = 0; i < count; ++i) bytes[at + i] = static_cast<char>(value >> (8 * i));
    };
    bytes[0] = 'B', bytes[1] = 'M';
    put(2, size, 4), put(10, 54, 4), put(14, 40, 4), put(18, static_cast<uint32_t>(width), 4);
    put(22, static_cast<uint32_t>(height), 4), put(26, 1, 2), put(28, 24, 2);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) put(54 + y * row + x * 3u, y == height - 1 ? 0xFFFFFF : rgb, 3);
    }
    return bytes;
}

::testing::AssertionResult pixelNear(const Pixels& pixels, int x, int y, uint32_t rgb, int tolerance) {
    const uint32_t p = pixels.bgrx[static_cast<size_t>(y) * pixels.width + x];
    for (int shift : {16, 8, 0}) {
        if (std::abs(static_cast<int>((p >> shift) & 0xFF) - static_cast<int>((rgb >> shift) & 0xFF)) > tolerance) {
            return ::testing::AssertionFailure() << "pixel (" << x << "," << y << ") is " << std::hex << (p & 0xFFFFFF)
                                                 << ", expected " << rgb;
        }
    }
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult placedAt(HWND window, const SplashPlacement& p) {
    const RECT box = testing::windowRect(window);
    if (box.left == p.left && box.top == p.top && box.right == p.right && box.bottom == p.bottom) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << "window at " << box.left << "," << box.top << "," << box.right << ","
                                         << box.bottom << ", expected " << p.left << "," << p.top << "," << p.right
                                         << "," << p.bottom;
}

SplashPlacement centred(long long width, long long height) {
    return splashPlacement(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), width, height);
}

std::vector<std::wstring> shownBoxes;
int recordBox(void*, const std::wstring& text) {
    shownBoxes.push_back(text);
    return IDOK;
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

    testing::TempFolder folder_;
};

// Each image centred at its own size and shown as decoded; then closed, its thread gone.
TEST_F(SplashWindowTest, EachImageIsCentredAtItsOwnSizeAndShownAsDecoded) {
    struct Probe {
        int x, y;
        uint32_t rgb;
        int tolerance;
    };
    struct Row {
        std::wstring image;
        int width, height;
        std::vector<Probe> probes;
        const wchar_t* screenshot;
    };
    const int screenWidth = GetSystemMetrics(SM_CXSCREEN), screenHeight = GetSystemMetrics(SM_CYSCREEN);
    const Row rows[] = {
        // Bands: transparent (black), opaque red, blue at alpha 127, transparent.
        {testImage("alpha.png"), 200, 120, {{10, 60, 0, 0}, {60, 60, 0xC82828, 2}, {140, 60, 0x141464, 3}, {190, 60, 0, 0}},
         L"splash_png_alpha.png"},
        {testImage("photo.jpg"), 160, 100, {{40, 50, 0x1EA03C, 8}, {120, 50, 0xE68C14, 8}}, L"splash_jpeg.png"},
        {testImage("small.gif"), 64, 48, {{32, 24, 0x0000FF, 0}}, nullptr},
        {testImage("small.bmp"), 48, 32, {{24, 16, 0xFFFF00, 0}}, nullptr},
        // Larger than the screen: it hangs off the edges (-3 / 2 truncates toward zero), the
        // image's white first row on the top edge (probed on the screen).
        {folder_.write(L"large.bmp", bmpFile(screenWidth + 3, screenHeight + 1, 0x0A78C8)), screenWidth + 3,
         screenHeight + 1, {{screenWidth / 2, screenHeight / 2, 0x0A78C8, 0}, {screenWidth / 2, 0, 0xFFFFFF, 0}}, nullptr},
        // A missing image shows nothing and says nothing.
        {folder_.path(L"missing.png"), 0, 0, {}, nullptr},
    };
    setErrorBoxSink(recordBox);
    for (const Row& row : rows) {
        SplashWindowThread splash;
        splash.start(row.image, false);
        HWND window = waitForSplash();
        ASSERT_NE(window, nullptr) << row.width;
        wchar_t name[64] = L"";
        GetClassNameW(window, name, 64);
        EXPECT_STREQ(name, L"SplashScreenWindow");
        const LONG style = GetWindowLongW(window, GWL_STYLE), exStyle = GetWindowLongW(window, GWL_EXSTYLE);
        EXPECT_TRUE((style & WS_POPUP) && !(style & WS_CAPTION));
        EXPECT_TRUE((exStyle & WS_EX_TOOLWINDOW) && !(exStyle & WS_EX_TOPMOST));
        EXPECT_EQ(GetWindowTextLengthW(window), 0);
        EXPECT_TRUE(placedAt(window, centred(row.width, row.height))) << row.width;
        const Pixels shot =
            testing::captureScreen(row.width > screenWidth ? testing::screenRect() : testing::windowRect(window));
        if (row.width == 0) EXPECT_EQ(shot.width, 0);
        for (const Probe& p : row.probes) EXPECT_TRUE(pixelNear(shot, p.x, p.y, p.rgb, p.tolerance)) << row.width;
        if (row.screenshot) EXPECT_TRUE(testing::saveScreenshot(row.screenshot, testing::screenRect()));
        splash.close();
        EXPECT_FALSE(splash.started());
        EXPECT_FALSE(IsWindow(window));
        EXPECT_EQ(errorOwnerWindow(), nullptr);
    }
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

// An error reported on a thread of its own, as the Java thread does: the box's owner and
// text as the user sees them.
std::pair<HWND, std::wstring> reportAndRead(const std::wstring& message, const wchar_t* screenshot) {
    std::pair<HWND, std::wstring> shown{HWND(-1), L""};
    std::atomic<DWORD> reporterId{0};
    std::thread reporter([&] {
        reporterId = GetCurrentThreadId();
        reportError(message);
    });
    while (reporterId == 0) Sleep(1);
    if (HWND box = testing::waitForDialog(reporterId)) {
        shown = {GetWindow(box, GW_OWNER), testing::textOf(GetDlgItem(box, 0xFFFF))};
        if (screenshot) Sleep(100), testing::saveScreenshot(screenshot, testing::screenRect());
        PostMessageW(box, WM_COMMAND, IDOK, 0);
    }
    reporter.join();
    return shown;
}

// While it is up the splash owns error boxes; once closed, by the launcher or by anyone
// else, it owns nothing (a box with a destroyed owner would never show).
TEST_F(SplashWindowTest, ErrorBoxesAreOwnedBySplashWhileItIsUp) {
    for (bool closedByOthers : {false, true}) {
        SplashWindowThread splash;
        splash.start(testImage("alpha.png"), false);
        HWND window = waitForSplash();
        ASSERT_NE(window, nullptr);
        EXPECT_EQ(reportAndRead(L"while the splash is up", closedByOthers ? nullptr : L"splash_with_error_box.png"),
                  std::make_pair(window, std::wstring(L"while the splash is up")));
        if (closedByOthers) {
            SendMessageW(window, WM_CLOSE, 0, 0);
            EXPECT_FALSE(IsWindow(window));
            EXPECT_TRUE(splash.started()) << "the thread runs on until it is closed";
        } else {
            splash.close();
        }
        EXPECT_EQ(errorOwnerWindow(), nullptr);
        EXPECT_EQ(reportAndRead(L"after the splash", nullptr).first, nullptr);
    }
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
    SplashWindowThread splash;  // closing again, or without a start, does nothing
    splash.close();
    splash.close();
    EXPECT_FALSE(splash.started());
}

// The quit requests closing posts, counted through this program's import of
// PostThreadMessageW, pointed at a counter while the object lives.
class CountedQuitRequests {
public:
    CountedQuitRequests() {
        auto* base = reinterpret_cast<BYTE*>(GetModuleHandleW(nullptr));
        const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(
            base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew);
        const DWORD imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress;
        for (auto* entry = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports); entry->Name && !slot_; ++entry) {
            if (_stricmp(reinterpret_cast<const char*>(base + entry->Name), "user32.dll") != 0) continue;
            auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + entry->OriginalFirstThunk);
            auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + entry->FirstThunk);
            for (; names->u1.AddressOfData && !slot_; ++names, ++slots) {
                const auto* byName = reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
                if (!IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal) &&
                    std::strcmp(reinterpret_cast<const char*>(byName->Name), "PostThreadMessageW") == 0) {
                    slot_ = reinterpret_cast<void**>(&slots->u1.Function);
                }
            }
        }
        count_ = 0;
        if (slot_) original_ = exchange(reinterpret_cast<void*>(&counting));
    }
    ~CountedQuitRequests() {
        if (slot_) exchange(original_);
    }
    bool active() const { return slot_ != nullptr; }
    int count() const { return count_; }

private:
    static BOOL WINAPI counting(DWORD thread, UINT message, WPARAM wParam, LPARAM lParam) {
        count_ += message == WM_QUIT;
        return reinterpret_cast<decltype(&PostThreadMessageW)>(original_)(thread, message, wParam, lParam);
    }
    void* exchange(void* replacement) {
        DWORD protection = 0;
        VirtualProtect(slot_, sizeof *slot_, PAGE_READWRITE, &protection);
        void* previous = *slot_;
        *slot_ = replacement;
        VirtualProtect(slot_, sizeof *slot_, protection, &protection);
        return previous;
    }
    static inline std::atomic<int> count_{0};
    static inline void* original_ = nullptr;
    void** slot_ = nullptr;
};

TEST_F(SplashWindowTest, ClosingWaitsBetweenQuitRequests) {
    // A large image keeps the splash thread busy before it reads its first message.
    const std::wstring image = folder_.write(L"busy.bmp", bmpFile(2400, 1800, 0x5A5A5A));
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
