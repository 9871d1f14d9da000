// The launcher's own splash window under Wine: where it appears and what it shows (images
// with transparent pixels, JPEG, GIF, BMP, one larger than the screen, none at all), that
// it owns error boxes while it is up, and that closing ends its thread at any moment.
#include "splash/splash_window.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <cstdio>
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

// The committed test images, by their Windows path (Wine's Z: drive is the Unix root).
std::wstring testImage(const char* name) {
    std::wstring path = os::fromUtf8(std::string(JL_SOURCE_DIR) + "/tests/data/splash/" + name);
    for (wchar_t& c : path) c = c == L'/' ? L'\\' : c;
    return path[0] == L'\\' ? L"Z:" + path : path;
}

// A 24-bit BMP of one colour, bottom-up, whose first row is white.
std::string bmpFile(int width, int height, uint32_t rgb) {
    const int row = (width * 3 + 3) & ~3;
    const BITMAPFILEHEADER file{0x4D42, static_cast<DWORD>(54 + row * height), 0, 0, 54};
    const BITMAPINFOHEADER info{sizeof info, width, height, 1, 24};
    std::string bytes = std::string(reinterpret_cast<const char*>(&file), 14) + std::string(reinterpret_cast<const char*>(&info), 40);
    bytes.resize(file.bfSize);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) std::memcpy(&bytes[54 + y * row + x * 3], y == height - 1 ? "\xFF\xFF\xFF" : reinterpret_cast<const char*>(&rgb), 3);
    }
    return bytes;
}

