// Which splash a launch shows, the "Display" keys it is chosen by, and the runtime's
// native splash library driven through its four entries (fake entries here; the real
// loading is exercised end to end with tests/testsplash).
#include "splash/native_splash.h"
#include "splash/splash_selection.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "config/launch_settings.h"
#include "os/os.h"
#include "temp_folder.h"

namespace jl {
namespace {

using testing::TempFolder;

TEST(SplashSelection, PlanFromImagePreferenceLibraryAndPlatform) {
    struct Case {
        const wchar_t* image;
        bool preferNative, libraryFound, hasOwnWindow;
        bool tryNative, ownWindow;
    };
    const Case cases[] = {
        // No image: nothing at all, whatever else is set.
        {L"", true, true, true, false, false},
        {L"", true, true, false, false, false},
        // Windows: native only when preferred and present; the own window otherwise and
        // as the fallback when the native one does not start.
        {L"splash.png", true, true, true, true, true},
        {L"splash.png", false, true, true, false, true},
        {L"splash.png", true, false, true, false, true},
        // Linux: the native splash is the only one, preferred or not.
        {L"splash.png", false, true, false, true, false},
        {L"splash.png", true, true, false, true, false},
        {L"splash.png", true, false, false, false, false},
    };
    for (const Case& c : cases) {
        const SplashPlan plan = planSplash(c.image, c.preferNative, c.libraryFound, c.hasOwnWindow);
        EXPECT_EQ(plan.tryNative, c.tryNative) << c.image << " " << c.preferNative << c.libraryFound << c.hasOwnWindow;
        EXPECT_EQ(plan.ownWindow, c.ownWindow) << c.image << " " << c.preferNative << c.libraryFound << c.hasOwnWindow;
    }
}

// A runtime folder with the JVM library where the search finds it.
struct FakeRuntime {
#ifdef _WIN32
    static constexpr const wchar_t* kJvm = L"rt\\bin\\client\\jvm.dll";
    static constexpr const wchar_t* kLibraryFolder = L"rt\\bin";
#else
    static constexpr const wchar_t* kJvm = L"rt/lib/server/libjvm.so";
    static constexpr const wchar_t* kLibraryFolder = L"rt/lib";
#endif
};

TEST(SplashSelection, NativeLibraryIsLookedForTwoFoldersAboveTheJvm) {
    TempFolder folder;
    const std::wstring jvm = folder.write(FakeRuntime::kJvm, "");
    EXPECT_EQ(findNativeSplashLibrary(jvm), L"");

    const std::wstring library =
        folder.write(std::wstring(FakeRuntime::kLibraryFolder) + os::kPathSeparator + kNativeSplashLibraryName, "");
    EXPECT_EQ(findNativeSplashLibrary(jvm), library);
#ifdef _WIN32
    EXPECT_EQ(findNativeSplashLibrary(L"C:\\Java\\jre\\bin\\client\\jvm.dll"), L"");
#endif
}

TEST(SplashSettings, DisplayKeysAreReadByTheirOwnRules) {
    struct Case {
        const char* lines;
        const wchar_t* image;
        bool shadow, preferNative;
    };
    const Case cases[] = {
        {"", L"", false, false},
        {"Splash Screen=img\\splash.png\r\nSplash Screen Shadow=true\r\nPreffer Native Splash Screen=Yes\r\n",
         L"img\\splash.png", true, true},
        // The shadow only for "true" exactly, the preference for "yes" in any case.
        {"Splash Screen=a.png\r\nSplash Screen Shadow=True\r\nPreffer Native Splash Screen=yES\r\n", L"a.png",
         false, true},
        {"Splash Screen=a.png\r\nSplash Screen Shadow=yes\r\nPreffer Native Splash Screen=true\r\n", L"a.png",
         false, false},
        // The correctly spelt key is not the one the settings file uses.
        {"Splash Screen=a.png\r\nPrefer Native Splash Screen=Yes\r\n", L"a.png", false, false},
    };
    TempFolder folder;
    for (const Case& c : cases) {
        const std::wstring ini = folder.write(L"tool.ini", std::string("[Display]\r\n") + c.lines);
        LaunchSettings settings;
        readSplashSettings(ini, settings);
        EXPECT_EQ(settings.splashImage, c.image) << c.lines;
        EXPECT_EQ(settings.splashShadow, c.shadow) << c.lines;
        EXPECT_EQ(settings.preferNativeSplash, c.preferNative) << c.lines;
    }
}

// --- the native splash over fake entries ---------------------------------------------

std::vector<std::string> calls;
void recordInit() { calls.push_back("init"); }
int recordLoadFile(const char* path) {
    calls.push_back(std::string("load ") + path);
    return 0;  // "could not show it": not looked at
}
void recordSetFileJarName(const char* path, const char* jar) {
    calls.push_back(std::string("jar ") + path + "|" + jar);
}
void recordClose() { calls.push_back("close"); }
void recordOtherClose() { calls.push_back("other close"); }

NativeSplashEntries allEntries() {
    NativeSplashEntries entries;
    entries.init = recordInit;
    entries.loadFile = recordLoadFile;
    entries.setFileJarName = recordSetFileJarName;
    entries.close = recordClose;
    return entries;
}

using Calls = std::vector<std::string>;

TEST(NativeSplash, FourEntriesInOrderWithTheAnsiPath) {
    calls.clear();
    NativeSplash splash;
    const std::wstring image = L"C:\\Apps\\splash \u00fc.png";
    const std::string ansi = os::toThreadAnsi(image);
    ASSERT_TRUE(splash.start(allEntries(), image));
    EXPECT_EQ(calls, (Calls{"init", "load " + ansi, "jar " + ansi + "|"}));
    EXPECT_TRUE(splash.holdsCloseEntry());

    splash.close();
    splash.close();
    EXPECT_EQ(calls.back(), "close");
    EXPECT_EQ(calls.size(), 4u) << "the close entry is called once";
    EXPECT_FALSE(splash.holdsCloseEntry());
}

TEST(NativeSplash, MissingEntryFailsButKeepsTheCloseEntry) {
    struct Case {
        const char* name;
        NativeSplashEntries entries;
        bool closeHeld;
    };
    NativeSplashEntries noInit = allEntries(), noLoad = allEntries(), noJar = allEntries(), noClose = allEntries();
    noInit.init = nullptr;
    noLoad.loadFile = nullptr;
    noJar.setFileJarName = nullptr;
    noClose.close = nullptr;
    const Case cases[] = {
        {"no SplashInit", noInit, true},
        {"no SplashLoadFile", noLoad, true},
        {"no SplashSetFileJarName", noJar, true},
    };
    for (const Case& c : cases) {
        calls.clear();
        NativeSplash splash;
        EXPECT_FALSE(splash.start(c.entries, L"a.png")) << c.name;
        EXPECT_EQ(calls, Calls{}) << c.name << ": nothing is called before every entry is there";
        EXPECT_EQ(splash.holdsCloseEntry(), c.closeHeld) << c.name;
        splash.close();
        EXPECT_EQ(calls, Calls{"close"}) << c.name << ": its close entry is still called";
    }

    // Without a close entry the splash still starts; closing has nothing to call.
    calls.clear();
    NativeSplash splash;
    EXPECT_TRUE(splash.start(noClose, L"a.png"));
    splash.close();
    EXPECT_EQ(calls, (Calls{"init", "load a.png", "jar a.png|"}));
}

TEST(NativeSplash, AnotherLibrarysCloseEntryReplacesTheHeldOne) {
    calls.clear();
    NativeSplash splash;
    ASSERT_TRUE(splash.start(allEntries(), L"a.png"));
    NativeSplashEntries other = allEntries();
    other.close = recordOtherClose;
    ASSERT_TRUE(splash.start(other, L"b.png"));
    // The first library's close entry ran before the second one was held.
    EXPECT_EQ(calls[3], "close");
    splash.close();
    EXPECT_EQ(calls.back(), "other close");

    // The same close entry again is not a reason to call it.
    calls.clear();
    NativeSplash again;
    ASSERT_TRUE(again.start(allEntries(), L"a.png"));
    ASSERT_TRUE(again.start(allEntries(), L"a.png"));
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "close"), 0);
}

TEST(NativeSplash, LibraryThatCannotBeLoadedIsNoSplash) {
    TempFolder folder;
    NativeSplash splash;
    EXPECT_FALSE(splash.start(folder.path(L"missing") + os::kPathSeparator + kNativeSplashLibraryName, L"a.png"));
    EXPECT_FALSE(splash.start(folder.write(kNativeSplashLibraryName, "not a library"), L"a.png"));
    EXPECT_FALSE(splash.holdsCloseEntry());
}

}  // namespace
}  // namespace jl
