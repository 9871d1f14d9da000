// Which splash a launch shows, where the splash window and the missing-runtime dialog go,
// and the native splash library driven through fake entries (the real one: end to end).
#include "splash/native_splash.h"
#include "splash/splash_layout.h"
#include "splash/splash_selection.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "os/os.h"
#include "runtime/missing_runtime_layout.h"

namespace jl {
namespace {

TEST(SplashSelection, PlanFromImagePreferenceLibraryAndPlatform) {
    // image, prefer native, library found, own window (Windows) -> try native, own window
    const std::tuple<const wchar_t*, bool, bool, bool, bool, bool> cases[] = {
        {L"", true, true, true, false, false}, {L"", true, true, false, false, false},  // no image: nothing
        // Windows: native only when preferred and present; the own window otherwise and
        // as the fallback when the native one does not start.
        {L"s.png", true, true, true, true, true}, {L"s.png", false, true, true, false, true},
        {L"s.png", true, false, true, false, true},
        // Linux: the native splash is the only one, preferred or not.
        {L"s.png", false, true, false, true, false}, {L"s.png", true, false, false, false, false},
    };
    for (const auto& [image, prefer, found, own, tryNative, ownWindow] : cases) {
        const SplashPlan plan = planSplash(image, prefer, found, own);
        EXPECT_TRUE(plan.tryNative == tryNative && plan.ownWindow == ownWindow) << prefer << found << own;
    }
}

TEST(SplashPlacement, CentresTheImageOnTheScreen) {
    const std::tuple<long long, long long, SplashPlacement> cases[] = {
        {400, 300, {312, 234, 712, 534}}, {1024, 768, {0, 0, 1024, 768}},
        {201, 121, {411, 323, 612, 444}},  // odd free space: the extra pixel goes right and down
        {1025, 768, {0, 0, 1025, 768}},    // -1 / 2 truncates to 0: the last column is off screen
        {1100, 803, {-38, -17, 1062, 786}},  // half the excess off each side, rounded toward the edge
        {0, 0, {512, 384, 512, 384}},      // an image that could not be read
        {0xFFFFFFFFLL, 0xFFFFFFFFLL, {-2147483135, -2147483263, INT_MAX, INT_MAX}},  // clamped, not overflowed
    };
    for (const auto& [width, height, expected] : cases) {
        const SplashPlacement p = splashPlacement(1024, 768, width, height);
        EXPECT_EQ(p, expected) << width << "x" << height << ": " << p.left << "," << p.top << "," << p.right;
    }
}

// The class is registered with the shadow first and, should that fail, the same without.
TEST(SplashClassStyles, ShadowFirstThenWithout) {
    const SplashClassStyles with = splashClassStyles(true), without = splashClassStyles(false);
    ASSERT_TRUE(with.count == 2 && without.count == 1);
    EXPECT_TRUE(with.styles[1] == without.styles[0] && with.styles[0] != with.styles[1]);
    EXPECT_EQ(with.styles[0] & with.styles[1], with.styles[1]) << "the shadow added to the same styles";
}

// The dialog centred over its owner or the work area, then moved only as far as needed
// to be inside the work area.
TEST(DialogPlacement, CentresOverTheReferenceAndKeepsInsideTheArea) {
    const ScreenRect screen{0, 0, 1024, 738}, left{-1280, 0, 0, 1024};  // a task bar below; a monitor left of it
    // window, reference, centred, area, kept
    const std::tuple<ScreenRect, ScreenRect, ScreenRect, ScreenRect, ScreenRect> cases[] = {
        {{0, 0, 400, 300}, {0, 0, 1024, 768}, {312, 234, 712, 534}, screen, {312, 234, 712, 534}},
        // Odd free space rounds towards the reference's left and top.
        {{10, 10, 401, 301}, {0, 0, 1024, 768}, {316, 238, 707, 529}, screen, {316, 238, 707, 529}},
        {{0, 0, 200, 100}, {-1200, 100, -800, 400}, {-1100, 200, -900, 300}, left, {-1100, 200, -900, 300}},
        // A window larger than the reference hangs over it on both sides.
        {{0, 0, 600, 400}, {100, 100, 300, 300}, {-100, 0, 500, 400}, screen, {0, 0, 600, 400}},
        // Over the right and bottom edges; over the left and top of an area left of the origin.
        {{600, 400, 1000, 700}, {700, 480, 1500, 1000}, {900, 590, 1300, 890}, screen, {624, 438, 1024, 738}},
        {{0, 0, 400, 300}, {-1450, -20, -1050, 280}, {-1450, -20, -1050, 280}, left, {-1280, 0, -880, 300}},
        // Larger than the area: its top left corner, where the caption is, stays visible.
        {{0, 0, 1200, 800}, {0, 0, 1600, 1200}, {200, 200, 1400, 1000}, screen, {0, 0, 1200, 800}},
    };
    for (const auto& [window, reference, centred, area, kept] : cases) {
        const ScreenRect c = centreRect(window, reference), k = keepInsideArea(c, area);
        EXPECT_EQ(c, centred) << c.left << "," << c.top;
        EXPECT_EQ(k, kept) << k.left << "," << k.top;
    }
}

std::vector<std::string> calls;

NativeSplashEntries allEntries() {
    NativeSplashEntries entries;
    entries.init = [] { calls.push_back("init"); };
    entries.loadFile = [](const char* path) { return calls.push_back(std::string("load ") + path), 0; };  // 0 is not looked at
    entries.setFileJarName = [](const char* path, const char* jar) { calls.push_back(std::string("jar ") + path + "|" + jar); };
    entries.close = [] { calls.push_back("close"); };
    return entries;
}

// The entries in order, with the ANSI path, and one close. Without one of the first three
// nothing is called and the start fails, but the close entry is held and called.
TEST(NativeSplash, EntriesInOrderAndOneClose) {
    const std::wstring image = L"C:\\Apps\\splash \u00fc.png";
    const std::string ansi = os::toThreadAnsi(image);
    const std::vector<std::string> all = {"init", "load " + ansi, "jar " + ansi + "|", "close"}, closed = {"close"};
    // the entry left out (-1: none, 3: close), and the calls after starting and closing twice
    const std::pair<int, std::vector<std::string>> cases[] = {
        {-1, all}, {3, {all.begin(), all.begin() + 3}}, {0, closed}, {1, closed}, {2, closed}};
    for (const auto& [missing, expected] : cases) {
        NativeSplashEntries entries = allEntries();
        if (missing == 0) entries.init = nullptr;
        if (missing == 1) entries.loadFile = nullptr;
        if (missing == 2) entries.setFileJarName = nullptr;
        if (missing == 3) entries.close = nullptr;
        calls.clear();
        NativeSplash splash;
        EXPECT_EQ(splash.start(entries, image), missing < 0 || missing == 3) << missing;
        EXPECT_EQ(splash.holdsCloseEntry(), missing != 3) << missing;
        splash.close();
        splash.close();
        EXPECT_FALSE(splash.holdsCloseEntry()) << missing;
        EXPECT_EQ(calls, expected) << missing;
    }
}

}  // namespace
}  // namespace jl