std::string rectText(const RECT& r) { return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," + std::to_string(r.bottom); }

// The splash window once its thread has shown it: it is then the error owner.
HWND waitForSplash() {
    for (int i = 0; i < 1000; ++i) {
        HWND window = static_cast<HWND>(errorOwnerWindow());
        if (window && IsWindowVisible(window)) return Sleep(100), window;  // the X server shows what was painted
        Sleep(10);
    }
    return nullptr;
}

// An error reported on a thread of its own, as the Java thread does: the box's owner and
// text as the user sees them.
std::pair<HWND, std::wstring> reportAndRead(const std::wstring& message, const wchar_t* screenshot) {
    std::pair<HWND, std::wstring> shown{HWND(-1), L""};
    std::atomic<DWORD> reporterId{0};
    std::thread reporter([&] { reporterId = GetCurrentThreadId(), reportError(message); });
    while (reporterId == 0) Sleep(1);
    if (HWND box = testing::waitForDialog(reporterId)) {
        shown = {GetWindow(box, GW_OWNER), testing::textOf(GetDlgItem(box, 0xFFFF))};
        if (screenshot) Sleep(100), testing::screenshot(screenshot, testing::screenRect());
        PostMessageW(box, WM_COMMAND, IDOK, 0);
    }
    reporter.join();
    return shown;
}

class SplashWindowTest : public ::testing::Test {
protected:
    testing::TempFolder folder_;
};

// Each image centred at its own size and shown as decoded; then closed, its thread gone.
// The first registration of the window class in the process stays, with a drop shadow
// only where the splash that registered it asked for one. While it is up the splash owns
// error boxes; once closed, by the launcher or by anyone else, it owns nothing (a box with
// a destroyed owner would never show).
TEST_F(SplashWindowTest, EachImageIsCentredAtItsOwnSizeAndShownAsDecoded) {
    struct Probe { int x, y; uint32_t rgb; int tolerance; };
    const int screenWidth = GetSystemMetrics(SM_CXSCREEN), screenHeight = GetSystemMetrics(SM_CYSCREEN);
    const struct {
        std::wstring image;
        int width, height;
        std::vector<Probe> probes;
        const wchar_t* screenshot;
        bool registerAnew, shadow;
        ULONG_PTR classStyle;
    } rows[] = {
        // Bands: transparent (black), opaque red, blue at alpha 127, transparent.
        {testImage("alpha.png"), 200, 120, {{10, 60, 0, 0}, {60, 60, 0xC82828, 2}, {140, 60, 0x141464, 3}, {190, 60, 0, 0}},
         L"splash_png_alpha.png", true, true, 0x20808},
        {testImage("photo.jpg"), 160, 100, {{40, 50, 0x1EA03C, 8}, {120, 50, 0xE68C14, 8}}, L"splash_jpeg.png", false, false,
         0x20808},
        {testImage("small.gif"), 64, 48, {{32, 24, 0x0000FF, 0}}, nullptr, true, false, 0x808},
        {testImage("small.bmp"), 48, 32, {{24, 16, 0xFFFF00, 0}}, nullptr, false, true, 0x808},
        // Larger than the screen: it hangs off the edges (-3 / 2 truncates toward zero), the
        // image's white first row on the top edge (probed on the screen).
        {folder_.write(L"large.bmp", bmpFile(screenWidth + 3, screenHeight + 1, 0x0A78C8)), screenWidth + 3,
         screenHeight + 1, {{screenWidth / 2, screenHeight / 2, 0x0A78C8, 0}, {screenWidth / 2, 0, 0xFFFFFF, 0}}, nullptr,
         false, false, 0x808},
        // A missing image shows nothing and says nothing.
        {folder_.path(L"missing.png"), 0, 0, {}, nullptr, false, false, 0x808},
    };
    static std::vector<std::wstring> shownBoxes;
    for (const auto& row : rows) {
        setErrorBoxSink(row.width ? nullptr : +[](void*, const std::wstring& text) { return shownBoxes.push_back(text), IDOK; });
        if (row.registerAnew) UnregisterClassW(kSplashWindowClass, GetModuleHandleW(nullptr));
        SplashWindowThread splash;
        splash.start(row.image, row.shadow);
        HWND window = waitForSplash();
        ASSERT_NE(window, nullptr) << row.width;
        wchar_t name[64] = L"";
        EXPECT_TRUE(GetClassNameW(window, name, 64) && lstrcmpW(name, L"SplashScreenWindow") == 0);
        EXPECT_EQ(GetClassLongPtrW(window, GCL_STYLE), row.classStyle) << row.width;
        const LONG style = GetWindowLongW(window, GWL_STYLE), exStyle = GetWindowLongW(window, GWL_EXSTYLE);
        EXPECT_TRUE((style & WS_POPUP) && !(style & WS_CAPTION));
        EXPECT_TRUE((exStyle & WS_EX_TOOLWINDOW) && !(exStyle & WS_EX_TOPMOST));
        EXPECT_EQ(GetWindowTextLengthW(window), 0);
        const SplashPlacement p = splashPlacement(screenWidth, screenHeight, row.width, row.height);
        EXPECT_EQ(rectText(testing::windowRect(window)), rectText(RECT{p.left, p.top, p.right, p.bottom})) << row.width;
        const RECT area = row.width > screenWidth ? testing::screenRect() : testing::windowRect(window);
        const testing::Pixels shot = row.screenshot ? testing::screenshot(row.screenshot, area) : testing::captureScreen(area);
        if (row.width == 0) EXPECT_EQ(shot.width, 0);
        for (const Probe& probe : row.probes) {
            const uint32_t pixel = shot.rgb[static_cast<size_t>(probe.y) * shot.width + probe.x];
            for (int shift : {16, 8, 0}) {
                EXPECT_NEAR((pixel >> shift) & 0xFF, (probe.rgb >> shift) & 0xFF, probe.tolerance)
                    << "pixel " << probe.x << "," << probe.y << " of " << row.width << " wide";
            }
        }
        if (&row == rows) {
            EXPECT_EQ(reportAndRead(L"while the splash is up", L"splash_with_error_box.png"),
                      std::make_pair(window, std::wstring(L"while the splash is up")));
        } else if (&row == rows + 2) {
            SendMessageW(window, WM_CLOSE, 0, 0);
            EXPECT_TRUE(!IsWindow(window) && !errorOwnerWindow() && splash.started()) << "the thread runs on until closed";
        }
        splash.close();
        EXPECT_TRUE(!splash.started() && !IsWindow(window) && !errorOwnerWindow());
    }
    EXPECT_TRUE(shownBoxes.empty());
    setErrorBoxSink(nullptr);
    EXPECT_EQ(reportAndRead(L"after the splash", nullptr).first, nullptr);
}

// Closed right after its start, at any moment of its thread, the thread ends; closing
// again, or without a start, does nothing.
TEST_F(SplashWindowTest, CloseRightAfterStartEndsTheThread) {
    for (int i = 0; i < 10; ++i) {
        SplashWindowThread splash;
        splash.start(testImage("alpha.png"), i % 2 == 0);
        splash.close();
        EXPECT_FALSE(splash.started());
        EXPECT_TRUE(!FindWindowW(kSplashWindowClass, nullptr) && !errorOwnerWindow()) << "round " << i;
        splash.close();
    }
    SplashWindowThread never;
    EXPECT_FALSE((never.close(), never.started()));
}

}  // namespace
}  // namespace jl
